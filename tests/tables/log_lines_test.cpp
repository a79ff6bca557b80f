#include "tables/log_lines.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "model/model.h"

namespace bexora {
namespace {

struct LineCase {
  LogLine kind;
  LogFields fields;
  std::string text;  // as the logs hold it
};

const std::vector<LineCase> kLines = {
    {LogLine::kPairIds, {{"2B9N", "3V2F"}}, "2B9N (3V2F)\n"},
    {LogLine::kCanonicalMatch, {{}, {2, 1}, 200.0 / 3}, "Canonical:2/1 66.67\n"},
    {LogLine::kNonCanonicalMatch, {{}, {0, 7}, 0}, "Non-Canonical:0/7 0.00\n"},
    {LogLine::kBenchmarkId, {{"3V2F"}}, "Benchmark 3V2F\n"},
    {LogLine::kBenchmarkClasses, {{}, {41, 12, 3}}, "Canonical:41, Noncanonical:12, Others:3\n"},
    {LogLine::kCanonicalSplit, {{"3R8S", "2B9N"}, {30, 4, 2147483647}},
     "3R8S vs 2B9N : BP Canonical Common = 30 BP Canonical Inferable = 4 Canonical Non-inferable = 2147483647\n"},
    {LogLine::kNonCanonicalSplit, {{"2B9N", "3R8S"}, {5, 0, 1}},
     "2B9N vs 3R8S : BP Non-Canonical Common = 5 BP Non-Canonical Inferable = 0 Non-Canonical Non-inferable = 1\n"},
    {LogLine::kOtherSplit, {{"1YL4", "2VQE"}, {0, 0, 0}},
     "1YL4 vs 2VQE : BP Other Common = 0 BP Other Inferable = 0 Other Non-inferable = 0\n"},
    {LogLine::kCommonAcceptHeading, {}, "Common BP Accept Count\n"},
    {LogLine::kRefInferableAcceptHeading, {}, "Reference Inferable BP Accept Count\n"},
    {LogLine::kTargetInferableAcceptHeading, {}, "Target Inferable BP Accept Count\n"},
    {LogLine::kTargetNonInferableAcceptHeading, {}, "Target Non-inferable BP Accept Count\n"},
    {LogLine::kAcceptTotal, {{}, {17}}, "Total = 17\n"},
    {LogLine::kAcceptClasses, {{}, {9, 6, 2}}, "Canonical = 9, Non-Canonical = 6, Others = 2\n"},
};

std::string withoutLineEnd(const std::string& line) { return line.substr(0, line.size() - 1); }

TEST(LogLines, EveryKindWritesItsTextAndReadsBackItsValues) {
  ASSERT_EQ(kLines.size(), static_cast<std::size_t>(kLogLineKinds));
  for (const LineCase& c : kLines) {
    SCOPED_TRACE(c.text);
    std::string written = formatLogLine(c.kind, c.fields);
    EXPECT_EQ(written, c.text);
    LogFields read;
    ASSERT_TRUE(parseLogLine(withoutLineEnd(written), c.kind, read));
    EXPECT_EQ(read.ids, c.fields.ids);
    EXPECT_EQ(read.counts, c.fields.counts);
    EXPECT_NEAR(read.percentage, c.fields.percentage, 0.005);
    // No line can be taken for a line of another kind.
    for (const LineCase& other : kLines) {
      bool takenAsOther = other.kind != c.kind && parseLogLine(withoutLineEnd(written), other.kind, read);
      EXPECT_FALSE(takenAsOther) << other.text;
    }
  }
}

TEST(LogLines, NotANumberPercentageRoundTrips) {
  LogFields fields{{}, {0, 0}, std::nan("")};
  std::string written = formatLogLine(LogLine::kCanonicalMatch, fields);
  LogFields read;
  ASSERT_TRUE(parseLogLine(withoutLineEnd(written), LogLine::kCanonicalMatch, read)) << written;
  EXPECT_TRUE(std::isnan(read.percentage));
}

TEST(LogLines, ReadingToleratesBlankRunsAndRefusesOtherText) {
  LogFields read;
  EXPECT_TRUE(parseLogLine("Total =\t 17", LogLine::kAcceptTotal, read));
  EXPECT_EQ(read.counts[0], 17);
  for (const char* line : {"Total = -1", "Total = 17 ", "Total = 2147483648", "Total= 17", "Total = 1x"})
    EXPECT_FALSE(parseLogLine(line, LogLine::kAcceptTotal, read)) << line;
  EXPECT_FALSE(parseLogLine("2B9N(3V2F)", LogLine::kPairIds, read));
}

}  // namespace
}  // namespace bexora
