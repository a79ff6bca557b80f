// Residue index maps between a chain's FASTA sequence, its observed residues
// and the other structure's chain, composed into the observed-to-observed
// map that carries base pairs from reference to target.
#pragma once

#include <vector>

#include "model/model.h"
#include "util/reporter.h"

namespace bexora {

int mappedSeqComp(const ResidueMapEntry& a, const ResidueMapEntry& b);

// Aligns two chains by their letters and writes identical/mapIndex in both.
bool chainAlign(ChainResidueMap& chainA, ChainResidueMap& chainB, const Reporter& reporter);

// seqMap = the FASTA record; obsMap = one entry per observed residue of the
// atoms, both aligned with each other.
bool alignPDBWithRef(const std::vector<AtomInfo>& atoms, StructureResidueMap& seqMap, StructureResidueMap& obsMap,
                     StructureResidueMap fastaRecord, const Reporter& reporter);

bool alignFasta(ResidueMapPair& refSeqsMap, const Reporter& reporter);

void alignPDBs(const ResidueMapPair& refSeqsMap, const ResidueMapPair& refMap, const ResidueMapPair& pdbTempMap,
               ResidueMapPair& pdbMap);

}  // namespace bexora
