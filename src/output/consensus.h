// The consensus of several tools on one target chain: one row per residue
// pair that any tool's enhanced annotation holds, with each tool's family in
// Leontis-Westhof notation and where its pair came from (found in the target,
// carried over, or carried over and refused, and why), written as a
// tab-separated table and as JSON with the run's facts; with --2d, the
// canonical pairs held by at least half of the tools as dot-bracket and arc
// diagram coloured by class.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "mapping/mapping.h"
#include "model/pair_family.h"
#include "util/reporter.h"
#include "util/staged_output.h"

namespace bexora {

// What one tool's pass left for the consensus.
struct ToolResult {
  int method = 0;
  std::string targetFile;               // the tool's output read for the target
  std::string referenceFile;            // and for the reference
  std::vector<BPInfo> written;          // the enhanced annotation, source-tagged
  std::vector<PairEvidence> refused;    // carried pairs the tests refused
};

// One tool's share of a row.
enum class ToolSource { kNone, kOwn, kCarried, kRefused };
struct ToolCell {
  ToolSource source = ToolSource::kNone;
  std::optional<LwFamily> family;  // of an own or carried pair, in the row's residue order
  AssessReason reason = AssessReason::kAcceptAll;  // of a refused pair
  bool canonical = false;  // cis Watson-Crick on A-U, G-C or G-U
};

enum ConsensusClass { kClassAll = 0, kClassMajority = 1, kClassSingle = 2, kClassCarriedOnly = 3 };
constexpr int kConsensusClasses = 4;
using ClassTally = std::array<int, kConsensusClasses>;

struct ConsensusRow {
  BPInfo residues;              // chains, numbers, insertion codes and bases, first residue first
  std::vector<ToolCell> tools;  // one per ToolResult, in run order
  int native = 0;               // tools that found the pair in the target
  int carried = 0;              // tools that gained it from the reference
  bool familiesAgree = true;    // over the tools holding it in a family
  ConsensusClass rowClass = kClassSingle;
};

// "all", "majority", "single", "carried-only".
const char* className(ConsensusClass c);

// The rows in residue order. A pair held natively by no tool is carried-only;
// else it is `all` when every tool holds it, `single` when one does, and
// `majority` in between.
std::vector<ConsensusRow> buildConsensus(const std::vector<ToolResult>& tools);
ClassTally countClasses(const std::vector<ConsensusRow>& rows);

// The facts of the run the JSON records beside the rows.
struct ConsensusRun {
  std::string version;
  std::array<std::string, kSides> ids, chains;
  std::array<double, kSides> dpi{};
  std::array<std::string, kSides> dpiSources;  // "computed", "unknown", "option"
  double tolerance = 0;
  std::string alignmentSource;  // "sequence" or "structure-file"
  int alignedResidues = 0;      // target residues facing a reference residue
  int identicalResidues = 0;    // of them, those of the same base
};

std::string consensusTsv(const std::vector<ConsensusRow>& rows, const std::vector<ToolResult>& tools);
std::string consensusJson(const std::vector<ConsensusRow>& rows, const std::vector<ToolResult>& tools,
                          const ConsensusRun& run);

// The pairs of the consensus secondary structure: canonical pairs held so by
// at least half of the tools, each with its class as source.
std::vector<BPInfo> consensusCanonicalPairs(const std::vector<ConsensusRow>& rows, std::size_t toolCount);

// Stages "<stem>.consensus.tsv" and ".json" into `group`, and with
// `observed` the ".dbn" and ".svg"; says "%s file could not be created\n"
// and returns false when one cannot be written.
bool writeConsensusFiles(const std::string& stem, const std::vector<ConsensusRow>& rows,
                         const std::vector<ToolResult>& tools, const ConsensusRun& run,
                         const std::vector<ResidueMapEntry>* observed, const Reporter& reporter, OutputGroup& group);

}  // namespace bexora
