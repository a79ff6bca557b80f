#include "annotation/dssr.h"

#include <cstdio>
#include <string_view>

#include "util/basepair.h"
#include "util/line_reader.h"
#include "util/tokenizer.h"

namespace bexora {

namespace {

constexpr std::string_view kPairListHeader = "nt1            nt2           bp  name        Saenger    LW  DSSR";
// Fields of a pair line: index, nt1, nt2, bases, name, Saenger, LW, DSSR.
enum PairField : std::size_t { kIndex, kNucleotide1, kNucleotide2, kBases, kName, kSaenger, kLeontisWesthof };
constexpr std::size_t kMinPairFields = kLeontisWesthof + 1;
// Room for the usual eight fields and a few more; fields past the LW class are unused.
constexpr std::size_t kFieldRoom = 12;

// The number after a one-letter base (G12), else the integer that ends a
// longer residue name (PSU55, 2MG10).
bool readResidueNumber(std::string_view residue, int32_t& number) {
  if (readWholeInteger(residue.substr(1), number)) return true;
  std::size_t start = residue.find_last_not_of("0123456789");
  if (start == std::string_view::npos || start == residue.size() - 1) return false;
  if (residue[start] == '-' && start > 1) --start;
  return readWholeInteger(residue.substr(start + 1), number);
}

enum class Residue { kInChain, kOtherChain, kMalformed };

// One nucleotide id, CHAIN.BASENUMBER with an optional ^ICODE at its end.
Residue insertDSSRNucleotide(BPInfo& record, int end, std::string_view id, const std::string& chain) {
  std::size_t point = id.find('.');
  if (point == std::string_view::npos) return Residue::kMalformed;
  std::string_view residue = id.substr(point + 1);
  if (residue.size() >= 3 && residue[residue.size() - 2] == '^') {
    record.iCode[end] = residue.back();
    residue.remove_suffix(2);
  }
  if (residue.size() < 2 || !readResidueNumber(residue, record.resSeqNo[end])) return Residue::kMalformed;
  record.nucleotide[end] = residue[0];
  return id.substr(0, point) == chain ? Residue::kInChain : Residue::kOtherChain;
}

Residue insertDSSRInteractionInfo(BPInfo& record, const std::string_view* fields, const std::string& chain) {
  Residue first = insertDSSRNucleotide(record, 0, fields[kNucleotide1], chain);
  Residue second = insertDSSRNucleotide(record, 1, fields[kNucleotide2], chain);
  if (first == Residue::kMalformed || second == Residue::kMalformed) return Residue::kMalformed;
  return first == Residue::kInChain && second == Residue::kInChain ? Residue::kInChain : Residue::kOtherChain;
}

bool isWHS(char c) { return c == 'W' || c == 'H' || c == 'S'; }

bool insertDSSREdgeInfo(BPInfo& record, std::string_view leontisWesthof) {
  if (leontisWesthof.size() < 3 || !isWHS(leontisWesthof[1]) || !isWHS(leontisWesthof[2])) return false;
  record.orientation = leontisWesthof[0];
  for (int i = 0; i < 2; ++i) setField(record.edge[0][i], leontisWesthof.substr(i + 1, 1));
  record.edgeCount = 1;
  return true;
}


RowOutcome parseAndProcessDSSRTokens(std::string_view line, const std::string& chain, AnnotationOutput& out) {
  std::string_view fields[kFieldRoom];
  TokenizeResult split = myTokenizeDynamic(line, " \t", fields, kFieldRoom, true);
  if (split.count < kMinPairFields) return RowOutcome::kMalformed;
  BPInfo record = makeEmptyBPInfo();
  for (auto& id : record.chainId) setField(id, chain);
  Residue residues = insertDSSRInteractionInfo(record, fields, chain);
  if (residues == Residue::kMalformed) return RowOutcome::kMalformed;
  if (residues == Residue::kOtherChain || !insertDSSREdgeInfo(record, fields[kLeontisWesthof]))
    return RowOutcome::kDropped;
  if (out.pairs.size() == kMaxBasePairs) return RowOutcome::kListFull;
  out.pairs.push_back(record);
  return RowOutcome::kUsed;
}

}  // namespace

bool readDSSROutput(const std::string& inputPath, const std::string& /*pdbId*/, const std::string& chain,
                    AnnotationOutput& out) {
  bool inPairList = false;
  return readAnnotationLines(inputPath, out, [&](std::string_view line, long) {
    if (!inPairList) {
      inPairList = line == kPairListHeader;
      return true;
    }
    return line[0] != '*' && tallyRow(parseAndProcessDSSRTokens(line, chain, out), inputPath, out);
  });
}

}  // namespace bexora
