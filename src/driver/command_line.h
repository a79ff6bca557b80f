// The command line: a single run (refId refChain targetId targetChain
// [options]), a batch of pairs (-L manifest), the best-reference mode (-R list), the benchmark modes
// (-B BENCHMARK, -B BENCHMARK-MOTIF), and the folder, verbose, 2D, help and
// version options. Arguments are upper-cased except folder names and the
// -R list and -L manifest names, which are kept as typed.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "model/model.h"

namespace bexora {

enum class RunMode { kSingle, kBenchmark, kBenchmarkMotif, kBestReference, kBatch };

struct RunSettings {
  RunMode mode = RunMode::kSingle;
  // [side][pass slot]; a single run uses slot 0.
  std::array<std::array<std::string, kPassSlots>, kSides> pdbIds;
  std::array<std::array<std::string, kPassSlots>, kSides> chainIds;
  std::vector<int> methodList;
  bool origFormat = false;
  bool secondaryStructure = false;  // --2d: dot-bracket, BPSEQ and arc diagram beside each annotation
  bool consensus = false;           // --consensus: the tools' results side by side, with two or more tools
  bool motifMode = false;
  bool writeCorrectnessLog = false;   // log.txt and the precision tables
  bool writeInferabilityLog = false;  // log2.txt and the inferability tables
  bool verbose = false;
  // Modified nucleotides as their parent base: the default of single runs
  // and batches (--standard-only turns it off); the benchmark reads A, C, G, U only.
  bool readModified = false;
  double unknownDpi = 0;      // --unknown-dpi: DPI of structures without one, in angstrom
  bool pruneOwn = false;      // --prune-own: drop the tool's own pairs that agree with the reference
  double maxContact = 4.0;    // --max-contact: a carried pair's contact bound in the target, angstrom
  // --structure-correspondence: residues aligned on the superposed backbones
  // (--sequence-alignment: on the letters alone); an .aln file overrides both.
  bool structureCorrespondence = true;
  std::string inputFolder = kDefaultInputFolder;
  std::string outputFolder = kDefaultOutputFolder;
  std::string bestReferenceList;  // the -R value as typed
  std::string batchManifest;      // the -L value as typed
  unsigned batchThreads = 0;      // -j; 0: one per core
};

struct ArgumentsOutcome {
  bool runMode = false;  // false: the program ends with exitStatus
  int exitStatus = 0;
};

// Parses the command line into settings. Rejections print their message and
// end with status 1; help and version end with status 0.
ArgumentsOutcome processArguments(int argc, char** argv, RunSettings& settings);

bool gotNonAlphaNumeric(const std::string& text);

// Usage text of every mode and option.
void printUsage();

}  // namespace bexora
