#include "annotation/clarna.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "test_support.h"
#include "annotation/pair_formats.h"
#include "model/record_fixtures.h"

namespace bexora {
namespace {

using Expected = std::vector<std::pair<std::string, double>>;  // pair text and weight

// CSV, dropped: the reversed row, a pair of a residue with itself, stackings,
// a partner in chain B, a class without W/H/S edges; a weight that is no number reads as 0; skipped: AB12
// (a longer chain name), a one-letter base field, a row of one field.
// Then the native text layout, and a file of neither layout.
TEST(ClaRnaReader, ChainPairsInAscendingOrderOfEitherLayout) {
  const std::tuple<const char*, Expected, std::size_t> cases[] = {
      {"annotation/clarna_cases.out",
       {{"A12-A45 : G-C W/W cis", 0.9511}, {"A31-A40 : G-U S/H trans", 0.7},
        {"A32-A41 : G-U W/S cis", 0}},
       3},
      {"annotation/clarna_native.out", {{"A2-A19 : U-A W/W cis", 0.9511}, {"A8-A15 : G-A S/H trans", 0.7556}}, 1},
      {"annotation/clarna_no_header.out", {}, 0},
  };
  for (const auto& [fixture, expected, skipped] : cases) {
    AnnotationOutput out;
    ASSERT_TRUE(readClaRNAOutput(test::fixturePath(fixture), "1ABC", "A", out, Reporter()));
    ASSERT_EQ(out.pairs.size(), expected.size()) << fixture;
    for (std::size_t i = 0; i < expected.size(); ++i) {
      EXPECT_EQ(formatPairBexora(out.pairs[i]), expected[i].first);
      EXPECT_DOUBLE_EQ(out.pairs[i].weight, expected[i].second) << expected[i].first;
    }
    EXPECT_EQ(out.skippedLines, skipped) << fixture;
    EXPECT_TRUE(out.keptLines.empty());
  }
}

// Counted by hand: each of the 19 and 12 lines after the two header lines is
// an ascending W/H/S pair of chain A.
TEST(ClaRnaReader, RealNativeFiles) {
  BEXORA_REQUIRE_REALDATA();
  AnnotationOutput model15, model500;
  ASSERT_TRUE(readClaRNAOutput(test::realDataPath("3E5F/3E5F.cr.out"), "3E5F", "A", model15, Reporter()));
  ASSERT_TRUE(readClaRNAOutput(test::realDataPath("3E5F/3E5M.cr.out"), "3E5M", "A", model500, Reporter()));
  EXPECT_EQ(model15.pairs.size(), 19u);
  EXPECT_EQ(model500.pairs.size(), 12u);
  EXPECT_EQ(model15.skippedLines + model500.skippedLines, 0u);
  EXPECT_EQ(formatPairBexora(model15.pairs[14]), "A19-A22 : G-A S/H trans");
  EXPECT_DOUBLE_EQ(model15.pairs.back().weight, 0.8988);
}

// Chains of several characters are compared whole in both layouts.
TEST(ClaRnaReader, LongChainNamesAreComparedWhole) {
  test::TempDir dir;
  test::writeFile(dir.file("native.cr.out"), "Classification: Clarna\n"
                                             "AB   -5   AB   40          bp G C                  WW_cis   0.9\n"
                                             "A     6   A    39          bp G C                  WW_cis   0.9\n"
                                             "ABCD  7   ABCD 38          bp G C                 HS_tran   0.9\n");
  test::writeFile(dir.file("csv.cr.out"),
                  "\"residue1\",\"residue2\",\"n_type\",\"weight\",\"description\",\"full description\"\n"
                  "\"AB-5\",\"AB40\",\"GC\",0.9,\"WW_cis\",\"WW_cis\"\n"
                  "\"A6\",\"A39\",\"GC\",0.9,\"WW_cis\",\"WW_cis\"\n");
  const std::tuple<const char*, const char*, std::vector<std::string>> cases[] = {
      {"native.cr.out", "AB", {"'AB'-5-'AB'40 : G-C W/W cis"}},
      {"native.cr.out", "ABCD", {"'ABCD'7-'ABCD'38 : G-C H/S trans"}},
      {"native.cr.out", "A", {"A6-A39 : G-C W/W cis"}},
      {"csv.cr.out", "AB", {"'AB'-5-'AB'40 : G-C W/W cis"}},
  };
  for (const auto& [file, chain, pairs] : cases) {
    AnnotationOutput out;
    ASSERT_TRUE(readClaRNAOutput(dir.file(file), "1ABC", chain, out, Reporter()));
    EXPECT_EQ(test::formatted(out.pairs), pairs) << file << " " << chain;
  }
}

}  // namespace
}  // namespace bexora
