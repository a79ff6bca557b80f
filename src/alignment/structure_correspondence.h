// A residue correspondence that follows the structures: the sequence
// alignment's map is the seed, the backbones of both chains are superposed
// globally and fragment by fragment (so that domains which moved still
// align), and the residues are aligned again on their distances after
// superposition, a few times over.
#pragma once

#include <vector>

#include "model/model.h"

namespace bexora {

struct CorrespondenceQuality {
  int aligned = 0;       // residue pairs of the correspondence
  double rmsd = 0;       // over those pairs after their best superposition, in angstrom
  double tmScore = 0;    // of the best superposition, normalised by the target's observed length
};

// Replaces the mapIndex and identical fields of the observed residues in
// `pdbMap` (seeded by the map it holds). False, and the map untouched, when
// either chain has fewer than three residues with a backbone atom.
bool alignByStructure(ResidueMapPair& pdbMap, const std::vector<AtomInfo>& referenceAtoms,
                      const std::vector<AtomInfo>& targetAtoms, CorrespondenceQuality& quality);

}  // namespace bexora
