#include "mapping/mapping.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "mapping/pair_fixtures.h"

namespace bexora {
namespace {

using test::identityMap;
using test::makeMap;
using test::makePair;

struct MappingRun {
  std::array<std::vector<AtomInfo>, kSides> atoms;
  std::array<std::vector<BPInfo>, kSides> lists;
  MappingState state;

  void map(const ResidueMapPair& pdbMap, bool assess = true, MappingLogs logs = {}) {
    mapBasePairs(atoms, pdbMap, lists, assess, logs, state);
  }
};

bool samePair(const BPInfo& a, const BPInfo& b) {
  return compBPIndicesAndResidue(a, b, 1) == 0 && a.nucleotide[1] == b.nucleotide[1];
}

TEST(CompatibleBasePair, CarriesOntoThePartnerResidue) {
  ResidueMapPair map;
  test::fillChain(map[kReference], "1AAA", "A", "B", "", 0);
  test::fillChain(map[kTarget], "2BBB", "B", "A", "CCCCCGCCCC", 0);
  auto& reference = map[kReference].chain.entries;
  reference = {{'C', 1, 3, ' ', 0}, {'G', 1, 12, ' ', 5}, {'C', 0, 12, 'A', -1}, {'C', 1, 20, ' ', 9}};
  map[kTarget].chain.entries[5].resSeqNo = 15;

  BPInfo carried;
  ASSERT_TRUE(getCompatibleBasePair(map, kReference, carried, makePair(12, 20, 'A', 'U', "W", "H", 't')));
  EXPECT_STREQ(carried.chainId[0], "B");
  EXPECT_EQ(carried.resSeqNo[0], 15);
  EXPECT_EQ(carried.iCode[0], ' ');
  EXPECT_EQ(carried.nucleotide[0], 'G');
  EXPECT_EQ(carried.resSeqNo[1], 10);
  EXPECT_EQ(carried.nucleotide[1], 'C');
  EXPECT_STREQ(carried.edge[0][1], "H");
  EXPECT_EQ(carried.orientation, 't');

  struct Case {
    BPInfo pair;
    const char* why;
  };
  BPInfo gap = makePair(12, 20, 'G', 'C', "W", "W", 'c');
  gap.iCode[0] = 'A';
  const std::vector<Case> failures = {
      {gap, "an end in an alignment gap"},
      {makePair(12, 21, 'G', 'C', "W", "W", 'c'), "a residue the map lacks"},
      {makePair(12, 20, 'G', 'C', "W", "W", 'c', kSourceTool, "C"), "another chain"},
  };
  for (const auto& c : failures) EXPECT_FALSE(getCompatibleBasePair(map, kReference, carried, c.pair)) << c.why;
}

struct SplitCase {
  const char* name;
  std::vector<BPInfo> reference, target;
  ResidueMapPair map;
  int compareEdge;
  std::array<std::size_t, 6> sizes;  // common, ref/target inferable, ref/target non-inferable, unlisted
};

TEST(SetDifference, SplitOfBothLists) {
  const BPInfo cisWW = makePair(1, 4, 'G', 'C', "W", "W", 'c');
  const BPInfo transWW = makePair(1, 4, 'G', 'C', "W", "W", 't');
  const std::vector<BPInfo> mixed = {makePair(1, 5, 'G', 'C', "W", "W", 'c'), makePair(2, 3, 'A', 'A', "H", "S", 't')};
  const ResidueMapPair partial = makeMap("GAAAC", "GAAAC", {{1, 1}, {2, 2}, {5, 5}});
  const std::vector<SplitCase> cases = {
      {"W, + and - are one class",
       {makePair(1, 4, 'G', 'C', "+", "+", 'c')},
       {cisWW},
       identityMap("GAAC"),
       1,
       {1, 0, 0, 0, 0, 0}},
      {"empty reference", {}, mixed, partial, 1, {0, 0, 1, 0, 1, 0}},
      {"empty target", mixed, {}, partial, 1, {0, 1, 0, 1, 0, 0}},
      {"neighbour of a common pair",
       {makePair(1, 10, 'G', 'C', "W", "W", 'c'), makePair(2, 9, 'G', 'C', "W", "W", 'c')},
       {makePair(2, 9, 'G', 'C', "W", "W", 'c')},
       identityMap("GGAAAAAACC"),
       1,
       {1, 1, 0, 0, 0, 0}},
      {"same residues, other type",
       {cisWW},
       {makePair(1, 4, 'G', 'C', "W", "H", 't')},
       identityMap("GAAC"),
       1,
       {0, 1, 0, 0, 0, 1}},
      // Sorted without edges the trans pair stays first and meets the cis pair.
      {"sorted by letters only", {cisWW}, {transWW, cisWW}, identityMap("GAAC"), 0, {0, 1, 1, 0, 0, 1}},
      {"sorted by edges", {cisWW}, {transWW, cisWW}, identityMap("GAAC"), 1, {1, 0, 1, 0, 0, 0}},
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
  run.lists[kReference] = {makePair(1, 2, 'G', 'C', "W", "W", 'c')};
  run.map(identityMap("AA"), false);
  EXPECT_EQ(run.state.diffCounts.canonical, 0);
  EXPECT_EQ(run.state.diffCounts.nonCanonical, 1);
}

TEST(SetDifference, TargetPairUnderAnotherCarriedPairIsKeptAsOwn) {
  MappingRun run;
  run.lists[kReference] = {makePair(1, 4, 'G', 'C', "W", "W", 'c')};
  const BPInfo own = makePair(1, 4, 'G', 'C', "W", "H", 't');
  run.lists[kTarget] = {own};
  run.map(identityMap("GAAC"), true);
  const MappingState& s = run.state;
  EXPECT_EQ(s.accepted[kGroupTargetInferable].total + s.accepted[kGroupTargetNonInferable].total, 0);
  EXPECT_EQ(s.keptTargetPairs, 1);
  ASSERT_EQ(s.basePairAccepted.size(), 1u);
  EXPECT_TRUE(samePair(s.basePairAccepted.back(), own));
  EXPECT_EQ(s.basePairAccepted.back().source, kSourceTool);
  run.map(identityMap("GAAC"), false);
  EXPECT_TRUE(run.state.basePairAccepted.empty());
}

std::string readAll(std::FILE* file) {
  std::rewind(file);
  std::string text;
  char buffer[256];
  std::size_t got;
  while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) text.append(buffer, got);
  return text;
}

// The text printf writes for the quotient 0/0 on this platform.
std::string nanText() {
  volatile double zero = 0;
  char text[16];
  std::snprintf(text, sizeof text, "%0.2lf", 100.0 * zero / zero);
  return text;
}

struct LogCase {
  bool assess;
  std::string acceptance;
};

TEST(Mapping, BenchmarkLogLines) {
  const std::string counts =
      "Common BP Accept Count\nTotal = 1\nCanonical = 1, Non-Canonical = 0, Others = 0\n"
      "Reference Inferable BP Accept Count\nTotal = 0\nCanonical = 0, Non-Canonical = 0, Others = 0\n"
      "Target Inferable BP Accept Count\nTotal = 0\nCanonical = 0, Non-Canonical = 0, Others = 0\n"
      "Target Non-inferable BP Accept Count\nTotal = 1\nCanonical = 0, Non-Canonical = 1, Others = 0\n\n";
  const std::string headers =
      "Common BP Accept Count\nReference Inferable BP Accept Count\nTarget Inferable BP Accept Count\n"
      "Target Non-inferable BP Accept Count\n\n";
  const std::string inferability =
      "1AAA vs 2BBB : BP Canonical Common = 1 BP Canonical Inferable = 1 Canonical Non-inferable = 0\n"
      "1AAA vs 2BBB : BP Non-Canonical Common = 0 BP Non-Canonical Inferable = 0 Non-Canonical Non-inferable = 1\n"
      "1AAA vs 2BBB : BP Other Common = 0 BP Other Inferable = 0 Other Non-inferable = 0\n"
      "2BBB vs 1AAA : BP Canonical Common = 1 BP Canonical Inferable = 1 Canonical Non-inferable = 0\n"
      "2BBB vs 1AAA : BP Non-Canonical Common = 0 BP Non-Canonical Inferable = 0 Non-Canonical Non-inferable = 1\n"
      "2BBB vs 1AAA : BP Other Common = 0 BP Other Inferable = 0 Other Non-inferable = 0\n";
  const std::vector<std::pair<int, int>> links = {{1, 1}, {2, 2}, {3, 3}, {4, 4},   {5, 5},
                                                  {6, 6}, {7, 7}, {9, 9}, {10, 10}, {11, 11}};
  for (const LogCase& c : {LogCase{true, counts}, LogCase{false, headers}}) {
    MappingRun run;
    run.lists[kReference] = {makePair(1, 10, 'G', 'C', "W", "W", 'c'), makePair(2, 9, 'G', 'C', "W", "W", 'c'),
                             makePair(3, 8, 'A', 'A', "H", "S", 't')};
    run.lists[kTarget] = {makePair(1, 10, 'G', 'C', "W", "W", 'c'), makePair(4, 7, 'A', 'U', "W", "W", 'c'),
                          makePair(5, 12, 'A', 'A', "S", "S", 'c')};
    std::FILE* log = std::tmpfile();
    std::FILE* log2 = std::tmpfile();
    ASSERT_TRUE(log && log2);
    run.map(makeMap("GGAAAAUACCAA", "GGAAAAUACCAA", links, 0.2, 0.3), c.assess, MappingLogs{log, log2});
    EXPECT_EQ(readAll(log), "1AAA (2BBB)\nCanonical:1/1 50.00\nNon-Canonical:0/0 " + nanText() + "\n");
    EXPECT_EQ(readAll(log2), inferability + c.acceptance);
    EXPECT_NEAR(run.state.tolerance, 0.70710678, 1e-8);
    std::fclose(log);
    std::fclose(log2);
  }
}

struct AtomSpec {
  const char* name;
  double x, y, z;
};
using Residue = std::vector<AtomSpec>;

const Residue kGuanine = {{"C1'", -4, 1, 0}, {"C2", -1, 0.5, 0}, {"C5", -2, -1, 0},
                          {"N1", 0, 0, 0},   {"N2", 0, 1, 0},    {"O6", 0, -3, 0}};
const Residue kCytosine = {{"C1'", 7, 1, 0},  {"C2", 4, 0.5, 0},    {"C5", 5, -1, 0},
                           {"N3", 2.8, 0, 0}, {"O2", 2.9, -0.9, 0}, {"N4", 4, -3, 0}};
// An adenine in the cytosine's place, with its Watson-Crick atoms.
const Residue kAdenine = {{"C1'", 7, 1, 0}, {"C2", 4, 0.5, 0}, {"C5", 5, -1, 0}, {"N1", 2.8, 0, 0}, {"N6", 4, -3, 0}};

void addResidue(std::vector<AtomInfo>& atoms, int resSeqNo, const Residue& residue, double shift = 0) {
  for (const AtomSpec& spec : residue) {
    AtomInfo atom{};
    setField(atom.chainId, "A");
    setField(atom.atomName, spec.name);
    atom.resSeqNo = resSeqNo;
    atom.iCode = ' ';
    atom.x = spec.x + shift;
    atom.y = spec.y;
    atom.z = spec.z;
    atoms.push_back(atom);
  }
  std::sort(atoms.begin(), atoms.end(), [](const AtomInfo& a, const AtomInfo& b) { return compAtomInfoMap(a, b) < 0; });
}

struct AssessCase {
  const char* name;
  double shift;        // of the target's second residue along the pair's axis
  double dpi;          // of each structure
  bool referenceOnly;  // the pair is the reference's (carried) or the target's own
  bool accepted;
};

TEST(Assessment, ToleranceDecidesCarriedAndOwnPairs) {
  const std::vector<AssessCase> cases = {
      {"carried, within tolerance", 0.3, 0.25, true, true},
      {"carried, moved too far", 1.5, 0.25, true, false},
      {"own, same geometry", 0.3, 0.25, false, false},
      {"own, differing geometry", 1.5, 0.25, false, true},
      {"carried, zero tolerance, identical", 0, 0, true, true},
      {"carried, zero tolerance, tiny move", 0.01, 0, true, false},
      {"own, zero tolerance, identical", 0, 0, false, true},
  };
  for (const auto& c : cases) {
    MappingRun run;
    addResidue(run.atoms[kReference], 1, kGuanine);
    addResidue(run.atoms[kReference], 2, kCytosine);
    addResidue(run.atoms[kTarget], 1, kGuanine);
    addResidue(run.atoms[kTarget], 2, kCytosine, c.shift);
    run.lists[c.referenceOnly ? kReference : kTarget] = {makePair(1, 2, 'G', 'C', "W", "W", 'c')};
    run.map(identityMap("GC", c.dpi, c.dpi));
    ASSERT_EQ(run.state.basePairAccepted.size(), c.accepted ? 1u : 0u) << c.name;
    if (c.accepted) {
      EXPECT_EQ(run.state.basePairAccepted[0].source, c.referenceOnly ? kSourceBexora : kSourceTool) << c.name;
    }
  }
}

struct CarryCase {
  const char* name;
  std::string targetLetters;
  Residue first, second;
  bool accepted;
};

TEST(Assessment, LettersAndAtomsOfTheTarget) {
  Residue noO2 = kCytosine;
  noO2.erase(noO2.begin() + 4);
  Residue noC1 = kCytosine;
  noC1.erase(noC1.begin());
  const std::vector<CarryCase> cases = {
      {"ends swapped in the target", "CG", kCytosine, kGuanine, true},
      {"carried onto another base", "GA", kGuanine, kAdenine, false},
      {"edge atom missing", "GC", kGuanine, noO2, false},
      {"C1' missing", "GC", kGuanine, noC1, false},
  };
  for (const auto& c : cases) {
    MappingRun run;
    addResidue(run.atoms[kReference], 1, kGuanine);
    addResidue(run.atoms[kReference], 2, kCytosine);
    addResidue(run.atoms[kTarget], 1, c.first);
    addResidue(run.atoms[kTarget], 2, c.second);
    run.lists[kReference] = {makePair(1, 2, 'G', 'C', "W", "W", 'c')};
    run.map(makeMap("GC", c.targetLetters, {{1, 1}, {2, 2}}, 0.25, 0.25));
    EXPECT_EQ(run.state.basePairAccepted.size(), c.accepted ? 1u : 0u) << c.name;
  }
}

TEST(Assessment, UnmeasuredContactsAreIgnored) {
  std::vector<AtomInfo> atoms;
  addResidue(atoms, 1, kGuanine);
  addResidue(atoms, 2, kCytosine);
  const BPInfo pair = makePair(1, 2, 'G', 'C', "W", "W", 'c');
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
  // reference other pairs: the accepted list fills up and warns once.
  std::string letters(kMaxBasePairs + 2, 'G');
  MappingRun run;
  for (int i = 0; i < static_cast<int>(kMaxBasePairs); ++i) {
    run.lists[kTarget].push_back(makePair(i + 1, i + 2, 'G', 'G', "S", "S", 'c'));
    run.lists[kReference].push_back(makePair(i + 1, i + 2, 'G', 'G', "H", "H", 't'));
  }
  testing::internal::CaptureStdout();
  run.map(identityMap(letters));
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
  EXPECT_EQ(run.state.basePairAccepted.size(), kMaxBasePairs);

  // One more target pair, on a residue the map lacks: non-inferable, so accepted.
  run.lists[kTarget].push_back(makePair(kMaxBasePairs + 1, kMaxBasePairs + 3, 'G', 'G', "S", "W", 'c'));
  testing::internal::CaptureStdout();
  run.map(identityMap(letters));
  std::string out = testing::internal::GetCapturedStdout();
  EXPECT_EQ(run.state.basePairAccepted.size(), kMaxBasePairs);
  EXPECT_EQ(out,
            "Warning!!! accepted base-pair list limit of 10000 reached in mapping 1AAA onto 2BBB; the rest is "
            "ignored.\n");
}

TEST(Mapping, EveryTargetPairReachesTheAnnotation) {
  MappingRun run;
  addResidue(run.atoms[kReference], 1, kGuanine);
  addResidue(run.atoms[kReference], 2, kCytosine);
  addResidue(run.atoms[kTarget], 1, kGuanine);
  addResidue(run.atoms[kTarget], 2, kCytosine, 1.5);
  run.lists[kReference] = {makePair(3, 4, 'G', 'C', "W", "W", 'c'), makePair(5, 6, 'A', 'A', "H", "S", 't')};
  const std::vector<std::pair<BPInfo, int>> expected = {
      {makePair(1, 2, 'G', 'C', "W", "W", 'c'), kSourceTool},  // target-inferable, other geometry
      {makePair(3, 4, 'G', 'C', "W", "W", 'c'), kSourceBoth},  // common
      {makePair(5, 6, 'A', 'A', "S", "S", 'c'), kSourceTool},  // under a carried pair of another type
      {makePair(6, 7, 'A', 'A', "W", "W", 't'), kSourceTool},  // non-inferable
  };
  for (const auto& entry : expected) run.lists[kTarget].push_back(entry.first);
  run.map(makeMap("GCGCAAA", "GCGCAAA", {{1, 1}, {2, 2}, {3, 3}, {4, 4}, {5, 5}, {6, 6}}, 0.25, 0.25));
  const std::vector<BPInfo>& accepted = run.state.basePairAccepted;
  EXPECT_EQ(accepted.size(), expected.size());
  for (const auto& [pair, source] : expected) {
    auto hit = std::find_if(accepted.begin(), accepted.end(), [&](const BPInfo& p) { return samePair(p, pair); });
    ASSERT_NE(hit, accepted.end()) << pair.resSeqNo[0] << "-" << pair.resSeqNo[1];
    EXPECT_EQ(hit->source, source);
  }
}

}  // namespace
}  // namespace bexora
