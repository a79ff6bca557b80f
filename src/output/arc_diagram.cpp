#include "output/arc_diagram.h"

#include <algorithm>
#include <cmath>

#include "util/tokenizer.h"

namespace bexora {

namespace {

constexpr double kMargin = 30;
constexpr double kMaxLineLength = 1100;
constexpr double kMaxSpacing = 14;
constexpr double kMinWidth = 640;
constexpr double kTitleHeight = 40;
constexpr double kArcFlattening = 0.5;  // arc height over half its span
constexpr double kLetterSpacing = 8;    // residue letters only where they fit
constexpr double kLabelGap = 28;        // least distance between two numbers
constexpr int kMaxGapSlots = 10;
constexpr int kLegendColumn = 200;
constexpr int kLegendWidth = 600;  // the keys' columns share it, up to kLegendColumn each

std::string escaped(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '&')
      out += "&amp;";
    else if (c == '<')
      out += "&lt;";
    else if (c == '>')
      out += "&gt;";
    else
      out += c;
  }
  return out;
}

std::size_t keyIndex(const std::vector<ArcKey>& keys, int32_t source) {
  for (int32_t wanted : {source, 0})
    for (std::size_t k = 0; k < keys.size(); ++k)
      if (keys[k].source == wanted) return k;
  return 0;
}

// Where everything goes: residue x positions, the two baselines (canonical
// arcs rise from the upper one, the others hang from the lower one).
struct Layout {
  std::vector<double> x;
  std::vector<bool> afterGap;
  double spacing = kMaxSpacing;
  bool letters = false;
  double strokeWidth = 1;
  double width = kMinWidth;
  double upper = 0;
  double lower = 0;
  double legend = 0;
  double height = 0;
};

double arcHeight(const Layout& layout, const LinePair& pair) {
  return (layout.x[pair.second] - layout.x[pair.first]) / 2 * kArcFlattening;
}

// A numbering jump is a run of residues without atoms: a break in the line
// of up to kMaxGapSlots residue widths.
std::vector<int> residueSlots(const SecondaryStructure& structure, std::vector<bool>& afterGap) {
  std::vector<int> slots;
  afterGap.assign(structure.residues.size(), false);
  for (std::size_t i = 0; i < structure.residues.size(); ++i) {
    if (i == 0) {
      slots.push_back(0);
      continue;
    }
    long jump = static_cast<long>(structure.residues[i].resSeqNo) - structure.residues[i - 1].resSeqNo - 1;
    afterGap[i] = jump > 0;
    slots.push_back(slots.back() + 1 + static_cast<int>(std::clamp(jump, 0L, static_cast<long>(kMaxGapSlots))));
  }
  return slots;
}

Layout layOut(const SecondaryStructure& structure) {
  Layout layout;
  std::vector<int> slots = residueSlots(structure, layout.afterGap);
  int lastSlot = slots.empty() ? 0 : slots.back();
  if (lastSlot > 0) layout.spacing = std::min(kMaxSpacing, kMaxLineLength / lastSlot);
  layout.letters = layout.spacing >= kLetterSpacing;
  layout.strokeWidth = std::clamp(layout.spacing * 0.25, 0.35, 1.5);
  for (int slot : slots) layout.x.push_back(kMargin + slot * layout.spacing);
  layout.width = std::ceil(std::max(kMinWidth, 2 * kMargin + lastSlot * layout.spacing));
  double rise = 0, fall = 0;
  for (const LinePair& pair : structure.pairs) {
    double& room = pair.canonical ? rise : fall;
    room = std::max(room, arcHeight(layout, pair));
  }
  layout.upper = kTitleHeight + rise + 4;
  layout.lower = layout.upper + (layout.letters ? 26 : 16);
  layout.legend = layout.lower + fall + 24;
  layout.height = std::ceil(layout.legend + 40);
  return layout;
}

void drawLine(std::string& svg, const Layout& layout) {
  svg += "<path fill=\"none\" stroke=\"#555555\" stroke-width=\"1\" d=\"";
  for (std::size_t i = 0; i < layout.x.size(); ++i) {
    bool startsRun = i == 0 || layout.afterGap[i];
    bool endsRun = i + 1 == layout.x.size() || layout.afterGap[i + 1];
    if (startsRun) appendf(svg, "M%.2f %.2f", layout.x[i] - layout.spacing / 2, layout.upper);
    if (endsRun) appendf(svg, "H%.2f", layout.x[i] + layout.spacing / 2);
  }
  svg += "\"/>\n";
}

std::string residueLabel(const ResidueMapEntry& residue) {
  std::string label = std::to_string(residue.resSeqNo);
  if (residue.iCode != ' ' && residue.iCode != '\0') label += residue.iCode;
  return label;
}

// Ticks at every tenth residue number; numbers at the first residue, after
// each break and at every `step`-th number, `step` growing with the chain so
// that numbers stay kLabelGap apart.
void drawNumbering(std::string& svg, const SecondaryStructure& structure, const Layout& layout) {
  int step = 10;
  for (int wider : {20, 50, 100, 200, 500, 1000})
    if (step * layout.spacing < kLabelGap) step = wider;
  std::string ticks;
  double lastLabel = -kLabelGap;
  int32_t lastNumber = -1;
  double labelY = layout.upper + (layout.letters ? 21 : 12);
  svg += "<g font-family=\"sans-serif\" font-size=\"9\" text-anchor=\"middle\">\n";
  for (std::size_t i = 0; i < structure.residues.size(); ++i) {
    const ResidueMapEntry& residue = structure.residues[i];
    double x = layout.x[i];
    if (layout.letters)
      appendf(svg, "<text x=\"%.2f\" y=\"%.2f\">%s</text>\n", x, layout.upper + 10,
              escaped(std::string(1, residue.nucleotide)).c_str());
    bool tens = residue.resSeqNo % 10 == 0 && residue.resSeqNo != lastNumber;
    lastNumber = residue.resSeqNo;
    if (tens) appendf(ticks, "M%.2f %.2fv3", x, layout.upper);
    bool wanted = i == 0 || layout.afterGap[i] || (tens && residue.resSeqNo % step == 0);
    if (!wanted || x - lastLabel < kLabelGap) continue;
    appendf(svg, "<text x=\"%.2f\" y=\"%.2f\">%s</text>\n", x, labelY, escaped(residueLabel(residue)).c_str());
    lastLabel = x;
  }
  svg += "</g>\n";
  if (!ticks.empty()) svg += "<path fill=\"none\" stroke=\"#555555\" stroke-width=\"0.5\" d=\"" + ticks + "\"/>\n";
}

// One path per family and key, each arc a subpath.
void drawArcs(std::string& svg, const SecondaryStructure& structure, const Layout& layout, bool canonical,
              const std::vector<ArcKey>& keys) {
  double w = layout.strokeWidth;
  for (std::size_t key = 0; key < keys.size(); ++key) {
    std::string d;
    for (const LinePair& pair : structure.pairs) {
      if (pair.canonical != canonical || keyIndex(keys, pair.source) != key) continue;
      double rx = (layout.x[pair.second] - layout.x[pair.first]) / 2;
      double y = canonical ? layout.upper : layout.lower;
      appendf(d, "M%.2f %.2fA%.2f %.2f 0 0 %d %.2f %.2f", layout.x[pair.first], y, rx, rx * kArcFlattening,
              canonical ? 1 : 0, layout.x[pair.second], y);
    }
    if (d.empty()) continue;
    appendf(svg, "<path fill=\"none\" stroke=\"%s\" stroke-width=\"%.2f\"", keys[key].colour, w);
    if (!canonical) appendf(svg, " stroke-dasharray=\"%.2f %.2f\"", 3 * w, 2 * w);
    svg += " d=\"" + d + "\"/>\n";
  }
}

void drawLegendItem(std::string& svg, double x, double y, const char* colour, bool dashed, const std::string& text) {
  appendf(svg, "<path fill=\"none\" stroke=\"%s\" stroke-width=\"3\"%s d=\"M%.2f %.2fh18\"/>\n", colour,
          dashed ? " stroke-dasharray=\"4 2\"" : "", x, y - 3);
  appendf(svg, "<text x=\"%.2f\" y=\"%.2f\">%s</text>\n", x + 24, y, escaped(text).c_str());
}

void drawLegend(std::string& svg, const SecondaryStructure& structure, const Layout& layout,
                const std::vector<ArcKey>& keys) {
  std::vector<int> byKey(keys.size(), 0);
  int canonical = 0;
  for (const LinePair& pair : structure.pairs) {
    ++byKey[keyIndex(keys, pair.source)];
    canonical += pair.canonical;
  }
  const double column = std::min<double>(kLegendColumn, kLegendWidth / std::max<std::size_t>(keys.size(), 1));
  svg += "<g font-family=\"sans-serif\" font-size=\"11\">\n";
  double y = layout.legend;
  for (std::size_t k = 0; k < keys.size(); ++k)
    drawLegendItem(svg, kMargin + static_cast<double>(k) * column, y, keys[k].colour, false,
                   keys[k].name + " (" + std::to_string(byKey[k]) + ")");
  int other = static_cast<int>(structure.pairs.size()) - canonical;
  drawLegendItem(svg, kMargin, y + 18, "#555555", false,
                 "cis Watson-Crick A-U, G-C, G-U, above (" + std::to_string(canonical) + ")");
  drawLegendItem(svg, kMargin + 1.5 * kLegendColumn, y + 18, "#555555", true,
                 "other families, below (" + std::to_string(other) + ")");
  svg += "</g>\n";
}

}  // namespace

std::string drawArcDiagram(const SecondaryStructure& structure, const std::string& title, int method) {
  const char* tool = methodName(method);
  return drawArcDiagram(structure, title,
                        {{kSourceBoth, "#0072B2", "Both"},
                         {kSourceTool, "#009E73", std::string(tool ? tool : "Undefined Method") + " only"},
                         {kSourceBexora, "#D55E00", "Carried over from the reference"}});
}

std::string drawArcDiagram(const SecondaryStructure& structure, const std::string& title,
                           const std::vector<ArcKey>& keys) {
  Layout layout = layOut(structure);
  std::string svg = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
  appendf(svg,
          "<svg xmlns=\"http://www.w3.org/2000/svg\" version=\"1.1\" width=\"%.0f\" height=\"%.0f\" "
          "viewBox=\"0 0 %.0f %.0f\">\n",
          layout.width, layout.height, layout.width, layout.height);
  svg += "<title>" + escaped(title) + "</title>\n";
  svg += "<rect width=\"100%\" height=\"100%\" fill=\"#ffffff\"/>\n";
  appendf(svg, "<text x=\"%.0f\" y=\"24\" font-family=\"sans-serif\" font-size=\"14\">%s</text>\n", kMargin,
          escaped(title).c_str());
  drawArcs(svg, structure, layout, true, keys);
  drawArcs(svg, structure, layout, false, keys);
  drawLine(svg, layout);
  drawNumbering(svg, structure, layout);
  drawLegend(svg, structure, layout, keys);
  svg += "</svg>\n";
  return svg;
}

}  // namespace bexora
