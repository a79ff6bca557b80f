// Edge cases of the structure readers on small files: quality lines, line
// faults, models, alternate sites, quoted mmCIF values, file lookup and gzip.
#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdio>
#include <string>
#include <vector>

#include "structure/pdb_reader.h"
#include "test_support.h"

namespace bexora {
namespace {

std::string atomLine(const char* name, char alt, const char* residue, char chain, int number, char code,
                     double x) {
  char line[96];
  std::snprintf(line, sizeof line, "ATOM  %5d %-4s%c%3s %c%4d%c   %8.3f%8.3f%8.3f%6.2f%6.2f           P  \n", 1, name,
                alt, residue, chain, number, code, x, 2.0, 3.0, 1.0, 20.0);
  return line;
}

struct Read {
  bool ok = false;
  std::string out;
  RefineInfo refine;
  std::vector<AtomInfo> atoms;
  StructureFileInfo info;
};

Read readFrom(const std::string& folder, const std::string& id, const std::string& chain = "A") {
  Read r;
  testing::internal::CaptureStdout();
  r.ok = readPDBFile(folder, id, r.refine, chain, r.atoms, &r.info);
  r.out = testing::internal::GetCapturedStdout();
  return r;
}

Read readText(const std::string& text, const char* name = "T1.pdb", const std::string& chain = "A") {
  test::TempDir dir;
  test::writeFile(dir.file(name), text);
  std::string id(name);
  return readFrom(dir.path() + "/", id.substr(0, id.find('.')), chain);
}

struct RefineLineCase {
  const char* line;
  double resolution, freeR, completeness;
  int reflections;
};

const RefineLineCase kRefineLines[] = {
    {"REMARK   2 RESOLUTION.    2.10 ANGSTROMS.", 2.10, 0, 0, 0},
    {"REMARK   2 RESOLUTION. NOT APPLICABLE.", 0, 0, 0, 0},
    {"REMARK   2 RESOLUTION. NULL", 0, 0, 0, 0},
    {"REMARK   3   FREE R VALUE                     : 0.297", 0, 0.297, 0, 0},
    {"REMARK   3   FREE R VALUE                     : NULL", 0, 0, 0, 0},
    {"REMARK   3   FREE R VALUE TEST SET SIZE   (%) : 5.0", 0, 0, 0, 0},
    {"REMARK   3   BIN FREE R VALUE                    : 0.5040", 0, 0, 0, 0},
    {"REMARK 200  COMPLETENESS FOR RANGE     (%) : 99.9", 0, 0, 0.999, 0},
    {"REMARK   3   BIN COMPLETENESS (WORKING+TEST) (%) : NULL", 0, 0, 0, 0},
    {"REMARK   3   COMPLETENESS FOR RANGE (%)", 0, 0, 0, 0},
    {"REMARK   3   NUMBER OF REFLECTIONS             : 11230", 0, 0, 0, 11230},
    {"REMARK   3   NUMBER OF REFLECTIONS             : NULL", 0, 0, 0, 0},
    {"REMARK   3   NUMBER OF REFLECTIONS :", 0, 0, 0, 0},
};

TEST(PdbQualityLines, EachTestOnItsOwn) {
  for (const RefineLineCase& c : kRefineLines) {
    SCOPED_TRACE(c.line);
    RefineInfo refine;
    parseRefineInfo_PDBFormat(c.line, refine);
    EXPECT_DOUBLE_EQ(refine.resolution, c.resolution);
    EXPECT_DOUBLE_EQ(refine.freeRValue, c.freeR);
    EXPECT_DOUBLE_EQ(refine.completeness, c.completeness);
    EXPECT_EQ(refine.noOfReflections, c.reflections);
  }
}

TEST(PdbQualityLines, LargestCompletenessWins) {
  RefineInfo refine;
  parseRefineInfo_PDBFormat("REMARK 200  COMPLETENESS FOR RANGE     (%) : 99.9", refine);
  parseRefineInfo_PDBFormat("REMARK   3   COMPLETENESS FOR RANGE        (%) : 98.0", refine);
  EXPECT_DOUBLE_EQ(refine.completeness, 0.999);
}

TEST(CifQualityLines, SmallestResolutionFirstDigitRule) {
  RefineInfo refine;
  for (const char* line : {"_refine.ls_d_res_high 2.50", "_refine_hist.d_res_high 2.45", "_refine.ls_d_res_high ?",
                           "_refine.ls_d_res_high -1.0", "_refine.ls_d_res_high_x 1.0"})
    parseRefineInfo_mmCIFFormat(line, refine);
  EXPECT_DOUBLE_EQ(refine.resolution, 2.45);
  parseRefineInfo_mmCIFFormat("_reflns.percent_possible_obs 99.5", refine);
  EXPECT_DOUBLE_EQ(refine.completeness, 0.995);
}

struct DpiCase {
  double completeness, resolution, freeR;
  int atoms, reflections;
  double dpi;
};

TEST(Dpi, ZeroWhenAnyTermIsMissing) {
  // 400 atoms, 1600 reflections: sqrt(0.25) * 0.2 * 2.0 / 1.0 = 0.2; 0.8^(-1/3) = 1.077217
  const DpiCase cases[] = {{1.0, 2.0, 0.2, 400, 1600, 0.2},    {0.8, 2.0, 0.2, 400, 1600, 0.2154435},
                           {0, 2.0, 0.2, 400, 1600, 0},        {1.0, 1e-11, 0.2, 400, 1600, 0},
                           {1.0, 2.0, 0, 400, 1600, 0},        {1.0, 2.0, 0.2, 0, 1600, 0},
                           {1.0, 2.0, 0.2, 400, 0, 0}};
  for (const DpiCase& c : cases) {
    RefineInfo refine;
    refine.completeness = c.completeness;
    refine.resolution = c.resolution;
    refine.freeRValue = c.freeR;
    refine.noOfAtoms = c.atoms;
    refine.noOfReflections = c.reflections;
    calculateDPI(refine);
    EXPECT_NEAR(refine.dpi, c.dpi, 1e-6);
  }
}

TEST(PdbReader, SortsByChainNumberCodeName) {
  Read r = readText(atomLine("P", ' ', "  G", 'A', 6, ' ', 1) + atomLine("C1'", ' ', "  G", 'A', 5, 'A', 2) +
                    atomLine("P", ' ', "  G", 'A', 5, 'A', 3) + atomLine("P", ' ', "  C", 'A', 5, ' ', 4));
  ASSERT_EQ(r.atoms.size(), 4u);
  EXPECT_DOUBLE_EQ(r.atoms[0].x, 4);  // 5
  EXPECT_DOUBLE_EQ(r.atoms[1].x, 2);  // 5A C1'
  EXPECT_DOUBLE_EQ(r.atoms[2].x, 3);  // 5A P
  EXPECT_DOUBLE_EQ(r.atoms[3].x, 1);  // 6
  EXPECT_EQ(r.atoms[1].iCode, 'A');
}

TEST(PdbReader, ResidueAndChainFilterCountsEveryLine) {
  std::string text = "REMARK   2 RESOLUTION.    2.00 ANGSTROMS.\n" + atomLine("P", ' ', "  A", 'A', 1, ' ', 1) +
                     atomLine("P", ' ', "PSU", 'A', 2, ' ', 1) + atomLine("P", ' ', " DA", 'A', 3, ' ', 1) +
                     atomLine("P", ' ', "  A", 'B', 4, ' ', 1) + "HETATM    9 MG    MG A 101\n" +
                     "REMARK   2 RESOLUTION.    9.00 ANGSTROMS.\n";
  Read r = readText(text);
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(r.atoms.size(), 1u);
  EXPECT_EQ(r.refine.noOfAtoms, 5);
  EXPECT_DOUBLE_EQ(r.refine.resolution, 2.0);  // REMARK lines after the atoms are not read
  EXPECT_EQ(r.info.format, "pdb");
}

TEST(PdbReader, FirstModelAndFirstAlternateSiteOnly) {
  std::string text = "MODEL        1\n" + atomLine("P", 'A', "  G", 'A', 1, ' ', 1) +
                     atomLine("P", 'B', "  G", 'A', 1, ' ', 2) + atomLine("OP1", 'B', "  G", 'A', 1, ' ', 3) +
                     atomLine("OP1", 'A', "  G", 'A', 1, ' ', 4) + "ENDMDL\nMODEL        2\n" +
                     atomLine("P", ' ', "  G", 'A', 1, ' ', 5) + atomLine("P", ' ', "  G", 'A', 2, ' ', 6) +
                     "ENDMDL\n";
  Read r = readText(text);
  ASSERT_EQ(r.atoms.size(), 2u);
  EXPECT_DOUBLE_EQ(r.atoms[0].x, 3);  // OP1: site B came first
  EXPECT_DOUBLE_EQ(r.atoms[1].x, 1);  // P: site A came first
  EXPECT_EQ(r.refine.noOfAtoms, 6);
}

TEST(PdbReader, ShortAndTruncatedLinesAreSafe) {
  std::string full = atomLine("P", ' ', "  G", 'A', 1, ' ', 1);
  std::string text = "ATOM      2  P    G A   2      1.000   2.000\n" + full.substr(0, 56) + "\n" +
                     "ATOM      3  P    G A   3\n" + atomLine("P", ' ', "  G", 'A', 4, ' ', 1).substr(0, 60);
  Read r = readText(text);
  ASSERT_EQ(r.atoms.size(), 2u);  // the 56- and 60-column lines give x, y, z
  EXPECT_DOUBLE_EQ(r.atoms[0].z, 3.0);
  EXPECT_DOUBLE_EQ(r.atoms[0].tempFactor, 0);  // columns 61-66 are past the line end
  EXPECT_NE(r.out.find("Warning!!! Line 1 of "), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("Warning!!! Line 3 of "), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("T1.pdb"), std::string::npos);
  EXPECT_EQ(r.refine.noOfAtoms, 4);
}

TEST(PdbReader, CrLfAndTrailingTabsReadLikeLf) {
  std::string lf = "REMARK   2 RESOLUTION.    2.10 ANGSTROMS.\n" + atomLine("C5'", ' ', "  U", 'A', 7, ' ', 1.5);
  std::string crlf = lf;
  for (std::size_t at = crlf.find('\n'); at != std::string::npos; at = crlf.find('\n', at + 2)) crlf.insert(at, "\r");
  std::string tabs = lf.substr(0, lf.size() - 1) + "\t\t   O  \n";
  Read a = readText(lf), b = readText(crlf), c = readText(tabs);
  for (const Read* r : {&b, &c}) {
    ASSERT_EQ(r->atoms.size(), 1u);
    EXPECT_EQ(compareAtoms(r->atoms[0], a.atoms[0]), 0);
    EXPECT_DOUBLE_EQ(r->atoms[0].tempFactor, 20.0);
    EXPECT_DOUBLE_EQ(r->refine.resolution, 2.10);
  }
  EXPECT_STREQ(a.atoms[0].atomName, "C5'");
}

TEST(PdbReader, AtomTableLimitWarnsAndStops) {
  std::string text;
  text.reserve((kMaxAtoms + 2) * 82);
  std::string line = atomLine("P", ' ', "  G", 'A', 1, ' ', 1);
  for (std::size_t i = 0; i <= kMaxAtoms; ++i) {
    std::snprintf(&line[22], 5, "%4zu", i % 10000);
    line[26] = static_cast<char>('A' + i / 10000);
    text += line;
  }
  Read r = readText(text);
  EXPECT_EQ(r.atoms.size(), kMaxAtoms);
  EXPECT_NE(r.out.find("Warning!!! Atom table limit of 100000"), std::string::npos) << r.out;
}

TEST(CifReader, QuotedValuesAuthorNumbersModelsAndSites) {
  Read r = readFrom(test::fixturePath("structure") + "/", "QUOT");
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(r.info.format, "cif");
  ASSERT_EQ(r.atoms.size(), 3u);
  EXPECT_STREQ(r.atoms[0].atomName, "C1 X");
  EXPECT_STREQ(r.atoms[1].atomName, "O5'");
  EXPECT_EQ(r.atoms[1].resSeqNo, 12);
  EXPECT_EQ(r.atoms[1].iCode, ' ');
  EXPECT_EQ(r.atoms[2].iCode, 'A');
  EXPECT_DOUBLE_EQ(r.atoms[2].x, 4.0);  // site A; site B and model 2 dropped
  EXPECT_NE(r.out.find("Warning!!! Line 31 of "), std::string::npos) << r.out;
  // 2.45 (smallest), 0.31 ('?' skipped), 0.995, 1000 reflections, 9 atom rows:
  // sqrt(9/1000) = 0.094868 * 0.31 * 2.45 / 0.995^(1/3) = 0.072052 / 0.998330 -> 0.072173
  EXPECT_EQ(r.refine.noOfAtoms, 9);
  EXPECT_NEAR(r.refine.dpi, 0.072173, 1e-6);
  Read labelChain = readFrom(test::fixturePath("structure") + "/", "QUOT", "B");
  ASSERT_EQ(labelChain.atoms.size(), 1u);
  EXPECT_EQ(labelChain.atoms[0].resSeqNo, 14);
}

TEST(CifReader, LoopWithoutNeededItemsIsSkipped) {
  Read r = readFrom(test::fixturePath("structure") + "/", "MISS");
  ASSERT_TRUE(r.ok);
  EXPECT_TRUE(r.atoms.empty());
  EXPECT_NE(r.out.find("Warning!!! "), std::string::npos);
  EXPECT_NE(r.out.find("MISS.cif"), std::string::npos);
  EXPECT_NE(r.out.find("Cartn_z"), std::string::npos) << r.out;
}

void writeGzip(const std::string& path, const std::string& text) {
  gzFile file = gzopen(path.c_str(), "wb");
  ASSERT_NE(file, nullptr);
  gzwrite(file, text.data(), static_cast<unsigned>(text.size()));
  gzclose(file);
}

TEST(FileLookup, OrderPdbCifThenCompressed) {
  test::TempDir dir;
  std::string folder = dir.path() + "/";
  Read none = readFrom(folder, "1ABC");
  EXPECT_FALSE(none.ok);
  EXPECT_EQ(none.out, "Neither .pdb or .cif file for PDB 1ABC was found in the " + folder + " folder\n");

  std::string cif = test::readFile(test::fixturePath("structure/QUOT.cif"));
  writeGzip(dir.file("1ABC.cif.gz"), cif);
  EXPECT_EQ(readFrom(folder, "1ABC").info.path, folder + "1ABC.cif.gz");
  writeGzip(dir.file("1ABC.pdb.gz"), atomLine("P", ' ', "  G", 'A', 1, ' ', 1));
  Read gz = readFrom(folder, "1ABC");
  EXPECT_EQ(gz.info.path, folder + "1ABC.pdb.gz");
  EXPECT_EQ(gz.info.format, "pdb");
  EXPECT_EQ(gz.atoms.size(), 1u);
  test::writeFile(dir.file("1ABC.cif"), cif);
  EXPECT_EQ(readFrom(folder, "1ABC").info.format, "cif");
  test::writeFile(dir.file("1ABC.pdb"), "");
  Read empty = readFrom(folder, "1ABC");
  EXPECT_TRUE(empty.ok);
  EXPECT_EQ(empty.info.format, "pdb");
  EXPECT_TRUE(empty.atoms.empty());
}

}  // namespace
}  // namespace bexora
