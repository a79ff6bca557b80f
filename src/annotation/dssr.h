// Reader of DSSR text output: the W/H/S base pairs of one chain from the
// list of base pairs.
#pragma once

#include <string>

#include "annotation/annotation_output.h"

namespace bexora {

bool readDSSROutput(const std::string& inputPath, const std::string& pdbId, const std::string& chain,
                    AnnotationOutput& out);

}  // namespace bexora
