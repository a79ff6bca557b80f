#include "driver/modes.h"

#include <memory>

#include "alignment/best_reference.h"
#include "driver/batch.h"
#include "driver/benchmark_run.h"
#include "driver/command_line.h"
#include "driver/console.h"
#include "driver/single_run.h"
#include "output/candidate_table.h"

namespace bexora {

namespace {

int runBestReference(const RunSettings& settings) {
  const Reporter reporter = consoleReporter(settings.verbose);
  reporter.record("run mode=bestref methods= reference=: target=: origFormat=0");
  CandidateRanking ranking;
  if (findBestReference(settings.bestReferenceList, settings.inputFolder, ranking, reporter) != 0) return 1;
  return writeCandidateTable(ranking, settings.outputFolder, reporter) ? 0 : 1;
}

// The run state is large and lives for the whole run, so it is kept off the stack.
int runWithState(const RunSettings& settings, int (*mode)(RunState&)) {
  auto state = std::make_unique<RunState>(settings);
  return mode(*state);
}

}  // namespace

int runProgram(int argc, char** argv) {
  RunSettings settings;
  ArgumentsOutcome outcome = processArguments(argc, argv, settings);
  if (!outcome.runMode) return outcome.exitStatus;
  switch (settings.mode) {
    case RunMode::kBatch: return runBatch(settings);
    case RunMode::kBestReference: return runBestReference(settings);
    case RunMode::kBenchmark:
    case RunMode::kBenchmarkMotif: return runWithState(settings, runBenchmark);
    default: return runWithState(settings, runSingle);
  }
}

}  // namespace bexora
