#include "alignment/aligner.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <new>

#include "alignment/pair_kernel.h"

namespace bexora {

namespace {

using Cost = int32_t;  // tenths of a cost unit

constexpr Cost kOpen = kGapOpenTenths;
constexpr Cost kExtend = kGapExtendTenths;

// Every cost of a pass is at most extend * (|a| + |b|) plus a few gap
// openings; below this total length even the sum of two costs that a split
// forms stays inside 32 bits.
constexpr std::size_t kMaxTotalLength = 50'000'000;

Cost gapCost(std::size_t k) { return k == 0 ? 0 : kOpen + kExtend * static_cast<Cost>(k); }

// Cost of a script in tenths, or -1 when it does not fit the two strings.
Cost scriptCostTenths(std::string_view a, std::string_view b, std::string_view script) {
  std::size_t i = 0, j = 0;
  Cost total = 0;
  char previous = '\0';
  for (char op : script) {
    if (op == 'x' || op == '-') {
      std::size_t& index = op == 'x' ? i : j;
      if (index >= (op == 'x' ? a.size() : b.size())) return -1;
      total += (op == previous ? 0 : kOpen) + kExtend;
      ++index;
    } else if (op == '!' || op == '|') {
      if (i >= a.size() || j >= b.size()) return -1;
      unsigned char x = a[i++], y = b[j++];
      if ((op == '!') != (x == y)) return -1;
      total += substitutionTenths(x, y);
    } else {
      return -1;
    }
    previous = op;
  }
  return i == a.size() && j == b.size() ? total : -1;
}

// Where a sub-problem is cut: after j residues of b, either between two row
// residues or inside a gap that deletes the two middle row residues.
struct Split {
  std::size_t j = 0;
  bool throughGap = false;
  Cost cost = std::numeric_limits<Cost>::max();
};

class DivideAndConquer {
 public:
  DivideAndConquer(std::string_view a, std::string_view b, std::string& script)
      : aText_(a),
        bText_(b),
        a_(reinterpret_cast<const unsigned char*>(a.data())),
        b_(reinterpret_cast<const unsigned char*>(b.data())),
        m_(a.size()),
        n_(b.size()),
        passes_(a, b),
        script_(script) {
    script_.clear();
    script_.reserve(m_ + n_);
  }

  // Writes the script; returns the optimal cost.
  Cost run() {
    if (m_ <= 1 || n_ == 0) {
      diff(0, m_, 0, n_, kOpen, kOpen);
      return scriptCostTenths(aText_, bText_, script_);
    }
    Split split = bestSplit(0, m_, 0, n_, kOpen, kOpen);
    solveHalves(split, 0, m_, 0, n_, kOpen, kOpen);
    return split.cost;
  }

 private:
  // Sub-problem: rows a0 .. a0+m-1 of a, columns b0 .. b0+n-1 of b; tb and te
  // open a row gap touching its start and its end (0: the gap continues).
  void diff(std::size_t a0, std::size_t m, std::size_t b0, std::size_t n, Cost tb, Cost te) {
    if (n == 0) {
      script_.append(m, 'x');
    } else if (m == 0) {
      script_.append(n, '-');
    } else if (m == 1) {
      alignOneRow(a0, b0, n, tb, te);
    } else {
      solveHalves(bestSplit(a0, m, b0, n, tb, te), a0, m, b0, n, tb, te);
    }
  }

  void alignOneRow(std::size_t a0, std::size_t b0, std::size_t n, Cost tb, Cost te) {
    Cost best = std::min(tb, te) + kExtend + gapCost(n);
    std::size_t chosen = 0;
    for (std::size_t j = 1; j <= n; ++j) {
      Cost c = gapCost(j - 1) + substitutionTenths(a_[a0], b_[b0 + j - 1]) + gapCost(n - j);
      if (c <= best) {
        best = c;
        chosen = j;
      }
    }
    if (chosen == 0) {
      if (tb == 0) {
        script_.push_back('x');
        script_.append(n, '-');
      } else {
        script_.append(n, '-');
        script_.push_back('x');
      }
      return;
    }
    script_.append(chosen - 1, '-');
    script_.push_back(a_[a0] == b_[b0 + chosen - 1] ? '!' : '|');
    script_.append(n - chosen, '-');
  }

  Split bestSplit(std::size_t a0, std::size_t m, std::size_t b0, std::size_t n, Cost tb, Cost te) {
    std::size_t half = m / 2;
    passes_.forward(a0, half, b0, n, tb, forward_);
    passes_.reverse(a0 + half, m - half, b0, n, te, reverse_);
    Split best;
    for (std::size_t j = 0; j <= n; ++j) {
      Cost between = forward_.c[j] + reverse_.c[n - j];
      Cost through = forward_.d[j] + reverse_.d[n - j] - kOpen;
      bool useGap = through <= between;
      Cost c = useGap ? through : between;
      if (c <= best.cost) best = {j, useGap, c};
    }
    return best;
  }

  void solveHalves(const Split& split, std::size_t a0, std::size_t m, std::size_t b0, std::size_t n, Cost tb, Cost te) {
    std::size_t half = m / 2;
    if (!split.throughGap) {
      diff(a0, half, b0, split.j, tb, kOpen);
      diff(a0 + half, m - half, b0 + split.j, n - split.j, kOpen, te);
      return;
    }
    diff(a0, half - 1, b0, split.j, tb, 0);
    script_.append(2, 'x');
    diff(a0 + half + 1, m - half - 1, b0 + split.j, n - split.j, 0, te);
  }

  std::string_view aText_;
  std::string_view bText_;
  const unsigned char* a_;
  const unsigned char* b_;
  std::size_t m_;
  std::size_t n_;
  PairPasses passes_;
  PassCosts forward_;
  PassCosts reverse_;
  std::string& script_;
};

Cost costOnly(std::string_view a, std::string_view b) {
  PassCosts last;
  PairPasses(a, b).forward(0, a.size(), 0, b.size(), kOpen, last);
  return last.c[b.size()];
}

// The only alignment of cost 0 matches every residue, since every gap and
// every replacement costs more than 0.
Cost alignIdentical(std::string_view a, std::string* script) {
  if (script) script->assign(a.size(), '!');
  return 0;
}

}  // namespace

bool MMAlign(std::string_view a, std::string_view b, std::string* script, double* cost, const Reporter& reporter) {
  try {
    if (a.size() + b.size() > kMaxTotalLength) throw std::bad_alloc();
    Cost tenths = a == b ? alignIdentical(a, script) : script ? DivideAndConquer(a, b, *script).run() : costOnly(a, b);
    if (cost) *cost = tenths / 10.0;
    return true;
  } catch (const std::bad_alloc&) {
    if (script) script->clear();
    reporter.say("Sufficient memory is not available to process the data\n");
    return false;
  }
}

double scriptCost(std::string_view a, std::string_view b, std::string_view script) {
  Cost tenths = scriptCostTenths(a, b, script);
  return tenths < 0 ? -1.0 : tenths / 10.0;
}

}  // namespace bexora
