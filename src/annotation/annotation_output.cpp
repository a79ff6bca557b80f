#include "annotation/annotation_output.h"

#include <algorithm>
#include <cstring>
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

bool isSelfPair(const BPInfo& pair) {
  return std::strcmp(pair.chainId[0], pair.chainId[1]) == 0 && pair.resSeqNo[0] == pair.resSeqNo[1] &&
         pair.iCode[0] == pair.iCode[1];
}

// Every field a line of the pair is written from: two such records would
// write the same line.
bool sameRecord(const BPInfo& a, const BPInfo& b) {
  if (compBasePairId(a, b) != 0 || a.nucleotide[0] != b.nucleotide[0] || a.nucleotide[1] != b.nucleotide[1] ||
      a.edgeCount != b.edgeCount || a.parallel != b.parallel || a.orientation != b.orientation ||
      a.weight != b.weight || a.source != b.source || std::strcmp(a.stackInfo, b.stackInfo) != 0 ||
      std::strcmp(a.description, b.description) != 0)
    return false;
  for (int e = 0; e < a.edgeCount && e < kMaxEdges; ++e)
    for (int end = 0; end < 2; ++end)
      if (std::strcmp(a.edge[e][end], b.edge[e][end]) != 0) return false;
  return true;
}

// Drops pairs of a residue with itself and exact repeats of a pair (the
// first copy stays), one warning per file and kind. `pairs` is in identity
// order, so the copies of a pair lie within its run of equal ids.
void dropGarbagePairs(const AnnotationSource& source, std::vector<BPInfo>& pairs) {
  std::size_t selfPairs = 0, repeats = 0, kept = 0, runStart = 0;
  for (std::size_t k = 0; k < pairs.size(); ++k) {
    if (kept > 0 && compBasePairId(pairs[kept - 1], pairs[k]) != 0) runStart = kept;
    if (isSelfPair(pairs[k])) {
      ++selfPairs;
    } else if (std::any_of(pairs.begin() + static_cast<std::ptrdiff_t>(runStart),
                           pairs.begin() + static_cast<std::ptrdiff_t>(kept),
                           [&](const BPInfo& earlier) { return sameRecord(earlier, pairs[k]); })) {
      ++repeats;
    } else {
      pairs[kept++] = pairs[k];
    }
  }
  pairs.resize(kept);
  if (selfPairs > 0)
    source.reporter.warn("%zu pairs of a residue with itself in %s are skipped.\n", selfPairs,
                        source.path.c_str());
  if (repeats > 0)
    source.reporter.warn("%zu repeats of a pair listed before in %s are skipped.\n", repeats,
                        source.path.c_str());
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
  dropGarbagePairs(source, out.pairs);
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
