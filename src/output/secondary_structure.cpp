#include "output/secondary_structure.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <map>
#include <numeric>

#include "model/basepair.h"
#include "annotation/pair_formats.h"

namespace bexora {

namespace {

// Up to this many pairs every bracket order is searched for a largest
// crossing-free set, in time and memory quadratic in the pairs (about 20 MB
// and a fraction of a second at the bound); beyond it the orders are
// assigned greedily, in time n log n per order and linear memory.
constexpr std::size_t kSearchedBracketPairs = 3000;

constexpr char kOpening[] = "([{<ABCDEFGHIJKLMNOPQRSTUVWXYZ";
constexpr char kClosing[] = ")]}>abcdefghijklmnopqrstuvwxyz";
static_assert(sizeof(kOpening) == kBracketOrders + 1 && sizeof(kClosing) == kBracketOrders + 1);

using ResidueKey = std::pair<int32_t, char>;

struct ResidueKeyBefore {
  bool operator()(const ResidueKey& a, const ResidueKey& b) const {
    return compareResidues(a.first, a.second, b.first, b.second) < 0;
  }
};

template <typename Value>
using ResidueKeyMap = std::map<ResidueKey, Value, ResidueKeyBefore>;

ResidueKey keyOf(const BPInfo& pair, int end) { return {pair.resSeqNo[end], pair.iCode[end]}; }

// Annotation tools write a modified base in lower case, or pseudouridine as
// P; in a stem it pairs as its parent base does.
char parentLetter(char letter) {
  if (letter == 'P') return 'U';
  return static_cast<char>(std::toupper(static_cast<unsigned char>(letter)));
}

bool isCanonicalCis(const BPInfo& pair) {
  BPInfo parents = pair;
  for (char& base : parents.nucleotide) base = parentLetter(base);
  return pair.orientation == 'c' && isCanonicalBP(parents);
}

// A 2D file's sequence holds A, C, G, U, or N where the parent base of a
// letter is not known (an annotation's first letter of 2MG is '2').
char sequenceLetter(char letter) {
  char parent = parentLetter(letter);
  return isStandardBase(parent) ? parent : 'N';
}

// The observed residues, and the residues only the pairs name (with the
// letter of the first pair naming them), in chain order; returns where each
// residue went.
ResidueKeyMap<int> placeResidues(const std::vector<ResidueMapEntry>& observed,
                                        const std::vector<const BPInfo*>& pairs,
                                        std::vector<ResidueMapEntry>& residues) {
  ResidueKeyMap<char> letters;
  for (const ResidueMapEntry& entry : observed)
    letters.emplace(ResidueKey{entry.resSeqNo, entry.iCode}, entry.nucleotide);
  for (const BPInfo* pair : pairs)
    for (int end = 0; end < 2; ++end) letters.emplace(keyOf(*pair, end), pair->nucleotide[end]);
  ResidueKeyMap<int> index;
  for (const auto& [key, letter] : letters) {
    index.emplace(key, static_cast<int>(residues.size()));
    residues.push_back(ResidueMapEntry{sequenceLetter(letter), 0, key.first, key.second, -1});
  }
  return index;
}

// A residue in two canonical pairs keeps the earlier pair in written order.
void bracketCanonicalPairs(SecondaryStructure& structure, const std::vector<const BPInfo*>& written) {
  std::vector<bool> paired(structure.residues.size(), false);
  std::vector<std::size_t> bracketed;
  std::vector<std::pair<int, int>> ends;
  for (std::size_t k = 0; k < structure.pairs.size(); ++k) {
    const LinePair& pair = structure.pairs[k];
    if (!pair.canonical) continue;
    if (paired[pair.first] || paired[pair.second]) {
      structure.notes.push_back(formatPairBexora(*written[k]) + " not bracketed: a residue is already paired");
      continue;
    }
    paired[pair.first] = paired[pair.second] = true;
    bracketed.push_back(k);
    ends.emplace_back(pair.first, pair.second);
  }
  std::vector<int> orders = assignBracketOrders(ends, kBracketOrders);
  for (std::size_t n = 0; n < bracketed.size(); ++n) {
    structure.pairs[bracketed[n]].order = orders[n];
    if (orders[n] >= 0) continue;
    structure.orderLimitReached = true;
    structure.notes.push_back(formatPairBexora(*written[bracketed[n]]) + " not bracketed: more than " +
                              std::to_string(kBracketOrders) + " bracket orders");
  }
}

// The ends of the candidate pairs in position order, each with the index of
// its partner end and of its pair.
struct PairEnds {
  std::vector<int> partner;
  std::vector<int> pairOf;
};

PairEnds sortEnds(const std::vector<std::pair<int, int>>& pairs, const std::vector<int>& candidates) {
  std::vector<std::pair<int, int>> ends;  // position, pair
  for (int p : candidates) {
    ends.emplace_back(pairs[p].first, p);
    ends.emplace_back(pairs[p].second, p);
  }
  std::sort(ends.begin(), ends.end());
  PairEnds sorted{std::vector<int>(ends.size()), std::vector<int>(ends.size())};
  std::map<int, int> openEnd;  // pair -> index of its first end
  for (int e = 0; e < static_cast<int>(ends.size()); ++e) {
    sorted.pairOf[e] = ends[e].second;
    auto [found, inserted] = openEnd.emplace(ends[e].second, e);
    if (inserted) continue;
    sorted.partner[e] = found->second;
    sorted.partner[found->second] = e;
  }
  return sorted;
}

// A largest subset of the candidates without two crossing pairs, by the
// recurrence over the half-open ranges [a, b) of sorted ends
//   best(a, b) = max(best(a+1, b), 1 + best(a+1, p) + best(p+1, b))
// where end a opens a pair closing at end p < b. Only ranges ending at a
// closing end or at the last end are needed, so one column per such end
// holds best(., b). Ties take the pair opening first, so of two equal
// crossing stems the 5' one keeps the lower order.
class NestedSubset {
 public:
  explicit NestedSubset(PairEnds ends) : ends_(std::move(ends)), best_(ends_.partner.size() + 1) {
    int count = static_cast<int>(ends_.partner.size());
    for (int b = 0; b <= count; ++b)
      if (b == count || ends_.partner[b] < b) fillColumn(b);
  }

  std::vector<int> chosenPairs() const {
    std::vector<int> chosen;
    std::vector<std::pair<int, int>> ranges = {{0, static_cast<int>(ends_.partner.size())}};
    while (!ranges.empty()) {
      auto [a, b] = ranges.back();
      ranges.pop_back();
      for (; a < b; ++a) {
        if (withPairAt(a, b) != best_[b][a]) continue;
        chosen.push_back(ends_.pairOf[a]);
        ranges.emplace_back(a + 1, ends_.partner[a]);
        a = ends_.partner[a];
      }
    }
    return chosen;
  }

 private:
  // best(a, b) when the pair opening at end a is taken; -1 when it cannot be.
  int withPairAt(int a, int b) const {
    int p = ends_.partner[a];
    if (p < a || p >= b) return -1;
    return 1 + best_[p][a + 1] + best_[b][p + 1];
  }

  void fillColumn(int b) {
    std::vector<uint16_t>& column = best_[b];
    column.assign(b + 1, 0);
    for (int a = b - 1; a >= 0; --a) column[a] = static_cast<uint16_t>(std::max<int>(column[a + 1], withPairAt(a, b)));
  }

  PairEnds ends_;
  std::vector<std::vector<uint16_t>> best_;  // best_[b][a] = best(a, b)
};

// Bracket balance over the pair ends of one order, in position order: an
// opening end counts +1, a closing end -1. The pairs of an order never
// cross, so they match as brackets do, and a new pair crosses none of them
// exactly when the ends between its own are balanced: they sum to 0 and no
// prefix of them falls below 0.
class BracketBalance {
 public:
  explicit BracketBalance(std::size_t ends) {
    while (leaves_ < ends) leaves_ *= 2;
    nodes_.assign(2 * leaves_, Node{});
  }

  void clear() { std::fill(nodes_.begin(), nodes_.end(), Node{}); }

  void set(std::size_t end, int32_t value) {
    std::size_t at = leaves_ + end;
    nodes_[at] = Node{value, std::min(0, value)};
    for (at /= 2; at > 0; at /= 2) nodes_[at] = joined(nodes_[2 * at], nodes_[2 * at + 1]);
  }

  // Whether the ends strictly between `first` and `last` are balanced.
  bool balancedBetween(std::size_t first, std::size_t last) const {
    Node left{}, right{};
    for (std::size_t lo = leaves_ + first + 1, hi = leaves_ + last; lo < hi; lo /= 2, hi /= 2) {
      if (lo & 1) left = joined(left, nodes_[lo++]);
      if (hi & 1) right = joined(nodes_[--hi], right);
    }
    const Node between = joined(left, right);
    return between.sum == 0 && between.lowest >= 0;
  }

 private:
  struct Node {
    int32_t sum = 0;
    int32_t lowest = 0;  // least prefix sum, the empty prefix included
  };
  static Node joined(const Node& a, const Node& b) { return Node{a.sum + b.sum, std::min(a.lowest, a.sum + b.lowest)}; }

  std::size_t leaves_ = 1;
  std::vector<Node> nodes_;
};

// Each pair, shortest first (the 5' one of equal spans), takes the lowest
// order in which it crosses no pair taken before it.
std::vector<int> greedyBracketOrders(const std::vector<std::pair<int, int>>& pairs, int maxOrders) {
  std::vector<int> rank;  // end positions, for the ends' places in the balance
  for (const auto& [first, second] : pairs) rank.insert(rank.end(), {first, second});
  std::sort(rank.begin(), rank.end());
  auto placeOf = [&](int position) {
    return static_cast<std::size_t>(std::lower_bound(rank.begin(), rank.end(), position) - rank.begin());
  };
  std::vector<int> left(pairs.size());
  std::iota(left.begin(), left.end(), 0);
  std::stable_sort(left.begin(), left.end(), [&](int x, int y) {
    const int spanX = pairs[x].second - pairs[x].first, spanY = pairs[y].second - pairs[y].first;
    return spanX != spanY ? spanX < spanY : pairs[x].first < pairs[y].first;
  });
  std::vector<int> orders(pairs.size(), -1);
  BracketBalance balance(rank.size());
  for (int order = 0; order < maxOrders && !left.empty(); ++order) {
    balance.clear();
    std::vector<int> later;
    for (int p : left) {
      const std::size_t open = placeOf(pairs[p].first), close = placeOf(pairs[p].second);
      if (!balance.balancedBetween(open, close)) {
        later.push_back(p);
        continue;
      }
      balance.set(open, 1);
      balance.set(close, -1);
      orders[p] = order;
    }
    left.swap(later);
  }
  return orders;
}

}  // namespace

SecondaryStructure buildSecondaryStructure(const std::vector<ResidueMapEntry>& observed, const std::string& chainId,
                                           const std::vector<BPInfo>& written) {
  SecondaryStructure structure;
  std::vector<const BPInfo*> onChain;
  for (const BPInfo& pair : written)
    if (chainId == pair.chainId[0] && chainId == pair.chainId[1]) onChain.push_back(&pair);
  ResidueKeyMap<int> index = placeResidues(observed, onChain, structure.residues);
  for (const BPInfo* pair : onChain) {
    int i = index.at(keyOf(*pair, 0));
    int j = index.at(keyOf(*pair, 1));
    structure.pairs.push_back(
        LinePair{std::min(i, j), std::max(i, j), pair->source, i != j && isCanonicalCis(*pair), -1});
  }
  bracketCanonicalPairs(structure, onChain);
  if (onChain.size() < written.size())
    structure.notes.push_back(std::to_string(written.size() - onChain.size()) + " pairs with another chain than " +
                              chainId + " are not shown");
  return structure;
}

// Order 0 is a largest set of pairs without crossings, so the fewest pairs go
// to higher orders; each further order is a largest such set of the pairs
// left. Past the searched size the greedy assignment bounds the cost.
std::vector<int> assignBracketOrders(const std::vector<std::pair<int, int>>& pairs, int maxOrders) {
  if (pairs.size() > kSearchedBracketPairs) return greedyBracketOrders(pairs, maxOrders);
  std::vector<int> orders(pairs.size(), -1);
  std::vector<int> left(pairs.size());
  for (std::size_t p = 0; p < pairs.size(); ++p) left[p] = static_cast<int>(p);
  for (int order = 0; order < maxOrders && !left.empty(); ++order) {
    for (int p : NestedSubset(sortEnds(pairs, left)).chosenPairs()) orders[p] = order;
    left.erase(std::remove_if(left.begin(), left.end(), [&](int p) { return orders[p] >= 0; }), left.end());
  }
  return orders;
}

std::string formatDotBracket(const SecondaryStructure& structure, const std::string& header) {
  std::string sequence;
  for (const ResidueMapEntry& residue : structure.residues) sequence += residue.nucleotide;
  std::string brackets(structure.residues.size(), '.');
  for (const LinePair& pair : structure.pairs) {
    if (pair.order < 0) continue;
    brackets[pair.first] = kOpening[pair.order];
    brackets[pair.second] = kClosing[pair.order];
  }
  std::string text = ">" + header + "\n" + sequence + "\n" + brackets + "\n";
  for (const std::string& note : structure.notes) text += "# " + note + "\n";
  return text;
}

std::string formatBpseq(const SecondaryStructure& structure) {
  std::vector<int> partner(structure.residues.size(), 0);
  for (const LinePair& pair : structure.pairs) {
    if (pair.order < 0) continue;
    partner[pair.first] = pair.second + 1;
    partner[pair.second] = pair.first + 1;
  }
  std::string text;
  for (std::size_t i = 0; i < structure.residues.size(); ++i)
    text += std::to_string(i + 1) + " " + structure.residues[i].nucleotide + " " + std::to_string(partner[i]) + "\n";
  return text;
}

}  // namespace bexora
