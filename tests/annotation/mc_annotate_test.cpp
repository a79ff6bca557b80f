#include "annotation/mc_annotate.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "test_support.h"
#include "model/record_fixtures.h"

namespace bexora {
namespace {

using test::fixturePath;
using Lines = std::vector<std::string>;

// Of chain A: at most three edge groups, stacking, orientation and the
// description; chain lines of the first three sections only. Of chain '0':
// the quoted id, and no line besides the three titles.
TEST(McAnnotateReader, KeepsChainPairsSortedAndChainLinesOfFirstSections) {
  AnnotationOutput out;
  ASSERT_TRUE(readMCAnnotateOutput(fixturePath("annotation/mca_cases.out"), "A", out, Reporter()));
  EXPECT_EQ(test::formatted(out.pairs, formatPairMCAnnotate),
            (Lines{"A1-A72 : G-C Ww/Ww pairing antiparallel cis XIX", "A5-A6 : C-G Ww/Ww pairing",
                   "A9-A12 : U-A Ww/Ww pairing antiparallel cis XX", "A30-A31 : G-A Ss/Hh pairing trans",
                   "A129-A190.B : G-G Ww/Hh Ws/O2' Bh/Bs inward pairing parallel trans one_hbond 81",
                   "A129.A-A190.F : G-G Bs/O2P pairing"}));
  EXPECT_EQ(out.keptLines,
            (Lines{"Residue conformations -------------------------------------------", "A1 : G C3p_endo anti",
                   "A2 : C C2p_endo syn", "Adjacent stackings ----------------------------------------------",
                   "A1-A2 : adjacent_5p upward", "Non-Adjacent stackings ------------------------------------------",
                   "A1-A9 : outward"}));
  EXPECT_EQ(out.skippedLines, 1u);
  ASSERT_TRUE(readMCAnnotateOutput(fixturePath("annotation/mca_cases.out"), "0", out, Reporter()));
  EXPECT_EQ(test::formatted(out.pairs, formatPairMCAnnotate),
            Lines{"'0'12-'0'15 : A-U Ww/Ww pairing antiparallel cis XX"});
  EXPECT_EQ(out.keptLines.size(), 3u);
}

TEST(McAnnotateReader, ParsesPairLines) {
  const std::tuple<const char*, const char*> cases[] = {  // line, as printed again (null: no pair id)
      {"X13-X83 : C-G Ww/Ww pairing antiparallel cis XIX ", "X13-X83 : C-G Ww/Ww pairing antiparallel cis XIX"},
      {"X23-X46 : A-G  Ww/Ss Bh/O2'\t pairing parallel\r trans X",
       "X23-X46 : A-G Ww/Ss Bh/O2' pairing parallel trans X"},
      {"X25-X54 : U-C O2P/Bh pairing", "X25-X54 : U-C O2P/Bh pairing"},
      {"AB12.C-AB40 : G-U Wwxyz/Ww pairing cis a b c d e f g h i j k l m n",
       "'AB'12.C-'AB'40 : G-U Wwxy/Ww pairing cis a b c d e f g h i j k l m"},
      {"A-5.B-A12 : G-C Ww/Ww pairing cis", "A-5.B-A12 : G-C Ww/Ww pairing cis"},
      {"'0'-3-'0'7 : G-C Ww/Ww pairing cis", "'0'-3-'0'7 : G-C Ww/Ww pairing cis"},
      {"Number of pairs = 3", nullptr},
      {"-12 : G-C", nullptr},
      {"A99999999999-A3 : G-C", nullptr},
  };
  for (const auto& [line, printed] : cases) {
    BPInfo pair = makeEmptyBPInfo();
    EXPECT_EQ(parseBasePairLine(line, pair, Reporter()), printed != nullptr) << line;
    if (printed) {
      EXPECT_EQ(formatPairMCAnnotate(pair), printed);
    }
  }
}

// A word out of place is reported with the line it stands on; the pair is still read.
TEST(McAnnotateReader, MisplacedWordsNameTheLine) {
  test::TempDir dir;
  const std::string path = dir.file("bad.mca.out");
  test::writeFile(path, "Base-pairs ------------------------------------------------------\n"
                        "A1-A9 : G-C Ww/Ww bogus pairing antiparallel cis\n"
                        "A2-A8 : G-C Ww/Ww pairing sideways cis\n");
  AnnotationOutput out;
  std::string printed;
  readMCAnnotateOutput(path, "A", out, collectingReporter(printed));
  EXPECT_EQ(printed, "\n!!!!!---ERROR AFTER EDGE DESCRIPTION---!!!!!\n(line 2 of " + path +
                         ")\n\n!!!!!---ERROR AFTER PAIRING---!!!!!\n\n(line 3 of " + path + ")\n");
  EXPECT_EQ(out.pairs.size(), 2u);
}

// Counted with awk on the pair ids of each Base-pairs section; 1Y26 keeps
// 3 titles, 70 conformations and 46 + 11 stackings.
TEST(McAnnotateReader, RealFiles) {
  BEXORA_REQUIRE_REALDATA();
  const std::tuple<const char*, const char*, std::size_t> cases[] = {
      {"1Y26/1Y26.mca.out", "X", 38}, {"1FJG/1FJG.mca.out", "A", 64}, {"PZ14/14B4.mca.out", "A", 31},
      {"PZ14/14B4.mca.out", "B", 30}, {"PZ14/14C2.mca.out", "U", 24}, {"PZ14/14J2.mca.out", "A", 26},
      {"PZ14/14S0.mca.out", "A", 31}, {"4GV9/4GV9.mca.out", "A", 0},
  };
  for (const auto& [file, chain, pairs] : cases) {
    AnnotationOutput out;
    ASSERT_TRUE(readMCAnnotateOutput(test::realDataPath(file), chain, out, Reporter()));
    EXPECT_EQ(out.pairs.size(), pairs) << file << " " << chain;
    EXPECT_EQ(out.skippedLines, 0u) << file;
    if (pairs == 38) {
      EXPECT_EQ(out.keptLines.size(), 130u);
      EXPECT_EQ(formatPairBexora(out.pairs[10]), "X23-X46 : A-G Ww/Ss Bh/O2' trans");
    }
  }
}

}  // namespace
}  // namespace bexora
