#include "mapping/annotation_writer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "mapping/mapping.h"
#include "mapping/pair_fixtures.h"
#include "test_support.h"
#include "util/pair_formats.h"

namespace bexora {
namespace {

using test::readFile;
using test::TempDir;

using test::makePair;

std::vector<BPInfo> samplePairs() {
  return {makePair(45, 50, 'A', 'A', "H", "S", 't', kSourceBexora),
          makePair(12, 45, 'G', 'C', "W", "W", 'c', kSourceBoth),
          makePair(3, 20, 'A', 'U', "W", "W", 'c', kSourceTool)};
}

std::vector<std::string> lines(const std::string& text) {
  std::vector<std::string> result;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) result.push_back(line);
  return result;
}

// The output files of one call in a scratch output folder.
struct Output {
  TempDir dir;
  std::string annotation = dir.file("3V2F_A.mca.bexora");
  std::string sourceTags = dir.file("BP_Src/3V2F_A.mca.bexora.bpsrc");
  WriteSummary summary;

  bool write(int method, std::vector<BPInfo> pairs, bool origFormat, const std::vector<std::string>& kept = {}) {
    return printAcceptedBPInteractions(annotation, sourceTags, "3V2F", method, true, kept, pairs, origFormat, &summary);
  }
};

TEST(SourceTag, ByProvenanceThenTool) {
  struct Case {
    int method, source;
    const char* tag;
  };
  const std::vector<Case> cases = {{kRnaView, kSourceBoth, "  Both\n"},
                                   {kFr3d, kSourceBexora, "  Bexora\n"},
                                   {kFr3d, 0, "  FR3D\n"},
                                   {kClaRna, 0, "  ClaRNA\n"},
                                   {7, 0, "  Undefined Method\n"}};
  for (const auto& c : cases) {
    std::string out;
    printBpSrc(out, c.method, c.source);
    EXPECT_EQ(out, c.tag);
  }
}

TEST(AnnotationWriter, BexoraLinesSortedAndTagged) {
  Output output;
  ASSERT_TRUE(output.write(kDssr, samplePairs(), true));
  std::vector<std::string> annotation = lines(readFile(output.annotation));
  ASSERT_EQ(annotation.size(), 3u);
  EXPECT_EQ(annotation[0], formatPairBexora(samplePairs()[2]));
  EXPECT_EQ(annotation[1], "A12-A45 : G-C W/W cis");
  EXPECT_EQ(annotation[2], formatPairBexora(samplePairs()[0]));
  EXPECT_EQ(lines(readFile(output.sourceTags)),
            (std::vector<std::string>{annotation[0] + "  DSSR", annotation[1] + "  Both", annotation[2] + "  Bexora"}));
  EXPECT_EQ(output.summary.pairs, 3);
  EXPECT_EQ(output.summary.both, 1);
  EXPECT_EQ(output.summary.bexora, 1);
  EXPECT_EQ(output.summary.own, 1);
}

TEST(AnnotationWriter, MCAnnotateLayoutKeepsTheTargetSections) {
  Output output;
  const std::vector<std::string> kept = {"  Residue conformations -------", "", "A3 : A C3p_endo anti", "   ",
                                         "\tAdjacent stackings ----------"};
  ASSERT_TRUE(output.write(kMcAnnotate, samplePairs(), true, kept));
  const std::string title = "Base-pairs ------------------------------------------------------";
  std::vector<BPInfo> sorted = {samplePairs()[2], samplePairs()[1], samplePairs()[0]};
  std::vector<std::string> expected = {"Residue conformations -------", "A3 : A C3p_endo anti",
                                       "Adjacent stackings ----------", title};
  for (const BPInfo& pair : sorted) expected.push_back(formatPairMCAnnotate(pair));
  EXPECT_EQ(lines(readFile(output.annotation)), expected);

  std::vector<std::string> tagged = lines(readFile(output.sourceTags));
  ASSERT_EQ(tagged.size(), expected.size());
  const std::vector<std::string> tags = {"  MC-Annotate", "  MC-Annotate", "  MC-Annotate", "",
                                         "  MC-Annotate", "  Both",        "  Bexora"};
  for (std::size_t i = 0; i < tagged.size(); ++i) EXPECT_EQ(tagged[i], expected[i] + tags[i]);
}

TEST(AnnotationWriter, RNAViewLayoutFramesThePairs) {
  Output output;
  const std::vector<std::string> kept = {"      3_4, A:     3 A-A     4 A: stacked"};
  std::vector<BPInfo> pairs = {samplePairs()[1]};
  ASSERT_TRUE(output.write(kRnaView, pairs, true, kept));
  const std::string pairLine = formatPairRNAView(pairs[0]);
  EXPECT_EQ(readFile(output.annotation),
            "PDB data file name: 3V2F.pdb\nBEGIN_base-pair\n3_4, A:     3 A-A     4 A: stacked\n" + pairLine +
                "\nEND_base-pair\n");
  EXPECT_EQ(readFile(output.sourceTags),
            "PDB data file name: 3V2F.pdb\nBEGIN_base-pair\n3_4, A:     3 A-A     4 A: stacked  RNAView\n" + pairLine +
                "  Both\nEND_base-pair\n");
}

TEST(AnnotationWriter, EmptyAcceptedListKeepsTheSections) {
  Output mc;
  ASSERT_TRUE(mc.write(kMcAnnotate, {}, true, {"Residue conformations -------"}));
  EXPECT_EQ(readFile(mc.annotation),
            "Residue conformations -------\nBase-pairs ------------------------------------------------------\n");
}

std::vector<std::string> folderEntries(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) names.push_back(entry.path().filename());
  return names;
}

TEST(AnnotationWriter, FailureWritesNothing) {
  TempDir dir;
  std::vector<BPInfo> pairs = samplePairs();
  std::string missing = dir.file("absent/x.mca.bexora");
  testing::internal::CaptureStdout();
  EXPECT_FALSE(printAcceptedBPInteractions(missing, dir.file("absent/BP_Src/x.bpsrc"), "3V2F", kMcAnnotate, true, {},
                                           pairs, false));
  EXPECT_EQ(testing::internal::GetCapturedStdout(), missing + " file could not be created\n");

  // The source-tag file fails: the annotation file is not left behind either.
  std::string tags = dir.file("deep/BP_Src/x.bpsrc");
  testing::internal::CaptureStdout();
  EXPECT_FALSE(
      printAcceptedBPInteractions(dir.file("x.mca.bexora"), tags, "3V2F", kMcAnnotate, true, {}, pairs, false));
  EXPECT_EQ(testing::internal::GetCapturedStdout(), tags + " file could not be created\n");
  EXPECT_TRUE(folderEntries(dir.path()).empty());
}

TEST(AnnotationWriter, ChainMappedOntoItselfWritesTheToolsOwnPairs) {
  std::vector<BPInfo> own = {makePair(4, 9, 'C', 'G', "S", "W", 'c'), makePair(1, 12, 'G', 'C', "W", "W", 'c'),
                             makePair(3, 10, 'A', 'U', "H", "W", 't'), makePair(3, 10, 'A', 'U', "W", "W", 'c')};
  std::array<std::vector<AtomInfo>, kSides> atoms;
  std::array<std::vector<BPInfo>, kSides> lists = {own, own};
  MappingState state;
  mapBasePairs(atoms, test::identityMap("GGACAAAAGUUC", 0.2, 0.3), lists, true, MappingLogs{}, state);
  Output output;
  ASSERT_TRUE(output.write(kFr3d, state.basePairAccepted, false));

  sortByPairId(own);
  std::vector<std::string> ownLines, taggedLines;
  for (const BPInfo& pair : own) {
    ownLines.push_back(formatPairBexora(pair));
    taggedLines.push_back(ownLines.back() + "  Both");
  }
  std::vector<std::string> written = lines(readFile(output.annotation));
  std::sort(written.begin(), written.end());
  std::sort(ownLines.begin(), ownLines.end());
  EXPECT_EQ(written, ownLines);
  std::vector<std::string> tagged = lines(readFile(output.sourceTags));
  std::sort(tagged.begin(), tagged.end());
  std::sort(taggedLines.begin(), taggedLines.end());
  EXPECT_EQ(tagged, taggedLines);
  EXPECT_EQ(output.summary.both, 4);
}

}  // namespace
}  // namespace bexora
