// Speed of the candidate-ranking cost pass: a 3,000-residue target against
// 200 related candidates of similar length, against the plain scalar
// double-precision forward pass. Prints cells per second and speed-ups, and
// checks that both passes agree on every candidate the scalar pass ran.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "alignment/cost_kernel.h"

namespace {

constexpr std::size_t kTargetLength = 3000;
constexpr std::size_t kCandidates = 200;
constexpr std::size_t kScalarCandidates = 16;  // the slow pass runs on a sample only
constexpr int kRepeats = 3;

using Matrix = std::vector<std::vector<double>>;

double replaceCostFunc(int x, int y) {
  bool purines = (x == 'A' || x == 'G') && (y == 'A' || y == 'G');
  bool pyrimidines = (x == 'C' || x == 'U') && (y == 'C' || y == 'U');
  return purines || pyrimidines ? 2.7 : 3.0;
}

Matrix initializeW() {
  Matrix w(128, std::vector<double>(128, 0.0));
  for (int x = 0; x < 128; ++x)
    for (int y = 0; y < 128; ++y) w[x][y] = x == y ? 0.0 : replaceCostFunc(x, y);
  return w;
}

// The forward cost-only pass, step for step in double precision.
double costOnlyForward(double tb, const std::string& a, const std::string& b, const Matrix& w) {
  const std::size_t n = b.size();
  std::vector<double> cc(n + 1), dd(n + 1);
  double t = 11;
  cc[0] = dd[0] = 0;
  for (std::size_t j = 1; j <= n; ++j) {
    t = t + 1;
    cc[j] = t;
    dd[j] = t + 11;
  }
  t = tb;
  for (std::size_t i = 1; i <= a.size(); ++i) {
    double s = cc[0];
    t = t + 1;
    cc[0] = dd[0] = t;
    double c = t;
    double e = t + 11;
    const std::vector<double>& row = w[static_cast<unsigned char>(a[i - 1])];
    for (std::size_t j = 1; j <= n; ++j) {
      e = std::min(c + 11, e) + 1;
      dd[j] = std::min(cc[j] + 11, dd[j]) + 1;
      c = std::min(std::min(s + row[static_cast<unsigned char>(b[j - 1])], e), dd[j]);
      s = cc[j];
      cc[j] = c;
    }
  }
  return cc[n];
}

std::string randomBases(std::mt19937& random, std::size_t length) {
  std::string s(length, 'A');
  for (char& c : s) c = "ACGU"[random() % 4];
  return s;
}

// A homolog: point substitutions and short insertions and deletions.
std::string mutate(std::mt19937& random, std::string s) {
  std::size_t edits = s.size() / 20 + random() % (s.size() / 5);
  for (std::size_t k = 0; k < edits; ++k) {
    std::size_t at = random() % s.size();
    switch (random() % 4) {
      case 0: s.erase(at, 1 + random() % 6); break;
      case 1: s.insert(at, randomBases(random, 1 + random() % 6)); break;
      default: s[at] = "ACGU"[random() % 4];
    }
  }
  return s;
}

// Best of a few runs: the machine is shared, and the fastest run is the least disturbed.
template <class F>
double secondsOf(F&& run, int repeats = 1) {
  double best = 0;
  for (int k = 0; k < repeats; ++k) {
    auto start = std::chrono::steady_clock::now();
    run();
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (k == 0 || seconds < best) best = seconds;
  }
  return best;
}

double cellsOf(const std::string& target, const std::vector<std::string>& candidates, std::size_t count) {
  double cells = 0;
  for (std::size_t k = 0; k < count; ++k) cells += static_cast<double>(target.size() * candidates[k].size());
  return cells;
}

}  // namespace

int main() {
  std::mt19937 random(1988);
  const std::string target = randomBases(random, kTargetLength);
  std::vector<std::string> candidates;
  for (std::size_t k = 0; k < kCandidates; ++k) candidates.push_back(mutate(random, target));
  std::vector<std::string_view> views(candidates.begin(), candidates.end());

  const Matrix w = initializeW();
  std::vector<double> scalarCosts;
  double scalarSeconds = secondsOf([&] {
    scalarCosts.clear();
    for (std::size_t k = 0; k < kScalarCandidates; ++k) scalarCosts.push_back(costOnlyForward(11, target, candidates[k], w));
  }, kRepeats);
  double scalarRate = cellsOf(target, candidates, kScalarCandidates) / scalarSeconds;
  std::printf("scalar double pass: %zu candidates, %.3f s, %.3g cells/s\n", kScalarCandidates, scalarSeconds,
              scalarRate);

  const double allCells = cellsOf(target, candidates, kCandidates);
  int mismatches = 0;
  struct Setting {
    bexora::SimdLevel level;
    unsigned threads;
  };
  for (Setting setting : {Setting{bexora::SimdLevel::kPortable, 1}, Setting{bexora::SimdLevel::kSse41, 1},
                          Setting{bexora::SimdLevel::kAvx2, 1},
                          Setting{std::min(bexora::widestSimdLevel(), bexora::SimdLevel::kAvx2), 2}}) {
    if (!bexora::simdLevelSupported(setting.level)) continue;
    std::vector<int32_t> tenths;
    double seconds = secondsOf([&] {
      tenths = bexora::alignmentCostsTenths(target, views, bexora::CostPassOptions{setting.level, setting.threads});
    }, kRepeats);
    for (std::size_t k = 0; k < kScalarCandidates; ++k)
      if (std::lround(scalarCosts[k] * 10) != tenths[k]) ++mismatches;
    double rate = allCells / seconds;
    std::printf("fast pass %-8s threads=%u: %zu candidates, %.3f s, %.3g cells/s, speed-up %.1fx\n",
                bexora::simdLevelName(setting.level), setting.threads, kCandidates, seconds, rate, rate / scalarRate);
  }
  std::printf("costs differing from the scalar pass: %d\n", mismatches);
  return mismatches == 0 ? 0 : 1;
}
