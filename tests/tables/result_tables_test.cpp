#include "tables/result_tables.h"

#include <gtest/gtest.h>

#include "test_support.h"

#include <filesystem>
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

class TableRun : public ::testing::Test {
 protected:
  std::string folder() const { return dir_.path() + "/"; }
  void putLogs(const std::string& log, const std::string& log2) {
    test::writeFile(dir_.file("log.txt"), log);
    test::writeFile(dir_.file("log2.txt"), log2);
  }
  void putCompleteLogs() { putLogs(test::completeLog("log.txt"), test::completeLog("log2.txt")); }
  // Both tables from the logs; what they report is left in out_.
  bool writeBoth() {
    out_.clear();
    const Reporter reporter = collectingReporter(out_);
    return readLogWriteTables(folder(), "log.txt", reporter) & processInferabilityLog(folder(), "log2.txt", reporter);
  }
  bool anyOutput() const {
    for (const auto& name : kTableFiles)
      if (test::exists(dir_.file(name))) return true;
    return false;
  }
  test::TempDir dir_;
  std::string out_;
};

// The golden tables were checked by hand against the fixture logs: ids and
// counts of every first case, a tie (RNAView case 2, Bexora bold), a regular
// win (FR3D case 3), zero divisors as 0.00 (DSSR case 4 with its -nan, the
// ClaRNA empty group). A second call numbers its tables and labels afresh.
TEST_F(TableRun, CompleteLogGivesTheCheckedTablesByteForByteOnEveryCall) {
  putCompleteLogs();
  for (int call = 0; call < 2; ++call) {
    EXPECT_TRUE(writeBoth());
    ASSERT_EQ(out_, "");
    for (const auto& name : kTableFiles)
      EXPECT_EQ(test::readFile(dir_.file(name)), test::completeLog(name)) << name << ", call " << call;
  }
  EXPECT_NE(test::completeLog("log.txt").find("-nan"), std::string::npos);
}

TEST_F(TableRun, MissingOrIncompleteLogsWriteNoTable) {
  EXPECT_FALSE(writeBoth());
  EXPECT_EQ(out_, folder() + "log.txt file not found\n" + folder() + "log2.txt file not found\n");
  std::string log = test::completeLog("log.txt"), log2 = test::completeLog("log2.txt");
  const std::vector<std::pair<std::string, std::string>> broken = {
      {test::cut(log, "Bexora", "\nDSSR\n", "\nClaRNA\n"), test::cut(log2, "Bexora", "\nDSSR\n", "\nClaRNA\n")},
      {test::cut(log, "", "1YL4 (", "2B9M ("), test::cut(log2, "", "1YL4 vs", "2B9M vs")}};
  for (const auto& [one, two] : broken) {
    putLogs(one, two);
    EXPECT_FALSE(writeBoth());
    EXPECT_EQ(occurrences(out_, "; no table written.\n"), 2);
    EXPECT_FALSE(anyOutput());
  }
}

// A folder standing under a final name makes that file fail; the other tables
// of its log are not put in place either, and no written-aside copy stays behind.
TEST_F(TableRun, OutputIsWrittenWholeOrNotAtAll) {
  putCompleteLogs();
  test::makeDirs(dir_.file("PlotData_Average_Sens_Cano.csv/x"));  // a folder in the way of the third bar chart
  test::makeDirs(dir_.file("inferablityTablesInLatex.txt/x"));
  EXPECT_FALSE(writeBoth());
  EXPECT_EQ(out_, folder() + "PlotData_Average_Sens_Cano.csv file could not be created\n" + folder() +
                      "inferablityTablesInLatex.txt file could not be created\n");
  for (const auto& entry : std::filesystem::directory_iterator(dir_.path())) {
    std::string name = entry.path().filename().string();
    EXPECT_TRUE(name == "log.txt" || name == "log2.txt" || name == kOutputLockName || entry.is_directory()) << name;
  }
}

TEST_F(TableRun, CaseOrderErrorIsCountedForTheCaller) {
  std::string log = test::completeLog("log.txt");
  log.replace(log.rfind("2B9M (2VQE)"), 4, "1YL4");  // ClaRNA's last comparison
  putLogs(log, "");
  int misordered = 0;
  EXPECT_TRUE(readLogWriteTables(folder(), "log.txt", collectingReporter(out_), nullptr, &misordered));
  EXPECT_EQ(misordered, 1);
  EXPECT_EQ(out_, "");
}

}  // namespace
}  // namespace bexora
