// Carrying the reference's base pairs onto the target: the split into
// common, inferable and non-inferable pairs, the geometric acceptance test
// with a tolerance from both structures' DPI, and the benchmark log lines.
#pragma once

#include <array>
#include <cstdio>
#include <string>
#include <vector>

#include "model/model.h"
#include "util/basepair.h"
#include "util/geometry.h"

namespace bexora {

// Couples of (reference-side pair, target-side pair), parallel arrays.
struct BPMatchList {
  std::vector<BPInfo> referencePairs;
  std::vector<BPInfo> targetPairs;
  ClassCounts classes;
  int dropped = 0;  // couples refused at the kMaxBasePairs limit
  std::size_t count() const { return referencePairs.size(); }
};

struct MappingLogs {
  std::FILE* log = nullptr;   // log.txt, benchmark only
  std::FILE* log2 = nullptr;  // log2.txt, benchmark only
};

// Accepted pairs of one assessment group in the last call.
struct GroupAcceptance {
  int total = 0;
  ClassCounts classes;
};

enum AssessGroup { kGroupCommon = 0, kGroupRefInferable = 1, kGroupTargetInferable = 2, kGroupTargetNonInferable = 3 };

// Everything one mapping call fills; owned by the caller for the whole run.
struct MappingState {
  std::array<BPMatchList, kSides> basePairCommon;   // [0] used
  std::array<BPMatchList, kSides> basePairSetDiff;  // [0] reference-inferable, [1] target-inferable
  std::array<BPMatchList, kSides> basePairNoAlign;  // [0] reference, [1] target non-inferable
  ClassCounts commonCounts;                         // commonCBP, commonNCBP, commonOthers
  ClassCounts diffCounts;                           // diffCBP, diffNCBP, diffOthers
  std::array<GroupAcceptance, 4> accepted;
  std::vector<BPInfo> unlistedTargetPairs;  // target pairs the split puts into no list
  // The pairs the four groups accepted, in group order: what a chained pass
  // takes as its reference list.
  std::vector<BPInfo> assessedPairs;
  // Target pairs on residues of another carried pair, kept as the tool's own
  // outside every count. Both lists together hold at most kMaxBasePairs.
  std::vector<BPInfo> keptTargetPairs;
  int droppedAccepted = 0;  // accepted pairs refused at the kMaxBasePairs limit
  double tolerance = 0;
  int compareEdge = 1;  // COMPARE_EDGE: order of the sort; the merge itself always compares edges
};

enum AssessMode { ASSESS_AGREE = 1, ASSESS_ACCEPT_ALL = 2, ASSESS_DIFFER = 4 };

constexpr double root2 = 1.4142135623730951;

// Pair comparators of the split; compareEdge 0 orders pairs of equal
// letters by their letters only.
int compBPIndices(const BPInfo& a, const BPInfo& b);
int compBPResidue(const BPInfo& a, const BPInfo& b, int compareEdge);
int compBPIndicesAndResidue(const BPInfo& a, const BPInfo& b, int compareEdge);

// Splits two lists sorted by compBPIndicesAndResidue into the common,
// inferable and non-inferable lists of `state`, with their class counts.
// Target pairs that fall into no list go to state.unlistedTargetPairs.
void generateSetDifference(const ResidueMapPair& pdbMap, const std::vector<BPInfo>& reference,
                           const std::vector<BPInfo>& target, MappingState& state);

// Where accepted pairs go: the list, the source written into each, the
// name used in a limit warning and how many pairs another list sharing the
// limit already holds.
struct AcceptTarget {
  std::vector<BPInfo>& pairs;
  int& dropped;
  int source;
  const std::string& where;
  std::size_t heldElsewhere = 0;
};

// Appends the accepted target-side pairs of `list` and returns the group's
// counts; writes the two count lines to log2 when it is open.
GroupAcceptance makeGeometricAssesment(const std::array<std::vector<AtomInfo>, kSides>& atoms, const BPMatchList& list,
                                       AssessMode mode, double tolerance, AcceptTarget target, std::FILE* log2);

// Whether the target's contacts measured in the reference pass the
// tolerance test (mode 1: agree within it, mode 0: differ by at least it),
// trying the straight and then the swapped end correspondence.
bool isSymmetricBP(double tolerance, int n, const AtomInteraction* contacts,
                   const std::array<LocatedEdgeAtoms, 2>& referenceAtoms, int mode, const BPInfo& referencePair,
                   const BPInfo& targetPair);

void printCorrectnessStatistics(std::FILE* log, const ResidueMapPair& pdbMap, const MappingState& state);
void printInferabilityInFile(std::FILE* log, const ResidueMapPair& pdbMap, const MappingState& state);

// Carries a pair into the other structure's numbering (side 0: reference to
// target). False when an end cannot be carried: it lies in a gap, on
// another chain than the map's, or on a residue the map does not hold.
bool getCompatibleBasePair(const ResidueMapPair& pdbMap, int side, BPInfo& out, const BPInfo& pair);

// Sorts both lists, splits them, writes the log lines and, when `assess` is
// set, fills state.assessedPairs and state.keptTargetPairs. Always returns true.
bool mapBasePairs(const std::array<std::vector<AtomInfo>, kSides>& atoms, const ResidueMapPair& pdbMap,
                  std::array<std::vector<BPInfo>, kSides>& basePairMap, bool assess, const MappingLogs& logs,
                  MappingState& state);

}  // namespace bexora
