#include "mapping/evidence.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "mapping/pair_fixtures.h"

namespace bexora {
namespace {

using test::kAdenine;
using test::kCytosine;
using test::kGuanine;
using test::makeMap;
using test::makePair;
using test::Residue;
using test::twoResidues;

std::vector<std::string> split(const std::string& text, char separator) {
  std::vector<std::string> parts;
  std::istringstream in(text);
  for (std::string part; std::getline(in, part, separator);) parts.push_back(part);
  return parts;
}

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
    mapBasePairs({&atoms[0], &atoms[1]}, makeMap("GC", c.targetLetters, links, 0.25, 0.25), lists, true, {}, state, Reporter());
    ASSERT_EQ(state.evidence.size(), 1u);
    const PairEvidence& row = state.evidence[0];
    EXPECT_EQ(row.group, c.group);
    EXPECT_EQ(row.accepted, c.accepted);
    EXPECT_STREQ(reasonName(row.reason), reasonName(c.reason));
    EXPECT_EQ(row.geometry.orientation, c.orientation);
    EXPECT_EQ(state.assessedPairs.size(), c.accepted ? 1u : 0u);
  }
}

TEST(Evidence, NothingIsKeptUnlessAsked) {
  std::array<std::vector<AtomInfo>, kSides> atoms = {twoResidues(kGuanine, kCytosine),
                                                     twoResidues(kGuanine, kCytosine)};
  std::array<std::vector<BPInfo>, kSides> lists = {std::vector<BPInfo>{makePair(1, 2, "GC", "W/W")},
                                                   std::vector<BPInfo>{}};
  MappingState state;
  mapBasePairs({&atoms[0], &atoms[1]}, makeMap("GC", "GC", {{1, 1}, {2, 2}}, 0.25, 0.25), lists, true, {}, state, Reporter());
  EXPECT_EQ(state.assessedPairs.size(), 1u);
  EXPECT_TRUE(state.evidence.empty());
}

// A carried pair whose target is moved by 0.3 A: every distance of the row
// follows from the fixture's coordinates.
TEST(Evidence, TableRowsFromAnAssessment) {
  std::array<std::vector<AtomInfo>, kSides> atoms = {twoResidues(kGuanine, kCytosine),
                                                     twoResidues(kGuanine, kCytosine, 0.3)};
  std::array<std::vector<BPInfo>, kSides> lists = {
      std::vector<BPInfo>{makePair(1, 2, "GC", "W/W"), makePair(1, 3, "GG", "W/W")},
      std::vector<BPInfo>{makePair(1, 3, "GG", "W/W"), makePair(3, 4, "GA", "H/S", 't')}};
  MappingState state;
  state.collectEvidence = true;
  const ResidueMapPair map = makeMap("GCGA", "GCGA", {{1, 1}, {2, 2}, {3, 3}}, 0.25, 0.25);
  mapBasePairs({&atoms[0], &atoms[1]}, map, lists, true, {}, state, Reporter());
  EXPECT_EQ(evidenceTable(state, map),
            "group\tdecision\treason\treference_pair\ttarget_pair\ttolerance\tdpi_reference\tdpi_target\t"
            "c1_reference\tc1_target\tc2_reference\tc2_target\tc5_reference\tc5_target\t"
            "contact1\tcontact1_reference\tcontact1_target\tcontact2\tcontact2_reference\tcontact2_target\t"
            "orientation\n"
            "common\taccepted\taccept-all\tA1-A3 : G-G W/W cis\tA1-A3 : G-G W/W cis\t0.707107\t0.250000\t0.250000\t"
            "NA\tNA\tNA\tNA\tNA\tNA\tNA\tNA\tNA\tNA\tNA\tNA\tNA\n"
            "reference-inferable\taccepted\tagrees\tA1-A2 : G-C W/W cis\tA1-A2 : G-C W/W cis\t0.707107\t0.250000\t"
            "0.250000\t11.000000\t11.300000\t5.000000\t5.300000\t7.000000\t7.300000\t"
            "N1(1)-N3(2)\t2.800000\t3.100000\tN2(1)-O2(2)\t3.466987\t3.721559\tstraight\n"
            "target-non-inferable\taccepted\taccept-all\tNA\tA3-A4 : G-A H/S trans\t0.707107\t0.250000\t0.250000\t"
            "NA\tNA\tNA\tNA\tNA\tNA\tNA\tNA\tNA\tNA\tNA\tNA\tNA\n");
}

PairEvidence carriedRow(double c1Reference, double c1Target) {
  PairEvidence row{kGroupRefInferable,          true,          AssessReason::kAgrees, makePair(1, 2, "GC", "W/W"),
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
    std::vector<std::string> fields = split(split(evidenceTable(state, ResidueMapPair{}), '\n')[1], '\t');
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
