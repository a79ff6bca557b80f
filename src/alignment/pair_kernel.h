// The cost passes of the divide-and-conquer aligner for one pair of strings,
// in SIMD lanes: each lane sweeps a strip of rows one column behind the lane
// above it, so the lanes form a wavefront across the table. Costs are in
// integer tenths and equal those of a plain row-by-row pass exactly, whatever
// the SIMD level and lane width.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "alignment/cost_kernel.h"

namespace bexora {

// The last row of a pass: c[j] is the least cost of aligning the pass's rows
// with its first j columns, d[j] the least among those alignments that end
// with a row residue against a gap.
struct PassCosts {
  std::vector<int32_t> c;
  std::vector<int32_t> d;
};

struct PassOptions {
  SimdLevel level = widestSimdLevel();
  // 16-bit lanes (twice as many) wherever the pass's costs fit them.
  bool narrowLanes = true;
};

// Passes over parts of one pair: rows come from the first string, columns
// from the second. A level the processor lacks falls back to the widest it has.
class PairPasses {
 public:
  PairPasses(std::string_view rows, std::string_view columns, const PassOptions& options = PassOptions());
  ~PairPasses();
  PairPasses(const PairPasses&) = delete;
  PairPasses& operator=(const PairPasses&) = delete;

  // Rows [row0, row0 + m) against columns [column0, column0 + n), from their
  // starts; tb opens a gap of row residues touching the start (0 where such
  // a gap continues one already paid for). Fills out.c and out.d[0 .. n].
  void forward(std::size_t row0, std::size_t m, std::size_t column0, std::size_t n, int32_t tb, PassCosts& out);
  // The same part read from its ends: out.c[j] covers the last j columns.
  void reverse(std::size_t row0, std::size_t m, std::size_t column0, std::size_t n, int32_t te, PassCosts& out);

 private:
  struct Tables;
  std::unique_ptr<Tables> tables_;
};

}  // namespace bexora
