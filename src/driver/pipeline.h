// The main pipeline: phases, methods and passes, and the stages of one pass
// (annotations, sequences, structures, alignment, mapping, output). The run
// state is owned here and handed to each stage; parsed structures and
// alignments are kept for the whole run, since every method and pass of a
// run would otherwise read and align the same inputs again.
#pragma once

#include <array>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "alignment/structure_correspondence.h"
#include "annotation/annotation_output.h"
#include "driver/benchmark.h"
#include "driver/command_line.h"
#include "driver/console.h"
#include "model/model.h"
#include "output/annotation_writer.h"
#include "mapping/mapping.h"
#include "tables/mapping_log.h"
#include "structure/pdb_reader.h"
#include "output/consensus.h"
#include "output/motif.h"
#include "util/reporter.h"
#include "util/staged_output.h"

namespace bexora {

struct LoadedStructure {
  RefineInfo refine;
  std::vector<AtomInfo> atoms;
  StructureFileInfo file;
};

// One annotation file as its first reading gave it, and that reading's messages.
struct ReadAnnotation {
  AnnotationOutput out;
  KeptMessages messages;
};

// Sequence maps of one reference/target pair after their alignments.
struct PreparedAlignment {
  ResidueMapPair refSeqsMap;
  ResidueMapPair refMap;
  ResidueMapPair pdbTempMap;
};

class SharedInputs;

struct RunState {
  explicit RunState(const RunSettings& runSettings);

  RunSettings settings;
  Reporter reporter;  // the console: messages to standard output, "-V" records to standard error
  PassPlan plan;
  int phase = 1;  // 0 regular, 1 enhanced (the one phase of a single run); 2 ends the loop
  int compareEdgeSetting = 1;
  bool alignmentWarningShown = false;
  bool resolutionWarningShown = false;  // a single run or batch pair tells it once
  bool outputFailed = false;  // an output could not be written; the run ends with status 1

  std::array<std::array<RefineInfo, kPassSlots>, kSides> refine;
  AtomTables atomMultiList{};  // into `structures`
  std::array<std::vector<BPInfo>, kSides> basePairMap;
  std::vector<std::string> keptLines;  // the target reader's non-pair lines
  ResidueMapPair refSeqsMap, refMap, pdbTempMap, pdbMap;
  MappingState mapping;
  MappingLogs logs;
  MotifState motifs;
  // The benchmark's annotations, logs, tables and motif reports, or with a
  // consensus every tool's files and the consensus's, committed together at the end.
  std::unique_ptr<OutputGroup> runOutputs;

  std::map<std::string, std::shared_ptr<const LoadedStructure>> structures;  // a batch's are shared by its pairs
  std::map<std::string, PreparedAlignment> alignments;
  // The structure correspondence of each reference/target pair, and of this pass when it is in use.
  std::map<std::string, std::pair<ResidueMapPair, CorrespondenceQuality>> correspondences;
  std::optional<CorrespondenceQuality> correspondence;
  // A self-pair and the benchmark's passes read the same files again and
  // again; each is read once, and its messages are told on every use.
  std::map<std::string, ReadAnnotation> annotations;

  SharedInputs* shared = nullptr;  // a batch's inputs, read once for all its pairs; null in a single run
  // A batch pair's groups, one per method, staged without a flush each and
  // committed together when the pair is done.
  std::vector<std::pair<int, std::unique_ptr<OutputGroup>>> heldOutputs;
  std::array<std::optional<WriteSummary>, kMethodCount> written;  // counts of each enhanced annotation written

  // What --consensus needs of each pass: the files read, the alignment's
  // origin, and each tool's written and refused pairs; then the class counts.
  std::array<std::string, kSides> annotationFiles;
  bool alignmentFromFile = false;
  std::vector<ToolResult> consensusTools;
  std::optional<ClassTally> consensusClasses;
};

// The run's "-V" record of mode, methods and pair.
void recordRun(const RunState& state);

// The id and chain of `side` in pass slot `pass`.
inline const std::string& pdbId(const RunState& state, int side, int pass) {
  return state.settings.pdbIds[side][pass];
}
inline const std::string& chainId(const RunState& state, int side, int pass) {
  return state.settings.chainIds[side][pass];
}

// Where the pass's residue map came from: "structure-file", "structure"
// (the built-in correspondence) or "sequence".
const char* alignmentSourceName(const RunState& state);
const char* modeName(RunMode mode);

// Creates the output folder where it is missing; a folder that cannot be
// made shows up as the first output that cannot be written.
void prepareOutputFolder(const RunState& state);

// The closing lines of a phase whose outputs were all written.
void printSuccess(const RunState& state);

// Runs one pass of method `method` at pass index `pass`; false ends the run.
bool runPass(RunState& state, int method, int pass);

// The first stage of a pass: both annotation lists into state.basePairMap.
bool readAnnotations(RunState& state, int method, int pass);


}  // namespace bexora
