// Throughput of the structure reader on the largest real structure, against
// merely reading the same bytes line by line.
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "structure/pdb_reader.h"
#include "util/line_reader.h"

namespace {

using Clock = std::chrono::steady_clock;

double seconds(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

std::size_t readLines(const std::string& path) {
  bexora::LineReader reader;
  if (!reader.open(path)) return 0;
  std::size_t bytes = 0;
  std::string_view line;
  while (reader.next(line)) bytes += line.size() + 1;
  return bytes;
}

template <typename Work>
double bestOf(int rounds, Work work) {
  double best = 1e30;
  for (int i = 0; i < rounds; ++i) {
    Clock::time_point start = Clock::now();
    work();
    best = std::min(best, seconds(start));
  }
  return best;
}

}  // namespace

int main() {
  const std::string folder = std::string(BEXORA_REALDATA) + "/3J7A/";
  const std::string path = folder + "3J7A.pdb";
  std::size_t bytes = readLines(path);
  if (bytes == 0) {
    std::printf("cannot read %s\n", path.c_str());
    return 1;
  }
  constexpr int kRounds = 15;
  double raw = bestOf(kRounds, [&] { readLines(path); });
  std::vector<bexora::AtomInfo> atoms;
  atoms.reserve(bexora::kMaxAtoms);
  bexora::RefineInfo refine;
  double parsed = bestOf(kRounds, [&] { bexora::readPDBFile(folder, "3J7A", refine, "A", atoms, bexora::Reporter()); });
  double mb = static_cast<double>(bytes) / 1e6;
  std::printf("file %s: %.2f MB, %zu atoms of chain A, %d atom lines\n", path.c_str(), mb, atoms.size(),
              refine.noOfAtoms);
  std::printf("line reading: %.1f MB/s\n", mb / raw);
  std::printf("structure reader: %.1f MB/s\n", mb / parsed);
  std::printf("reader / line reading: %.2f\n", raw / parsed);
  return 0;
}
