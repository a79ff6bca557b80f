// Carrying the reference's base pairs onto the target: the split into
// common, inferable and non-inferable pairs, the geometric acceptance test
// with a tolerance from both structures' DPI, and the benchmark log lines.
#pragma once

#include <array>
#include <cstdio>
#include <limits>
#include <map>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "model/model.h"
#include "model/basepair.h"
#include "mapping/geometry.h"
#include "util/reporter.h"

namespace bexora {

// The atoms of both sides, read once and kept by the caller; a chain
// compared with itself points to one table twice.
using AtomTables = std::array<const std::vector<AtomInfo>*, kSides>;

// Couples of (reference-side pair, target-side pair), parallel arrays.
struct BPMatchList {
  std::vector<BPInfo> referencePairs;
  std::vector<BPInfo> targetPairs;
  ClassCounts classes;
  int dropped = 0;  // couples refused at the kMaxBasePairs limit
  std::size_t count() const { return referencePairs.size(); }
};

// Accepted pairs of one assessment group in the last call.
struct GroupAcceptance {
  int total = 0;
  ClassCounts classes;
};

enum AssessGroup { kGroupCommon = 0, kGroupRefInferable = 1, kGroupTargetInferable = 2, kGroupTargetNonInferable = 3 };

// Why a pair was decided as it was: the first test it failed, or, for an
// accepted pair, what its group asks of it.
enum class AssessReason {
  kAcceptAll,
  kMissingC1,
  kC1,
  kC2,
  kC5,
  kEdgeAtoms,
  kLetters,
  kContacts,
  kAgrees,
  kDiffers,
  kTargetPaired,        // the target's own annotation already pairs the two residues
  kEdgeTaken,           // cis Watson-Crick, on a residue the target's own annotation pairs so with another
  kNoContact,           // no donor-acceptor contact within the bound in the target
  kContactsUnmeasured,  // no orientation let the contacts be measured in the reference
};

// How a single run or batch decides. The benchmark keeps the original rules
// (every member off), so that its logs stay comparable with earlier ones.
struct MappingRules {
  // Target-inferable pairs are written whatever their comparison with the
  // reference says; the comparison stays in the evidence as information.
  bool keepToolPairs = false;
  // A carried pair needs a donor-acceptor contact within maxContact in the
  // target, and a contact test that measured something in the reference.
  bool requireContact = false;
  // A carried pair on two residues the target's own annotation already
  // pairs is not added (one family per residue pair), nor a cis
  // Watson-Crick one on a residue the target's own annotation pairs so
  // with another residue.
  bool respectTargetPairs = false;
  double maxContact = 4.0;  // angstrom
};

// What the assessment measured on both sides of one pair; NaN where a
// distance was not measured (an atom absent, or a group accepted unseen).
struct PairGeometry {
  static constexpr double kUnmeasured = std::numeric_limits<double>::quiet_NaN();
  std::array<double, kSides> c1{kUnmeasured, kUnmeasured};  // C1'-C1', by side
  std::array<double, kSides> c2{kUnmeasured, kUnmeasured};  // C2-C2 and C5-C5: both sides or neither
  std::array<double, kSides> c5{kUnmeasured, kUnmeasured};
  int contactCount = 0;
  std::array<AtomInteraction, 2> contacts{};  // the target's shortest donor-acceptor contacts
  std::array<double, 2> referenceContacts{kNotMeasured, kNotMeasured};  // the same atoms in the reference
  int orientation = -1;  // reference ends measured: 0 straight, 1 swapped, -1 none
};

// The record of one assessed pair, for a reader who wants to redo the decision.
struct PairEvidence {
  AssessGroup group;
  bool accepted;
  bool keptAnyway;  // written as the tool's own although its comparison did not accept it
  AssessReason reason;
  BPInfo referencePair;
  BPInfo targetPair;
  PairGeometry geometry;
};

// Where the records of one group go.
struct EvidenceTarget {
  std::vector<PairEvidence>& rows;
  AssessGroup group;
};

// Assessed pairs naming a base the edge-atom table lacks, counted per
// structure, base and edge, so that a file full of one odd letter can be
// told in one line rather than one per pair.
struct UnknownBaseCount {
  std::string structure;
  char base;
  char edge;
  int pairs;
};

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
  // Set by the caller before mapping: both structures' DPI (for the
  // evidence) and the tolerance made of them.
  std::array<double, kSides> dpi{};
  double tolerance = 0;
  int compareEdge = 1;  // COMPARE_EDGE: order of the sort; the merge itself always compares edges
  MappingRules rules;
  // Set to keep a record of every assessed pair, in assessment order; left
  // unset where nobody reads them.
  bool collectEvidence = false;
  std::vector<PairEvidence> evidence;
  std::vector<UnknownBaseCount> unknownBases;  // in the order first met
};

enum class AssessMode { kAgree, kAcceptAll, kDiffer };

constexpr double root2 = 1.4142135623730951;

// The distance tolerance of an assessment, in angstrom: (reference's DPI +
// target's DPI) x square root of 2.
double toleranceFromDpi(double reference, double target);

// Pair comparators of the split; compareEdge 0 orders pairs of equal
// letters by their letters only.
int compBPResidue(const BPInfo& a, const BPInfo& b, int compareEdge);
int compBPIndicesAndResidue(const BPInfo& a, const BPInfo& b, int compareEdge);

// Splits two lists sorted by compBPIndicesAndResidue into the common,
// inferable and non-inferable lists of `state`, with their class counts.
// Target pairs that fall into no list go to state.unlistedTargetPairs.
void generateSetDifference(const ResidueMapPair& pdbMap, const std::vector<BPInfo>& reference,
                           const std::vector<BPInfo>& target, MappingState& state, const Reporter& reporter);

// Where accepted pairs go: the list, the source written into each, the
// name and reporter of a limit warning, and how many pairs another list
// sharing the limit already holds.
struct AcceptTarget {
  std::vector<BPInfo>& pairs;
  int& dropped;
  int source;
  const std::string& where;
  const Reporter& reporter;
  std::size_t heldElsewhere = 0;
};

// The residue pairs an annotation pairs, whatever the family or the order
// of the ends, and the partners of each residue in cis Watson-Crick pairs.
class PairedResidues {
 public:
  explicit PairedResidues(const std::vector<BPInfo>& pairs);
  bool contains(const BPInfo& pair) const;
  // Whether `pair` is cis Watson-Crick and the annotation pairs one of its
  // ends so with a residue other than the pair's other end.
  bool watsonCrickEdgeTaken(const BPInfo& pair) const;

 private:
  using Residue = std::tuple<std::string, int32_t, unsigned char>;
  static Residue residue(const BPInfo& pair, int end);
  static bool isCisWatsonCrick(const BPInfo& pair);
  static std::pair<Residue, Residue> key(const BPInfo& pair);
  std::set<std::pair<Residue, Residue>> pairs_;
  std::multimap<Residue, Residue> watsonCrickPartners_;
};

// What one group's assessment is to decide, and under which rules.
struct AssessmentTask {
  const BPMatchList& list;
  AssessMode mode;
  double tolerance;
  const MappingRules& rules;
  // The target's own residue pairs, for the one-family rule; null where the
  // rule does not apply to the group.
  const PairedResidues* pairedInTarget = nullptr;
  bool keepEveryPair = false;  // append the pairs the tests refuse too, uncounted
};

// Appends the accepted target-side pairs of the task's list and returns the
// group's counts, and the record of every pair of the list to `evidence`
// when given.
GroupAcceptance assessGroup(const AtomTables& atoms, const AssessmentTask& task, AcceptTarget target,
                                       const EvidenceTarget* evidence = nullptr);

// Whether the target's contacts measured in the reference pass the
// tolerance test (mode 1: agree within it, mode 0: differ by at least it),
// trying the straight and then the swapped end correspondence.
bool isSymmetricBP(double tolerance, int n, const AtomInteraction* contacts,
                   const std::array<LocatedEdgeAtoms, 2>& referenceAtoms, int mode, const BPInfo& referencePair,
                   const BPInfo& targetPair);

// Carries a pair into the other structure's numbering (side 0: reference to
// target). False when an end cannot be carried: it lies in a gap, on
// another chain than the map's, or on a residue the map does not hold.
bool getCompatibleBasePair(const ResidueMapPair& pdbMap, int side, BPInfo& out, const BPInfo& pair);

// Pairs of either list with an end on the map's chain that has no atoms:
// the structure reader left its residue out (a modified nucleotide).
int countPairsOnUnreadResidues(const ResidueMapPair& pdbMap, const std::array<std::vector<BPInfo>, kSides>& lists);

// The pairs of an enhanced annotation in the order it lists them: the
// assessed pairs and the target's kept pairs together, by pair id.
std::vector<BPInfo> pairsInWritingOrder(const std::vector<BPInfo>& assessed, const std::vector<BPInfo>& keptPairs);

// Sorts both lists, splits them and, when `assess` is set, fills
// state.assessedPairs, state.keptTargetPairs and state.unknownBases, and
// state.evidence when state.collectEvidence is set. Always returns true.
bool mapBasePairs(const AtomTables& atoms, const ResidueMapPair& pdbMap,
                  std::array<std::vector<BPInfo>, kSides>& basePairMap, bool assess, MappingState& state,
                  const Reporter& reporter);

}  // namespace bexora
