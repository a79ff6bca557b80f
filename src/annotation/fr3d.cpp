#include "annotation/fr3d.h"

#include <cctype>
#include <set>
#include <string_view>
#include <tuple>

#include "model/basepair.h"
#include "annotation/pair_formats.h"
#include "util/tokenizer.h"

namespace bexora {

namespace {

// A CSV row: unit 1, unit 2, base-pair family, stacking class, base-phosphate class.
enum CsvField : std::size_t { kUnit1, kUnit2, kFamily, kStacking, kBasePhosphate, kCsvFields };
// A fr3d-python line: unit 1, class, unit 2, crossing number.
enum TabField : std::size_t { kTabUnit1, kTabClass, kTabUnit2, kTabCrossing, kTabFields };
// A line of the RNA 3D Hub export of FR3D 7.3.
enum ExportField : std::size_t {
  kExportPdbId,
  kExportClass,
  kExportBase1,
  kExportNumber1,
  kExportChain1,
  kExportPosition1,
  kExportBase2,
  kExportNumber2,
  kExportChain2,
  kExportPosition2,
  kExportFields
};
constexpr std::string_view kExportHeaderStart = "PDB_ID\tInteraction\t";
// A unit id: PDB id|model|chain|residue name|number|atom|alternate id|insertion code|symmetry.
enum UnitField : std::size_t {
  kUnitPdbId,
  kUnitModel,
  kUnitChain,
  kUnitName,
  kUnitNumber,
  kUnitAtom,
  kUnitAltId,
  kUnitICode,
  kUnitSymmetry,
  kMaxUnitFields
};
constexpr std::size_t kMinUnitFields = kUnitNumber + 1;
// A symmetry field naming the identity operator is the deposited copy itself.
constexpr std::string_view kIdentityOperator = "1_555";

// Rows of the source structure and chains are kept, renamed to the target
// chain; a plain read maps a chain onto itself.
struct StructureMapping {
  std::string sourcePdbId;
  std::string sourceChains;  // names separated by '/'
  std::string targetChain;
};

StructureMapping createSelfMapping(const std::string& pdbId, const std::string& chain) {
  return StructureMapping{pdbId, chain, chain};
}

bool inSourceChains(const StructureMapping& mapping, std::string_view chain) {
  std::string_view list = mapping.sourceChains;
  while (true) {
    std::size_t slash = list.find('/');
    if (list.substr(0, slash) == chain) return true;
    if (slash == std::string_view::npos) return false;
    list.remove_prefix(slash + 1);
  }
}

// One nucleotide of an interaction, whichever layout named it.
struct Residue {
  std::string_view pdbId;  // empty where the layout's id need not be the run's
  bool firstModel = true;
  std::string_view chain;
  std::string_view name;
  int32_t number = 0;
  char iCode = ' ';
  bool symmetryCopy = false;  // a crystal-symmetry copy repeats a deposited residue
};

// False when the text has not the shape of a unit id.
bool residueOfUnit(std::string_view text, Residue& residue) {
  std::string_view fields[kMaxUnitFields];
  TokenizeResult split = splitTokens(text, "|", fields, kMaxUnitFields, false);
  if (split.tooManyTokens || split.tokenTruncated || split.count < kMinUnitFields || fields[kUnitName].empty() ||
      !readWholeInteger(fields[kUnitNumber], residue.number))
    return false;
  residue.pdbId = fields[kUnitPdbId];
  residue.firstModel = fields[kUnitModel] == "1";
  residue.chain = fields[kUnitChain];
  residue.name = fields[kUnitName];
  if (split.count > kUnitICode && !fields[kUnitICode].empty()) residue.iCode = fields[kUnitICode][0];
  residue.symmetryCopy = split.count > kUnitSymmetry && !fields[kUnitSymmetry].empty() &&
                         fields[kUnitSymmetry] != kIdentityOperator;
  return true;
}

bool inMappedChain(const Residue& residue, const StructureMapping& mapping, bool idMustMatch) {
  return residue.firstModel && (!idMustMatch || residue.pdbId == mapping.sourcePdbId) &&
         inSourceChains(mapping, residue.chain) && !residue.symmetryCopy;
}

void insertBPInfo(BPInfo& record, const Residue (&residues)[2], const StructureMapping& mapping,
                  const AnnotationReadOptions& options) {
  record = makeEmptyBPInfo();
  for (int i = 0; i < 2; ++i) {
    setField(record.chainId[i], mapping.targetChain);
    record.resSeqNo[i] = residues[i].number;
    record.nucleotide[i] = residueLetter(residues[i].name, options);
    record.iCode[i] = residues[i].iCode;
  }
}

// A pair listed from both residues is kept from the row whose first residue
// comes first; the insertion code decides between equal numbers.
bool inAscendingOrder(const BPInfo& record) {
  return compareResidues(record.resSeqNo[0], record.iCode[0], record.resSeqNo[1], record.iCode[1]) <= 0;
}

// A family is a cis/trans letter and two edge letters, after an optional
// 'n' for a near interaction; false when too short to be one.
bool insertEdgeInfo(BPInfo& record, std::string_view family) {
  if (!family.empty() && family[0] == 'n') family.remove_prefix(1);
  if (family.size() < 3) return false;
  record.orientation = family[0];
  for (int i = 0; i < 2; ++i) {
    char edge[2] = {static_cast<char>(std::toupper(static_cast<unsigned char>(family[i + 1]))), '\0'};
    setField(record.edge[0][i], edge);
  }
  record.edgeCount = 1;
  return true;
}

// Residue ids of a pair, both ends.
using PairKey = std::tuple<int32_t, char, int32_t, char>;
// What a stacking line says besides the file's chain: residue ids and bases.
using StackKey = std::tuple<int32_t, char, char, int32_t, char, char>;

enum class Layout { kUnknown, kCsv, kTab, kExport };

const char* layoutName(Layout layout) {
  switch (layout) {
    case Layout::kCsv: return "fr3d-csv";
    case Layout::kTab: return "fr3d-python";
    case Layout::kExport: return "fr3d-export";
    default: return "";
  }
}

// What one file's rows build up. Rows of alternate locations repeat an
// interaction of the same two residues; only the first row of each is used.
struct Fr3dRead {
  const StructureMapping& mapping;
  const AnnotationReadOptions& options;
  AnnotationOutput& out;
  Layout layout = Layout::kUnknown;
  std::set<PairKey> pairsSeen;
  std::set<StackKey> stacksSeen;
};

PairKey pairKeyOf(const BPInfo& record) {
  return {record.resSeqNo[0], record.iCode[0], record.resSeqNo[1], record.iCode[1]};
}

RowOutcome keepPair(Fr3dRead& read, const BPInfo& record) {
  if (!read.pairsSeen.insert(pairKeyOf(record)).second) return RowOutcome::kDropped;
  if (read.out.pairs.size() == kMaxBasePairs) return RowOutcome::kListFull;
  read.out.pairs.push_back(record);
  return RowOutcome::kUsed;
}

// Equal keys give equal lines, so a repeated stacking is dropped before
// its line is formatted.
RowOutcome keepStackLine(Fr3dRead& read, const BPInfo& record) {
  StackKey key{record.resSeqNo[0], record.iCode[0], record.nucleotide[0],
               record.resSeqNo[1], record.iCode[1], record.nucleotide[1]};
  if (!read.stacksSeen.insert(key).second) return RowOutcome::kDropped;
  read.out.keptLines.push_back(formatPairRNAViewStack(record));
  return RowOutcome::kUsed;
}

// The record of two residues of the chain in ascending order; false otherwise.
bool validatePDBIdChainBP(BPInfo& record, const Residue (&residues)[2], const Fr3dRead& read) {
  const bool idMustMatch = read.layout == Layout::kCsv;
  if (!inMappedChain(residues[0], read.mapping, idMustMatch) || !inMappedChain(residues[1], read.mapping, idMustMatch))
    return false;
  insertBPInfo(record, residues, read.mapping, read.options);
  return inAscendingOrder(record);
}

RowOutcome parseAndProcessCsvRow(std::string_view row, Fr3dRead& read) {
  std::string_view fields[kCsvFields];
  TokenizeResult split = splitTokens(row, ",", fields, kCsvFields, false);
  if (split.tooManyTokens || split.tokenTruncated || split.count != kCsvFields) return RowOutcome::kMalformed;
  // The web service's form quotes every field; the plain form does not.
  for (std::string_view& field : fields) field = unquoted(field);
  Residue residues[2];
  if (!residueOfUnit(fields[kUnit1], residues[0]) || !residueOfUnit(fields[kUnit2], residues[1]))
    return RowOutcome::kMalformed;
  BPInfo record;
  if (!validatePDBIdChainBP(record, residues, read)) return RowOutcome::kDropped;
  std::string_view family = fields[kFamily];
  const bool near = !family.empty() && family[0] == 'n';
  if (!family.empty() && (!near || read.options.nearPairsArePairs))
    return insertEdgeInfo(record, family) ? keepPair(read, record) : RowOutcome::kMalformed;
  // A near row is the first row of its residues: a later alternate
  // location's row does not turn them into a pair.
  if (near) read.pairsSeen.insert(pairKeyOf(record));
  if (!fields[kStacking].empty()) return keepStackLine(read, record);
  return RowOutcome::kDropped;
}

bool isEdgeLetter(char c) { return isWHS(static_cast<char>(std::toupper(static_cast<unsigned char>(c)))); }

bool isFamily(std::string_view text) {
  return text.size() == 3 && (text[0] == 'c' || text[0] == 't') && isEdgeLetter(text[1]) && isEdgeLetter(text[2]);
}

bool isStacking(std::string_view text) {
  return text.size() >= 3 && text[0] == 's' && std::isdigit(static_cast<unsigned char>(text[1]));
}

// One class of the tab-separated layouts: pairs of a family and stackings
// are kept; near pairs ('n' before the family) are no pairs, and
// base-phosphate, base-ribose and other classes have no place here.
RowOutcome processClass(std::string_view interaction, const Residue (&residues)[2], Fr3dRead& read) {
  BPInfo record;
  if (!validatePDBIdChainBP(record, residues, read)) return RowOutcome::kDropped;
  if (isFamily(interaction) && insertEdgeInfo(record, interaction)) return keepPair(read, record);
  const bool near = !interaction.empty() && interaction[0] == 'n';
  if (isStacking(near ? interaction.substr(1) : interaction)) return keepStackLine(read, record);
  return RowOutcome::kDropped;
}

RowOutcome parseAndProcessTabLine(std::string_view line, Fr3dRead& read) {
  std::string_view fields[kTabFields + 1];
  TokenizeResult split = splitTokens(line, "\t", fields, kTabFields + 1, false);
  if (split.tokenTruncated || split.count < kTabUnit2 + 1 || split.count > kTabFields) return RowOutcome::kMalformed;
  Residue residues[2];
  if (!residueOfUnit(fields[kTabUnit1], residues[0]) || !residueOfUnit(fields[kTabUnit2], residues[1]))
    return RowOutcome::kMalformed;
  return processClass(fields[kTabClass], residues, read);
}

bool residueOfExport(std::string_view base, std::string_view number, std::string_view chain, Residue& residue) {
  residue.name = base;
  residue.chain = chain;
  return !base.empty() && readWholeInteger(number, residue.number);
}

RowOutcome parseAndProcessExportLine(std::string_view line, Fr3dRead& read) {
  std::string_view fields[kExportFields + 1];
  TokenizeResult split = splitTokens(line, "\t", fields, kExportFields + 1, false);
  Residue residues[2];
  if (split.tokenTruncated || split.count != kExportFields ||
      !residueOfExport(fields[kExportBase1], fields[kExportNumber1], fields[kExportChain1], residues[0]) ||
      !residueOfExport(fields[kExportBase2], fields[kExportNumber2], fields[kExportChain2], residues[1]))
    return RowOutcome::kMalformed;
  return processClass(fields[kExportClass], residues, read);
}

// The first field of a CSV row is a unit id; that of a header is a title.
bool isCsvDataRow(std::string_view line) {
  const std::string_view first = line.substr(0, line.find(','));
  return first.find('|') != std::string_view::npos;
}

bool isTabDataLine(std::string_view line) {
  const std::size_t tab = line.find('\t');
  return tab != std::string_view::npos && line.substr(0, tab).find('|') != std::string_view::npos;
}

// The first line that is no '#' comment tells the layout; the header lines
// of the CSV and export layouts are not rows, the first line of the
// headerless tab-separated layout is.
bool recogniseLayout(std::string_view line, Fr3dRead& read) {
  if (line.substr(0, kExportHeaderStart.size()) == kExportHeaderStart) {
    read.layout = Layout::kExport;
    return false;
  }
  if (isTabDataLine(line)) {
    read.layout = Layout::kTab;
    return true;
  }
  read.layout = Layout::kCsv;
  return isCsvDataRow(line);
}

RowOutcome processLine(std::string_view line, Fr3dRead& read) {
  switch (read.layout) {
    case Layout::kTab: return parseAndProcessTabLine(line, read);
    case Layout::kExport: return parseAndProcessExportLine(line, read);
    default: return parseAndProcessCsvRow(line, read);
  }
}

}  // namespace

bool readFR3DOutput(const std::string& inputPath, const std::string& pdbId, const std::string& chain,
                    AnnotationOutput& out, const Reporter& reporter, const AnnotationReadOptions& options) {
  const AnnotationSource source{inputPath, chain, reporter};
  StructureMapping mapping = createSelfMapping(pdbId, chain);
  Fr3dRead read{mapping, options, out, Layout::kUnknown, {}, {}};
  return readAnnotationLines(
      source, out,
      [&](std::string_view line, long) {
        if (read.layout == Layout::kUnknown && (line[0] == '#' || !recogniseLayout(line, read))) return true;
        if (read.layout != Layout::kCsv && line[0] == '#') return true;
        return tallyRow(processLine(line, read), source, out);
      },
      [&] { out.layout = layoutName(read.layout); });
}

}  // namespace bexora
