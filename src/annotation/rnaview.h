// Reader of RNAView text output: base pairs of one chain from the
// BEGIN_base-pair/END_base-pair section, and that chain's stacking lines.
#pragma once

#include <string>
#include <string_view>

#include "annotation/annotation_output.h"

namespace bexora {

bool readRNAViewOutput(const std::string& inputPath, const std::string& chain, AnnotationOutput& out,
                       const Reporter& reporter, const AnnotationReadOptions& options = {});

enum class RnaViewLine { kPair, kNonPair, kMalformed };
RnaViewLine parsePairLineRNAView(std::string_view line, BPInfo& pair);
bool matchChainRV(std::string_view line, const std::string& chain);

}  // namespace bexora
