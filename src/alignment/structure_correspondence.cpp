#include "alignment/structure_correspondence.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string_view>

#include "alignment/superposition.h"

namespace bexora {

namespace {

// C3' follows the backbone most closely; the others stand in for a residue without it.
constexpr std::string_view kBackboneAtoms[] = {"C3'", "C4'", "C1'", "P"};
constexpr int kNotPlaced = static_cast<int>(std::size(kBackboneAtoms));

constexpr double kGapOpen = -0.6;
constexpr double kLetterBonus = 0.05;  // breaks ties between equally close residues in favour of the sequence
constexpr int kBandHalfWidth = 48;     // how far the correspondence may move from the sequence alignment's
constexpr int kRounds = 4;
constexpr int kMaxMotions = 4;
constexpr double kMinMotionGain = 4;   // residues' worth of score that justify one more superposition
constexpr int kFragmentLengths[] = {24, 12};
constexpr std::size_t kMaxFragments = 32;  // per length: long chains take wider steps, so time grows linearly
constexpr double kNegative = -std::numeric_limits<double>::infinity();

struct Trace {
  std::vector<Point> point;
  std::vector<char> placed;
  std::vector<char> letter;
  int size() const { return static_cast<int>(point.size()); }
};

int backboneRank(const char* atomName) {
  for (int rank = 0; rank < kNotPlaced; ++rank)
    if (kBackboneAtoms[rank] == atomName) return rank;
  return kNotPlaced;
}

// Atom tables and residue entries are both in residue order, so one walk places every residue.
Trace traceOf(const ChainResidueMap& chain, const std::vector<AtomInfo>& atoms) {
  Trace trace;
  const std::size_t n = chain.entries.size();
  trace.point.resize(n);
  trace.placed.assign(n, 0);
  std::vector<int> rank(n, kNotPlaced);
  for (const ResidueMapEntry& entry : chain.entries) trace.letter.push_back(entry.nucleotide);
  std::size_t r = 0;
  for (const AtomInfo& atom : atoms) {
    if (std::strcmp(atom.chainId, chain.chainId) != 0) continue;
    while (r < n && compareResidues(chain.entries[r].resSeqNo, chain.entries[r].iCode, atom.resSeqNo, atom.iCode) < 0)
      ++r;
    if (r == n) break;
    if (compareResidues(chain.entries[r].resSeqNo, chain.entries[r].iCode, atom.resSeqNo, atom.iCode) != 0) continue;
    const int atomRank = backboneRank(atom.atomName);
    if (atomRank >= rank[r]) continue;
    rank[r] = atomRank;
    trace.point[r] = {atom.x, atom.y, atom.z};
    trace.placed[r] = 1;
  }
  return trace;
}

int placedCount(const Trace& trace) {
  return static_cast<int>(std::count(trace.placed.begin(), trace.placed.end(), 1));
}

// The distance scale of the score for a chain of `length` residues, as used
// for nucleic-acid backbones; never below half an angstrom.
double distanceScale(int length) { return std::max(0.5, 0.6 * std::sqrt(std::max(length, 1) - 0.5) - 2.5); }

using Alignment = std::vector<int>;  // reference index -> target index, -1 for a gap

struct ResiduePair {
  int reference, target;
};

std::vector<ResiduePair> placedPairs(const Alignment& alignment, const Trace& reference, const Trace& target) {
  std::vector<ResiduePair> pairs;
  for (int i = 0; i < static_cast<int>(alignment.size()); ++i)
    if (alignment[i] >= 0 && reference.placed[i] && target.placed[alignment[i]]) pairs.push_back({i, alignment[i]});
  return pairs;
}

class Superposer {
 public:
  Superposer(const Trace& reference, const Trace& target, double d0)
      : reference_(reference), target_(target), d0Squared_(d0 * d0) {}

  double pairScore(const RigidMotion& motion, const ResiduePair& p) const {
    return 1 / (1 + squaredDistance(motion.apply(reference_.point[p.reference]), target_.point[p.target]) / d0Squared_);
  }

  double sumScore(const RigidMotion& motion, const std::vector<ResiduePair>& pairs) const {
    double sum = 0;
    for (const ResiduePair& p : pairs) sum += pairScore(motion, p);
    return sum;
  }

  RigidMotion fit(const std::vector<ResiduePair>& pairs) const {
    std::vector<Point> moving, fixed;
    for (const ResiduePair& p : pairs) {
      moving.push_back(reference_.point[p.reference]);
      fixed.push_back(target_.point[p.target]);
    }
    return superpose(moving, fixed);
  }

  // Grows a superposition from a fragment to every pair it brings close,
  // with a cut-off that tightens as the fit improves.
  RigidMotion extend(RigidMotion motion, const std::vector<ResiduePair>& pairs) const {
    const double d0 = std::sqrt(d0Squared_);
    for (double cutoff : {d0 + 4, d0 + 2, d0 + 1, d0 + 1}) {
      std::vector<ResiduePair> close;
      for (const ResiduePair& p : pairs)
        if (squaredDistance(motion.apply(reference_.point[p.reference]), target_.point[p.target]) < cutoff * cutoff)
          close.push_back(p);
      if (close.size() < 3) break;
      motion = fit(close);
    }
    return motion;
  }

 private:
  const Trace& reference_;
  const Trace& target_;
  double d0Squared_;
};

std::vector<RigidMotion> candidateMotions(const Superposer& superposer, const std::vector<ResiduePair>& pairs) {
  std::vector<RigidMotion> candidates{superposer.extend(superposer.fit(pairs), pairs)};
  for (int length : kFragmentLengths) {
    if (static_cast<int>(pairs.size()) < length) continue;
    const std::size_t step = std::max<std::size_t>(length / 2, (pairs.size() + kMaxFragments - 1) / kMaxFragments);
    for (std::size_t start = 0; start + length <= pairs.size(); start += step) {
      std::vector<ResiduePair> fragment(pairs.begin() + start, pairs.begin() + start + length);
      candidates.push_back(superposer.extend(superposer.fit(fragment), pairs));
    }
  }
  return candidates;
}

// Greedy cover: each further superposition must fit a part of the chain that
// the ones taken so far leave apart, as a moved domain would be.
std::vector<RigidMotion> chooseMotions(const Superposer& superposer, const std::vector<ResiduePair>& pairs) {
  const std::vector<RigidMotion> candidates = candidateMotions(superposer, pairs);
  std::vector<std::vector<double>> scores(candidates.size());
  for (std::size_t c = 0; c < candidates.size(); ++c)
    for (const ResiduePair& p : pairs) scores[c].push_back(superposer.pairScore(candidates[c], p));
  std::vector<RigidMotion> chosen;
  std::vector<double> best(pairs.size(), 0);
  while (static_cast<int>(chosen.size()) < kMaxMotions) {
    double bestGain = 0;
    std::size_t bestCandidate = 0;
    for (std::size_t c = 0; c < candidates.size(); ++c) {
      double gain = 0;
      for (std::size_t k = 0; k < pairs.size(); ++k) gain += std::max(0.0, scores[c][k] - best[k]);
      if (gain > bestGain) bestGain = gain, bestCandidate = c;
    }
    if (bestGain < (chosen.empty() ? 0 : kMinMotionGain) || bestGain == 0) break;
    chosen.push_back(candidates[bestCandidate]);
    for (std::size_t k = 0; k < pairs.size(); ++k) best[k] = std::max(best[k], scores[bestCandidate][k]);
  }
  return chosen;
}

// The target positions the sequence alignment gives each reference residue:
// a gap between two aligned residues lies midway between what each of them
// implies, one before the first or after the last follows its neighbour; a
// seed without any pair spreads the chain evenly over the target.
std::vector<int> bandCentres(const Alignment& seed, int targetLength) {
  constexpr int kUnknown = std::numeric_limits<int>::min();
  const int n = static_cast<int>(seed.size());
  std::vector<int> fromPrevious(n, kUnknown), fromNext(n, kUnknown), centre(n);
  for (int i = 0, lastI = -1; i < n; ++i) {
    if (seed[i] >= 0) lastI = i;
    if (lastI >= 0) fromPrevious[i] = seed[lastI] + (i - lastI);
  }
  for (int i = n - 1, nextI = -1; i >= 0; --i) {
    if (seed[i] >= 0) nextI = i;
    if (nextI >= 0) fromNext[i] = seed[nextI] - (nextI - i);
  }
  for (int i = 0; i < n; ++i) {
    if (fromPrevious[i] != kUnknown && fromNext[i] != kUnknown)
      centre[i] = (fromPrevious[i] + fromNext[i]) / 2;
    else if (fromPrevious[i] != kUnknown || fromNext[i] != kUnknown)
      centre[i] = std::max(fromPrevious[i], fromNext[i]);
    else
      centre[i] = i * targetLength / std::max(n, 1);
  }
  return centre;
}

// Scores of one reference residue against every target residue, under the best of the chosen superpositions.
class PairScores {
 public:
  PairScores(const Trace& reference, const Trace& target, const std::vector<RigidMotion>& motions, double d0)
      : reference_(reference), target_(target), d0Squared_(d0 * d0) {
    for (const RigidMotion& motion : motions) {
      std::vector<Point> moved(reference.point.size());
      for (int i = 0; i < reference.size(); ++i) moved[i] = motion.apply(reference.point[i]);
      moved_.push_back(std::move(moved));
    }
  }

  double operator()(int i, int j) const {
    double score = reference_.letter[i] == target_.letter[j] ? kLetterBonus : 0;
    if (!reference_.placed[i] || !target_.placed[j]) return score;
    double nearest = std::numeric_limits<double>::max();
    for (const std::vector<Point>& moved : moved_)
      nearest = std::min(nearest, squaredDistance(moved[i], target_.point[j]));
    return score + 1 / (1 + nearest / d0Squared_);
  }

 private:
  const Trace& reference_;
  const Trace& target_;
  double d0Squared_;
  std::vector<std::vector<Point>> moved_;
};

// Trace-back bits of one cell: how its match, reference-gap and target-gap states were reached.
enum : uint8_t { kMatchFromStart = 0, kMatchFromMatch = 1, kMatchFromGapI = 2, kMatchFromGapJ = 3 };
constexpr uint8_t kGapIExtended = 4, kGapJExtended = 8;

// Affine-gap alignment with free end gaps, restricted to a band around the
// sequence alignment: memory grows with the chain lengths, not their product.
class BandedAligner {
 public:
  BandedAligner(int n, int m, const std::vector<int>& centre) : n_(n), m_(m), low_(n), high_(n), offset_(n + 1) {
    for (int i = 0; i < n; ++i) {
      low_[i] = std::clamp(centre[i] - kBandHalfWidth, 0, m - 1);
      high_[i] = std::clamp(centre[i] + kBandHalfWidth, 0, m - 1);
      offset_[i + 1] = offset_[i] + (high_[i] - low_[i] + 1);
    }
    trace_.assign(offset_[n], 0);
  }

  Alignment align(const PairScores& score) {
    std::vector<double> match(m_ + 1, kNegative), gapI(m_ + 1, kNegative), gapJ(m_ + 1, kNegative);
    std::vector<double> prevMatch = match, prevGapI = gapI, prevGapJ = gapJ;
    double best = kNegative;
    int bestI = -1, bestJ = -1;
    for (int i = 0; i < n_; ++i) {
      // The rows reused here last held row i - 2, and only within its band.
      if (i >= 2)
        for (std::vector<double>* row : {&match, &gapI, &gapJ})
          std::fill(row->begin() + low_[i - 2], row->begin() + high_[i - 2] + 1, kNegative);
      for (int j = low_[i]; j <= high_[i]; ++j) {
        uint8_t& bits = trace_[offset_[i] + (j - low_[i])];
        const double diagMatch = j > 0 ? prevMatch[j - 1] : kNegative;
        const double diagGapI = j > 0 ? prevGapI[j - 1] : kNegative;
        const double diagGapJ = j > 0 ? prevGapJ[j - 1] : kNegative;
        double from = 0;
        bits = kMatchFromStart;
        if (diagMatch > from) from = diagMatch, bits = kMatchFromMatch;
        if (diagGapI > from) from = diagGapI, bits = kMatchFromGapI;
        if (diagGapJ > from) from = diagGapJ, bits = kMatchFromGapJ;
        match[j] = from + score(i, j);
        if (match[j] > best) best = match[j], bestI = i, bestJ = j;
        const double openI = prevMatch[j] + kGapOpen;
        if (prevGapI[j] >= openI && prevGapI[j] > kNegative) gapI[j] = prevGapI[j], bits |= kGapIExtended;
        else gapI[j] = openI;
        const double openJ = j > 0 ? match[j - 1] + kGapOpen : kNegative;
        const double extendJ = j > 0 ? gapJ[j - 1] : kNegative;
        if (extendJ >= openJ && extendJ > kNegative) gapJ[j] = extendJ, bits |= kGapJExtended;
        else gapJ[j] = openJ;
      }
      std::swap(prevMatch, match);
      std::swap(prevGapI, gapI);
      std::swap(prevGapJ, gapJ);
    }
    return traceBack(bestI, bestJ);
  }

 private:
  uint8_t bitsAt(int i, int j) const {
    if (i < 0 || j < low_[i] || j > high_[i]) return kMatchFromStart;
    return trace_[offset_[i] + (j - low_[i])];
  }

  enum class State { kMatch, kGapI, kGapJ };

  Alignment traceBack(int i, int j) const {
    Alignment alignment(n_, -1);
    State state = State::kMatch;
    while (i >= 0 && j >= 0) {
      const uint8_t bits = bitsAt(i, j);
      if (state == State::kMatch) {
        alignment[i] = j;
        const uint8_t from = bits & 3;
        if (from == kMatchFromStart) break;
        state = from == kMatchFromMatch ? State::kMatch : from == kMatchFromGapI ? State::kGapI : State::kGapJ;
        --i, --j;
      } else if (state == State::kGapI) {
        state = (bits & kGapIExtended) ? State::kGapI : State::kMatch;
        --i;
      } else {
        state = (bits & kGapJExtended) ? State::kGapJ : State::kMatch;
        --j;
      }
    }
    return alignment;
  }

  int n_, m_;
  std::vector<int> low_, high_;
  std::vector<std::size_t> offset_;
  std::vector<uint8_t> trace_;
};

Alignment seedOf(const ChainResidueMap& reference) {
  Alignment seed;
  for (const ResidueMapEntry& entry : reference.entries) seed.push_back(entry.mapIndex);
  return seed;
}

// The TM-score takes the best single superposition: the whole correspondence's, or one of the last round's.
CorrespondenceQuality qualityOf(const Superposer& superposer, const std::vector<ResiduePair>& pairs,
                                const std::vector<RigidMotion>& motions, int targetLength, const Trace& reference,
                                const Trace& target) {
  CorrespondenceQuality quality;
  quality.aligned = static_cast<int>(pairs.size());
  if (pairs.empty()) return quality;
  const RigidMotion all = superposer.fit(pairs);
  double squares = 0;
  for (const ResiduePair& p : pairs)
    squares += squaredDistance(all.apply(reference.point[p.reference]), target.point[p.target]);
  quality.rmsd = std::sqrt(squares / static_cast<double>(pairs.size()));
  double best = superposer.sumScore(superposer.extend(all, pairs), pairs);
  for (const RigidMotion& motion : motions) best = std::max(best, superposer.sumScore(motion, pairs));
  quality.tmScore = best / std::max(targetLength, 1);
  return quality;
}

void writeAlignment(ResidueMapPair& pdbMap, const Alignment& alignment) {
  std::vector<ResidueMapEntry>& reference = pdbMap[kReference].chain.entries;
  std::vector<ResidueMapEntry>& target = pdbMap[kTarget].chain.entries;
  for (ResidueMapEntry& entry : target) entry.mapIndex = -1, entry.identical = 0;
  for (std::size_t i = 0; i < reference.size(); ++i) {
    const int j = alignment[i];
    reference[i].mapIndex = j;
    reference[i].identical = j >= 0 && reference[i].nucleotide == target[j].nucleotide ? 1 : 0;
    if (j < 0) continue;
    target[j].mapIndex = static_cast<int32_t>(i);
    target[j].identical = reference[i].identical;
  }
}

}  // namespace

bool alignByStructure(ResidueMapPair& pdbMap, const std::vector<AtomInfo>& referenceAtoms,
                      const std::vector<AtomInfo>& targetAtoms, CorrespondenceQuality& quality) {
  if (pdbMap[kReference].chainCount == 0 || pdbMap[kTarget].chainCount == 0) return false;
  const Trace reference = traceOf(pdbMap[kReference].chain, referenceAtoms);
  const Trace target = traceOf(pdbMap[kTarget].chain, targetAtoms);
  if (placedCount(reference) < 3 || placedCount(target) < 3) return false;
  const double d0 = distanceScale(placedCount(target));
  const Superposer superposer(reference, target, d0);
  const Alignment seed = seedOf(pdbMap[kReference].chain);
  BandedAligner aligner(reference.size(), target.size(), bandCentres(seed, target.size()));
  Alignment alignment = seed;
  std::vector<RigidMotion> motions;
  for (int round = 0; round < kRounds; ++round) {
    const std::vector<ResiduePair> pairs = placedPairs(alignment, reference, target);
    if (pairs.size() < 3) break;
    motions = chooseMotions(superposer, pairs);
    Alignment next = aligner.align(PairScores(reference, target, motions, d0));
    if (next == alignment) break;
    alignment = std::move(next);
  }
  quality = qualityOf(superposer, placedPairs(alignment, reference, target), motions, placedCount(target), reference,
                      target);
  writeAlignment(pdbMap, alignment);
  return true;
}

}  // namespace bexora
