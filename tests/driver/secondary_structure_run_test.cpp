#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "mapping/dot_bracket_reading.h"
#include "test_support.h"

namespace bexora::test {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;

void expectFilesAgree(const std::string& annotation) {
  SCOPED_TRACE(annotation);
  std::vector<std::string> dbn = textLines(readFile(annotation + ".dbn"));
  ASSERT_GE(dbn.size(), 3u);
  EXPECT_EQ(dbn[1].size(), dbn[2].size());
  EXPECT_EQ(pairsOfBpseq(readFile(annotation + ".bpseq")), pairsOfBrackets(dbn[2]));
  EXPECT_THAT(readFile(annotation + ".svg"), HasSubstr("</svg>\n"));
}

// Real structures and RNAView outputs linked into an input folder.
std::string realInput(const TempDir& dir, const std::vector<std::string>& names) {
  makeDirs(dir.file("io_data/Input"));
  for (const std::string& name : names)
    fs::create_symlink(realDataPath(name), dir.file("io_data/Input/" + fs::path(name).filename().string()));
  return dir.file("io_data/Output/");
}

// The yeast tRNA-Phe cloverleaf with its tertiary G19-C56 pair in the second
// order (the run without options is pinned by the example). With
// --standard-only the modified residues have no atoms the reader keeps: those
// in pairs come from the pairs (RNAView's lower case and P, as their parent
// base), 34 and 37 are not in the sequence.
TEST(SecondaryStructureRun, TransferRnaCloverleafFromRealAnnotations) {
  BEXORA_REQUIRE_REALDATA();
  TempDir dir;
  std::string output = realInput(dir, {"generated/6TNA/6TNA.pdb", "generated/6TNA/6TNA.rv.out",
                                       "generated/1EHZ/1EHZ.pdb", "generated/1EHZ/1EHZ.rv.out", "pdb_seqres.na.fa"});
  RunResult r = runBexora({"6TNA", "A", "1EHZ", "A", "-M", "RV", "--2d", "--standard-only"}, dir.path());
  ASSERT_EQ(r.status, 0) << r.out;
  EXPECT_EQ(readFile(output + "1EHZ_A.rv.bexora.dbn"),
            ">1EHZ_A, RNAView annotation enhanced from 6TNA_A\n"
            "GCGGAUUUAGCUCAGUUGGGAGAGCGCCAGACUAAAUCUGGAGGUCCUGUGUUCGAUCCACAGAAUUCGCACCA\n"
            "(((((((..((((.....[..)))).(((((.....))))).....(((((..]....))))))))))))....\n");
  expectFilesAgree(output + "1EHZ_A.rv.bexora");
}

// The 16S rRNA of 3JBV: about 900 pairs in one diagram that renders.
TEST(SecondaryStructureRun, RibosomalRnaDiagramRenders) {
  BEXORA_REQUIRE_REALDATA();
  TempDir dir;
  std::string output = realInput(dir, {"generated/3JBV/3JBV.pdb", "generated/3JBV/3JBV.rv.out", "pdb_seqres.na.fa"});
  RunResult r = runBexora({"3JBV", "A", "3JBV", "A", "-M", "RV", "--2d"}, dir.path());
  ASSERT_EQ(r.status, 0) << r.out;
  std::string svg = output + "3JBV_A.rv.bexora.svg";
  EXPECT_THAT(readFile(svg), HasSubstr(">Both (890)</text>"));
  expectFilesAgree(output + "3JBV_A.rv.bexora");
  if (std::system("command -v rsvg-convert >/dev/null 2>&1") != 0)
    GTEST_SKIP() << "rsvg-convert (Debian librsvg2-bin) is absent; rendering not tested";
  EXPECT_EQ(std::system(("rsvg-convert -o " + dir.file("16S.png") + " " + svg).c_str()), 0);
}

}  // namespace
}  // namespace bexora::test
