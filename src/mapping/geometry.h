// Geometry of one base pair: where the atoms of its edges are in a
// structure's sorted atom table, and the shortest donor-acceptor contacts
// between the two residues of a pair, measured again in another structure
// for comparison.
#pragma once

#include <array>
#include <vector>

#include "model/edge_atoms.h"
#include "model/model.h"

namespace bexora {

constexpr double kNotMeasured = 1000000000.0;  // distance of a contact whose atoms are absent

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
