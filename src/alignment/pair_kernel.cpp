#include "alignment/pair_kernel.h"

#include <cstring>
#include <utility>

#if defined(__x86_64__) || defined(__i386__)
#define BEXORA_X86 1
#else
#define BEXORA_X86 0
#endif

// The vector helpers are always inlined into the function of their SIMD
// level, so GCC's note about the call ABI of 32-byte vectors without AVX
// never applies.
#pragma GCC diagnostic ignored "-Wpsabi"

#define BEXORA_ALWAYS_INLINE __attribute__((always_inline)) inline

namespace bexora {

namespace {

// Residue codes as the lanes compare them. Bytes without a class get a
// different class value on each side, so two of them never share a class;
// the padding around the columns matches no byte.
constexpr int32_t kRowNoClass = 3;
constexpr int32_t kColumnNoClass = 4;
constexpr int32_t kPaddingCode = 0x1FF;
constexpr std::size_t kMostLanes = 16;

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
struct VectorOf<int32_t, 16> {
  typedef int32_t Type __attribute__((vector_size(16)));
};
template <>
struct VectorOf<int32_t, 32> {
  typedef int32_t Type __attribute__((vector_size(32)));
};

// A string coded for the lanes. Columns carry kMostLanes of padding on both
// sides, as the lanes of the first and last steps read past the ends.
template <typename Cost>
struct Coded {
  std::vector<Cost> code;
  std::vector<Cost> klass;
};

template <typename Cost>
Coded<Cost> codeResidues(std::string_view text, bool reversed, int32_t noClass, std::size_t padding) {
  Coded<Cost> coded;
  coded.code.assign(text.size() + 2 * padding, static_cast<Cost>(kPaddingCode));
  coded.klass.assign(text.size() + 2 * padding, static_cast<Cost>(noClass));
  for (std::size_t i = 0; i < text.size(); ++i) {
    unsigned char byte = static_cast<unsigned char>(reversed ? text[text.size() - 1 - i] : text[i]);
    ResidueClass klass = residueClass(byte);
    coded.code[padding + i] = byte;
    coded.klass[padding + i] = static_cast<Cost>(klass == ResidueClass::kNone ? noClass : static_cast<int32_t>(klass));
  }
  return coded;
}

// One pass as the lanes see it. Step t of a group reads the column codes at
// columnCodeEnd - t: lane k then holds the residue of column t - k. h and d
// (columns + kMostLanes + 1 entries) hold the last row swept so far.
template <typename Cost>
struct PassInput {
  const Cost* rowCode;
  const Cost* rowClass;
  std::size_t rows;
  const Cost* columnCodeEnd;
  const Cost* columnClassEnd;
  std::size_t columns;
  int32_t tb;
  Cost* h;
  Cost* d;
};

template <typename Cost, std::size_t Bytes>
struct Wavefront {
  using Vector = typename VectorOf<Cost, Bytes>::Type;
  static constexpr std::size_t kLanes = Bytes / sizeof(Cost);
  // Rows of one lane swept together: their chains overlap.
  static constexpr std::size_t kStrip = 3;

  BEXORA_ALWAYS_INLINE static Vector splat(int32_t x) { return Vector{} + static_cast<Cost>(x); }

  BEXORA_ALWAYS_INLINE static Vector load(const Cost* p) {
    Vector v;
    std::memcpy(&v, p, sizeof v);
    return v;
  }

  BEXORA_ALWAYS_INLINE static Vector least(const Vector& a, const Vector& b) { return a < b ? a : b; }

  // [x, v[0], .., v[L - 2]]: lane k takes what lane k - 1 held.
  template <std::size_t... K>
  BEXORA_ALWAYS_INLINE static Vector shiftInWithin(const Vector& incoming, const Vector& v, std::index_sequence<K...>) {
    return __builtin_shufflevector(incoming, v, (K == 0 ? kLanes - 1 : K - 1 + kLanes)...);
  }

  // The same over two 128-bit halves, written as a swap of halves and a
  // rotation within each, which the AVX2 shuffles do in one instruction each.
  template <std::size_t... K>
  BEXORA_ALWAYS_INLINE static Vector shiftInHalves(const Vector& incoming, const Vector& v, std::index_sequence<K...>) {
    constexpr std::size_t half = kLanes / 2;
    Vector swapped = __builtin_shufflevector(incoming, v, (K < half ? K : K - half + kLanes)...);
    return __builtin_shufflevector(swapped, v, (K % half == 0 ? K + half - 1 : K - 1 + kLanes)...);
  }

  BEXORA_ALWAYS_INLINE static Vector shiftIn(Cost x, const Vector& v) {
    if constexpr (Bytes == 32) return shiftInHalves(splat(x), v, std::make_index_sequence<kLanes>());
    return shiftInWithin(splat(x), v, std::make_index_sequence<kLanes>());
  }

  // The per-lane state of a group: the costs of each strip row at the
  // column the lane is on, and the row's residue.
  template <std::size_t R>
  struct Group {
    Vector code[R], klass[R], c[R], e[R];
  };

  // Lane k sweeps rows top + k * R .. top + k * R + R - 1; rows past the end
  // of the pass are padding whose costs nothing reads.
  template <std::size_t R>
  BEXORA_ALWAYS_INLINE static Group<R> startGroup(const PassInput<Cost>& in, std::size_t top) {
    Group<R> g;
    for (std::size_t r = 0; r < R; ++r) {
      for (std::size_t k = 0; k < kLanes; ++k) {
        std::size_t row = top + k * R + r;
        bool inside = row < in.rows;
        g.code[r][k] = inside ? in.rowCode[row] : static_cast<Cost>(kPaddingCode);
        g.klass[r][k] = inside ? in.rowClass[row] : static_cast<Cost>(kRowNoClass);
        g.c[r][k] = static_cast<Cost>(columnZero(in.tb, row + 1));
      }
      g.e[r] = g.c[r] + splat(kGapOpenTenths);
    }
    return g;
  }

  // One step: every lane moves one column on. above and dAbove are the
  // costs of the row above each lane's strip at its new column, diag at the
  // column before. Leaves the strip's last row in above and dAbove.
  template <std::size_t R>
  BEXORA_ALWAYS_INLINE static void step(Group<R>& g, const Cost* columnCode, const Cost* columnClass, Vector diag,
                                        Vector& above, Vector& dAbove) {
    const Vector openExtend = splat(kGapOpenTenths + kGapExtendTenths);
    const Vector extend = splat(kGapExtendTenths);
    const Vector replace = splat(kReplaceCostTenths);
    const Vector reducedLess = splat(kReducedCostTenths - kReplaceCostTenths);
    const Vector code = load(columnCode);
    const Vector klass = load(columnClass);
    for (std::size_t r = 0; r < R; ++r) {
      Vector same = (Vector)(g.code[r] == code);
      Vector substitution = (replace + ((Vector)(g.klass[r] == klass) & reducedLess)) & ~same;
      g.e[r] = least(g.c[r] + openExtend, g.e[r] + extend);
      dAbove = least(above + openExtend, dAbove + extend);
      Vector cell = least(least(diag + substitution, g.e[r]), dAbove);
      diag = g.c[r];
      g.c[r] = cell;
      above = cell;
    }
  }

  // Sweeps one group over all columns and leaves row (outLane + 1) * R of
  // the group in h and d. Lane k starts at step k + 1; until then its state
  // is held at column 0.
  template <std::size_t R>
  BEXORA_ALWAYS_INLINE static void sweepGroup(const PassInput<Cost>& in, std::size_t top, std::size_t outLane) {
    Group<R> g = startGroup<R>(in, top);
    const Group<R> atColumnZero = g;
    Vector lane;
    for (std::size_t k = 0; k < kLanes; ++k) lane[k] = static_cast<Cost>(k);
    Vector bottom = g.c[R - 1], dBottom = g.c[R - 1];
    Vector diag = shiftIn(in.h[0], bottom);
    const std::size_t last = in.columns + outLane;
    for (std::size_t t = 1; t <= last; ++t) {
      Vector above = shiftIn(in.h[t], bottom);
      Vector dAbove = shiftIn(in.d[t], dBottom);
      Vector nextDiag = above;
      step<R>(g, in.columnCodeEnd - t, in.columnClassEnd - t, diag, above, dAbove);
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
      if (t > outLane) {
        in.h[t - outLane] = bottom[outLane];
        in.d[t - outLane] = dBottom[outLane];
      }
    }
    in.h[0] = in.d[0] = static_cast<Cost>(columnZero(in.tb, top + (outLane + 1) * R));
  }

  BEXORA_ALWAYS_INLINE static void run(const PassInput<Cost>& in) {
    in.h[0] = in.d[0] = 0;
    for (std::size_t j = 1; j <= in.columns; ++j) {
      in.h[j] = static_cast<Cost>(kGapOpenTenths + kGapExtendTenths * static_cast<int32_t>(j));
      in.d[j] = static_cast<Cost>(in.h[j] + kGapOpenTenths);
    }
    std::size_t top = 0;
    for (; top + kLanes * kStrip <= in.rows; top += kLanes * kStrip) sweepGroup<kStrip>(in, top, kLanes - 1);
    for (; top + kLanes <= in.rows; top += kLanes) sweepGroup<1>(in, top, kLanes - 1);
    if (top < in.rows) sweepGroup<1>(in, top, in.rows - top - 1);
  }
};

template <typename Cost>
using PassFunction = void (*)(const PassInput<Cost>&);

template <typename Cost>
void passPortable(const PassInput<Cost>& in) {
  Wavefront<Cost, 16>::run(in);
}

#if BEXORA_X86
template <typename Cost>
__attribute__((target("sse4.1"))) void passSse41(const PassInput<Cost>& in) {
  Wavefront<Cost, 16>::run(in);
}
template <typename Cost>
__attribute__((target("avx2"))) void passAvx2(const PassInput<Cost>& in) {
  Wavefront<Cost, 32>::run(in);
}
#endif

template <typename Cost>
PassFunction<Cost> passFor(SimdLevel level) {
#if BEXORA_X86
  if (level == SimdLevel::kAvx2) return passAvx2<Cost>;
  if (level == SimdLevel::kSse41) return passSse41<Cost>;
#endif
  (void)level;
  return passPortable<Cost>;
}

// Both strings coded for one lane width, in both reading directions. A
// forward pass reads the columns back to front (lane k lags k columns).
template <typename Cost>
struct CodedPair {
  CodedPair(std::string_view rows, std::string_view columns, SimdLevel level)
      : rowsForward(codeResidues<Cost>(rows, false, kRowNoClass, 0)),
        rowsBackward(codeResidues<Cost>(rows, true, kRowNoClass, 0)),
        columnsForward(codeResidues<Cost>(columns, true, kColumnNoClass, kMostLanes)),
        columnsBackward(codeResidues<Cost>(columns, false, kColumnNoClass, kMostLanes)),
        h(columns.size() + kMostLanes + 1),
        d(columns.size() + kMostLanes + 1),
        pass(passFor<Cost>(level)) {}

  void run(const Coded<Cost>& rowCodes, std::size_t rowStart, std::size_t m, const Coded<Cost>& columnCodes,
           std::size_t columnEnd, std::size_t n, int32_t tb, PassCosts& out) {
    pass(PassInput<Cost>{rowCodes.code.data() + rowStart, rowCodes.klass.data() + rowStart, m,
                         columnCodes.code.data() + kMostLanes + columnEnd,
                         columnCodes.klass.data() + kMostLanes + columnEnd, n, tb, h.data(), d.data()});
    out.c.assign(h.begin(), h.begin() + n + 1);
    out.d.assign(d.begin(), d.begin() + n + 1);
  }

  Coded<Cost> rowsForward, rowsBackward, columnsForward, columnsBackward;
  std::vector<Cost> h, d;
  PassFunction<Cost> pass;
};

}  // namespace

struct PairPasses::Tables {
  Tables(std::string_view rows, std::string_view columns, const PassOptions& options)
      : rowCount(rows.size()),
        columnCount(columns.size()),
        narrowLanes(options.narrowLanes),
        narrow(rows, columns, level(options)),
        wide(rows, columns, level(options)) {}

  static SimdLevel level(const PassOptions& options) {
    return simdLevelSupported(options.level) ? options.level : widestSimdLevel();
  }

  bool useNarrow(std::size_t m, std::size_t n) const { return narrowLanes && fitsNarrowLanes(m, n); }

  std::size_t rowCount, columnCount;
  bool narrowLanes;
  CodedPair<uint16_t> narrow;
  CodedPair<int32_t> wide;
};

PairPasses::PairPasses(std::string_view rows, std::string_view columns, const PassOptions& options)
    : tables_(std::make_unique<Tables>(rows, columns, options)) {}

PairPasses::~PairPasses() = default;

void PairPasses::forward(std::size_t row0, std::size_t m, std::size_t column0, std::size_t n, int32_t tb,
                         PassCosts& out) {
  Tables& t = *tables_;
  std::size_t columnEnd = t.columnCount - column0;
  if (t.useNarrow(m, n))
    t.narrow.run(t.narrow.rowsForward, row0, m, t.narrow.columnsForward, columnEnd, n, tb, out);
  else
    t.wide.run(t.wide.rowsForward, row0, m, t.wide.columnsForward, columnEnd, n, tb, out);
}

void PairPasses::reverse(std::size_t row0, std::size_t m, std::size_t column0, std::size_t n, int32_t te,
                         PassCosts& out) {
  Tables& t = *tables_;
  std::size_t rowStart = t.rowCount - row0 - m;
  std::size_t columnEnd = column0 + n;
  if (t.useNarrow(m, n))
    t.narrow.run(t.narrow.rowsBackward, rowStart, m, t.narrow.columnsBackward, columnEnd, n, te, out);
  else
    t.wide.run(t.wide.rowsBackward, rowStart, m, t.wide.columnsBackward, columnEnd, n, te, out);
}

}  // namespace bexora
