#include "annotation/clarna.h"

#include <charconv>
#include <string_view>

#include "model/basepair.h"
#include "util/tokenizer.h"

namespace bexora {

namespace {

constexpr std::string_view kCsvHeader =
    R"("residue1","residue2","n_type","weight","description","full description")";
// ClaRNA's own text output opens with its classifier line ("Classifier:" or
// "Classification:"), then may give a chain-range line.
constexpr std::string_view kNativeStarts[] = {"Classifier:", "Classification:"};
constexpr std::string_view kNativeChains = "chains:";

// CSV row: "A12","A45","GC",weight,"WW_cis",full description.
enum CsvField : std::size_t { kCsvResidue1, kCsvResidue2, kCsvBases, kCsvWeight, kCsvDescription, kMinCsvFields };
// Native row: A 12 A 45 bp G C WW_cis weight.
enum NativeField : std::size_t {
  kNativeChain1,
  kNativeNumber1,
  kNativeChain2,
  kNativeNumber2,
  kNativeKind,
  kNativeBase1,
  kNativeBase2,
  kNativeDescription,
  kNativeWeight,
  kNativeFields
};
constexpr std::size_t kFieldRoom = 12;


// One row in either layout, reduced to what the record takes.
struct ClaRNARow {
  bool inChain[2] = {false, false};
  int32_t number[2] = {0, 0};
  char base[2] = {'\0', '\0'};
  double weight = 0;
  std::string_view description;  // without quotes: WW_cis, or a stacking symbol such as >>
};

// The weight is informative only; text that is no number leaves it 0.
double readWeight(std::string_view text) {
  double value = 0;
  std::from_chars(text.data(), text.data() + text.size(), value);
  return value;
}

// A CSV residue is the chain followed directly by the number. A field that
// only begins with the chain (AB12 for chain A) names another chain or
// is garbled; either way its number cannot be trusted.
bool readCsvResidue(std::string_view field, const std::string& chain, ClaRNARow& row, int end) {
  std::string_view residue = unquoted(field);
  row.inChain[end] = residue.substr(0, chain.size()) == chain;
  return !row.inChain[end] || readWholeInteger(residue.substr(chain.size()), row.number[end]);
}

RowOutcome readCsvRow(std::string_view line, const std::string& chain, ClaRNARow& row) {
  std::string_view fields[kFieldRoom];
  TokenizeResult split = splitTokens(line, ", ", fields, kFieldRoom, true);
  if (split.count < kMinCsvFields) return RowOutcome::kMalformed;
  std::string_view bases = unquoted(fields[kCsvBases]);
  if (bases.size() < 2 || !readCsvResidue(fields[kCsvResidue1], chain, row, 0) ||
      !readCsvResidue(fields[kCsvResidue2], chain, row, 1))
    return RowOutcome::kMalformed;
  row.base[0] = bases[0];
  row.base[1] = bases[1];
  row.weight = readWeight(fields[kCsvWeight]);
  row.description = unquoted(fields[kCsvDescription]);
  return RowOutcome::kUsed;
}

RowOutcome readNativeRow(std::string_view line, const std::string& chain, ClaRNARow& row) {
  std::string_view fields[kFieldRoom];
  TokenizeResult split = splitNonEmptyTokens(line, " \t", fields, kFieldRoom, true);
  if (split.count != kNativeFields || fields[kNativeBase1].size() != 1 || fields[kNativeBase2].size() != 1 ||
      !readWholeInteger(fields[kNativeNumber1], row.number[0]) ||
      !readWholeInteger(fields[kNativeNumber2], row.number[1]))
    return RowOutcome::kMalformed;
  row.inChain[0] = fields[kNativeChain1] == chain;
  row.inChain[1] = fields[kNativeChain2] == chain;
  row.base[0] = fields[kNativeBase1][0];
  row.base[1] = fields[kNativeBase2][0];
  row.weight = readWeight(fields[kNativeWeight]);
  row.description = fields[kNativeDescription];
  return RowOutcome::kUsed;
}

// True for a pair of the chain given from its lower-numbered residue.
bool insertClaRNAInteractionInfo(BPInfo& record, const ClaRNARow& row) {
  if (!row.inChain[0] || !row.inChain[1] || row.number[1] < row.number[0]) return false;
  for (int i = 0; i < 2; ++i) {
    record.resSeqNo[i] = row.number[i];
    record.nucleotide[i] = row.base[i];
  }
  record.weight = row.weight;
  return true;
}

// Usable descriptions are two W/H/S edges, '_' and cis or tran(s); stacking
// symbols and other classes are not.
bool insertClaRNAEdgeInfo(BPInfo& record, std::string_view description) {
  if (description.size() < 4 || !isWHS(description[0]) || !isWHS(description[1])) return false;
  for (int i = 0; i < 2; ++i) setField(record.edge[0][i], description.substr(i, 1));
  record.orientation = description[3];
  record.edgeCount = 1;
  return true;
}

RowOutcome parseAndProcessClaRNATokens(std::string_view line, bool native, const std::string& chain,
                                       AnnotationOutput& out) {
  ClaRNARow row;
  RowOutcome read = native ? readNativeRow(line, chain, row) : readCsvRow(line, chain, row);
  if (read != RowOutcome::kUsed) return read;
  BPInfo record = makeEmptyBPInfo();
  for (auto& id : record.chainId) setField(id, chain);
  if (!insertClaRNAInteractionInfo(record, row) || !insertClaRNAEdgeInfo(record, row.description))
    return RowOutcome::kDropped;
  if (out.pairs.size() == kMaxBasePairs) return RowOutcome::kListFull;
  out.pairs.push_back(record);
  return RowOutcome::kUsed;
}

enum class Layout { kUnknown, kCsv, kNative };

bool isNativeStart(std::string_view line) {
  for (std::string_view start : kNativeStarts) {
    if (line.substr(0, start.size()) == start) return true;
  }
  return false;
}

// Lines before the CSV header are ignored; a file whose first line is the
// classifier line is ClaRNA's own text layout. True for a line that is a row.
bool isRow(std::string_view line, Layout& layout, bool firstLine) {
  if (layout == Layout::kNative) return line.substr(0, kNativeChains.size()) != kNativeChains;
  if (layout == Layout::kCsv) return true;
  if (firstLine && isNativeStart(line)) layout = Layout::kNative;
  if (line == kCsvHeader) layout = Layout::kCsv;
  return false;
}

const char* layoutName(Layout layout) {
  switch (layout) {
    case Layout::kCsv: return "clarna-csv";
    case Layout::kNative: return "clarna-text";
    default: return "";
  }
}

}  // namespace

bool readClaRNAOutput(const std::string& inputPath, const std::string& /*pdbId*/, const std::string& chain,
                      AnnotationOutput& out, const Reporter& reporter,
                      const AnnotationReadOptions& /*options: ClaRNA writes one-letter bases only*/) {
  const AnnotationSource source{inputPath, chain, reporter};
  Layout layout = Layout::kUnknown;
  bool firstLine = true;
  return readAnnotationLines(
      source, out,
      [&](std::string_view line, long) {
        bool row = isRow(line, layout, firstLine);
        firstLine = false;
        return !row ||
               tallyRow(parseAndProcessClaRNATokens(line, layout == Layout::kNative, chain, out), source, out);
      },
      [&] { out.layout = layoutName(layout); });
}

}  // namespace bexora
