#include "mapping/geometry.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "model/record_fixtures.h"

namespace bexora {
namespace {

using test::makeAtom;

void sortAtoms(std::vector<AtomInfo>& atoms) {
  std::sort(atoms.begin(), atoms.end(), [](const AtomInfo& a, const AtomInfo& b) { return compareAtoms(a, b) < 0; });
}

// Residue 1 is a guanine, residue 9 a cytosine facing its Watson-Crick edge.
std::vector<AtomInfo> pairAtoms(bool withN3 = true) {
  std::vector<AtomInfo> atoms = {makeAtom("A", 1, "N1"),        makeAtom("A", 1, "N2", 0, 1),
                                 makeAtom("A", 1, "O6", 0, -3), makeAtom("A", 9, "O2", 2.9, -0.9),
                                 makeAtom("A", 9, "N4", 4, -3), makeAtom("A", 9, "C5", 5, -3),
                                 makeAtom("A", 9, "C6", 6, -3)};
  if (withN3) atoms.push_back(makeAtom("A", 9, "N3", 2.8));
  sortAtoms(atoms);
  return atoms;
}

// The given edges of two residues, located by findAtoms.
class Located {
 public:
  Located(const std::vector<AtomInfo>& atoms, int r0, char e0, int r1, char e1) {
    auto base = [](int r) { return r == 1 ? 'G' : 'C'; };
    sets_ = {getEdgeAtomName(e0, base(r0)), getEdgeAtomName(e1, base(r1))};
    bool allFound = true;
    findAtoms(atoms, test::makePair(r0, r1, "GC", ""), sets_, found_, allFound);
  }
  std::array<LocatedEdgeAtoms, 2> edges() const { return {found_[0].edge, found_[1].edge}; }
  int closestTwo(AtomInteraction (&out)[2]) const {
    int n = 2;
    closestNInteractions(edges(), n, out);
    return n;
  }

 private:
  std::array<EdgeAtomSet, 2> sets_;
  std::array<ResidueAtoms, 2> found_;
};

// Donor end and atom, acceptor end and atom, distance.
std::string text(const AtomInteraction& c) {
  char line[80];
  std::snprintf(line, sizeof line, "%d:%s-%d:%s %.9f", c.donorResidue, c.donorAtom, c.acceptorResidue, c.acceptorAtom,
                c.distance);
  return line;
}

TEST(Contacts, ClosestContactsShareNoAtom) {
  // N1-N3 2.8 first; N2-N3 2.97 reuses N3 and N1-O2 3.04 reuses N1, so N2-O2 3.47 is second.
  AtomInteraction out[2];
  ASSERT_EQ(Located(pairAtoms(), 1, 'W', 9, 'W').closestTwo(out), 2);
  EXPECT_EQ(text(out[0]), "0:N1-1:N3 2.800000000");
  EXPECT_EQ(text(out[1]), "0:N2-1:O2 3.466987165");
  // A cytosine Hoogsteen edge only donates; every candidate ends on O6, so no second one is free.
  ASSERT_EQ(Located(pairAtoms(), 1, 'W', 9, 'H').closestTwo(out), 1);
  EXPECT_EQ(text(out[0]), "1:N4-0:O6 4.000000000");
  EXPECT_EQ(Located(pairAtoms(), 9, 'H', 9, 'H').closestTwo(out), 0);
}

TEST(Contacts, CorrespondingDistanceStraightSwappedAndUnmeasured) {
  const AtomInteraction contacts[] = {{0, "N1", 0, "N3", 1}, {0, "N4", 1, "O6", 0}, {0, "C8", 0, "N3", 1}};
  AtomInteraction out[3];
  getCorrespondingDistance(Located(pairAtoms(), 1, 'W', 9, 'W').edges(), 0, 3, contacts, out);
  EXPECT_EQ(text(out[0]), "0:N1-1:N3 2.800000000");
  EXPECT_EQ(text(out[1]), "1:N4-0:O6 4.000000000");
  EXPECT_EQ(out[2].distance, kNotMeasured);  // no C8 among the guanine's Watson-Crick donors
  // The other structure lists the pair the other way round.
  getCorrespondingDistance(Located(pairAtoms(), 9, 'W', 1, 'W').edges(), 1, 2, contacts, out);
  EXPECT_EQ(text(out[0]), "1:N1-0:N3 2.800000000");
  EXPECT_EQ(text(out[1]), "0:N4-1:O6 4.000000000");
  // A named atom the structure lacks cannot be measured either.
  getCorrespondingDistance(Located(pairAtoms(false), 1, 'W', 9, 'W').edges(), 0, 1, contacts, out);
  EXPECT_EQ(out[0].distance, kNotMeasured);
}

}  // namespace
}  // namespace bexora
