#include "annotation/annotation_output.h"

#include <cstdio>

#include "util/basepair.h"
#include "util/line_reader.h"
#include "util/tokenizer.h"

namespace bexora {

bool readAnnotationLines(const std::string& inputPath, AnnotationOutput& out,
                         const std::function<bool(std::string_view, long)>& handle) {
  out = AnnotationOutput{};
  LineReader reader;
  if (!reader.open(inputPath)) {
    std::printf("%s File Not Found\n", inputPath.c_str());
    return false;
  }
  out.pairs.reserve(kMaxBasePairs);
  std::string_view line;
  while (reader.next(line)) {
    line = skipLeadingSpace(line);
    if (!line.empty() && !handle(line, reader.lineNumber())) break;
  }
  if (reader.failed()) {
    std::printf("%s could not be read to its end\n", inputPath.c_str());
    return false;
  }
  sortByPairId(out.pairs);
  return true;
}

bool tallyRow(RowOutcome outcome, const std::string& inputPath, AnnotationOutput& out) {
  if (outcome == RowOutcome::kMalformed) ++out.skippedLines;
  if (outcome != RowOutcome::kListFull) return true;
  warnLimit("Base-pair list", kMaxBasePairs, inputPath);
  return false;
}

void appendPairWithinLimit(AnnotationOutput& out, const BPInfo& pair, const std::string& inputPath,
                           bool& limitWarned) {
  if (out.pairs.size() < kMaxBasePairs) {
    out.pairs.push_back(pair);
  } else if (!limitWarned) {
    warnLimit("Base-pair list", kMaxBasePairs, inputPath);
    limitWarned = true;
  }
}

}  // namespace bexora
