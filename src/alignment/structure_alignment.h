// Replacing the sequence-based residue correspondence of the observed map
// by one read from a structure-alignment file (tokens like A:10A<->B:12).
#pragma once

#include <string>

#include "model/model.h"
#include "util/reporter.h"

namespace bexora {

// Reads inputFolder + refId_refChain_targetId_targetChain.aln when present.
// Returns false when the file is absent or a chain mismatch stopped it.
bool updatePDBAlign_Vantor(ResidueMapPair& pdbMap, const std::string& inputFolder, const std::string& refPdbId,
                           const std::string& refChainId, const std::string& targetPdbId,
                           const std::string& targetChainId, const Reporter& reporter);

}  // namespace bexora
