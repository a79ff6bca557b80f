// Speed of the linear-space aligner on two 3,000-residue relatives: cells per
// second of the cost-only pass, the full alignment against one cost-only
// pass, and the full alignment against the plain full-matrix aligner.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <functional>
#include <random>
#include <string>

#include "../tests/alignment/full_matrix_aligner.h"
#include "alignment/aligner.h"

namespace {

constexpr std::size_t kLength = 3000;

std::string randomRna(std::mt19937& random, std::size_t length) {
  std::string text;
  for (std::size_t i = 0; i < length; ++i) text.push_back("ACGU"[random() % 4]);
  return text;
}

// About 85 % identity with short insertions and deletions, cut or padded
// to the same length, like two homologous ribosomal chains.
std::string relativeOf(std::mt19937& random, const std::string& text) {
  std::string out;
  for (char c : text) {
    unsigned roll = random() % 100;
    if (roll < 3) continue;
    out.push_back(roll < 12 ? "ACGU"[random() % 4] : c);
    if (roll >= 12 && roll < 15) out += randomRna(random, 1 + random() % 3);
  }
  out.resize(text.size(), 'A');
  return out;
}

// Least wall time of several runs, in seconds.
double bestTime(int runs, const std::function<void()>& work) {
  double best = 1e30;
  for (int i = 0; i < runs; ++i) {
    auto start = std::chrono::steady_clock::now();
    work();
    best = std::min(best, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
  }
  return best;
}

}  // namespace

int main() {
  std::mt19937 random(3000);
  std::string a = randomRna(random, kLength);
  std::string b = relativeOf(random, a);
  double costOnly = 0, fullCost = 0;
  std::string script;
  long fullMatrixTenths = 0;

  double costOnlyTime = bestTime(7, [&] { bexora::MMAlign(a, b, nullptr, &costOnly, bexora::Reporter()); });
  double fullTime = bestTime(5, [&] { bexora::MMAlign(a, b, &script, &fullCost, bexora::Reporter()); });
  double matrixTime = bestTime(3, [&] { fullMatrixTenths = bexora::test::fullMatrixAlign(a, b).costTenths; });

  bool agree = std::lround(costOnly * 10) == fullMatrixTenths && costOnly == fullCost &&
               bexora::scriptCost(a, b, script) == fullCost;
  double cells = static_cast<double>(a.size()) * static_cast<double>(b.size());
  std::printf("sequences: %zu x %zu residues, optimal cost %.1f (%s)\n", a.size(), b.size(), costOnly,
              agree ? "all three aligners agree" : "COSTS DIFFER");
  std::printf("cost-only pass: %.2f ms, %.0f million cells per second\n", costOnlyTime * 1e3,
              cells / costOnlyTime / 1e6);
  std::printf("full alignment: %.2f ms, %.2f times one cost-only pass (theory: about 2)\n", fullTime * 1e3,
              fullTime / costOnlyTime);
  std::printf("full-matrix aligner: %.2f ms; full alignment takes %.2f times its time\n", matrixTime * 1e3,
              fullTime / matrixTime);
  return agree ? 0 : 1;
}
