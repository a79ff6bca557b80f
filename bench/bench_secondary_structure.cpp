// Time to make the --2d files of the 16S rRNA of 3JBV (about 900 RNAView
// pairs on 1,530 residues), and to render its arc diagram with rsvg-convert
// when that is installed.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "annotation/rnaview.h"
#include "output/arc_diagram.h"
#include "output/secondary_structure.h"
#include "structure/pdb_reader.h"

namespace {

using Clock = std::chrono::steady_clock;

double seconds(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

std::vector<bexora::ResidueMapEntry> observedResidues(const std::vector<bexora::AtomInfo>& atoms) {
  std::vector<bexora::ResidueMapEntry> residues;
  for (const bexora::AtomInfo& atom : atoms)
    if (residues.empty() || residues.back().resSeqNo != atom.resSeqNo || residues.back().iCode != atom.iCode)
      residues.push_back(bexora::ResidueMapEntry{atom.residueName, 0, atom.resSeqNo, atom.iCode, -1});
  return residues;
}

}  // namespace

int main() {
  const std::string folder = std::string(BEXORA_REALDATA) + "/generated/3JBV/";
  bexora::AnnotationOutput annotation;
  std::vector<bexora::AtomInfo> atoms;
  bexora::RefineInfo refine;
  if (!bexora::readRNAViewOutput(folder + "3JBV.rv.out", "A", annotation, bexora::Reporter(), {}) ||
      !bexora::readPDBFile(folder, "3JBV", refine, "A", atoms, bexora::Reporter())) {
    std::printf("cannot read the 3JBV files in %s\n", folder.c_str());
    return 1;
  }
  std::vector<bexora::ResidueMapEntry> residues = observedResidues(atoms);
  std::string svg;
  double best = 1e30;
  for (int round = 0; round < 20; ++round) {
    Clock::time_point start = Clock::now();
    bexora::SecondaryStructure structure = bexora::buildSecondaryStructure(residues, "A", annotation.pairs);
    std::string texts = bexora::formatDotBracket(structure, "3JBV_A") + bexora::formatBpseq(structure);
    svg = bexora::drawArcDiagram(structure, "3JBV_A", bexora::kRnaView);
    best = std::min(best, seconds(start));
  }
  std::printf("3JBV chain A: %zu residues, %zu pairs\n", residues.size(), annotation.pairs.size());
  std::printf("dot-bracket, BPSEQ and SVG (%zu bytes): %.2f ms\n", svg.size(), best * 1e3);
  if (std::system("command -v rsvg-convert >/dev/null 2>&1") != 0) {
    std::printf("rsvg-convert not installed; rendering not timed\n");
    return 0;
  }
  const std::string svgPath = "bench_3jbv_diagram.svg";
  if (std::FILE* file = std::fopen(svgPath.c_str(), "w")) {
    std::fwrite(svg.data(), 1, svg.size(), file);
    std::fclose(file);
  }
  Clock::time_point start = Clock::now();
  int status = std::system(("rsvg-convert -o bench_3jbv_diagram.png " + svgPath).c_str());
  std::printf("rsvg-convert to PNG: %.0f ms (status %d)\n", seconds(start) * 1e3, status);
  std::remove(svgPath.c_str());
  std::remove("bench_3jbv_diagram.png");
  return 0;
}
