#include "driver/consensus_run.h"

#include <algorithm>
#include <iterator>

namespace bexora {

namespace {

ConsensusRun runFacts(const RunState& state) {
  ConsensusRun run;
  run.version = BEXORA_VERSION;
  for (int side = 0; side < kSides; ++side) {
    run.ids[side] = state.settings.pdbIds[side][0];
    run.chains[side] = state.settings.chainIds[side][0];
    run.dpi[side] = state.refine[side][0].dpi;
    run.dpiSources[side] = dpiSourceName(state.refine[side][0].dpiSource);
  }
  run.tolerance = state.mapping.tolerance;
  run.alignmentSource = alignmentSourceName(state);
  for (const ResidueMapEntry& entry : state.pdbMap[kReference].chain.entries) {
    run.alignedResidues += entry.mapIndex != -1;
    run.identicalResidues += entry.mapIndex != -1 && entry.identical == 1;
  }
  return run;
}

void printConsensusLine(const RunState& state, std::size_t rows, const ClassTally& tally) {
  state.reporter.say("Consensus: %zu pairs: all %d, majority %d, single %d, carried-only %d\n", rows,
                     tally[kClassAll], tally[kClassMajority], tally[kClassSingle], tally[kClassCarriedOnly]);
}

}  // namespace

bool consensusWanted(const RunState& state) {
  return state.settings.consensus && state.settings.methodList.size() >= 2;
}

void keepForConsensus(RunState& state, int method) {
  const MappingState& m = state.mapping;
  ToolResult tool;
  tool.method = method;
  tool.targetFile = state.annotationFiles[kTarget];
  tool.referenceFile = state.annotationFiles[kReference];
  tool.written = pairsInWritingOrder(m.assessedPairs, m.keptTargetPairs);
  std::copy_if(m.evidence.begin(), m.evidence.end(), std::back_inserter(tool.refused),
               [](const PairEvidence& row) { return row.group == kGroupRefInferable && !row.accepted; });
  state.consensusTools.push_back(std::move(tool));
}

bool writeConsensus(RunState& state) {
  const std::vector<ConsensusRow> rows = buildConsensus(state.consensusTools);
  const std::string stem = state.settings.outputFolder + state.settings.pdbIds[kTarget][0] + "_" +
                           state.settings.chainIds[kTarget][0];
  const std::vector<ResidueMapEntry>* observed =
      state.settings.secondaryStructure ? &state.pdbMap[kTarget].chain.entries : nullptr;
  OutputGroup& group = *state.runOutputs;
  if (!writeConsensusFiles(stem, rows, state.consensusTools, runFacts(state), observed, state.reporter, group))
    return false;
  if (!group.commit()) {
    state.reporter.say("%s file could not be created\n", group.failedPath().c_str());
    return false;
  }
  state.consensusClasses = countClasses(rows);
  printConsensusLine(state, rows.size(), *state.consensusClasses);
  return true;
}

}  // namespace bexora
