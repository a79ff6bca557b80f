#include "driver/pipeline.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>

#include "alignment/aligner.h"
#include "alignment/residue_map.h"
#include "annotation/readers.h"
#include "driver/batch.h"
#include "driver/chain_sequences.h"
#include "driver/consensus_run.h"
#include "driver/shared_inputs.h"
#include "output/annotation_writer.h"
#include "output/correspondence_file.h"
#include "output/secondary_structure_files.h"
#include "output/evidence.h"
#include "alignment/structure_alignment.h"
#include "tables/mapping_log.h"
#include "tables/result_tables.h"
#include "model/basepair.h"
#include "mapping/geometry.h"
#include "tables/log_lines.h"
#include "model/input_files.h"
#include "util/line_reader.h"

namespace bexora {

namespace {

// An id outside the table reads and writes as RNAView.
const MethodInfo& methodFiles(int method) { return kMethods[method >= 0 && method < kMethodCount ? method : kRnaView]; }

std::string methodTitle(int method, const char* kind) {
  const char* name = methodName(method);
  return name ? std::string(name) + " " + kind : std::string("Undefined Method");
}

bool isBenchmark(const RunState& state) { return state.settings.writeCorrectnessLog || state.settings.writeInferabilityLog; }

// One reading of the file, its messages kept in `into` to be told on every use.
bool readAnnotationInto(const RunState& state, int method, const std::string& path, const std::string& id,
                        const std::string& chain, ReadAnnotation& into) {
  const AnnotationReadOptions options{state.settings.readModified, isBenchmark(state)};
  const bool ok = readAnnotationFile(method, path, id, chain, into.out,
                                     keepingReporter(into.messages, state.reporter.recordsWanted()), options);
  into.out.pairs.shrink_to_fit();  // the reader reserves room for the largest list
  return ok;
}

// A batch reads each chain's annotation once for all its pairs.
bool readSharedAnnotation(RunState& state, int method, const std::string& path, const std::string& id,
                          const std::string& chain, AnnotationOutput& out) {
  auto read = [&](ReadAnnotation& into) { return readAnnotationInto(state, method, path, id, chain, into); };
  bool ok = false;
  const ReadAnnotation& shared = state.shared->annotation(id, chain, method, read, ok);
  relayAll(shared.messages, state.reporter);
  if (ok) out = shared.out;
  return ok;
}

// The file as its first reading in this run gave it; every use tells that
// reading's messages, so the output is what reading it again would give.
bool readAnnotationOnce(RunState& state, int method, const std::string& path, const std::string& id,
                        const std::string& chain, AnnotationOutput& out) {
  if (state.shared) return readSharedAnnotation(state, method, path, id, chain, out);
  const std::string key = std::string(methodFiles(method).token) + "|" + path + "|" + id + "|" + chain;
  auto found = state.annotations.find(key);
  if (found == state.annotations.end()) {
    ReadAnnotation read;
    const bool ok = readAnnotationInto(state, method, path, id, chain, read);
    relayAll(read.messages, state.reporter);
    if (!ok) return false;
    found = state.annotations.emplace(key, std::move(read)).first;
  } else {
    relayAll(found->second.messages, state.reporter);
  }
  out = found->second.out;
  return true;
}

// The first of the names the tool's files go by, else Bexora's own name,
// whose reading then says that it is missing.
std::string annotationPath(const RunState& state, int method, const std::string& id) {
  const std::string found =
      findInputFile(state.settings.inputFolder, annotationFileNames(method, id), state.reporter);
  return found.empty() ? state.settings.inputFolder + id + methodFiles(method).input : found;
}

void tellNamesTried(const RunState& state, int method, const std::string& id) {
  state.reporter.say("Looked in %s for %s.\n", state.settings.inputFolder.c_str(),
                     nameList(annotationFileNames(method, id)).c_str());
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
    const std::string path = annotationPath(state, method, pdbId(state, side, pass));
    AnnotationOutput out;
    if (!readAnnotationOnce(state, method, path, pdbId(state, side, pass), chainId(state, side, pass), out)) {
      if (!fileExists(path)) tellNamesTried(state, method, pdbId(state, side, pass));
      return false;
    }
    state.reporter.record(
        "annotation method=%s side=%d id=%s chain=%s file=%s pairs=%zu keptLines=%zu skippedLines=%zu layout=%s",
        methodFiles(method).token, side, pdbId(state, side, pass).c_str(), chainId(state, side, pass).c_str(),
        path.c_str(), out.pairs.size(), out.keptLines.size(), out.skippedLines,
        out.layout.empty() ? "none" : out.layout.c_str());
    state.basePairMap[side] = std::move(out.pairs);
    state.annotationFiles[side] = path;
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

int countResidues(const std::vector<AtomInfo>& atoms) {
  int residues = 0;
  for (std::size_t i = 0; i < atoms.size(); ++i) {
    bool same = i > 0 && atoms[i].resSeqNo == atoms[i - 1].resSeqNo && atoms[i].iCode == atoms[i - 1].iCode &&
                std::string_view(atoms[i].chainId) == atoms[i - 1].chainId;
    if (!same) ++residues;
  }
  return residues;
}

// A statistic read as "-0.0" is 0, and is recorded so.
double unsignedZero(double value) { return value == 0 ? 0.0 : value; }

void recordStructure(const RunState& state, int side, int pass, const LoadedStructure& s) {
  if (!state.reporter.recordsWanted()) return;  // counting the residues walks every atom
  state.reporter.record(
      "structure side=%d id=%s chain=%s file=%s format=%s atoms=%zu residues=%d atomLines=%d reflections=%d "
      "resolution=%.6g freeR=%.6g completeness=%.6g dpi=%.6g dpiSource=%s",
      side, pdbId(state, side, pass).c_str(), chainId(state, side, pass).c_str(), s.file.path.c_str(),
      s.file.format.c_str(), s.atoms.size(), countResidues(s.atoms), s.refine.noOfAtoms, s.refine.noOfReflections,
      unsignedZero(s.refine.resolution), unsignedZero(s.refine.freeRValue), unsignedZero(s.refine.completeness),
      unsignedZero(s.refine.dpi), dpiSourceName(s.refine.dpiSource));
}

void warnUnknownDpi(const RunState& state, const std::string& id) {
  state.reporter.say(
      "Warning!!! The DPI of structure %s is unknown and counts as 0 in the tolerance; --unknown-dpi A gives such "
      "structures a DPI of A angstrom.\n",
      id.c_str());
}

void warnAbsentAtoms(const RunState& state, int side, int pass, const std::vector<AtomInfo>& atoms) {
  std::vector<std::string> absent = measuredAtomsAbsent(atoms);
  if (absent.empty()) return;
  std::string names;
  for (const std::string& name : absent) names += (names.empty() ? "" : ", ") + name;
  state.reporter.say("Warning!!! Structure %s chain %s has no atom named %s; pairs whose measurement needs them are "
                     "not measured.\n",
                     pdbId(state, side, pass).c_str(), chainId(state, side, pass).c_str(), names.c_str());
}

// A batch takes the structure its pairs share.
std::shared_ptr<const LoadedStructure> readStructure(RunState& state, int side, int pass) {
  if (state.shared) return state.shared->structure(pdbId(state, side, pass), chainId(state, side, pass), state.reporter);
  auto loaded = std::make_shared<LoadedStructure>();
  if (!readStructureFile(state.settings, pdbId(state, side, pass), chainId(state, side, pass), *loaded,
                         state.reporter))
    return nullptr;
  return loaded;
}

const LoadedStructure* loadStructure(RunState& state, int side, int pass) {
  std::string key = pdbId(state, side, pass) + ":" + chainId(state, side, pass);
  auto found = state.structures.find(key);
  if (found != state.structures.end()) return found->second.get();
  std::shared_ptr<const LoadedStructure> loaded = readStructure(state, side, pass);
  if (!loaded) return nullptr;
  recordStructure(state, side, pass, *loaded);
  if (!isBenchmark(state) && loaded->refine.dpiSource == DpiSource::kUnknown)
    warnUnknownDpi(state, pdbId(state, side, pass));
  if (!isBenchmark(state)) warnAbsentAtoms(state, side, pass, loaded->atoms);
  return state.structures.emplace(key, std::move(loaded)).first->second.get();
}

// Step 3: atoms and quality records of both sides.
bool readStructures(RunState& state, int pass) {
  for (int side = 0; side < kSides; ++side) {
    const LoadedStructure* loaded = loadStructure(state, side, pass);
    if (!loaded) return false;
    state.refine[side][pass] = loaded->refine;
    state.atomMultiList[side] = &loaded->atoms;
  }
  return true;
}

// Steps 2, 3 and the sequence alignments of 5, kept per reference/target pair.
bool prepareChains(RunState& state, int pass) {
  std::string key = pairKey(state, pass);
  auto cached = state.alignments.find(key);
  if (cached == state.alignments.end() && !readChainSequences(state, pass)) return false;
  if (!readStructures(state, pass)) return false;
  if (cached != state.alignments.end()) {
    state.refSeqsMap = cached->second.refSeqsMap;
    state.refMap = cached->second.refMap;
    state.pdbTempMap = cached->second.pdbTempMap;
  } else {
    for (int side = 0; side < kSides; ++side)
      if (!alignPDBWithRef(*state.atomMultiList[side], state.refMap[side], state.pdbTempMap[side],
                           state.refSeqsMap[side], state.reporter))
        return false;
    if (!alignFasta(state.refSeqsMap, state.reporter)) return false;
    state.alignments[key] = PreparedAlignment{state.refSeqsMap, state.refMap, state.pdbTempMap};
  }
  for (int side = 0; side < kSides; ++side)
    state.reporter.record("sequence side=%d id=%s chain=%s length=%d", side, pdbId(state, side, pass).c_str(),
                          chainId(state, side, pass).c_str(), state.refSeqsMap[side].chain.length());
  return true;
}

// A structure that states no resolution cannot be compared with the other;
// a single run says so rather than calling it 0.00 A.
bool resolutionsComparable(const RunState& state, int pass) {
  std::string silent;
  for (int side = 0; side < kSides; ++side)
    if (state.refine[side][pass].resolution <= 0)
      silent += (silent.empty() ? "" : " and ") + pdbId(state, side, pass);
  if (silent.empty()) return true;
  state.reporter.say("\nWarning!!! %s give%s no resolution; the reference's and the target's are not compared.\n",
                     silent.c_str(), silent.find(' ') == std::string::npos ? "s" : "");
  return false;
}

// Step 4: a reference of worse resolution than the target, once per run.
void warnResolution(RunState& state, int pass) {
  if (state.settings.writeCorrectnessLog || pass % 2 == 1 || state.resolutionWarningShown) return;
  state.resolutionWarningShown = true;
  if (!resolutionsComparable(state, pass)) return;
  double reference = state.refine[kReference][pass].resolution;
  double target = state.refine[kTarget][pass].resolution;
  if (reference <= target) return;
  state.reporter.say("\nWarning!!! Undesired data resolution - ");
  state.reporter.say(
      "Reference (%s - %.2lfA) is lower resolution than Target (%s - %.2lfA) (you may have given the PDB ids in "
      "reverse order), continuing anyway.\n",
      pdbId(state, kReference, pass).c_str(), reference, pdbId(state, kTarget, pass).c_str(), target);
}

std::string chainLetters(const ChainResidueMap& chain) {
  std::string letters;
  for (const ResidueMapEntry& entry : chain.entries) letters.push_back(entry.nucleotide);
  return letters;
}

void recordAlignment(const RunState& state) {
  if (!state.reporter.recordsWanted()) return;
  double cost = 0;
  MMAlign(chainLetters(state.refSeqsMap[kReference].chain), chainLetters(state.refSeqsMap[kTarget].chain), nullptr,
          &cost, state.reporter);
  const auto& entries = state.pdbMap[kReference].chain.entries;
  long mapped = std::count_if(entries.begin(), entries.end(), [](const auto& e) { return e.mapIndex != -1; });
  long identical = std::count_if(entries.begin(), entries.end(), [](const auto& e) { return e.identical == 1; });
  std::string quality;
  if (state.correspondence) {
    char text[128];
    std::snprintf(text, sizeof text, " aligned=%d rmsd=%.6g tmScore=%.6g", state.correspondence->aligned,
                  state.correspondence->rmsd, state.correspondence->tmScore);
    quality = text;
  }
  state.reporter.record("alignment cost=%.6g refObserved=%d targetObserved=%d mapped=%ld identical=%ld source=%s%s",
                        cost, state.pdbMap[kReference].chain.length(), state.pdbMap[kTarget].chain.length(), mapped,
                        identical, alignmentSourceName(state), quality.c_str());
}

// The map from the backbones, computed once per reference/target pair; the
// sequence alignment's stays when a chain has too few backbone atoms.
void applyStructureCorrespondence(RunState& state, int pass) {
  const std::string key = pairKey(state, pass);
  auto found = state.correspondences.find(key);
  if (found == state.correspondences.end()) {
    CorrespondenceQuality quality;
    ResidueMapPair map = state.pdbMap;
    if (!alignByStructure(map, *state.atomMultiList[kReference], *state.atomMultiList[kTarget], quality)) return;
    found = state.correspondences.emplace(key, std::make_pair(std::move(map), quality)).first;
  }
  state.pdbMap = found->second.first;
  state.correspondence = found->second.second;
}

void tellAlignmentUsed(RunState& state, const StructureResidueMap& ref, const StructureResidueMap& target) {
  state.reporter.say("\nWarning!!! Structure alignment file \"%s_%s_%s_%s.aln\" was not found, ", ref.pdbId,
                     ref.chain.chainId, target.pdbId, target.chain.chainId);
  if (state.correspondence)
    state.reporter.say("continuing with the built-in structure correspondence: %d residues aligned, RMSD %.2f A, "
                       "TM-score %.3f.\n",
                       state.correspondence->aligned, state.correspondence->rmsd, state.correspondence->tmScore);
  else
    state.reporter.say("continuing with alternate built-in sequence alignment.\n");
  state.alignmentWarningShown = true;
}

// Steps 5 and 6: the observed-to-observed map, from the structure-alignment
// file when there is one, else from the structures when asked for.
void composeResidueMap(RunState& state, int pass) {
  alignPDBs(state.refSeqsMap, state.refMap, state.pdbTempMap, state.pdbMap);
  const StructureResidueMap& ref = state.pdbMap[kReference];
  const StructureResidueMap& target = state.pdbMap[kTarget];
  AlignmentFileUse use = applyStructureAlignmentFile(state.pdbMap, state.settings.inputFolder, ref.pdbId,
                                                     ref.chain.chainId, target.pdbId, target.chain.chainId,
                                                     state.reporter);
  if (use == AlignmentFileUse::kChainMismatch) state.reporter.pause();
  bool fromFile = use == AlignmentFileUse::kUsed;
  state.alignmentFromFile = fromFile;
  state.correspondence.reset();
  if (!fromFile && state.settings.structureCorrespondence && !isBenchmark(state))
    applyStructureCorrespondence(state, pass);
  if (!fromFile && !state.alignmentWarningShown) tellAlignmentUsed(state, ref, target);
  recordAlignment(state);
}

// Step 7: the classes of the target's own annotation on odd passes.
void classifyBenchmarkTarget(const RunState& state, int pass) {
  if (pass % 2 == 0) return;
  const std::vector<BPInfo>& target = state.basePairMap[kTarget];
  ClassCounts counts;
  for (const BPInfo& pair : target) counts.add(pair);
  state.reporter.say("Total Benchmark BP = %zu\n", target.size());
  state.reporter.say("--------Benchmark (%s) BP classification--------\n", pdbId(state, kTarget, pass).c_str());
  state.reporter.say("Canonical = %d, Noncanonical = %d, Others = %d\n", counts.canonical, counts.nonCanonical,
                     counts.other);
  writeLogLine(state.logs.log, LogLine::kBenchmarkId, {{pdbId(state, kTarget, pass)}});
  writeLogLine(state.logs.log, LogLine::kBenchmarkClasses, {{}, {counts.canonical, counts.nonCanonical, counts.other}});
}

// Pairs the assessment could not place: bases without edge atoms, and
// pairs on residues the structure reader left out.
void reportAssessedOddities(const RunState& state, bool hintUnread) {
  for (const UnknownBaseCount& entry : state.mapping.unknownBases)
    state.reporter.say("!!!Error-'%c' as residue with edge %c!!! (%d pair%s of %s)\n", entry.base, entry.edge,
                       entry.pairs, entry.pairs == 1 ? "" : "s", entry.structure.c_str());
  int unread = hintUnread ? countPairsOnUnreadResidues(state.pdbMap, state.basePairMap) : 0;
  if (unread > 0)
    state.reporter.warn("%d base pairs of %s and %s were left out because their residues were not read; "
                        "--modified reads modified nucleotides.\n",
                        unread, state.pdbMap[kReference].pdbId, state.pdbMap[kTarget].pdbId);
}

// Steps 8 and 9.
void mapPairs(RunState& state, int method, int pass) {
  state.mapping.compareEdge = state.compareEdgeSetting ? 1 : (pass % 2 == 1 ? 1 : 0);
  // The hint concerns single runs that left modified nucleotides out.
  bool hintModified = !isBenchmark(state) && !state.settings.readModified;
  const bool assess = pass % 2 == 0;
  state.mapping.dpi = {state.refine[kReference][pass].dpi, state.refine[kTarget][pass].dpi};
  state.mapping.tolerance = toleranceFromDpi(state.mapping.dpi[kReference], state.mapping.dpi[kTarget]);
  mapBasePairs(state.atomMultiList, state.pdbMap, state.basePairMap, assess, state.mapping, state.reporter);
  if (assess) reportAssessedOddities(state, hintModified);
  writeMappingLogLines(state.logs, state.pdbMap, state.mapping, assess);
  const MappingState& m = state.mapping;
  state.reporter.record(
      "mapping method=%s tolerance=%.6g common=%zu refInferable=%zu refNonInferable=%zu targetInferable=%zu "
      "targetNonInferable=%zu acceptedCommon=%d acceptedRefInferable=%d acceptedTargetInferable=%d "
      "acceptedTargetNonInferable=%d",
      methodFiles(method).token, m.tolerance, m.basePairCommon[kReference].count(), m.basePairSetDiff[kReference].count(),
      m.basePairNoAlign[kReference].count(), m.basePairSetDiff[kTarget].count(), m.basePairNoAlign[kTarget].count(),
      m.accepted[kGroupCommon].total, m.accepted[kGroupRefInferable].total, m.accepted[kGroupTargetInferable].total,
      m.accepted[kGroupTargetNonInferable].total);
}

// The --2d files beside the enhanced annotation `output`.
bool writeSecondaryStructure(const RunState& state, int method, int pass, const std::string& output,
                             OutputGroup& files) {
  std::string title = pdbId(state, kTarget, pass) + "_" + chainId(state, kTarget, pass) + ", " +
                      methodTitle(method, "annotation") + " enhanced from " + pdbId(state, kReference, pass) + "_" +
                      chainId(state, kReference, pass);
  return writeSecondaryStructureFiles(output, title, chainId(state, kTarget, pass),
                                      state.pdbMap[kTarget].chain.entries,
                                      pairsInWritingOrder(state.mapping.assessedPairs, state.mapping.keptTargetPairs),
                                      method, state.reporter, &files);
}

// The record of every assessed pair, beside the source-tag file.
bool writeEvidence(const RunState& state, const std::string& path, OutputGroup& files) {
  if (!state.mapping.collectEvidence || writeEvidenceFile(path, state.mapping, &files)) return true;
  state.reporter.say("%s file could not be created\n", path.c_str());
  return false;
}

// The structure correspondence goes with every method's files, so that each
// committed group names the map its pairs were carried with.
bool stageCorrespondence(const RunState& state, OutputGroup& files) {
  if (!state.correspondence) return true;
  const std::string path = state.settings.outputFolder + correspondenceFileName(state.pdbMap);
  if (files.stage(path, correspondenceText(state.pdbMap))) return true;
  state.reporter.say("%s file could not be created\n", path.c_str());
  return false;
}

// A single run commits each method's files on their own; a benchmark's wait
// in the run's group for the end, a batch pair's for the pair's end.
bool commitOwnGroup(RunState& state, int method, std::unique_ptr<OutputGroup>& own) {
  if (state.runOutputs) return true;
  if (state.shared) {
    state.heldOutputs.emplace_back(method, std::move(own));
    return true;
  }
  if (own->commit()) return true;
  state.reporter.say("%s file could not be created\n", own->failedPath().c_str());
  return false;
}

// One line per method of a single run: what was read, carried, checked and
// written; `written` is null when the annotation could not be written.
void printSummary(const RunState& state, int method, const WriteSummary* written) {
  if (isBenchmark(state)) return;
  const MappingState& m = state.mapping;
  const char* tool = methodName(method);
  const std::size_t checked = m.basePairSetDiff[kTarget].count();
  const int differing = m.accepted[kGroupTargetInferable].total;
  const std::size_t kept = m.rules.keepToolPairs ? checked : static_cast<std::size_t>(differing);
  state.reporter.say("Summary: %s: target %zu pairs, reference %zu; carried over %zu, accepted %d; target's own checked %zu, "
                     "differing %d, kept %zu (tolerance %.3f A); ",
              tool, state.basePairMap[kTarget].size(), state.basePairMap[kReference].size(),
              m.basePairSetDiff[kReference].count(), m.accepted[kGroupRefInferable].total, checked, differing, kept,
              m.tolerance);
  if (written)
    state.reporter.say("written %d: Both %d, Bexora %d, %s %d\n", written->pairs, written->both, written->bexora, tool,
                written->own);
  else
    state.reporter.say("nothing written\n");
}

// Step 10: the enhanced annotation of the target, on even passes of a
// writing phase.
void writeOutput(RunState& state, int method, int pass) {
  if (state.phase == 0 || pass % 2 == 1) return;
  const MethodInfo& files = methodFiles(method);
  std::string suffix = pdbId(state, kTarget, pass) + "_" + chainId(state, kTarget, pass) +
                       (state.settings.origFormat ? files.outputOrig : files.output);
  std::string output = state.settings.outputFolder + suffix;
  std::string sourceTags = state.settings.outputFolder + "BP_Src/" + suffix + ".bpsrc";
  // The annotation, its source tags, evidence and --2d files are committed
  // together, so that no reader finds files of two runs side by side.
  auto own = std::make_unique<OutputGroup>(state.settings.outputFolder, state.reporter, !state.shared);
  OutputGroup& group = state.runOutputs ? *state.runOutputs : *own;
  WriteSummary summary;
  const MappingState& m = state.mapping;
  if (!printAcceptedBPInteractions(output, sourceTags, pdbId(state, kTarget, pass), method, state.keptLines,
                                   m.assessedPairs, m.keptTargetPairs, state.settings.origFormat, state.reporter,
                                   &summary, &group) ||
      !writeEvidence(state, state.settings.outputFolder + "BP_Src/" + suffix + ".evidence.tsv", group) ||
      (state.settings.secondaryStructure && !writeSecondaryStructure(state, method, pass, output, group)) ||
      !stageCorrespondence(state, group) ||
      !commitOwnGroup(state, method, own)) {
    state.outputFailed = true;
    printSummary(state, method, nullptr);
    return;
  }
  state.written[method] = summary;
  if (consensusWanted(state)) keepForConsensus(state, method);
  state.reporter.record("output file=%s pairs=%d both=%d bexora=%d own=%d", output.c_str(), summary.pairs,
                        summary.both, summary.bexora, summary.own);
  printSummary(state, method, &summary);
  if (state.settings.motifMode)
    extractMotifInfo(state.motifs, pdbId(state, kTarget, pass), methodTitle(method, "Bexora"),
                     pairsInWritingOrder(m.assessedPairs, m.keptTargetPairs));
}

}  // namespace

const char* alignmentSourceName(const RunState& state) {
  if (state.alignmentFromFile) return "structure-file";
  return state.correspondence ? "structure" : "sequence";
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
  state.reporter.record("run mode=%s methods=%s reference=%s:%s target=%s:%s origFormat=%d",
                        modeName(state.settings.mode), methods.c_str(), pdbId(state, kReference, 0).c_str(),
                        chainId(state, kReference, 0).c_str(), pdbId(state, kTarget, 0).c_str(),
                        chainId(state, kTarget, 0).c_str(), state.settings.origFormat ? 1 : 0);
}

RunState::RunState(const RunSettings& runSettings)
    : settings(runSettings), reporter(consoleReporter(runSettings.verbose)) {
  mapping.collectEvidence = !isBenchmark(*this);
  if (!isBenchmark(*this)) mapping.rules = MappingRules{!settings.pruneOwn, true, true, settings.maxContact};
}

void printSuccess(const RunState& state) {
  state.reporter.say("\nSuccessfully enhanced the basepair annotation for PDB %s, chain %s.\n",
                     pdbId(state, kTarget, 0).c_str(), chainId(state, kTarget, 0).c_str());
  state.reporter.say("The result for method%sis placed in folder: %s\n",
                     methodListText(state.settings.methodList).c_str(), state.settings.outputFolder.c_str());
}

void prepareOutputFolder(const RunState& state) {
  // A folder that cannot be made shows up as the first output that cannot be written.
  std::error_code ignored;
  std::filesystem::create_directories(state.settings.outputFolder, ignored);
}

bool runPass(RunState& state, int method, int pass) {
  if (isBenchmark(state))
    state.reporter.record("pass phase=%d method=%s pass=%d reference=%s:%s target=%s:%s", state.phase,
                          methodFiles(method).token, pass, pdbId(state, kReference, pass).c_str(),
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

}  // namespace bexora
