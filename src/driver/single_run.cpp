#include "driver/single_run.h"

#include <cstdio>

#include "driver/consensus_run.h"

namespace bexora {

namespace {

// With a consensus, every tool's files wait in one group for it, so that the
// folder holds all of them or none.
void prepareConsensus(RunState& state) {
  if (consensusWanted(state))
    state.runOutputs = std::make_unique<OutputGroup>(state.settings.outputFolder);
  else if (state.settings.consensus)
    state.reporter.warn("--consensus needs two or more methods; no consensus is written.\n");
}

}  // namespace

int runSingle(RunState& state) {
  const RunSettings& settings = state.settings;
  recordRun(state);
  prepareOutputFolder(state);
  prepareConsensus(state);
  state.reporter.say("Reference: %s %s\nTarget: %s %s\n", settings.pdbIds[kReference][0].c_str(),
                     settings.chainIds[kReference][0].c_str(), settings.pdbIds[kTarget][0].c_str(),
                     settings.chainIds[kTarget][0].c_str());
  bool ok = true;
  for (int method : settings.methodList)
    if (!(ok = runPass(state, method, 0))) break;
  if (ok && !state.outputFailed && state.runOutputs && !writeConsensus(state)) state.outputFailed = true;
  if (ok && !state.outputFailed) printSuccess(state);
  std::fflush(stdout);
  return ok && !state.outputFailed ? 0 : 1;
}

}  // namespace bexora
