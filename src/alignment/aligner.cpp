#include "alignment/aligner.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <limits>
#include <new>
#include <vector>

namespace bexora {

namespace {

using Cost = int32_t;  // tenths of a cost unit

constexpr Cost kOpen = 110;
constexpr Cost kExtend = 10;
constexpr Cost kReduced = 27;
constexpr Cost kReplace = 30;
constexpr Cost kOpenExtend = kOpen + kExtend;

// Every cost of a pass is at most extend * (|a| + |b|) plus a few gap
// openings; below this total length even the sum of two costs that a split
// forms stays inside 32 bits.
constexpr std::size_t kMaxTotalLength = 50'000'000;

constexpr bool isPurine(unsigned c) { return c == 'A' || c == 'G'; }
constexpr bool isPyrimidine(unsigned c) { return c == 'C' || c == 'U'; }

// Every byte value is a residue code of its own, so bytes outside 7-bit ASCII
// index the table safely and cost the full replacement against anything else.
using CostTable = std::array<std::array<uint8_t, 256>, 256>;

CostTable makeCostTable() {
  CostTable table{};
  for (unsigned x = 0; x < 256; ++x)
    for (unsigned y = 0; y < 256; ++y) {
      bool sameClass = (isPurine(x) && isPurine(y)) || (isPyrimidine(x) && isPyrimidine(y));
      table[x][y] = static_cast<uint8_t>(x == y ? 0 : sameClass ? kReduced : kReplace);
    }
  return table;
}

// Filled once at start-up (a constant expression of 65,536 entries exceeds
// some compilers' evaluation limits).
const CostTable kCostTable = makeCostTable();

Cost gapCost(std::size_t k) { return k == 0 ? 0 : kOpen + kExtend * static_cast<Cost>(k); }

// Best cost of a prefix (c) and best cost of a prefix ending with a residue
// of the row string against a gap (d), for one column.
struct Cell {
  Cost c;
  Cost d;
};

// One row of the row string while it sweeps the columns: its costs at the
// previous column (c, e: best, and best ending with a column residue against
// a gap) and the cost of the row above at the previous column (s).
struct RowSweep {
  const uint8_t* w;
  Cost s;
  Cost c;
  Cost e;
};

// Starts the next row at column 0; t is the cost of deleting the rows so far.
inline RowSweep startRow(unsigned char residue, Cell& columnZero, Cost& t) {
  RowSweep row{kCostTable[residue].data(), columnZero.c, 0, 0};
  t += kExtend;
  columnZero = {t, t};
  row.c = t;
  row.e = t + kOpen;
  return row;
}

// Moves the row over one column, given that column's cell of the row above;
// returns the row's cell. min(x, y) + extend is written as min(x + extend,
// y + extend), so the chain from one column to the next is one addition and
// two minimums.
inline Cell stepRow(RowSweep& row, Cell above, unsigned char residue) {
  row.e = std::min(row.c + kOpenExtend, row.e + kExtend);
  Cost d = std::min(above.c + kOpenExtend, above.d + kExtend);
  row.c = std::min(std::min(row.s + row.w[residue], d), row.e);
  row.s = above.c;
  return {row.c, d};
}

// One linear-space pass: the rows of `a` against all of `b`; `tb` is the
// opening cost of a gap of row residues touching the start. Leaves in
// cells[j] the costs against the first j residues of b. Rows go in pairs:
// the two dependency chains overlap and the cells are read and written once
// per pair.
void costPass(const unsigned char* a, std::size_t m, const unsigned char* b, std::size_t n, Cost tb, Cell* cells) {
  Cost t = kOpen;
  cells[0] = {0, 0};
  for (std::size_t j = 1; j <= n; ++j) {
    t += kExtend;
    cells[j] = {t, t + kOpen};
  }
  t = tb;
  std::size_t i = 0;
  for (; i + 1 < m; i += 2) {
    RowSweep upper = startRow(a[i], cells[0], t);
    RowSweep lower = startRow(a[i + 1], cells[0], t);
    for (std::size_t j = 1; j <= n; ++j) cells[j] = stepRow(lower, stepRow(upper, cells[j], b[j - 1]), b[j - 1]);
  }
  if (i < m) {
    RowSweep row = startRow(a[i], cells[0], t);
    for (std::size_t j = 1; j <= n; ++j) cells[j] = stepRow(row, cells[j], b[j - 1]);
  }
}

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
      total += kCostTable[x][y];
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
        aReversed_(a.rbegin(), a.rend()),
        bReversed_(b.rbegin(), b.rend()),
        forward_(n_ + 1),
        reverse_(n_ + 1),
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
    const uint8_t* w = kCostTable[a_[a0]].data();
    Cost best = std::min(tb, te) + kExtend + gapCost(n);
    std::size_t chosen = 0;
    for (std::size_t j = 1; j <= n; ++j) {
      Cost c = gapCost(j - 1) + w[b_[b0 + j - 1]] + gapCost(n - j);
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
    costPass(a_ + a0, half, b_ + b0, n, tb, forward_.data());
    costPass(aReversed_.data() + (m_ - a0 - m), m - half, bReversed_.data() + (n_ - b0 - n), n, te, reverse_.data());
    Split best;
    for (std::size_t j = 0; j <= n; ++j) {
      Cost between = forward_[j].c + reverse_[n - j].c;
      Cost through = forward_[j].d + reverse_[n - j].d - kOpen;
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
  std::vector<unsigned char> aReversed_;
  std::vector<unsigned char> bReversed_;
  std::vector<Cell> forward_;
  std::vector<Cell> reverse_;
  std::string& script_;
};

Cost costOnly(std::string_view a, std::string_view b) {
  std::vector<Cell> cells(b.size() + 1);
  costPass(reinterpret_cast<const unsigned char*>(a.data()), a.size(), reinterpret_cast<const unsigned char*>(b.data()),
           b.size(), kOpen, cells.data());
  return cells[b.size()].c;
}

}  // namespace

bool MMAlign(std::string_view a, std::string_view b, std::string* script, double* cost, const Reporter& reporter) {
  try {
    if (a.size() + b.size() > kMaxTotalLength) throw std::bad_alloc();
    Cost tenths = script ? DivideAndConquer(a, b, *script).run() : costOnly(a, b);
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
