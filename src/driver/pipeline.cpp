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
#include "driver/batch.h"
#include "driver/shared_inputs.h"
#include "mapping/annotation_writer.h"
#include "mapping/secondary_structure_files.h"
#include "mapping/evidence.h"
#include "mapping/structure_alignment.h"
#include "tables/result_tables.h"
#include "util/basepair.h"
#include "util/geometry.h"
#include "util/log_lines.h"

namespace bexora {

namespace {

constexpr const char* kFastaName = "pdb_seqres.na.fa";

// An id outside the table reads and writes as RNAView.
const MethodInfo& methodFiles(int method) { return kMethods[method >= 0 && method < kMethodCount ? method : kRnaView]; }

std::string methodTitle(int method, const char* kind) {
  const char* name = methodName(method);
  return name ? std::string(name) + " " + kind : std::string("Undefined Method");
}

const std::string& pdbId(const RunState& state, int side, int pass) { return state.settings.pdbIds[side][pass]; }
const std::string& chainId(const RunState& state, int side, int pass) { return state.settings.chainIds[side][pass]; }

bool isBenchmark(const RunState& state) { return state.settings.testCodeFlag || state.settings.testCodeFlag2; }

bool readAnnotationFile(const RunState& state, int method, const std::string& path, const std::string& id,
                        const std::string& chain, AnnotationOutput& out, const Reporter& reporter) {
  const AnnotationReadOptions options{state.settings.readModified, isBenchmark(state)};
  switch (method) {
    case kMcAnnotate: return readMCAnnotateOutput(path, chain, out, reporter, options);
    case kFr3d: return readFR3DOutput(path, id, chain, out, reporter, options);
    case kDssr: return readDSSROutput(path, id, chain, out, reporter, options);
    case kClaRna: return readClaRNAOutput(path, id, chain, out, reporter, options);
    default: return readRNAViewOutput(path, chain, out, reporter, options);
  }
}

// A batch reads each chain's annotation once for all its pairs.
bool readSharedAnnotation(RunState& state, int method, const std::string& path, const std::string& id,
                          const std::string& chain, AnnotationOutput& out) {
  auto read = [&](ReadAnnotation& into) {
    const bool ok = readAnnotationFile(state, method, path, id, chain, into.out,
                                       keepingReporter(into.messages, state.settings.verbose));
    into.out.pairs.shrink_to_fit();  // the reader reserves room for the largest list
    return ok;
  };
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
    const bool ok = readAnnotationFile(state, method, path, id, chain, read.out,
                                       keepingReporter(read.messages, state.reporter.recordsWanted()));
    relayAll(read.messages, state.reporter);
    if (!ok) return false;
    read.out.pairs.shrink_to_fit();  // the reader reserves room for the largest list
    found = state.annotations.emplace(key, std::move(read)).first;
  } else {
    relayAll(found->second.messages, state.reporter);
  }
  out = found->second.out;
  return true;
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
    if (!readAnnotationOnce(state, method, path, pdbId(state, side, pass), chainId(state, side, pass), out))
      return false;
    state.reporter.record(
        "annotation method=%s side=%d id=%s chain=%s file=%s pairs=%zu keptLines=%zu skippedLines=%zu layout=%s",
        methodFiles(method).token, side, pdbId(state, side, pass).c_str(), chainId(state, side, pass).c_str(),
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
  const std::string& refId = pdbId(state, kReference, pass);
  const std::string& refChain = chainId(state, kReference, pass);
  const std::string& targetId = pdbId(state, kTarget, pass);
  const std::string& targetChain = chainId(state, kTarget, pass);
  bool found = state.shared ? readFastaSequence(state.shared->fasta(fasta, state.reporter), refId, refChain, targetId, targetChain,
                                                state.refSeqsMap, state.reporter)
                            : readFastaSequence(fasta, refId, refChain, targetId, targetChain, state.refSeqsMap,
                                                state.reporter);
  if (!found) {
    state.reporter.say(
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
  if (cached == state.alignments.end() && !readSequences(state, pass)) return false;
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
  if (state.settings.testCodeFlag || pass % 2 == 1 || state.resolutionWarningShown) return;
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

void recordAlignment(const RunState& state, bool fromFile) {
  if (!state.reporter.recordsWanted()) return;
  double cost = 0;
  MMAlign(chainLetters(state.refSeqsMap[kReference].chain), chainLetters(state.refSeqsMap[kTarget].chain), nullptr,
          &cost, state.reporter);
  const auto& entries = state.pdbMap[kReference].chain.entries;
  long mapped = std::count_if(entries.begin(), entries.end(), [](const auto& e) { return e.mapIndex != -1; });
  long identical = std::count_if(entries.begin(), entries.end(), [](const auto& e) { return e.identical == 1; });
  state.reporter.record("alignment cost=%.6g refObserved=%d targetObserved=%d mapped=%ld identical=%ld source=%s",
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
                                        target.pdbId, target.chain.chainId, state.reporter);
  if (!fromFile && !state.alignmentWarningShown) {
    state.reporter.say("\nWarning!!! Structure alignment file \"%s_%s_%s_%s.aln\" was not found, ", ref.pdbId,
                       ref.chain.chainId, target.pdbId, target.chain.chainId);
    state.reporter.say("continuing with alternate built-in sequence alignment.\n");
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
  state.reporter.say("Total Benchmark BP = %zu\n", target.size());
  state.reporter.say("--------Benchmark (%s) BP classification--------\n", pdbId(state, kTarget, pass).c_str());
  state.reporter.say("Canonical = %d, Noncanonical = %d, Others = %d\n", counts.canonical, counts.nonCanonical,
                     counts.other);
  writeLogLine(state.logs.log, LogLine::kBenchmarkId, {{pdbId(state, kTarget, pass)}});
  writeLogLine(state.logs.log, LogLine::kBenchmarkClasses, {{}, {counts.canonical, counts.nonCanonical, counts.other}});
}

// Steps 8 and 9.
void mapPairs(RunState& state, int method, int pass) {
  state.mapping.compareEdge = state.compareEdgeSetting ? 1 : (pass % 2 == 1 ? 1 : 0);
  // The hint concerns single runs that left modified nucleotides out.
  bool hintModified = !isBenchmark(state) && !state.settings.readModified;
  mapBasePairs(state.atomMultiList, state.pdbMap, state.basePairMap, pass % 2 == 0, state.logs, state.mapping,
               state.reporter, hintModified);
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
  if (!state.mapping.collectEvidence || writeEvidenceFile(path, state.mapping, state.pdbMap, &files)) return true;
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
  if (state.writeCompResult == 0 || pass % 2 == 1) return;
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
      !commitOwnGroup(state, method, own)) {
    state.outputFailed = true;
    printSummary(state, method, nullptr);
    return;
  }
  state.written[method] = summary;
  state.reporter.record("output file=%s pairs=%d both=%d bexora=%d own=%d", output.c_str(), summary.pairs,
                        summary.both, summary.bexora, summary.own);
  printSummary(state, method, &summary);
  if (state.settings.motifMode)
    extractMotifInfo(state.motifs, pdbId(state, kTarget, pass), methodTitle(method, "Bexora"),
                     pairsInWritingOrder(m.assessedPairs, m.keptTargetPairs));
}

void printSuccess(const RunState& state) {
  state.reporter.say("\nSuccessfully enhanced the basepair annotation for PDB %s, chain %s.\n",
                     pdbId(state, kTarget, 0).c_str(), chainId(state, kTarget, 0).c_str());
  state.reporter.say("The result for method%sis placed in folder: %s\n",
                     methodListText(state.settings.methodList).c_str(), state.settings.outputFolder.c_str());
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
  if (!log) state.reporter.say("%s file could not be created.\n", path.c_str());
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
  state.reporter.say("%s could not be written completely.\n", state.runOutputs->failedPath().c_str());
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
  state.reporter.record("run mode=%s methods=%s reference=%s:%s target=%s:%s origFormat=%d",
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
  if (state.settings.testCodeFlag &&
      !readLogWriteTables(folder, stagedLog(state, "log.txt"), state.reporter, &outputs))
    return false;
  if (state.settings.testCodeFlag2 &&
      !processInferabilityLog(folder, stagedLog(state, "log2.txt"), state.reporter, &outputs))
    return false;
  if (outputs.commit()) return true;
  state.reporter.say("%s file could not be created\n", outputs.failedPath().c_str());
  return false;
}

}  // namespace

RunState::RunState(const RunSettings& runSettings)
    : settings(runSettings), reporter(consoleReporter(runSettings.verbose)) {
  mapping.collectEvidence = !isBenchmark(*this);
  if (!isBenchmark(*this)) mapping.rules = MappingRules{!settings.pruneOwn, true, true, settings.maxContact};
  for (auto& side : basePairMap) side.reserve(kMaxBasePairs);
}

bool runPass(RunState& state, int method, int pass) {
  if (isBenchmark(state))
    state.reporter.record("pass phase=%d method=%s pass=%d reference=%s:%s target=%s:%s", state.writeCompResult,
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

int runPipeline(RunState& state) {
  const RunSettings& settings = state.settings;
  recordRun(state);
  // A folder that cannot be made shows up as the first output that cannot be written.
  std::error_code ignored;
  std::filesystem::create_directories(settings.outputFolder, ignored);
  if (isBenchmark(state)) state.runOutputs = std::make_unique<OutputGroup>(settings.outputFolder, state.reporter);
  if (settings.motifMode) motifInitialization(state.motifs, settings.outputFolder, *state.runOutputs, state.reporter);
  if (settings.motifMode && !state.motifs.printMotifs) state.outputFailed = true;
  if (!isBenchmark(state))
    state.reporter.say("Reference: %s %s\nTarget: %s %s\n", pdbId(state, kReference, 0).c_str(),
                       chainId(state, kReference, 0).c_str(), pdbId(state, kTarget, 0).c_str(),
                       chainId(state, kTarget, 0).c_str());
  if (settings.testCodeFlag) {
    if (!openLogs(state)) return 1;
    state.writeCompResult = 0;
  }
  bool ok = runPhases(state) && !state.outputFailed;
  if (ok && state.runOutputs) ok = finishRunOutputs(state) && writeTablesAndCommit(state);
  std::fflush(stdout);
  return ok ? 0 : 1;
}

int runProgram(int argc, char** argv) {
  RunSettings settings;
  ArgumentsOutcome outcome = processArguments(argc, argv, settings);
  if (!outcome.runPipeline) return outcome.exitStatus;
  if (settings.mode == RunMode::kBatch) return runBatch(settings);
  auto state = std::make_unique<RunState>(settings);
  return runPipeline(*state);
}

}  // namespace bexora
