// Reading the two benchmark logs back by their content. Every line is
// recognised by its form (section, tool, id, count and acceptance lines),
// gathered per section and tool, and checked against the layout the
// benchmark writes: five tools with four cases in each section. A log that
// differs is reported with its name and the line at fault and yields nothing,
// so no table is ever built from numbers read out of step.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "model/model.h"
#include "tables/log_lines.h"
#include "util/reporter.h"

namespace bexora {

constexpr int kBenchmarkCases = 4;
enum LogSection : int { kRegularSection = 0, kBexoraSection = 1 };

struct MatchCount {
  int64_t match = 0;
  int64_t conflict = 0;
};

// "REF (TARGET)" with its canonical and non-canonical count lines.
struct CorrectnessBlock {
  std::string firstId, secondId;
  MatchCount canonical, nonCanonical;
};

// "Benchmark ID" with the class counts of that structure's own annotation.
struct BenchmarkBlock {
  std::string id;
  int64_t canonical = 0, nonCanonical = 0, others = 0;
};

// One case of the enhanced section: the transfer onto the intermediate
// structure, the benchmark's counts, then the comparison with the benchmark.
struct ChainedCase {
  CorrectnessBlock enhancement;
  BenchmarkBlock benchmark;
  CorrectnessBlock comparison;
};

// log.txt, indexed [method][case].
struct CorrectnessLog {
  std::array<std::array<CorrectnessBlock, kBenchmarkCases>, kMethodCount> regular;
  std::array<std::array<ChainedCase, kBenchmarkCases>, kMethodCount> bexora;
};

struct ClassSplit {
  int64_t common = 0, inferable = 0, nonInferable = 0;
};

// The three inferability lines of one side: "A vs B : ...".
struct InferabilitySide {
  std::string firstId, secondId;
  ClassSplit canonical, nonCanonical, other;
};

struct AcceptCounts {
  int64_t total = 0, canonical = 0, nonCanonical = 0, others = 0;
};

enum AcceptGroup : int {
  kAcceptCommon = 0,
  kAcceptReferenceInferable = 1,
  kAcceptTargetInferable = 2,
  kAcceptTargetNonInferable = 3
};

// One pass of log2.txt; `accepted` stays zero on a pass without assessment.
struct InferabilityPass {
  InferabilitySide referenceSide, targetSide;
  std::array<AcceptCounts, kAcceptGroups> accepted{};
};

// log2.txt, indexed [method][case]; an enhanced case is the assessed pass
// followed by the chained pass that has only the acceptance headings.
struct InferabilityLog {
  std::array<std::array<InferabilityPass, kBenchmarkCases>, kMethodCount> regular;
  std::array<std::array<std::array<InferabilityPass, 2>, kBenchmarkCases>, kMethodCount> bexora;
};

// Both report "%s file not found\n" for a log that cannot be opened and a
// message naming the log and what is missing for an incomplete one.
bool readCorrectnessLog(const std::string& path, CorrectnessLog& log, const Reporter& reporter);
bool readInferabilityLog(const std::string& path, InferabilityLog& log, const Reporter& reporter);

}  // namespace bexora
