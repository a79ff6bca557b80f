#include "annotation/rnaview.h"

#include <cctype>

#include "model/basepair.h"
#include "util/tokenizer.h"

namespace bexora {
namespace {

enum RnaViewSection { kInPairs = 0, kAfterPairs = 1, kElsewhere = 2 };

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v'; }

std::string_view trimLeft(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && isSpace(text[i])) ++i;
  return text.substr(i);
}

std::string_view trimRight(std::string_view text) {
  std::size_t n = text.size();
  while (n > 0 && isSpace(text[n - 1])) --n;
  return text.substr(0, n);
}

// Cuts the next white-space delimited word off the front of `text`.
std::string_view nextWord(std::string_view& text) {
  text = trimLeft(text);
  std::size_t n = 0;
  while (n < text.size() && !isSpace(text[n])) ++n;
  const std::string_view word = text.substr(0, n);
  text.remove_prefix(n);
  return word;
}

// The three colon-separated parts of a pair line; the third one may end
// the line or stop at a further colon.
bool splitParts(std::string_view line, std::string_view (&parts)[3]) {
  std::string_view rest = trimLeft(line);
  for (int i = 0; i < 3; ++i) {
    const std::size_t colon = rest.find(':');
    parts[i] = rest.substr(0, colon);
    if (parts[i].empty()) return false;
    if (colon == std::string_view::npos) return i == 2;
    rest = trimLeft(rest.substr(colon + 1));
  }
  return true;
}

// "1_72, A": the pair number is skipped, the word after the comma is the chain.
bool parseFirstPart(std::string_view part, BPInfo& pair) {
  const std::size_t comma = part.find(',');
  if (comma == 0 || comma == std::string_view::npos) return false;
  std::string_view rest = part.substr(comma + 1);
  const std::string_view chain = nextWord(rest);
  if (chain.empty()) return false;
  setField(pair.chainId[0], chain);
  return true;
}

bool readInteger(std::string_view& text, int32_t& value) {
  text = trimLeft(text);
  std::size_t n = 0;
  if (!readIntegerAt(text, n, value)) return false;
  text.remove_prefix(n);
  return true;
}

bool readChar(std::string_view& text, char& c) {
  text = trimLeft(text);
  if (text.empty()) return false;
  c = text[0];
  text.remove_prefix(1);
  return true;
}

// "1 G-C 72 A": residue 1's number, both bases, residue 2's number and chain.
bool parseSecondPart(std::string_view part, BPInfo& pair) {
  char dash = 0;
  if (!readInteger(part, pair.resSeqNo[0]) || !readChar(part, pair.nucleotide[0]) || !readChar(part, dash) ||
      dash != '-' || !readChar(part, pair.nucleotide[1]) || !readInteger(part, pair.resSeqNo[1])) {
    return false;
  }
  const std::string_view chain = nextWord(part);
  if (chain.empty()) return false;
  setField(pair.chainId[1], chain);
  return true;
}

void generalizeEdgeAnnotation(char* edge) {
  edge[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(edge[0])));
  if (edge[0] == '+' || edge[0] == '-') edge[0] = 'W';
}

// "+/+ cis [syn] XIX": both edges, the orientation word and one remark word.
bool parseThirdPart(std::string_view part, BPInfo& pair) {
  const bool hasSyn = part.find("syn") != std::string_view::npos;
  const std::size_t slash = part.find('/');
  const std::string_view firstEdge = part.substr(0, slash);
  if (firstEdge.empty() || firstEdge.find_first_of(" \t") != std::string_view::npos) return false;
  std::string_view rest = part.substr(slash + 1);
  const std::string_view secondEdge = nextWord(rest);
  const std::string_view orientationWord = nextWord(rest);
  if (secondEdge.empty() || orientationWord.empty()) return false;
  setField(pair.edge[0][0], firstEdge);
  setField(pair.edge[0][1], secondEdge);
  generalizeEdgeAnnotation(pair.edge[0][0]);
  generalizeEdgeAnnotation(pair.edge[0][1]);
  pair.edgeCount = 1;
  pair.orientation = orientationWord == "cis" ? 'c' : 't';
  std::string_view remark = nextWord(rest);
  if (hasSyn) remark = remark == "syn" ? nextWord(rest) : std::string_view();
  setField(pair.description, remark);
  return true;
}

// The chain of a part is its last blank-separated word.
std::string_view lastWord(std::string_view part) {
  part = trimRight(part);
  const std::size_t blank = part.find_last_of(" \t");
  return blank == std::string_view::npos ? part : part.substr(blank + 1);
}

struct RnaViewReadState {
  const AnnotationSource& source;
  const AnnotationReadOptions& options;
  AnnotationOutput& out;
  int section = kElsewhere;
  bool limitWarned = false;
  bool sectionSeen = false;
};

// RNAView writes a modified base as its parent in lower case, or P for
// pseudouridine.
char parentOfRNAViewLetter(char letter) {
  if (letter == 'P') return 'U';
  return static_cast<char>(std::toupper(static_cast<unsigned char>(letter)));
}

void keepPair(RnaViewReadState& state, BPInfo& pair) {
  const std::string& chain = state.source.chain;
  if (chain != pair.chainId[0] || chain != pair.chainId[1]) return;
  if (state.options.modifiedAsParent) {
    for (char& letter : pair.nucleotide) letter = parentOfRNAViewLetter(letter);
  }
  appendPairWithinLimit(state.out, pair, state.source, state.limitWarned);
}

void handleSectionLine(RnaViewReadState& state, std::string_view line) {
  BPInfo pair = makeEmptyBPInfo();
  switch (parsePairLineRNAView(line, pair)) {
    case RnaViewLine::kPair:
      keepPair(state, pair);
      break;
    case RnaViewLine::kNonPair:
      if (matchChainRV(line, state.source.chain)) state.out.keptLines.emplace_back(line);
      break;
    case RnaViewLine::kMalformed:
      ++state.out.skippedLines;
      break;
  }
}

void handleLine(RnaViewReadState& state, std::string_view line) {
  if (line == "BEGIN_base-pair") {
    state.section = kInPairs;
    state.sectionSeen = true;
  } else if (line == "END_base-pair") {
    state.section = kAfterPairs;
  } else if (state.section == kInPairs) {
    handleSectionLine(state, line);
  }
}

}  // namespace

// A line whose third part has no slash is not a pair (a stacking line); one
// with a slash that does not fit the pair layout is malformed and dropped
// whole, so no field of it is guessed.
RnaViewLine parsePairLineRNAView(std::string_view line, BPInfo& pair) {
  std::string_view parts[3];
  const bool threeParts = splitParts(line, parts);
  if (!threeParts || parts[2].find('/') == std::string_view::npos) return RnaViewLine::kNonPair;
  if (!parseFirstPart(parts[0], pair) || !parseSecondPart(parts[1], pair) || !parseThirdPart(parts[2], pair)) {
    return RnaViewLine::kMalformed;
  }
  pair.iCode[0] = pair.iCode[1] = ' ';
  return RnaViewLine::kPair;
}

bool matchChainRV(std::string_view line, const std::string& chain) {
  const std::size_t colon = line.find(':');
  if (lastWord(line.substr(0, colon)) != chain) return false;
  if (colon == std::string_view::npos) return true;
  const std::string_view rest = line.substr(colon + 1);
  return lastWord(rest.substr(0, rest.find(':'))) == chain;
}

bool readRNAViewOutput(const std::string& inputPath, const std::string& chain, AnnotationOutput& out,
                       const Reporter& reporter, const AnnotationReadOptions& options) {
  const AnnotationSource source{inputPath, chain, reporter};
  RnaViewReadState state{source, options, out};
  return readAnnotationLines(
      source, out,
      [&](std::string_view line, long) {
        handleLine(state, line);
        return true;
      },
      [&] { out.layout = state.sectionSeen ? "rnaview" : ""; });
}

}  // namespace bexora
