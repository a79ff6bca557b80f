#include "annotation/mc_annotate.h"

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

std::vector<std::string> bexoraLines(const AnnotationOutput& out) {
  std::vector<std::string> lines;
  for (const BPInfo& pair : out.pairs) lines.push_back(formatPairBexora(pair));
  return lines;
}

TEST(McAnnotateReader, KeepsChainPairsSortedAndChainLinesOfFirstSections) {
  AnnotationOutput out;
  ASSERT_TRUE(readMCAnnotateOutput(fixturePath("annotation/mca_cases.out"), "A", out));
  const std::vector<std::string> expectedPairs = {
      "A1-A72 : G-C Ww/Ww cis",        "A5-A6 : C-G Ww/Ww",
      "A9-A12 : U-A Ww/Ww cis",        "A30-A31 : G-A Ss/Hh trans",
      "A129-A190.B : G-G Ww/Hh Ws/O2' Bh/Bs trans", "A129.A-A190.F : G-G Bs/O2P",
  };
  EXPECT_EQ(bexoraLines(out), expectedPairs);
  const std::vector<std::string> expectedKept = {
      "Residue conformations -------------------------------------------",
      "A1 : G C3p_endo anti",
      "A2 : C C2p_endo syn",
      "Adjacent stackings ----------------------------------------------",
      "A1-A2 : adjacent_5p upward",
      "Non-Adjacent stackings ------------------------------------------",
      "A1-A9 : outward",
  };
  EXPECT_EQ(out.keptLines, expectedKept);
  EXPECT_EQ(out.skippedLines, 1u);
  const BPInfo& fiveEdges = out.pairs[4];
  EXPECT_EQ(fiveEdges.edgeCount, 3);
  EXPECT_STREQ(fiveEdges.stackInfo, "inward");
  EXPECT_EQ(fiveEdges.parallel, 1);
  EXPECT_STREQ(fiveEdges.description, "one_hbond 81");
  EXPECT_STREQ(out.pairs[2].description, "XX");
}

TEST(McAnnotateReader, QuotedChainIds) {
  AnnotationOutput out;
  ASSERT_TRUE(readMCAnnotateOutput(fixturePath("annotation/mca_cases.out"), "0", out));
  ASSERT_EQ(out.pairs.size(), 1u);
  EXPECT_EQ(formatPairMCAnnotate(out.pairs[0]), "'0'12-'0'15 : A-U Ww/Ww pairing antiparallel cis XX");
  EXPECT_EQ(out.keptLines.size(), 3u);  // only the three titles
}

TEST(McAnnotateReader, ParsesPairLines) {
  struct Case {
    const char* line;
    bool hasId;
    const char* mcaLine;
  };
  const Case cases[] = {
      {"X13-X83 : C-G Ww/Ww pairing antiparallel cis XIX ", true,
       "X13-X83 : C-G Ww/Ww pairing antiparallel cis XIX"},
      {"X23-X46 : A-G  Ww/Ss Bh/O2'\t pairing parallel\r trans X", true,
       "X23-X46 : A-G Ww/Ss Bh/O2' pairing parallel trans X"},
      {"X25-X54 : U-C O2P/Bh pairing", true, "X25-X54 : U-C O2P/Bh pairing"},
      {"AB12.C-AB40 : G-U Wwxyz/Ww pairing cis a b c d e f g h i j k l m n", true,
       "AB12.C-AB40 : G-U Wwxy/Ww pairing cis a b c d e f g h i j k l m"},
      {"Number of pairs = 3", false, nullptr},
      {"-12 : G-C", false, nullptr},
  };
  for (const Case& c : cases) {
    BPInfo pair = makeEmptyBPInfo();
    EXPECT_EQ(parseBasePairLine(c.line, pair), c.hasId) << c.line;
    if (c.hasId) {
      EXPECT_EQ(formatPairMCAnnotate(pair), c.mcaLine);
    }
  }
}

TEST(McAnnotateReader, ChainTest) {
  struct Case {
    const char* line;
    const char* chain;
    bool matches;
  };
  const Case cases[] = {
      {"A1 : G C3p_endo anti", "A", true},   {"A1-A2 : adjacent_5p upward", "A", true},
      {"A1-B2 : outward", "A", false},       {"B1-A2 : outward", "A", false},
      {"'0'1-'0'2 : inward", "0", true},     {"AB12.C : G C3p_endo anti", "AB", true},
      {"Number of stackings = 3", "A", false},
  };
  for (const Case& c : cases) EXPECT_EQ(matchChainMCA(c.line, c.chain), c.matches) << c.line;
}

TEST(McAnnotateReader, SectionStateStartsAfreshInEveryFile) {
  test::TempDir dir;
  test::writeFile(dir.file("untitled.mca.out"), "A1-A2 : G-C Ww/Ww pairing antiparallel cis XIX\n");
  AnnotationOutput out;
  ASSERT_TRUE(readMCAnnotateOutput(fixturePath("annotation/mca_cases.out"), "A", out));
  ASSERT_TRUE(readMCAnnotateOutput(dir.file("untitled.mca.out"), "A", out));
  EXPECT_TRUE(out.pairs.empty());
  EXPECT_EQ(out.keptLines.size(), 1u);
}

TEST(McAnnotateReader, CrLfFileReadsLikeLf) {
  test::TempDir dir;
  std::string lf = test::readFile(fixturePath("annotation/mca_cases.out"));
  std::string crlf;
  for (char c : lf) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
  test::writeFile(dir.file("crlf.mca.out"), crlf);
  AnnotationOutput fromLf;
  AnnotationOutput fromCrLf;
  ASSERT_TRUE(readMCAnnotateOutput(fixturePath("annotation/mca_cases.out"), "A", fromLf));
  ASSERT_TRUE(readMCAnnotateOutput(dir.file("crlf.mca.out"), "A", fromCrLf));
  EXPECT_EQ(bexoraLines(fromCrLf), bexoraLines(fromLf));
  EXPECT_EQ(fromCrLf.keptLines, fromLf.keptLines);
}

TEST(McAnnotateReader, MissingFile) {
  AnnotationOutput out;
  testing::internal::CaptureStdout();
  EXPECT_FALSE(readMCAnnotateOutput("no/such.mca.out", "A", out));
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "no/such.mca.out File Not Found\n");
}

TEST(McAnnotateReader, PrintedPairsReadBack) {
  AnnotationOutput original;
  ASSERT_TRUE(readMCAnnotateOutput(fixturePath("annotation/mca_cases.out"), "A", original));
  test::TempDir dir;
  const std::string path = dir.file("round.mca.out");
  std::FILE* file = std::fopen(path.c_str(), "w");
  ASSERT_NE(file, nullptr);
  std::fputs("Base-pairs ------------------------------------------------------\n", file);
  for (const BPInfo& pair : original.pairs) printPairMCAnnotateFormat(file, false, pair);
  std::fclose(file);
  AnnotationOutput again;
  ASSERT_TRUE(readMCAnnotateOutput(path, "A", again));
  ASSERT_EQ(again.pairs.size(), original.pairs.size());
  for (std::size_t i = 0; i < again.pairs.size(); ++i) {
    EXPECT_EQ(formatPairMCAnnotate(again.pairs[i]), formatPairMCAnnotate(original.pairs[i]));
  }
}

TEST(McAnnotateReader, RealFiles) {
  BEXORA_REQUIRE_REALDATA();
  struct Case {
    const char* file;
    const char* chain;
    std::size_t pairs;
  };
  // Counted with awk on the pair ids of each Base-pairs section.
  const Case cases[] = {
      {"1Y26/1Y26.mca.out", "X", 38}, {"1FJG/1FJG.mca.out", "A", 64}, {"PZ14/14B4.mca.out", "A", 31},
      {"PZ14/14B4.mca.out", "B", 30}, {"PZ14/14C2.mca.out", "U", 24}, {"PZ14/14J2.mca.out", "A", 26},
      {"PZ14/14S0.mca.out", "A", 31}, {"4GV9/4GV9.mca.out", "A", 0},
  };
  for (const Case& c : cases) {
    AnnotationOutput out;
    ASSERT_TRUE(readMCAnnotateOutput(realDataPath(c.file), c.chain, out));
    EXPECT_EQ(out.pairs.size(), c.pairs) << c.file << " " << c.chain;
    EXPECT_EQ(out.skippedLines, 0u) << c.file;
  }
  AnnotationOutput out;
  ASSERT_TRUE(readMCAnnotateOutput(realDataPath("1Y26/1Y26.mca.out"), "X", out));
  EXPECT_EQ(out.keptLines.size(), 130u);  // 3 titles, 70 conformations, 46 + 11 stackings
  EXPECT_EQ(formatPairBexora(out.pairs[10]), "X23-X46 : A-G Ww/Ss Bh/O2' trans");
}

}  // namespace
}  // namespace bexora
