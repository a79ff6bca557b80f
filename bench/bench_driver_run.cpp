// Whole-program timings on generated ribosome-sized inputs:
//   1. a single run with "-M ALL" against merely reading all of its input files;
//   2. a whole benchmark run against one single "-M ALL" run of the same size.
// The inputs come from the example generator; every figure is a ratio
// measured within this one run, since the machines are noisy.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "bench_support.h"
#include "util/line_reader.h"

namespace fs = std::filesystem;
using bench::run;
using bench::seconds;
using bench::timeCommand;

namespace {

// Reads every file of the folder line by line, as the readers' floor.
double timeRawReading(const fs::path& folder, std::size_t& bytes) {
  auto start = std::chrono::steady_clock::now();
  bytes = 0;
  for (const auto& entry : fs::directory_iterator(folder)) {
    bexora::LineReader reader;
    if (!reader.open(entry.path().string())) continue;
    std::string_view line;
    while (reader.next(line)) bytes += line.size() + 1;
  }
  return seconds(start);
}

std::string generator() { return std::string("python3 '") + BEXORA_SOURCE_DIR + "/examples/make_example.py'"; }

template <typename F>
double bestOf(int runs, F&& f) {
  double best = 1e300;
  for (int i = 0; i < runs; ++i) best = std::min(best, f());
  return best;
}

}  // namespace

int main() {
  fs::path work = fs::temp_directory_path() / "bexora-bench-run";
  fs::remove_all(work);
  fs::path single = work / "single";
  fs::path benchmark = work / "benchmark";
  std::string quiet = " >/dev/null 2>&1";
  if (!run(generator() + " pair '" + (single / "io_data/Input").string() + "' --residues 2900 --pairs 3000" + quiet) ||
      !run(generator() + " benchmark '" + (benchmark / "io_data/Input").string() + "' --size ribosome" + quiet)) {
    std::fprintf(stderr, "the example generator failed (python3 examples/make_example.py)\n");
    return 1;
  }
  std::string exe = std::string("'") + BEXORA_EXE + "'";
  std::string singleRun = "cd '" + single.string() + "' && " + exe + " 5REF A 5TGT A -M ALL" + quiet;
  std::string benchmarkRun = "cd '" + benchmark.string() + "' && " + exe + " -B BENCHMARK" + quiet;

  std::size_t bytes = 0;
  double raw = bestOf(3, [&] { return timeRawReading(single / "io_data/Input", bytes); });
  double singleTime = bestOf(3, [&] { return timeCommand(singleRun); });
  double benchmarkTime = bestOf(1, [&] { return timeCommand(benchmarkRun); });

  std::printf("single run -M ALL (2900 residues, 3000 pairs per tool): %.3f s\n", singleTime);
  std::printf("reading its %zu input bytes line by line:            %.3f s\n", bytes, raw);
  std::printf("ratio single run / raw reading:                       %.1f\n", singleTime / raw);
  std::printf("whole benchmark run (5 tools x 12 passes):            %.3f s\n", benchmarkTime);
  std::printf("ratio benchmark run / single run -M ALL:              %.1f\n", benchmarkTime / singleTime);
  fs::remove_all(work);
  return 0;
}
