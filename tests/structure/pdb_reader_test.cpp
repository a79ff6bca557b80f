// The structure readers on small files (quality lines, line faults, models,
// alternate sites, quoted mmCIF values, file lookup, gzip) and on the real
// structures of the shared corpus.
#include "structure/pdb_reader.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdio>
#include <set>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "test_support.h"
#include "model/basepair.h"
#include "model/record_fixtures.h"

namespace bexora {
namespace {

std::string atomLine(const char* name, char alt, const char* residue, char chain, int number, char code, double x) {
  char line[96];
  std::snprintf(line, sizeof line, "ATOM  %5d %-4s%c%3s %c%4d%c   %8.3f%8.3f%8.3f%6.2f%6.2f           P  \n", 1, name,
                alt, residue, chain, number, code, x, 2.0, 3.0, 1.0, 20.0);
  return line;
}

std::string gAtom(int number, double x = 1) { return atomLine("P", ' ', "  G", 'A', number, ' ', x); }

struct Read {
  bool ok = false;
  std::string out;
  RefineInfo refine;
  std::vector<AtomInfo> atoms;
  StructureFileInfo info;
};

Read readFrom(const std::string& folder, const std::string& id, const std::string& chain = "A",
              const StructureReadOptions& options = {}) {
  Read r;
  r.ok = readPDBFile(folder, id, r.refine, chain, r.atoms, collectingReporter(r.out), &r.info, options);
  return r;
}

// What is printed names the file without its scratch folder.
Read readText(const std::string& text, const std::string& name = "T1.pdb", const std::string& chain = "A",
              const StructureReadOptions& options = {}) {
  test::TempDir dir;
  test::writeFile(dir.file(name), text);
  Read r = readFrom(dir.path() + "/", name.substr(0, name.find('.')), chain, options);
  for (std::size_t at = r.out.find(dir.path() + "/"); at != std::string::npos; at = r.out.find(dir.path() + "/"))
    r.out.erase(at, dir.path().size() + 1);
  return r;
}

// A real structure ("1EHZ" or "generated/1GID"); its .cif is read through a
// folder of its own, as the .pdb sits next to it.
Read readReal(const std::string& path, const std::string& chain, const std::string& format = "pdb",
              const StructureReadOptions& options = {}) {
  const std::string id = path.substr(path.rfind('/') + 1);
  if (format == "pdb") return readFrom(test::realDataPath(path) + "/", id, chain, options);
  return readText(test::readFile(test::realDataPath(path + "/" + id + ".cif")), id + ".cif", chain, options);
}

// Each statistic on its own; the largest completeness and smallest resolution
// win. One not finite or beyond its physical range counts as not given, and
// the warning names file and line.
TEST(QualityLines, StatisticsAreReadCheckedAndTheBestKept) {
  const auto pdb = parseRefineInfo_PDBFormat, cif = parseRefineInfo_mmCIFFormat;
  const struct {
    void (*parse)(std::string_view, RefineInfo&, const LinePlace*);
    const char* lines;
    double resolution, freeR, completeness;
    int reflections;
    const char* warning;  // empty: none
  } cases[] = {
      {pdb, "REMARK   2 RESOLUTION.    2.10 ANGSTROMS.", 2.10, 0, 0, 0, ""},
      {pdb, "REMARK   2 RESOLUTION. NOT APPLICABLE.", 0, 0, 0, 0, ""},
      {pdb, "REMARK   3   FREE R VALUE                     : 0.297", 0, 0.297, 0, 0, ""},
      {pdb, "REMARK   3   FREE R VALUE                     : 28.500", 0, 0.285, 0, 0, ""},
      {pdb, "REMARK   3   FREE R VALUE                     : 1.0", 0, 1.0, 0, 0, ""},
      {cif, "_refine.ls_R_factor_R_free 28.5\n_refine_ls_shell.R_factor_R_free 0.31", 0, 0.285, 0, 0, ""},
      {pdb, "REMARK   3   FREE R VALUE TEST SET SIZE   (%) : 5.0", 0, 0, 0, 0, ""},
      {pdb, "REMARK   3   BIN FREE R VALUE                    : 0.5040", 0, 0, 0, 0, ""},
      {pdb, "REMARK 200  COMPLETENESS FOR RANGE     (%) : 99.9", 0, 0, 0.999, 0, ""},
      {pdb, "REMARK   3   BIN COMPLETENESS (WORKING+TEST) (%) : NULL", 0, 0, 0, 0, ""},
      {pdb, "REMARK   3   NUMBER OF REFLECTIONS             : 11230", 0, 0, 0, 11230, ""},
      {pdb, "REMARK   3   NUMBER OF REFLECTIONS :", 0, 0, 0, 0, ""},
      {pdb, "REMARK 200  COMPLETENESS FOR RANGE     (%) : 99.9\nREMARK   3   COMPLETENESS FOR RANGE   (%) : 98.0", 0, 0,
       0.999, 0, ""},
      {cif, "_refine.ls_d_res_high 2.50\n_refine_hist.d_res_high 2.45\n_refine.ls_d_res_high ?\n"
            "_refine.ls_d_res_high -1.0\n_refine.ls_d_res_high_x 1.0\n_reflns.percent_possible_obs 99.5",
       2.45, 0, 0.995, 0, ""},
      {pdb, "REMARK   2 RESOLUTION.  1e308 ANGSTROMS.", 0, 0, 0, 0, "gives the resolution as 1e+308, outside (0, 100]"},
      {pdb, "REMARK   2 RESOLUTION.  100.0 ANGSTROMS.", 100, 0, 0, 0, ""},
      {pdb, "REMARK   3   FREE R VALUE                     : 150.0", 0, 0, 0, 0, "free R value as 150"},
      {pdb, "REMARK   3   FREE R VALUE                     : -0.25", 0, 0, 0, 0, "free R value as -0.25"},
      {pdb, "REMARK   3   FREE R VALUE                     : 100.0", 0, 1, 0, 0, ""},
      {pdb, "REMARK 200  COMPLETENESS FOR RANGE     (%) : 100.5", 0, 0, 0, 0, "completeness as 100.5"},
      {pdb, "REMARK   3   NUMBER OF REFLECTIONS             : -5", 0, 0, 0, 0, "number of reflections as -5"},
      {pdb, "REMARK   3   NUMBER OF REFLECTIONS             : 99999999999", 0, 0, 0, 0, "reflections as 1e+11"},
      {cif, "_refine.ls_d_res_high 1e308\n_refine_hist.d_res_high 2.5", 2.5, 0, 0, 0, "resolution as 1e+308"},
      {cif, "_refine.ls_R_factor_R_free 1e308\n_refine_ls_shell.R_factor_R_free 0.31", 0, 0.31, 0, 0,
       "free R value as 1e+308"},
      {cif, "_reflns.percent_possible_obs 1e999", 0, 0, 0, 0, "completeness as inf"},
      {cif, "_refine.ls_number_reflns_obs 2147483647", 0, 0, 0, 2147483647, ""},
  };
  const std::string path = "T1.pdb";
  for (const auto& c : cases) {
    SCOPED_TRACE(c.lines);
    RefineInfo refine;
    std::string out;
    const Reporter reporter = collectingReporter(out);
    const LinePlace place{reporter, path, 7};
    std::istringstream lines(c.lines);
    for (std::string line; std::getline(lines, line);) c.parse(line, refine, &place);
    EXPECT_DOUBLE_EQ(refine.resolution, c.resolution);
    EXPECT_DOUBLE_EQ(refine.freeRValue, c.freeR);
    EXPECT_DOUBLE_EQ(refine.completeness, c.completeness);
    EXPECT_EQ(refine.noOfReflections, c.reflections);
    if (*c.warning == '\0') {
      EXPECT_EQ(out, "");
    } else {
      EXPECT_EQ(out.rfind("Warning!!! Line 7 of T1.pdb gives the ", 0), 0u) << out;
      EXPECT_NE(out.find(c.warning), std::string::npos) << out;
      EXPECT_NE(out.find("; it is taken as not given.\n"), std::string::npos) << out;
    }
  }
}

// Residue number, insertion code and name of each atom read, with its x, z and temperature factor.
std::string listed(const std::vector<AtomInfo>& atoms) {
  std::string text;
  char one[64];
  for (const AtomInfo& a : atoms) {
    std::snprintf(one, sizeof one, "%d%c%s(%g %g %g) ", a.resSeqNo, a.iCode, a.atomName, a.x, a.z, a.tempFactor);
    text += one;
  }
  return text;
}

TEST(PdbReader, SelectionOrderAndLineFaults) {
  const std::string remark = "REMARK   2 RESOLUTION.    2.10 ANGSTROMS.\n";
  const std::string c5 = atomLine("C5'", ' ', "  U", 'A', 7, ' ', 1.5);
  const std::string tooShort = " is too short for an ATOM record; the line is ignored.\n";
  const std::tuple<std::string, const char*, int, double, std::string> cases[] = {
      // Sorted by number, insertion code, name.
      {gAtom(6, 1) + atomLine("C1'", ' ', "  G", 'A', 5, 'A', 2) + atomLine("P", ' ', "  G", 'A', 5, 'A', 3) +
           atomLine("P", ' ', "  C", 'A', 5, ' ', 4),
       "5 P(4 3 20) 5AC1'(2 3 20) 5AP(3 3 20) 6 P(1 3 20) ", 4, 0, ""},
      // RNA residues of the chain only; REMARK lines after the atoms are not read.
      {remark + atomLine("P", ' ', "  A", 'A', 1, ' ', 1) + atomLine("P", ' ', "PSU", 'A', 2, ' ', 1) +
           atomLine("P", ' ', " DA", 'A', 3, ' ', 1) + atomLine("P", ' ', "  A", 'B', 4, ' ', 1) +
           "HETATM    9 MG    MG A 101\nREMARK   2 RESOLUTION.    9.00 ANGSTROMS.\n",
       "1 P(1 3 20) ", 5, 2.10, ""},
      // First model and first alternate site only; for OP1 site B came first.
      {"MODEL        1\n" + atomLine("P", 'A', "  G", 'A', 1, ' ', 1) + atomLine("P", 'B', "  G", 'A', 1, ' ', 2) +
           atomLine("OP1", 'B', "  G", 'A', 1, ' ', 3) + atomLine("OP1", 'A', "  G", 'A', 1, ' ', 4) +
           "ENDMDL\nMODEL        2\n" + gAtom(1, 5) + gAtom(2, 6) + "ENDMDL\n",
       "1 OP1(3 3 20) 1 P(1 3 20) ", 6, 0, ""},
      // Short lines; the 56- and 60-column ones give x, y, z.
      {"ATOM      2  P    G A   2      1.000   2.000\n" + gAtom(1).substr(0, 56) + "\nATOM      3  P    G A   3\n" +
           gAtom(4).substr(0, 60),
       "1 P(1 3 0) 4 P(1 3 0) ", 4, 0,
       "Warning!!! Line 1 of T1.pdb" + tooShort + "Warning!!! Line 3 of T1.pdb" + tooShort},
      {remark + c5.substr(0, c5.size() - 1) + "\t\t   O  \n", "7 C5'(1.5 3 20) ", 1, 2.10, ""},
  };
  for (const auto& [text, atoms, atomLines, resolution, printed] : cases) {
    SCOPED_TRACE(text);
    Read r = readText(text);
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(listed(r.atoms), atoms);
    EXPECT_EQ(r.refine.noOfAtoms, atomLines);
    EXPECT_DOUBLE_EQ(r.refine.resolution, resolution);
    EXPECT_EQ(r.out, printed);
  }
}

// gAtom(1) with columns 31-38 (x) or 61-66 (temperature factor) replaced.
std::string pdbAtomWith(std::size_t column, const std::string& text) {
  std::string line = gAtom(1);
  line.replace(column - 1, text.size(), text);
  return line;
}

std::string cifAtoms(const std::string& rows) {
  return "data_T1\nloop_\n_atom_site.group_PDB\n_atom_site.label_comp_id\n_atom_site.auth_asym_id\n"
         "_atom_site.label_atom_id\n_atom_site.auth_seq_id\n_atom_site.Cartn_x\n_atom_site.Cartn_y\n"
         "_atom_site.Cartn_z\n_atom_site.B_iso_or_equiv\n" +
         rows + "ATOM G A C1' 2 4.0 5.0 6.0 30.0\n";
}

// An atom whose position is missing, not finite, absurd or not a decimal
// number, or an mmCIF row whose fields do not match the header, is skipped
// with a warning; the atoms around it are kept.
TEST(PdbReader, AtomsWithUnusableFieldsAreSkipped) {
  const std::string coordinate = " has a coordinate that is missing, not finite or beyond 10000 angstrom",
                    factor = " has an occupancy or temperature factor that is not finite";
  auto fields = [](const char* comparison) {
    return "Line 12 of T1.cif has " + std::string(comparison) + " fields than the _atom_site header";
  };
  const std::tuple<std::string, std::string, std::string> cases[] = {
      {"T1.pdb", pdbAtomWith(31, "     nan"), "Line 1 of T1.pdb" + coordinate},
      {"T1.pdb", pdbAtomWith(31, "12345.67"), "Line 1 of T1.pdb" + coordinate},
      {"T1.pdb", pdbAtomWith(31, "        "), "Line 1 of T1.pdb" + coordinate},
      {"T1.pdb", pdbAtomWith(61, " 1e999"), "Line 1 of T1.pdb" + factor},
      {"T1.pdb", pdbAtomWith(31, "-9999.99"), ""},
      {"T1.pdb", pdbAtomWith(31, "   0x1p3"), "Line 1 of T1.pdb" + coordinate},
      {"T1.pdb", pdbAtomWith(31, "  1.5abc"), "Line 1 of T1.pdb" + coordinate},
      {"T1.cif", cifAtoms("ATOM G A P 1 0x1p3 2.0 3.0 20.0\n"), "Line 12 of T1.cif" + coordinate},
      {"T1.cif", cifAtoms("ATOM G A P 1 1.0 2.0 3.0 20.0 7\n"), fields("more")},
      {"T1.cif", cifAtoms("ATOM G A P 1 1.0 2.0 3.0\n"), fields("fewer")},
      {"T1.cif", cifAtoms("ATOM G A P 1 1.0 2.0 ? 20.0\n"), "Line 12 of T1.cif" + coordinate},
      {"T1.cif", cifAtoms("ATOM G A P 1 1.0 2.0 3.0 1e400\n"), "Line 12 of T1.cif" + factor},
      {"T1.cif", cifAtoms("ATOM G A P 1 1.0 2.0 3.0 20.0\n"), ""},
  };
  for (const auto& [name, text, warning] : cases) {
    SCOPED_TRACE(text);
    Read r = readText(text + (name == "T1.pdb" ? atomLine("C1'", ' ', "  G", 'A', 2, ' ', 4) : ""), name);
    ASSERT_TRUE(r.ok);
    const std::size_t expected = warning.empty() ? 2 : 1;
    EXPECT_EQ(r.atoms.size(), expected);
    EXPECT_EQ(r.atoms.back().resSeqNo, 2);
    EXPECT_EQ(r.out, warning.empty() ? "" : "Warning!!! " + warning + "; the line is ignored.\n");
  }
}

// A file that gives no atom of the chain fails the read: a loop whose header
// lacks an item shifts every row (each one warned).
// Repeated atom lines keep the first, are told once and count once.
TEST(PdbReader, DamagedFilesFailOrAreTold) {
  std::string shifted = cifAtoms("ATOM G A P 1 1.0 2.0 3.0 20.0\n");
  shifted.erase(shifted.find("_atom_site.B_iso_or_equiv\n"), 26);
  const std::string repeat =
      " atom lines of T1.pdb repeat an atom named before (same model, chain, residue, insertion code, atom name and "
      "alternate location), the first at line ";
  const std::tuple<std::string, std::string, bool, std::string, int, std::string> cases[] = {
      {"T1.cif", shifted, false, "", 2,
       "Warning!!! Line 11 of T1.cif has more fields than the _atom_site header; the line is ignored.\n"
       "Warning!!! Line 12 of T1.cif has more fields than the _atom_site header; the line is ignored.\n"
       "No atom of chain A was found in T1.cif.\n"},
      {"T1.pdb", gAtom(1, 1) + gAtom(2, 2) + gAtom(1, 3) + gAtom(1, 4) + atomLine("P", 'B', "  G", 'A', 1, ' ', 5),
       true, "1 P(1 3 20) 2 P(2 3 20) ", 3, "Warning!!! 2" + repeat + "3; the first of each is kept and counted.\n"},
  };
  for (const auto& [name, text, ok, atoms, atomLines, printed] : cases) {
    SCOPED_TRACE(text);
    Read r = readText(text, name);
    EXPECT_EQ(r.ok, ok);
    EXPECT_EQ(listed(r.atoms), atoms);
    EXPECT_EQ(r.refine.noOfAtoms, atomLines);
    EXPECT_EQ(r.out, printed);
  }
}

TEST(CifReader, QuotedValuesAuthorNumbersModelsAndSites) {
  Read r = readFrom(test::fixturePath("structure") + "/", "QUOT");
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(r.info.format, "cif");
  EXPECT_EQ(listed(r.atoms), "12 C1 X(1.5 3.5 10) 12 O5'(1 3 10) 13AP(4 6 11) ");  // site B and model 2 dropped
  EXPECT_NE(r.out.find("Warning!!! Line 31 of "), std::string::npos) << r.out;
  // 2.45 (smallest), 0.31 ('?' skipped), 0.995, 1000 reflections, 9 atom rows:
  // sqrt(9/1000) = 0.094868 * 0.31 * 2.45 / 0.995^(1/3) = 0.072052 / 0.998330 -> 0.072173
  EXPECT_EQ(r.refine.noOfAtoms, 9);
  EXPECT_NEAR(r.refine.dpi, 0.072173, 1e-6);
  EXPECT_EQ(listed(readFrom(test::fixturePath("structure") + "/", "QUOT", "B").atoms), "14 P(7 9 12) ");
}

TEST(CifReader, LoopWithoutNeededItemsIsSkipped) {
  Read r = readFrom(test::fixturePath("structure") + "/", "MISS");
  EXPECT_FALSE(r.ok);
  EXPECT_TRUE(r.atoms.empty());
  for (const char* part : {"Warning!!! ", "MISS.cif", "Cartn_z"})
    EXPECT_NE(r.out.find(part), std::string::npos) << r.out;
}

void writeGzip(const std::string& path, const std::string& text) {
  gzFile file = gzopen(path.c_str(), "wb");
  ASSERT_NE(file, nullptr);
  gzwrite(file, text.data(), static_cast<unsigned>(text.size()));
  gzclose(file);
}

// The order of the names is the input-file table's; here the reader's
// messages and a compressed file read through.
TEST(FileLookup, NothingFoundCompressedReadAndAnEmptyFileFails) {
  test::TempDir dir;
  const std::string folder = dir.path() + "/";
  Read none = readFrom(folder, "1ABC");
  EXPECT_FALSE(none.ok);
  EXPECT_EQ(none.out, "Neither .pdb or .cif file for PDB 1ABC was found in the " + folder + " folder\nLooked in " +
                          folder + " for 1ABC.pdb, 1ABC.cif, 1ABC.pdb.gz, 1ABC.cif.gz, pdb1ABC.ent and pdb1ABC.ent.gz "
                          "(each also with the id in lower case).\n");
  writeGzip(dir.file("1ABC.pdb.gz"), gAtom(1));
  Read gz = readFrom(folder, "1ABC");
  EXPECT_EQ(std::make_tuple(gz.info.path, gz.info.format, gz.atoms.size()),
            std::make_tuple(folder + "1ABC.pdb.gz", std::string("pdb"), std::size_t{1}));
  test::writeFile(dir.file("1ABC.pdb"), "");
  Read empty = readFrom(folder, "1ABC");
  EXPECT_FALSE(empty.ok);
  EXPECT_EQ(empty.out, "No atom of chain A was found in " + folder + "1ABC.pdb.\n");
}

// dpi = sqrt(atomLines / reflections) * freeR * resolution * completeness^(-1/3), the terms read
// by hand from the header lines: the largest completeness (REMARK 3, its bin, REMARK 200), and in
// mmCIF the smallest free R (shells included) and the largest reflection count. 6TNA has no free R
// or completeness, 1BYJ no resolution, 3J7A no free R. 1GID writes its free R as a percentage
// (28.500): 6766 ATOM + 58 HETATM lines, 35100 reflections, completeness 80.2 (REMARK 200 shell),
// sqrt(6824 / 35100) * 0.285 * 2.50 / 0.802^(1/3) = 0.440926 * 0.7125 / 0.929091 = 0.33814.
TEST(RealStructures, QualityAndDpi) {
  BEXORA_REQUIRE_REALDATA();
  const struct {
    const char *id, *format;
    double resolution, freeR, completeness;
    int reflections, atomLines;
    double dpi;
    const char* chain;
  } cases[] = {
      {"1Y26", "pdb", 2.10, 0.297, 0.978, 11230, 1608, 0.23777, "X"},
      {"generated/1GID", "pdb", 2.50, 0.285, 0.802, 35100, 6824, 0.33814, "A"},
      {"1Y26", "cif", 2.10, 0.29733, 0.978, 11832, 1608, 0.23189, "X"},
      {"1EHZ", "pdb", 1.93, 0.253, 0.965, 15371, 1821, 0.17007, "A"},
      {"1EHZ", "cif", 1.93, 0.253, 0.965, 19877, 1821, 0.14956, "A"},
      {"4QLN", "pdb", 2.65, 0.290, 0.994, 13780, 2710, 0.34149, "A"},
      {"4GV9", "pdb", 2.46, 0.305, 1.0, 8461, 1778, 0.34395, "E"},
      {"6TNA", "pdb", 2.70, 0, 0, 8426, 1740, 0, "A"},
      {"1BYJ", "pdb", 0, 0, 0, 0, 35606, 0, "A"},
      {"3J7A", "pdb", 3.20, 0, 0, 0, 44228, 0, "7"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.id) + "." + c.format);
    Read r = readReal(c.id, c.chain, c.format);
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.info.format, c.format);
    EXPECT_NEAR(r.refine.resolution, c.resolution, 1e-9);
    EXPECT_NEAR(r.refine.freeRValue, c.freeR, 1e-9);
    EXPECT_NEAR(r.refine.completeness, c.completeness, 1e-9);
    EXPECT_EQ(r.refine.noOfReflections, c.reflections);
    EXPECT_EQ(r.refine.noOfAtoms, c.atomLines);
    EXPECT_NEAR(r.refine.dpi, c.dpi, 5e-5);
    EXPECT_EQ(r.refine.dpiSource, c.dpi > 0 ? DpiSource::kComputed : DpiSource::kUnknown);
  }
}

int residueCount(const std::vector<AtomInfo>& atoms) {
  std::set<std::tuple<std::string, int, char>> residues;
  for (const AtomInfo& a : atoms) residues.insert({a.chainId, a.resSeqNo, a.iCode});
  return static_cast<int>(residues.size());
}

// Counts of the chain's ATOM lines with residue name A, C, G or U (first model, first site):
// 1EHZ leaves out its 14 modified residues.
TEST(RealStructures, ChainSelection) {
  BEXORA_REQUIRE_REALDATA();
  const std::tuple<const char*, const char*, std::size_t, int> cases[] = {
      {"1Y26", "X", 1499, 71}, {"4GV9", "E", 66, 3},   {"3J7A", "7", 1571, 74}, {"1EHZ", "A", 1329, 62},
      {"1BYJ", "A", 867, 27},  {"4QLN", "A", 2514, 0}, {"1FJG", "A", 4139, 0},  {"1Y26", "Q", 0, 0},
  };
  for (const auto& [id, chain, atoms, residues] : cases) {
    SCOPED_TRACE(std::string(id) + " chain " + chain);
    Read r = readReal(id, chain);
    ASSERT_EQ(r.ok, atoms > 0);
    EXPECT_EQ(r.atoms.size(), atoms);
    if (residues > 0) {
      EXPECT_EQ(residueCount(r.atoms), residues);
    }
    for (std::size_t i = 0; i < r.atoms.size(); ++i) {
      ASSERT_STREQ(r.atoms[i].chainId, chain);
      ASSERT_TRUE(isStandardBase(r.atoms[i].residueName));
      if (i > 0) {
        ASSERT_LT(compareAtoms(r.atoms[i - 1], r.atoms[i]), 0) << "unsorted or repeated at " << i;
      }
    }
  }
}

// Number and letter of each residue read.
std::string residueLetters(const std::vector<AtomInfo>& atoms) {
  std::string text;
  for (std::size_t i = 0; i < atoms.size(); ++i)
    if (i == 0 || atoms[i].resSeqNo != atoms[i - 1].resSeqNo)
      text += std::to_string(atoms[i].resSeqNo) + atoms[i].residueName + " ";
  return text;
}

// A loop as some programs write it: no group_PDB, quoted atom names, author
// chains "AA" and "A" (label chains B and A), a water row.
TEST(CifReader, LoopWithoutGroupAndChainsOfSeveralCharacters) {
  const std::string folder = test::fixturePath("chains") + "/";
  const std::tuple<const char*, std::size_t, std::string> cases[] = {
      {"AA", 40, "1G 2G 3C 4C "}, {"A", 22, "1G 2G "}, {"B", 0, ""}, {"AAA", 0, ""}};
  for (const auto& [chain, atoms, residues] : cases) {
    SCOPED_TRACE(chain);
    Read r = readFrom(folder, "9AAA", chain);
    EXPECT_EQ(r.ok, atoms > 0);
    EXPECT_EQ(r.atoms.size(), atoms);
    EXPECT_EQ(residueLetters(r.atoms), residues);
    EXPECT_EQ(r.refine.noOfAtoms, 63);
    for (const AtomInfo& a : r.atoms) ASSERT_STREQ(a.chainId, chain);
  }
  EXPECT_EQ(listed(readFrom(folder, "9AAA", "AA").atoms).rfind("1 C1'(3.37 0.2 20) 1 C2(", 0), 0u);
}

std::string hetatm(const char* residue, int number) {
  return "HETATM" + atomLine("P", ' ', residue, 'A', number, ' ', 1).substr(6);
}

// Residue 2 (XYZ) has its parent from the file only (even when SEQRES leaves
// it out); PSU and 2MG from the built-in table; ADE (a ligand outside the
// sequence) and water stay out.
TEST(ModifiedNucleotides, ParentsFromTheFileTheTableAndTheSequence) {
  const std::string pdb = "SEQRES   1 A    4    G PSU 2MG\nMODRES 1ABC XYZ A    2    A  MADE UP\n" +
                          atomLine("P", ' ', "  G", 'A', 1, ' ', 1) + hetatm("XYZ", 2) + hetatm("PSU", 3) +
                          hetatm("2MG", 4) + hetatm("ADE", 90) + hetatm("HOH", 91);
  const std::string cif =
      "data_1ABC\nloop_\n_atom_site.group_PDB\n_atom_site.label_atom_id\n_atom_site.label_comp_id\n"
      "_atom_site.label_asym_id\n_atom_site.label_seq_id\n_atom_site.Cartn_x\n_atom_site.Cartn_y\n"
      "_atom_site.Cartn_z\n_atom_site.auth_seq_id\n_atom_site.auth_asym_id\n"
      "ATOM P G A 1 1 2 3 1 A\nHETATM P XYZ A 2 1 2 3 2 A\nHETATM P PSU A 3 1 2 3 3 A\nATOM P 2MG A 4 1 2 3 4 A\n"
      "HETATM P ADE B . 1 2 3 90 A\nHETATM O HOH C . 1 2 3 91 A\n#\nloop_\n_pdbx_struct_mod_residue.id\n"
      "_pdbx_struct_mod_residue.label_comp_id\n_pdbx_struct_mod_residue.parent_comp_id\n"
      "_pdbx_struct_mod_residue.details\n1 XYZ A\n;made\nup\n;\n#\n";
  const std::tuple<std::string, const char*, bool, std::string> cases[] = {
      {pdb, "T1.pdb", true, "1G 2A 3U 4G "}, {pdb, "T1.pdb", false, "1G "},
      {cif, "T1.cif", true, "1G 2A 3U 4G "}, {cif, "T1.cif", false, "1G "},
  };
  for (const auto& [text, name, modified, residues] : cases) {
    SCOPED_TRACE(std::string(name) + (modified ? " modified" : ""));
    Read r = readText(text, name, "A", {modified, 0});
    EXPECT_EQ(residueLetters(r.atoms), residues);
    EXPECT_EQ(r.refine.noOfAtoms, 6);
    EXPECT_EQ(r.out, "");
  }
}

// tRNA-Phe holds 14 modified residues (6TNA writes Wybutosine as " YG");
// 1Y26's free adenine (HETATM ADE of chain X) is a ligand, not a residue.
TEST(RealStructures, ModifiedNucleotidesAreReadAsTheirParent) {
  BEXORA_REQUIRE_REALDATA();
  const std::tuple<const char*, const char*, const char*, bool, int> cases[] = {
      {"1EHZ", "pdb", "A", true, 76}, {"1EHZ", "cif", "A", true, 76}, {"1EHZ", "pdb", "A", false, 62},
      {"6TNA", "pdb", "A", true, 76}, {"1Y26", "pdb", "X", true, 71}, {"1Y26", "cif", "X", true, 71},
  };
  for (const auto& [id, format, chain, modified, residues] : cases) {
    SCOPED_TRACE(std::string(id) + "." + format + (modified ? " modified" : ""));
    Read r = readReal(id, chain, format, {modified, 0});
    EXPECT_EQ(residueCount(r.atoms), residues);
    for (std::size_t i = 1; i < r.atoms.size(); ++i) ASSERT_LT(compareAtoms(r.atoms[i - 1], r.atoms[i]), 0);
  }
  // Residue 39 of 1EHZ is PSU, a U with all its base atoms.
  std::string psu;
  for (const AtomInfo& a : readReal("1EHZ", "A", "pdb", {true, 0}).atoms)
    if (a.resSeqNo == 39) psu += std::string(1, a.residueName) + a.atomName + " ";
  EXPECT_NE(psu.find("UC1' "), std::string::npos) << psu;
  EXPECT_NE(psu.find("UN1 "), std::string::npos) << psu;
}

}  // namespace
}  // namespace bexora
