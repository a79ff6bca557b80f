#include "annotation/fr3d.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <tuple>
#include <vector>

#include "test_support.h"
#include "model/record_fixtures.h"

namespace bexora {
namespace {

using test::fixturePath;
using Lines = std::vector<std::string>;

// Near interactions (ncWW, ntHS) are no pairs, unless a reading asks for
// them as the benchmark's inputs were annotated.
TEST(Fr3dReader, KeepsChainPairsOfModelOneOnceAndItsStackings) {
  AnnotationOutput out, nearAsPairs;
  ASSERT_TRUE(readFR3DOutput(fixturePath("annotation/fr3d_cases.out"), "1ABC", "A", out, Reporter()));
  AnnotationReadOptions withNear;
  withNear.nearPairsArePairs = true;
  ASSERT_TRUE(readFR3DOutput(fixturePath("annotation/fr3d_cases.out"), "1ABC", "A", nearAsPairs, Reporter(), withNear));
  // Dropped: reversed rows, model 2, model 10, another PDB id, another chain,
  // a symmetry copy, a base-phosphate-only row, second alternate locations.
  EXPECT_EQ(test::formatted(out.pairs),
            (Lines{"A12-A45 : G-C W/W cis", "A21-A29 : G-A S/H trans", "A31.B-A40 : G-C W/W cis",
                   "A32-A39 : G-C W/W cis", "A50-A50.A : G-C W/W cis"}));
  EXPECT_EQ(test::formatted(nearAsPairs.pairs),
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

// fr3d-python's own lines: the PDB id field need not be the run's; dropped
// are symmetry mates (9th field, chain A-2), model 2, near pairs, the
// second listing of each pair and backbone classes.
TEST(Fr3dReader, ReadsFr3dPythonLinesWithoutAHeader) {
  test::TempDir dir;
  test::writeFile(dir.file("t.fr3d.out"),
                  "pdb|1|A|G|1\tcWW\tpdb|1|A|C|9\t0\n"
                  "pdb|1|A|C|9\tcWW\tpdb|1|A|G|1\t0\n"
                  "XXXX|1|A|G|2\tcsS\tXXXX|1|A|2MG|8\t0\n"
                  "XXXX|1|A|G|3\tcWW\tXXXX|1|A-2|C|7\t0\n"
                  "XXXX|1|A|G|4\tcWW\tXXXX|1|A|C|6||||3_554\t0\n"
                  "XXXX|2|A|G|4\tcWW\tXXXX|2|A|C|6\t0\n"
                  "XXXX|1|A|G|5\tntSH\tXXXX|1|A|C|6\t0\n"
                  "XXXX|1|A|G|5\ts35\tXXXX|1|A|C|6\t0\n"
                  "XXXX|1|A|G|5\t3BPh\tXXXX|1|A|C|6\t0\n"
                  "XXXX|1|A|G\tcWW\tXXXX|1|A|C|6\t0\n");
  AnnotationOutput plain, modified;
  ASSERT_TRUE(readFR3DOutput(dir.file("t.fr3d.out"), "1ABC", "A", plain, Reporter()));
  ASSERT_TRUE(readFR3DOutput(dir.file("t.fr3d.out"), "1ABC", "A", modified, Reporter(), AnnotationReadOptions{true}));
  EXPECT_EQ(test::formatted(plain.pairs), (Lines{"A1-A9 : G-C W/W cis", "A2-A8 : G-2 S/S cis"}));
  EXPECT_EQ(test::formatted(modified.pairs), (Lines{"A1-A9 : G-C W/W cis", "A2-A8 : G-G S/S cis"}));
  EXPECT_EQ(plain.keptLines, Lines{"      5_6, A:     5 G-C     6 A: stacked"});
  EXPECT_EQ(plain.skippedLines, 1u);
  EXPECT_EQ(plain.layout, "fr3d-python");
}

// The three category files given as one file read as the re-laid CSV of
// the same run; the stacking lines come in another order.
TEST(Fr3dReader, ConcatenatedCategoryFilesMatchTheCsvForm) {
  BEXORA_REQUIRE_REALDATA();
  test::TempDir dir;
  const std::string raw = test::realDataPath("generated/1EHZ/fr3d_raw/1EHZ_");
  test::writeFile(dir.file("1EHZ.fr3d.out"), test::readFile(raw + "basepair.txt") +
                                                 test::readFile(raw + "stacking.txt") +
                                                 test::readFile(raw + "backbone.txt"));
  AnnotationOutput concatenated, csv;
  ASSERT_TRUE(readFR3DOutput(dir.file("1EHZ.fr3d.out"), "1EHZ", "A", concatenated, Reporter()));
  ASSERT_TRUE(readFR3DOutput(test::realDataPath("generated/1EHZ/1EHZ.fr3d.out"), "1EHZ", "A", csv, Reporter()));
  EXPECT_EQ(test::formatted(concatenated.pairs), test::formatted(csv.pairs));
  std::sort(concatenated.keptLines.begin(), concatenated.keptLines.end());
  std::sort(csv.keptLines.begin(), csv.keptLines.end());
  EXPECT_EQ(concatenated.keptLines, csv.keptLines);
}

// Counted with awk: rows of the chain with the base-pair field filled by a
// family that is not near ('n') and the first residue numbered lower;
// stacking rows without such a family likewise; a row repeated for an
// alternate location once; 4QLN's symmetry copy (110 pair rows) not.
TEST(Fr3dReader, RealFilesGiveTheHandCountedPairsAndStackings) {
  BEXORA_REQUIRE_REALDATA();
  const std::tuple<const char*, const char*, std::size_t, std::size_t> cases[] = {
      {"1EHZ/1EHZ", "A", 30, 84},  {"1GID/1GID", "A", 69, 186}, {"1GID/1GID", "B", 70, 187},
      {"3JBV/3JBV", "A", 449, 1755}, {"488D/488D", "B", 0, 18},  {"354D/354D", "B", 0, 10},
      {"4QLN/from_cif/4QLN", "A", 46, 138}};
  for (const auto& [file, chain, pairs, stackLines] : cases) {
    const std::string name(file), id = name.substr(name.rfind('/') + 1);
    AnnotationOutput out;
    ASSERT_TRUE(readFR3DOutput(test::realDataPath("generated/" + name + ".fr3d.out"), id, chain, out, Reporter()));
    EXPECT_EQ(out.pairs.size(), pairs) << file << " " << chain;
    EXPECT_EQ(out.keptLines.size(), stackLines) << file << " " << chain;
    EXPECT_EQ(out.skippedLines, 0u);
    const Lines described = test::formatted(out.pairs);
    if (name == "1EHZ/1EHZ") {
      EXPECT_NE(std::find(described.begin(), described.end(), "A18-A55 : G-P W/S trans"), described.end());
    }
    if (name == "488D/488D") {
      EXPECT_EQ(out.keptLines[0], "    31_33, B:    31.L G-A    33.L B: stacked");
    }
  }
}

}  // namespace
}  // namespace bexora
