#include "mapping/mapping.h"

#include <gtest/gtest.h>

#include "test_support.h"

#include <algorithm>
#include <iterator>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "mapping/pair_fixtures.h"

namespace bexora {
namespace {

using test::identityMap;
using test::kCytosine;
using test::kGuanine;
using test::makeMap;
using test::makePair;
using test::twoResidues;

struct MappingRun {
  std::array<std::vector<AtomInfo>, kSides> atoms;
  std::array<std::vector<BPInfo>, kSides> lists;
  MappingState state;
  std::string messages;  // of the last call

  AtomTables atomTables() const { return {&atoms[kReference], &atoms[kTarget]}; }
  void map(const ResidueMapPair& pdbMap, bool assess = true) {
    messages.clear();
    mapBasePairs(atomTables(), pdbMap, lists, assess, state, collectingReporter(messages));
  }
};

bool samePair(const BPInfo& a, const BPInfo& b) {
  return compBPIndicesAndResidue(a, b, 1) == 0 && a.nucleotide[1] == b.nucleotide[1];
}

TEST(CompatibleBasePair, CarriesOntoThePartnerResidue) {
  ResidueMapPair map;
  test::fillChain(map[kReference], "1AAA", "A", "B", "");
  test::fillChain(map[kTarget], "2BBB", "B", "A", "CCCCCGCCCC");
  map[kReference].chain.entries = {
      {'C', 1, 3, ' ', 0}, {'G', 1, 12, ' ', 5}, {'C', 0, 12, 'A', -1}, {'C', 1, 20, ' ', 9}};
  map[kTarget].chain.entries[5].resSeqNo = 15;

  BPInfo carried;
  ASSERT_TRUE(getCompatibleBasePair(map, kReference, carried, makePair(12, 20, "AU", "W/H", 't')));
  EXPECT_STREQ(carried.chainId[0], "B");
  EXPECT_STREQ(carried.edge[0][1], "H");
  EXPECT_EQ(std::make_tuple(carried.resSeqNo[0], carried.iCode[0], carried.nucleotide[0], carried.resSeqNo[1],
                            carried.nucleotide[1], carried.orientation),
            std::make_tuple(15, ' ', 'G', 10, 'C', 't'));

  BPInfo gap = makePair(12, 20, "GC", "W/W");
  gap.iCode[0] = 'A';
  const std::pair<BPInfo, const char*> failures[] = {
      {gap, "an end in an alignment gap"},
      {makePair(12, 21, "GC", "W/W"), "a residue the map lacks"},
      {makePair(12, 20, "GC", "W/W", 'c', kSourceTool, "C"), "another chain"}};
  for (const auto& [pair, why] : failures) EXPECT_FALSE(getCompatibleBasePair(map, kReference, carried, pair)) << why;
}

struct SplitCase {
  const char* name;
  std::vector<BPInfo> reference, target;
  ResidueMapPair map;
  int compareEdge;
  std::array<std::size_t, 6> sizes;  // common, ref/target inferable, ref/target non-inferable, unlisted
};

TEST(SetDifference, SplitOfBothLists) {
  const BPInfo cisWW = makePair(1, 4, "GC", "W/W"), transWW = makePair(1, 4, "GC", "W/W", 't');
  const BPInfo outer = makePair(1, 10, "GC", "W/W"), inner = makePair(2, 9, "GC", "W/W");
  const std::vector<BPInfo> mixed = {makePair(1, 5, "GC", "W/W"), makePair(2, 3, "AA", "H/S", 't')};
  const ResidueMapPair partial = makeMap("GAAAC", "GAAAC", {{1, 1}, {2, 2}, {5, 5}}), gaac = identityMap("GAAC");
  const SplitCase cases[] = {
      {"W, + and - are one class", {makePair(1, 4, "GC", "+/+")}, {cisWW}, gaac, 1, {1, 0, 0, 0, 0, 0}},
      {"empty reference", {}, mixed, partial, 1, {0, 0, 1, 0, 1, 0}},
      {"empty target", mixed, {}, partial, 1, {0, 1, 0, 1, 0, 0}},
      {"beside a common pair", {outer, inner}, {inner}, identityMap("GGAAAAAACC"), 1, {1, 1, 0, 0, 0, 0}},
      {"same residues, other type", {cisWW}, {makePair(1, 4, "GC", "W/H", 't')}, gaac, 1, {0, 1, 0, 0, 0, 1}},
      // Sorted without edges the trans pair stays first and meets the cis pair.
      {"sorted by letters only", {cisWW}, {transWW, cisWW}, gaac, 0, {0, 1, 1, 0, 0, 1}},
      {"sorted by edges", {cisWW}, {transWW, cisWW}, gaac, 1, {1, 0, 1, 0, 0, 0}},
  };
  for (const auto& c : cases) {
    MappingRun run;
    run.lists = {c.reference, c.target};
    run.state.compareEdge = c.compareEdge;
    run.map(c.map, false);
    const MappingState& s = run.state;
    std::array<std::size_t, 6> sizes = {s.basePairCommon[kReference].count(), s.basePairSetDiff[kReference].count(),
                                        s.basePairSetDiff[kTarget].count(),   s.basePairNoAlign[kReference].count(),
                                        s.basePairNoAlign[kTarget].count(),   s.unlistedTargetPairs.size()};
    EXPECT_EQ(sizes, c.sizes) << c.name;
    EXPECT_EQ(s.compareEdge, c.compareEdge) << c.name;
  }
}

TEST(SetDifference, CarriedCopyIsClassifiedByTheTargetLetters) {
  MappingRun run;
  run.lists[kReference] = {makePair(1, 2, "GC", "W/W")};
  run.map(identityMap("AA"), false);
  EXPECT_EQ(std::make_pair(run.state.diffCounts.canonical, run.state.diffCounts.nonCanonical), std::make_pair(0, 1));
}

TEST(Assessment, UnmeasuredContactsAreIgnored) {
  const std::vector<AtomInfo> atoms = twoResidues(kGuanine, kCytosine);
  const BPInfo pair = makePair(1, 2, "GC", "W/W");
  std::array<EdgeAtomSet, 2> sets = {getEdgeAtomName('W', 'G'), getEdgeAtomName('W', 'C')};
  std::array<ResidueAtoms, 2> found;
  bool allFound = true;
  findAtoms(atoms, pair, sets, found, allFound);
  const std::array<LocatedEdgeAtoms, 2> reference = {found[0].edge, found[1].edge};

  const AtomInteraction unmeasured[] = {{2.0, "C8", 0, "N3", 1}};
  EXPECT_TRUE(isSymmetricBP(0.7, 1, unmeasured, reference, 1, pair, pair));
  const AtomInteraction longer[] = {{3.8, "N1", 0, "N3", 1}};  // 1.0 longer than in the reference
  EXPECT_FALSE(isSymmetricBP(0.7, 1, longer, reference, 1, pair, pair));
  EXPECT_TRUE(isSymmetricBP(0.7, 1, longer, reference, 0, pair, pair));
  EXPECT_TRUE(isSymmetricBP(0.7, 0, longer, reference, 1, pair, pair));
}

TEST(Mapping, AcceptedListStopsAtItsLimit) {
  // A chain mapped onto itself whose target holds the limit of pairs and the
  // reference other pairs on the same residues: every target pair is kept as
  // the tool's own, the accepted lists fill up together and warn once.
  const ResidueMapPair map = identityMap(std::string(kMaxBasePairs + 2, 'G'));
  MappingRun run;
  for (int i = 1; i <= static_cast<int>(kMaxBasePairs); ++i) {
    run.lists[kTarget].push_back(makePair(i, i + 1, "GG", "S/S"));
    run.lists[kReference].push_back(makePair(i, i + 1, "GG", "H/H", 't'));
  }
  run.map(map);
  EXPECT_EQ(run.messages, "");
  EXPECT_EQ(std::make_tuple(run.state.assessedPairs.size(), run.state.keptTargetPairs.size()),
            std::make_tuple(std::size_t{0}, kMaxBasePairs));

  // One more target pair, on a residue the map lacks: non-inferable, so accepted.
  run.lists[kTarget].push_back(makePair(kMaxBasePairs + 1, kMaxBasePairs + 3, "GG", "S/W"));
  run.map(map);
  EXPECT_EQ(run.messages,
            "Warning!!! accepted base-pair list limit of " + std::to_string(kMaxBasePairs) +
                " reached in mapping 1AAA onto 2BBB; the rest is ignored.\n");
  EXPECT_EQ(std::make_tuple(run.state.assessedPairs.size(), run.state.keptTargetPairs.size()),
            std::make_tuple(std::size_t{1}, kMaxBasePairs - 1));
}

// Pairs on a base the edge-atom table lacks are counted after the
// assessment, once per structure, base and edge. A target pair outside the
// alignment stands on both sides of its couple but counts once, for the target.
TEST(Mapping, UnknownBasesAreCountedPerStructureBaseAndEdge) {
  const ResidueMapPair map = makeMap("GPGGGG", "GPGGPP", {{1, 1}, {2, 2}, {3, 3}, {4, 4}});
  using Count = std::tuple<std::string, char, char, int>;
  const std::pair<bool, std::vector<Count>> cases[] = {
      {true, {{"2BBB", 'P', 'W', 2}, {"1AAA", 'P', 'W', 1}, {"2BBB", 'P', 'H', 1}, {"1AAA", 'P', 'H', 1}}},
      {false, {}},  // nothing is assessed, so nothing looks up edge atoms
  };
  for (const auto& [assess, expected] : cases) {
    MappingRun run;
    run.lists[kReference] = {makePair(2, 3, "PG", "H/W"), makePair(1, 2, "GP", "W/W")};
    run.lists[kTarget] = {makePair(5, 6, "PP", "W/W"), makePair(3, 4, "GG", "S/S")};
    run.map(map, assess);
    std::vector<Count> counted;
    for (const UnknownBaseCount& c : run.state.unknownBases) counted.emplace_back(c.structure, c.base, c.edge, c.pairs);
    EXPECT_EQ(counted, expected) << assess;
    EXPECT_EQ(run.messages, "");
  }
}

// No target pair is lost, whichever list the split puts it in; one under a
// carried pair of another type is kept as the tool's own, outside the groups.
TEST(Mapping, EveryTargetPairReachesTheAnnotation) {
  MappingRun run;
  run.atoms = {twoResidues(kGuanine, kCytosine), twoResidues(kGuanine, kCytosine, 1.5)};
  run.lists[kReference] = {makePair(3, 4, "GC", "W/W"), makePair(5, 6, "AA", "H/S", 't')};
  const std::pair<BPInfo, int> expected[] = {
      {makePair(1, 2, "GC", "W/W"), kSourceTool},       // target-inferable, other geometry
      {makePair(3, 4, "GC", "W/W"), kSourceBoth},       // common
      {makePair(5, 6, "AA", "S/S"), kSourceTool},       // under a carried pair of another type
      {makePair(6, 7, "AA", "W/W", 't'), kSourceTool},  // non-inferable
  };
  for (const auto& entry : expected) run.lists[kTarget].push_back(entry.first);
  const ResidueMapPair map = makeMap("GCGCAAA", "GCGCAAA", {{1, 1}, {2, 2}, {3, 3}, {4, 4}, {5, 5}, {6, 6}});
  test::setDpi(run.state, 0.25, 0.25);
  run.map(map);
  const MappingState& s = run.state;
  EXPECT_EQ(std::make_tuple(s.accepted[kGroupTargetInferable].total, s.accepted[kGroupTargetNonInferable].total),
            std::make_tuple(1, 1));
  ASSERT_EQ(s.keptTargetPairs.size(), 1u);
  EXPECT_TRUE(samePair(s.keptTargetPairs[0], expected[2].first));
  const std::vector<BPInfo> written = pairsInWritingOrder(s.assessedPairs, s.keptTargetPairs);
  ASSERT_EQ(written.size(), std::size(expected));
  for (std::size_t i = 0; i < written.size(); ++i) {
    EXPECT_TRUE(samePair(written[i], expected[i].first)) << written[i].resSeqNo[0] << "-" << written[i].resSeqNo[1];
    EXPECT_EQ(written[i].source, expected[i].second);
  }
  run.map(map, false);
  EXPECT_TRUE(s.assessedPairs.empty());
  EXPECT_TRUE(s.keptTargetPairs.empty());
}

// Residue 3 of the reference and 2 of the target have no atoms (the map
// leaves them out); pairs on them are counted once each.
TEST(Mapping, PairsOnUnreadResiduesAreCountedOnce) {
  ResidueMapPair map = identityMap("GCGCA");
  auto& reference = map[kReference].chain.entries;
  auto& target = map[kTarget].chain.entries;
  reference.erase(reference.begin() + 2);
  target.erase(target.begin() + 1);
  MappingRun run;
  run.lists[kReference] = {makePair(1, 4, "GC", "W/W"), makePair(2, 3, "CG", "W/W"), makePair(3, 3, "GG", "W/W"),
                           makePair(1, 3, "GG", "W/W", 'c', kSourceTool, "B")};
  run.lists[kTarget] = {makePair(1, 2, "GC", "W/W"), makePair(4, 5, "CA", "W/W")};
  EXPECT_EQ(countPairsOnUnreadResidues(map, run.lists), 3);
  EXPECT_EQ(countPairsOnUnreadResidues(identityMap("GCGCA"), run.lists), 0);
}

}  // namespace
}  // namespace bexora
