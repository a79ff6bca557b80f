#include "annotation/fr3d.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "annotation/clarna.h"
#include "annotation/dssr.h"
#include "test_support.h"
#include "util/pair_formats.h"

namespace bexora {
namespace {

using test::fixturePath;
using Lines = std::vector<std::string>;

Lines described(const AnnotationOutput& out) {
  Lines lines;
  for (const BPInfo& pair : out.pairs) lines.push_back(formatPairBexora(pair));
  return lines;
}

TEST(Fr3dReader, KeepsChainPairsOfModelOneOnceAndItsStackings) {
  AnnotationOutput out;
  ASSERT_TRUE(readFR3DOutput(fixturePath("annotation/fr3d_cases.out"), "1ABC", "A", out));
  // Dropped: reversed rows, model 2, model 10, another PDB id, another chain,
  // a symmetry copy, a base-phosphate-only row, second alternate locations.
  EXPECT_EQ(described(out), (Lines{"A12-A45 : G-C W/W cis", "A20-A30 : A-U W/W cis", "A21-A29 : G-A S/H trans",
                                   "A22-A28 : P-A H/S trans", "A31.B-A40 : G-C W/W cis", "A32-A39 : G-C W/W cis",
                                   "A50-A50.A : G-C W/W cis", "A62-A70 : G-C W/W cis"}));
  EXPECT_EQ(out.keptLines,
            (Lines{"    23_24, A:    23 G-C    24 A: stacked", "    60_61, A:    60 G-C    61 A: stacked"}));
  // Four fields, a number "x", family "c", an empty residue name, free text.
  EXPECT_EQ(out.skippedLines, 5u);
}

TEST(Fr3dReader, ReadsTheQuotedWebServiceForm) {
  AnnotationOutput out;
  ASSERT_TRUE(readFR3DOutput(fixturePath("annotation/fr3d_quoted.out"), "124D", "B", out));
  EXPECT_EQ(described(out), Lines{"B2-B15 : G-C W/W cis"});
  EXPECT_EQ(out.keptLines, Lines{"     9_10, B:     9 C-A    10 B: stacked"});
}

// Counted with awk: rows of the chain with the base-pair field filled and the
// first residue numbered lower; stacking-only rows likewise; a row repeated
// for an alternate location once; 4QLN's symmetry copy (110 pair rows) not.
TEST(Fr3dReader, RealFilesGiveTheHandCountedPairsAndStackings) {
  BEXORA_REQUIRE_REALDATA();
  struct Case {
    const char *id, *file, *chain;
    std::size_t pairs, stackLines;
  } cases[] = {{"1EHZ", "1EHZ/1EHZ", "A", 32, 84},     {"1GID", "1GID/1GID", "A", 74, 186},
               {"1GID", "1GID/1GID", "B", 76, 187},    {"3JBV", "3JBV/3JBV", "A", 617, 1751},
               {"488D", "488D/488D", "B", 3, 18},      {"354D", "354D/354D", "B", 0, 10},
               {"4QLN", "4QLN/from_cif/4QLN", "A", 49, 138}};
  for (const Case& c : cases) {
    AnnotationOutput out;
    ASSERT_TRUE(readFR3DOutput(test::realDataPath("generated/" + std::string(c.file) + ".fr3d.out"), c.id,
                               c.chain, out));
    EXPECT_EQ(out.pairs.size(), c.pairs) << c.file << " " << c.chain;
    EXPECT_EQ(out.keptLines.size(), c.stackLines) << c.file << " " << c.chain;
    EXPECT_EQ(out.skippedLines, 0u);
    if (c.pairs == 32) {
      const Lines pairs = described(out);
      EXPECT_NE(std::find(pairs.begin(), pairs.end(), "A18-A55 : G-P W/S trans"), pairs.end());
    }
    if (c.pairs == 3) {
      EXPECT_EQ(out.keptLines[0], "    31_33, B:    31.L G-A    33.L B: stacked");
    }
  }
}

// Behaviour the FR3D, DSSR and ClaRNA readers share.
struct ReaderCase {
  const char* name;
  bool (*read)(const std::string&, const std::string&, const std::string&, AnnotationOutput&);
  const char* fixture;
  const char* listStart;  // what opens the rows of a file
  const char* pairRow;    // a row of chain A pairing residue %d with residue %d
};

const ReaderCase kReaders[] = {
    {"FR3D", readFR3DOutput, "annotation/fr3d_cases.out", "unit_id_1,unit_id_2,basepair,stacking,base_phosphate\n",
     "1ABC|1|A|G|%d,1ABC|1|A|C|%d,cWW,,\n"},
    {"DSSR", readDSSROutput, "annotation/dssr_cases.out",
     "nt1            nt2           bp  name        Saenger    LW  DSSR\n", "1 A.G%d A.C%d G-C WC 19-XIX cWW cW-W\n"},
    {"ClaRNA", readClaRNAOutput, "annotation/clarna_cases.out",
     "\"residue1\",\"residue2\",\"n_type\",\"weight\",\"description\",\"full description\"\n",
     "\"A%d\",\"A%d\",\"GC\",0.9,\"WW_cis\",\"WW_cis\"\n"},
};

TEST(TextAnnotationReaders, MissingFileIsReportedAndFails) {
  for (const ReaderCase& reader : kReaders) {
    AnnotationOutput out;
    testing::internal::CaptureStdout();
    EXPECT_FALSE(reader.read("/nonexistent/9ZZZ.out", "1ABC", "A", out)) << reader.name;
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "/nonexistent/9ZZZ.out File Not Found\n");
  }
}

TEST(TextAnnotationReaders, CrLfFilesReadLikeLfFiles) {
  test::TempDir dir;
  for (const ReaderCase& reader : kReaders) {
    std::string crlf;
    for (char c : test::readFile(fixturePath(reader.fixture))) crlf += c == '\n' ? "\r\n" : std::string(1, c);
    test::writeFile(dir.file("crlf.out"), crlf);
    AnnotationOutput lf, withCr;
    ASSERT_TRUE(reader.read(fixturePath(reader.fixture), "1ABC", "A", lf));
    ASSERT_TRUE(reader.read(dir.file("crlf.out"), "1ABC", "A", withCr));
    EXPECT_EQ(described(withCr), described(lf)) << reader.name;
    EXPECT_EQ(withCr.keptLines, lf.keptLines);
    EXPECT_EQ(withCr.skippedLines, lf.skippedLines);
  }
}

// One pair more than the list holds, after a line far longer than any row.
TEST(TextAnnotationReaders, LongLinesAndAFullListAreHandledSafely) {
  test::TempDir dir;
  for (const ReaderCase& reader : kReaders) {
    std::string text = reader.listStart + std::string(100000, 'x') + "\n";
    char row[100];
    for (int i = 1; i <= static_cast<int>(kMaxBasePairs) + 1; ++i) {
      std::snprintf(row, sizeof row, reader.pairRow, i, i + 20000);
      text += row;
    }
    test::writeFile(dir.file("many.out"), text);
    AnnotationOutput out;
    testing::internal::CaptureStdout();
    ASSERT_TRUE(reader.read(dir.file("many.out"), "1ABC", "A", out));
    std::string printed = testing::internal::GetCapturedStdout();
    EXPECT_EQ(out.pairs.size(), kMaxBasePairs) << reader.name;
    EXPECT_EQ(out.skippedLines, 1u) << reader.name;
    EXPECT_EQ(printed.rfind("Warning!!! ", 0), 0u) << printed;
    EXPECT_NE(printed.find(dir.file("many.out")), std::string::npos) << printed;
  }
}

}  // namespace
}  // namespace bexora
