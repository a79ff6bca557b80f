#include "util/geometry.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace bexora {
namespace {

AtomInfo makeAtom(const char* chain, int resSeqNo, const char* name, double x, double y, double z, char iCode = ' ') {
  AtomInfo atom{};
  setField(atom.chainId, chain);
  setField(atom.atomName, name);
  atom.resSeqNo = resSeqNo;
  atom.iCode = iCode;
  atom.x = x;
  atom.y = y;
  atom.z = z;
  return atom;
}

std::vector<std::string> names(const char (*list)[kEdgeAtomNameWidth + 1], int count) {
  return std::vector<std::string>(list, list + count);
}

struct EdgeCase {
  char edge, base;
  std::vector<std::string> donors, acceptors;
};

TEST(EdgeAtomTable, RowsInTableOrder) {
  const std::vector<EdgeCase> cases = {
      {'W', 'A', {"N6", "C2"}, {"N1"}},
      {'W', 'C', {"N4"}, {"O2", "N3"}},
      {'H', 'C', {"N4", "C5", "C6"}, {}},  // a cytosine Hoogsteen edge accepts nothing
      {'H', 'G', {"C8"}, {"O6", "N7"}},
      {'S', 'A', {"C2", "O2'"}, {"N3", "N1"}},
      {'S', 'U', {"O2'"}, {"O2"}},
      {'w', 'g', {"N1", "N2"}, {"O6"}},  // lower case selects the same rows
      {'+', 'A', {"N6", "C2", "C8", "O2'"}, {"N1", "N3", "N7"}},
      {'B', 'u', {"N3", "C5", "O2'"}, {"O2", "O4"}},
  };
  for (const auto& c : cases) {
    EdgeAtomSet set = getEdgeAtomName(c.edge, c.base);
    EXPECT_EQ(names(set.donorAtoms, set.donorCount), c.donors) << c.edge << c.base;
    EXPECT_EQ(names(set.acceptorAtoms, set.acceptorCount), c.acceptors) << c.edge << c.base;
    EXPECT_EQ(set.edgeLetter, c.edge);
    EXPECT_EQ(set.baseLetter, c.base);
  }
}

TEST(EdgeAtomTable, UnknownBaseIsReportedAndEmpty) {
  testing::internal::CaptureStdout();
  EdgeAtomSet set = getEdgeAtomName('h', 'P');
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "!!!Error-'P' as residue with edge h!!!\n");
  EXPECT_EQ(set.donorCount, 0);
  EXPECT_EQ(set.acceptorCount, 0);
}

TEST(AtomTable, OrderAndLookup) {
  std::vector<AtomInfo> atoms = {
      makeAtom("B", 1, "C1'", 0, 0, 0),     makeAtom("A", 10, "N1", 0, 0, 0), makeAtom("A", 2, "C2", 0, 0, 0),
      makeAtom("A", 2, "C2", 1, 0, 0, 'A'), makeAtom("A", 2, "C1'", 2, 0, 0), makeAtom("A", 2, "N1", 3, 0, 0),
  };
  std::sort(atoms.begin(), atoms.end(), [](const AtomInfo& a, const AtomInfo& b) { return compAtomInfoMap(a, b) < 0; });
  // Residue numbers compare as numbers (2 before 10), blank insertion codes first, names as strings.
  std::vector<std::string> order;
  for (const AtomInfo& atom : atoms)
    order.push_back(std::string(atom.chainId) + std::to_string(atom.resSeqNo) + atom.iCode + atom.atomName);
  EXPECT_EQ(order, (std::vector<std::string>{"A2 C1'", "A2 C2", "A2 N1", "A2AC2", "A10 N1", "B1 C1'"}));

  const AtomInfo* hit = findAtom(atoms, "A", 2, 'A', "C2");
  ASSERT_NE(hit, nullptr);
  EXPECT_EQ(hit->x, 1);
  EXPECT_EQ(findAtom(atoms, "A", 2, ' ', "C5"), nullptr);
  EXPECT_EQ(findAtom(atoms, "C", 1, ' ', "C1'"), nullptr);
}

TEST(Contacts, ComparisonAndSharedAtoms) {
  AtomInteraction a{3.0, "N1", 0, "N3", 1};
  EXPECT_EQ(compEdgeAtomPair(a, AtomInteraction{3.0 + 1e-11, "N2", 0, "O2", 1}), 0);
  EXPECT_EQ(compEdgeAtomPair(a, AtomInteraction{3.1, "N2", 0, "O2", 1}), -1);
  EXPECT_FALSE(hasSameAtom(a, AtomInteraction{4, "N2", 0, "O2", 1}));
  EXPECT_TRUE(hasSameAtom(a, AtomInteraction{4, "N1", 0, "O2", 1}));
  EXPECT_TRUE(hasSameAtom(a, AtomInteraction{4, "N4", 1, "N3", 1}));
  EXPECT_FALSE(hasSameAtom(a, AtomInteraction{4, "N1", 1, "N3", 0}));  // same names, other residues
}

// Located atoms of one residue: every named atom of the set at the given coordinates.
struct PlacedResidue {
  EdgeAtomSet set;
  std::vector<AtomInfo> atoms;
  LocatedEdgeAtoms located() const {
    LocatedEdgeAtoms result;
    result.names = &set;
    for (const AtomInfo& atom : atoms) {
      for (int i = 0; i < set.donorCount; ++i)
        if (std::string(set.donorAtoms[i]) == atom.atomName) result.donors[i] = &atom;
      for (int i = 0; i < set.acceptorCount; ++i)
        if (std::string(set.acceptorAtoms[i]) == atom.atomName) result.acceptors[i] = &atom;
    }
    return result;
  }
};

PlacedResidue guanineW() {
  return {getEdgeAtomName('W', 'G'),
          {makeAtom("A", 1, "N1", 0, 0, 0), makeAtom("A", 1, "N2", 0, 1, 0), makeAtom("A", 1, "O6", 0, -3, 0)}};
}

PlacedResidue cytosine(char edge) {
  return {getEdgeAtomName(edge, 'C'),
          {makeAtom("A", 9, "N3", 2.8, 0, 0), makeAtom("A", 9, "O2", 2.9, -0.9, 0), makeAtom("A", 9, "N4", 4, -3, 0),
           makeAtom("A", 9, "C5", 5, -3, 0), makeAtom("A", 9, "C6", 6, -3, 0)}};
}

// The two closest contacts between two residues; returns how many were found.
int closestTwo(const PlacedResidue& first, const PlacedResidue& second, AtomInteraction (&out)[2]) {
  int n = 2;
  closestNInteractions({first.located(), second.located()}, n, out);
  return n;
}

TEST(Contacts, SecondContactAvoidsAtomsOfTheFirst) {
  // N1-N3 2.8 first; N2-N3 2.97 reuses N3 and N1-O2 3.04 reuses N1, so N2-O2 3.47 is second.
  AtomInteraction out[2];
  ASSERT_EQ(closestTwo(guanineW(), cytosine('W'), out), 2);
  EXPECT_STREQ(out[0].donorAtom, "N1");
  EXPECT_STREQ(out[0].acceptorAtom, "N3");
  EXPECT_NEAR(out[0].distance, 2.8, 1e-12);
  EXPECT_STREQ(out[1].donorAtom, "N2");
  EXPECT_STREQ(out[1].acceptorAtom, "O2");
  EXPECT_EQ(out[1].donorResidue, 0);
  EXPECT_EQ(out[1].acceptorResidue, 1);
  EXPECT_NEAR(out[1].distance, distance3D(0, 1, 0, 2.9, -0.9, 0), 1e-12);
}

TEST(Contacts, CytosineHoogsteenOnlyDonates) {
  AtomInteraction out[2];
  ASSERT_EQ(closestTwo(guanineW(), cytosine('H'), out), 1);  // every candidate ends on O6: no second one is free
  EXPECT_EQ(out[0].donorResidue, 1);
  EXPECT_STREQ(out[0].donorAtom, "N4");
  EXPECT_STREQ(out[0].acceptorAtom, "O6");
  EXPECT_EQ(closestTwo(cytosine('H'), cytosine('H'), out), 0);
}

TEST(Contacts, CorrespondingDistanceStraightSwappedAndUnmeasured) {
  PlacedResidue g = guanineW();
  PlacedResidue c = cytosine('W');
  const AtomInteraction contacts[] = {{0, "N1", 0, "N3", 1}, {0, "N4", 1, "O6", 0}, {0, "C8", 0, "N3", 1}};
  AtomInteraction out[3];
  getCorrespondingDistance({g.located(), c.located()}, 0, 3, contacts, out);
  EXPECT_NEAR(out[0].distance, 2.8, 1e-12);
  EXPECT_EQ(out[0].donorResidue, 0);
  EXPECT_NEAR(out[1].distance, 4.0, 1e-12);
  EXPECT_EQ(out[2].distance, kNotMeasured);  // no C8 among the guanine's Watson-Crick donors

  // The other structure lists the pair the other way round.
  getCorrespondingDistance({c.located(), g.located()}, 1, 2, contacts, out);
  EXPECT_NEAR(out[0].distance, 2.8, 1e-12);
  EXPECT_EQ(out[0].donorResidue, 1);
  EXPECT_NEAR(out[1].distance, 4.0, 1e-12);

  // A named atom the structure lacks cannot be measured either.
  c.atoms.erase(c.atoms.begin());
  getCorrespondingDistance({g.located(), c.located()}, 0, 1, contacts, out);
  EXPECT_EQ(out[0].distance, kNotMeasured);
}

}  // namespace
}  // namespace bexora
