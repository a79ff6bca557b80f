// The row-by-row linear-space cost pass the aligner used before its passes
// ran in SIMD lanes: the reference they must equal value for value (their
// split points, and so the alignments, follow from these values), and the
// yardstick of their speed. Costs are in tenths.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

#include "alignment/cost_kernel.h"

namespace bexora::test {

struct ScalarPassRow {
  std::vector<int32_t> c, d;
};

using ScalarCostTable = std::array<std::array<uint8_t, 256>, 256>;

inline const ScalarCostTable& scalarCostTable() {
  static const ScalarCostTable table = [] {
    ScalarCostTable t{};
    for (unsigned x = 0; x < 256; ++x)
      for (unsigned y = 0; y < 256; ++y) t[x][y] = static_cast<uint8_t>(substitutionTenths(x, y));
    return t;
  }();
  return table;
}

// Best cost of a prefix (c) and best cost of a prefix ending with a row
// residue against a gap (d), for one column.
struct ScalarCell {
  int32_t c, d;
};

// One row while it sweeps the columns: its costs at the previous column
// (c, and e ending with a column residue against a gap) and the cost of the
// row above at the previous column (s).
struct ScalarRowSweep {
  const uint8_t* w;
  int32_t s, c, e;
};

inline ScalarRowSweep startScalarRow(unsigned char residue, ScalarCell& columnZero, int32_t& t) {
  ScalarRowSweep row{scalarCostTable()[residue].data(), columnZero.c, 0, 0};
  t += kGapExtendTenths;
  columnZero = {t, t};
  row.c = t;
  row.e = t + kGapOpenTenths;
  return row;
}

// Moves the row over one column, given that column's cell of the row above.
inline ScalarCell stepScalarRow(ScalarRowSweep& row, ScalarCell above, unsigned char residue) {
  constexpr int32_t openExtend = kGapOpenTenths + kGapExtendTenths;
  row.e = std::min(row.c + openExtend, row.e + kGapExtendTenths);
  int32_t d = std::min(above.c + openExtend, above.d + kGapExtendTenths);
  row.c = std::min(std::min(row.s + row.w[residue], d), row.e);
  row.s = above.c;
  return {row.c, d};
}

// Rows of `a` against all of `b`, two rows per sweep; tb opens a row gap
// touching the start.
inline ScalarPassRow scalarPass(std::string_view a, std::string_view b, int32_t tb) {
  const std::size_t n = b.size();
  std::vector<ScalarCell> cells(n + 1);
  for (std::size_t j = 1; j <= n; ++j) {
    int32_t gap = kGapOpenTenths + kGapExtendTenths * static_cast<int32_t>(j);
    cells[j] = {gap, gap + kGapOpenTenths};
  }
  int32_t t = tb;
  std::size_t i = 0;
  for (; i + 1 < a.size(); i += 2) {
    ScalarRowSweep upper = startScalarRow(a[i], cells[0], t);
    ScalarRowSweep lower = startScalarRow(a[i + 1], cells[0], t);
    for (std::size_t j = 1; j <= n; ++j)
      cells[j] = stepScalarRow(lower, stepScalarRow(upper, cells[j], b[j - 1]), b[j - 1]);
  }
  if (i < a.size()) {
    ScalarRowSweep row = startScalarRow(a[i], cells[0], t);
    for (std::size_t j = 1; j <= n; ++j) cells[j] = stepScalarRow(row, cells[j], b[j - 1]);
  }
  ScalarPassRow row;
  for (const ScalarCell& cell : cells) {
    row.c.push_back(cell.c);
    row.d.push_back(cell.d);
  }
  return row;
}

}  // namespace bexora::test
