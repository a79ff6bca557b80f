#include "annotation/fr3d.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <tuple>
#include <vector>

#include "test_support.h"
#include "util/record_fixtures.h"

namespace bexora {
namespace {

using test::fixturePath;
using Lines = std::vector<std::string>;

TEST(Fr3dReader, KeepsChainPairsOfModelOneOnceAndItsStackings) {
  AnnotationOutput out;
  ASSERT_TRUE(readFR3DOutput(fixturePath("annotation/fr3d_cases.out"), "1ABC", "A", out, Reporter()));
  // Dropped: reversed rows, model 2, model 10, another PDB id, another chain,
  // a symmetry copy, a base-phosphate-only row, second alternate locations.
  EXPECT_EQ(test::formatted(out.pairs),
            (Lines{"A12-A45 : G-C W/W cis", "A20-A30 : A-U W/W cis", "A21-A29 : G-A S/H trans",
                   "A22-A28 : P-A H/S trans", "A31.B-A40 : G-C W/W cis", "A32-A39 : G-C W/W cis",
                   "A50-A50.A : G-C W/W cis", "A62-A70 : G-C W/W cis"}));
  EXPECT_EQ(out.keptLines,
            (Lines{"    23_24, A:    23 G-C    24 A: stacked", "    60_61, A:    60 G-C    61 A: stacked"}));
  // Four fields, a number "x", family "c", an empty residue name, free text.
  EXPECT_EQ(out.skippedLines, 5u);
}

TEST(Fr3dReader, ReadsTheQuotedWebServiceForm) {
  AnnotationOutput out;
  ASSERT_TRUE(readFR3DOutput(fixturePath("annotation/fr3d_quoted.out"), "124D", "B", out, Reporter()));
  EXPECT_EQ(test::formatted(out.pairs), Lines{"B2-B15 : G-C W/W cis"});
  EXPECT_EQ(out.keptLines, Lines{"     9_10, B:     9 C-A    10 B: stacked"});
}

// Counted with awk: rows of the chain with the base-pair field filled and the
// first residue numbered lower; stacking-only rows likewise; a row repeated
// for an alternate location once; 4QLN's symmetry copy (110 pair rows) not.
TEST(Fr3dReader, RealFilesGiveTheHandCountedPairsAndStackings) {
  BEXORA_REQUIRE_REALDATA();
  const std::tuple<const char*, const char*, std::size_t, std::size_t> cases[] = {
      {"1EHZ/1EHZ", "A", 32, 84},  {"1GID/1GID", "A", 74, 186}, {"1GID/1GID", "B", 76, 187},
      {"3JBV/3JBV", "A", 617, 1751}, {"488D/488D", "B", 3, 18},  {"354D/354D", "B", 0, 10},
      {"4QLN/from_cif/4QLN", "A", 49, 138}};
  for (const auto& [file, chain, pairs, stackLines] : cases) {
    const std::string name(file), id = name.substr(name.rfind('/') + 1);
    AnnotationOutput out;
    ASSERT_TRUE(readFR3DOutput(test::realDataPath("generated/" + name + ".fr3d.out"), id, chain, out, Reporter()));
    EXPECT_EQ(out.pairs.size(), pairs) << file << " " << chain;
    EXPECT_EQ(out.keptLines.size(), stackLines) << file << " " << chain;
    EXPECT_EQ(out.skippedLines, 0u);
    const Lines described = test::formatted(out.pairs);
    if (pairs == 32) {
      EXPECT_NE(std::find(described.begin(), described.end(), "A18-A55 : G-P W/S trans"), described.end());
    }
    if (pairs == 3) {
      EXPECT_EQ(out.keptLines[0], "    31_33, B:    31.L G-A    33.L B: stacked");
    }
  }
}

}  // namespace
}  // namespace bexora
