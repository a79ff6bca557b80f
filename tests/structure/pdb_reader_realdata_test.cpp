// Reading the real structures of the shared corpus: quality records, chain
// selection, modified residues, insertion codes, models and alternate sites.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "structure/pdb_reader.h"
#include "test_support.h"

namespace bexora {
namespace {

struct Loaded {
  bool ok = false;
  RefineInfo refine;
  std::vector<AtomInfo> atoms;
  StructureFileInfo info;
};

Loaded load(const std::string& folder, const std::string& id, const std::string& chain) {
  Loaded loaded;
  loaded.ok = readPDBFile(test::realDataPath(folder) + "/", id, loaded.refine, chain, loaded.atoms, &loaded.info);
  return loaded;
}

int residueCount(const std::vector<AtomInfo>& atoms) {
  std::set<std::tuple<std::string, int, char>> residues;
  for (const AtomInfo& a : atoms) residues.insert({a.chainId, a.resSeqNo, a.iCode});
  return static_cast<int>(residues.size());
}

struct QualityCase {
  const char* folder;
  const char* id;
  const char* format;
  double resolution, freeR, completeness;
  int reflections, atomLines;
  double dpi;
};

// Each dpi is sqrt(atomLines / reflections) * freeR * resolution * completeness^(-1/3), with
// the values taken by hand from the header lines:
//  1Y26.pdb: REMARK 3 completeness 97.7, bin 89.90, REMARK 200 97.8 -> largest 0.978;
//            sqrt(1608/11230) = 0.37840, * 0.297 * 2.10 = 0.23600, / 0.978^(1/3) = 0.99261 -> 0.23777
//  1Y26.cif: freeR min(0.29733, shell 0.504); reflections max(11832, 11230); completeness
//            max(0.978, 0.9766): sqrt(1608/11832) = 0.36865 * 0.29733 * 2.10 / 0.99261 -> 0.23189
//  1EHZ.pdb: completeness max(0.889, 0.965): sqrt(1821/15371) = 0.34420 * 0.253 * 1.93 / 0.98820 -> 0.17007
//  1EHZ.cif: reflections max(19877, 15371): sqrt(1821/19877) = 0.30268 * 0.253 * 1.93 / 0.98820 -> 0.14956
//  4QLN.pdb: REMARK 200 gives 1.0 % (0.01), REMARK 3 99.4 wins: sqrt(2710/13780) = 0.44346 * 0.290 * 2.65
//            / 0.99799 -> 0.34149
//  4GV9.pdb: the bin completeness 100.00 is the largest: sqrt(1778/8461) = 0.45842 * 0.305 * 2.46 -> 0.34395
//  6TNA: free R and completeness NULL; 1BYJ: resolution not applicable; 3J7A: no free R -> 0.
const QualityCase kQuality[] = {
    {"1Y26", "1Y26", "pdb", 2.10, 0.297, 0.978, 11230, 1608, 0.23777},
    {"1Y26", "1Y26", "cif", 2.10, 0.29733, 0.978, 11832, 1608, 0.23189},
    {"1EHZ", "1EHZ", "pdb", 1.93, 0.253, 0.965, 15371, 1821, 0.17007},
    {"1EHZ", "1EHZ", "cif", 1.93, 0.253, 0.965, 19877, 1821, 0.14956},
    {"4QLN", "4QLN", "pdb", 2.65, 0.290, 0.994, 13780, 2710, 0.34149},
    {"4GV9", "4GV9", "pdb", 2.46, 0.305, 1.0, 8461, 1778, 0.34395},
    {"6TNA", "6TNA", "pdb", 2.70, 0, 0, 8426, 1740, 0},
    {"1BYJ", "1BYJ", "pdb", 0, 0, 0, 0, 35606, 0},
    {"3J7A", "3J7A", "pdb", 3.20, 0, 0, 0, 44228, 0},
};

TEST(RealStructures, QualityAndDpi) {
  BEXORA_REQUIRE_REALDATA();
  for (const QualityCase& c : kQuality) {
    SCOPED_TRACE(std::string(c.id) + "." + c.format);
    Loaded loaded;
    std::string cifOnly = std::string(c.format) == "cif" ? "cif-only" : "";
    if (cifOnly.empty()) {
      loaded = load(c.folder, c.id, "A");
    } else {
      // The .pdb sits next to the .cif; read the .cif through a folder of its own.
      test::TempDir dir;
      test::writeFile(dir.file(std::string(c.id) + ".cif"),
                      test::readFile(test::realDataPath(std::string(c.folder) + "/" + c.id + ".cif")));
      loaded.ok = readPDBFile(dir.path() + "/", c.id, loaded.refine, "A", loaded.atoms, &loaded.info);
    }
    ASSERT_TRUE(loaded.ok);
    EXPECT_EQ(loaded.info.format, c.format);
    EXPECT_NEAR(loaded.refine.resolution, c.resolution, 1e-9);
    EXPECT_NEAR(loaded.refine.freeRValue, c.freeR, 1e-9);
    EXPECT_NEAR(loaded.refine.completeness, c.completeness, 1e-9);
    EXPECT_EQ(loaded.refine.noOfReflections, c.reflections);
    EXPECT_EQ(loaded.refine.noOfAtoms, c.atomLines);
    EXPECT_NEAR(loaded.refine.dpi, c.dpi, 5e-5);
  }
}

struct ChainCase {
  const char* folder;
  const char* chain;
  std::size_t atoms;
  int residues;
};

// Expected counts are those of the ATOM lines of the chain with a one-letter
// residue name A, C, G or U (first model, first alternate site).
const ChainCase kChains[] = {
    {"1Y26", "X", 1499, 71}, {"4GV9", "E", 66, 3},     {"3J7A", "7", 1571, 74},
    {"1EHZ", "A", 1329, 62}, {"1BYJ", "A", 867, 27},   {"4QLN", "A", 2514, 0},
    {"1FJG", "A", 4139, 0},  {"1Y26", "Q", 0, 0},
};

TEST(RealStructures, ChainSelection) {
  BEXORA_REQUIRE_REALDATA();
  for (const ChainCase& c : kChains) {
    SCOPED_TRACE(std::string(c.folder) + " chain " + c.chain);
    Loaded loaded = load(c.folder, c.folder, c.chain);
    ASSERT_TRUE(loaded.ok);
    EXPECT_EQ(loaded.atoms.size(), c.atoms);
    if (c.residues > 0) {
      EXPECT_EQ(residueCount(loaded.atoms), c.residues);
    }
    for (const AtomInfo& a : loaded.atoms) {
      ASSERT_STREQ(a.chainId, c.chain);
      ASSERT_TRUE(isRNAInfo(a.residueName));
    }
    for (std::size_t i = 1; i < loaded.atoms.size(); ++i)
      ASSERT_LT(compareAtoms(loaded.atoms[i - 1], loaded.atoms[i]), 0) << "unsorted or repeated at " << i;
  }
}

TEST(RealStructures, ModifiedResiduesAbsentButCounted) {
  BEXORA_REQUIRE_REALDATA();
  Loaded loaded = load("1EHZ", "1EHZ", "A");
  std::set<int> numbers;
  for (const AtomInfo& a : loaded.atoms) numbers.insert(a.resSeqNo);
  for (int modified : {10, 16, 17, 26, 32, 34, 37, 39, 40, 46, 49, 54, 55, 58})
    EXPECT_EQ(numbers.count(modified), 0u) << modified;
  EXPECT_EQ(loaded.refine.noOfAtoms, 1821);  // 1329 ATOM + 492 HETATM lines
}

TEST(RealStructures, InsertionCodesFollowTheirNumber) {
  BEXORA_REQUIRE_REALDATA();
  Loaded loaded = load("1FJG", "1FJG", "A");
  std::string order;
  int last = -1;
  char lastCode = 0;
  for (const AtomInfo& a : loaded.atoms) {
    if (a.resSeqNo < 190 || a.resSeqNo > 191 || (a.resSeqNo == last && a.iCode == lastCode)) continue;
    order += std::to_string(a.resSeqNo) + (a.iCode == ' ' ? "" : std::string(1, a.iCode)) + ",";
    last = a.resSeqNo;
    lastCode = a.iCode;
  }
  EXPECT_EQ(order, "190,190A,190B,190C,190D,190E,190F,190G,190H,190I,190J,190K,190L,191,");
}

TEST(RealStructures, FirstAlternateSiteKept) {
  BEXORA_REQUIRE_REALDATA();
  Loaded loaded = load("4QLN", "4QLN", "A");
  // ATOM 321 'P  A  A A  18' (9.862, -60.924, -29.644) precedes its B site.
  for (const AtomInfo& a : loaded.atoms) {
    if (a.resSeqNo != 18 || std::string(a.atomName) != "P") continue;
    EXPECT_DOUBLE_EQ(a.x, 9.862);
    EXPECT_DOUBLE_EQ(a.occupancy, 0.56);
    return;
  }
  FAIL() << "atom P of residue 18 missing";
}

TEST(RealStructures, MmcifUsesAuthorNumbering) {
  BEXORA_REQUIRE_REALDATA();
  test::TempDir dir;
  test::writeFile(dir.file("1Y26.cif"), test::readFile(test::realDataPath("1Y26/1Y26.cif")));
  Loaded fromCif;
  ASSERT_TRUE(readPDBFile(dir.path() + "/", "1Y26", fromCif.refine, "X", fromCif.atoms));
  Loaded fromPdb = load("1Y26", "1Y26", "X");
  ASSERT_EQ(fromCif.atoms.size(), fromPdb.atoms.size());
  for (std::size_t i = 0; i < fromPdb.atoms.size(); ++i) {
    ASSERT_EQ(compareAtoms(fromCif.atoms[i], fromPdb.atoms[i]), 0) << i;
    ASSERT_DOUBLE_EQ(fromCif.atoms[i].z, fromPdb.atoms[i].z) << i;
  }
}

}  // namespace
}  // namespace bexora
