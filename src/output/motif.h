// Per-motif report files of the benchmark-motif mode: for each built-in
// motif, the annotated pairs that fall inside its strands.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "model/model.h"
#include "util/staged_output.h"
#include "util/reporter.h"

namespace bexora {

constexpr std::size_t kMaxMotifs = 100;
constexpr int kMaxMotifStrands = 10;

struct MotifInfo {
  char pdbId[5];
  char chainId[5];
  char name[22];
  int32_t strandCount;
  struct Strand {
    int32_t start;
    int32_t end;
  } strand[kMaxMotifStrands];
};

struct MotifState {
  std::vector<MotifInfo> motifs;
  std::vector<std::FILE*> files;  // one staged report per motif, owned by the run's OutputGroup
  bool printMotifs = false;
};

// Loads the 15 built-in motifs and stages an empty report for each in
// `outputs`, which the caller commits with the rest of the run's files; the
// Motif_Segments/ folder is created when missing.
void motifInitialization(MotifState& state, const std::string& outputFolder, OutputGroup& outputs,
                         const Reporter& reporter);
std::string generateMotifFileName(const std::string& outputFolder, const MotifInfo& motif);
void extractMotifInfo(const MotifState& state, const std::string& pdbId, const std::string& methodTitle,
                      const std::vector<BPInfo>& pairs);

}  // namespace bexora
