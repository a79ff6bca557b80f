// Time to make the --2d files of random canonical pairs (3,000, the most the
// bracket orders are searched for, and 10,000: time and the growth of the
// peak memory, which bound those of any pair set), of the 16S rRNA
// of 3JBV (about 900 RNAView pairs on 1,530 residues), and to render the
// latter's arc diagram with rsvg-convert when that is installed.
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
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

long peakKilobytes() {
  rusage usage;
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

// G-C cis Watson-Crick pairs on distinct residues of 1 .. 2 * count, at random.
std::vector<bexora::BPInfo> randomCanonicalPairs(int count) {
  std::vector<int> positions(2 * static_cast<std::size_t>(count));
  for (std::size_t i = 0; i < positions.size(); ++i) positions[i] = static_cast<int>(i) + 1;
  std::shuffle(positions.begin(), positions.end(), std::mt19937(27));
  std::vector<bexora::BPInfo> pairs;
  for (std::size_t p = 0; p < static_cast<std::size_t>(count); ++p) {
    bexora::BPInfo pair = bexora::makeEmptyBPInfo();
    for (int end = 0; end < 2; ++end) {
      std::strcpy(pair.chainId[end], "A");
      pair.resSeqNo[end] = end == 0 ? std::min(positions[2 * p], positions[2 * p + 1])
                                    : std::max(positions[2 * p], positions[2 * p + 1]);
      pair.nucleotide[end] = end == 0 ? 'G' : 'C';
      std::strcpy(pair.edge[0][end], "W");
    }
    pair.edgeCount = 1;
    pair.orientation = 'c';
    pairs.push_back(pair);
  }
  return pairs;
}

void timeRandomPairs(int count) {
  const std::vector<bexora::BPInfo> pairs = randomCanonicalPairs(count);
  std::vector<bexora::ResidueMapEntry> residues;
  for (int i = 1; i <= 2 * count; ++i) residues.push_back(bexora::ResidueMapEntry{'N', 0, i, ' ', -1});
  const long before = peakKilobytes();
  Clock::time_point start = Clock::now();
  bexora::SecondaryStructure structure = bexora::buildSecondaryStructure(residues, "A", pairs);
  const std::string texts = bexora::formatDotBracket(structure, "RANDOM") + bexora::formatBpseq(structure);
  const double bracketed = seconds(start);
  const std::string svg = bexora::drawArcDiagram(structure, "RANDOM", bexora::kRnaView);
  std::size_t inFirstOrder = 0;
  for (const bexora::LinePair& pair : structure.pairs) inFirstOrder += pair.order == 0;
  std::printf("%d random canonical pairs: dot-bracket and BPSEQ %.2f s, with the SVG (%zu bytes) %.2f s; peak memory "
              "%+ld MB; %zu pairs in the first order\n",
              count, bracketed, svg.size(), seconds(start), (peakKilobytes() - before) / 1024, inFirstOrder);
}

}  // namespace

int main() {
  timeRandomPairs(3000);
  timeRandomPairs(10000);
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
