// Which atoms form the hydrogen-bonding edges (Watson-Crick, Hoogsteen,
// sugar) of each base: the donors and acceptors that the assessment
// measures, and the check that a structure names them at all.
#pragma once

#include <string>
#include <vector>

#include "model/model.h"

namespace bexora {

constexpr int kMaxEdgeAtoms = 4;
constexpr std::size_t kEdgeAtomNameWidth = 4;

struct EdgeAtomSet {
  char donorAtoms[kMaxEdgeAtoms][kEdgeAtomNameWidth + 1];
  char acceptorAtoms[kMaxEdgeAtoms][kEdgeAtomNameWidth + 1];
  int donorCount;
  int acceptorCount;
  char edgeLetter;  // as asked for, not upper-cased
  char baseLetter;
};

// Donor and acceptor names of an edge (W, H, S; any other letter means all
// edges) of a base (A, G, C, U, either case). An unknown base gives empty
// lists; its caller reports it (see isEdgeTableBase).
EdgeAtomSet getEdgeAtomName(char edgeLetter, char baseLetter);

// Whether the edge-atom table lists the base (A, G, C, U, either case).
bool isEdgeTableBase(char baseLetter);

// The names of the atoms the measurements need (C1', C2, C5 and the edge
// atoms of each base present) that no residue of that base has, in table
// order: a structure whose files name atoms otherwise cannot be measured.
std::vector<std::string> measuredAtomsAbsent(const std::vector<AtomInfo>& atoms);

}  // namespace bexora
