#include "output/motif.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "test_support.h"
#include "annotation/pair_formats.h"
#include "model/record_fixtures.h"

namespace bexora {
namespace {

BPInfo gc(int first, int second, const char* chain = "A") {
  return test::makePair(first, second, "GC", "W/W", 'c', kSourceTool, chain);
}

class MotifFiles : public ::testing::Test {
 protected:
  std::string folder() const { return dir_.path() + "/"; }
  std::string fileOf(int motif) const { return test::readFile(generateMotifFileName(folder(), state.motifs[motif])); }
  test::TempDir dir_;
  MotifState state;
  OutputGroup outputs{dir_.path()};
};

TEST_F(MotifFiles, ListsPairsWhoseResiduesBothLieInTheMotif) {
  motifInitialization(state, folder(), outputs, Reporter());
  // One strand, two strands joined, one residue outside, another chain, the last strands.
  const std::vector<BPInfo> pairs = {gc(26, 27), gc(25, 515), gc(28, 30), gc(26, 27, "B"), gc(582, 512)};
  extractMotifInfo(state, "3V2F", "MC-Annotate Regular", pairs);  // another structure: no report
  extractMotifInfo(state, "2B9N", "MC-Annotate Regular", pairs);
  extractMotifInfo(state, "2B9N", "RNAView Bexora", {pairs[0]});
  ASSERT_TRUE(outputs.commit());
  std::string expected = "2B9N - MC-Annotate Regular\n";
  for (int i : {0, 1, 4}) expected += formatPairMCAnnotate(pairs[i]) + "\n";
  expected += "Kink-Turn-6\t25-28_582-582_512-515 : 3\n\n";
  expected += "2B9N - RNAView Bexora\n" + formatPairRNAView(pairs[0]) + "\n";
  expected += "Kink-Turn-6\t25-28_582-582_512-515 : 1\n\n";
  EXPECT_EQ(fileOf(0), expected);
  EXPECT_EQ(fileOf(1),
            "2B9N - MC-Annotate Regular\nKink-Turn-1\t81-85_97-105 : 0\n\n"
            "2B9N - RNAView Bexora\nKink-Turn-1\t81-85_97-105 : 0\n\n");
}

TEST_F(MotifFiles, UncreatableFilesSwitchReportingOff) {
  test::writeFile(dir_.file("plain"), "not a folder");
  const std::string blocked = dir_.file("plain") + "/";
  std::string out;
  motifInitialization(state, blocked, outputs, collectingReporter(out));
  EXPECT_FALSE(state.printMotifs);
  EXPECT_EQ(out.rfind(generateMotifFileName(blocked, state.motifs[0]) + " File Not Created\n", 0), 0u);
  EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 15);
  EXPECT_EQ(test::stdoutOf([&] { extractMotifInfo(state, "2B9N", "MC-Annotate Regular", {gc(26, 27)}); }), "");
}

}  // namespace
}  // namespace bexora
