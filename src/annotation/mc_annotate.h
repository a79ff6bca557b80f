// Reader of MC-Annotate text output: base pairs of one chain, and the
// residue-conformation and stacking lines of that chain for the writer.
#pragma once

#include <string>
#include <string_view>

#include "annotation/annotation_output.h"

namespace bexora {

// Reports "%s File Not Found\n" and returns false when the file cannot be read.
bool readMCAnnotateOutput(const std::string& inputPath, const std::string& chain, AnnotationOutput& out,
                          const Reporter& reporter, const AnnotationReadOptions& options = {});

// Fills one record from a line of the base-pair section; false when the line
// holds no pair id. `faulty` tells whether a word out of place was reported.
bool parseBasePairLine(std::string_view line, BPInfo& pair, const Reporter& reporter, bool* faulty = nullptr);
bool matchChainMCA(std::string_view line, const std::string& chain);

}  // namespace bexora
