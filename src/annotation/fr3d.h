// Reader of FR3D interaction lists: base pairs of one chain of model 1, and
// that chain's stackings as RNAView-style stacking lines. Three layouts are
// told apart by content: comma-separated rows (plain or quoted), the
// headerless tab-separated lines of fr3d-python (one category file or
// several concatenated), and the tab-separated RNA 3D Hub export.
#pragma once

#include <string>

#include "annotation/annotation_output.h"

namespace bexora {

bool readFR3DOutput(const std::string& inputPath, const std::string& pdbId, const std::string& chain,
                    AnnotationOutput& out,
                    const Reporter& reporter, const AnnotationReadOptions& options = {});

}  // namespace bexora
