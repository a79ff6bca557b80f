#include "annotation/rnaview.h"

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

TEST(RnaViewReader, KeepsChainPairsOfTheSectionOnly) {
  AnnotationOutput out;
  ASSERT_TRUE(readRNAViewOutput(fixturePath("annotation/rv_cases.out"), "A", out, Reporter()));
  EXPECT_EQ(test::formatted(out.pairs, formatPairMCAnnotate),
            (Lines{"A1-A72 : G-C W/W pairing cis XIX", "A2-A71 : C-G W/W pairing cis XIX",
                   "A5-A68 : A-U W/W pairing cis XX", "A8-A14 : U-A W/H pairing trans XXI",
                   "A10-A45 : G-G S/H pairing cis !1H(b_b)", "A20-A21 : G-A ./? pairing cis !(s_s)"}));
  EXPECT_EQ(out.keptLines, Lines{"1_2, A:     1 G-C     2 A:      stacked"});
  EXPECT_EQ(out.skippedLines, 1u);
  EXPECT_EQ(out.pairs[0].iCode[0], ' ');
}

TEST(RnaViewReader, ClassifiesLines) {
  const std::tuple<const char*, RnaViewLine> cases[] = {
      {"1_72, A:     1 G-C    72 A: +/+ cis         XIX", RnaViewLine::kPair},
      {"7_35, A:    74 U-G   102 B: H/W tran        n/a", RnaViewLine::kPair},
      {"3_4, A:     3 G-C     4 A: W/W cis", RnaViewLine::kPair},
      {"26_27, B:    93 C-A    94 B:      stacked", RnaViewLine::kNonPair},
      {"The total base pairs =  17 (from   41 bases)", RnaViewLine::kNonPair},
      {"4_5, A:     4 U-U  tail A: W/W cis  XII", RnaViewLine::kMalformed},
      {"4_5 A:     4 U-U     5 A: W/W cis  XII", RnaViewLine::kMalformed},
      {"4_5, A:     4 U-U     5 A: W W/ cis", RnaViewLine::kMalformed},
  };
  for (const auto& [line, kind] : cases) {
    BPInfo pair = makeEmptyBPInfo();
    EXPECT_EQ(parsePairLineRNAView(line, pair), kind) << line;
  }
}

TEST(RnaViewReader, OnlyTheExactTitleOpensTheSection) {
  AnnotationOutput out;
  ASSERT_TRUE(readRNAViewOutput(fixturePath("annotation/rv_title_blanks.out"), "A", out, Reporter()));
  EXPECT_TRUE(out.pairs.empty());
}

TEST(RnaViewReader, RealFiles) {
  BEXORA_REQUIRE_REALDATA();
  // Counted with awk on the chain words of each BEGIN/END section.
  const std::tuple<const char*, const char*, std::size_t, std::size_t> cases[] = {
      {"1A4D/1A4D.rv.out", "A", 0, 0},           {"1A4D/1A4D.rv.out", "B", 0, 4},
      {"generated/1EHZ/1EHZ.rv.out", "A", 40, 2}, {"generated/1GID/1GID.rv.out", "A", 83, 8},
      {"generated/1GID/1GID.rv.out", "B", 86, 15}, {"generated/3JBV/3JBV.rv.out", "A", 890, 163},
  };
  for (const auto& [file, chain, pairs, kept] : cases) {
    AnnotationOutput out;
    ASSERT_TRUE(readRNAViewOutput(test::realDataPath(file), chain, out, Reporter()));
    EXPECT_EQ(out.pairs.size(), pairs) << file << " " << chain;
    EXPECT_EQ(out.keptLines.size(), kept) << file << " " << chain;
    EXPECT_EQ(out.skippedLines, 0u) << file;
  }
}

// Modified bases are reported once per letter and file, with a count, or
// read as their parents when asked.
TEST(RnaViewReader, ModifiedLettersAreCountedOnceOrReadAsParents) {
  test::TempDir dir;
  const std::string path = dir.file("m.rv.out");
  test::writeFile(path, "BEGIN_base-pair\n"
                        "     1_9, A:     1 P-g     9 A: W/W cis n/a\n"
                        "     2_8, A:     2 P-C     8 A: +/+ cis XIX\n"
                        "     3_7, A:     3 G-C     7 A: +/+ cis XIX\n"
                        "END_base-pair\n");
  std::string plainText, parentText;
  AnnotationOutput plain, parents;
  ASSERT_TRUE(readRNAViewOutput(path, "A", plain, collectingReporter(plainText)));
  ASSERT_TRUE(readRNAViewOutput(path, "A", parents, collectingReporter(parentText), AnnotationReadOptions{true}));
  EXPECT_EQ(plainText, "Warning!!! 2 residues of the pairs of chain A in " + path +
                           " are read as 'P', not A, C, G or U.\n"
                           "Warning!!! 1 residues of the pairs of chain A in " + path +
                           " are read as 'g', not A, C, G or U.\n");
  EXPECT_EQ(test::formatted(parents.pairs),
            (Lines{"A1-A9 : U-G W/W cis", "A2-A8 : U-C W/W cis", "A3-A7 : G-C W/W cis"}));
  EXPECT_EQ(parentText, "");
  EXPECT_EQ(parents.layout, "rnaview");
}

}  // namespace
}  // namespace bexora
