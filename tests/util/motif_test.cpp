#include "util/motif.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "test_support.h"
#include "util/pair_formats.h"

namespace bexora {
namespace {

BPInfo makePair(const char* chain, int first, int second) {
  BPInfo pair = makeEmptyBPInfo();
  setField(pair.chainId[0], chain);
  setField(pair.chainId[1], chain);
  pair.resSeqNo[0] = first;
  pair.resSeqNo[1] = second;
  pair.nucleotide[0] = 'G';
  pair.nucleotide[1] = 'C';
  setField(pair.edge[0][0], "W");
  setField(pair.edge[0][1], "W");
  pair.edgeCount = 1;
  pair.orientation = 'c';
  return pair;
}

class MotifFiles : public ::testing::Test {
 protected:
  std::string folder() const { return dir_.path() + "/"; }
  std::string kinkTurn6() const {
    return folder() + "Motif_Segments/2B9N_A_Kink-Turn-6_25-28_582-582_512-515_MotifAnnotations.txt";
  }
  test::TempDir dir_;
  MotifState state;
};

TEST_F(MotifFiles, SetUpCreatesTheFolderAndFifteenEmptyFiles) {
  motifInitialization(state, folder());
  ASSERT_EQ(state.motifs.size(), 15u);
  EXPECT_TRUE(state.printMotifs);
  EXPECT_EQ(generateMotifFileName(folder(), state.motifs[0]), kinkTurn6());
  EXPECT_EQ(generateMotifFileName("./io_data/Output/", state.motifs[13]),
            "./io_data/Output/Motif_Segments/2B9N_A_Reverse-Kturn-4_1124-1127_2488-2488_1028-1030_MotifAnnotations.txt");
  for (const MotifInfo& motif : state.motifs)
    EXPECT_TRUE(test::exists(generateMotifFileName(folder(), motif)) && test::readFile(generateMotifFileName(folder(), motif)).empty());
}

TEST_F(MotifFiles, ListsPairsWhoseResiduesBothLieInTheMotif) {
  motifInitialization(state, folder());
  std::vector<BPInfo> pairs = {
      makePair("A", 26, 27),   // one strand
      makePair("A", 25, 515),  // two strands joined
      makePair("A", 28, 30),   // one residue outside
      makePair("B", 26, 27),   // other chain
      makePair("A", 582, 512),
  };
  extractMotifInfo(state, "2B9N", "MC-Annotate Regular", pairs, folder());
  extractMotifInfo(state, "2B9N", "RNAView Bexora", {pairs[0]}, folder());
  std::string expected = "2B9N - MC-Annotate Regular\n";
  for (int i : {0, 1, 4}) expected += formatPairMCAnnotate(pairs[i]) + "\n";
  expected += "Kink-Turn-6\t25-28_582-582_512-515 : 3\n\n";
  expected += "2B9N - RNAView Bexora\n" + formatPairRNAView(pairs[0]) + "\n";
  expected += "Kink-Turn-6\t25-28_582-582_512-515 : 1\n\n";
  EXPECT_EQ(test::readFile(kinkTurn6()), expected);
  EXPECT_EQ(test::readFile(generateMotifFileName(folder(), state.motifs[1])),
            "2B9N - MC-Annotate Regular\nKink-Turn-1\t81-85_97-105 : 0\n\n"
            "2B9N - RNAView Bexora\nKink-Turn-1\t81-85_97-105 : 0\n\n");
}

TEST_F(MotifFiles, OtherStructuresGetNoReport) {
  motifInitialization(state, folder());
  extractMotifInfo(state, "3V2F", "MC-Annotate Regular", {makePair("A", 26, 27)}, folder());
  EXPECT_EQ(test::readFile(kinkTurn6()), "");
}

TEST_F(MotifFiles, UncreatableFilesSwitchReportingOff) {
  test::writeFile(dir_.file("plain"), "not a folder");
  std::string blocked = dir_.file("plain") + "/";
  testing::internal::CaptureStdout();
  motifInitialization(state, blocked);
  std::string out = testing::internal::GetCapturedStdout();
  EXPECT_FALSE(state.printMotifs);
  EXPECT_EQ(out.rfind(generateMotifFileName(blocked, state.motifs[0]) + " File Not Created\n", 0), 0u);
  EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 15);
  testing::internal::CaptureStdout();
  extractMotifInfo(state, "2B9N", "MC-Annotate Regular", {makePair("A", 26, 27)}, blocked);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
}

}  // namespace
}  // namespace bexora
