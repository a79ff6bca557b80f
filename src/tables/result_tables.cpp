#include "tables/result_tables.h"

#include <utility>
#include <vector>

#include "model/model.h"
#include "util/staged_output.h"
#include "util/tokenizer.h"

namespace bexora {

namespace {

constexpr const char* kPrecisionTablesName = "tablesInLatex.txt";
constexpr const char* kInferabilityTablesName = "inferablityTablesInLatex.txt";
constexpr int kAllTools = kMethodCount;
constexpr int kFirstPrecisionTable = 12;
constexpr int kFirstInferabilityTable = 7;

long long asPrinted(int64_t value) { return static_cast<long long>(value); }

double percent(int64_t part, int64_t whole) {
  return whole == 0 ? 0.0 : static_cast<double>(part) * 100.0 / static_cast<double>(whole);
}

const char* toolName(int tool) {
  const char* name = methodName(tool);
  return name ? name : "TOT";
}

bool writeFilesWhole(const std::vector<FileText>& files, OutputGroup* group, const Reporter& reporter) {
  std::string failed = writeFilesTogether(files, group);
  if (!failed.empty()) reporter.say("%s file could not be created\n", failed.c_str());
  return failed.empty();
}

PrecisionCounts& operator+=(PrecisionCounts& sum, const PrecisionCounts& add) {
  sum.regularMatch += add.regularMatch;
  sum.regularConflict += add.regularConflict;
  sum.bexoraMatch += add.bexoraMatch;
  sum.bexoraConflict += add.bexoraConflict;
  sum.benchmarkCount += add.benchmarkCount;
  return sum;
}

struct ToolTotals {
  PrecisionCounts canonical, nonCanonical;
};

std::array<ToolTotals, kMethodCount> sumOverCases(const PrecisionStats& stats) {
  std::array<ToolTotals, kMethodCount> totals{};
  for (int tool = 0; tool < kMethodCount; ++tool)
    for (const PrecisionCase& one : stats[tool]) {
      totals[tool].canonical += one.canonical;
      totals[tool].nonCanonical += one.nonCanonical;
    }
  return totals;
}

enum class TableKind { kSensitivity, kPrecision };

double regularPercent(const PrecisionCounts& counts, TableKind kind) {
  return kind == TableKind::kSensitivity ? calculateSensitivityPercent(counts.regularMatch, counts.benchmarkCount)
                                         : calculatePrecisionPercent(counts.regularMatch, counts.regularConflict);
}

double bexoraPercent(const PrecisionCounts& counts, TableKind kind) {
  return kind == TableKind::kSensitivity ? calculateSensitivityPercent(counts.bexoraMatch, counts.benchmarkCount)
                                         : calculatePrecisionPercent(counts.bexoraMatch, counts.bexoraConflict);
}

// Sensitivity and precision tables; the table numbers count within one writer.
class PrecisionTableWriter {
 public:
  explicit PrecisionTableWriter(const PrecisionStats& stats) : stats_(stats) {}

  std::string write() {
    for (int tool = 0; tool < kMethodCount; ++tool) {
      writeToolTable(tool, TableKind::kSensitivity);
      writeToolTable(tool, TableKind::kPrecision);
    }
    text_ += "\n\n";
    auto totals = sumOverCases(stats_);
    writeTotalTable(totals, TableKind::kSensitivity);
    writeTotalTable(totals, TableKind::kPrecision);
    return std::move(text_);
  }

 private:
  void writeToolTable(int tool, TableKind kind) {
    writeHeader(tool, kind);
    for (int index = 0; index < kBenchmarkCases; ++index) {
      const PrecisionCase& one = stats_[tool][index];
      appendf(text_, "\\multirow{2}{*}{%s (%s)}\t", one.targetId.c_str(), one.referenceId.c_str());
      writeRowPair(one.canonical, one.nonCanonical, kind);
      if (index + 1 < kBenchmarkCases) text_ += "\\\\[1pt]\n";
    }
    writeFooter();
  }

  void writeTotalTable(const std::array<ToolTotals, kMethodCount>& totals, TableKind kind) {
    writeHeader(kAllTools, kind);
    for (int tool = 0; tool < kMethodCount; ++tool) {
      appendf(text_, "\\multirow{2}{*}{%s}\t", toolName(tool));
      // The shorter names get one more tab so the rows line up.
      if (tool >= kFr3d) text_ += "\t";
      writeRowPair(totals[tool].canonical, totals[tool].nonCanonical, kind);
      if (tool + 1 < kMethodCount) text_ += "\\\\[1pt]\n";
    }
    writeFooter();
  }

  void writeRowPair(const PrecisionCounts& canonical, const PrecisionCounts& nonCanonical, TableKind kind) {
    writeRow("Canonical", canonical, kind);
    text_ += "\t\t\t\t";
    writeRow("Non-Canonical", nonCanonical, kind);
  }

  // The larger percentage is bold; on a tie the Bexora one.
  void writeRow(const char* label, const PrecisionCounts& counts, TableKind kind) {
    double regular = regularPercent(counts, kind);
    double bexora = bexoraPercent(counts, kind);
    bool regularBold = regular > bexora;
    appendf(text_, "& %-15s &", label);
    appendf(text_, " %3lld &", asPrinted(counts.benchmarkCount));
    writeMatchCell(counts.regularMatch, counts.regularConflict, kind);
    if (regularBold)
      appendf(text_, " \\textbf{%.2f} &", regular);
    else
      appendf(text_, " %4.2f &", regular);
    writeMatchCell(counts.bexoraMatch, counts.bexoraConflict, kind);
    if (regularBold)
      appendf(text_, " %4.2f", bexora);
    else
      appendf(text_, " \\textbf{%4.2f}", bexora);
    text_ += "\\\\\n";
  }

  void writeMatchCell(int64_t match, int64_t conflict, TableKind kind) {
    if (kind == TableKind::kSensitivity)
      appendf(text_, " %3lld &", asPrinted(match));
    else
      appendf(text_, " %3lld/%-3lld &", asPrinted(match), asPrinted(conflict));
  }

  void writeHeader(int tool, TableKind kind) {
    const char* kindName = kind == TableKind::kSensitivity ? "sensitivity" : "precision";
    int number = kind == TableKind::kSensitivity ? 1 : 2;
    text_ += "\\begin{table}[H]\n";
    appendf(text_, "\\renewcommand\\thetable{S%d}\n", nextTable_++);
    text_ += "%\\tableparts{%\n\\centering\n";
    if (tool == kAllTools)
      appendf(text_, "\\caption{ The improvements in base-pairing annotation %s for five tools by using Bexora}\n",
              kindName);
    else
      appendf(text_, "\\caption{%s compared for %s annotation}\n", kindName, toolName(tool));
    appendf(text_, "\\label{table:%s%d}%%\n", toolName(tool), number);
    text_ +=
        "%}\n{%\n\\small\n\\centering\n"
        "\\begin{tabular*}{0.99\\textwidth}{@{}llccccc@{}}\n"
        "\\cline{1-7}\n"
        "\\multirow{3}{*}{Method} &\n"
        "\\multirow{3}{*}{Base-pair Type} &\n"
        "\\multirow{3}{*}{\\begin{tabular}[c]{@{}c@{}}\\# of BP \\\\ in Benchmark\n"
        "\\end{tabular}} & \\multicolumn{2}{c}{Regular} &\n"
        "\\multicolumn{2}{c}{Bexora}\\\\\n"
        "\\cline{4-5}\n"
        "\\cline{6-7}\n";
    if (kind == TableKind::kSensitivity)
      text_ +=
          "& & & {\\begin{tabular}[c]{@{}c@{}}\\# of BP \\\\ Detected \\end{tabular}} & \\% & "
          "{\\begin{tabular}[c]{@{}c@{}}\\# of BP \\\\ Detected  \\end{tabular}} & \\% \\\\\n";
    else
      text_ +=
          "& & & {\\begin{tabular}[c]{@{}c@{}}Match/\\\\\n"
          "Conflict\\end{tabular}} & \\% & {\\begin{tabular}[c]{@{}c@{}}Match/\\\\\n"
          "Conflict\\end{tabular}} & \\% \\\\\n";
    text_ += "\\cline{1-7}\n";
  }

  void writeFooter() { text_ += "\\cline{1-7}\n\\end{tabular*}\n}\n{\\footnotesize\n}%\n\\end{table}\n\n\n"; }

  const PrecisionStats& stats_;
  int nextTable_ = kFirstPrecisionTable;
  std::string text_;
};

constexpr const char* kRelationshipNames[kRelationships] = {"Common", "Inferable --- Case 1", "Inferable --- Case 2",
                                                            "Non-Inferable --- Case 1", "Non-Inferable --- Case 2"};

// One table per tool for the first benchmark pair; numbers count within one writer.
class InferTableWriter {
 public:
  explicit InferTableWriter(const InferStats& stats) : stats_(stats) {}

  std::string write() {
    for (int tool = 0; tool < kMethodCount; ++tool) {
      const InferCase& first = stats_[tool][0];
      writeHeader(tool, first);
      writeGroup("Canonical", first.canonical);
      writeGroup("Non-Canonical", first.nonCanonical);
      text_ += "\\end{tabular*}\n}\n{\\footnotesize\n}%\n\\end{table}\n\n\n";
    }
    return std::move(text_);
  }

 private:
  void writeHeader(int tool, const InferCase& pair) {
    text_ += "\\begin{table}[H]\n";
    appendf(text_, "\\renewcommand\\thetable{S%d}\n", nextTable_++);
    text_ += "%\\tableparts{%\n\\centering\n";
    text_ += "\\caption{Acceptance ratios of different inferability relationship for \n";
    appendf(text_, "%s annotation, using reference structure in PDB %s for target \n", toolName(tool),
            pair.refId.c_str());
    appendf(text_, "structure in PDB %s.}\n", pair.targetId.c_str());
    appendf(text_, "\\label{table:BP_Inferable%d}%%\n", 4 * tool + 1);
    text_ +=
        "%}\n{%\n\\footnotesize\n\\centering\n"
        "\\begin{tabular*}{0.99\\textwidth}{@{}llccc@{}}\n"
        "\\cline{1-5}\n"
        "Target (Ref.)      & Relationship \t\t\t& Total \\# of BP \t& Accepted \\# of BP \t& Accept \\% \\\\\n"
        "\\cline{1-5}\n";
  }

  void writeGroup(const char* label, const std::array<InferCount, kRelationships>& counts) {
    appendf(text_, "\\multirow{5}{*}{%s}\t", label);
    for (int relation = 0; relation < kRelationships; ++relation) {
      if (relation > 0) text_ += "\t\t\t\t\t\t\t";
      const InferCount& count = counts[relation];
      appendf(text_, " & %-25s", kRelationshipNames[relation]);
      appendf(text_, " & %-3lld & %-3lld & %.2f \\\\\n", asPrinted(count.total), asPrinted(count.accepted),
              percent(count.accepted, count.total));
    }
    text_ += "\\cline{1-5}\n";
  }

  const InferStats& stats_;
  int nextTable_ = kFirstInferabilityTable;
  std::string text_;
};

std::string barChart(const std::array<ToolTotals, kMethodCount>& totals, TableKind kind, bool canonical) {
  std::string text = "Method\tPercent\tType\n";
  for (int tool = 0; tool < kMethodCount; ++tool) {
    const PrecisionCounts& counts = canonical ? totals[tool].canonical : totals[tool].nonCanonical;
    appendf(text, "%s\t%0.2f\tRegular\n", toolName(tool), regularPercent(counts, kind));
    appendf(text, "%s\t%0.2f\tBexora\n", toolName(tool), bexoraPercent(counts, kind));
  }
  return text;
}

PrecisionCounts countsOf(const MatchCount& regular, const MatchCount& bexora, int64_t benchmarkCount) {
  return {regular.match, regular.conflict, bexora.match, bexora.conflict, benchmarkCount};
}

InferCount inferCount(int64_t total, int64_t accepted) { return {total, accepted}; }

// Relationship counts of one class: reference side, target side, and what
// the assessment accepted per group.
std::array<InferCount, kRelationships> relationships(const ClassSplit& reference, const ClassSplit& target,
                                                     const std::array<int64_t, kAcceptGroups>& accepted) {
  return {inferCount(reference.common, accepted[kAcceptCommon]),
          inferCount(reference.inferable, accepted[kAcceptReferenceInferable]),
          inferCount(target.inferable, accepted[kAcceptTargetInferable]),
          inferCount(reference.nonInferable, 0),
          inferCount(target.nonInferable, accepted[kAcceptTargetNonInferable])};
}

}  // namespace

double calculateSensitivityPercent(int64_t match, int64_t benchmarkCount) { return percent(match, benchmarkCount); }

double calculatePrecisionPercent(int64_t match, int64_t conflict) { return percent(match, match + conflict); }

PrecisionStats collectPrecisionStats(const CorrectnessLog& log, int* misorderedCases) {
  PrecisionStats stats;
  for (int tool = 0; tool < kMethodCount; ++tool)
    for (int index = 0; index < kBenchmarkCases; ++index) {
      const CorrectnessBlock& regular = log.regular[tool][index];
      const ChainedCase& chained = log.bexora[tool][index];
      const CorrectnessBlock& comparison = chained.comparison;
      if ((comparison.firstId != regular.firstId || comparison.secondId != regular.secondId) && misorderedCases)
        ++*misorderedCases;
      PrecisionCase& one = stats[tool][index];
      one.targetId = regular.firstId;
      one.benchmarkId = regular.secondId;
      one.referenceId = chained.enhancement.firstId;
      one.canonical = countsOf(regular.canonical, comparison.canonical, chained.benchmark.canonical);
      one.nonCanonical = countsOf(regular.nonCanonical, comparison.nonCanonical, chained.benchmark.nonCanonical);
    }
  return stats;
}

InferStats collectInferStats(const InferabilityLog& log) {
  InferStats stats;
  for (int tool = 0; tool < kMethodCount; ++tool)
    for (int index = 0; index < kBenchmarkCases; ++index) {
      const InferabilityPass& pass = log.bexora[tool][index][0];
      std::array<int64_t, kAcceptGroups> canonical{}, nonCanonical{};
      for (int group = 0; group < kAcceptGroups; ++group) {
        canonical[group] = pass.accepted[group].canonical;
        nonCanonical[group] = pass.accepted[group].nonCanonical;
      }
      InferCase& one = stats[tool][index];
      one.refId = pass.referenceSide.firstId;
      one.targetId = pass.referenceSide.secondId;
      one.canonical = relationships(pass.referenceSide.canonical, pass.targetSide.canonical, canonical);
      one.nonCanonical = relationships(pass.referenceSide.nonCanonical, pass.targetSide.nonCanonical, nonCanonical);
    }
  return stats;
}

std::string formatPrecisionTables(const PrecisionStats& stats) { return PrecisionTableWriter(stats).write(); }

std::array<std::string, kBarCharts> formatBarCharts(const PrecisionStats& stats) {
  auto totals = sumOverCases(stats);
  return {barChart(totals, TableKind::kPrecision, true), barChart(totals, TableKind::kPrecision, false),
          barChart(totals, TableKind::kSensitivity, true), barChart(totals, TableKind::kSensitivity, false)};
}

std::string formatInferabilityTables(const InferStats& stats) { return InferTableWriter(stats).write(); }

bool readLogWriteTables(const std::string& outputFolder, const std::string& logName, const Reporter& reporter,
                        OutputGroup* group, int* misorderedCases) {
  CorrectnessLog log;
  if (!readCorrectnessLog(outputFolder + logName, log, reporter)) return false;
  PrecisionStats stats = collectPrecisionStats(log, misorderedCases);
  std::array<std::string, kBarCharts> charts = formatBarCharts(stats);
  std::vector<FileText> files = {{outputFolder + kPrecisionTablesName, formatPrecisionTables(stats)}};
  for (int chart = 0; chart < kBarCharts; ++chart) files.push_back({outputFolder + kBarChartNames[chart], charts[chart]});
  return writeFilesWhole(files, group, reporter);
}

bool processInferabilityLog(const std::string& outputFolder, const std::string& logName, const Reporter& reporter,
                            OutputGroup* group) {
  InferabilityLog log;
  if (!readInferabilityLog(outputFolder + logName, log, reporter)) return false;
  return writeFilesWhole({{outputFolder + kInferabilityTablesName, formatInferabilityTables(collectInferStats(log))}},
                         group, reporter);
}

}  // namespace bexora
