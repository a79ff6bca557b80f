// Speed of the linear-space aligner on a 3,000-residue rRNA-like pair: the
// cost pass at every SIMD level and lane width against the scalar pass, the
// full alignment against one cost-only pass, and against the plain
// full-matrix aligner. Ratios are measured within this one run.
#include <cmath>
#include <cstdio>
#include <string>

#include "../tests/alignment/full_matrix_aligner.h"
#include "../tests/alignment/scalar_row_pass.h"
#include "alignment/aligner.h"
#include "alignment/pair_kernel.h"
#include "alignment_pairs.h"

int main() {
  const bench::Pair pair = bench::benchmarkPairs().front();
  const std::string &a = pair.a, &b = pair.b;
  const double cells = pair.cells();
  int32_t scalarTenths = 0;
  const double scalar = bench::bestSeconds(5, [&] { scalarTenths = bexora::test::scalarPass(a, b, 110).c.back(); });
  std::printf("%s: %zu x %zu residues; scalar pass %.2f ms, %.2f G cells/s\n", pair.name.c_str(), a.size(), b.size(),
              scalar * 1e3, cells / scalar / 1e9);

  bool agree = true;
  for (bexora::SimdLevel level : bexora::kSimdLevels)
    for (bool narrow : {true, false}) {
      if (!bexora::simdLevelSupported(level)) continue;
      bexora::PairPasses passes(a, b, bexora::PassOptions{level, narrow});
      bexora::PassCosts last;
      const double seconds = bench::bestSeconds(7, [&] { passes.forward(0, a.size(), 0, b.size(), 110, last); });
      agree = agree && last.c.back() == scalarTenths;
      std::printf("pass %-8s %2d-bit lanes: %.2f ms, %5.2f G cells/s, %5.1f times the scalar pass\n",
                  bexora::simdLevelName(level), narrow ? 16 : 32, seconds * 1e3, cells / seconds / 1e9,
                  scalar / seconds);
    }

  double costOnly = 0, fullCost = 0;
  std::string script;
  const double pass = bench::bestSeconds(7, [&] { bexora::MMAlign(a, b, nullptr, &costOnly, bexora::Reporter()); });
  const double full = bench::bestSeconds(7, [&] { bexora::MMAlign(a, b, &script, &fullCost, bexora::Reporter()); });
  long matrixTenths = 0;
  const double matrix = bench::bestSeconds(2, [&] { matrixTenths = bexora::test::fullMatrixAlign(a, b).costTenths; });
  agree = agree && std::lround(costOnly * 10) == scalarTenths && matrixTenths == scalarTenths && costOnly == fullCost &&
          bexora::scriptCost(a, b, script) == fullCost;
  std::printf("full alignment: %.2f ms, %.2f G cells/s, %.2f times one cost-only pass (theory: about 2)\n", full * 1e3,
              cells / full / 1e9, full / pass);
  std::printf("full-matrix aligner: %.2f ms; the full alignment takes %.2f times its time\n", matrix * 1e3,
              full / matrix);
  std::printf("costs: %s\n", agree ? "all agree" : "DIFFER");
  return agree ? 0 : 1;
}
