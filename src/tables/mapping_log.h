// The benchmark's log lines of one mapping: the correctness lines of
// log.txt, and the inferability and acceptance lines of log2.txt, written
// from what the mapping left in its state.
#pragma once

#include <cstdio>

#include "mapping/mapping.h"

namespace bexora {

struct MappingLogs {
  std::FILE* log = nullptr;   // log.txt, benchmark only
  std::FILE* log2 = nullptr;  // log2.txt, benchmark only
};

void printCorrectnessStatistics(std::FILE* log, const ResidueMapPair& pdbMap, const MappingState& state);
void printInferabilityInFile(std::FILE* log, const ResidueMapPair& pdbMap, const MappingState& state);

// Every line of one mapping call, in the order the logs hold them; the
// acceptance counts only where the pass was assessed. Closed logs are skipped.
void writeMappingLogLines(const MappingLogs& logs, const ResidueMapPair& pdbMap, const MappingState& state,
                          bool assessed);

}  // namespace bexora
