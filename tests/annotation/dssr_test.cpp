#include "annotation/dssr.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "test_support.h"
#include "util/record_fixtures.h"

namespace bexora {
namespace {

TEST(DssrReader, KeepsTheWhsPairsOfTheChainUpToTheClosingLine) {
  AnnotationOutput out;
  ASSERT_TRUE(readDSSROutput(test::fixturePath("annotation/dssr_cases.out"), "1ABC", "A", out, Reporter()));
  // Dropped: an edge written as '.', a partner in chain B, the pair after the
  // closing asterisks. Residues stay in the order the tool gives them.
  EXPECT_EQ(test::formatted(out.pairs),
            (std::vector<std::string>{"A-3-A80 : G-C W/W cis", "A1-A72 : G-C W/W cis", "A8-A14 : U-A W/H trans",
                                      "A9-A26 : 2-C S/S cis", "A13.B-A23 : G-C W/W cis", "A45-A12 : C-G W/W cis",
                                      "A55-A58 : P-A W/S trans"}));
  // A nucleotide without a number, a line of three fields, one without a point.
  EXPECT_EQ(out.skippedLines, 3u);
  EXPECT_TRUE(out.keptLines.empty());
}

TEST(DssrReader, OnlyTheExactColumnHeaderOpensTheList) {
  AnnotationOutput out;
  ASSERT_TRUE(readDSSROutput(test::fixturePath("annotation/dssr_header_trailing_blanks.out"), "1ABC", "A", out, Reporter()));
  EXPECT_TRUE(out.pairs.empty());
  EXPECT_EQ(out.skippedLines, 0u);
}

}  // namespace
}  // namespace bexora
