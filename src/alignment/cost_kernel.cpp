#include "alignment/cost_kernel.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cstring>
#include <numeric>
#include <thread>

// The vector helpers are always inlined into the function of their SIMD
// level, so GCC's note about the call ABI of 32-byte vectors without AVX
// never applies.
#pragma GCC diagnostic ignored "-Wpsabi"

namespace bexora {

namespace {

// Candidates of one group share the target's rows; lane k of every vector
// belongs to the group's k-th candidate. Costs reach (7000 + 7000) * 30 plus
// the gap openings, past int16, hence int32 lanes.
constexpr int kLanes = 8;
// Target rows swept together: the vertical values between them stay in
// registers, and their dependency chains overlap.
constexpr std::size_t kStripRows = 4;

typedef int32_t Lanes32 __attribute__((vector_size(kLanes * sizeof(int32_t))));

// One group's work: candidate c's residue j (1-based) against target row i
// costs profile[(rowSlot[i] * width + j - 1) * kLanes + c]. The profile is
// kept in int32 although its values fit a byte: widening narrow lanes in the
// inner loop cost more than the larger profile.
struct SweepInput {
  const int32_t* profile;
  const uint8_t* rowSlot;
  std::size_t rows;
  std::size_t width;
  int32_t* cc;  // (width + 1) * kLanes: best cost of the prefixes
  int32_t* dd;  // (width + 1) * kLanes: best cost ending with a deletion
};

// Boundary cost of column 0 after `rows` target residues.
inline int32_t columnZero(std::size_t rows) {
  return rows == 0 ? 0 : kGapOpenTenths + kGapExtendTenths * static_cast<int32_t>(rows);
}

BEXORA_ALWAYS_INLINE Lanes32 splat(int32_t x) {
  Lanes32 v = {};
  return v + x;
}

BEXORA_ALWAYS_INLINE Lanes32 loadLanes(const int32_t* p) {
  Lanes32 v;
  std::memcpy(&v, p, sizeof v);
  return v;
}

BEXORA_ALWAYS_INLINE void storeLanes(int32_t* p, const Lanes32& v) { std::memcpy(p, &v, sizeof v); }

BEXORA_ALWAYS_INLINE Lanes32 minLanes(const Lanes32& a, const Lanes32& b) { return a < b ? a : b; }

// Rows first .. first + R - 1 (0-based) of the forward pass, all columns.
template <std::size_t R>
BEXORA_ALWAYS_INLINE void sweepStrip(const SweepInput& in, std::size_t first) {
  const Lanes32 open = splat(kGapOpenTenths);
  const Lanes32 extend = splat(kGapExtendTenths);
  Lanes32 c[R], e[R], s[R];
  const int32_t* costs[R];
  for (std::size_t r = 0; r < R; ++r) {
    c[r] = splat(columnZero(first + r + 1));
    e[r] = c[r] + open;
    s[r] = splat(columnZero(first + r));
    costs[r] = in.profile + in.rowSlot[first + r] * in.width * kLanes;
  }
  for (std::size_t j = 1; j <= in.width; ++j) {
    Lanes32 above = loadLanes(in.cc + j * kLanes);
    Lanes32 d = loadLanes(in.dd + j * kLanes);
    for (std::size_t r = 0; r < R; ++r) {
      e[r] = minLanes(c[r] + open, e[r]) + extend;
      d = minLanes(above + open, d) + extend;
      Lanes32 cell = minLanes(minLanes(s[r] + loadLanes(costs[r] + (j - 1) * kLanes), e[r]), d);
      s[r] = above;
      above = cell;
      c[r] = cell;
    }
    storeLanes(in.cc + j * kLanes, above);
    storeLanes(in.dd + j * kLanes, d);
  }
  storeLanes(in.cc, splat(columnZero(first + R)));
}

BEXORA_ALWAYS_INLINE void sweepAllRows(const SweepInput& in) {
  std::size_t row = 0;
  for (; row + kStripRows <= in.rows; row += kStripRows) sweepStrip<kStripRows>(in, row);
  for (; row < in.rows; ++row) sweepStrip<1>(in, row);
}

void sweepPortable(const SweepInput& in) { sweepAllRows(in); }

#if BEXORA_X86
__attribute__((target("sse4.1"))) void sweepSse41(const SweepInput& in) { sweepAllRows(in); }
__attribute__((target("avx2"))) void sweepAvx2(const SweepInput& in) { sweepAllRows(in); }
#endif

using SweepFunction = void (*)(const SweepInput&);

SweepFunction sweepFor(SimdLevel level) {
#if BEXORA_X86
  if (level == SimdLevel::kAvx2 || level == SimdLevel::kAvx512) return sweepAvx2;
  if (level == SimdLevel::kSse41) return sweepSse41;
#endif
  (void)level;
  return sweepPortable;
}

// Each distinct byte of the target gets one slot of the substitution profile.
struct TargetProfile {
  std::vector<unsigned char> slotByte;
  std::vector<uint8_t> rowSlot;
};

TargetProfile profileTarget(std::string_view target) {
  std::array<int, 256> slotOf;
  slotOf.fill(-1);
  TargetProfile profile;
  profile.rowSlot.reserve(target.size());
  for (char ch : target) {
    unsigned char byte = static_cast<unsigned char>(ch);
    if (slotOf[byte] < 0) {
      slotOf[byte] = static_cast<int>(profile.slotByte.size());
      profile.slotByte.push_back(byte);
    }
    profile.rowSlot.push_back(static_cast<uint8_t>(slotOf[byte]));
  }
  return profile;
}

struct Group {
  std::array<std::size_t, kLanes> candidate{};
  std::size_t count = 0;
  std::size_t width = 0;
};

// Candidates of similar length share a group, so little of a group is padding.
std::vector<Group> groupByLength(const std::vector<std::string_view>& candidates) {
  std::vector<std::size_t> order(candidates.size());
  std::iota(order.begin(), order.end(), std::size_t{0});
  std::stable_sort(order.begin(), order.end(),
                   [&](std::size_t x, std::size_t y) { return candidates[x].size() < candidates[y].size(); });
  std::vector<Group> groups;
  for (std::size_t k = 0; k < order.size(); ++k) {
    if (k % kLanes == 0) groups.emplace_back();
    Group& group = groups.back();
    group.candidate[group.count++] = order[k];
    group.width = std::max(group.width, candidates[order[k]].size());
  }
  return groups;
}

// Buffers one thread reuses from group to group.
struct Workspace {
  std::vector<int32_t> profile;
  std::vector<int32_t> cc, dd;
};

void fillProfile(const TargetProfile& target, const Group& group, const std::vector<std::string_view>& candidates,
                 std::vector<int32_t>& profile) {
  profile.assign(target.slotByte.size() * group.width * kLanes, 0);
  for (std::size_t slot = 0; slot < target.slotByte.size(); ++slot) {
    int32_t* row = profile.data() + slot * group.width * kLanes;
    for (std::size_t lane = 0; lane < group.count; ++lane) {
      std::string_view b = candidates[group.candidate[lane]];
      for (std::size_t j = 0; j < b.size(); ++j)
        row[j * kLanes + lane] = substitutionTenths(target.slotByte[slot], static_cast<unsigned char>(b[j]));
    }
  }
}

void initialRow(std::size_t width, std::vector<int32_t>& cc, std::vector<int32_t>& dd) {
  cc.assign((width + 1) * kLanes, 0);
  dd.assign((width + 1) * kLanes, 0);
  for (std::size_t j = 1; j <= width; ++j) {
    int32_t prefixGap = kGapOpenTenths + kGapExtendTenths * static_cast<int32_t>(j);
    std::fill_n(cc.begin() + j * kLanes, kLanes, prefixGap);
    std::fill_n(dd.begin() + j * kLanes, kLanes, prefixGap + kGapOpenTenths);
  }
}

void alignGroup(const TargetProfile& target, const Group& group, const std::vector<std::string_view>& candidates,
                SweepFunction sweep, Workspace& work, std::vector<int32_t>& costs) {
  fillProfile(target, group, candidates, work.profile);
  initialRow(group.width, work.cc, work.dd);
  sweep(SweepInput{work.profile.data(), target.rowSlot.data(), target.rowSlot.size(), group.width, work.cc.data(),
                   work.dd.data()});
  for (std::size_t lane = 0; lane < group.count; ++lane) {
    std::size_t candidate = group.candidate[lane];
    costs[candidate] = work.cc[candidates[candidate].size() * kLanes + lane];
  }
}

}  // namespace

std::vector<int32_t> alignmentCostsTenths(std::string_view target, const std::vector<std::string_view>& candidates,
                                          const CostPassOptions& options) {
  std::vector<int32_t> costs(candidates.size(), 0);
  const TargetProfile profile = profileTarget(target);
  const std::vector<Group> groups = groupByLength(candidates);
  const SweepFunction sweep = sweepFor(simdLevelSupported(options.level) ? options.level : widestSimdLevel());
  std::atomic<std::size_t> next{0};
  auto worker = [&]() {
    Workspace work;
    for (std::size_t g = next++; g < groups.size(); g = next++) alignGroup(profile, groups[g], candidates, sweep, work, costs);
  };
  unsigned threads = options.threads ? options.threads : std::max(1u, std::thread::hardware_concurrency());
  threads = static_cast<unsigned>(std::min<std::size_t>(threads, groups.size()));
  std::vector<std::thread> helpers;
  for (unsigned t = 1; t < threads; ++t) helpers.emplace_back(worker);
  worker();
  for (std::thread& helper : helpers) helper.join();
  return costs;
}

}  // namespace bexora
