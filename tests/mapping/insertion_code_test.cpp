// Insertion codes above 127 are bytes a file may hold; as plain chars they
// are negative on most machines. Sorting one way and searching another makes
// such residues unfindable, so every table must order them alike.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <vector>

#include "alignment/residue_map.h"
#include "mapping/mapping.h"
#include "mapping/pair_fixtures.h"
#include "model/basepair.h"
#include "mapping/geometry.h"

namespace bexora {
namespace {

int sign(int value) { return (value > 0) - (value < 0); }

TEST(InsertionCodes, AtomsResidueMapsAndPairsOrderAlikeAndUnsigned) {
  const char codes[] = {' ', 'A', 'z', '\x80', '\xC8', '\xFF'};
  for (char a : codes)
    for (char b : codes) {
      const int expected = sign(static_cast<unsigned char>(a) - static_cast<unsigned char>(b));
      BPInfo pairA = test::makePair(5, 9, "GC", "W/W"), pairB = pairA;
      pairA.iCode[0] = a;
      pairB.iCode[0] = b;
      const ResidueMapEntry entryA{'G', 0, 5, a, -1}, entryB{'G', 0, 5, b, -1};
      const int orders[] = {compareAtoms(test::makeAtom("A", 5, "C1'", 0, 0, 0, a),
                                         test::makeAtom("A", 5, "C1'", 0, 0, 0, b)),
                            compBasePairId(pairA, pairB), mappedSeqComp(entryA, entryB)};
      for (int order : orders) EXPECT_EQ(sign(order), expected) << int{a} << " vs " << int{b};
    }
}

// Residue 5 in three parts: 5, 5A and 5 with code 0xC8.
TEST(InsertionCodes, ResiduesWithCodesAbove127AreFoundInAtomsAndResidueMaps) {
  const char kHigh = '\xC8';
  std::vector<AtomInfo> atoms;
  for (char code : {kHigh, 'A', ' '})
    for (const char* name : {"C1'", "C2", "C5"}) atoms.push_back(test::makeAtom("A", 5, name, 0, 0, 0, code));
  std::sort(atoms.begin(), atoms.end(), [](const AtomInfo& a, const AtomInfo& b) { return compareAtoms(a, b) < 0; });
  BPInfo pair = test::makePair(5, 5, "GC", "W/W");
  pair.iCode[0] = kHigh;
  std::array<ResidueAtoms, 2> found;
  bool allEdgeAtomsFound = true;
  findAtoms(atoms, pair, {getEdgeAtomName('W', 'G'), getEdgeAtomName('W', 'C')}, found, allEdgeAtomsFound);
  for (int end = 0; end < 2; ++end)
    for (const AtomInfo* atom : {found[end].c1, found[end].c2, found[end].c5}) {
      ASSERT_NE(atom, nullptr) << "end " << end;
      EXPECT_EQ(atom->iCode, pair.iCode[end]);
    }

  ResidueMapPair map;
  test::fillChain(map[kReference], "1AAA", "A", "B", "");
  test::fillChain(map[kTarget], "2BBB", "B", "A", "GCG");
  map[kReference].chain.entries = {{'G', 1, 5, ' ', 0}, {'G', 1, 5, 'A', 2}, {'G', 1, 5, kHigh, 1}};
  BPInfo carried;
  ASSERT_TRUE(getCompatibleBasePair(map, kReference, carried, pair));
  EXPECT_EQ(std::make_pair(carried.resSeqNo[0], carried.resSeqNo[1]), std::make_pair(2, 1));
}

}  // namespace
}  // namespace bexora
