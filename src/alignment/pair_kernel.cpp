#include "alignment/pair_kernel.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <utility>

// The vector helpers are always inlined into the function of their SIMD
// level, so GCC's note about the call ABI of 32-byte vectors without AVX
// never applies.
#pragma GCC diagnostic ignored "-Wpsabi"

namespace bexora {

namespace {

// Residues as the lanes compare them: the XOR of two codes is 0 for the same
// byte, the reduced cost for two bytes of one class and at least the full
// replacement cost otherwise, so min(x ^ y, replace) is the substitution
// cost. The padding around the columns matches no byte.
constexpr int32_t kClassStride = 32;  // a power of two above both replacement costs
static_assert(kReducedCostTenths < kReplaceCostTenths && kReplaceCostTenths <= kClassStride);
constexpr int32_t kPaddingCode = 300 * 2 * kClassStride;
constexpr std::size_t kMostLanes = 32;
// Passes of at most this many cells run one cell at a time.
constexpr std::size_t kPlainPassCells = 32;

constexpr int32_t laneCode(unsigned char byte) {
  switch (residueClass(byte)) {
    case ResidueClass::kPurine: return byte == 'A' ? 0 : kReducedCostTenths;
    case ResidueClass::kPyrimidine: return kClassStride | (byte == 'C' ? 0 : kReducedCostTenths);
    default: return (byte + 1) * 2 * kClassStride;
  }
}

// Every cost a narrow pass forms stays below this bound (two gap openings
// for the boundaries, one more and a replacement inside a step).
constexpr bool fitsNarrowLanes(std::size_t rows, std::size_t columns) {
  return 4 * kGapOpenTenths + kGapExtendTenths * (rows + columns + 4) <= 0xFFFF;
}

// Cost of deleting the first `rows` rows, the boundary of column 0.
constexpr int32_t columnZero(int32_t tb, std::size_t rows) {
  return rows == 0 ? 0 : tb + kGapExtendTenths * static_cast<int32_t>(rows);
}

template <typename Cost, std::size_t Bytes>
struct VectorOf;
template <>
struct VectorOf<uint16_t, 16> {
  typedef uint16_t Type __attribute__((vector_size(16)));
};
template <>
struct VectorOf<uint16_t, 32> {
  typedef uint16_t Type __attribute__((vector_size(32)));
};
template <>
struct VectorOf<uint16_t, 64> {
  typedef uint16_t Type __attribute__((vector_size(64)));
};
template <>
struct VectorOf<int32_t, 16> {
  typedef int32_t Type __attribute__((vector_size(16)));
};
template <>
struct VectorOf<int32_t, 32> {
  typedef int32_t Type __attribute__((vector_size(32)));
};
template <>
struct VectorOf<int32_t, 64> {
  typedef int32_t Type __attribute__((vector_size(64)));
};

// A string coded for the lanes, with kMostLanes of padding on both sides, as
// the lanes of a group's first and last steps read past the ends.
template <typename Cost>
std::vector<Cost> laneCodes(std::string_view text, bool reversed) {
  std::vector<Cost> codes(text.size() + 2 * kMostLanes, static_cast<Cost>(kPaddingCode));
  for (std::size_t i = 0; i < text.size(); ++i)
    codes[kMostLanes + i] =
        static_cast<Cost>(laneCode(static_cast<unsigned char>(reversed ? text[text.size() - 1 - i] : text[i])));
  return codes;
}

// One pass as the lanes see it. Step t of a group reads the column codes at
// columnEnd - t: lane k then holds the code of column t - k. The row above
// the group is read from hIn, dIn and the group's last row written to hOut,
// dOut; each has kMostLanes of padding after the last column.
template <typename Cost>
struct PassInput {
  const Cost* rows;
  std::size_t rowCount;
  const Cost* columnEnd;
  std::size_t columns;
  int32_t tb;
  Cost* hIn;
  Cost* dIn;
  Cost* hOut;
  Cost* dOut;
};

template <typename Cost, std::size_t Bytes>
struct Wavefront {
  using Vector = typename VectorOf<Cost, Bytes>::Type;
  static constexpr std::size_t kLanes = Bytes / sizeof(Cost);
  // Rows of one lane swept together: their chains overlap. Taller strips
  // would no longer keep their state in the registers.
  static constexpr std::size_t kStrip = 8;
  // The lane of the incoming vector that shiftIn moves into lane 0.
  static constexpr std::size_t kIncoming = Bytes == 32 ? kLanes / 2 - 1 : kLanes - 1;

  BEXORA_ALWAYS_INLINE static Vector splat(int32_t x) { return Vector{} + static_cast<Cost>(x); }

  BEXORA_ALWAYS_INLINE static Vector load(const Cost* p) {
    Vector v;
    std::memcpy(&v, p, sizeof v);
    return v;
  }

  BEXORA_ALWAYS_INLINE static Vector least(const Vector& a, const Vector& b) { return a < b ? a : b; }

  // [incoming[L - 1], v[0], .., v[L - 2]]: lane k takes what lane k - 1 held.
  template <std::size_t... K>
  BEXORA_ALWAYS_INLINE static Vector shiftInWithin(const Vector& incoming, const Vector& v, std::index_sequence<K...>) {
    return __builtin_shufflevector(incoming, v, (K == 0 ? kLanes - 1 : K - 1 + kLanes)...);
  }

  // [incoming[L/2 - 1], v[0], .., v[L - 2]] as a swap of 128-bit halves and a
  // rotation within each, one AVX2 instruction each.
  template <std::size_t... K>
  BEXORA_ALWAYS_INLINE static Vector shiftInHalves(const Vector& incoming, const Vector& v, std::index_sequence<K...>) {
    constexpr std::size_t half = kLanes / 2;
    Vector swapped = __builtin_shufflevector(incoming, v, (K < half ? K : K - half + kLanes)...);
    return __builtin_shufflevector(swapped, v, (K % half == 0 ? K + half - 1 : K - 1 + kLanes)...);
  }

  // v moved up one lane, with *p in lane 0. *p is inserted, not loaded with
  // its neighbours: those may have been stored a moment ago one by one,
  // and a wide load of them would wait for the stores.
  BEXORA_ALWAYS_INLINE static Vector shiftIn(const Cost* p, const Vector& v) {
    Vector incoming{};
    incoming[kIncoming] = *p;
    if constexpr (Bytes == 32) return shiftInHalves(incoming, v, std::make_index_sequence<kLanes>());
    return shiftInWithin(incoming, v, std::make_index_sequence<kLanes>());
  }

  // The per-lane state of a group: each strip row's residue and its costs
  // at the column the lane is on.
  template <std::size_t R>
  struct Group {
    Vector code[R], c[R], e[R];
  };

  // Lane k sweeps rows top + k * R .. top + k * R + R - 1; rows past the end
  // of the pass are padding whose costs nothing reads.
  template <std::size_t R>
  BEXORA_ALWAYS_INLINE static Group<R> startGroup(const PassInput<Cost>& in, std::size_t top) {
    Cost codes[R][kLanes], lane[kLanes];
    for (std::size_t k = 0; k < kLanes; ++k) {
      lane[k] = static_cast<Cost>(k * R * kGapExtendTenths);
      for (std::size_t r = 0; r < R; ++r) {
        std::size_t row = top + k * R + r;
        codes[r][k] = row < in.rowCount ? in.rows[row] : static_cast<Cost>(kPaddingCode);
      }
    }
    Group<R> g;
    for (std::size_t r = 0; r < R; ++r) {
      g.code[r] = load(codes[r]);
      g.c[r] = load(lane) + splat(columnZero(in.tb, top + r + 1));
      g.e[r] = g.c[r] + splat(kGapOpenTenths);
    }
    return g;
  }

  // Where a group's last row lies: strip row `row` of lane `lane`.
  struct RowPlace {
    std::size_t lane, row;
  };

  // One step: every lane moves one column on. above and dAbove are the
  // costs of the row above each lane's strip at its new column, diag at the
  // column before. Leaves the strip's last row in above and dAbove, and
  // strip row `keep` in kept and dKept.
  template <std::size_t R, bool kKeep>
  BEXORA_ALWAYS_INLINE static void step(Group<R>& g, const Cost* columnCode, const Vector& diagAbove, Vector& above,
                                        Vector& dAbove, std::size_t keep, Vector& kept, Vector& dKept) {
    const Vector openExtend = splat(kGapOpenTenths + kGapExtendTenths);
    const Vector extend = splat(kGapExtendTenths);
    const Vector replace = splat(kReplaceCostTenths);
    const Vector code = load(columnCode);
    Vector diag = diagAbove;
    for (std::size_t r = 0; r < R; ++r) {
      Vector substitution = least(g.code[r] ^ code, replace);
      g.e[r] = least(g.c[r] + openExtend, g.e[r] + extend);
      dAbove = least(above + openExtend, dAbove + extend);
      Vector cell = least(least(diag + substitution, g.e[r]), dAbove);
      diag = g.c[r];
      g.c[r] = cell;
      above = cell;
      if (kKeep && r == keep) {
        kept = cell;
        dKept = dAbove;
      }
    }
  }

  // Sweeps one group of `rows` rows from row top on over all columns and
  // makes its last row the row above the next group. Lane k starts at step
  // k + 1; until then its state is held at column 0. A full group's last row
  // is the last lane's bottom; any other is read from a copy of its vector,
  // since taking a lane chosen at run time out of the vector itself would
  // put a trip through memory on the chain from one step to the next.
  template <std::size_t R, bool kFull>
  BEXORA_ALWAYS_INLINE static void sweepGroup(PassInput<Cost>& in, std::size_t top, std::size_t rows) {
    const RowPlace out = kFull ? RowPlace{kLanes - 1, R - 1} : RowPlace{(rows - 1) / R, (rows - 1) % R};
    Group<R> g = startGroup<R>(in, top);
    const Group<R> atColumnZero = g;
    Vector lane;
    for (std::size_t k = 0; k < kLanes; ++k) lane[k] = static_cast<Cost>(k);
    Vector bottom = g.c[R - 1], dBottom = bottom, kept = bottom, dKept = bottom;
    Vector diag = shiftIn(in.hIn, bottom);
    Cost copy[2 * kLanes];
    const std::size_t last = in.columns + out.lane;
    for (std::size_t t = 1; t <= last; ++t) {
      Vector above = shiftIn(in.hIn + t, bottom);
      Vector dAbove = shiftIn(in.dIn + t, dBottom);
      const Vector nextDiag = above;
      step<R, !kFull>(g, in.columnEnd - t, diag, above, dAbove, out.row, kept, dKept);
      diag = nextDiag;
      if (t < kLanes) {
        auto started = lane < splat(static_cast<int32_t>(t));
        for (std::size_t r = 0; r < R; ++r) {
          g.c[r] = started ? g.c[r] : atColumnZero.c[r];
          g.e[r] = started ? g.e[r] : atColumnZero.e[r];
        }
        above = g.c[R - 1];
        dAbove = started ? dAbove : atColumnZero.c[R - 1];
      }
      bottom = above;
      dBottom = dAbove;
      if constexpr (kFull) {
        if (t > out.lane) {
          in.hOut[t - out.lane] = bottom[kLanes - 1];
          in.dOut[t - out.lane] = dBottom[kLanes - 1];
        }
      } else {
        std::memcpy(copy, &kept, sizeof kept);
        std::memcpy(copy + kLanes, &dKept, sizeof dKept);
        if (t > out.lane) {
          in.hOut[t - out.lane] = copy[out.lane];
          in.dOut[t - out.lane] = copy[kLanes + out.lane];
        }
      }
    }
    in.hOut[0] = in.dOut[0] = static_cast<Cost>(columnZero(in.tb, top + rows));
    std::swap(in.hIn, in.hOut);
    std::swap(in.dIn, in.dOut);
  }

  // The rows left after the full groups, fewer than a full group, in one
  // group of the lowest strip height that holds them. Up to strips of four
  // rows, a group of half the width, where there is one, wastes fewer lanes
  // and fewer steps at its start.
  template <std::size_t R>
  BEXORA_ALWAYS_INLINE static void sweepRest(PassInput<Cost>& in, std::size_t top, std::size_t rows) {
    if constexpr (R == 1 && Bytes > 16) {
      if (rows <= 2 * kLanes) return Wavefront<Cost, Bytes / 2>::template sweepRest<1>(in, top, rows);
    }
    if constexpr (R < kStrip) {
      if (rows > kLanes * R) return sweepRest<R + 1>(in, top, rows);
    }
    sweepGroup<R, false>(in, top, rows);
  }

  // The row before the first: column j is reached by a gap of j.
  BEXORA_ALWAYS_INLINE static void startRow(const PassInput<Cost>& in) {
    in.hIn[0] = in.dIn[0] = 0;
    for (std::size_t j = 1; j <= in.columns; ++j) {
      in.hIn[j] = static_cast<Cost>(kGapOpenTenths + kGapExtendTenths * static_cast<int32_t>(j));
      in.dIn[j] = static_cast<Cost>(in.hIn[j] + kGapOpenTenths);
    }
  }

  // Returns the input with the pass's last row in hIn and dIn.
  BEXORA_ALWAYS_INLINE static PassInput<Cost> run(PassInput<Cost> in) {
    startRow(in);
    std::size_t top = 0;
    for (; top + kLanes * kStrip <= in.rowCount; top += kLanes * kStrip)
      sweepGroup<kStrip, true>(in, top, kLanes * kStrip);
    if (top < in.rowCount) sweepRest<1>(in, top, in.rowCount - top);
    return in;
  }
};

template <typename Cost>
using PassFunction = PassInput<Cost> (*)(const PassInput<Cost>&);

template <typename Cost>
PassInput<Cost> passPortable(const PassInput<Cost>& in) {
  return Wavefront<Cost, 16>::run(in);
}

#if BEXORA_X86
template <typename Cost>
__attribute__((target("sse4.1"))) PassInput<Cost> passSse41(const PassInput<Cost>& in) {
  return Wavefront<Cost, 16>::run(in);
}
template <typename Cost>
__attribute__((target("avx2"))) PassInput<Cost> passAvx2(const PassInput<Cost>& in) {
  return Wavefront<Cost, 32>::run(in);
}
template <typename Cost>
__attribute__((target("avx2,avx512f,avx512bw"))) PassInput<Cost> passAvx512(const PassInput<Cost>& in) {
  return Wavefront<Cost, 64>::run(in);
}
#endif

template <typename Cost>
PassFunction<Cost> passFor(SimdLevel level) {
#if BEXORA_X86
  if (level == SimdLevel::kAvx512) return passAvx512<Cost>;
  if (level == SimdLevel::kAvx2) return passAvx2<Cost>;
  if (level == SimdLevel::kSse41) return passSse41<Cost>;
#endif
  (void)level;
  return passPortable<Cost>;
}

// Both strings coded for one lane width, in both reading directions, and
// the two rows a pass alternates between. A forward pass reads the columns
// back to front (lane k lags k columns behind lane 0).
template <typename Cost>
struct CodedPair {
  CodedPair(std::string_view rows, std::string_view columns, SimdLevel level)
      : rowsForward(laneCodes<Cost>(rows, false)),
        rowsBackward(laneCodes<Cost>(rows, true)),
        columnsForward(laneCodes<Cost>(columns, true)),
        columnsBackward(laneCodes<Cost>(columns, false)),
        pass(passFor<Cost>(level)) {
    for (std::vector<Cost>& row : costRows) row.assign(columns.size() + kMostLanes + 1, 0);
  }

  // A pass of a few cells, one cell at a time: a group's setup and first
  // steps would cost more than its cells. The codes are read in the order
  // the lanes read them: rows forward, columns back from columnEnd.
  static void runPlain(const Cost* rows, std::size_t m, const Cost* columnEnd, std::size_t n, int32_t tb,
                       PassCosts& out) {
    constexpr int32_t openExtend = kGapOpenTenths + kGapExtendTenths;
    out.c.assign(n + 1, 0);
    out.d.assign(n + 1, 0);
    for (std::size_t j = 1; j <= n; ++j) {
      out.c[j] = kGapOpenTenths + kGapExtendTenths * static_cast<int32_t>(j);
      out.d[j] = out.c[j] + kGapOpenTenths;
    }
    for (std::size_t i = 0; i < m; ++i) {
      int32_t diag = out.c[0], left = columnZero(tb, i + 1), e = left + kGapOpenTenths;
      out.c[0] = out.d[0] = left;
      for (std::size_t j = 1; j <= n; ++j) {
        e = std::min(left + openExtend, e + kGapExtendTenths);
        out.d[j] = std::min(out.c[j] + openExtend, out.d[j] + kGapExtendTenths);
        const int32_t substitution = std::min<int32_t>(rows[i] ^ *(columnEnd - j), kReplaceCostTenths);
        left = std::min({diag + substitution, e, out.d[j]});
        diag = out.c[j];
        out.c[j] = left;
      }
    }
  }

  void run(const std::vector<Cost>& rowCodes, std::size_t rowStart, std::size_t m, const std::vector<Cost>& columnCodes,
           std::size_t columnEnd, std::size_t n, int32_t tb, PassCosts& out) {
    if (m * n <= kPlainPassCells)
      return runPlain(rowCodes.data() + kMostLanes + rowStart, m, columnCodes.data() + kMostLanes + columnEnd, n, tb,
                      out);
    PassInput<Cost> last =
        pass(PassInput<Cost>{rowCodes.data() + kMostLanes + rowStart, m, columnCodes.data() + kMostLanes + columnEnd, n,
                             tb, costRows[0].data(), costRows[1].data(), costRows[2].data(), costRows[3].data()});
    out.c.assign(last.hIn, last.hIn + n + 1);
    out.d.assign(last.dIn, last.dIn + n + 1);
  }

  std::vector<Cost> rowsForward, rowsBackward, columnsForward, columnsBackward;
  std::vector<Cost> costRows[4];
  PassFunction<Cost> pass;
};

}  // namespace

struct PairPasses::Tables {
  // The 32-bit tables only where some pass may need them.
  Tables(std::string_view rows, std::string_view columns, const PassOptions& options)
      : rowCount(rows.size()), columnCount(columns.size()) {
    const SimdLevel level = simdLevelSupported(options.level) ? options.level : widestSimdLevel();
    if (options.narrowLanes) narrow.emplace(rows, columns, level);
    if (!options.narrowLanes || !fitsNarrowLanes(rowCount, columnCount)) wide.emplace(rows, columns, level);
  }

  bool useNarrow(std::size_t m, std::size_t n) const { return narrow && fitsNarrowLanes(m, n); }

  std::size_t rowCount, columnCount;
  std::optional<CodedPair<uint16_t>> narrow;
  std::optional<CodedPair<int32_t>> wide;
};

PairPasses::PairPasses(std::string_view rows, std::string_view columns, const PassOptions& options)
    : tables_(std::make_unique<Tables>(rows, columns, options)) {}

PairPasses::~PairPasses() = default;

void PairPasses::forward(std::size_t row0, std::size_t m, std::size_t column0, std::size_t n, int32_t tb,
                         PassCosts& out) {
  Tables& t = *tables_;
  const std::size_t columnEnd = t.columnCount - column0;
  if (t.useNarrow(m, n))
    t.narrow->run(t.narrow->rowsForward, row0, m, t.narrow->columnsForward, columnEnd, n, tb, out);
  else
    t.wide->run(t.wide->rowsForward, row0, m, t.wide->columnsForward, columnEnd, n, tb, out);
}

void PairPasses::reverse(std::size_t row0, std::size_t m, std::size_t column0, std::size_t n, int32_t te,
                         PassCosts& out) {
  Tables& t = *tables_;
  const std::size_t rowStart = t.rowCount - row0 - m, columnEnd = column0 + n;
  if (t.useNarrow(m, n))
    t.narrow->run(t.narrow->rowsBackward, rowStart, m, t.narrow->columnsBackward, columnEnd, n, te, out);
  else
    t.wide->run(t.wide->rowsBackward, rowStart, m, t.wide->columnsBackward, columnEnd, n, te, out);
}

}  // namespace bexora
