// Batch throughput: pairs per second of one "-L" run at -j 1 and at -j 2,
// with the processor time beside the wall time, and their ratio. Both runs
// must leave the same bytes. Usage: bench_driver_batch [small|ribosome|trna]
// (default small). small and ribosome: every ordered pair of the eight
// generated benchmark structures, all five tools. trna: 300 pairs of copies
// (under ids T000 to T017) of the four real tRNA-Phe chains in
// ../shared/realdata/generated with RNAView and FR3D, as a cluster batch
// meets them.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <sys/resource.h>

#include "bench_support.h"

namespace fs = std::filesystem;
using bench::run;
using bench::timeCommand;

namespace {

// Id and chain of each generated structure.
const std::vector<std::string> kStructures = {"1YL4 A", "2B9M A", "2B9N A", "2VQE A",
                                              "2ZJR X", "3R8S A", "3V2F A", "4GD1 A"};

int writeGeneratedManifest(const fs::path& path) {
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

const char* const kTrnaSources[] = {"1EHZ", "6TNA", "1TRA", "1EVV"};
constexpr int kTrnaCopies = 18, kTrnaPairs = 300;

std::string readText(const fs::path& path) {
  std::ifstream in(path);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// The sequence lines of chain A of `id` in a FASTA text.
std::string sequenceOf(const std::string& fasta, const std::string& id) {
  std::size_t header = fasta.find(">" + id + "_A ");
  if (header == std::string::npos) return "";
  std::size_t begin = fasta.find('\n', header) + 1;
  return fasta.substr(begin, fasta.find('>', begin) - begin);
}

// Copies of the real tRNAs under ids of their own, and the manifest of their pairs.
int writeTrnaInput(const fs::path& input) {
  const fs::path real = fs::path(BEXORA_SOURCE_DIR) / "../shared/realdata";
  const std::string fasta = readText(real / "pdb_seqres.na.fa");
  fs::create_directories(input);
  std::ofstream sequences(input / "pdb_seqres.na.fa"), manifest(input / "pairs.txt");
  for (int k = 0; k < kTrnaCopies; ++k) {
    std::string source = kTrnaSources[k % 4], id = "T" + std::string(k < 10 ? "00" : "0") + std::to_string(k);
    for (const char* ext : {".pdb", ".rv.out", ".fr3d.out"})
      fs::copy_file(real / "generated" / source / (source + ext), input / (id + ext));
    std::string lower = source;
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    sequences << ">t" << id.substr(1) << "_A mol:na length:76  TRNA\n" << sequenceOf(fasta, lower);
  }
  int pairs = 0;
  for (int r = 0; r < kTrnaCopies && pairs < kTrnaPairs; ++r)
    for (int t = 0; t < kTrnaCopies && pairs < kTrnaPairs; ++t)
      if (r != t) {
        manifest << "T0" << (r < 10 ? "0" : "") << r << " A T0" << (t < 10 ? "0" : "") << t << " A RV,FR\n";
        ++pairs;
      }
  return pairs;
}

double processorSecondsOfChildren() {
  struct rusage usage;
  getrusage(RUSAGE_CHILDREN, &usage);
  auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; };
  return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

struct Timing {
  double wall, processor;
};

// Runs the batch into io_data/Output and then moves that to Output-jN, so
// that both runs name the same folders in their messages.
Timing timeBatch(const fs::path& work, int threads) {
  std::string command = "cd '" + work.string() + "' && '" + BEXORA_EXE + "' -L pairs.txt -j " +
                        std::to_string(threads) + " >/dev/null 2>&1";
  double processorBefore = processorSecondsOfChildren();
  double wall = timeCommand(command);
  fs::rename(work / "io_data/Output", work / ("io_data/Output-j" + std::to_string(threads)));
  return {wall, processorSecondsOfChildren() - processorBefore};
}

}  // namespace

int main(int argc, char** argv) {
  std::string size = argc > 1 ? argv[1] : "small";
  fs::path work = fs::temp_directory_path() / "bexora-bench-batch";
  fs::remove_all(work);
  int pairs = 0;
  if (size == "trna") {
    if (!fs::exists(fs::path(BEXORA_SOURCE_DIR) / "../shared/realdata/generated/1EHZ")) {
      std::printf("../shared/realdata is absent; the tRNA batch is skipped\n");
      return 0;
    }
    pairs = writeTrnaInput(work / "io_data/Input");
  } else if (run(std::string("python3 '") + BEXORA_SOURCE_DIR + "/examples/make_example.py' benchmark '" +
                 (work / "io_data/Input").string() + "' --size " + size + " >/dev/null 2>&1")) {
    pairs = writeGeneratedManifest(work / "io_data/Input/pairs.txt");
  } else {
    std::fprintf(stderr, "the example generator failed (python3 examples/make_example.py)\n");
    return 1;
  }
  Timing one = timeBatch(work, 1);
  Timing two = timeBatch(work, 2);
  bool same = run("diff -r '" + (work / "io_data/Output-j1").string() + "' '" + (work / "io_data/Output-j2").string() +
                  "' >/dev/null");
  std::printf("batch of %d pairs (%s structures, %s)\n", pairs, size.c_str(), size == "trna" ? "RV,FR" : "-M ALL");
  for (const auto& [threads, timing] : {std::pair<int, Timing>{1, one}, {2, two}})
    std::printf("-j %d: %.3f s wall, %.3f s processor, %.2f pairs/s\n", threads, timing.wall, timing.processor,
                pairs / timing.wall);
  std::printf("ratio -j 2 / -j 1 (pairs per second): %.2f\n", one.wall / two.wall);
  std::printf("outputs of -j 1 and -j 2 %s\n", same ? "identical" : "DIFFER");
  fs::remove_all(work);
  return same ? 0 : 1;
}
