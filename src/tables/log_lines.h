// The lines of the two benchmark logs, log.txt and log2.txt. Each line's
// format is defined here once and serves both directions: the mapping and
// the driver write their lines with it, the table writers read them back
// with it, so writer and reader cannot drift apart.
#pragma once

#include <array>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

namespace bexora {

// Every log line that the table writers read by its form.
enum class LogLine : int {
  kPairIds,                    // reference id (target id)
  kCanonicalMatch,             // common/inferable canonical pairs and their percentage
  kNonCanonicalMatch,          // the same for non-canonical pairs
  kBenchmarkId,                // the target whose own annotation is counted next
  kBenchmarkClasses,           // its canonical, non-canonical and other pairs
  kCanonicalSplit,             // "A vs B": common, inferable, non-inferable canonical pairs
  kNonCanonicalSplit,          // the same for non-canonical pairs
  kOtherSplit,                 // the same for other pairs
  kCommonAcceptHeading,        // the four assessment groups, in their order
  kRefInferableAcceptHeading,
  kTargetInferableAcceptHeading,
  kTargetNonInferableAcceptHeading,
  kAcceptTotal,                // accepted pairs of one group
  kAcceptClasses,              // their canonical, non-canonical and other pairs
};
constexpr int kLogLineKinds = 14;
constexpr int kAcceptGroups = 4;
constexpr int kLogSections = 2;  // 0 the regular phase, 1 the enhanced one

// The heading line of assessment group 0..3.
LogLine acceptHeading(int group);

// The values of one line in the order its format names them: the ids of
// its "%s", the counts of its "%d" and the percentage of its "%0.2lf".
struct LogFields {
  std::array<std::string, 2> ids;
  std::array<int64_t, 3> counts{};
  double percentage = 0;
};

// The printf-style format of a line, without its line end.
const char* logLineFormat(LogLine kind);

// The line with its line end, byte for byte as printf writes the format.
std::string formatLogLine(LogLine kind, const LogFields& fields);

// True when the whole line (without line end) has the form of `kind`, its
// values then in `fields`. A blank of the format stands for any run of
// blanks and tabs; counts are non-negative ints; the percentage is any
// number text printf writes, "-nan" and "inf" included.
bool parseLogLine(std::string_view line, LogLine kind, LogFields& fields);

// Section (phase) and tool header lines, with the blank lines around them.
const char* logSectionName(int section);
std::string logSectionHeader(int section);
std::string logMethodHeader(int method);
// The section or tool a header line (without its surrounding blanks) names, or -1.
int logSectionOf(std::string_view line);
int logMethodOf(std::string_view line);

// Append to a log; nullptr stands for a log that is not open and takes nothing.
void writeLogLine(std::FILE* log, LogLine kind, const LogFields& fields = {});
void writeLogText(std::FILE* log, std::string_view text);

}  // namespace bexora
