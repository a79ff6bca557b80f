#include "tables/benchmark_log.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "log_edits.h"
#include "tables/result_tables.h"

namespace bexora {

// Field-wise equality for comparing the two readings (found from std::array).
bool operator==(const PrecisionCounts& a, const PrecisionCounts& b) {
  return std::tie(a.regularMatch, a.regularConflict, a.bexoraMatch, a.bexoraConflict, a.benchmarkCount) ==
         std::tie(b.regularMatch, b.regularConflict, b.bexoraMatch, b.bexoraConflict, b.benchmarkCount);
}
bool operator==(const PrecisionCase& a, const PrecisionCase& b) {
  return a.canonical == b.canonical && a.nonCanonical == b.nonCanonical &&
         std::tie(a.referenceId, a.targetId, a.benchmarkId) == std::tie(b.referenceId, b.targetId, b.benchmarkId);
}
bool operator==(const InferCount& a, const InferCount& b) { return a.total == b.total && a.accepted == b.accepted; }
bool operator==(const InferCase& a, const InferCase& b) {
  return a.canonical == b.canonical && a.nonCanonical == b.nonCanonical && a.refId == b.refId &&
         a.targetId == b.targetId;
}

namespace {

using test::cut;
using test::completeLog;

// The reading bound to the layout: fixed numbers of non-blank lines per tool
// and case, pulled apart with scanf patterns. On a complete log it must find
// exactly what the content reading finds.
class FixedLines {
 public:
  explicit FixedLines(const std::string& text) {
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
      if (!line.empty()) lines_.push_back(line);
  }
  bool more() const { return at_ < lines_.size(); }
  const char* next() { return lines_.at(at_++).c_str(); }
  void skip(int count) { at_ += count; }

 private:
  std::vector<std::string> lines_;
  std::size_t at_ = 0;
};

std::tuple<std::string, std::string> ids(const char* line, const char* pattern) {
  char a[16] = "", b[16] = "";
  EXPECT_EQ(std::sscanf(line, pattern, a, b), 2) << line;
  return {a, b};
}

void counts(const char* line, int64_t& match, int64_t& conflict) {
  char label[32];
  int m = 0, c = 0;
  double share = 0;
  EXPECT_EQ(std::sscanf(line, " %31[^ \n:] : %d/%d %lf", label, &m, &c, &share), 4) << line;
  std::tie(match, conflict) = std::make_tuple(m, c);
}

PrecisionStats fixedCountPrecision(const std::string& text) {
  PrecisionStats stats;
  for (FixedLines in(text); in.more();) {
    std::string section = in.next();
    if (section != "Regular Annotate" && section != "Bexora") continue;
    for (auto& tool : stats) {
      in.skip(1);
      for (PrecisionCase& one : tool) {
        PrecisionCounts &c = one.canonical, &n = one.nonCanonical;
        if (section == "Bexora") {
          one.referenceId = std::get<0>(ids(in.next(), " %15[^ \n(] ( %15[^ \n)] )"));
          in.skip(3);
          char l1[32], l2[32], l3[32];
          int bc = 0, bn = 0, bo = 0;
          EXPECT_EQ(std::sscanf(in.next(), " %31[^ \n:] : %d, %31[^ \n:] : %d, %31[^ \n:] : %d", l1, &bc, l2, &bn, l3, &bo), 6);
          std::tie(c.benchmarkCount, n.benchmarkCount) = std::make_tuple(bc, bn);
          in.skip(1);
          counts(in.next(), c.bexoraMatch, c.bexoraConflict);
          counts(in.next(), n.bexoraMatch, n.bexoraConflict);
        } else {
          std::tie(one.targetId, one.benchmarkId) = ids(in.next(), " %15[^ \n(] ( %15[^ \n)] )");
          counts(in.next(), c.regularMatch, c.regularConflict);
          counts(in.next(), n.regularMatch, n.regularConflict);
        }
      }
    }
  }
  return stats;
}

std::vector<int64_t> afterEquals(const char* line) {
  std::vector<int64_t> numbers;
  for (const char* at = line; (at = std::strchr(at, '=')) != nullptr; ++at) numbers.push_back(std::atoll(at + 1));
  return numbers;
}

InferStats fixedCountInfer(const std::string& text) {
  InferStats stats;
  for (FixedLines in(text); in.more();) {
    std::string section = in.next();
    if (section == "Regular Annotate") in.skip(5 * (1 + 4 * 18));
    if (section != "Bexora") continue;
    for (auto& tool : stats) {
      in.skip(1);
      for (InferCase& one : tool) {
        const char* first = in.next();
        std::tie(one.refId, one.targetId) = ids(first, " %15[^ \n] vs %15[^ \n]");
        auto rc = afterEquals(first), rn = afterEquals(in.next());
        in.skip(1);
        auto tc = afterEquals(in.next()), tn = afterEquals(in.next());
        in.skip(3);
        std::vector<std::vector<int64_t>> accepted;
        for (int group = 0; group < 4; in.skip(2), ++group) accepted.push_back(afterEquals(in.next()));
        in.skip(10 - 2);
        const std::vector<int64_t>* totals[2][2] = {{&rc, &tc}, {&rn, &tn}};
        for (int k = 0; k < 2; ++k) {
          auto& record = k == 0 ? one.canonical : one.nonCanonical;
          const auto &ref = *totals[k][0], &tgt = *totals[k][1];
          record = {{{ref[0], accepted[0][k]}, {ref[1], accepted[1][k]}, {tgt[1], accepted[2][k]}, {ref[2], 0},
                     {tgt[2], accepted[3][k]}}};
        }
      }
    }
  }
  return stats;
}

class LogFiles : public ::testing::Test {
 protected:
  std::string put(const std::string& name, const std::string& text) {
    test::writeFile(dir_.file(name), text);
    return dir_.file(name);
  }
  test::TempDir dir_;
};

TEST_F(LogFiles, ContentReadingAgreesWithFixedCountReadingOnACompleteLog) {
  CorrectnessLog correctness;
  InferabilityLog inferability;
  ASSERT_TRUE(readCorrectnessLog(put("log.txt", completeLog("log.txt")), correctness));
  ASSERT_TRUE(readInferabilityLog(put("log2.txt", completeLog("log2.txt")), inferability));
  EXPECT_TRUE(collectPrecisionStats(correctness) == fixedCountPrecision(completeLog("log.txt")));
  EXPECT_TRUE(collectInferStats(inferability) == fixedCountInfer(completeLog("log2.txt")));
  EXPECT_EQ(correctness.bexora[4][3].benchmark.id, "2VQE");
  EXPECT_EQ(inferability.bexora[0][1][1].targetSide.firstId, "3V2F");
}

TEST_F(LogFiles, AcceptsNotANumberTextsAndCrLf) {
  std::string log = completeLog("log.txt"), crlf;
  for (char c : log) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
  std::vector<std::string> variants = {crlf};
  for (const char* text : {" nan\n", " inf\n", " -inf\n", " NaN\n"})
    variants.push_back(test::replaceAll(log, " -nan\n", text));
  for (const auto& variant : variants) {
    CorrectnessLog read;
    EXPECT_TRUE(readCorrectnessLog(put("log.txt", variant), read));
    EXPECT_EQ(read.regular[kDssr][3].nonCanonical.match, 0);
  }
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
    testing::internal::CaptureStdout();
    EXPECT_FALSE(readCorrectnessLog(put("log.txt", c.edit(completeLog("log.txt"))), correctness)) << c.what;
    EXPECT_FALSE(readInferabilityLog(put("log2.txt", c.edit(completeLog("log2.txt"))), inferability)) << c.what;
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_NE(out.find("Error!!! " + dir_.file("log.txt") + " is not a complete benchmark log: "), std::string::npos);
    EXPECT_NE(out.find(c.message), std::string::npos) << c.what << ": " << out;
    EXPECT_NE(out.find(c.message2), std::string::npos) << c.what << ": " << out;
  }
}

}  // namespace
}  // namespace bexora
