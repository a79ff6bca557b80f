// Replacing the sequence-based residue correspondence of the observed map
// by one read from a structure-alignment file (tokens like A:10A<->B:12).
#pragma once

#include <string>

#include "model/model.h"
#include "util/reporter.h"

namespace bexora {

enum class AlignmentFileUse {
  kNotUsed,        // absent, or unreadable to its end
  kUsed,           // its correspondence replaced the sequence alignment's
  kChainMismatch,  // a residue pair named another chain; the user should see why it was not used
};

// Reads inputFolder + refId_refChain_targetId_targetChain.aln when present.
AlignmentFileUse applyStructureAlignmentFile(ResidueMapPair& pdbMap, const std::string& inputFolder,
                                             const std::string& refPdbId, const std::string& refChainId,
                                             const std::string& targetPdbId, const std::string& targetChainId,
                                             const Reporter& reporter);

}  // namespace bexora
