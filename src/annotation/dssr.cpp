#include "annotation/dssr.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <iterator>
#include <string_view>
#include <vector>

#include "model/basepair.h"
#include "util/tokenizer.h"

namespace bexora {

namespace {

constexpr std::string_view kHeaderWords[] = {"nt1", "nt2", "bp", "name", "Saenger", "LW", "DSSR"};
constexpr std::size_t kHeaderWordCount = std::size(kHeaderWords);
// A pair line: index, nt1, nt2, bases, name, Saenger, LW, DSSR. Early
// versions may leave the name blank, so the LW class is found from the end.
enum PairField : std::size_t { kIndex, kNucleotide1, kNucleotide2 };
constexpr std::size_t kMinPairFields = 7;
constexpr std::size_t kFromEndToLeontisWesthof = 2;
constexpr std::size_t kFieldRoom = 12;
// The web service's export: a title line, then a comma-separated header.
constexpr std::string_view kCsvHeaderStart = "index,nt1,nt2,";
// An id of --idstr=long: model, an empty field, chain, name, number, insertion code.
enum LongIdField : std::size_t { kLongModel, kLongEmpty, kLongChain, kLongName, kLongNumber, kLongICode, kLongFields };

struct NucleotideId {
  std::string_view model;
  std::string_view chain;
  std::string_view name;
  int32_t number = 0;
  char iCode = ' ';
};

bool parseLongId(std::string_view id, NucleotideId& nt) {
  std::string_view fields[kLongFields + 1];
  TokenizeResult split = splitTokens(id, ".", fields, kLongFields + 1, false);
  if (split.count != kLongFields || !fields[kLongEmpty].empty() || fields[kLongICode].size() > 1) return false;
  nt.model = fields[kLongModel];
  nt.chain = fields[kLongChain];
  nt.name = fields[kLongName];
  if (!fields[kLongICode].empty()) nt.iCode = fields[kLongICode][0];
  return !nt.name.empty() && readWholeInteger(fields[kLongNumber], nt.number);
}

// NAMENUMBER: the number is the trailing integer (G12, PSU2504, G7M2069,
// G-3); a name that itself ends in a digit is set off by a slash.
bool splitNameAndNumber(std::string_view residue, NucleotideId& nt) {
  std::size_t split = residue.find('/');
  std::size_t numberStart = split == std::string_view::npos ? 0 : split + 1;
  if (split == std::string_view::npos) {
    split = residue.find_last_not_of("0123456789");
    if (split == std::string_view::npos || split + 1 == residue.size()) return false;
    if (residue[split] == '-' && split > 0) --split;
    numberStart = ++split;
  }
  nt.name = residue.substr(0, split);
  return !nt.name.empty() && readWholeInteger(residue.substr(numberStart), nt.number);
}

// [MODEL:]CHAIN.NAMENUMBER[^ICODE], or the long form, told by its empty field.
bool parseNucleotideId(std::string_view id, NucleotideId& nt) {
  if (id.find("..") != std::string_view::npos) return parseLongId(id, nt);
  const std::size_t colon = id.find(':');
  if (colon != std::string_view::npos) {
    nt.model = id.substr(0, colon);
    id.remove_prefix(colon + 1);
  }
  const std::size_t point = id.find('.');
  if (point == std::string_view::npos || point == 0) return false;
  nt.chain = id.substr(0, point);
  std::string_view residue = id.substr(point + 1);
  if (residue.size() >= 3 && residue[residue.size() - 2] == '^') {
    nt.iCode = residue.back();
    residue.remove_suffix(2);
  }
  return splitNameAndNumber(residue, nt);
}

bool insertDSSREdgeInfo(BPInfo& record, std::string_view leontisWesthof) {
  if (leontisWesthof.size() < 3 || !isWHS(leontisWesthof[1]) || !isWHS(leontisWesthof[2])) return false;
  record.orientation = leontisWesthof[0];
  for (int i = 0; i < 2; ++i) setField(record.edge[0][i], leontisWesthof.substr(i + 1, 1));
  record.edgeCount = 1;
  return true;
}

// The chain's pairs of the first model; other models repeat the structure.
bool inChainOfFirstModel(const NucleotideId& nt, const std::string& chain) {
  return nt.chain == chain && (nt.model.empty() || nt.model == "1");
}

struct DssrRead {
  const AnnotationSource& source;
  const AnnotationReadOptions& options;
  AnnotationOutput& out;
};

RowOutcome processPair(std::string_view nt1, std::string_view nt2, std::string_view leontisWesthof,
                       DssrRead& read) {
  NucleotideId ids[2];
  if (!parseNucleotideId(nt1, ids[0]) || !parseNucleotideId(nt2, ids[1])) return RowOutcome::kMalformed;
  BPInfo record = makeEmptyBPInfo();
  for (int i = 0; i < 2; ++i) {
    if (!inChainOfFirstModel(ids[i], read.source.chain)) return RowOutcome::kDropped;
    setField(record.chainId[i], read.source.chain);
    record.resSeqNo[i] = ids[i].number;
    record.iCode[i] = ids[i].iCode;
    record.nucleotide[i] = residueLetter(ids[i].name, read.options);
  }
  if (!insertDSSREdgeInfo(record, leontisWesthof)) return RowOutcome::kDropped;
  if (read.out.pairs.size() == kMaxBasePairs) return RowOutcome::kListFull;
  read.out.pairs.push_back(record);
  return RowOutcome::kUsed;
}

bool isPairListHeader(std::string_view line) {
  std::string_view words[kHeaderWordCount + 1];
  TokenizeResult split = splitNonEmptyTokens(line, " \t", words, kHeaderWordCount + 1, true);
  if (split.count != kHeaderWordCount) return false;
  for (std::size_t i = 0; i < kHeaderWordCount; ++i) {
    if (words[i] != kHeaderWords[i]) return false;
  }
  return true;
}

// Lines of --more details follow each pair and carry no index.
RowOutcome parseAndProcessDSSRTokens(std::string_view line, DssrRead& read) {
  std::string_view fields[kFieldRoom];
  TokenizeResult split = splitNonEmptyTokens(line, " \t", fields, kFieldRoom, true);
  int32_t index = 0;
  if (split.count == 0 || !readWholeInteger(fields[kIndex], index)) return RowOutcome::kDropped;
  if (split.count < kMinPairFields || split.tooManyTokens) return RowOutcome::kMalformed;
  return processPair(fields[kNucleotide1], fields[kNucleotide2], fields[split.count - kFromEndToLeontisWesthof],
                     read);
}

// Fields of the web export; quoted fields may hold commas.
std::vector<std::string_view> splitCsvRow(std::string_view row) {
  std::vector<std::string_view> fields;
  std::size_t start = 0;
  bool quoted = false;
  for (std::size_t i = 0; i <= row.size(); ++i) {
    if (i < row.size() && row[i] == '"') quoted = !quoted;
    if (i == row.size() || (row[i] == ',' && !quoted)) {
      fields.push_back(unquoted(row.substr(start, i - start)));
      start = i + 1;
    }
  }
  return fields;
}

struct CsvColumns {
  std::size_t nt1 = 0, nt2 = 0, leontisWesthof = 0;
  bool complete = false;
};

CsvColumns columnsOfHeader(std::string_view header) {
  const std::vector<std::string_view> names = splitCsvRow(header);
  CsvColumns columns;
  int found = 0;
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (names[i] == "nt1") columns.nt1 = i, ++found;
    if (names[i] == "nt2") columns.nt2 = i, ++found;
    if (names[i] == "LW") columns.leontisWesthof = i, ++found;
  }
  columns.complete = found == 3;
  return columns;
}

RowOutcome processCsvRow(std::string_view row, const CsvColumns& columns, DssrRead& read) {
  const std::vector<std::string_view> fields = splitCsvRow(row);
  if (fields.size() <= std::max({columns.nt1, columns.nt2, columns.leontisWesthof})) return RowOutcome::kMalformed;
  return processPair(fields[columns.nt1], fields[columns.nt2], fields[columns.leontisWesthof], read);
}

// dssr --json: one object whose "pairs" array holds nt1, nt2 and LW.
void processJson(const std::string& text, DssrRead& read) {
  const nlohmann::json document = nlohmann::json::parse(text, nullptr, false);
  if (document.is_discarded() || !document.contains("pairs") || !document["pairs"].is_array()) {
    read.out.skippedLines = read.out.linesRead;
    return;
  }
  for (const nlohmann::json& pair : document["pairs"]) {
    const bool wellFormed = pair.is_object() && pair.contains("nt1") && pair["nt1"].is_string() &&
                            pair.contains("nt2") && pair["nt2"].is_string() && pair.contains("LW") &&
                            pair["LW"].is_string();
    RowOutcome outcome = wellFormed ? processPair(pair["nt1"].get<std::string>(), pair["nt2"].get<std::string>(),
                                                  pair["LW"].get<std::string>(), read)
                                    : RowOutcome::kMalformed;
    if (!tallyRow(outcome, read.source, read.out)) return;
  }
}

enum class Layout { kUnknown, kText, kJson, kCsv };

const char* layoutName(Layout layout) {
  switch (layout) {
    case Layout::kText: return "dssr-text";
    case Layout::kJson: return "dssr-json";
    case Layout::kCsv: return "dssr-csv";
    default: return "";
  }
}

struct DssrState {
  DssrRead read;
  Layout layout = Layout::kUnknown;
  CsvColumns csvColumns;
  std::string jsonText;
  bool firstLine = true;
};

// Before a layout is known: JSON opens with a brace, the web export has its
// header, the text output its pair-list header; other lines are ignored.
void recogniseLayout(std::string_view line, DssrState& state) {
  if (state.firstLine && line[0] == '{') {
    state.layout = Layout::kJson;
  } else if (line.substr(0, kCsvHeaderStart.size()) == kCsvHeaderStart) {
    state.csvColumns = columnsOfHeader(line);
    if (state.csvColumns.complete) state.layout = Layout::kCsv;
  } else if (isPairListHeader(line)) {
    state.layout = Layout::kText;
  }
}

bool handleLine(std::string_view line, DssrState& state) {
  if (state.layout == Layout::kUnknown) {
    recogniseLayout(line, state);
    state.firstLine = false;
    // A header line is not a row; JSON's first line is content already.
    if (state.layout != Layout::kJson) return true;
  }
  DssrRead& read = state.read;
  switch (state.layout) {
    case Layout::kJson:
      state.jsonText.append(line.data(), line.size()).push_back('\n');
      return true;
    case Layout::kCsv: return tallyRow(processCsvRow(line, state.csvColumns, read), read.source, read.out);
    default: return line[0] != '*' && tallyRow(parseAndProcessDSSRTokens(line, read), read.source, read.out);
  }
}

}  // namespace

bool readDSSROutput(const std::string& inputPath, const std::string& /*pdbId*/, const std::string& chain,
                    AnnotationOutput& out, const Reporter& reporter, const AnnotationReadOptions& options) {
  const AnnotationSource source{inputPath, chain, reporter};
  DssrState state{DssrRead{source, options, out}, Layout::kUnknown, {}, {}, true};
  return readAnnotationLines(
      source, out, [&](std::string_view line, long) { return handleLine(line, state); },
      [&] {
        if (state.layout == Layout::kJson) processJson(state.jsonText, state.read);
        out.layout = layoutName(state.layout);
      });
}

}  // namespace bexora
