// Cost-only global alignment of one target against many candidates at once,
// for ranking candidate references. Costs are kept in integer tenths (every
// cost of the model is a multiple of 0.1), several candidates run side by
// side in SIMD lanes and groups of candidates are spread over the cores.
// The result of every candidate equals the scalar cost-only pass exactly and
// does not depend on the SIMD level or the thread count.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace bexora {

constexpr int32_t kGapOpenTenths = 110;
constexpr int32_t kGapExtendTenths = 10;
constexpr int32_t kReducedCostTenths = 27;
constexpr int32_t kReplaceCostTenths = 30;

enum class SimdLevel { kPortable, kSse41, kAvx2 };

bool simdLevelSupported(SimdLevel level);
// The widest level this processor runs.
SimdLevel widestSimdLevel();
const char* simdLevelName(SimdLevel level);

struct CostPassOptions {
  SimdLevel level = widestSimdLevel();
  unsigned threads = 0;  // 0: one per core
};

// 0 for identical bytes, 27 for two upper-case purines (A, G) or two
// upper-case pyrimidines (C, U), 30 for any other pair.
int32_t substitutionTenths(unsigned char a, unsigned char b);

// Least cost, in tenths, of a global alignment of the target (first string)
// with each candidate (second string), in candidate order. A level the
// processor lacks falls back to the widest it has.
std::vector<int32_t> alignmentCostsTenths(std::string_view target, const std::vector<std::string_view>& candidates,
                                          const CostPassOptions& options = CostPassOptions());

inline double tenthsToCost(int32_t tenths) { return tenths / 10.0; }

}  // namespace bexora
