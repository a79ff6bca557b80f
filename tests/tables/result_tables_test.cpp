#include "tables/result_tables.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <string>
#include <vector>

#include "log_edits.h"

namespace bexora {
namespace {

const std::vector<std::string> kTableFiles = {"tablesInLatex.txt", "inferablityTablesInLatex.txt",
                                              kBarChartNames[0], kBarChartNames[1], kBarChartNames[2],
                                              kBarChartNames[3]};

int occurrences(const std::string& text, const std::string& part) {
  int count = 0;
  for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
  return count;
}

// True when "nan" or "inf" stands as a word of its own (not as in "inferability").
bool holdsNotANumberText(const std::string& text) {
  for (const char* word : {"nan", "inf"})
    for (std::size_t at = text.find(word); at != std::string::npos; at = text.find(word, at + 1))
      if (at + 3 == text.size() || !std::isalpha(static_cast<unsigned char>(text[at + 3]))) return true;
  return false;
}

class TableRun : public ::testing::Test {
 protected:
  std::string folder() const { return dir_.path() + "/"; }
  void putLogs(const std::string& log, const std::string& log2) {
    test::writeFile(dir_.file("log.txt"), log);
    test::writeFile(dir_.file("log2.txt"), log2);
  }
  void putCompleteLogs() { putLogs(test::completeLog("log.txt"), test::completeLog("log2.txt")); }
  bool writeBoth() { return readLogWriteTables(folder(), "log.txt") & processInferabilityLog(folder(), "log2.txt"); }
  bool anyOutput() const {
    for (const auto& name : kTableFiles)
      if (test::exists(dir_.file(name)) || test::exists(dir_.file(name + ".tmp"))) return true;
    return false;
  }
  test::TempDir dir_;
};

// The golden tables were checked by hand against the fixture logs: ids and
// counts of every first case, a tie (RNAView case 2, Bexora bold), a regular
// win (FR3D case 3), zero divisors (DSSR case 4, the ClaRNA empty group).
TEST_F(TableRun, CompleteLogGivesTheCheckedTablesByteForByte) {
  putCompleteLogs();
  ASSERT_TRUE(writeBoth());
  for (const auto& name : kTableFiles) {
    std::string written = test::readFile(dir_.file(name));
    EXPECT_EQ(written, test::completeLog(name)) << name;
    EXPECT_FALSE(holdsNotANumberText(written)) << name;
  }
  EXPECT_NE(test::completeLog("log.txt").find("-nan"), std::string::npos);
}

TEST_F(TableRun, NumbersAndLabelsCountWithinOneCall) {
  putCompleteLogs();
  ASSERT_TRUE(writeBoth());
  ASSERT_TRUE(writeBoth());
  std::string precision = test::readFile(dir_.file("tablesInLatex.txt"));
  EXPECT_EQ(occurrences(precision, "\\thetable{S"), 12);
  for (int number = 12; number <= 23; ++number)
    EXPECT_EQ(occurrences(precision, "\\thetable{S" + std::to_string(number) + "}\n"), 1) << number;
  for (const char* label : {"{table:MC-Annotate1}%\n", "{table:MC-Annotate2}%\n", "{table:TOT1}%\n", "{table:TOT2}%\n"})
    EXPECT_EQ(occurrences(precision, label), 1) << label;
  std::string inferability = test::readFile(dir_.file("inferablityTablesInLatex.txt"));
  for (int tool = 0; tool < kMethodCount; ++tool) {
    EXPECT_EQ(occurrences(inferability, "{S" + std::to_string(7 + tool) + "}\n"), 1);
    EXPECT_EQ(occurrences(inferability, "{table:BP_Inferable" + std::to_string(4 * tool + 1) + "}%\n"), 1);
  }
}

TEST_F(TableRun, IncompleteLogsWriteNoTable) {
  std::string log = test::completeLog("log.txt"), log2 = test::completeLog("log2.txt");
  const std::vector<std::pair<std::string, std::string>> broken = {
      {test::cut(log, "Bexora", "\nDSSR\n", "\nClaRNA\n"), test::cut(log2, "Bexora", "\nDSSR\n", "\nClaRNA\n")},
      {test::cut(log, "", "1YL4 (", "2B9M ("), test::cut(log2, "", "1YL4 vs", "2B9M vs")}};
  for (const auto& [one, two] : broken) {
    putLogs(one, two);
    testing::internal::CaptureStdout();
    EXPECT_FALSE(writeBoth());
    EXPECT_EQ(occurrences(testing::internal::GetCapturedStdout(), "; no table written.\n"), 2);
    EXPECT_FALSE(anyOutput());
  }
}

TEST_F(TableRun, MissingLogIsNamed) {
  testing::internal::CaptureStdout();
  EXPECT_FALSE(writeBoth());
  EXPECT_EQ(testing::internal::GetCapturedStdout(),
            folder() + "log.txt file not found\n" + folder() + "log2.txt file not found\n");
  EXPECT_FALSE(anyOutput());
}

TEST_F(TableRun, OutputIsWrittenWholeOrNotAtAll) {
  putCompleteLogs();
  test::makeDirs(dir_.file("PlotData_Average_Sens_Cano.csv.tmp"));  // blocks the third bar chart
  test::makeDirs(dir_.file("inferablityTablesInLatex.txt.tmp"));
  testing::internal::CaptureStdout();
  EXPECT_FALSE(writeBoth());
  EXPECT_EQ(testing::internal::GetCapturedStdout(), folder() + "PlotData_Average_Sens_Cano.csv file could not be created\n" +
                                                        folder() + "inferablityTablesInLatex.txt file could not be created\n");
  EXPECT_TRUE(test::exists(dir_.file("tablesInLatex.txt")));
  EXPECT_FALSE(test::exists(dir_.file("inferablityTablesInLatex.txt")));
  for (const char* name : {kBarChartNames[0], kBarChartNames[1], kBarChartNames[3]}) {
    EXPECT_FALSE(test::exists(dir_.file(name))) << name;
    EXPECT_FALSE(test::exists(dir_.file(std::string(name) + ".tmp"))) << name;
  }
}

TEST_F(TableRun, CaseOrderErrorIsReportedWithoutWaiting) {
  std::string log = test::completeLog("log.txt");
  log.replace(log.rfind("2B9M (2VQE)"), 4, "1YL4");  // ClaRNA's last comparison
  putLogs(log, "");
  ASSERT_NE(std::freopen("/dev/null", "r", stdin), nullptr);
  testing::internal::CaptureStdout();
  EXPECT_TRUE(readLogWriteTables(folder(), "log.txt"));
  EXPECT_EQ(testing::internal::GetCapturedStdout(),
            "ERROR!! Regular and Bexora test data set ordeing is not proper.\nPress any key to continue.\n");
}

}  // namespace
}  // namespace bexora
