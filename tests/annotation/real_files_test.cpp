// Every real annotation file of the shared corpus, read with the count of
// the chain's pairs that a reading of the file by hand (awk over its pair
// list) gives, and with the reason for each kind of line not taken.
#include <gtest/gtest.h>

#include <string>

#include "annotation/clarna.h"
#include "annotation/dssr.h"
#include "annotation/fr3d.h"
#include "annotation/mc_annotate.h"
#include "annotation/rnaview.h"
#include "test_support.h"

namespace bexora {
namespace {

struct RealFile {
  int method;
  const char* file;  // under ../shared/realdata/
  const char* chain;
  std::size_t pairs;
  const char* layout;
  std::size_t skipped;  // lines of the layout that fit none of its patterns
  const char* notTaken;  // why the other lines give no pair
};

const RealFile kFiles[] = {
    {kDssr, "formats/dssr/ribodraw-1gid/1gid_RNAA.pdb.dssr.out", "A", 80, "dssr-text", 0,
     "81 listed; tW. has no S/H/W edge"},
    {kDssr, "formats/dssr/ribodraw-1gid/1gid_RNAA.pdb.dssr.idstrlong.out", "A", 80, "dssr-text", 0,
     "the same run, long ids"},
    {kDssr, "formats/dssr/ribodraw-1gid/tablePairs.csv", "A", 80, "dssr-csv", 0, "the same run, web export"},
    {kDssr, "formats/dssr/ribodraw-4ybb-ptc/4ybb_PTC.pdb.dssr.out", "C", 135, "dssr-text", 0,
     "139 listed; tW., t.H, c.W, t.W"},
    {kDssr, "formats/dssr/urslib2-6ugg/6ugg.out1", "A", 33, "dssr-text", 0,
     "67 listed: 33 of chain B, one tW.; 5 --more lines after each pair"},
    {kDssr, "formats/dssr/urslib2-6ugg/6ugg.out1", "B", 32, "dssr-text", 0, "as for chain A"},
    {kDssr, "formats/dssr/rnamake-p4p6/p4p6_dssr.out", "A", 68, "dssr-text", 0,
     "77 listed; 9 classes with '.' edges (..., c.S, tW.); 23 blank names"},
    {kDssr, "formats/dssr/rnamake-trmin/tetraloop_receptor_min_dssr.out", "A", 15, "dssr-text", 0,
     "16 listed; one ..."},
    {kDssr, "formats/dssr/json-forgi-1j1u/1J1U.json", "B", 35, "dssr-json", 0, "37 listed; 2 without S/H/W edges"},
    {kDssr, "formats/dssr/json-rnapolis-1a4d/1A4D_1_A-B-dssr.json", "A", 0, "dssr-json", 0, "all 19 pairs are A-B"},
    {kDssr, "formats/dssr/cssr-repo/output.dssr", "A", 0, "dssr-text", 51, "no chain in the ids (C4): not DSSR's"},
    {kFr3d, "formats/fr3d/rnapolis-1a4d/1A4D_1_A-B-basepair_detail.txt", "A", 0, "fr3d-python", 0,
     "all 17 pairs are A-B; near pairs"},
    {kFr3d, "formats/fr3d/rnapolis-184d/184D-fr3d.txt", "A", 0, "fr3d-python", 0,
     "cWW partners are symmetry mates (A-2); csS only near; stackings"},
    {kFr3d, "formats/fr3d/listing-fr3d73/1Y26_interactions_FR3D.txt", "X", 35, "fr3d-export", 0,
     "70 family lines, each pair from both sides; stacking, backbone, BPh, BR"},
    {kFr3d, "formats/fr3d/listing-fr3d73/1GID_interactions_FR3D.txt", "A", 73, "fr3d-export", 0, "8 lines A-B"},
    {kFr3d, "formats/fr3d/listing-fr3d73/1GID_interactions_FR3D.txt", "B", 76, "fr3d-export", 0, "as for chain A"},
    {kFr3d, "generated/1EHZ/fr3d_raw/1EHZ_basepair.txt", "A", 30, "fr3d-python", 0,
     "64 lines: each pair from both sides; 2 near pairs (ncSW, ntSH)"},
    {kFr3d, "generated/1EVV/fr3d_raw/1EVV_basepair.txt", "A", 29, "fr3d-python", 0, "3 near pairs"},
    {kFr3d, "generated/1GID/fr3d_raw/1GID_basepair.txt", "A", 69, "fr3d-python", 0, "A-B pairs, near pairs"},
    {kFr3d, "generated/1GID/fr3d_raw/1GID_basepair.txt", "B", 70, "fr3d-python", 0, "A-B pairs, near pairs"},
    {kFr3d, "generated/1TRA/fr3d_raw/1TRA_basepair.txt", "A", 29, "fr3d-python", 0, "3 near pairs"},
    {kFr3d, "generated/354D/fr3d_raw/354D_basepair.txt", "B", 0, "fr3d-python", 0, "every pair is A-B"},
    {kFr3d, "generated/3JBV/fr3d_raw/3JBV_basepair.txt", "A", 449, "fr3d-python", 0, "168 near pairs"},
    {kFr3d, "generated/488D/fr3d_raw/488D_basepair.txt", "B", 0, "fr3d-python", 0, "B-A pairs; B-B only near"},
    {kFr3d, "generated/488D/fr3d_raw/488D_basepair.txt", "D", 3, "fr3d-python", 0, "D-C pairs, near pairs"},
    {kFr3d, "generated/4QK8/fr3d_raw/4QK8_basepair.txt", "A", 44, "fr3d-python", 0, "5 near pairs"},
    {kFr3d, "generated/4QLM/fr3d_raw/4QLM_basepair.txt", "A", 47, "fr3d-python", 0, "1 near pair"},
    {kFr3d, "generated/4QLN/fr3d_raw/4QLN_basepair.txt", "A", 47, "fr3d-python", 0, "3 near pairs"},
    {kFr3d, "generated/4QLN/from_cif/fr3d_raw/4QLN_basepair.txt", "A", 46, "fr3d-python", 0,
     "110 lines of symmetry copies (9th field 3_554); 3 near pairs"},
    {kFr3d, "generated/6TNA/fr3d_raw/6TNA_basepair.txt", "A", 29, "fr3d-python", 0, "2 near pairs"},
    {kClaRna, "formats/clarna/rnatools-1evv-decoys/1evv_A_clust01-000001_AA.pdb.outCR", "A", 30, "clarna-text", 0,
     "73 stacking rows (>>, <>, <<) after a blank line"},
    {kClaRna, "formats/clarna/rnatools-4ds6/example_4ds6_clarna.pdb.outCR", "A", 162, "clarna-text", 0,
     "none; negative numbers, CR LF"},
    {kClaRna, "formats/clarna/rnatools-example/example.pdb.outCR", "A", 19, "clarna-text", 0, "8 A-B pairs"},
    {kClaRna, "formats/clarna/rnatools-nobps/3e5fa_no_bps.pdb.outCR", "A", 0, "clarna-text", 0, "no pair listed"},
    {kMcAnnotate, "formats/mca/forgi-rs118/RS_118_S_0.pdb_None.temp.pdb.mcAnnotate.out", "A", 75, "mc-annotate", 0,
     "none"},
    {kMcAnnotate, "formats/mca/forgi-ideal/ideal_1_4_5_8.pdb_None.temp.pdb.mcAnnotate.out", "A", 4, "mc-annotate", 0,
     "none"},
    {kRnaView, "formats/rnaview/rnaview-1efw/1EFW.cif.out", "C", 47, "rnaview", 0, "stacked lines; chain D"},
    {kRnaView, "formats/rnaview/rnaview-1efw/1EFW.cif.out", "D", 44, "rnaview", 0, "stacked lines; chain C"},
    {kRnaView, "formats/rnaview/rnaview-4arc/4ARC.cif.out", "B", 31, "rnaview", 0,
     "stacked lines; four pairs among residues 47 and its insertion codes, which RNAView does not write, read as "
     "pairs of a residue with itself"},
    {kRnaView, "formats/rnaview/rnaview-tr0001/tr0001.pdb.out", "A", 39, "rnaview", 0, "stacked lines"},
};

bool readFile(const RealFile& file, AnnotationOutput& out, const Reporter& reporter) {
  const std::string path = test::realDataPath(file.file);
  switch (file.method) {
    case kMcAnnotate: return readMCAnnotateOutput(path, file.chain, out, reporter);
    case kRnaView: return readRNAViewOutput(path, file.chain, out, reporter);
    case kFr3d: return readFR3DOutput(path, "RUN", file.chain, out, reporter);
    case kDssr: return readDSSROutput(path, "RUN", file.chain, out, reporter);
    default: return readClaRNAOutput(path, "RUN", file.chain, out, reporter);
  }
}

TEST(RealAnnotationFiles, EveryFileGivesItsCountAndNoEmptyResultGoesUnwarned) {
  BEXORA_REQUIRE_REALDATA();
  for (const RealFile& file : kFiles) {
    AnnotationOutput out;
    std::string printed;
    ASSERT_TRUE(readFile(file, out, collectingReporter(printed))) << file.file;
    EXPECT_EQ(out.pairs.size(), file.pairs) << file.file << " " << file.chain << ": " << file.notTaken;
    EXPECT_EQ(out.layout, file.layout) << file.file;
    EXPECT_EQ(out.skippedLines, file.skipped) << file.file;
    const bool warnedEmpty = printed.find("gives no base pair of chain") != std::string::npos;
    EXPECT_EQ(warnedEmpty, file.pairs == 0) << file.file << "\n" << printed;
  }
}

}  // namespace
}  // namespace bexora
