#include "tables/log_lines.h"

#include <charconv>

#include "model/model.h"
#include "util/tokenizer.h"

namespace bexora {

namespace {

constexpr const char* kFormats[kLogLineKinds] = {
    "%s (%s)",
    "Canonical:%d/%d %0.2lf",
    "Non-Canonical:%d/%d %0.2lf",
    "Benchmark %s",
    "Canonical:%d, Noncanonical:%d, Others:%d",
    "%s vs %s : BP Canonical Common = %d BP Canonical Inferable = %d Canonical Non-inferable = %d",
    "%s vs %s : BP Non-Canonical Common = %d BP Non-Canonical Inferable = %d Non-Canonical Non-inferable = %d",
    "%s vs %s : BP Other Common = %d BP Other Inferable = %d Other Non-inferable = %d",
    "Common BP Accept Count",
    "Reference Inferable BP Accept Count",
    "Target Inferable BP Accept Count",
    "Target Non-inferable BP Accept Count",
    "Total = %d",
    "Canonical = %d, Non-Canonical = %d, Others = %d",
};

constexpr const char* kSectionNames[kLogSections] = {"Regular Annotate", "Bexora"};

// One element of a format: a conversion, a blank or a literal character.
enum class Piece { kId, kCount, kPercentage, kBlank, kLiteral };

// The piece at `at`, which then moves past it.
Piece nextPiece(std::string_view format, std::size_t& at) {
  std::string_view rest = format.substr(at);
  for (auto [text, piece] : {std::pair{"%s", Piece::kId}, {"%d", Piece::kCount}, {"%0.2lf", Piece::kPercentage}}) {
    if (rest.substr(0, std::string_view(text).size()) == text) {
      at += std::string_view(text).size();
      return piece;
    }
  }
  ++at;
  return rest[0] == ' ' ? Piece::kBlank : Piece::kLiteral;
}

std::string percentageText(double value) {
  int size = std::snprintf(nullptr, 0, "%0.2lf", value);
  std::string text(static_cast<std::size_t>(size) + 1, '\0');
  std::snprintf(text.data(), text.size(), "%0.2lf", value);
  text.pop_back();
  return text;
}

bool isBlank(char c) { return c == ' ' || c == '\t'; }
bool isIdChar(char c) { return !isBlank(c) && c != '(' && c != ')'; }

// Reads the text of one conversion from `line` at `at`, moving past it.
class LineScanner {
 public:
  explicit LineScanner(std::string_view line) : line_(line) {}

  bool atEnd() const { return at_ == line_.size(); }

  bool blanks() {
    if (atEnd() || !isBlank(line_[at_])) return false;
    while (!atEnd() && isBlank(line_[at_])) ++at_;
    return true;
  }

  bool literal(char c) { return !atEnd() && line_[at_++] == c; }

  bool id(std::string& out) {
    std::size_t end = at_;
    while (end < line_.size() && isIdChar(line_[end])) ++end;
    if (end == at_) return false;
    out = line_.substr(at_, end - at_);
    at_ = end;
    return true;
  }

  bool count(int64_t& out) {
    int32_t parsed = 0;
    std::size_t end = at_;
    if (!readIntegerAt(line_, end, parsed) || parsed < 0) return false;
    out = parsed;
    at_ = end;
    return true;
  }

  bool percentage(double& out) {
    std::size_t end = at_;
    while (end < line_.size() && !isBlank(line_[end])) ++end;
    auto [stop, error] = std::from_chars(line_.data() + at_, line_.data() + end, out);
    if (error != std::errc() || stop != line_.data() + end) return false;
    at_ = end;
    return true;
  }

 private:
  std::string_view line_;
  std::size_t at_ = 0;
};

}  // namespace

LogLine acceptHeading(int group) {
  return static_cast<LogLine>(static_cast<int>(LogLine::kCommonAcceptHeading) + group);
}

const char* logLineFormat(LogLine kind) { return kFormats[static_cast<int>(kind)]; }

std::string formatLogLine(LogLine kind, const LogFields& fields) {
  std::string_view format = logLineFormat(kind);
  std::string line;
  std::size_t ids = 0, counts = 0;
  for (std::size_t at = 0; at < format.size();) {
    char literal = format[at];
    switch (nextPiece(format, at)) {
      case Piece::kId: line += fields.ids[ids++]; break;
      case Piece::kCount: line += std::to_string(fields.counts[counts++]); break;
      case Piece::kPercentage: line += percentageText(fields.percentage); break;
      default: line += literal;
    }
  }
  return line + '\n';
}

bool parseLogLine(std::string_view line, LogLine kind, LogFields& fields) {
  std::string_view format = logLineFormat(kind);
  LineScanner scan(line);
  std::size_t ids = 0, counts = 0;
  for (std::size_t at = 0; at < format.size();) {
    char literal = format[at];
    bool ok = true;
    switch (nextPiece(format, at)) {
      case Piece::kId: ok = scan.id(fields.ids[ids++]); break;
      case Piece::kCount: ok = scan.count(fields.counts[counts++]); break;
      case Piece::kPercentage: ok = scan.percentage(fields.percentage); break;
      case Piece::kBlank: ok = scan.blanks(); break;
      case Piece::kLiteral: ok = scan.literal(literal); break;
    }
    if (!ok) return false;
  }
  return scan.atEnd();
}

const char* logSectionName(int section) { return kSectionNames[section]; }

std::string logSectionHeader(int section) {
  return section == 0 ? std::string(kSectionNames[0]) + "\n\n" : std::string("\n\n") + kSectionNames[1] + "\n\n";
}

std::string logMethodHeader(int method) { return std::string("\n") + methodName(method) + "\n\n"; }

int logSectionOf(std::string_view line) {
  for (int s = 0; s < kLogSections; ++s)
    if (line == kSectionNames[s]) return s;
  return -1;
}

int logMethodOf(std::string_view line) {
  for (int m = 0; m < kMethodCount; ++m)
    if (line == methodName(m)) return m;
  return -1;
}

void writeLogLine(std::FILE* log, LogLine kind, const LogFields& fields) {
  writeLogText(log, formatLogLine(kind, fields));
}

void writeLogText(std::FILE* log, std::string_view text) {
  if (log) std::fwrite(text.data(), 1, text.size(), log);
}

}  // namespace bexora
