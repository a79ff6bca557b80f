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

// The target's kept pairs are listed among the assessed ones, all by pair id.
TEST(AnnotationWriter, BexoraLinesSortedAndTagged) {
  Output output;
  ASSERT_TRUE(output.write(kDssr, {kPairs[0], kPairs[1]}, true, {}, {kPairs[2]}));
  std::vector<std::string> annotation = textLines(readFile(output.annotation));
  EXPECT_EQ(annotation, (std::vector<std::string>{formatPairBexora(kPairs[2]), "A12-A45 : G-C W/W cis",
                                                  formatPairBexora(kPairs[0])}));
  ASSERT_EQ(annotation.size(), 3u);
  EXPECT_EQ(textLines(readFile(output.sourceTags)),
            (std::vector<std::string>{annotation[0] + "  DSSR", annotation[1] + "  Both", annotation[2] + "  Bexora"}));
  const WriteSummary& s = output.summary;
  EXPECT_EQ(std::make_tuple(s.pairs, s.both, s.bexora, s.own), std::make_tuple(3, 1, 1, 1));
}

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

// What a write that must fail reports.
std::string failedWrite(const std::string& annotation, const std::string& sourceTags) {
  std::string messages;
  EXPECT_FALSE(printAcceptedBPInteractions(annotation, sourceTags, "3V2F", kMcAnnotate, {}, kPairs, {}, false,
                                           collectingReporter(messages)));
  return messages;
}

TEST(AnnotationWriter, FailureWritesNothing) {
  test::TempDir dir;
  const std::string missing = dir.file("absent/x.mca.bexora"), tags = dir.file("deep/BP_Src/x.bpsrc");
  EXPECT_EQ(failedWrite(missing, dir.file("absent/BP_Src/x.bpsrc")), missing + " file could not be created\n");
  // The source-tag file fails: the annotation file is not left behind either.
  EXPECT_EQ(failedWrite(dir.file("x.mca.bexora"), tags), tags + " file could not be created\n");
  EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
}

std::vector<std::string> sortedLines(const std::string& path) {
  std::vector<std::string> result = textLines(readFile(path));
  std::sort(result.begin(), result.end());
  return result;
}

TEST(AnnotationWriter, ChainMappedOntoItselfWritesTheToolsOwnPairs) {
  const std::vector<BPInfo> own = {makePair(4, 9, "CG", "S/W"), makePair(1, 12, "GC", "W/W"),
                                   makePair(3, 10, "AU", "H/W", 't'), makePair(3, 10, "AU", "W/W")};
  const std::vector<AtomInfo> noAtoms;
  std::array<std::vector<BPInfo>, kSides> lists = {own, own};
  MappingState state;
  test::setDpi(state, 0.2, 0.3);
  mapBasePairs({&noAtoms, &noAtoms}, test::identityMap("GGACAAAAGUUC"), lists, true, state, Reporter());
  Output output;
  ASSERT_TRUE(output.write(kFr3d, state.assessedPairs, false, {}, state.keptTargetPairs));

  std::vector<std::string> ownLines, taggedLines;
  for (const BPInfo& pair : own) ownLines.push_back(formatPairBexora(pair));
  std::sort(ownLines.begin(), ownLines.end());
  for (const std::string& line : ownLines) taggedLines.push_back(line + "  Both");
  EXPECT_EQ(sortedLines(output.annotation), ownLines);
  EXPECT_EQ(sortedLines(output.sourceTags), taggedLines);
  EXPECT_EQ(output.summary.both, 4);
}

}  // namespace
}  // namespace bexora
