#include "mapping/mapping.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>
#include <optional>


namespace bexora {

namespace {

constexpr double kUnmeasuredDifference = 500000000.0;  // half the not-measured mark

// W, + and - are one Watson-Crick class; folding them into W keeps the
// order a strict weak one, as sorting needs.
char edgeClass(char letter) { return letter == '+' || letter == '-' ? 'W' : letter; }

// The edge an end pairs with, whatever case or Watson-Crick sign a tool writes.
char edgeLetterOf(const BPInfo& pair, int end) {
  return edgeClass(static_cast<char>(std::toupper(static_cast<unsigned char>(pair.edge[0][end][0]))));
}

int compEdgeClasses(const BPInfo& a, const BPInfo& b) {
  for (int end = 0; end < 2; ++end) {
    int d = edgeClass(a.edge[0][end][0]) - edgeClass(b.edge[0][end][0]);
    if (d != 0) return d;
  }
  return a.orientation - b.orientation;
}

void sortForSetDifference(std::vector<BPInfo>& pairs, int compareEdge) {
  std::stable_sort(pairs.begin(), pairs.end(), [compareEdge](const BPInfo& a, const BPInfo& b) {
    return compBPIndicesAndResidue(a, b, compareEdge) < 0;
  });
}

const ResidueMapEntry* findEntry(const ChainResidueMap& chain, int32_t resSeqNo, char iCode) {
  auto before = [](const ResidueMapEntry& entry, const ResidueMapEntry& key) {
    return compareResidues(entry.resSeqNo, entry.iCode, key.resSeqNo, key.iCode) < 0;
  };
  ResidueMapEntry key{};
  key.resSeqNo = resSeqNo;
  key.iCode = iCode;
  auto hit = std::lower_bound(chain.entries.begin(), chain.entries.end(), key, before);
  if (hit == chain.entries.end() || hit->resSeqNo != resSeqNo || hit->iCode != iCode) return nullptr;
  return &*hit;
}

bool carryEnd(const ResidueMapPair& pdbMap, int side, int end, BPInfo& out) {
  const StructureResidueMap& from = pdbMap[side];
  const StructureResidueMap& to = pdbMap[1 - side];
  if (from.chainCount < 1 || std::strcmp(from.chain.chainId, out.chainId[end]) != 0) return false;
  const ResidueMapEntry* entry = findEntry(from.chain, out.resSeqNo[end], out.iCode[end]);
  if (!entry || entry->mapIndex < 0) return false;
  if (to.chainCount < 1 || std::strcmp(to.chain.chainId, from.chain.pairChainId) != 0) return false;
  if (entry->mapIndex >= to.chain.length()) return false;
  const ResidueMapEntry& partner = to.chain.entries[entry->mapIndex];
  setField(out.chainId[end], from.chain.pairChainId);
  out.resSeqNo[end] = partner.resSeqNo;
  out.iCode[end] = partner.iCode;
  out.nucleotide[end] = partner.nucleotide;
  return true;
}

// Where limit warnings of one mapping call point to.
std::string mappingName(const ResidueMapPair& pdbMap) {
  return std::string("mapping ") + pdbMap[kReference].pdbId + " onto " + pdbMap[kTarget].pdbId;
}

bool hasRoom(std::size_t size, int& dropped, const char* what, const std::string& where, const Reporter& reporter) {
  if (size < kMaxBasePairs) return true;
  if (dropped++ == 0) reporter.limitReached(what, kMaxBasePairs, where);
  return false;
}

// One output list of the split with what its limit warning names.
struct SplitList {
  BPMatchList& list;
  const char* what;
  ClassCounts* global;  // commonCounts or diffCounts, or none
};

// Names the mapping in limit warnings and reports them.
struct LimitNotice {
  std::string where;
  const Reporter& reporter;
};

void appendCouple(SplitList target, const BPInfo& referencePair, const BPInfo& targetPair, const BPInfo& counted,
                  const LimitNotice& notice) {
  if (!hasRoom(target.list.count(), target.list.dropped, target.what, notice.where, notice.reporter)) return;
  target.list.referencePairs.push_back(referencePair);
  target.list.targetPairs.push_back(targetPair);
  target.list.classes.add(counted);
  if (target.global) target.global->add(counted);
}

void resetList(BPMatchList& list, std::size_t expected) {
  list.referencePairs.clear();
  list.targetPairs.clear();
  list.referencePairs.reserve(std::min(expected, kMaxBasePairs));
  list.targetPairs.reserve(std::min(expected, kMaxBasePairs));
  list.classes = ClassCounts{};
  list.dropped = 0;
}

// The five lists of the split and the carrying of one pair into each.
class SetDifference {
 public:
  SetDifference(const ResidueMapPair& pdbMap, MappingState& state, const Reporter& reporter)
      : pdbMap_(pdbMap),
        notice_{mappingName(pdbMap), reporter},
        common_{state.basePairCommon[kReference], "common base-pair list", &state.commonCounts},
        refInferable_{state.basePairSetDiff[kReference], "reference-inferable list", &state.diffCounts},
        refNonInferable_{state.basePairNoAlign[kReference], "reference non-inferable list", nullptr},
        targetInferable_{state.basePairSetDiff[kTarget], "target-inferable list", nullptr},
        targetNonInferable_{state.basePairNoAlign[kTarget], "target non-inferable list", nullptr},
        unlisted_(state.unlistedTargetPairs) {}

  bool carryReference(const BPInfo& pair, BPInfo& carried) const {
    return getCompatibleBasePair(pdbMap_, kReference, carried, pair);
  }
  void addNonInferableReference(const BPInfo& pair) { appendCouple(refNonInferable_, pair, pair, pair, notice_); }
  void addCommon(const BPInfo& pair, const BPInfo& carried) { appendCouple(common_, pair, carried, carried, notice_); }
  void addInferableReference(const BPInfo& pair, const BPInfo& carried) {
    appendCouple(refInferable_, pair, carried, carried, notice_);
  }
  void addReference(const BPInfo& pair) {
    BPInfo carried;
    if (carryReference(pair, carried))
      addInferableReference(pair, carried);
    else
      addNonInferableReference(pair);
  }
  void addTarget(const BPInfo& pair) {
    BPInfo carried;
    if (getCompatibleBasePair(pdbMap_, kTarget, carried, pair))
      appendCouple(targetInferable_, carried, pair, carried, notice_);
    else
      appendCouple(targetNonInferable_, pair, pair, pair, notice_);
  }
  void addUnlisted(const BPInfo& pair) {
    if (hasRoom(unlisted_.size(), unlistedDropped_, "unlisted target-pair list", notice_.where, notice_.reporter))
      unlisted_.push_back(pair);
  }

 private:
  const ResidueMapPair& pdbMap_;
  LimitNotice notice_;
  SplitList common_, refInferable_, refNonInferable_, targetInferable_, targetNonInferable_;
  std::vector<BPInfo>& unlisted_;
  int unlistedDropped_ = 0;
};

void resetSplit(MappingState& state, std::size_t referenceCount, std::size_t targetCount) {
  resetList(state.basePairCommon[kReference], std::min(referenceCount, targetCount));
  resetList(state.basePairSetDiff[kReference], referenceCount);
  resetList(state.basePairNoAlign[kReference], referenceCount);
  resetList(state.basePairSetDiff[kTarget], targetCount);
  resetList(state.basePairNoAlign[kTarget], targetCount);
  state.commonCounts = ClassCounts{};
  state.diffCounts = ClassCounts{};
  state.unlistedTargetPairs.clear();
  state.unlistedTargetPairs.reserve(std::min(targetCount, kMaxBasePairs));
}

// Mode-dependent comparison of one distance difference with the tolerance.
bool passesTolerance(double difference, double tolerance, bool agree) {
  double magnitude = std::fabs(difference);
  return agree ? magnitude <= tolerance : magnitude >= tolerance;
}

enum class OrientationResult { kPass, kFail, kUnmeasured };

// The contact test in one orientation; what the reference showed goes to
// `seen` when given. Under `needMeasured` an orientation in which no contact
// could be measured does not pass: it has shown nothing.
OrientationResult contactsPass(double tolerance, int n, const AtomInteraction* contacts,
                               const std::array<LocatedEdgeAtoms, 2>& referenceAtoms, int orientation, int mode,
                               bool needMeasured, PairGeometry* seen) {
  std::array<AtomInteraction, kMaxCandidateContacts> measured;
  n = std::min(n, kMaxCandidateContacts);
  getCorrespondingDistance(referenceAtoms, orientation, n, contacts, measured.data());
  if (seen) {
    seen->orientation = orientation;
    for (int j = 0; j < std::min(n, static_cast<int>(seen->referenceContacts.size())); ++j)
      seen->referenceContacts[j] = measured[j].distance;
  }
  int compared = 0;
  for (int j = 0; j < n; ++j) {
    double d = std::fabs(measured[j].distance - contacts[j].distance);
    if (d > kUnmeasuredDifference) continue;
    ++compared;
    if (mode == 1 ? d > tolerance : d < tolerance) return OrientationResult::kFail;
  }
  return needMeasured && compared == 0 ? OrientationResult::kUnmeasured : OrientationResult::kPass;
}

std::array<EdgeAtomSet, 2> edgeSetsOf(const BPInfo& pair) {
  return {getEdgeAtomName(pair.edge[0][0][0], pair.nucleotide[0]),
          getEdgeAtomName(pair.edge[0][1][0], pair.nucleotide[1])};
}

double c1Distance(const std::array<ResidueAtoms, 2>& ends) { return distance3D(*ends[0].c1, *ends[1].c1); }

bool hasExtraAtoms(const std::array<ResidueAtoms, 2>& ends) {
  return ends[0].c2 && ends[1].c2 && ends[0].c5 && ends[1].c5;
}

enum class ContactVerdict { kLetters, kFail, kUnmeasured, kPass };

// The straight end correspondence is tried first, then the swapped one;
// `seen` keeps the last one tried. kUnmeasured: no orientation tried could
// measure a contact (only under `needMeasured`).
ContactVerdict matchContacts(double tolerance, int n, const AtomInteraction* contacts,
                             const std::array<LocatedEdgeAtoms, 2>& referenceAtoms, int mode, bool needMeasured,
                             const BPInfo& referencePair, const BPInfo& targetPair, PairGeometry* seen) {
  bool straight = referencePair.nucleotide[0] == targetPair.nucleotide[0] &&
                  referencePair.nucleotide[1] == targetPair.nucleotide[1];
  bool swapped = referencePair.nucleotide[0] == targetPair.nucleotide[1] &&
                 referencePair.nucleotide[1] == targetPair.nucleotide[0];
  if (!straight && !swapped) return ContactVerdict::kLetters;
  bool anyFailed = false;
  for (int orientation = 0; orientation < 2; ++orientation) {
    if (!(orientation == 0 ? straight : swapped)) continue;
    OrientationResult result =
        contactsPass(tolerance, n, contacts, referenceAtoms, orientation, mode, needMeasured, seen);
    if (result == OrientationResult::kPass) return ContactVerdict::kPass;
    anyFailed = anyFailed || result == OrientationResult::kFail;
  }
  return anyFailed ? ContactVerdict::kFail : ContactVerdict::kUnmeasured;
}

void measureDistances(const std::array<ResidueAtoms, 2>& reference, const std::array<ResidueAtoms, 2>& target,
                      PairGeometry& geometry) {
  geometry.c1 = {c1Distance(reference), c1Distance(target)};
  if (!hasExtraAtoms(target) || !hasExtraAtoms(reference)) return;
  geometry.c2 = {distance3D(*reference[0].c2, *reference[1].c2), distance3D(*target[0].c2, *target[1].c2)};
  geometry.c5 = {distance3D(*reference[0].c5, *reference[1].c5), distance3D(*target[0].c5, *target[1].c5)};
}

bool hasContactWithin(const PairGeometry& geometry, double bound) {
  return geometry.contactCount > 0 && geometry.contacts[0].distance <= bound;
}

// The tests in the order they decide; every distance has been measured.
// `contactBound` is the bound on the target's closest contact, or NaN when
// the pair needs none.
AssessReason firstDecidingTest(const PairGeometry& geometry, bool agree, double tolerance, bool allEdgeAtomsFound,
                               double contactBound, ContactVerdict contacts) {
  if (!passesTolerance(geometry.c1[kTarget] - geometry.c1[kReference], tolerance, agree)) return AssessReason::kC1;
  if (!std::isnan(geometry.c2[kReference])) {
    if (!passesTolerance(geometry.c2[kReference] - geometry.c2[kTarget], tolerance, agree)) return AssessReason::kC2;
    if (!passesTolerance(geometry.c5[kReference] - geometry.c5[kTarget], tolerance, agree)) return AssessReason::kC5;
  }
  if (!allEdgeAtomsFound) return AssessReason::kEdgeAtoms;
  if (!std::isnan(contactBound) && !hasContactWithin(geometry, contactBound)) return AssessReason::kNoContact;
  if (contacts == ContactVerdict::kLetters) return AssessReason::kLetters;
  if (contacts == ContactVerdict::kFail) return AssessReason::kContacts;
  if (contacts == ContactVerdict::kUnmeasured) return AssessReason::kContactsUnmeasured;
  return agree ? AssessReason::kAgrees : AssessReason::kDiffers;
}

// Measures everything the tests of `mode` compare, then decides; measuring
// before deciding keeps the recorded geometry complete for a refused pair.
// Only a carried pair must show an interaction of its own in the target.
AssessReason assessPair(const AtomTables& atoms, const BPInfo& referencePair, const BPInfo& targetPair,
                        const AssessmentTask& task, PairGeometry& geometry) {
  // The atom sets are built in every mode: an unknown base is reported for each pair.
  std::array<EdgeAtomSet, 2> targetSets = edgeSetsOf(targetPair);
  std::array<EdgeAtomSet, 2> referenceSets = edgeSetsOf(referencePair);
  if (task.mode == AssessMode::kAcceptAll) return AssessReason::kAcceptAll;
  bool allEdgeAtomsFound = true;
  std::array<ResidueAtoms, 2> target;
  std::array<ResidueAtoms, 2> reference;
  findAtoms(*atoms[kTarget], targetPair, targetSets, target, allEdgeAtomsFound);
  findAtoms(*atoms[kReference], referencePair, referenceSets, reference, allEdgeAtomsFound);
  if (!target[0].c1 || !target[1].c1 || !reference[0].c1 || !reference[1].c1) return AssessReason::kMissingC1;
  measureDistances(reference, target, geometry);
  bool agree = task.mode == AssessMode::kAgree;
  bool needContact = agree && task.rules.requireContact;
  ContactVerdict contacts = ContactVerdict::kFail;
  if (allEdgeAtomsFound) {
    int n = static_cast<int>(geometry.contacts.size());
    closestNInteractions({target[0].edge, target[1].edge}, n, geometry.contacts.data());
    geometry.contactCount = n;
    contacts = matchContacts(task.tolerance, n, geometry.contacts.data(), {reference[0].edge, reference[1].edge},
                             agree ? 1 : 0, needContact, referencePair, targetPair, &geometry);
  }
  double contactBound = needContact ? task.rules.maxContact : std::numeric_limits<double>::quiet_NaN();
  return firstDecidingTest(geometry, agree, task.tolerance, allEdgeAtomsFound, contactBound, contacts);
}

// The target's own annotation stands: a carried pair never joins a pair of
// its residues, nor pairs cis Watson-Crick a residue that the tool already
// pairs so with another (a helix carried one register off).
AssessReason respectingTargetPairs(const PairedResidues& paired, const BPInfo& carried, AssessReason geometric) {
  if (paired.contains(carried)) return AssessReason::kTargetPaired;
  if (paired.watsonCrickEdgeTaken(carried)) return AssessReason::kEdgeTaken;
  return geometric;
}

bool isAcceptance(AssessReason reason) {
  return reason == AssessReason::kAcceptAll || reason == AssessReason::kAgrees || reason == AssessReason::kDiffers;
}

bool appendPair(AcceptTarget& target, const BPInfo& pair) {
  std::size_t held = target.heldElsewhere + target.pairs.size();
  if (!hasRoom(held, target.dropped, "accepted base-pair list", target.where, target.reporter)) return false;
  target.pairs.push_back(pair);
  target.pairs.back().source = target.source;
  return true;
}

void acceptPair(AcceptTarget& target, const BPInfo& pair, GroupAcceptance& group) {
  if (!appendPair(target, pair)) return;
  group.classes.add(pair);
  ++group.total;
}

// Assessed pairs naming a base the edge-atom table lacks, counted per
// structure, base and edge (in the order first met), so that a file full of
// one odd letter gives one message rather than one per pair.
class UnknownBaseTally {
 public:
  // The target-side pairs of a group are on the target's residues; the
  // reference-side ones on the reference's, unless they are the target
  // pairs themselves (`referenceSideIsReference` false).
  void addGroup(const ResidueMapPair& pdbMap, const BPMatchList& list, bool referenceSideIsReference) {
    for (std::size_t i = 0; i < list.count(); ++i) {
      addPair(pdbMap[kTarget].pdbId, list.targetPairs[i]);
      if (referenceSideIsReference) addPair(pdbMap[kReference].pdbId, list.referencePairs[i]);
    }
  }

  const std::vector<UnknownBaseCount>& entries() const { return entries_; }

 private:

  // A pair with the same odd base and edge at both ends counts once.
  void addPair(const char* structure, const BPInfo& pair) {
    for (int end = 0; end < 2; ++end) {
      char base = pair.nucleotide[end];
      char edge = pair.edge[0][end][0];
      if (isEdgeTableBase(base)) continue;
      if (end == 1 && base == pair.nucleotide[0] && edge == pair.edge[0][0][0]) continue;
      count(structure, base, edge);
    }
  }

  void count(const char* structure, char base, char edge) {
    for (UnknownBaseCount& entry : entries_)
      if (entry.structure == structure && entry.base == base && entry.edge == edge) {
        ++entry.pairs;
        return;
      }
    entries_.push_back(UnknownBaseCount{structure, base, edge, 1});
  }

  std::vector<UnknownBaseCount> entries_;
};

struct AssessGroupPlan {
  int source;
  const BPMatchList* list;
  AssessMode mode;
  const PairedResidues* pairedInTarget;  // the one-family rule, where it applies
  bool keepEveryPair;
};

bool isUnreadEnd(const StructureResidueMap& map, const BPInfo& pair, int end) {
  return map.chainCount > 0 && std::strcmp(map.chain.chainId, pair.chainId[end]) == 0 &&
         !findEntry(map.chain, pair.resSeqNo[end], pair.iCode[end]);
}

void keepUnlistedTargetPairs(MappingState& state, const std::string& where, const Reporter& reporter) {
  AcceptTarget target{state.keptTargetPairs, state.droppedAccepted, kSourceTool, where, reporter,
                      state.assessedPairs.size()};
  GroupAcceptance kept;
  for (const BPInfo& pair : state.unlistedTargetPairs) acceptPair(target, pair, kept);
}

}  // namespace

int compBPResidue(const BPInfo& a, const BPInfo& b, int compareEdge) {
  if (a.nucleotide[0] != b.nucleotide[0]) return a.nucleotide[0] - b.nucleotide[0];
  if (!compareEdge || a.nucleotide[1] != b.nucleotide[1]) return a.nucleotide[1] - b.nucleotide[1];
  return compEdgeClasses(a, b);
}

int compBPIndicesAndResidue(const BPInfo& a, const BPInfo& b, int compareEdge) {
  if (int d = compBasePairId(a, b)) return d;
  return compBPResidue(a, b, compareEdge);
}

double toleranceFromDpi(double reference, double target) { return (reference + target) * root2; }

bool getCompatibleBasePair(const ResidueMapPair& pdbMap, int side, BPInfo& out, const BPInfo& pair) {
  out = pair;
  bool first = carryEnd(pdbMap, side, 0, out);
  bool second = carryEnd(pdbMap, side, 1, out);
  return first && second;
}

void generateSetDifference(const ResidueMapPair& pdbMap, const std::vector<BPInfo>& reference,
                           const std::vector<BPInfo>& target, MappingState& state, const Reporter& reporter) {
  resetSplit(state, reference.size(), target.size());
  SetDifference split(pdbMap, state, reporter);
  // The merge always compares edges, whatever order the lists were sorted in.
  constexpr int kMergeCompareEdge = 1;
  std::size_t i = 0;
  std::size_t j = 0;
  BPInfo carried;
  while (i < reference.size() && j < target.size()) {
    const BPInfo& pair = reference[i];
    if (!split.carryReference(pair, carried)) {
      split.addNonInferableReference(pair);
      ++i;
    } else if (compBPIndicesAndResidue(carried, target[j], kMergeCompareEdge) == 0) {
      split.addCommon(pair, carried);
      ++i;
      ++j;
    } else if (int order = compBasePairId(carried, target[j]); order <= 0) {
      split.addInferableReference(pair, carried);
      ++i;
      if (order == 0) split.addUnlisted(target[j++]);
    } else {
      split.addTarget(target[j++]);
    }
  }
  for (; i < reference.size(); ++i) split.addReference(reference[i]);
  for (; j < target.size(); ++j) split.addTarget(target[j]);
}

bool isSymmetricBP(double tolerance, int n, const AtomInteraction* contacts,
                   const std::array<LocatedEdgeAtoms, 2>& referenceAtoms, int mode, const BPInfo& referencePair,
                   const BPInfo& targetPair) {
  return matchContacts(tolerance, n, contacts, referenceAtoms, mode, false, referencePair, targetPair, nullptr) ==
         ContactVerdict::kPass;
}

PairedResidues::PairedResidues(const std::vector<BPInfo>& pairs) {
  for (const BPInfo& pair : pairs) {
    pairs_.insert(key(pair));
    if (!isCisWatsonCrick(pair)) continue;
    for (int end = 0; end < 2; ++end) watsonCrickPartners_.emplace(residue(pair, end), residue(pair, 1 - end));
  }
}

bool PairedResidues::contains(const BPInfo& pair) const { return pairs_.count(key(pair)) > 0; }

bool PairedResidues::watsonCrickEdgeTaken(const BPInfo& pair) const {
  if (!isCisWatsonCrick(pair)) return false;
  for (int end = 0; end < 2; ++end) {
    auto [first, last] = watsonCrickPartners_.equal_range(residue(pair, end));
    for (auto partner = first; partner != last; ++partner)
      if (partner->second != residue(pair, 1 - end)) return true;
  }
  return false;
}

bool PairedResidues::isCisWatsonCrick(const BPInfo& pair) {
  return pair.orientation == 'c' && edgeLetterOf(pair, 0) == 'W' && edgeLetterOf(pair, 1) == 'W';
}

PairedResidues::Residue PairedResidues::residue(const BPInfo& pair, int end) {
  return {pair.chainId[end], pair.resSeqNo[end], static_cast<unsigned char>(pair.iCode[end])};
}

std::pair<PairedResidues::Residue, PairedResidues::Residue> PairedResidues::key(const BPInfo& pair) {
  Residue first = residue(pair, 0);
  Residue second = residue(pair, 1);
  return first < second ? std::make_pair(first, second) : std::make_pair(second, first);
}

GroupAcceptance assessGroup(const AtomTables& atoms, const AssessmentTask& task, AcceptTarget target,
                                       const EvidenceTarget* evidence) {
  GroupAcceptance group;
  const BPMatchList& list = task.list;
  for (std::size_t i = 0; i < list.count(); ++i) {
    const BPInfo& targetPair = list.targetPairs[i];
    PairGeometry geometry;
    AssessReason reason = assessPair(atoms, list.referencePairs[i], targetPair, task, geometry);
    if (task.pairedInTarget) reason = respectingTargetPairs(*task.pairedInTarget, targetPair, reason);
    bool accepted = isAcceptance(reason);
    bool keptAnyway = !accepted && task.keepEveryPair;
    if (accepted) acceptPair(target, targetPair, group);
    if (keptAnyway) appendPair(target, targetPair);
    if (evidence)
      evidence->rows.push_back(
          {evidence->group, accepted, keptAnyway, reason, list.referencePairs[i], targetPair, geometry});
  }
  return group;
}

std::vector<BPInfo> pairsInWritingOrder(const std::vector<BPInfo>& assessed, const std::vector<BPInfo>& keptPairs) {
  std::vector<BPInfo> pairs;
  pairs.reserve(assessed.size() + keptPairs.size());
  pairs.insert(pairs.end(), assessed.begin(), assessed.end());
  pairs.insert(pairs.end(), keptPairs.begin(), keptPairs.end());
  sortByPairId(pairs);
  return pairs;
}

int countPairsOnUnreadResidues(const ResidueMapPair& pdbMap, const std::array<std::vector<BPInfo>, kSides>& lists) {
  int unread = 0;
  for (int side = 0; side < kSides; ++side)
    for (const BPInfo& pair : lists[side])
      if (isUnreadEnd(pdbMap[side], pair, 0) || isUnreadEnd(pdbMap[side], pair, 1)) ++unread;
  return unread;
}

bool mapBasePairs(const AtomTables& atoms, const ResidueMapPair& pdbMap,
                  std::array<std::vector<BPInfo>, kSides>& basePairMap, bool assess,
                  MappingState& state, const Reporter& reporter) {
  state.assessedPairs.clear();
  state.keptTargetPairs.clear();
  state.evidence.clear();
  state.accepted = {};
  state.droppedAccepted = 0;
  state.unknownBases.clear();
  sortForSetDifference(basePairMap[kReference], state.compareEdge);
  sortForSetDifference(basePairMap[kTarget], state.compareEdge);
  generateSetDifference(pdbMap, basePairMap[kReference], basePairMap[kTarget], state, reporter);
  if (!assess) return true;

  const MappingRules& rules = state.rules;
  std::optional<PairedResidues> pairedInTarget;
  if (rules.respectTargetPairs) pairedInTarget.emplace(basePairMap[kTarget]);
  const AssessGroupPlan plans[] = {
      {kSourceBoth, &state.basePairCommon[kReference], AssessMode::kAcceptAll, nullptr, false},
      {kSourceBexora, &state.basePairSetDiff[kReference], AssessMode::kAgree,
       pairedInTarget ? &*pairedInTarget : nullptr, false},
      {kSourceTool, &state.basePairSetDiff[kTarget], AssessMode::kDiffer, nullptr, rules.keepToolPairs},
      {kSourceTool, &state.basePairNoAlign[kTarget], AssessMode::kAcceptAll, nullptr, false},
  };
  std::string where = mappingName(pdbMap);
  UnknownBaseTally unknownBases;
  for (std::size_t g = 0; g < state.accepted.size(); ++g) {
    const AssessGroupPlan& plan = plans[g];
    AcceptTarget target{state.assessedPairs, state.droppedAccepted, plan.source, where, reporter};
    EvidenceTarget evidence{state.evidence, static_cast<AssessGroup>(g)};
    const AssessmentTask task{*plan.list, plan.mode, state.tolerance, rules, plan.pairedInTarget, plan.keepEveryPair};
    state.accepted[g] =
        assessGroup(atoms, task, target, state.collectEvidence ? &evidence : nullptr);
    unknownBases.addGroup(pdbMap, *plan.list, plan.list != &state.basePairNoAlign[kTarget]);
  }
  keepUnlistedTargetPairs(state, where, reporter);
  state.unknownBases = unknownBases.entries();
  return true;
}

}  // namespace bexora
