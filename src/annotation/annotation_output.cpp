#include "annotation/annotation_output.h"

#include <map>

#include "model/basepair.h"
#include "util/line_reader.h"
#include "model/modified_nucleotides.h"
#include "util/tokenizer.h"

namespace bexora {

namespace {

// A file that yields nothing would otherwise look like a structure without pairs.
void reportEmptyResult(const AnnotationSource& source, const AnnotationOutput& out) {
  if (!out.pairs.empty() || out.linesRead == 0) return;
  const std::size_t unknown = out.layout.empty() ? out.linesRead : out.skippedLines;
  source.reporter.warn(
      "%s gives no base pair of chain %s: %zu lines read, %zu skipped as not in a known layout.\n",
      source.path.c_str(), source.chain.c_str(), out.linesRead, unknown);
}


// Once per letter and file, so a modified base met in many pairs is one line.
void reportUnusualLetters(const AnnotationSource& source, const AnnotationOutput& out) {
  std::map<char, std::size_t> counts;
  for (const BPInfo& pair : out.pairs) {
    for (char letter : pair.nucleotide) {
      if (!isStandardBase(letter)) ++counts[letter];
    }
  }
  for (const auto& [letter, count] : counts) {
    source.reporter.warn("%zu residues of the pairs of chain %s in %s are read as '%c', not A, C, G or U.\n",
                        count, source.chain.c_str(), source.path.c_str(), letter);
  }
}

}  // namespace

bool readAnnotationLines(const AnnotationSource& source, AnnotationOutput& out,
                         const std::function<bool(std::string_view, long)>& handle,
                         const std::function<void()>& finish) {
  out = AnnotationOutput{};
  LineReader reader(source.reporter);
  if (!reader.open(source.path)) {
    source.reporter.say("%s File Not Found\n", source.path.c_str());
    return false;
  }
  out.pairs.reserve(kMaxBasePairs);
  std::string_view line;
  while (nextContentLine(reader, line)) {
    ++out.linesRead;
    if (!handle(line, reader.lineNumber())) break;
  }
  if (reader.failed()) {
    source.reporter.say("%s could not be read to its end\n", source.path.c_str());
    return false;
  }
  if (finish) finish();
  sortByPairId(out.pairs);
  reportEmptyResult(source, out);
  reportUnusualLetters(source, out);
  return true;
}

bool tallyRow(RowOutcome outcome, const AnnotationSource& source, AnnotationOutput& out) {
  if (outcome == RowOutcome::kMalformed) ++out.skippedLines;
  if (outcome != RowOutcome::kListFull) return true;
  source.reporter.limitReached("Base-pair list", kMaxBasePairs, source.path);
  return false;
}

void appendPairWithinLimit(AnnotationOutput& out, const BPInfo& pair, const AnnotationSource& source,
                           bool& limitWarned) {
  if (out.pairs.size() < kMaxBasePairs) {
    out.pairs.push_back(pair);
  } else if (!limitWarned) {
    source.reporter.limitReached("Base-pair list", kMaxBasePairs, source.path);
    limitWarned = true;
  }
}

char residueLetter(std::string_view name, const AnnotationReadOptions& options) {
  if (name.empty()) return '\0';
  const char parent = options.modifiedAsParent ? parentBase(name) : '\0';
  return parent != '\0' ? parent : name[0];
}

}  // namespace bexora
