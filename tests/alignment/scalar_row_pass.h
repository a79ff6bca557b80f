// The plain row-by-row linear-space cost pass, one cell at a time: the
// reference the SIMD passes must equal value for value (their split points,
// and so the alignments, follow from these values), and the yardstick of
// their speed. Costs are in tenths.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string_view>
#include <vector>

#include "alignment/cost_kernel.h"

namespace bexora::test {

struct ScalarPassRow {
  std::vector<int32_t> c, d;
};

// Rows of `a` against all of `b`; tb opens a row gap touching the start.
inline ScalarPassRow scalarPass(std::string_view a, std::string_view b, int32_t tb) {
  const int32_t open = kGapOpenTenths, extend = kGapExtendTenths;
  const std::size_t n = b.size();
  ScalarPassRow row{std::vector<int32_t>(n + 1), std::vector<int32_t>(n + 1)};
  for (std::size_t j = 1; j <= n; ++j) {
    row.c[j] = open + extend * static_cast<int32_t>(j);
    row.d[j] = row.c[j] + open;
  }
  int32_t t = tb;
  for (char residue : a) {
    int32_t s = row.c[0];
    t += extend;
    row.c[0] = row.d[0] = t;
    int32_t c = t, e = t + open;
    for (std::size_t j = 1; j <= n; ++j) {
      e = std::min(c + open, e) + extend;
      row.d[j] = std::min(row.c[j] + open, row.d[j]) + extend;
      c = std::min({s + substitutionTenths(residue, b[j - 1]), e, row.d[j]});
      s = row.c[j];
      row.c[j] = c;
    }
  }
  return row;
}

}  // namespace bexora::test
