// The pair aligner against the scalar pass it replaced and against a SIMD
// alignment library (parasail, Debian's libparasail-dev) on the same pairs
// and costs: G cells per second of the cost-only pass and of the full
// alignment, and their ratios, all measured within this one run.
#include <parasail.h>

#include <cmath>
#include <cstdio>
#include <string>

#include "../tests/alignment/scalar_row_pass.h"
#include "alignment/aligner.h"
#include "alignment_pairs.h"

namespace {

constexpr int kRuns = 7;

// The cost table as scores: parasail maximises, so every cost is negated.
// A gap of k costs open + k * extend here and open' + (k - 1) * extend there.
struct ParasailCosts {
  ParasailCosts() : matrix(parasail_matrix_create_case_sensitive(kAlphabet, 0, -bexora::kReplaceCostTenths)) {
    for (int x = 0; kAlphabet[x]; ++x)
      for (int y = 0; kAlphabet[y]; ++y)
        parasail_matrix_set_value(matrix, x, y, -bexora::substitutionTenths(kAlphabet[x], kAlphabet[y]));
  }
  ~ParasailCosts() { parasail_matrix_free(matrix); }
  static constexpr const char* kAlphabet = "ACGUNT";
  static constexpr int kOpen = bexora::kGapOpenTenths + bexora::kGapExtendTenths;
  static constexpr int kExtend = bexora::kGapExtendTenths;
  parasail_matrix_t* matrix;
};

double giga(double cells, double seconds) { return cells / seconds / 1e9; }

bool measure(const bench::Pair& pair, const ParasailCosts& costs) {
  const std::string &a = pair.a, &b = pair.b;
  const int m = static_cast<int>(a.size()), n = static_cast<int>(b.size());
  double cost = 0, fullCost = 0;
  std::string script;
  int32_t scalarTenths = 0;
  int scanScore = 0, traceScore = 0;
  bool saturated = false;
  double scalar = bench::bestSeconds(5, [&] { scalarTenths = bexora::test::scalarPass(a, b, 110).c.back(); });
  double pass = bench::bestSeconds(kRuns, [&] { bexora::MMAlign(a, b, nullptr, &cost, bexora::Reporter()); });
  double full = bench::bestSeconds(kRuns, [&] { bexora::MMAlign(a, b, &script, &fullCost, bexora::Reporter()); });
  double scan = bench::bestSeconds(kRuns, [&] {
    parasail_result_t* result = parasail_nw_scan_16(a.data(), m, b.data(), n, costs.kOpen, costs.kExtend, costs.matrix);
    scanScore = parasail_result_get_score(result);
    saturated |= parasail_result_is_saturated(result) != 0;
    parasail_result_free(result);
  });
  double trace = 0;
  double traceAndCigar = bench::bestSeconds(kRuns, [&] {
    auto start = std::chrono::steady_clock::now();
    parasail_result_t* result =
        parasail_nw_trace_scan_16(a.data(), m, b.data(), n, costs.kOpen, costs.kExtend, costs.matrix);
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    trace = trace == 0 ? seconds : std::min(trace, seconds);
    traceScore = parasail_result_get_score(result);
    saturated |= parasail_result_is_saturated(result) != 0;
    parasail_cigar_free(parasail_result_get_cigar(result, a.data(), m, b.data(), n, costs.matrix));
    parasail_result_free(result);
  });

  const long tenths = std::lround(cost * 10);
  const bool agree = tenths == scalarTenths && cost == fullCost && bexora::scriptCost(a, b, script) == cost &&
                     -scanScore == tenths && -traceScore == tenths && !saturated;
  const double cells = pair.cells();
  std::printf("%s: %d x %d residues, cost %.1f (%s)\n", pair.name.c_str(), m, n, cost,
              agree ? "all agree" : "RESULTS DIFFER");
  std::printf("  cost-only pass:  %6.2f G cells/s | scalar pass %5.2f | parasail nw_scan_16 %5.2f\n", giga(cells, pass),
              giga(cells, scalar), giga(cells, scan));
  std::printf("  full alignment:  %6.2f G cells/s | parasail nw_trace_scan_16 %5.2f, with its cigar %5.2f\n",
              giga(cells, full), giga(cells, trace), giga(cells, traceAndCigar));
  std::printf(
      "  ratios: pass / scalar pass %.2f, pass / nw_scan_16 %.2f, full / nw_trace_scan_16 %.2f (%.2f with cigar)\n",
      scalar / pass, scan / pass, trace / full, traceAndCigar / full);
  return agree;
}

}  // namespace

int main() {
  const ParasailCosts costs;
  bool agree = true;
  for (const bench::Pair& pair : bench::benchmarkPairs()) agree = measure(pair, costs) && agree;
  return agree ? 0 : 1;
}
