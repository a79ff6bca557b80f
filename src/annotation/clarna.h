// Reader of ClaRNA output, comma-separated or ClaRNA's own text layout: the
// W/H/S base pairs of one chain with their weights; stackings are dropped.
#pragma once

#include <string>

#include "annotation/annotation_output.h"

namespace bexora {

bool readClaRNAOutput(const std::string& inputPath, const std::string& pdbId, const std::string& chain,
                      AnnotationOutput& out,
                    const Reporter& reporter, const AnnotationReadOptions& options = {});

}  // namespace bexora
