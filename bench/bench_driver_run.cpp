// Whole-program timings:
//   1. a single run with "-M ALL" against merely reading all of its input files;
//   2. a whole benchmark run against one single "-M ALL" run of the same size;
//   3. a single run on a real 16S pair (3JBV chain A against itself, RNAView
//      and FR3D) against merely reading its input files, and the part of
//      that run spent aligning its chain.
// The generated inputs come from the example generator; every figure is a
// ratio measured within this one run, since the machines are noisy.
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

#include "alignment/aligner.h"
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

// The line after the header of `id` in a FASTA file; empty when absent.
std::string fastaSequence(const fs::path& fasta, std::string_view id) {
  bexora::LineReader reader;
  if (!reader.open(fasta.string())) return {};
  std::string_view line;
  bool found = false;
  while (reader.next(line)) {
    if (found) return std::string(line);
    found = line.substr(0, id.size() + 2) == ">" + std::string(id) + " ";
  }
  return {};
}

std::string generator() { return std::string("python3 '") + BEXORA_SOURCE_DIR + "/examples/make_example.py'"; }

template <typename F>
double bestOf(int runs, F&& f) {
  double best = 1e300;
  for (int i = 0; i < runs; ++i) best = std::min(best, f());
  return best;
}

double cpuSeconds() {
  timespec now{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + 1e-9 * static_cast<double>(now.tv_nsec);
}

template <typename F>
double cpuSecondsOf(F&& f) {
  const double start = cpuSeconds();
  f();
  return cpuSeconds() - start;
}

// User and system time of one run of the program, output discarded; no
// shell in between, so nothing else is counted.
double cpuSecondsOfRun(std::vector<std::string> args) {
  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);
  const pid_t child = fork();
  if (child == 0) {
    const int devNull = open("/dev/null", O_WRONLY);
    dup2(devNull, STDOUT_FILENO);
    dup2(devNull, STDERR_FILENO);
    execv(argv[0], argv.data());
    _exit(127);
  }
  int status = 0;
  rusage usage{};
  if (child < 0 || wait4(child, &status, 0, &usage) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    std::fprintf(stderr, "command failed: %s\n", args[0].c_str());
    std::exit(1);
  }
  auto secondsOf = [](const timeval& t) {
    return static_cast<double>(t.tv_sec) + 1e-6 * static_cast<double>(t.tv_usec);
  };
  return secondsOf(usage.ru_utime) + secondsOf(usage.ru_stime);
}

// The run aligns the chain's FASTA sequence with its observed residues on
// both sides, then the two FASTA sequences: three alignments of a string
// with itself here.
void alignChainThreeTimes(const std::string& sequence) {
  std::string script;
  double cost = 0;
  for (int i = 0; i < 3; ++i) bexora::MMAlign(sequence, sequence, &script, &cost, bexora::Reporter());
}

// Processor times, not wall times: the machine is shared, and a run waits
// on nothing but its own work.
void bench16SPair(const fs::path& work) {
  const fs::path data = fs::path(BEXORA_REALDATA) / "generated/3JBV";
  const fs::path fasta = fs::path(BEXORA_REALDATA) / "pdb_seqres.na.fa";
  if (!fs::exists(data / "3JBV.pdb") || !fs::exists(fasta)) {
    std::printf("16S pair skipped: %s not found\n", data.string().c_str());
    return;
  }
  const fs::path input = work / "16S/Input";
  fs::create_directories(input);
  for (const char* name : {"3JBV.pdb", "3JBV.rv.out", "3JBV.fr3d.out"}) fs::create_symlink(data / name, input / name);
  fs::create_symlink(fasta, input / "pdb_seqres.na.fa");
  const std::vector<std::string> run = {BEXORA_EXE, "3JBV", "A", "3JBV", "A", "-M", "RV,FR", "-I",
                                        input.string() + "/", "-O", (work / "16S/Output").string() + "/"};
  const std::string sequence = fastaSequence(fasta, "3jbv_A");
  std::size_t bytes = 0;
  double raw = 1e300, single = 1e300, aligning = 1e300;
  // Interleaved rounds, so that a busy spell of the machine hits all three alike.
  for (int round = 0; round < 10; ++round) {
    raw = std::min(raw, cpuSecondsOf([&] { timeRawReading(input, bytes); }));
    single = std::min(single, cpuSecondsOfRun(run));
    aligning = std::min(aligning, cpuSecondsOf([&] { alignChainThreeTimes(sequence); }));
  }
  std::printf("single run 16S (3JBV A/A, -M RV,FR), processor time:  %.4f s\n", single);
  std::printf("reading its %zu input bytes line by line:           %.4f s\n", bytes, raw);
  std::printf("ratio single run / raw reading:                       %.1f\n", single / raw);
  std::printf("of the run, aligning the %zu-residue chain 3 times:  %.4f s (%.0f %%)\n", sequence.size(), aligning,
              100 * aligning / single);
  std::printf("ratio without the alignments / raw reading:           %.1f\n", (single - aligning) / raw);
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
  bench16SPair(work);
  fs::remove_all(work);
  return 0;
}
