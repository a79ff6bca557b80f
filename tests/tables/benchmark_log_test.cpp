#include "tables/benchmark_log.h"

#include <gtest/gtest.h>

#include "test_support.h"

#include <string>
#include <vector>

#include "log_edits.h"
#include "tables/result_tables.h"

namespace bexora {
namespace {

using test::cut;
using test::completeLog;

class LogFiles : public ::testing::Test {
 protected:
  std::string put(const std::string& name, const std::string& text) {
    test::writeFile(dir_.file(name), text);
    return dir_.file(name);
  }
  test::TempDir dir_;
};

// The checked tables show every count and id they are built from, so matching
// them means each was read from the right line.
TEST_F(LogFiles, CrLfAndEveryNotANumberTextReadLikeTheCompleteLog) {
  std::string log = completeLog("log.txt"), log2 = completeLog("log2.txt");
  std::vector<std::string> variants = {test::replaceAll(log, "\n", "\r\n")};
  for (const char* text : {" nan\n", " inf\n", " -inf\n", " NaN\n"})
    variants.push_back(test::replaceAll(log, " -nan\n", text));
  for (const auto& variant : variants) {
    CorrectnessLog read;
    ASSERT_TRUE(readCorrectnessLog(put("log.txt", variant), read, Reporter()));
    EXPECT_EQ(formatPrecisionTables(collectPrecisionStats(read)), completeLog("tablesInLatex.txt"));
  }
  InferabilityLog inferability;
  ASSERT_TRUE(readInferabilityLog(put("log2.txt", test::replaceAll(log2, "\n", "\r\n")), inferability, Reporter()));
  EXPECT_EQ(formatInferabilityTables(collectInferStats(inferability)), completeLog("inferablityTablesInLatex.txt"));
}

struct BrokenLog {
  const char* what;
  std::string (*edit)(std::string);
  const char* message;   // part of the message for log.txt
  const char* message2;  // and for log2.txt
};

TEST_F(LogFiles, IncompleteLogsAreNamedWithWhatIsMissing) {
  const std::vector<BrokenLog> cases = {
      {"tool failed", [](std::string t) { return cut(t, "Bexora", "\nRNAView\n", "\nFR3D\n"); },
       "the \"Bexora\" section has no RNAView results", "the \"Bexora\" section has no RNAView results"},
      {"case missing", [](std::string t) { return cut(cut(t, "\nDSSR\n", "2B9M (2VQE)", "\nClaRNA"), "\nDSSR\n", "2B9M vs", "\nClaRNA"); },
       "\"Regular Annotate\" section, DSSR, case 4: expected a line \"%s (%s)\", found no more DSSR lines",
       "\"Regular Annotate\" section, DSSR, case 4: expected a line \"%s vs %s"},
      {"chained pass missing", [](std::string t) { return cut(cut(t, "Bexora", "Benchmark", "2ZJR ("), "Bexora", "2B9N vs 3V2F", "2ZJR vs"); },
       "(\"Bexora\" section, MC-Annotate, case 1): expected a line \"Benchmark %s\", found \"2ZJR (2B9N)\"",
       "(\"Bexora\" section, MC-Annotate, case 1): expected a line \"Reference Inferable BP Accept Count\", found \"Total = "},
      {"no enhanced phase", [](std::string t) { return t.substr(0, t.find("Bexora")); }, "no \"Bexora\" section",
       "no \"Bexora\" section"},
      {"tool twice", [](std::string t) { return test::replaceAll(t, "\nRNAView\n", "\nMC-Annotate\n"); },
       "MC-Annotate appears twice", "MC-Annotate appears twice"},
      {"cut short", [](std::string t) { return test::truncateBefore(test::truncateBefore(t, "\nNon-Canonical:"), "\nTarget Inferable"); },
       "found no more ClaRNA lines", "found no more ClaRNA lines"},
      {"garbled count", [](std::string t) { return test::replaceAll(test::replaceAll(t, ":100/", ":1OO/"), "= 100\n", "= -100\n"); },
       "line 7 (\"Regular Annotate\" section, MC-Annotate, case 1): expected a line \"Canonical:%d/%d %0.2lf\", found "
       "\"Canonical:1OO/400 20.00\"",
       "expected a line \"Total = %d\", found \"Total = -100\""},
      {"extra case", [](std::string t) { return t + "\n2B9N (3V2F)\n"; },
       "ClaRNA): unexpected line \"2B9N (3V2F)\" after the 4 cases", "ClaRNA): unexpected line \"2B9N (3V2F)\" after the 4 cases"},
  };
  for (const auto& c : cases) {
    CorrectnessLog correctness;
    InferabilityLog inferability;
    std::string out;
    const Reporter reporter = collectingReporter(out);
    EXPECT_FALSE(readCorrectnessLog(put("log.txt", c.edit(completeLog("log.txt"))), correctness, reporter)) << c.what;
    EXPECT_FALSE(readInferabilityLog(put("log2.txt", c.edit(completeLog("log2.txt"))), inferability, reporter))
        << c.what;
    EXPECT_NE(out.find("Error!!! " + dir_.file("log.txt") + " is not a complete benchmark log: "), std::string::npos);
    EXPECT_NE(out.find(c.message), std::string::npos) << c.what << ": " << out;
    EXPECT_NE(out.find(c.message2), std::string::npos) << c.what << ": " << out;
  }
}

}  // namespace
}  // namespace bexora
