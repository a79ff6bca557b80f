#include "output/evidence.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "mapping/pair_fixtures.h"
#include "text_fields.h"

namespace bexora {
namespace {

using test::kAdenine;
using test::kCytosine;
using test::kGuanine;
using test::makeMap;
using test::makePair;
using test::Residue;
using test::twoResidues;

Residue moved(Residue residue, const char* atom, double dx) {
  for (auto& spec : residue)
    if (std::string(spec.name) == atom) spec.x += dx;
  return residue;
}

Residue without(Residue residue, const char* atom) {
  residue.erase(std::remove_if(residue.begin(), residue.end(),
                               [atom](const test::AtomSpec& spec) { return std::string(spec.name) == atom; }),
                residue.end());
  return residue;
}

enum Lists { kReferenceOnly, kTargetOnly, kBoth, kTargetUnaligned };

struct ReasonCase {
  const char* name;
  Lists lists;
  const char* targetLetters;
  Residue first, second;  // of the target
  double shift;           // of the target's second residue
  AssessGroup group;
  bool accepted;
  AssessReason reason;
  int orientation;
  double dpi = 0.25;  // of each structure
};

// One G-C pair on residues 1 and 2, tolerance 0.707 A; each case changes the
// target so that one test decides.
TEST(Evidence, EachTestDecidesItsPair) {
  const ReasonCase cases[] = {
      {"carried, within tolerance", kReferenceOnly, "GC", kGuanine, kCytosine, 0.3, kGroupRefInferable, true,
       AssessReason::kAgrees, 0},
      {"carried, ends swapped", kReferenceOnly, "CG", kCytosine, kGuanine, 0, kGroupRefInferable, true,
       AssessReason::kAgrees, 1},
      {"carried, moved too far", kReferenceOnly, "GC", kGuanine, kCytosine, 1.5, kGroupRefInferable, false,
       AssessReason::kC1, 0},
      {"carried, C2 moved", kReferenceOnly, "GC", kGuanine, moved(kCytosine, "C2", 1.5), 0, kGroupRefInferable, false,
       AssessReason::kC2, 0},
      {"carried, C5 moved", kReferenceOnly, "GC", kGuanine, moved(kCytosine, "C5", 1.5), 0, kGroupRefInferable, false,
       AssessReason::kC5, 0},
      {"carried, N3 moved", kReferenceOnly, "GC", kGuanine, moved(kCytosine, "N3", 1.0), 0, kGroupRefInferable, false,
       AssessReason::kContacts, 0},
      {"carried, O2 missing", kReferenceOnly, "GC", kGuanine, without(kCytosine, "O2"), 0, kGroupRefInferable, false,
       AssessReason::kEdgeAtoms, -1},
      {"carried, C1' missing", kReferenceOnly, "GC", kGuanine, without(kCytosine, "C1'"), 0, kGroupRefInferable, false,
       AssessReason::kMissingC1, -1},
      {"carried onto an adenine", kReferenceOnly, "GA", kGuanine, kAdenine, 0, kGroupRefInferable, false,
       AssessReason::kLetters, -1},
      {"own, differing geometry", kTargetOnly, "GC", kGuanine, kCytosine, 1.5, kGroupTargetInferable, true,
       AssessReason::kDiffers, 0},
      {"own, same geometry", kTargetOnly, "GC", kGuanine, kCytosine, 0.3, kGroupTargetInferable, false,
       AssessReason::kC1, 0},
      {"carried, zero tolerance, identical", kReferenceOnly, "GC", kGuanine, kCytosine, 0, kGroupRefInferable, true,
       AssessReason::kAgrees, 0, 0},
      {"carried, zero tolerance, tiny move", kReferenceOnly, "GC", kGuanine, kCytosine, 0.01, kGroupRefInferable, false,
       AssessReason::kC1, 0, 0},
      {"own, zero tolerance, identical", kTargetOnly, "GC", kGuanine, kCytosine, 0, kGroupTargetInferable, true,
       AssessReason::kDiffers, 0, 0},
      {"in both", kBoth, "GC", kGuanine, kCytosine, 1.5, kGroupCommon, true, AssessReason::kAcceptAll, -1},
      {"own, on an unaligned residue", kTargetUnaligned, "GC", kGuanine, kCytosine, 1.5, kGroupTargetNonInferable, true,
       AssessReason::kAcceptAll, -1},
  };
  for (const ReasonCase& c : cases) {
    SCOPED_TRACE(c.name);
    std::array<std::vector<AtomInfo>, kSides> atoms = {twoResidues(kGuanine, kCytosine),
                                                       twoResidues(c.first, c.second, c.shift)};
    std::array<std::vector<BPInfo>, kSides> lists;
    if (c.lists != kTargetOnly && c.lists != kTargetUnaligned) lists[kReference] = {makePair(1, 2, "GC", "W/W")};
    if (c.lists != kReferenceOnly) lists[kTarget] = {makePair(1, 2, c.targetLetters, "W/W")};
    std::vector<std::pair<int, int>> links = {{1, 1}};
    if (c.lists != kTargetUnaligned) links.emplace_back(2, 2);
    MappingState state;
    state.collectEvidence = true;
    test::setDpi(state, c.dpi, c.dpi);
    mapBasePairs({&atoms[0], &atoms[1]}, makeMap("GC", c.targetLetters, links), lists, true, state, Reporter());
    ASSERT_EQ(state.evidence.size(), 1u);
    const PairEvidence& row = state.evidence[0];
    EXPECT_EQ(row.group, c.group);
    EXPECT_EQ(row.accepted, c.accepted);
    EXPECT_STREQ(reasonName(row.reason), reasonName(c.reason));
    EXPECT_EQ(row.geometry.orientation, c.orientation);
    EXPECT_EQ(state.assessedPairs.size(), c.accepted ? 1u : 0u);
  }
}

struct RunRuleCase {
  const char* name;
  double referenceShift, targetShift;  // of each structure's second residue
  std::vector<BPInfo> targetPairs;     // the target's own annotation
  AssessGroup group;
  const char* decision;
  AssessReason reason;
  std::size_t written;
};

// The rules of a single run: a carried pair needs a contact within 4 A and
// must not contradict the target's own pairs; the target's own pairs are
// written whatever their comparison says.
TEST(Evidence, RunRulesGuardCarriedPairsAndKeepOwnOnes) {
  const RunRuleCase cases[] = {
      {"carried, in contact", 0, 0.3, {}, kGroupRefInferable, "accepted", AssessReason::kAgrees, 1},
      {"carried, apart in both", 1.5, 1.5, {}, kGroupRefInferable, "rejected", AssessReason::kNoContact, 0},
      {"carried onto residues paired otherwise", 0, 0, {makePair(1, 2, "GC", "W/H", 't')}, kGroupRefInferable,
       "rejected", AssessReason::kTargetPaired, 1},
      {"carried cis Watson-Crick, residue 1 so paired with 3", 0, 0, {makePair(1, 3, "GC", "W/W")},
       kGroupRefInferable, "rejected", AssessReason::kEdgeTaken, 1},
      {"own, same geometry", 0, 0.3, {makePair(1, 2, "GC", "W/W")}, kGroupTargetInferable, "kept",
       AssessReason::kC1, 1},
  };
  for (const RunRuleCase& c : cases) {
    SCOPED_TRACE(c.name);
    std::array<std::vector<AtomInfo>, kSides> atoms = {twoResidues(kGuanine, kCytosine, c.referenceShift),
                                                       twoResidues(kGuanine, kCytosine, c.targetShift)};
    const bool carried = c.group == kGroupRefInferable;
    std::array<std::vector<BPInfo>, kSides> lists = {
        carried ? std::vector<BPInfo>{makePair(1, 2, "GC", "W/W")} : std::vector<BPInfo>{}, c.targetPairs};
    MappingState state;
    state.collectEvidence = true;
    state.rules = MappingRules{true, true, true, 4.0};
    test::setDpi(state, 0.25, 0.25);
    mapBasePairs({&atoms[0], &atoms[1]}, makeMap("GCC", "GCC", {{1, 1}, {2, 2}, {3, 3}}), lists, true, state,
                 Reporter());
    auto row = std::find_if(state.evidence.begin(), state.evidence.end(),
                            [&](const PairEvidence& e) { return e.group == c.group; });
    ASSERT_NE(row, state.evidence.end());
    const std::string table = evidenceTable(state);
    EXPECT_NE(table.find(std::string("\t") + c.decision + "\t" + reasonName(c.reason) + "\t"), std::string::npos);
    EXPECT_STREQ(reasonName(row->reason), reasonName(c.reason));
    EXPECT_EQ(state.assessedPairs.size() + state.keptTargetPairs.size(), c.written);
  }
}

PairEvidence carriedRow(double c1Reference, double c1Target) {
  PairEvidence row{kGroupRefInferable,         true, false, AssessReason::kAgrees, makePair(1, 2, "GC", "W/W"),
                   makePair(1, 2, "GC", "W/W"), PairGeometry{}};
  row.geometry.c1 = {c1Reference, c1Target};
  return row;
}

// Six decimals unless rounding would carry a difference across the
// tolerance; then every digit, so the row still redoes its decision.
TEST(Evidence, RoundingNeverTurnsADecision) {
  struct Case {
    const char* name;
    double c1Reference, c1Target;
    bool everyDigit;
  };
  const Case cases[] = {
      {"clear of the tolerance", 10.0, 10.25, false},
      {"just inside, rounds onto it", 10.0000004, 10.5000001, true},
      {"just outside, rounds onto it", 10.0, 10.5000004, true},
      {"on it exactly", 10.0, 10.5, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    MappingState state;
    state.tolerance = 0.5;
    state.evidence = {carriedRow(c.c1Reference, c.c1Target)};
    std::vector<std::string> fields = test::fieldsOf(test::textLines(evidenceTable(state))[1]);
    ASSERT_EQ(fields.size(), 21u);
    EXPECT_EQ(fields[8] == "10.000000", !c.everyDigit) << fields[8];
    double tolerance = std::strtod(fields[5].c_str(), nullptr);
    double written = std::fabs(std::strtod(fields[9].c_str(), nullptr) - std::strtod(fields[8].c_str(), nullptr));
    double exact = std::fabs(c.c1Target - c.c1Reference);
    EXPECT_EQ(written < tolerance, exact < state.tolerance);
    EXPECT_EQ(written > tolerance, exact > state.tolerance);
  }
}

}  // namespace
}  // namespace bexora
