#include "tables/benchmark_log.h"

#include <cctype>
#include <charconv>
#include <cstdio>
#include <string_view>
#include <vector>

#include "util/line_reader.h"

namespace bexora {

namespace {

constexpr const char* kSectionNames[kLogSections] = {"Regular Annotate", "Bexora"};

// Each log line is matched against the writer's own printf format: "%s" is
// an id, "%d" a count, "%0.2lf" a percentage (NaN and infinity texts
// included) and a blank stands for any run of blanks and tabs.
constexpr const char* kIdPair = "%s (%s)";
constexpr const char* kCanonicalCount = "Canonical:%d/%d %0.2lf";
constexpr const char* kNonCanonicalCount = "Non-Canonical:%d/%d %0.2lf";
constexpr const char* kBenchmarkHeading = "Benchmark %s";
constexpr const char* kBenchmarkCounts = "Canonical:%d, Noncanonical:%d, Others:%d";
constexpr const char* kInferabilityLines[3] = {
    "%s vs %s : BP Canonical Common = %d BP Canonical Inferable = %d Canonical Non-inferable = %d",
    "%s vs %s : BP Non-Canonical Common = %d BP Non-Canonical Inferable = %d Non-Canonical Non-inferable = %d",
    "%s vs %s : BP Other Common = %d BP Other Inferable = %d Other Non-inferable = %d"};
constexpr const char* kAcceptHeadings[kAcceptGroups] = {
    "Common BP Accept Count", "Reference Inferable BP Accept Count", "Target Inferable BP Accept Count",
    "Target Non-inferable BP Accept Count"};
constexpr const char* kAcceptTotal = "Total = %d";
constexpr const char* kAcceptClasses = "Canonical = %d, Non-Canonical = %d, Others = %d";

constexpr std::size_t kMaxFields = 3;
constexpr std::size_t kQuotedWidth = 60;
// A tool holds at most 4 cases of 28 lines; one line more is kept so that a
// surplus is reported, the rest of an oversized log is not stored.
constexpr std::size_t kMaxMethodLines = kBenchmarkCases * 28 + 1;

struct Fields {
  std::array<std::string_view, 2> ids{};
  std::array<int64_t, kMaxFields> counts{};
};

bool isBlank(char c) { return c == ' ' || c == '\t'; }
bool isIdChar(char c) { return !isBlank(c) && c != '(' && c != ')'; }

std::string_view trimmed(std::string_view text) {
  text = skipLeadingSpace(text);
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back()))) text.remove_suffix(1);
  return text;
}

std::size_t skipBlanks(std::string_view line, std::size_t at) {
  while (at < line.size() && isBlank(line[at])) ++at;
  return at;
}

bool takeCount(std::string_view line, std::size_t& at, int64_t& value) {
  int32_t parsed = 0;
  auto [end, error] = std::from_chars(line.data() + at, line.data() + line.size(), parsed);
  if (error != std::errc() || parsed < 0) return false;
  value = parsed;
  at = static_cast<std::size_t>(end - line.data());
  return true;
}

bool takePercentage(std::string_view line, std::size_t& at) {
  std::size_t end = at;
  while (end < line.size() && !isBlank(line[end])) ++end;
  double value = 0;
  auto [stop, error] = std::from_chars(line.data() + at, line.data() + end, value);
  if (error != std::errc() || stop != line.data() + end) return false;
  at = end;
  return true;
}

bool takeId(std::string_view line, std::size_t& at, std::string_view& id) {
  std::size_t end = at;
  while (end < line.size() && isIdChar(line[end])) ++end;
  if (end == at) return false;
  id = line.substr(at, end - at);
  at = end;
  return true;
}

// True when the whole line has the form of `format`; ids and counts go to `fields` in order.
bool matchLine(std::string_view line, std::string_view format, Fields& fields) {
  std::size_t at = 0, ids = 0, counts = 0;
  for (std::size_t f = 0; f < format.size();) {
    std::string_view rest = format.substr(f);
    bool ok = true;
    if (rest[0] == ' ') {
      ok = at < line.size() && isBlank(line[at]);
      at = skipBlanks(line, at);
      ++f;
    } else if (rest.substr(0, 2) == "%s") {
      ok = ids < fields.ids.size() && takeId(line, at, fields.ids[ids++]);
      f += 2;
    } else if (rest.substr(0, 2) == "%d") {
      ok = counts < fields.counts.size() && takeCount(line, at, fields.counts[counts++]);
      f += 2;
    } else if (rest.substr(0, 6) == "%0.2lf") {
      ok = takePercentage(line, at);
      f += 6;
    } else {
      ok = at < line.size() && line[at] == rest[0];
      ++at;
      ++f;
    }
    if (!ok) return false;
  }
  return at == line.size();
}

struct LogLine {
  long number;
  std::string text;
};
using MethodLines = std::vector<LogLine>;

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

std::string sectionTitle(int section) { return quoted(kSectionNames[section]) + " section"; }

// The log being read and where its faults are reported.
struct LogSource {
  const std::string& path;
  const Reporter& reporter;

  bool incomplete(const std::string& detail) const {
    reporter.say("Error!!! %s is not a complete benchmark log: %s; no table written.\n", path.c_str(), detail.c_str());
    return false;
  }
};

int sectionOf(std::string_view line) {
  for (int s = 0; s < kLogSections; ++s)
    if (line == kSectionNames[s]) return s;
  return -1;
}

int methodOf(std::string_view line) {
  for (int m = 0; m < kMethodCount; ++m)
    if (line == methodName(m)) return m;
  return -1;
}

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
  LineReader reader;
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
    if (int s = sectionOf(line); s >= 0) {
      if (layout.sectionSeen[s]) return source.incomplete(at() + " opens a second " + sectionTitle(s));
      layout.sectionSeen[s] = true;
      section = s;
      method = -1;
    } else if (section < 0) {
      continue;
    } else if (int m = methodOf(line); m >= 0) {
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

  bool take(const char* format, Fields& fields) {
    if (next_ == lines_.size())
      return fail(where() + ": expected a line " + quoted(format) + ", found no more " + methodName(method_) + " lines");
    const LogLine& line = lines_[next_];
    if (!matchLine(line.text, format, fields))
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
  Fields fields;
  if (!cursor.take(kIdPair, fields)) return false;
  block.firstId = fields.ids[0];
  block.secondId = fields.ids[1];
  if (!cursor.take(kCanonicalCount, fields)) return false;
  block.canonical = {fields.counts[0], fields.counts[1]};
  if (!cursor.take(kNonCanonicalCount, fields)) return false;
  block.nonCanonical = {fields.counts[0], fields.counts[1]};
  return true;
}

bool readBenchmarkBlock(LineCursor& cursor, BenchmarkBlock& block) {
  Fields fields;
  if (!cursor.take(kBenchmarkHeading, fields)) return false;
  block.id = fields.ids[0];
  if (!cursor.take(kBenchmarkCounts, fields)) return false;
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
  std::array<ClassSplit*, 3> splits = {&side.canonical, &side.nonCanonical, &side.other};
  for (std::size_t kind = 0; kind < splits.size(); ++kind) {
    Fields fields;
    if (!cursor.take(kInferabilityLines[kind], fields)) return false;
    if (kind == 0) {
      side.firstId = fields.ids[0];
      side.secondId = fields.ids[1];
    } else if (fields.ids[0] != side.firstId || fields.ids[1] != side.secondId) {
      return cursor.failLast("names other structures than the line before");
    }
    *splits[kind] = {fields.counts[0], fields.counts[1], fields.counts[2]};
  }
  return true;
}

// A pass: both sides, then the four acceptance headings, each followed by
// its two count lines only when the pass ran the assessment.
bool readInferabilityPass(LineCursor& cursor, InferabilityPass& pass, bool assessed) {
  if (!readInferabilitySide(cursor, pass.referenceSide) || !readInferabilitySide(cursor, pass.targetSide)) return false;
  if (pass.targetSide.firstId != pass.referenceSide.secondId || pass.targetSide.secondId != pass.referenceSide.firstId)
    return cursor.failLast("does not name the pass's structures in reverse order");
  Fields fields;
  for (int group = 0; group < kAcceptGroups; ++group) {
    if (!cursor.take(kAcceptHeadings[group], fields)) return false;
    if (!assessed) continue;
    AcceptCounts& counts = pass.accepted[group];
    if (!cursor.take(kAcceptTotal, fields)) return false;
    counts.total = fields.counts[0];
    if (!cursor.take(kAcceptClasses, fields)) return false;
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
