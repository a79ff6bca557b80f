#include "tables/benchmark_log.h"

#include <cctype>
#include <cstdio>
#include <string_view>
#include <utility>
#include <vector>

#include "util/line_reader.h"

namespace bexora {

namespace {

// A tool holds at most 4 cases of 28 lines; one line more is kept so that a
// surplus is reported, the rest of an oversized log is not stored.
constexpr std::size_t kMaxMethodLines = kBenchmarkCases * 28 + 1;
constexpr std::size_t kQuotedWidth = 60;

std::string_view trimmed(std::string_view text) {
  text = skipLeadingSpace(text);
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back()))) text.remove_suffix(1);
  return text;
}

struct NumberedLine {
  long number;
  std::string text;
};
using MethodLines = std::vector<NumberedLine>;

// The lines of one log grouped by section and tool, section and tool lines removed.
struct LogLayout {
  std::array<bool, kLogSections> sectionSeen{};
  std::array<std::array<bool, kMethodCount>, kLogSections> methodSeen{};
  std::array<std::array<MethodLines, kMethodCount>, kLogSections> lines;
};

std::string quoted(std::string_view text) {
  if (text.size() > kQuotedWidth) return "\"" + std::string(text.substr(0, kQuotedWidth)) + "...\"";
  return "\"" + std::string(text) + "\"";
}

std::string sectionTitle(int section) { return quoted(logSectionName(section)) + " section"; }

// The log being read and where its faults are reported.
struct LogSource {
  const std::string& path;
  const Reporter& reporter;

  bool incomplete(const std::string& detail) const {
    reporter.error("%s is not a complete benchmark log: %s; no table written.\n", path.c_str(), detail.c_str());
    return false;
  }
};

// Checks that both sections and all five tools of each were found.
bool checkLayoutComplete(const LogSource& source, const LogLayout& layout) {
  for (int s = 0; s < kLogSections; ++s) {
    if (!layout.sectionSeen[s]) return source.incomplete("no " + sectionTitle(s));
    for (int m = 0; m < kMethodCount; ++m)
      if (!layout.methodSeen[s][m])
        return source.incomplete("the " + sectionTitle(s) + " has no " + methodName(m) + " results");
  }
  return true;
}

// Files each line under its section and tool; lines before the first
// section line are not part of the benchmark and are passed over.
bool groupLines(const LogSource& source, LogLayout& layout) {
  LineReader reader(source.reporter);
  if (!reader.open(source.path)) {
    source.reporter.say("%s file not found\n", source.path.c_str());
    return false;
  }
  int section = -1, method = -1;
  std::string_view raw;
  while (reader.next(raw)) {
    std::string_view line = trimmed(raw);
    if (line.empty()) continue;
    auto at = [&reader] { return "line " + std::to_string(reader.lineNumber()); };
    if (int s = logSectionOf(line); s >= 0) {
      if (layout.sectionSeen[s]) return source.incomplete(at() + " opens a second " + sectionTitle(s));
      layout.sectionSeen[s] = true;
      section = s;
      method = -1;
    } else if (section < 0) {
      continue;
    } else if (int m = logMethodOf(line); m >= 0) {
      if (layout.methodSeen[section][m])
        return source.incomplete(at() + ": " + methodName(m) + " appears twice in the " + sectionTitle(section));
      layout.methodSeen[section][m] = true;
      method = m;
    } else if (method < 0) {
      return source.incomplete(at() + ": " + quoted(line) + " comes before any tool line");
    } else if (MethodLines& lines = layout.lines[section][method]; lines.size() < kMaxMethodLines) {
      lines.push_back({reader.lineNumber(), std::string(line)});
    }
  }
  if (reader.failed()) return source.incomplete("reading stopped after line " + std::to_string(reader.lineNumber()));
  return checkLayoutComplete(source, layout);
}

// Walks the lines of one tool in one section, reporting the first line that
// is not the one the layout calls for.
class LineCursor {
 public:
  LineCursor(const LogSource& source, const LogLayout& layout, int section, int method)
      : source_(source), lines_(layout.lines[section][method]), section_(section), method_(method) {}

  void startCase(int index) { case_ = index; }

  bool take(LogLine kind, LogFields& fields) {
    std::string format = logLineFormat(kind);
    if (next_ == lines_.size())
      return fail(where() + ": expected a line " + quoted(format) + ", found no more " + methodName(method_) + " lines");
    const NumberedLine& line = lines_[next_];
    if (!parseLogLine(line.text, kind, fields))
      return fail("line " + std::to_string(line.number) + " (" + where() + "): expected a line " + quoted(format) +
                  ", found " + quoted(line.text));
    ++next_;
    return true;
  }

  // Reports a fault of the line taken last.
  bool failLast(const std::string& what) {
    return fail("line " + std::to_string(lines_[next_ - 1].number) + " (" + where() + "): " + what);
  }

  bool finish() {
    if (next_ == lines_.size()) return true;
    case_ = -1;
    return fail("line " + std::to_string(lines_[next_].number) + " (" + where() + "): unexpected line " +
                quoted(lines_[next_].text) + " after the " + std::to_string(kBenchmarkCases) + " cases");
  }

 private:
  std::string where() const {
    std::string text = sectionTitle(section_) + ", " + methodName(method_);
    return case_ < 0 ? text : text + ", case " + std::to_string(case_ + 1);
  }
  bool fail(const std::string& detail) const { return source_.incomplete(detail); }

  const LogSource& source_;
  const MethodLines& lines_;
  int section_, method_;
  int case_ = -1;
  std::size_t next_ = 0;
};

bool readCorrectnessBlock(LineCursor& cursor, CorrectnessBlock& block) {
  LogFields fields;
  if (!cursor.take(LogLine::kPairIds, fields)) return false;
  block.firstId = fields.ids[0];
  block.secondId = fields.ids[1];
  if (!cursor.take(LogLine::kCanonicalMatch, fields)) return false;
  block.canonical = {fields.counts[0], fields.counts[1]};
  if (!cursor.take(LogLine::kNonCanonicalMatch, fields)) return false;
  block.nonCanonical = {fields.counts[0], fields.counts[1]};
  return true;
}

bool readBenchmarkBlock(LineCursor& cursor, BenchmarkBlock& block) {
  LogFields fields;
  if (!cursor.take(LogLine::kBenchmarkId, fields)) return false;
  block.id = fields.ids[0];
  if (!cursor.take(LogLine::kBenchmarkClasses, fields)) return false;
  block.canonical = fields.counts[0];
  block.nonCanonical = fields.counts[1];
  block.others = fields.counts[2];
  return true;
}

bool readChainedCase(LineCursor& cursor, ChainedCase& chained) {
  return readCorrectnessBlock(cursor, chained.enhancement) && readBenchmarkBlock(cursor, chained.benchmark) &&
         readCorrectnessBlock(cursor, chained.comparison);
}

// The three lines of one side; all name the same two structures.
bool readInferabilitySide(LineCursor& cursor, InferabilitySide& side) {
  const std::array<std::pair<LogLine, ClassSplit*>, 3> splits = {{{LogLine::kCanonicalSplit, &side.canonical},
                                                                    {LogLine::kNonCanonicalSplit, &side.nonCanonical},
                                                                    {LogLine::kOtherSplit, &side.other}}};
  for (const auto& [kind, split] : splits) {
    LogFields fields;
    if (!cursor.take(kind, fields)) return false;
    if (kind == LogLine::kCanonicalSplit) {
      side.firstId = fields.ids[0];
      side.secondId = fields.ids[1];
    } else if (fields.ids[0] != side.firstId || fields.ids[1] != side.secondId) {
      return cursor.failLast("names other structures than the line before");
    }
    *split = {fields.counts[0], fields.counts[1], fields.counts[2]};
  }
  return true;
}

// A pass: both sides, then the four acceptance headings, each followed by
// its two count lines only when the pass ran the assessment.
bool readInferabilityPass(LineCursor& cursor, InferabilityPass& pass, bool assessed) {
  if (!readInferabilitySide(cursor, pass.referenceSide) || !readInferabilitySide(cursor, pass.targetSide)) return false;
  if (pass.targetSide.firstId != pass.referenceSide.secondId || pass.targetSide.secondId != pass.referenceSide.firstId)
    return cursor.failLast("does not name the pass's structures in reverse order");
  LogFields fields;
  for (int group = 0; group < kAcceptGroups; ++group) {
    if (!cursor.take(acceptHeading(group), fields)) return false;
    if (!assessed) continue;
    AcceptCounts& counts = pass.accepted[group];
    if (!cursor.take(LogLine::kAcceptTotal, fields)) return false;
    counts.total = fields.counts[0];
    if (!cursor.take(LogLine::kAcceptClasses, fields)) return false;
    counts.canonical = fields.counts[0];
    counts.nonCanonical = fields.counts[1];
    counts.others = fields.counts[2];
  }
  return true;
}

bool readChainedPasses(LineCursor& cursor, std::array<InferabilityPass, 2>& passes) {
  return readInferabilityPass(cursor, passes[0], true) && readInferabilityPass(cursor, passes[1], false);
}

// Reads the four cases of every tool in one section with `readCase`.
template <typename Cases, typename ReadCase>
bool readSection(const LogSource& source, const LogLayout& layout, int section, Cases& cases, ReadCase readCase) {
  for (int method = 0; method < kMethodCount; ++method) {
    LineCursor cursor(source, layout, section, method);
    for (int index = 0; index < kBenchmarkCases; ++index) {
      cursor.startCase(index);
      if (!readCase(cursor, cases[method][index])) return false;
    }
    if (!cursor.finish()) return false;
  }
  return true;
}

}  // namespace

bool readCorrectnessLog(const std::string& path, CorrectnessLog& log, const Reporter& reporter) {
  const LogSource source{path, reporter};
  LogLayout layout;
  return groupLines(source, layout) &&
         readSection(source, layout, kRegularSection, log.regular, readCorrectnessBlock) &&
         readSection(source, layout, kBexoraSection, log.bexora, readChainedCase);
}

bool readInferabilityLog(const std::string& path, InferabilityLog& log, const Reporter& reporter) {
  const LogSource source{path, reporter};
  LogLayout layout;
  auto readAssessedPass = [](LineCursor& cursor, InferabilityPass& pass) {
    return readInferabilityPass(cursor, pass, true);
  };
  return groupLines(source, layout) && readSection(source, layout, kRegularSection, log.regular, readAssessedPass) &&
         readSection(source, layout, kBexoraSection, log.bexora, readChainedPasses);
}

}  // namespace bexora
