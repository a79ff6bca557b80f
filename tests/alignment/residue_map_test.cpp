#include "alignment/residue_map.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "alignment/fasta.h"
#include "test_support.h"
#include "model/record_fixtures.h"

namespace bexora {
namespace {

StructureResidueMap structureOf(const std::string& pdbId, const std::string& letters, const char* chain = "A") {
  StructureResidueMap map;
  setField(map.pdbId, pdbId);
  map.chainCount = 1;
  setField(map.chain.chainId, chain);
  for (std::size_t i = 0; i < letters.size(); ++i)
    map.chain.entries.push_back({letters[i], 0, static_cast<int32_t>(i + 1), ' ', -1});
  return map;
}

AtomInfo atom(const char* chain, int32_t number, char iCode, char letter, const char* name = "P") {
  return test::makeAtom(chain, number, name, 0, 0, 0, iCode, letter);
}

std::vector<int32_t> mapIndexes(const ChainResidueMap& chain) {
  std::vector<int32_t> indexes;
  for (const ResidueMapEntry& e : chain.entries) indexes.push_back(e.mapIndex);
  return indexes;
}

// Aligned entries point at each other and agree on `identical`, which is 1
// only for equal letters; unmapped entries are never identical.
void expectMutualMap(const ChainResidueMap& a, const ChainResidueMap& b) {
  for (int pass = 0; pass < 2; ++pass) {
    const ChainResidueMap& from = pass ? b : a;
    const ChainResidueMap& to = pass ? a : b;
    for (int32_t i = 0; i < from.length(); ++i) {
      const ResidueMapEntry& e = from.entries[i];
      if (e.mapIndex == -1) {
        EXPECT_EQ(e.identical, 0);
        continue;
      }
      ASSERT_TRUE(e.mapIndex >= 0 && e.mapIndex < to.length()) << e.mapIndex;
      EXPECT_EQ(to.entries[e.mapIndex].mapIndex, i);
      EXPECT_EQ(to.entries[e.mapIndex].identical, e.identical);
      EXPECT_TRUE(!e.identical || to.entries[e.mapIndex].nucleotide == e.nucleotide);
    }
  }
}

TEST(ChainAlign, MapsLettersAndKeepsLengths) {
  StructureResidueMap a = structureOf("1ABC", "CGACU"), b = structureOf("2XYZ", "GACA"), empty = structureOf("E", "");
  ASSERT_TRUE(chainAlign(a.chain, b.chain, Reporter()));
  EXPECT_EQ(mapIndexes(a.chain), (std::vector<int32_t>{-1, 0, 1, 2, 3}));
  EXPECT_EQ(a.chain.entries[4].identical, 0);
  expectMutualMap(a.chain, b.chain);
  ASSERT_TRUE(chainAlign(a.chain, empty.chain, Reporter()));
  EXPECT_EQ(mapIndexes(a.chain), std::vector<int32_t>(5, -1));
  std::mt19937 random(5);
  for (int round = 0; round < 200 && !HasFailure(); ++round) {
    std::string x, y;
    for (unsigned i = random() % 40; i > 0; --i) x.push_back("ACGU"[random() % 4]);
    for (unsigned i = random() % 40; i > 0; --i) y.push_back("ACGU"[random() % 4]);
    a = structureOf("1ABC", x), b = structureOf("2XYZ", y);
    ASSERT_TRUE(chainAlign(a.chain, b.chain, Reporter()));
    ASSERT_EQ(a.chain.entries.size(), x.size());
    ASSERT_EQ(b.chain.entries.size(), y.size());
    expectMutualMap(a.chain, b.chain);
  }
}

TEST(AlignPDBWithRef, ObservedResiduesCollapseAndAlignToTheSequence) {
  std::vector<AtomInfo> atoms = {atom("A", 2, ' ', 'G', "P"), atom("A", 2, ' ', 'G', "C1'"), atom("A", 3, ' ', 'A'),
                                 atom("A", 3, 'A', 'C'),      atom("B", 4, ' ', 'U'),        atom("A", 4, ' ', 'U')};
  StructureResidueMap seqMap, obsMap;
  ASSERT_TRUE(alignPDBWithRef(atoms, seqMap, obsMap, structureOf("1ABC", "CGACUA"), Reporter()));
  EXPECT_STREQ(obsMap.pdbId, "ATOM");
  EXPECT_STREQ(seqMap.pdbId, "1ABC");
  ASSERT_EQ(obsMap.chain.entries.size(), 4u);
  EXPECT_EQ(std::make_tuple(obsMap.chain.entries[2].resSeqNo, obsMap.chain.entries[2].iCode), std::make_tuple(3, 'A'));
  EXPECT_EQ(mapIndexes(seqMap.chain), (std::vector<int32_t>{-1, 0, 1, 2, 3, -1}));
  expectMutualMap(seqMap.chain, obsMap.chain);
}

TEST(AlignPDBWithRef, ObservedChainIsCutAtTheLimitWithOneWarning) {
  std::vector<AtomInfo> atoms;
  for (int32_t number = 1; number <= 7002; ++number) atoms.push_back(atom("A", number, ' ', 'G'));
  StructureResidueMap seqMap, obsMap;
  std::string out;
  EXPECT_TRUE(alignPDBWithRef(atoms, seqMap, obsMap, structureOf("1ABC", "G"), collectingReporter(out)));
  ASSERT_EQ(obsMap.chain.entries.size(), kMaxChainResidues);
  EXPECT_EQ(out.find("Warning!!! Observed chain A residue limit of 7000 reached in the atoms of 1ABC"), 0u) << out;
  EXPECT_EQ(out.find("Warning!!!", 1), std::string::npos);
  EXPECT_EQ(seqMap.chain.entries[0].mapIndex, 6999);
}

struct Composed {
  ResidueMapPair refSeqsMap, refMap, pdbTempMap, pdbMap;
};

Composed compose(const ResidueMapPair& fasta, const std::vector<AtomInfo> atoms[kSides]) {
  Composed c;
  for (int side = 0; side < kSides; ++side)
    EXPECT_TRUE(alignPDBWithRef(atoms[side], c.refMap[side], c.pdbTempMap[side], fasta[side], Reporter()));
  c.refSeqsMap = fasta;
  EXPECT_TRUE(alignFasta(c.refSeqsMap, Reporter()));
  alignPDBs(c.refSeqsMap, c.refMap, c.pdbTempMap, c.pdbMap);
  expectMutualMap(c.refSeqsMap[0].chain, c.refSeqsMap[1].chain);
  expectMutualMap(c.pdbMap[0].chain, c.pdbMap[1].chain);
  return c;
}

std::vector<AtomInfo> atomsOf(const char* chain, const std::string& letters, const std::vector<int32_t>& numbers) {
  std::vector<AtomInfo> atoms;
  for (int32_t number : numbers) atoms.push_back(atom(chain, number, ' ', letters[number - 1]));
  return atoms;
}

TEST(AlignPDBs, ComposesTheThreeAlignments) {
  const std::vector<AtomInfo> atoms[kSides] = {atomsOf("A", "AGCAUCG", {2, 3, 4, 5, 6}),
                                               atomsOf("B", "AGCGUCG", {1, 2, 3, 4, 6, 7})};
  Composed c = compose({structureOf("1REF", "AGCAUCG", "A"), structureOf("2TGT", "AGCGUCG", "B")}, atoms);
  const StructureResidueMap& target = c.pdbMap[kTarget];
  EXPECT_EQ(std::make_tuple(std::string(target.pdbId), std::string(target.chain.pairChainId)),
            std::make_tuple(std::string("2TGT"), std::string("A")));
  EXPECT_STREQ(c.refSeqsMap[kReference].chain.pairChainId, "B");
  // Target residues 1 and 7 face reference residues without coordinates;
  // residue 4 faces a different letter.
  EXPECT_EQ(mapIndexes(target.chain), (std::vector<int32_t>{-1, 0, 1, 2, 4, -1}));
  std::vector<int32_t> identical;
  for (const ResidueMapEntry& e : target.chain.entries) identical.push_back(e.identical);
  EXPECT_EQ(identical, (std::vector<int32_t>{0, 1, 1, 0, 1, 0}));
  const std::vector<AtomInfo> noTarget[kSides] = {atoms[0], {}};
  Composed half = compose({structureOf("1REF", "AGCAUCG", "A"), StructureResidueMap{}}, noTarget);
  EXPECT_EQ(mapIndexes(half.pdbMap[kReference].chain), std::vector<int32_t>(5, -1));
}

// Standard-nucleotide ATOM records of one chain, first model, sorted.
std::vector<AtomInfo> readAtoms(const std::string& file, const std::string& chain) {
  std::ifstream in(test::realDataPath(file));
  std::vector<AtomInfo> atoms;
  for (std::string line; std::getline(in, line) && line.rfind("ENDMDL", 0) != 0;) {
    if (line.rfind("ATOM  ", 0) != 0 || line.size() < 27 || line.substr(21, 1) != chain) continue;
    if (line.substr(17, 2) != "  " || std::string("ACGU").find(line[19]) == std::string::npos) continue;
    std::string name = line.substr(12, 4);
    atoms.push_back(atom(chain.c_str(), std::stoi(line.substr(22, 4)), line[26], line[19], name.c_str()));
  }
  std::sort(atoms.begin(), atoms.end(), [](const AtomInfo& a, const AtomInfo& b) {
    return std::make_tuple(a.resSeqNo, a.iCode, std::string_view(a.atomName)) <
           std::make_tuple(b.resSeqNo, b.iCode, std::string_view(b.atomName));
  });
  return atoms;
}

// Pairs of (reference, target) residue numbers that pdbMap aligns.
std::vector<std::pair<int32_t, int32_t>> realPairs(const std::string& refFile, const std::string& targetFile,
                                                   const std::string& refId, const std::string& targetId,
                                                   const std::string& chain) {
  ResidueMapPair sequences;
  EXPECT_TRUE(
      readFastaSequence(test::realDataPath("pdb_seqres.na.fa"), refId, chain, targetId, chain, sequences, Reporter()));
  const std::vector<AtomInfo> atoms[kSides] = {readAtoms(refFile, chain), readAtoms(targetFile, chain)};
  Composed c = compose(sequences, atoms);
  std::vector<std::pair<int32_t, int32_t>> pairs;
  for (const ResidueMapEntry& e : c.pdbMap[kReference].chain.entries)
    if (e.mapIndex != -1) pairs.emplace_back(e.resSeqNo, c.pdbMap[kTarget].chain.entries[e.mapIndex].resSeqNo);
  return pairs;
}

// 1EHZ and 6TNA: identical sequences, the same 62 residues with
// standard-nucleotide atoms (modified ones have none). A few observed residues
// align with a different letter of their own sequence, but both sides shift alike.
// 1Y26: residue 42 is missing from the target and opens a run of three G
// (42-44); a sequence alone cannot tell which G is absent, so one residue of
// the run stays unmapped and every residue outside the run maps to its own number.
TEST(AlignPDBs, RealChainsMapByNumber) {
  BEXORA_REQUIRE_REALDATA();
  struct RealCase {
    const char *refFile, *targetFile, *refId, *targetId, *chain;
    std::size_t pairs;
    int32_t runFrom, runTo;  // residues that may map to another of the run
  };
  const RealCase cases[] = {{"1EHZ/1EHZ.pdb", "6TNA/6TNA.pdb", "1EHZ", "6TNA", "A", 62, 0, -1},
                            {"1Y26/1Y26.pdb", "1Y26-missing/1Y26.pdb", "1Y26", "1Y26", "X", 70, 42, 44}};
  for (const RealCase& c : cases) {
    SCOPED_TRACE(c.targetFile);
    auto pairs = realPairs(c.refFile, c.targetFile, c.refId, c.targetId, c.chain);
    EXPECT_EQ(pairs.size(), c.pairs);
    for (const auto& [reference, target] : pairs)
      EXPECT_TRUE(reference == target || (reference >= c.runFrom && reference <= c.runTo)) << reference;
  }
}

}  // namespace
}  // namespace bexora
