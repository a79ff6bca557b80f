// Batch throughput: pairs per second of one "-L" run at -j 1 and at -j 2 on
// a generated manifest (every ordered pair of the eight generated benchmark
// structures, all five tools), and their ratio. Both runs must leave the same
// bytes. Usage: bench_driver_batch [small|ribosome] (default small).
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "bench_support.h"

namespace fs = std::filesystem;
using bench::run;
using bench::timeCommand;

namespace {

// Id and chain of each generated structure.
const std::vector<std::string> kStructures = {"1YL4 A", "2B9M A", "2B9N A", "2VQE A",
                                              "2ZJR X", "3R8S A", "3V2F A", "4GD1 A"};

int writeManifest(const fs::path& path) {
  std::ofstream out(path);
  int pairs = 0;
  for (const std::string& reference : kStructures)
    for (const std::string& target : kStructures)
      if (reference != target) {
        out << reference << " " << target << " ALL\n";
        ++pairs;
      }
  return pairs;
}

// Runs the batch into io_data/Output and then moves that to Output-jN, so
// that both runs name the same folders in their messages.
double timeBatch(const fs::path& work, int threads) {
  std::string command = "cd '" + work.string() + "' && '" + BEXORA_EXE + "' -L pairs.txt -j " +
                        std::to_string(threads) + " >/dev/null 2>&1";
  double seconds = timeCommand(command);
  fs::rename(work / "io_data/Output", work / ("io_data/Output-j" + std::to_string(threads)));
  return seconds;
}

}  // namespace

int main(int argc, char** argv) {
  std::string size = argc > 1 ? argv[1] : "small";
  fs::path work = fs::temp_directory_path() / "bexora-bench-batch";
  fs::remove_all(work);
  if (!run(std::string("python3 '") + BEXORA_SOURCE_DIR + "/examples/make_example.py' benchmark '" +
           (work / "io_data/Input").string() + "' --size " + size + " >/dev/null 2>&1")) {
    std::fprintf(stderr, "the example generator failed (python3 examples/make_example.py)\n");
    return 1;
  }
  int pairs = writeManifest(work / "io_data/Input/pairs.txt");
  double one = timeBatch(work, 1);
  double two = timeBatch(work, 2);
  bool same = run("diff -r '" + (work / "io_data/Output-j1").string() + "' '" + (work / "io_data/Output-j2").string() +
                  "' >/dev/null");
  std::printf("batch of %d pairs (%s structures, -M ALL)\n", pairs, size.c_str());
  std::printf("-j 1: %.3f s, %.2f pairs/s\n", one, pairs / one);
  std::printf("-j 2: %.3f s, %.2f pairs/s\n", two, pairs / two);
  std::printf("ratio -j 2 / -j 1 (pairs per second): %.2f\n", one / two);
  std::printf("outputs of -j 1 and -j 2 %s\n", same ? "identical" : "DIFFER");
  fs::remove_all(work);
  return same ? 0 : 1;
}
