#include "driver/benchmark_run.h"

#include <cstdio>
#include <filesystem>

#include "tables/log_lines.h"
#include "tables/result_tables.h"

namespace bexora {

namespace {

void writePhaseHeader(const RunState& state) {
  std::string header = logSectionHeader(state.phase ? 1 : 0);
  writeLogText(state.logs.log2, header);
  writeLogText(state.logs.log, header);
}

bool runPhases(RunState& state) {
  for (; state.phase <= 1; ++state.phase) {
    writePhaseHeader(state);
    if (state.logs.log) state.plan = benchmarkPassPlan(state.phase, state.settings);
    state.compareEdgeSetting = state.plan.compareEdgeSetting;
    for (int method : state.settings.methodList) {
      writeLogText(state.logs.log, logMethodHeader(method));
      writeLogText(state.logs.log2, logMethodHeader(method));
      for (int pass = state.plan.passStart; pass <= state.plan.passEnd; pass += state.plan.passStep)
        if (!runPass(state, method, pass)) return false;
    }
    if (!state.outputFailed) printSuccess(state);
  }
  return true;
}

std::FILE* openLog(const RunState& state, const char* name) {
  std::string path = state.settings.outputFolder + name;
  std::FILE* log = state.runOutputs->openStream(path);
  if (!log) state.reporter.say("%s file could not be created.\n", path.c_str());
  return log;
}

bool openLogs(RunState& state) {
  state.logs.log = openLog(state, "log.txt");
  if (!state.logs.log) return false;
  state.logs.log2 = openLog(state, "log2.txt");
  return state.logs.log2 != nullptr;
}

// Finishes the logs and motif reports; false when a file could not be
// written completely. The group closes the streams, so the logs are let go.
bool finishRunOutputs(RunState& state) {
  state.logs.log = state.logs.log2 = nullptr;
  if (state.runOutputs->finishStreams()) return true;
  state.reporter.say("%s could not be written completely.\n", state.runOutputs->failedPath().c_str());
  return false;
}

// The log's staged name within the output folder, from which the tables are made.
std::string stagedLog(const RunState& state, const char* name) {
  std::string staged = state.runOutputs->stagedName(state.settings.outputFolder + name);
  return staged.empty() ? name : std::filesystem::path(staged).filename().string();
}

// The tables join the logs and motif reports, and all are committed at once:
// a run that fails anywhere leaves the previous complete set as it was.
bool writeTablesAndCommit(RunState& state) {
  const std::string& folder = state.settings.outputFolder;
  OutputGroup& outputs = *state.runOutputs;
  int misorderedCases = 0;
  if (state.settings.writeCorrectnessLog &&
      !readLogWriteTables(folder, stagedLog(state, "log.txt"), state.reporter, &outputs, &misorderedCases))
    return false;
  for (int i = 0; i < misorderedCases; ++i) {
    state.reporter.say("ERROR!! Regular and Bexora test data set ordeing is not proper.\n");
    state.reporter.say("Press any key to continue.\n");
    state.reporter.pause();
  }
  if (state.settings.writeInferabilityLog &&
      !processInferabilityLog(folder, stagedLog(state, "log2.txt"), state.reporter, &outputs))
    return false;
  if (outputs.commit()) return true;
  state.reporter.say("%s file could not be created\n", outputs.failedPath().c_str());
  return false;
}

}  // namespace

int runBenchmark(RunState& state) {
  const RunSettings& settings = state.settings;
  recordRun(state);
  prepareOutputFolder(state);
  state.runOutputs = std::make_unique<OutputGroup>(settings.outputFolder, state.reporter);
  if (settings.motifMode) motifInitialization(state.motifs, settings.outputFolder, *state.runOutputs, state.reporter);
  if (settings.motifMode && !state.motifs.printMotifs) state.outputFailed = true;
  if (!openLogs(state)) return 1;
  state.phase = 0;
  bool ok = runPhases(state) && !state.outputFailed && finishRunOutputs(state) && writeTablesAndCommit(state);
  std::fflush(stdout);
  return ok ? 0 : 1;
}

}  // namespace bexora
