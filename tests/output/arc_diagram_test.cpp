#include "output/arc_diagram.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "test_support.h"
#include "model/record_fixtures.h"

namespace bexora {
namespace {

using test::makePair;
using ::testing::HasSubstr;

bool haveCommand(const char* name) {
  return std::system((std::string("command -v ") + name + " >/dev/null 2>&1").c_str()) == 0;
}

struct Image {
  uint32_t width = 0;
  uint32_t height = 0;
  std::vector<uint8_t> rgba;
};

uint32_t bigEndian(const std::string& bytes, std::size_t at) {
  uint32_t value = 0;
  for (int k = 0; k < 4; ++k) value = value << 8 | static_cast<uint8_t>(bytes[at + k]);
  return value;
}

int paeth(int a, int b, int c) {
  int p = a + b - c, pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
  return pa <= pb && pa <= pc ? a : (pb <= pc ? b : c);
}

// An 8-bit RGB or RGBA, non-interlaced PNG, as the renderer writes it.
bool decodePng(const std::string& bytes, Image& image) {
  if (bytes.size() < 33 || bytes.compare(1, 3, "PNG") != 0) return false;
  std::string compressed;
  int channels = 0;
  for (std::size_t at = 8; at + 8 <= bytes.size();) {
    uint32_t length = bigEndian(bytes, at);
    std::string type = bytes.substr(at + 4, 4);
    if (type == "IHDR") {
      image.width = bigEndian(bytes, at + 8);
      image.height = bigEndian(bytes, at + 12);
      int colourType = bytes[at + 17];
      if (bytes[at + 16] != 8 || bytes[at + 20] != 0 || (colourType != 2 && colourType != 6)) return false;
      channels = colourType == 6 ? 4 : 3;
    }
    if (type == "IDAT") compressed += bytes.substr(at + 8, length);
    at += 12 + length;
  }
  std::size_t stride = image.width * channels;
  std::vector<uint8_t> raw(image.height * (stride + 1));
  uLongf size = raw.size();
  if (channels == 0 ||
      uncompress(raw.data(), &size, reinterpret_cast<const Bytef*>(compressed.data()), compressed.size()) != Z_OK)
    return false;
  std::vector<uint8_t> previous(stride, 0), row(stride);
  for (uint32_t y = 0; y < image.height; ++y) {
    const uint8_t* line = &raw[y * (stride + 1)];
    for (std::size_t x = 0; x < stride; ++x) {
      int left = x >= static_cast<std::size_t>(channels) ? row[x - channels] : 0;
      int upLeft = x >= static_cast<std::size_t>(channels) ? previous[x - channels] : 0;
      int predictors[5] = {0, left, previous[x], (left + previous[x]) / 2, paeth(left, previous[x], upLeft)};
      row[x] = static_cast<uint8_t>(line[1 + x] + predictors[line[0] % 5]);
    }
    for (uint32_t x = 0; x < image.width; ++x)
      for (int k = 0; k < 4; ++k) image.rgba.push_back(k < channels ? row[x * channels + k] : 255);
    previous = row;
  }
  return true;
}

int pixelsOfColour(const Image& image, uint32_t colour) {
  int count = 0;
  for (std::size_t p = 0; p + 3 < image.rgba.size(); p += 4) {
    bool near = image.rgba[p + 3] > 250;
    for (int k = 0; k < 3; ++k)
      near = near && std::abs(image.rgba[p + k] - static_cast<int>(colour >> (16 - 8 * k) & 0xFF)) <= 6;
    count += near;
  }
  return count;
}

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

// The diagram of threeProvenances() written to `folder`, with a title longer
// than any fixed text buffer; returns its path.
std::string writeDiagram(const test::TempDir& folder) {
  std::string path = folder.file("diagram.svg");
  test::writeFile(path, drawArcDiagram(threeProvenances(), "2EXT_A & <1EXR_A> " + std::string(1000, 'x'), kDssr));
  return path;
}

// The three provenance colours show on the arcs, not only in the legend.
TEST(ArcDiagram, RendersTheThreeProvenanceColours) {
  if (!haveCommand("rsvg-convert"))
    GTEST_SKIP() << "rsvg-convert (Debian librsvg2-bin) is absent; rendering not tested";
  test::TempDir dir;
  std::string png = dir.file("diagram.png");
  ASSERT_EQ(std::system(("rsvg-convert -z 2 -o " + png + " " + writeDiagram(dir)).c_str()), 0);
  Image image;
  ASSERT_TRUE(decodePng(test::readFile(png), image));
  constexpr int kLegendPixels = 18 * 2 * 3 * 2;  // one legend line sample at zoom 2
  for (uint32_t colour : {0x0072B2u, 0xD55E00u, 0x009E73u})
    EXPECT_GT(pixelsOfColour(image, colour), 4 * kLegendPixels) << std::hex << colour;
}

}  // namespace
}  // namespace bexora
