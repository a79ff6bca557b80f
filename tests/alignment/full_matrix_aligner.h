// A plain quadratic-space affine-gap aligner (three states, a full table of
// back pointers), an independent check of the divide-and-conquer aligner's
// cost and a yardstick for its speed. Costs are in tenths.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace bexora::test {

struct FullMatrixResult {
  int64_t costTenths = 0;
  std::string script;
};

inline int64_t fullMatrixSubstitution(unsigned char x, unsigned char y) {
  auto group = [](unsigned char c) { return c == 'A' || c == 'G' ? 1 : c == 'C' || c == 'U' ? 2 : 0; };
  return x == y ? 0 : group(x) != 0 && group(x) == group(y) ? 27 : 30;
}

using StateCosts = std::array<int64_t, 3>;  // ends with: a pair, 'x' (a against a gap), '-'

// The cheapest predecessor state and the resulting cost.
inline uint8_t cheapestBefore(const StateCosts& before, const StateCosts& step, int64_t add, int64_t& cost) {
  uint8_t state = 0;
  for (uint8_t s = 1; s < 3; ++s)
    if (before[s] + step[s] < before[state] + step[state]) state = s;
  cost = before[state] + step[state] + add;
  return state;
}

inline FullMatrixResult fullMatrixAlign(std::string_view a, std::string_view b) {
  constexpr int64_t kOpen = 110, kExtend = 10, kInf = INT64_MAX / 4;
  const std::size_t m = a.size(), n = b.size(), width = n + 1;
  std::vector<uint8_t> from((m + 1) * width);  // two bits per state: the state before
  std::vector<StateCosts> row(width), previous(width);
  for (std::size_t i = 0; i <= m; ++i) {
    for (std::size_t j = 0; j <= n; ++j) {
      StateCosts cost = {i == 0 && j == 0 ? 0 : kInf, kInf, kInf};
      uint8_t bits = 0;
      if (i > 0 && j > 0)
        bits |= cheapestBefore(previous[j - 1], {0, 0, 0}, fullMatrixSubstitution(a[i - 1], b[j - 1]), cost[0]);
      if (i > 0) bits |= cheapestBefore(previous[j], {kOpen + kExtend, kExtend, kOpen + kExtend}, 0, cost[1]) << 2;
      if (j > 0) bits |= cheapestBefore(row[j - 1], {kOpen + kExtend, kOpen + kExtend, kExtend}, 0, cost[2]) << 4;
      row[j] = cost;
      from[i * width + j] = bits;
    }
    std::swap(row, previous);
  }
  FullMatrixResult result;
  int state = static_cast<int>(std::min_element(previous[n].begin(), previous[n].end()) - previous[n].begin());
  result.costTenths = previous[n][state];
  for (std::size_t i = m, j = n; i > 0 || j > 0;) {
    int before = (from[i * width + j] >> (2 * state)) & 3;
    if (state == 0) result.script.push_back(a[--i] == b[--j] ? '!' : '|');
    if (state == 1) result.script.push_back('x'), --i;
    if (state == 2) result.script.push_back('-'), --j;
    state = before;
  }
  std::reverse(result.script.begin(), result.script.end());
  return result;
}

}  // namespace bexora::test
