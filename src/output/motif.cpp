#include "output/motif.h"

#include <cstdio>
#include <cstring>
#include <initializer_list>

#include "annotation/pair_formats.h"

namespace bexora {

namespace {

struct StrandRange {
  int32_t start, end;
};

MotifInfo makeMotif(const char* name, std::initializer_list<StrandRange> strands) {
  MotifInfo motif{};
  setField(motif.pdbId, "2B9N");
  setField(motif.chainId, "A");
  setField(motif.name, name);
  for (const StrandRange& range : strands) {
    if (motif.strandCount == kMaxMotifStrands) break;
    motif.strand[motif.strandCount++] = {range.start, range.end};
  }
  return motif;
}

std::vector<MotifInfo> builtInMotifs() {
  return {makeMotif("Kink-Turn-6", {{25, 28}, {582, 582}, {512, 515}}),
          makeMotif("Kink-Turn-1", {{81, 85}, {97, 105}}),
          makeMotif("Kink-Turn-3", {{1234, 1238}, {1208, 1215}}),
          makeMotif("Kink-Turn-12", {{1001, 1001}, {977, 977}, {1154, 1154}}),
          makeMotif("Sarcin-Ricin-3", {{240, 244}, {254, 257}}),
          makeMotif("Sarcin-Ricin-4", {{203, 207}, {189, 192}}),
          makeMotif("Sarcin-Ricin-5", {{456, 460}, {469, 472}}),
          makeMotif("Sarcin-Ricin-2", {{2653, 2657}, {2664, 2667}}),
          makeMotif("Sarcin-Ricin-1", {{1266, 1268}, {2012, 2013}}),
          makeMotif("C-Loop-1", {{908, 913}, {863, 869}}),
          makeMotif("C-Loop-2", {{1330, 1333}, {1319, 1324}}),
          makeMotif("C-Loop-3", {{2724, 2728}, {2679, 2685}}),
          makeMotif("Reverse-Kturn-1", {{1425, 1427}, {1571, 1573}}),
          makeMotif("Reverse-Kturn-4", {{1124, 1127}, {2488, 2488}, {1028, 1030}}),
          makeMotif("Reverse-Kturn-6", {{239, 243}, {256, 258}})};
}

std::string motifFolder(const std::string& outputFolder) { return outputFolder + "Motif_Segments/"; }

// The strands as "25-28_582-582_512-515"; `trailing` adds the "_" that the
// file name has after the last strand too.
std::string strandText(const MotifInfo& motif, bool trailing) {
  std::string text;
  for (int i = 0; i < motif.strandCount; ++i) {
    if (i > 0) text += '_';
    text += std::to_string(motif.strand[i].start) + "-" + std::to_string(motif.strand[i].end);
  }
  if (trailing && motif.strandCount > 0) text += '_';
  return text;
}

bool insideMotif(const MotifInfo& motif, int32_t residue) {
  for (int i = 0; i < motif.strandCount; ++i)
    if (residue >= motif.strand[i].start && residue <= motif.strand[i].end) return true;
  return false;
}

bool pairInsideMotif(const MotifInfo& motif, const BPInfo& pair) {
  return std::strcmp(pair.chainId[0], motif.chainId) == 0 && std::strcmp(pair.chainId[1], motif.chainId) == 0 &&
         insideMotif(motif, pair.resSeqNo[0]) && insideMotif(motif, pair.resSeqNo[1]);
}

// Appends one report block; write errors surface when the group finishes the file.
void appendMotifReport(std::FILE* file, const MotifInfo& motif, const std::string& pdbId,
                       const std::string& methodTitle, const std::vector<BPInfo>& pairs) {
  std::fprintf(file, "%s - %s\n", pdbId.c_str(), methodTitle.c_str());
  // MC-Annotate titles take that tool's line form; every other title the RNAView one.
  bool mcAnnotateLines = !methodTitle.empty() && methodTitle[0] == 'M';
  int listed = 0;
  for (const BPInfo& pair : pairs) {
    if (!pairInsideMotif(motif, pair)) continue;
    const std::string line = mcAnnotateLines ? formatPairMCAnnotate(pair) : formatPairRNAView(pair);
    std::fprintf(file, "%s\n", line.c_str());
    ++listed;
  }
  std::fprintf(file, "%s\t%s : %d\n\n", motif.name, strandText(motif, false).c_str(), listed);
}

}  // namespace

std::string generateMotifFileName(const std::string& outputFolder, const MotifInfo& motif) {
  return motifFolder(outputFolder) + motif.pdbId + "_" + motif.chainId + "_" + motif.name + "_" +
         strandText(motif, true) + "MotifAnnotations.txt";
}

void motifInitialization(MotifState& state, const std::string& outputFolder, OutputGroup& outputs,
                         const Reporter& reporter) {
  state.motifs = builtInMotifs();
  state.files.clear();
  state.printMotifs = true;
  for (const MotifInfo& motif : state.motifs) {
    std::string name = generateMotifFileName(outputFolder, motif);
    state.files.push_back(outputs.openStream(name));
    if (state.files.back()) continue;
    reporter.say("%s File Not Created\n", name.c_str());
    state.printMotifs = false;
  }
}

void extractMotifInfo(const MotifState& state, const std::string& pdbId, const std::string& methodTitle,
                      const std::vector<BPInfo>& pairs) {
  if (!state.printMotifs) return;
  for (std::size_t i = 0; i < state.motifs.size(); ++i)
    if (pdbId == state.motifs[i].pdbId) appendMotifReport(state.files[i], state.motifs[i], pdbId, methodTitle, pairs);
}

}  // namespace bexora
