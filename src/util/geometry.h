// Geometry of one base pair: which atoms form the hydrogen-bonding edges of
// a base, where they are in a structure's sorted atom table, and the
// shortest donor-acceptor contacts between the two residues of a pair,
// measured again in another structure for comparison.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "model/model.h"

namespace bexora {

constexpr int kMaxEdgeAtoms = 4;
constexpr std::size_t kEdgeAtomNameWidth = 4;
constexpr double kNotMeasured = 1000000000.0;  // distance of a contact whose atoms are absent

struct EdgeAtomSet {
  char donorAtoms[kMaxEdgeAtoms][kEdgeAtomNameWidth + 1];
  char acceptorAtoms[kMaxEdgeAtoms][kEdgeAtomNameWidth + 1];
  int donorCount;
  int acceptorCount;
  char edgeLetter;  // as asked for, not upper-cased
  char baseLetter;
};

// Atoms of one residue's edge found in a structure, parallel to the names of
// `names`; a null slot is an atom the structure lacks.
struct LocatedEdgeAtoms {
  std::array<const AtomInfo*, kMaxEdgeAtoms> donors{};
  std::array<const AtomInfo*, kMaxEdgeAtoms> acceptors{};
  const EdgeAtomSet* names = nullptr;
};

// The atoms of one residue the assessment measures.
struct ResidueAtoms {
  const AtomInfo* c1 = nullptr;  // C1'
  const AtomInfo* c2 = nullptr;
  const AtomInfo* c5 = nullptr;
  LocatedEdgeAtoms edge;
};

struct AtomInteraction {
  double distance;
  char donorAtom[8];
  int donorResidue;  // end of the pair holding the donor, 0 or 1
  char acceptorAtom[8];
  int acceptorResidue;
};

constexpr int kMaxCandidateContacts = 2 * kMaxEdgeAtoms * kMaxEdgeAtoms;

double distance3D(double x1, double y1, double z1, double x2, double y2, double z2);
double distance3D(const AtomInfo& a, const AtomInfo& b);

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

// Locates C1', C2, C5 and the edge atoms of both ends of `pair`; clears
// allEdgeAtomsFound when an edge atom is absent.
void findAtoms(const std::vector<AtomInfo>& atoms, const BPInfo& pair, const std::array<EdgeAtomSet, 2>& sets,
               std::array<ResidueAtoms, 2>& found, bool& allEdgeAtomsFound);

// 0 within 1e-10, else -1 when a is shorter, 1 when longer.
bool hasSameAtom(const AtomInteraction& a, const AtomInteraction& b);

// Up to n shortest contacts sharing no atom with a shorter one taken; n is
// set to the number found.
void closestNInteractions(const std::array<LocatedEdgeAtoms, 2>& located, int& n, AtomInteraction* out);

// The same contacts measured on the other structure's atoms; orientation 1
// swaps the ends. A contact that cannot be measured keeps kNotMeasured.
void getCorrespondingDistance(const std::array<LocatedEdgeAtoms, 2>& located, int orientation, int n,
                              const AtomInteraction* contacts, AtomInteraction* out);

}  // namespace bexora
