// Carrying the reference's base pairs onto the target: the split into
// common, inferable and non-inferable pairs, the geometric acceptance test
// with a tolerance from both structures' DPI, and the benchmark log lines.
#pragma once

#include <array>
#include <cstdio>
#include <vector>

#include "driver/model.h"
#include "util/basepair.h"

namespace bexora {

// Couples of (reference-side pair, target-side pair), parallel arrays.
struct BPMatchList {
  std::vector<BPInfo> referencePairs;
  std::vector<BPInfo> targetPairs;
  ClassCounts classes;
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
  std::vector<BPInfo> basePairAccepted;             // at most kMaxBasePairs
  ClassCounts commonCounts;                         // commonCBP, commonNCBP, commonOthers
  ClassCounts diffCounts;                           // diffCBP, diffNCBP, diffOthers
  std::array<GroupAcceptance, 4> accepted;
  int keptTargetPairs = 0;  // target pairs on residues of another carried pair, kept as the tool's own
  double tolerance = 0;
  int compareEdge = 1;  // COMPARE_EDGE for sorting; the merge sets it to 1 while it runs
};

// Carries a pair into the other structure's numbering (side 0: reference to
// target). False when an end cannot be carried.
bool getCompatibleBasePair(const ResidueMapPair& pdbMap, int side, BPInfo& out, const BPInfo& pair);

// Sorts both lists, splits them, writes the log lines and, when `assess` is
// set, fills state.basePairAccepted. Always returns true.
bool mapBasePairs(const std::array<std::vector<AtomInfo>, kSides>& atoms, const ResidueMapPair& pdbMap,
                  std::array<std::vector<BPInfo>, kSides>& basePairMap, bool assess, const MappingLogs& logs,
                  MappingState& state);

}  // namespace bexora
