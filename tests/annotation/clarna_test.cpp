#include "annotation/clarna.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "test_support.h"
#include "util/pair_formats.h"

namespace bexora {
namespace {

using Expected = std::vector<std::pair<std::string, double>>;  // pair text and weight

void expectPairs(const std::string& path, const std::string& chain, const Expected& expected,
                 std::size_t skipped) {
  AnnotationOutput out;
  ASSERT_TRUE(readClaRNAOutput(path, "1ABC", chain, out));
  ASSERT_EQ(out.pairs.size(), expected.size()) << path;
  for (std::size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(formatPairBexora(out.pairs[i]), expected[i].first);
    EXPECT_DOUBLE_EQ(out.pairs[i].weight, expected[i].second) << expected[i].first;
  }
  EXPECT_EQ(out.skippedLines, skipped) << path;
  EXPECT_TRUE(out.keptLines.empty());
}

TEST(ClaRnaReader, CsvRowsOfTheChainInAscendingOrder) {
  // Dropped: the reversed row, stackings, a partner in chain B, a class
  // without W/H/S edges. A weight that is no number reads as 0. Skipped:
  // AB12 (a longer chain name), a one-letter base field, a row of one field.
  expectPairs(test::fixturePath("annotation/clarna_cases.out"), "A",
              {{"A12-A45 : G-C W/W cis", 0.9511},
               {"A20-A20 : G-G H/H trans", 0.5},
               {"A31-A40 : G-U S/H trans", 0.7},
               {"A32-A41 : G-U W/S cis", 0}},
              3);
}

TEST(ClaRnaReader, NativeTextLayoutAndFilesOfNeitherLayout) {
  expectPairs(test::fixturePath("annotation/clarna_native.out"), "A",
              {{"A2-A19 : U-A W/W cis", 0.9511}, {"A8-A15 : G-A S/H trans", 0.7556}}, 1);
  expectPairs(test::fixturePath("annotation/clarna_no_header.out"), "A", {}, 0);
}

// Counted by hand: each of the 19 and 12 lines after the two header lines is
// an ascending W/H/S pair of chain A.
TEST(ClaRnaReader, RealNativeFiles) {
  BEXORA_REQUIRE_REALDATA();
  AnnotationOutput model15, model500;
  ASSERT_TRUE(readClaRNAOutput(test::realDataPath("3E5F/3E5F.cr.out"), "3E5F", "A", model15));
  ASSERT_TRUE(readClaRNAOutput(test::realDataPath("3E5F/3E5M.cr.out"), "3E5M", "A", model500));
  EXPECT_EQ(model15.pairs.size(), 19u);
  EXPECT_EQ(model500.pairs.size(), 12u);
  EXPECT_EQ(model15.skippedLines + model500.skippedLines, 0u);
  EXPECT_EQ(formatPairBexora(model15.pairs[14]), "A19-A22 : G-A S/H trans");
  EXPECT_DOUBLE_EQ(model15.pairs.back().weight, 0.8988);
}

}  // namespace
}  // namespace bexora
