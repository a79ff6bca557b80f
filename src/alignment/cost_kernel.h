// Cost-only global alignment of one target against many candidates at once,
// for ranking candidate references. Costs are kept in integer tenths (every
// cost of the model is a multiple of 0.1), several candidates run side by
// side in SIMD lanes and groups of candidates are spread over the cores.
// The result of every candidate equals the scalar cost-only pass exactly and
// does not depend on the SIMD level or the thread count. Also home of the
// cost table that every aligner of the system shares.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "alignment/simd_level.h"

namespace bexora {

// The one cost table of every aligner: a gap of k residues costs
// open + k * extend, a replacement within a class (two purines or two
// pyrimidines) the reduced cost, any other replacement the full one.
constexpr int32_t kGapOpenTenths = 110;
constexpr int32_t kGapExtendTenths = 10;
constexpr int32_t kReducedCostTenths = 27;
constexpr int32_t kReplaceCostTenths = 30;

// Only upper-case A, G (purines) and C, U (pyrimidines) have a class.
enum class ResidueClass : uint8_t { kNone, kPurine, kPyrimidine };

constexpr ResidueClass residueClass(unsigned char c) {
  if (c == 'A' || c == 'G') return ResidueClass::kPurine;
  if (c == 'C' || c == 'U') return ResidueClass::kPyrimidine;
  return ResidueClass::kNone;
}

// 0 for identical bytes, the reduced cost within a class, else the full one.
constexpr int32_t substitutionTenths(unsigned char a, unsigned char b) {
  if (a == b) return 0;
  ResidueClass klass = residueClass(a);
  return klass != ResidueClass::kNone && klass == residueClass(b) ? kReducedCostTenths : kReplaceCostTenths;
}

struct CostPassOptions {
  SimdLevel level = widestSimdLevel();
  unsigned threads = 0;  // 0: one per core
};

// Least cost, in tenths, of a global alignment of the target (first string)
// with each candidate (second string), in candidate order. A level the
// processor lacks falls back to the widest it has.
std::vector<int32_t> alignmentCostsTenths(std::string_view target, const std::vector<std::string_view>& candidates,
                                          const CostPassOptions& options = CostPassOptions());

inline double tenthsToCost(int32_t tenths) { return tenths / 10.0; }

}  // namespace bexora
