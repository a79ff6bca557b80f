#include "annotation/rnaview.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "test_support.h"
#include "util/pair_formats.h"

namespace bexora {
namespace {

using test::fixturePath;
using test::realDataPath;

std::vector<std::string> rnaViewLines(const AnnotationOutput& out) {
  std::vector<std::string> lines;
  for (const BPInfo& pair : out.pairs) lines.push_back(formatPairBexora(pair) + " | " + pair.description);
  return lines;
}

TEST(RnaViewReader, KeepsChainPairsOfTheSectionOnly) {
  AnnotationOutput out;
  ASSERT_TRUE(readRNAViewOutput(fixturePath("annotation/rv_cases.out"), "A", out));
  const std::vector<std::string> expected = {
      "A1-A72 : G-C W/W cis | XIX",  "A2-A71 : C-G W/W cis | XIX",        "A5-A68 : A-U W/W cis | XX",
      "A8-A14 : U-A W/H trans | XXI", "A10-A45 : G-G S/H cis | !1H(b_b)", "A20-A21 : G-A ./? cis | !(s_s)",
  };
  EXPECT_EQ(rnaViewLines(out), expected);
  const std::vector<std::string> kept = {"1_2, A:     1 G-C     2 A:      stacked"};
  EXPECT_EQ(out.keptLines, kept);
  EXPECT_EQ(out.skippedLines, 1u);
  EXPECT_EQ(out.pairs[0].edgeCount, 1);
  EXPECT_EQ(out.pairs[0].iCode[0], ' ');
}

TEST(RnaViewReader, ClassifiesLines) {
  struct Case {
    const char* line;
    RnaViewLine kind;
  };
  const Case cases[] = {
      {"1_72, A:     1 G-C    72 A: +/+ cis         XIX", RnaViewLine::kPair},
      {"7_35, A:    74 U-G   102 B: H/W tran        n/a", RnaViewLine::kPair},
      {"3_4, A:     3 G-C     4 A: W/W cis", RnaViewLine::kPair},
      {"26_27, B:    93 C-A    94 B:      stacked", RnaViewLine::kNonPair},
      {"The total base pairs =  17 (from   41 bases)", RnaViewLine::kNonPair},
      {"4_5, A:     4 U-U  tail A: W/W cis  XII", RnaViewLine::kMalformed},
      {"4_5 A:     4 U-U     5 A: W/W cis  XII", RnaViewLine::kMalformed},
      {"4_5, A:     4 U-U     5 A: W W/ cis", RnaViewLine::kMalformed},
  };
  for (const Case& c : cases) {
    BPInfo pair = makeEmptyBPInfo();
    EXPECT_EQ(parsePairLineRNAView(c.line, pair), c.kind) << c.line;
  }
}

TEST(RnaViewReader, ChainTest) {
  EXPECT_TRUE(matchChainRV("26_27, B:    93 C-A    94 B:      stacked", "B"));
  EXPECT_FALSE(matchChainRV("26_27, A:    93 C-A    94 B:      stacked", "A"));
  EXPECT_FALSE(matchChainRV("26_27, B:    93 C-A    94 A:      stacked", "A"));
  EXPECT_TRUE(matchChainRV("x A", "A"));
}

TEST(RnaViewReader, TitleLines) {
  AnnotationOutput out;
  ASSERT_TRUE(readRNAViewOutput(fixturePath("annotation/rv_crlf.out"), "A", out));
  EXPECT_EQ(out.pairs.size(), 1u);
  EXPECT_EQ(out.keptLines.size(), 1u);
  ASSERT_TRUE(readRNAViewOutput(fixturePath("annotation/rv_title_blanks.out"), "A", out));
  EXPECT_TRUE(out.pairs.empty());
}

TEST(RnaViewReader, SectionStateStartsAfreshInEveryFile) {
  test::TempDir dir;
  test::writeFile(dir.file("open.rv.out"), "BEGIN_base-pair\n     1_72, A:     1 G-C    72 A: +/+ cis  XIX\n");
  test::writeFile(dir.file("plain.rv.out"), "     1_72, A:     1 G-C    72 A: +/+ cis  XIX\n");
  AnnotationOutput out;
  ASSERT_TRUE(readRNAViewOutput(dir.file("open.rv.out"), "A", out));
  EXPECT_EQ(out.pairs.size(), 1u);
  ASSERT_TRUE(readRNAViewOutput(dir.file("plain.rv.out"), "A", out));
  EXPECT_TRUE(out.pairs.empty());
}

TEST(RnaViewReader, MissingFile) {
  AnnotationOutput out;
  testing::internal::CaptureStdout();
  EXPECT_FALSE(readRNAViewOutput("no/such.rv.out", "A", out));
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "no/such.rv.out File Not Found\n");
}

TEST(RnaViewReader, PrintedPairsReadBack) {
  AnnotationOutput original;
  ASSERT_TRUE(readRNAViewOutput(fixturePath("annotation/rv_cases.out"), "A", original));
  test::TempDir dir;
  const std::string path = dir.file("round.rv.out");
  std::FILE* file = std::fopen(path.c_str(), "w");
  ASSERT_NE(file, nullptr);
  std::fputs("BEGIN_base-pair\n", file);
  for (const BPInfo& pair : original.pairs) printPairRNAViewFormat(file, false, pair);
  std::fputs("END_base-pair\n", file);
  std::fclose(file);
  AnnotationOutput again;
  ASSERT_TRUE(readRNAViewOutput(path, "A", again));
  EXPECT_EQ(rnaViewLines(again), rnaViewLines(original));
}

TEST(RnaViewReader, RealFiles) {
  BEXORA_REQUIRE_REALDATA();
  struct Case {
    const char* file;
    const char* chain;
    std::size_t pairs;
    std::size_t kept;
  };
  // Counted with awk on the chain words of each BEGIN/END section.
  const Case cases[] = {
      {"1A4D/1A4D.rv.out", "A", 0, 0},           {"1A4D/1A4D.rv.out", "B", 0, 4},
      {"generated/1EHZ/1EHZ.rv.out", "A", 40, 2}, {"generated/1GID/1GID.rv.out", "A", 83, 8},
      {"generated/1GID/1GID.rv.out", "B", 86, 15}, {"generated/3JBV/3JBV.rv.out", "A", 890, 163},
  };
  for (const Case& c : cases) {
    AnnotationOutput out;
    ASSERT_TRUE(readRNAViewOutput(realDataPath(c.file), c.chain, out));
    EXPECT_EQ(out.pairs.size(), c.pairs) << c.file << " " << c.chain;
    EXPECT_EQ(out.keptLines.size(), c.kept) << c.file << " " << c.chain;
    EXPECT_EQ(out.skippedLines, 0u) << c.file;
  }
}

}  // namespace
}  // namespace bexora
