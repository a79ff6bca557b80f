#include "model/edge_atoms.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "model/record_fixtures.h"

namespace bexora {
namespace {

using test::makeAtom;

std::vector<std::string> names(const char (*list)[kEdgeAtomNameWidth + 1], int count) {
  return std::vector<std::string>(list, list + count);
}

TEST(EdgeAtomTable, LowerCaseCombinedEdgesAndUnknownBases) {
  struct Case {
    char edge, base;
    std::vector<std::string> donors, acceptors;
  };
  const Case cases[] = {
      {'H', 'C', {"N4", "C5", "C6"}, {}},  // a cytosine Hoogsteen edge accepts nothing
      {'w', 'g', {"N1", "N2"}, {"O6"}},  // lower case selects the same rows
      {'+', 'A', {"N6", "C2", "C8", "O2'"}, {"N1", "N3", "N7"}},
      {'B', 'u', {"N3", "C5", "O2'"}, {"O2", "O4"}},
  };
  for (const auto& c : cases) {
    EdgeAtomSet set = getEdgeAtomName(c.edge, c.base);
    EXPECT_EQ(names(set.donorAtoms, set.donorCount), c.donors) << c.edge << c.base;
    EXPECT_EQ(names(set.acceptorAtoms, set.acceptorCount), c.acceptors) << c.edge << c.base;
    EXPECT_EQ(std::string({set.edgeLetter, set.baseLetter}), std::string({c.edge, c.base}));
  }
  EdgeAtomSet unknown = getEdgeAtomName('h', 'P');
  EXPECT_EQ(unknown.donorCount + unknown.acceptorCount, 0);
  for (char base : {'A', 'g', 'C', 'u'}) EXPECT_TRUE(isEdgeTableBase(base)) << base;
  for (char base : {'P', 'N', 'T', '\0'}) EXPECT_FALSE(isEdgeTableBase(base)) << base;
}

// A structure whose files name atoms otherwise (or lack them) is told by
// the names no residue of a base has; a residue missing an atom is not.
TEST(EdgeAtomTable, AtomsNoResidueOfABaseHas) {
  const std::vector<std::string> cytosine = {"C1'", "C2", "C5", "N4", "C6", "O2'", "O2", "N3"};
  auto residue = [](int number, const std::vector<std::string>& atomNames) {
    std::vector<AtomInfo> atoms;
    for (const std::string& name : atomNames) {
      atoms.push_back(makeAtom("A", number, name.c_str()));
      atoms.back().residueName = 'C';
    }
    return atoms;
  };
  std::vector<AtomInfo> whole = residue(1, cytosine);
  EXPECT_TRUE(measuredAtomsAbsent(whole).empty());
  std::vector<AtomInfo> oldNames = residue(1, {"C1*", "C2", "C5", "N4", "C6", "O2*", "O2", "N3"});
  EXPECT_EQ(measuredAtomsAbsent(oldNames), (std::vector<std::string>{"C1'", "O2'"}));
  std::vector<AtomInfo> oneShort = residue(2, {"C2", "C5", "N4", "C6", "O2'", "O2", "N3"});
  oneShort.insert(oneShort.end(), whole.begin(), whole.end());
  EXPECT_TRUE(measuredAtomsAbsent(oneShort).empty());
}

}  // namespace
}  // namespace bexora
