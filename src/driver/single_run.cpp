#include "driver/single_run.h"

#include <cstdio>

namespace bexora {

int runSingle(RunState& state) {
  const RunSettings& settings = state.settings;
  recordRun(state);
  prepareOutputFolder(state);
  state.reporter.say("Reference: %s %s\nTarget: %s %s\n", settings.pdbIds[kReference][0].c_str(),
                     settings.chainIds[kReference][0].c_str(), settings.pdbIds[kTarget][0].c_str(),
                     settings.chainIds[kTarget][0].c_str());
  bool ok = true;
  for (int method : settings.methodList)
    if (!(ok = runPass(state, method, 0))) break;
  if (ok && !state.outputFailed) printSuccess(state);
  std::fflush(stdout);
  return ok && !state.outputFailed ? 0 : 1;
}

}  // namespace bexora
