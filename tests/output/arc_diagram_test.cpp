#include "output/arc_diagram.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "test_support.h"
#include "model/record_fixtures.h"

namespace bexora {
namespace {

using test::makePair;
using ::testing::HasSubstr;

std::vector<ResidueMapEntry> residues(int first, int last) {
  std::vector<ResidueMapEntry> line;
  for (int n = first; n <= last; ++n) line.push_back(ResidueMapEntry{'G', 0, n, ' ', -1});
  return line;
}

// Residues 1-20 and 31-45 (a break for 21-30), canonical and other pairs of
// each provenance, and a title with characters XML escapes.
SecondaryStructure threeProvenances() {
  std::vector<ResidueMapEntry> line = residues(1, 20);
  for (const ResidueMapEntry& residue : residues(31, 45)) line.push_back(residue);
  std::vector<BPInfo> pairs;
  for (int k = 0; k < 4; ++k) {
    pairs.push_back(makePair(1 + k, 45 - k, "GC", "W/W", 'c', kSourceBoth));
    pairs.push_back(makePair(6 + k, 18 - k, "GC", "W/W", 'c', kSourceTool));
    pairs.push_back(makePair(32 + k, 42 - k, "GC", "W/W", 'c', kSourceBexora));
    pairs.push_back(makePair(5 + k, 40 - k, "GA", "H/S", 't', kSourceBexora));
  }
  return buildSecondaryStructure(line, "A", pairs);
}

TEST(ArcDiagram, BreaksTheLineAndCountsTheLegend) {
  std::string svg = drawArcDiagram(threeProvenances(), "2EXT_A & <1EXR_A>", kDssr);
  EXPECT_THAT(svg, HasSubstr("<title>2EXT_A &amp; &lt;1EXR_A&gt;</title>"));
  EXPECT_THAT(svg, HasSubstr(">31</text>")) << "the first residue after the break is numbered";
  EXPECT_THAT(svg, HasSubstr(">Both (4)</text>"));
  EXPECT_THAT(svg, HasSubstr(">DSSR only (4)</text>"));
  EXPECT_THAT(svg, HasSubstr(">Carried over from the reference (8)</text>"));
  EXPECT_THAT(svg, HasSubstr(">cis Watson-Crick A-U, G-C, G-U, above (12)</text>"));
  EXPECT_THAT(svg, HasSubstr(">other families, below (4)</text>"));
  std::size_t line = svg.find("<path fill=\"none\" stroke=\"#555555\" stroke-width=\"1\" d=\"");
  ASSERT_NE(line, std::string::npos);
  std::string backbone = svg.substr(line, svg.find("/>", line) - line);
  EXPECT_EQ(std::count(backbone.begin(), backbone.end(), 'M'), 2) << backbone;
}

TEST(ArcDiagram, InsertionCodesStayInTheNumbers) {
  std::vector<ResidueMapEntry> line = {{'G', 0, 190, 'A', -1}, {'C', 0, 190, 'B', -1}, {'U', 0, 191, ' ', -1}};
  std::string svg = drawArcDiagram(buildSecondaryStructure(line, "A", {}), "1FJG_A", kMcAnnotate);
  EXPECT_THAT(svg, HasSubstr(">190A</text>"));
}

}  // namespace
}  // namespace bexora
