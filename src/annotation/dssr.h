// Reader of DSSR output: the W/H/S base pairs of one chain from the list of
// base pairs of the text output (any version, short or long ids), of the
// --json output or of the web service's CSV export, told apart by content.
#pragma once

#include <string>

#include "annotation/annotation_output.h"

namespace bexora {

bool readDSSROutput(const std::string& inputPath, const std::string& pdbId, const std::string& chain,
                    AnnotationOutput& out,
                    const Reporter& reporter, const AnnotationReadOptions& options = {});

}  // namespace bexora
