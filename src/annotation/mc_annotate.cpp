#include "annotation/mc_annotate.h"


#include "model/basepair.h"
#include "util/line_reader.h"
#include "util/tokenizer.h"

namespace bexora {
namespace {

enum McaSection { kConformations = 0, kAdjacentStackings = 1, kNonAdjacentStackings = 2, kBasePairs = 3, kOther = 4 };

constexpr std::size_t kMaxChainChars = 4;

bool isTitle(std::string_view line) {
  return line.size() >= 3 && line.substr(line.size() - 3) == "---";
}

int sectionOfTitle(std::string_view line) {
  static const char* const kTitles[] = {"Residue conformations", "Adjacent stackings", "Non-Adjacent stackings",
                                        "Base-pairs"};
  for (int i = 0; i < 4; ++i) {
    if (line.rfind(kTitles[i], 0) == 0) return i;
  }
  return kOther;
}

bool isLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// A '-' directly before digits is a minus sign unless it opens the chain.
bool startsNegativeNumber(std::string_view text, std::size_t pos, std::size_t chainStart) {
  return text[pos] == '-' && pos > chainStart && pos + 1 < text.size() && isDigit(text[pos + 1]);
}

// One residue of a pair id, starting at `pos`: chain, number and an
// optional insertion code after a point; the chain is either quoted in
// apostrophes or the run of characters before the number (A-40 is chain A,
// residue -40).
bool readResidue(std::string_view token, std::size_t& pos, bool quoted, char (&chain)[kChainIdWidth + 1],
                 int32_t& number, char& iCode) {
  std::string_view chainText;
  if (quoted) {
    if (pos >= token.size() || token[pos] != '\'') return false;
    const std::size_t close = token.find('\'', pos + 1);
    if (close == std::string_view::npos) return false;
    chainText = token.substr(pos + 1, close - pos - 1);
    pos = close + 1;
  } else {
    const std::size_t start = pos;
    while (pos < token.size() && !isDigit(token[pos]) && !startsNegativeNumber(token, pos, start)) ++pos;
    chainText = token.substr(start, pos - start);
    if (chainText.empty()) return false;
  }
  setField(chain, chainText);
  if (!readIntegerAt(token, pos, number)) return false;
  if (pos + 1 < token.size() && token[pos] == '.') iCode = token[pos + 1];
  return true;
}

std::size_t countApostrophes(std::string_view token) {
  std::size_t count = 0;
  for (char c : token) count += c == '\'' ? 1 : 0;
  return count;
}

// Residue 2 starts after the first '-' that follows residue 1.
bool parsePairId(std::string_view token, BPInfo& pair) {
  const bool quoted = countApostrophes(token) == 4;
  std::size_t pos = 0;
  if (!readResidue(token, pos, quoted, pair.chainId[0], pair.resSeqNo[0], pair.iCode[0])) return false;
  pos = token.find('-', pos);
  if (pos == std::string_view::npos) return false;
  ++pos;
  return readResidue(token, pos, quoted, pair.chainId[1], pair.resSeqNo[1], pair.iCode[1]);
}

bool isStackWord(std::string_view token) {
  return token == "inward" || token == "outward" || token == "upward" || token == "downward";
}

enum class PairStep { kIds, kBases, kEdges, kAfterEdges, kAfterPairing, kRemarks };

struct PairLineParser {
  BPInfo& pair;
  const Reporter& reporter;
  PairStep step = PairStep::kIds;
  bool hasId = false;
  bool faulty = false;  // a word out of place was reported
  std::string description;

  void take(std::string_view token) {
    switch (step) {
      case PairStep::kIds: return takeId(token);
      case PairStep::kBases: return takeBases(token);
      case PairStep::kEdges: return takeEdge(token);
      case PairStep::kAfterEdges: return takeAfterEdges(token);
      case PairStep::kAfterPairing: return takeAfterPairing(token);
      case PairStep::kRemarks: return takeRemark(token);
    }
  }

  void takeId(std::string_view token) {
    const std::size_t apostrophes = countApostrophes(token);
    if (apostrophes != 0 && apostrophes != 4) return;
    hasId = parsePairId(token, pair);
    step = PairStep::kBases;
  }

  void takeBases(std::string_view token) {
    if (token.size() < 3 || token[1] != '-') return;
    pair.nucleotide[0] = token[0];
    pair.nucleotide[1] = token[2];
    step = PairStep::kEdges;
  }

  void takeEdge(std::string_view token) {
    const std::size_t slash = token.find('/');
    if (slash == std::string_view::npos) {
      step = PairStep::kAfterEdges;
      return takeAfterEdges(token);
    }
    if (pair.edgeCount >= kMaxEdges) return;
    setField(pair.edge[pair.edgeCount][0], token.substr(0, slash));
    setField(pair.edge[pair.edgeCount][1], token.substr(slash + 1));
    ++pair.edgeCount;
  }

  void takeAfterEdges(std::string_view token) {
    if (token == "pairing") {
      step = PairStep::kAfterPairing;
    } else if (isStackWord(token)) {
      setField(pair.stackInfo, token);
    } else if (token.find("adjacent") == std::string_view::npos) {
      reporter.say("\n!!!!!---ERROR AFTER EDGE DESCRIPTION---!!!!!\n");
      faulty = true;
    }
  }

  void takeAfterPairing(std::string_view token) {
    if (token == "parallel") {
      pair.parallel = 1;
    } else if (token == "antiparallel") {
      pair.parallel = 0;
    } else if (token == "cis" || token == "trans") {
      pair.orientation = token[0];
      step = PairStep::kRemarks;
    } else {
      reporter.say("\n!!!!!---ERROR AFTER PAIRING---!!!!!\n\n");
      faulty = true;
    }
  }

  void takeRemark(std::string_view token) {
    if (!description.empty()) description += ' ';
    description.append(token.data(), token.size());
  }
};

// Tokens end at blanks; other white space inside a token is dropped, and
// the empty tokens of repeated or trailing blanks carry no information.
template <typename Visitor>
void forEachToken(std::string_view line, Visitor&& visit) {
  std::string token;
  for (std::size_t i = 0; i <= line.size(); ++i) {
    const char c = i < line.size() ? line[i] : ' ';
    if (c == ' ') {
      if (!token.empty()) visit(std::string_view(token));
      token.clear();
    } else if (c != '\t' && c != '\r' && c != '\n' && c != '\f' && c != '\v') {
      token += c;
    }
  }
}

std::string_view chainOfResidueId(std::string_view piece) {
  piece = skipLeadingSpace(piece);
  if (!piece.empty() && piece[0] == '\'') {
    const std::size_t close = piece.find('\'', 1);
    const std::size_t length = (close == std::string_view::npos ? piece.size() : close) - 1;
    return piece.substr(1, length < kMaxChainChars ? length : kMaxChainChars);
  }
  std::size_t length = 0;
  while (length < piece.size() && length < kMaxChainChars && isLetter(piece[length])) ++length;
  return piece.substr(0, length);
}

struct McaReadState {
  const AnnotationSource& source;
  AnnotationOutput& out;
  int section = kConformations;
  bool limitWarned = false;
  bool titleSeen = false;
};

void handleLine(McaReadState& state, std::string_view line, long lineNumber) {
  if (isTitle(line)) {
    state.titleSeen = true;
    state.section = sectionOfTitle(line);
    if (state.section <= kNonAdjacentStackings) state.out.keptLines.emplace_back(line);
    return;
  }
  if (state.section <= kNonAdjacentStackings) {
    if (matchChainMCA(line, state.source.chain)) state.out.keptLines.emplace_back(line);
  } else if (state.section == kBasePairs) {
    BPInfo pair = makeEmptyBPInfo();
    bool faulty = false;
    bool parsed = parseBasePairLine(line, pair, state.source.reporter, &faulty);
    if (faulty) state.source.reporter.lineOf(lineNumber, state.source.path);
    if (!parsed) {
      ++state.out.skippedLines;
    } else if (state.source.chain == pair.chainId[0] && state.source.chain == pair.chainId[1]) {
      appendPairWithinLimit(state.out, pair, state.source, state.limitWarned);
    }
  }
}

// The '-' between two residue ids; one before a digit is a minus sign (A-40-A-30).
std::size_t residueSeparator(std::string_view ids) {
  for (std::size_t i = 0; i + 1 < ids.size(); ++i) {
    if (ids[i] == '-' && !isDigit(ids[i + 1])) return i;
  }
  return std::string_view::npos;
}

}  // namespace

bool parseBasePairLine(std::string_view line, BPInfo& pair, const Reporter& reporter, bool* faulty) {
  PairLineParser parser{pair, reporter, PairStep::kIds, false, false, {}};
  forEachToken(line, [&parser](std::string_view token) { parser.take(token); });
  // A description cut at the field width must not end in the blank before a dropped word.
  std::string_view description(parser.description);
  description = description.substr(0, kDescriptionWidth);
  while (!description.empty() && description.back() == ' ') description.remove_suffix(1);
  setField(pair.description, description);
  if (faulty) *faulty = parser.faulty;
  return parser.hasId;
}

bool matchChainMCA(std::string_view line, const std::string& chain) {
  const std::string_view ids = line.substr(0, line.find(':'));
  const std::size_t dash = residueSeparator(ids);
  if (chainOfResidueId(ids.substr(0, dash)) != chain) return false;
  if (dash == std::string_view::npos) return true;
  const std::string_view rest = ids.substr(dash + 1);
  return chainOfResidueId(rest.substr(0, rest.find('-'))) == chain;
}

bool readMCAnnotateOutput(const std::string& inputPath, const std::string& chain, AnnotationOutput& out,
                          const Reporter& reporter, const AnnotationReadOptions& /*options: one-letter bases only*/) {
  const AnnotationSource source{inputPath, chain, reporter};
  McaReadState state{source, out};
  return readAnnotationLines(
      source, out,
      [&](std::string_view line, long lineNumber) {
        handleLine(state, line, lineNumber);
        return true;
      },
      [&] { out.layout = state.titleSeen ? "mc-annotate" : ""; });
}

}  // namespace bexora
