#include "tables/mapping_log.h"

#include "tables/log_lines.h"

namespace bexora {

namespace {

double percentage(int common, int inferable) {
  return 100.0 * static_cast<double>(common) / static_cast<double>(common + inferable);
}

void printInferabilitySide(std::FILE* log, const char* first, const char* second, const BPMatchList& common,
                           const BPMatchList& inferable, const BPMatchList& nonInferable) {
  writeLogLine(log, LogLine::kCanonicalSplit,
               {{first, second}, {common.classes.canonical, inferable.classes.canonical, nonInferable.classes.canonical}});
  writeLogLine(log, LogLine::kNonCanonicalSplit,
               {{first, second},
                {common.classes.nonCanonical, inferable.classes.nonCanonical, nonInferable.classes.nonCanonical}});
  writeLogLine(log, LogLine::kOtherSplit,
               {{first, second}, {common.classes.other, inferable.classes.other, nonInferable.classes.other}});
}

}  // namespace

void printCorrectnessStatistics(std::FILE* log, const ResidueMapPair& pdbMap, const MappingState& state) {
  if (!log) return;
  const ClassCounts& common = state.commonCounts;
  const ClassCounts& diff = state.diffCounts;
  writeLogLine(log, LogLine::kPairIds, {{pdbMap[kReference].pdbId, pdbMap[kTarget].pdbId}});
  writeLogLine(log, LogLine::kCanonicalMatch,
               {{}, {common.canonical, diff.canonical}, percentage(common.canonical, diff.canonical)});
  writeLogLine(log, LogLine::kNonCanonicalMatch,
               {{}, {common.nonCanonical, diff.nonCanonical}, percentage(common.nonCanonical, diff.nonCanonical)});
}

void printInferabilityInFile(std::FILE* log, const ResidueMapPair& pdbMap, const MappingState& state) {
  if (!log) return;
  const BPMatchList& common = state.basePairCommon[kReference];
  printInferabilitySide(log, pdbMap[kReference].pdbId, pdbMap[kTarget].pdbId, common, state.basePairSetDiff[kReference],
                        state.basePairNoAlign[kReference]);
  printInferabilitySide(log, pdbMap[kTarget].pdbId, pdbMap[kReference].pdbId, common, state.basePairSetDiff[kTarget],
                        state.basePairNoAlign[kTarget]);
}

void writeMappingLogLines(const MappingLogs& logs, const ResidueMapPair& pdbMap, const MappingState& state,
                          bool assessed) {
  printCorrectnessStatistics(logs.log, pdbMap, state);
  printInferabilityInFile(logs.log2, pdbMap, state);
  for (std::size_t g = 0; g < state.accepted.size(); ++g) {
    writeLogLine(logs.log2, acceptHeading(static_cast<int>(g)));
    if (!assessed) continue;
    const GroupAcceptance& group = state.accepted[g];
    writeLogLine(logs.log2, LogLine::kAcceptTotal, {{}, {group.total}});
    writeLogLine(logs.log2, LogLine::kAcceptClasses,
                 {{}, {group.classes.canonical, group.classes.nonCanonical, group.classes.other}});
  }
  writeLogText(logs.log2, "\n");
}

}  // namespace bexora
