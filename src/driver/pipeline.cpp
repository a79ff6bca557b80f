#include "driver/pipeline.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>

#include "alignment/aligner.h"
#include "alignment/fasta.h"
#include "alignment/residue_map.h"
#include "annotation/clarna.h"
#include "annotation/dssr.h"
#include "annotation/fr3d.h"
#include "annotation/mc_annotate.h"
#include "annotation/rnaview.h"
#include "mapping/annotation_writer.h"
#include "mapping/structure_alignment.h"
#include "tables/result_tables.h"
#include "util/basepair.h"
#include "util/log_lines.h"

namespace bexora {

namespace {

constexpr const char* kFastaName = "pdb_seqres.na.fa";

struct MethodFiles {
  const char* input;
  const char* output;
  const char* outputOrig;
  const char* tag;  // method token of the verbose records
};

const MethodFiles& methodFiles(int method) {
  static constexpr MethodFiles kFiles[kMethodCount] = {
      {".mca.out", ".mca.bexora", ".mca.orig.bexora", "MC"},
      {".rv.out", ".rv.bexora", ".rv.orig.bexora", "RV"},
      {".fr3d.out", ".fr3d.bexora", ".fr3d.bexora", "FR"},
      {".dssr.out", ".dssr.bexora", ".dssr.bexora", "DS"},
      {".cr.out", ".clarna.bexora", ".clarna.bexora", "CLA"},
  };
  bool known = method == kMcAnnotate || method == kFr3d || method == kDssr || method == kClaRna;
  return kFiles[known ? method : kRnaView];
}

std::string methodTitle(int method, const char* kind) {
  const char* name = methodName(method);
  return name ? std::string(name) + " " + kind : std::string("Undefined Method");
}

const std::string& pdbId(const RunState& state, int side, int pass) { return state.settings.pdbIds[side][pass]; }
const std::string& chainId(const RunState& state, int side, int pass) { return state.settings.chainIds[side][pass]; }

bool isBenchmark(const RunState& state) { return state.settings.testCodeFlag || state.settings.testCodeFlag2; }

// The readers' messages go to standard output as they come.
const Reporter& readerReporter() {
  static const Reporter reporter(
      [](Channel channel, const std::string& text) {
        if (channel == Channel::kOutput) std::fputs(text.c_str(), stdout);
      },
      false);
  return reporter;
}

bool readAnnotationFile(int method, const std::string& path, const std::string& id, const std::string& chain,
                        AnnotationOutput& out) {
  const Reporter& reporter = readerReporter();
  switch (method) {
    case kMcAnnotate: return readMCAnnotateOutput(path, chain, out, reporter);
    case kFr3d: return readFR3DOutput(path, id, chain, out, reporter);
    case kDssr: return readDSSROutput(path, id, chain, out, reporter);
    case kClaRna: return readClaRNAOutput(path, id, chain, out, reporter);
    default: return readRNAViewOutput(path, chain, out, reporter);
  }
}

}  // namespace

// Step 1: both annotation lists; an odd pass takes the previous pass's
// assessed pairs as its reference list, without the target's own pairs kept
// beside them, which the counts and logs leave out.
bool readAnnotations(RunState& state, int method, int pass) {
  for (int side = 0; side < kSides; ++side) {
    if (pass % 2 == 1 && side == kReference) {
      state.basePairMap[kReference] = state.mapping.assessedPairs;
      continue;
    }
    std::string path = state.settings.inputFolder + pdbId(state, side, pass) + methodFiles(method).input;
    AnnotationOutput out;
    if (!readAnnotationFile(method, path, pdbId(state, side, pass), chainId(state, side, pass), out)) return false;
    state.diagnostics.record(
        "annotation method=%s side=%d id=%s chain=%s file=%s pairs=%zu keptLines=%zu skippedLines=%zu layout=%s",
        methodFiles(method).tag, side, pdbId(state, side, pass).c_str(), chainId(state, side, pass).c_str(),
        path.c_str(), out.pairs.size(), out.keptLines.size(), out.skippedLines,
        out.layout.empty() ? "none" : out.layout.c_str());
    state.basePairMap[side] = std::move(out.pairs);
    if (side == kTarget) state.keptLines = std::move(out.keptLines);
    if (state.settings.motifMode)
      extractMotifInfo(state.motifs, pdbId(state, side, pass), methodTitle(method, "Regular"),
                       state.basePairMap[side]);
  }
  return true;
}

namespace {

std::string pairKey(const RunState& state, int pass) {
  return pdbId(state, kReference, pass) + ":" + chainId(state, kReference, pass) + "|" +
         pdbId(state, kTarget, pass) + ":" + chainId(state, kTarget, pass);
}

// Step 2: both chain sequences.
bool readSequences(RunState& state, int pass) {
  std::string fasta = state.settings.inputFolder + kFastaName;
  if (!readFastaSequence(fasta, pdbId(state, kReference, pass), chainId(state, kReference, pass),
                         pdbId(state, kTarget, pass), chainId(state, kTarget, pass), state.refSeqsMap)) {
    std::printf(
        "The chain sequence for given PDB was not found in %s.\nPlease check your input, or update the file from PDB "
        "server.\n",
        fasta.c_str());
    return false;
  }
  return true;
}

int countResidues(const std::vector<AtomInfo>& atoms) {
  int residues = 0;
  for (std::size_t i = 0; i < atoms.size(); ++i) {
    bool same = i > 0 && atoms[i].resSeqNo == atoms[i - 1].resSeqNo && atoms[i].iCode == atoms[i - 1].iCode &&
                std::string_view(atoms[i].chainId) == atoms[i - 1].chainId;
    if (!same) ++residues;
  }
  return residues;
}

void recordStructure(const RunState& state, int side, int pass, const LoadedStructure& s) {
  state.diagnostics.record(
      "structure side=%d id=%s chain=%s file=%s format=%s atoms=%zu residues=%d atomLines=%d reflections=%d "
      "resolution=%.6g freeR=%.6g completeness=%.6g dpi=%.6g",
      side, pdbId(state, side, pass).c_str(), chainId(state, side, pass).c_str(), s.file.path.c_str(),
      s.file.format.c_str(), s.atoms.size(), countResidues(s.atoms), s.refine.noOfAtoms, s.refine.noOfReflections,
      s.refine.resolution, s.refine.freeRValue, s.refine.completeness, s.refine.dpi);
}

const LoadedStructure* loadStructure(RunState& state, int side, int pass) {
  std::string key = pdbId(state, side, pass) + ":" + chainId(state, side, pass);
  auto found = state.structures.find(key);
  if (found != state.structures.end()) return &found->second;
  LoadedStructure loaded;
  loaded.atoms.reserve(kMaxAtoms);
  if (!readPDBFile(state.settings.inputFolder, pdbId(state, side, pass), loaded.refine, chainId(state, side, pass),
                   loaded.atoms, &loaded.file))
    return nullptr;
  loaded.atoms.shrink_to_fit();
  recordStructure(state, side, pass, loaded);
  return &state.structures.emplace(key, std::move(loaded)).first->second;
}

// Step 3: atoms and quality records of both sides.
bool readStructures(RunState& state, int pass) {
  for (int side = 0; side < kSides; ++side) {
    const LoadedStructure* loaded = loadStructure(state, side, pass);
    if (!loaded) return false;
    state.refine[side][pass] = loaded->refine;
    copyAtoms(state.atomMultiList[side], loaded->atoms);
  }
  return true;
}

// Steps 2, 3 and the sequence alignments of 5, kept per reference/target pair.
bool prepareChains(RunState& state, int pass) {
  std::string key = pairKey(state, pass);
  auto cached = state.alignments.find(key);
  if (cached == state.alignments.end() && !readSequences(state, pass)) return false;
  if (!readStructures(state, pass)) return false;
  if (cached != state.alignments.end()) {
    state.refSeqsMap = cached->second.refSeqsMap;
    state.refMap = cached->second.refMap;
    state.pdbTempMap = cached->second.pdbTempMap;
  } else {
    for (int side = 0; side < kSides; ++side)
      if (!alignPDBWithRef(state.atomMultiList[side], state.refMap[side], state.pdbTempMap[side],
                           state.refSeqsMap[side]))
        return false;
    if (!alignFasta(state.refSeqsMap)) return false;
    state.alignments[key] = PreparedAlignment{state.refSeqsMap, state.refMap, state.pdbTempMap};
  }
  for (int side = 0; side < kSides; ++side)
    state.diagnostics.record("sequence side=%d id=%s chain=%s length=%d", side, pdbId(state, side, pass).c_str(),
                             chainId(state, side, pass).c_str(), state.refSeqsMap[side].chain.length());
  return true;
}

// Step 4: a reference of worse resolution than the target.
void warnResolution(const RunState& state, int pass) {
  if (state.settings.testCodeFlag || pass % 2 == 1) return;
  double reference = state.refine[kReference][pass].resolution;
  double target = state.refine[kTarget][pass].resolution;
  if (reference <= target) return;
  std::printf("\nWarning!!! Undesired data resolution - ");
  std::printf(
      "Reference (%s - %.2lfA) is lower resolution than Target (%s - %.2lfA) (you may have given the PDB ids in "
      "reverse order), continuing anyway.\n",
      pdbId(state, kReference, pass).c_str(), reference, pdbId(state, kTarget, pass).c_str(), target);
}

std::string chainLetters(const ChainResidueMap& chain) {
  std::string letters;
  for (const ResidueMapEntry& entry : chain.entries) letters.push_back(entry.nucleotide);
  return letters;
}

void recordAlignment(const RunState& state, bool fromFile) {
  if (!state.diagnostics.enabled) return;
  double cost = 0;
  MMAlign(chainLetters(state.refSeqsMap[kReference].chain), chainLetters(state.refSeqsMap[kTarget].chain), nullptr,
          &cost);
  const auto& entries = state.pdbMap[kReference].chain.entries;
  long mapped = std::count_if(entries.begin(), entries.end(), [](const auto& e) { return e.mapIndex != -1; });
  long identical = std::count_if(entries.begin(), entries.end(), [](const auto& e) { return e.identical == 1; });
  state.diagnostics.record("alignment cost=%.6g refObserved=%d targetObserved=%d mapped=%ld identical=%ld source=%s",
                           cost, state.pdbMap[kReference].chain.length(), state.pdbMap[kTarget].chain.length(), mapped,
                           identical, fromFile ? "structure-file" : "sequence");
}

// Steps 5 and 6: the observed-to-observed map, from the structure-alignment
// file when there is one.
void composeResidueMap(RunState& state, int pass) {
  double dpi[kSides] = {state.refine[kReference][pass].dpi, state.refine[kTarget][pass].dpi};
  alignPDBs(state.refSeqsMap, state.refMap, state.pdbTempMap, state.pdbMap, dpi);
  const StructureResidueMap& ref = state.pdbMap[kReference];
  const StructureResidueMap& target = state.pdbMap[kTarget];
  bool fromFile = updatePDBAlign_Vantor(state.pdbMap, state.settings.inputFolder, ref.pdbId, ref.chain.chainId,
                                        target.pdbId, target.chain.chainId);
  if (!fromFile && !state.alignmentWarningShown) {
    std::printf("\nWarning!!! Structure alignment file \"%s_%s_%s_%s.aln\" was not found, ", ref.pdbId,
                ref.chain.chainId, target.pdbId, target.chain.chainId);
    std::printf("continuing with alternate built-in sequence alignment.\n");
    state.alignmentWarningShown = true;
  }
  recordAlignment(state, fromFile);
}

// Step 7: the classes of the target's own annotation on odd passes.
void classifyBenchmarkTarget(const RunState& state, int pass) {
  if (pass % 2 == 0) return;
  const std::vector<BPInfo>& target = state.basePairMap[kTarget];
  ClassCounts counts;
  for (const BPInfo& pair : target) counts.add(pair);
  std::printf("Total Benchmark BP = %zu\n", target.size());
  std::printf("--------Benchmark (%s) BP classification--------\n", pdbId(state, kTarget, pass).c_str());
  std::printf("Canonical = %d, Noncanonical = %d, Others = %d\n", counts.canonical, counts.nonCanonical, counts.other);
  writeLogLine(state.logs.log, LogLine::kBenchmarkId, {{pdbId(state, kTarget, pass)}});
  writeLogLine(state.logs.log, LogLine::kBenchmarkClasses, {{}, {counts.canonical, counts.nonCanonical, counts.other}});
}

// Steps 8 and 9.
void mapPairs(RunState& state, int method, int pass) {
  state.mapping.compareEdge = state.compareEdgeSetting ? 1 : (pass % 2 == 1 ? 1 : 0);
  mapBasePairs(state.atomMultiList, state.pdbMap, state.basePairMap, pass % 2 == 0, state.logs, state.mapping);
  const MappingState& m = state.mapping;
  state.diagnostics.record(
      "mapping method=%s tolerance=%.6g common=%zu refInferable=%zu refNonInferable=%zu targetInferable=%zu "
      "targetNonInferable=%zu acceptedCommon=%d acceptedRefInferable=%d acceptedTargetInferable=%d "
      "acceptedTargetNonInferable=%d",
      methodFiles(method).tag, m.tolerance, m.basePairCommon[kReference].count(), m.basePairSetDiff[kReference].count(),
      m.basePairNoAlign[kReference].count(), m.basePairSetDiff[kTarget].count(), m.basePairNoAlign[kTarget].count(),
      m.accepted[kGroupCommon].total, m.accepted[kGroupRefInferable].total, m.accepted[kGroupTargetInferable].total,
      m.accepted[kGroupTargetNonInferable].total);
}

// Step 10: the enhanced annotation of the target, on even passes of a
// writing phase.
void writeOutput(RunState& state, int method, int pass) {
  if (state.writeCompResult == 0 || pass % 2 == 1) return;
  const MethodFiles& files = methodFiles(method);
  std::string suffix = pdbId(state, kTarget, pass) + "_" + chainId(state, kTarget, pass) +
                       (state.settings.origFormat ? files.outputOrig : files.output);
  std::string output = state.settings.outputFolder + suffix;
  std::string sourceTags = state.settings.outputFolder + "BP_Src/" + suffix + ".bpsrc";
  WriteSummary summary;
  const MappingState& m = state.mapping;
  if (!printAcceptedBPInteractions(output, sourceTags, pdbId(state, kTarget, pass), method, state.keptLines,
                                   m.assessedPairs, m.keptTargetPairs, state.settings.origFormat, &summary,
                                   state.runOutputs.get())) {
    state.outputFailed = true;
    return;
  }
  state.diagnostics.record("output file=%s pairs=%d both=%d bexora=%d own=%d", output.c_str(), summary.pairs,
                           summary.both, summary.bexora, summary.own);
  if (state.settings.motifMode)
    extractMotifInfo(state.motifs, pdbId(state, kTarget, pass), methodTitle(method, "Bexora"),
                     pairsInWritingOrder(m.assessedPairs, m.keptTargetPairs));
}

void printSuccess(const RunState& state) {
  std::printf("\nSuccessfully enhanced the basepair annotation for PDB %s, chain %s.\n",
              pdbId(state, kTarget, 0).c_str(), chainId(state, kTarget, 0).c_str());
  std::printf("The result for method");
  methodListPrint(state.settings.methodList);
  std::printf("is placed in folder: %s\n", state.settings.outputFolder.c_str());
}

void writePhaseHeader(const RunState& state) {
  std::string header = logSectionHeader(state.writeCompResult ? 1 : 0);
  writeLogText(state.logs.log2, header);
  writeLogText(state.logs.log, header);
}

bool runPhases(RunState& state) {
  for (; state.writeCompResult <= 1; ++state.writeCompResult) {
    writePhaseHeader(state);
    if (state.logs.log) state.plan = testBexora(state.writeCompResult, state.settings);
    state.compareEdgeSetting = state.plan.compareEdgeSetting;
    for (int method : state.settings.methodList) {
      writeLogText(state.logs.log, logMethodHeader(method));
      writeLogText(state.logs.log2, logMethodHeader(method));
      for (int pass = state.plan.passStart; pass <= state.plan.passEnd; pass += state.plan.passStep)
        if (!runPass(state, method, pass)) return false;
    }
    if (!state.outputFailed) printSuccess(state);
  }
  return true;
}

std::FILE* openLog(const RunState& state, const char* name) {
  std::string path = state.settings.outputFolder + name;
  std::FILE* log = state.runOutputs->openStream(path);
  if (!log) std::printf("%s file could not be created.\n", path.c_str());
  return log;
}

bool openLogs(RunState& state) {
  state.logs.log = openLog(state, "log.txt");
  if (!state.logs.log) return false;
  state.logs.log2 = openLog(state, "log2.txt");
  return state.logs.log2 != nullptr;
}

// Finishes the logs and motif reports; false when a file could not be
// written completely. The group closes the streams, so the logs are let go.
bool finishRunOutputs(RunState& state) {
  state.logs.log = state.logs.log2 = nullptr;
  if (state.runOutputs->finishStreams()) return true;
  std::printf("%s could not be written completely.\n", state.runOutputs->failedPath().c_str());
  return false;
}

const char* modeName(RunMode mode) {
  switch (mode) {
    case RunMode::kBenchmark: return "benchmark";
    case RunMode::kBenchmarkMotif: return "benchmark-motif";
    case RunMode::kBestReference: return "bestref";
    default: return "single";
  }
}

void recordRun(const RunState& state) {
  std::string methods;
  for (int method : state.settings.methodList) methods += std::string(methods.empty() ? "" : ",") + methodToken(method);
  if (isBenchmark(state)) methods = "MC,RV,FR,DS,CLA";
  state.diagnostics.record("run mode=%s methods=%s reference=%s:%s target=%s:%s origFormat=%d",
                           modeName(state.settings.mode), methods.c_str(), pdbId(state, kReference, 0).c_str(),
                           chainId(state, kReference, 0).c_str(), pdbId(state, kTarget, 0).c_str(),
                           chainId(state, kTarget, 0).c_str(), state.settings.origFormat ? 1 : 0);
}

// The log's staged name within the output folder, from which the tables are made.
std::string stagedLog(const RunState& state, const char* name) {
  std::string staged = state.runOutputs->stagedName(state.settings.outputFolder + name);
  return staged.empty() ? name : std::filesystem::path(staged).filename().string();
}

// The tables join the logs and motif reports, and all are committed at once:
// a run that fails anywhere leaves the previous complete set as it was.
bool writeTablesAndCommit(RunState& state) {
  const std::string& folder = state.settings.outputFolder;
  OutputGroup& outputs = *state.runOutputs;
  if (state.settings.testCodeFlag && !readLogWriteTables(folder, stagedLog(state, "log.txt"), &outputs)) return false;
  if (state.settings.testCodeFlag2 && !processInferabilityLog(folder, stagedLog(state, "log2.txt"), &outputs))
    return false;
  if (outputs.commit()) return true;
  std::printf("%s file could not be created\n", outputs.failedPath().c_str());
  return false;
}

}  // namespace

RunState::RunState(const RunSettings& runSettings) : settings(runSettings) {
  diagnostics.enabled = settings.verbose;
  for (auto& side : atomMultiList) side.reserve(kMaxAtoms);
  for (auto& side : basePairMap) side.reserve(kMaxBasePairs);
}

bool runPass(RunState& state, int method, int pass) {
  if (isBenchmark(state))
    state.diagnostics.record("pass phase=%d method=%s pass=%d reference=%s:%s target=%s:%s", state.writeCompResult,
                             methodFiles(method).tag, pass, pdbId(state, kReference, pass).c_str(),
                             chainId(state, kReference, pass).c_str(), pdbId(state, kTarget, pass).c_str(),
                             chainId(state, kTarget, pass).c_str());
  if (!readAnnotations(state, method, pass) || !prepareChains(state, pass)) return false;
  warnResolution(state, pass);
  composeResidueMap(state, pass);
  classifyBenchmarkTarget(state, pass);
  mapPairs(state, method, pass);
  writeOutput(state, method, pass);
  return true;
}

int runProgram(int argc, char** argv) {
  RunSettings settings;
  ArgumentsOutcome outcome = processArguments(argc, argv, settings);
  if (!outcome.runPipeline) return outcome.exitStatus;
  auto state = std::make_unique<RunState>(settings);
  recordRun(*state);
  // A folder that cannot be made shows up as the first output that cannot be written.
  std::error_code ignored;
  std::filesystem::create_directories(settings.outputFolder, ignored);
  if (isBenchmark(*state)) state->runOutputs = std::make_unique<OutputGroup>(settings.outputFolder);
  if (settings.motifMode) motifInitialization(state->motifs, settings.outputFolder, *state->runOutputs);
  if (settings.motifMode && !state->motifs.printMotifs) state->outputFailed = true;
  if (!isBenchmark(*state))
    std::printf("Reference: %s %s\nTarget: %s %s\n", pdbId(*state, kReference, 0).c_str(),
                chainId(*state, kReference, 0).c_str(), pdbId(*state, kTarget, 0).c_str(),
                chainId(*state, kTarget, 0).c_str());
  if (settings.testCodeFlag) {
    if (!openLogs(*state)) return 1;
    state->writeCompResult = 0;
  }
  bool ok = runPhases(*state) && !state->outputFailed;
  if (ok && state->runOutputs) ok = finishRunOutputs(*state) && writeTablesAndCommit(*state);
  return ok ? 0 : 1;
}

}  // namespace bexora
