#include "output/annotation_writer.h"

#include <cstdio>
#include <filesystem>
#include <string_view>

#include "model/basepair.h"
#include "util/line_reader.h"
#include "annotation/pair_formats.h"

namespace bexora {

namespace {

// The two files' text, built in memory so that each is written in one go.
struct AnnotationText {
  std::string annotation;
  std::string sourceTags;

  void frame(std::string_view line) {
    annotation += line;
    sourceTags += line;
  }
  void tagged(std::string_view line, int method, int source) {
    annotation += line;
    annotation += '\n';
    sourceTags += line;
    printBpSrc(sourceTags, method, source);
  }
};

void copyKeptLines(AnnotationText& text, const std::vector<std::string>& keptLines, int method) {
  for (const std::string& line : keptLines) {
    std::string_view kept = skipLeadingSpace(line);
    if (!kept.empty()) text.tagged(kept, method, kSourceTool);
  }
}

AnnotationText buildText(const std::string& targetPdbId, int method, const std::vector<std::string>& keptLines,
                         const std::vector<BPInfo>& accepted, bool origFormat) {
  AnnotationText text;
  if (origFormat && method == kMcAnnotate) {
    copyKeptLines(text, keptLines, method);
    text.frame("Base-pairs ------------------------------------------------------\n");
    for (const BPInfo& pair : accepted) text.tagged(formatPairMCAnnotate(pair), method, pair.source);
  } else if (origFormat && method == kRnaView) {
    text.frame("PDB data file name: " + targetPdbId + ".pdb\n");
    text.frame("BEGIN_base-pair\n");
    copyKeptLines(text, keptLines, method);
    for (const BPInfo& pair : accepted) text.tagged(formatPairRNAView(pair), method, pair.source);
    text.frame("END_base-pair\n");
  } else {
    for (const BPInfo& pair : accepted) text.tagged(formatPairBexora(pair), method, pair.source);
  }
  return text;
}

bool reportFailure(const std::string& path, const Reporter& reporter) {
  reporter.say("%s file could not be created\n", path.c_str());
  return false;
}

WriteSummary summarize(const std::vector<BPInfo>& accepted) {
  WriteSummary summary;
  summary.pairs = static_cast<int>(accepted.size());
  for (const BPInfo& pair : accepted) {
    if (pair.source == kSourceBoth)
      ++summary.both;
    else if (pair.source == kSourceBexora)
      ++summary.bexora;
    else
      ++summary.own;
  }
  return summary;
}

}  // namespace

void printBpSrc(std::string& out, int method, int source) {
  if (source == kSourceBoth) {
    out += "  Both\n";
  } else if (source == kSourceBexora) {
    out += "  Bexora\n";
  } else {
    const char* name = methodName(method);
    out += "  ";
    out += name ? name : "Undefined Method";
    out += '\n';
  }
}

bool printAcceptedBPInteractions(const std::string& outputPath, const std::string& sourceTagPath,
                                 const std::string& targetPdbId, int method, const std::vector<std::string>& keptLines,
                                 const std::vector<BPInfo>& assessed, const std::vector<BPInfo>& keptPairs,
                                 bool origFormat, const Reporter& reporter, WriteSummary* summary, OutputGroup* group) {
  std::vector<BPInfo> accepted = pairsInWritingOrder(assessed, keptPairs);
  AnnotationText text = buildText(targetPdbId, method, keptLines, accepted, origFormat);
  // Both files are committed together, so that no reader finds an
  // annotation of one run beside the source tags of another.
  std::string failed = writeFilesTogether({{outputPath, text.annotation}, {sourceTagPath, text.sourceTags}}, group);
  if (!failed.empty()) return reportFailure(failed, reporter);
  if (summary) *summary = summarize(accepted);
  return true;
}

}  // namespace bexora
