// Processor time of the structure correspondence: on the ydaO pair 4QLN -> 4QK8
// (where the outside aligner takes about 34 ms) and on a 16S rRNA (3JBV chain
// A against a copy whose second half is turned by 60 degrees, so that every
// round of the re-alignment runs), each against reading that structure file
// once, the largest part of a whole single run.
#include <cmath>
#include <cstdio>
#include <ctime>
#include <string>
#include <vector>

#include "alignment/residue_map.h"
#include "alignment/structure_correspondence.h"
#include "structure/pdb_reader.h"

namespace {

using namespace bexora;

double processorMs(std::clock_t start) { return 1000.0 * static_cast<double>(std::clock() - start) / CLOCKS_PER_SEC; }

bool readChain(const std::string& id, std::vector<AtomInfo>& atoms, double& readMs) {
  RefineInfo refine;
  const std::clock_t start = std::clock();
  const bool ok = readPDBFile(std::string(BEXORA_REALDATA) + "/generated/" + id + "/", id, refine, "A", atoms,
                              Reporter());
  readMs = processorMs(start);
  return ok;
}

StructureResidueMap observed(const std::vector<AtomInfo>& atoms, const char* id) {
  StructureResidueMap map;
  setField(map.pdbId, id);
  map.chainCount = 1;
  setField(map.chain.chainId, "A");
  for (const AtomInfo& atom : atoms) {
    const auto& entries = map.chain.entries;
    if (!entries.empty() && entries.back().resSeqNo == atom.resSeqNo && entries.back().iCode == atom.iCode) continue;
    map.chain.entries.push_back({atom.residueName, 0, atom.resSeqNo, atom.iCode, -1});
  }
  return map;
}

std::vector<AtomInfo> withSecondHalfTurned(std::vector<AtomInfo> atoms) {
  const int32_t middle = atoms[atoms.size() / 2].resSeqNo;
  const double c = std::cos(M_PI / 3), s = std::sin(M_PI / 3);
  for (AtomInfo& a : atoms) {
    if (a.resSeqNo < middle) continue;
    const double x = a.x, y = a.y;
    a.x = c * x - s * y + 10;
    a.y = s * x + c * y;
  }
  return atoms;
}

// Milliseconds of processor time per correspondence, best of `rounds`.
double timeCorrespondence(const std::vector<AtomInfo>& reference, const std::vector<AtomInfo>& target, int rounds,
                          CorrespondenceQuality& quality) {
  ResidueMapPair seeded = {observed(reference, "REF"), observed(target, "TGT")};
  chainAlign(seeded[kReference].chain, seeded[kTarget].chain, Reporter());
  double best = 1e30;
  for (int r = 0; r < rounds; ++r) {
    ResidueMapPair map = seeded;
    const std::clock_t start = std::clock();
    alignByStructure(map, reference, target, quality);
    best = std::min(best, processorMs(start));
  }
  return best;
}

void report(const char* label, double ms, double readMs, const CorrespondenceQuality& q) {
  std::printf("%s: %.2f ms (reading the reference file: %.2f ms); aligned %d, RMSD %.2f A, TM-score %.3f\n", label, ms,
              readMs, q.aligned, q.rmsd, q.tmScore);
}

}  // namespace

int main() {
  std::vector<AtomInfo> ydaoReference, ydaoTarget, ribosome;
  double readReference = 0, readTarget = 0, readRibosome = 0;
  if (!readChain("4QLN", ydaoReference, readReference) || !readChain("4QK8", ydaoTarget, readTarget) ||
      !readChain("3JBV", ribosome, readRibosome)) {
    std::printf("../shared/realdata/generated is absent; nothing measured\n");
    return 0;
  }
  CorrespondenceQuality quality;
  report("4QLN -> 4QK8 (the outside aligner: about 34 ms)",
         timeCorrespondence(ydaoReference, ydaoTarget, 20, quality), readReference, quality);
  report("3JBV -> 3JBV, second half turned", timeCorrespondence(ribosome, withSecondHalfTurned(ribosome), 5, quality),
         readRibosome, quality);
  return 0;
}
