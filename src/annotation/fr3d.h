// Reader of FR3D comma-separated interaction lists: base pairs of one chain
// of model 1, and that chain's stackings as RNAView-style stacking lines.
#pragma once

#include <string>

#include "annotation/annotation_output.h"

namespace bexora {

bool readFR3DOutput(const std::string& inputPath, const std::string& pdbId, const std::string& chain,
                    AnnotationOutput& out);

}  // namespace bexora
