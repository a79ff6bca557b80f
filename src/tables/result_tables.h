// LaTeX tables and bar-chart data from the two benchmark logs. The logs are
// read by their content (phase, method, id and count lines); a log that
// does not hold what a table needs gives a clear message and no table.
// Every output file is written completely or not at all.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "tables/benchmark_log.h"
#include "util/staged_output.h"

namespace bexora {

// Counts of one tool in one benchmark case for one class of pairs.
struct PrecisionCounts {
  int64_t regularMatch = 0, regularConflict = 0;
  int64_t bexoraMatch = 0, bexoraConflict = 0;
  int64_t benchmarkCount = 0;
};

struct PrecisionCase {
  PrecisionCounts canonical, nonCanonical;
  std::string referenceId, targetId, benchmarkId;
};

// Indexed [method][case].
using PrecisionStats = std::array<std::array<PrecisionCase, kBenchmarkCases>, kMethodCount>;

enum Relationship : int {
  kCommon = 0,
  kInferableCase1 = 1,
  kInferableCase2 = 2,
  kNonInferableCase1 = 3,
  kNonInferableCase2 = 4
};
constexpr int kRelationships = 5;

struct InferCount {
  int64_t total = 0;
  int64_t accepted = 0;
};

struct InferCase {
  std::array<InferCount, kRelationships> canonical{}, nonCanonical{};
  std::string refId, targetId;
};

// Indexed [method][case].
using InferStats = std::array<std::array<InferCase, kBenchmarkCases>, kMethodCount>;

constexpr int kBarCharts = 4;
constexpr const char* kBarChartNames[kBarCharts] = {
    "PlotData_Average_Prec_Cano.csv", "PlotData_Average_Prec_NonCano.csv", "PlotData_Average_Sens_Cano.csv",
    "PlotData_Average_Sens_NonCano.csv"};

// Percentages of a table cell; 0 when the divisor is 0.
double calculateSensitivityPercent(int64_t match, int64_t benchmarkCount);
double calculatePrecisionPercent(int64_t match, int64_t conflict);

// The counts each table needs. A case whose enhanced comparison names other
// structures than the regular one is used as read and counted in
// `misorderedCases`, for the caller to show the user.
PrecisionStats collectPrecisionStats(const CorrectnessLog& log, int* misorderedCases = nullptr);
InferStats collectInferStats(const InferabilityLog& log);

// Contents of tablesInLatex.txt, of the four bar-chart files (in the order
// of kBarChartNames) and of inferablityTablesInLatex.txt.
std::string formatPrecisionTables(const PrecisionStats& stats);
std::array<std::string, kBarCharts> formatBarCharts(const PrecisionStats& stats);
std::string formatInferabilityTables(const InferStats& stats);

// log.txt: precision and sensitivity tables (tablesInLatex.txt) and the four
// PlotData_Average_ files. False when the log is missing or incomplete.
// With a group the files are staged into it, to be committed by the caller
// with the rest of the run's files; without one they are committed at once.
bool readLogWriteTables(const std::string& outputFolder, const std::string& logName, const Reporter& reporter,
                        OutputGroup* group = nullptr, int* misorderedCases = nullptr);

// log2.txt: inferability tables (inferablityTablesInLatex.txt); `group` as above.
bool processInferabilityLog(const std::string& outputFolder, const std::string& logName, const Reporter& reporter,
                            OutputGroup* group = nullptr);

}  // namespace bexora
