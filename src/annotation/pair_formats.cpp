#include "annotation/pair_formats.h"

#include <cctype>
#include <charconv>
#include <cstring>

#include "util/tokenizer.h"

namespace bexora {
namespace {

bool startsWithLetter(const char* chain) {
  return std::isalpha(static_cast<unsigned char>(chain[0])) != 0;
}

void appendInsertionCode(std::string& out, char iCode) {
  if (iCode == ' ') return;
  out += '.';
  out += iCode;
}

// Text right-aligned in `width` columns, as printf's "%*s" gives it; the
// stacking and pair lines of large files are built without printf.
void appendRightAligned(std::string& out, std::string_view text, std::size_t width) {
  if (text.size() < width) out.append(width - text.size(), ' ');
  out += text;
}

std::string_view integerText(int32_t value, char (&buffer)[16]) {
  auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  return std::string_view(buffer, static_cast<std::size_t>(result.ptr - buffer));
}

void appendInteger(std::string& out, int32_t value, std::size_t width) {
  char buffer[16];
  appendRightAligned(out, integerText(value, buffer), width);
}

// A one-letter chain is written as is ("A12"). Any other chain is quoted
// ("'7'12", "'A1'12") so that a chain ending in a digit cannot run into the
// residue number; one quoted end quotes both.
void appendChainAndNumber(std::string& out, const char* chain, bool quoted, int32_t number) {
  if (quoted) out += '\'';
  out += chain;
  if (quoted) out += '\'';
  char buffer[16];
  out += integerText(number, buffer);
}

void appendResidueIds(std::string& out, const BPInfo& pair) {
  const bool plain = startsWithLetter(pair.chainId[0]) && std::strlen(pair.chainId[0]) == 1 &&
                     std::strlen(pair.chainId[1]) <= 1;
  appendChainAndNumber(out, pair.chainId[0], !plain, pair.resSeqNo[0]);
  appendInsertionCode(out, pair.iCode[0]);
  out += '-';
  appendChainAndNumber(out, pair.chainId[1], !plain, pair.resSeqNo[1]);
  appendInsertionCode(out, pair.iCode[1]);
}

void appendBasesAndEdges(std::string& out, const BPInfo& pair) {
  out += " : ";
  out += pair.nucleotide[0];
  out += '-';
  out += pair.nucleotide[1];
  const int count = pair.edgeCount < 0 ? 0 : (pair.edgeCount > kMaxEdges ? kMaxEdges : pair.edgeCount);
  for (int i = 0; i < count; ++i) {
    out += ' ';
    out += pair.edge[i][0];
    out += '/';
    out += pair.edge[i][1];
  }
}

void appendOrientationWord(std::string& out, char orientation) {
  if (orientation == 'c') out += " cis";
  else if (orientation == 't') out += " trans";
}

// Room for the ids and what follows them on a line, in one allocation.
constexpr std::size_t kRNAViewIdsWidth = 72;

void appendRNAViewResidue(std::string& out, const BPInfo& pair, int end) {
  appendInteger(out, pair.resSeqNo[end], 5);
  appendInsertionCode(out, pair.iCode[end]);
}

// Pieces shared by the RNAView pair and stacking lines.
void appendRNAViewIds(std::string& out, const BPInfo& pair) {
  out.reserve(out.size() + kRNAViewIdsWidth);
  char first[16];
  char second[16];
  std::string numbers(integerText(pair.resSeqNo[0], first));
  numbers += '_';
  numbers += integerText(pair.resSeqNo[1], second);
  appendRightAligned(out, numbers, 9);
  out += ", ";
  out += pair.chainId[0];
  out += ": ";
  appendRNAViewResidue(out, pair, 0);
  out += ' ';
  out += pair.nucleotide[0];
  out += '-';
  out += pair.nucleotide[1];
  out += ' ';
  appendRNAViewResidue(out, pair, 1);
  out += ' ';
  out += pair.chainId[0];
  out += ':';
}

bool isPairOf(const BPInfo& pair, char a, char b) {
  return (pair.nucleotide[0] == a && pair.nucleotide[1] == b) ||
         (pair.nucleotide[0] == b && pair.nucleotide[1] == a);
}

}  // namespace

std::string formatPairBexora(const BPInfo& pair) {
  std::string out;
  appendResidueIds(out, pair);
  appendBasesAndEdges(out, pair);
  appendOrientationWord(out, pair.orientation);
  return out;
}

std::string formatPairMCAnnotate(const BPInfo& pair) {
  std::string out;
  appendResidueIds(out, pair);
  appendBasesAndEdges(out, pair);
  if (pair.stackInfo[0] != '\0') appendf(out, " %s", pair.stackInfo);
  out += " pairing";
  if (pair.parallel == 1) out += " parallel";
  else if (pair.parallel == 0) out += " antiparallel";
  appendOrientationWord(out, pair.orientation);
  if (pair.description[0] != '\0') appendf(out, " %s", pair.description);
  return out;
}

std::string formatPairRNAView(const BPInfo& pair) {
  std::string out;
  appendRNAViewIds(out, pair);
  char edge1 = pair.edge[0][0][0];
  char edge2 = pair.edge[0][1][0];
  convertToRNAViewEdgeFormat(edge1, edge2, pair);
  appendf(out, " %c/%c", edge1, edge2);
  if (pair.orientation == 'c') appendf(out, " %-11s", "cis");
  else if (pair.orientation == 't') appendf(out, " %-11s", "tran");
  appendf(out, " %s", pair.description);
  return out;
}

std::string formatPairRNAViewStack(const BPInfo& pair) {
  std::string out;
  appendRNAViewIds(out, pair);
  out += " stacked";
  return out;
}

void convertToRNAViewEdgeFormat(char& edgeLetter1, char& edgeLetter2, const BPInfo& pair) {
  if (edgeLetter1 != 'W' || edgeLetter2 != 'W') return;
  if (isPairOf(pair, 'C', 'G')) {
    edgeLetter1 = edgeLetter2 = '+';
  } else if (isPairOf(pair, 'A', 'U')) {
    edgeLetter1 = edgeLetter2 = '-';
  }
}

}  // namespace bexora
