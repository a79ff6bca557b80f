#include "output/annotation_writer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <tuple>
#include <vector>

#include "mapping/mapping.h"
#include "mapping/pair_fixtures.h"
#include "test_support.h"
#include "text_fields.h"
#include "annotation/pair_formats.h"

namespace bexora {
namespace {

using test::makePair;
using test::readFile;

const std::vector<BPInfo> kPairs = {makePair(45, 50, "AA", "H/S", 't', kSourceBexora),
                                    makePair(12, 45, "GC", "W/W", 'c', kSourceBoth),
                                    makePair(3, 20, "AU", "W/W", 'c', kSourceTool)};

using test::textLines;

// The output files of one call in a scratch output folder.
struct Output {
  test::TempDir dir;
  std::string annotation = dir.file("3V2F_A.mca.bexora");
  std::string sourceTags = dir.file("BP_Src/3V2F_A.mca.bexora.bpsrc");
  WriteSummary summary;

  bool write(int method, const std::vector<BPInfo>& assessed, bool origFormat,
             const std::vector<std::string>& keptLines = {}, const std::vector<BPInfo>& keptPairs = {}) {
    return printAcceptedBPInteractions(annotation, sourceTags, "3V2F", method, keptLines, assessed, keptPairs,
                                       origFormat, Reporter(), &summary);
  }
};

TEST(AnnotationWriter, MCAnnotateLayoutKeepsTheTargetSections) {
  const std::string title = "Base-pairs ------------------------------------------------------";
  Output empty;
  ASSERT_TRUE(empty.write(kMcAnnotate, {}, true, {"Residue conformations -------"}));
  EXPECT_EQ(readFile(empty.annotation), "Residue conformations -------\n" + title + "\n");

  Output output;
  const std::vector<std::string> kept = {"  Residue conformations -------", "", "A3 : A C3p_endo anti", "   ",
                                         "\tAdjacent stackings ----------"};
  ASSERT_TRUE(output.write(kMcAnnotate, kPairs, true, kept));
  std::vector<std::string> expected = {"Residue conformations -------", "A3 : A C3p_endo anti",
                                       "Adjacent stackings ----------", title};
  for (int i : {2, 1, 0}) expected.push_back(formatPairMCAnnotate(kPairs[i]));
  EXPECT_EQ(textLines(readFile(output.annotation)), expected);
  const std::string tags[] = {"  MC-Annotate", "  MC-Annotate", "  MC-Annotate", "",
                              "  MC-Annotate", "  Both",        "  Bexora"};
  for (std::size_t i = 0; i < expected.size(); ++i) expected[i] += tags[i];
  EXPECT_EQ(textLines(readFile(output.sourceTags)), expected);
}

TEST(AnnotationWriter, RNAViewLayoutFramesThePairs) {
  Output output;
  ASSERT_TRUE(output.write(kRnaView, {kPairs[1]}, true, {"      3_4, A:     3 A-A     4 A: stacked"}));
  const std::string head = "PDB data file name: 3V2F.pdb\nBEGIN_base-pair\n3_4, A:     3 A-A     4 A: stacked";
  const std::string pairLine = formatPairRNAView(kPairs[1]);
  EXPECT_EQ(readFile(output.annotation), head + "\n" + pairLine + "\nEND_base-pair\n");
  EXPECT_EQ(readFile(output.sourceTags), head + "  RNAView\n" + pairLine + "  Both\nEND_base-pair\n");
}

}  // namespace
}  // namespace bexora
