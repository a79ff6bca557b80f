#include "annotation/fr3d.h"

#include <cctype>
#include <cstdio>
#include <set>
#include <string_view>
#include <tuple>
#include <utility>

#include "util/basepair.h"
#include "util/line_reader.h"
#include "util/pair_formats.h"
#include "util/tokenizer.h"

namespace bexora {

namespace {

// A row: unit 1, unit 2, base-pair family, stacking class, base-phosphate class.
enum RowField : std::size_t { kUnit1, kUnit2, kFamily, kStacking, kBasePhosphate, kRowFields };
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

struct Unit {
  std::string_view fields[kMaxUnitFields];
  std::size_t count = 0;
  int32_t number = 0;
};

// Splits a unit id and reads its number; false when it has not the shape of one.
bool splitUnit(std::string_view text, Unit& unit) {
  TokenizeResult split = myTokenize(text, "|", unit.fields, kMaxUnitFields, false);
  unit.count = split.count;
  return !split.tooManyTokens && !split.tokenTruncated && unit.count >= kMinUnitFields &&
         !unit.fields[kUnitName].empty() && readWholeInteger(unit.fields[kUnitNumber], unit.number);
}

// A unit of a crystal-symmetry copy repeats a residue of the deposited
// chain; its pairs would enter the list twice under one identity.
bool isSymmetryCopy(const Unit& unit) {
  if (unit.count <= kUnitSymmetry) return false;
  std::string_view symmetry = unit.fields[kUnitSymmetry];
  return !symmetry.empty() && symmetry != kIdentityOperator;
}

bool inMappedChain(const Unit& unit, const StructureMapping& mapping) {
  return unit.fields[kUnitModel] == "1" && unit.fields[kUnitPdbId] == mapping.sourcePdbId &&
         inSourceChains(mapping, unit.fields[kUnitChain]) && !isSymmetryCopy(unit);
}

char insertionCodeOf(const Unit& unit) {
  if (unit.count <= kUnitICode || unit.fields[kUnitICode].empty()) return ' ';
  return unit.fields[kUnitICode][0];
}

void insertBPInfo(BPInfo& record, const Unit (&units)[2], const StructureMapping& mapping) {
  record = makeEmptyBPInfo();
  for (int i = 0; i < 2; ++i) {
    setField(record.chainId[i], mapping.targetChain);
    record.resSeqNo[i] = units[i].number;
    record.nucleotide[i] = units[i].fields[kUnitName][0];
    record.iCode[i] = insertionCodeOf(units[i]);
  }
}

// A pair listed from both residues is kept from the row whose first residue
// comes first; the insertion code decides between equal numbers.
bool inAscendingOrder(const BPInfo& record) {
  if (record.resSeqNo[0] != record.resSeqNo[1]) return record.resSeqNo[0] < record.resSeqNo[1];
  return record.iCode[0] <= record.iCode[1];
}

bool validatePDBIdChainBP(BPInfo& record, const Unit (&units)[2], const StructureMapping& mapping) {
  if (!inMappedChain(units[0], mapping) || !inMappedChain(units[1], mapping)) return false;
  insertBPInfo(record, units, mapping);
  return inAscendingOrder(record);
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

// What one file's rows build up. Rows of alternate locations repeat an
// interaction of the same two residues; only the first row of each is used.
struct Fr3dRead {
  const StructureMapping& mapping;
  AnnotationOutput& out;
  std::set<PairKey> pairsSeen;
  std::set<std::string> stackLinesSeen;
};

RowOutcome keepPair(Fr3dRead& read, const BPInfo& record) {
  PairKey key{record.resSeqNo[0], record.iCode[0], record.resSeqNo[1], record.iCode[1]};
  if (!read.pairsSeen.insert(key).second) return RowOutcome::kDropped;
  if (read.out.pairs.size() == kMaxBasePairs) return RowOutcome::kListFull;
  read.out.pairs.push_back(record);
  return RowOutcome::kUsed;
}

RowOutcome keepStackLine(Fr3dRead& read, const BPInfo& record) {
  std::string line = formatPairRNAViewStack(record);
  if (!read.stackLinesSeen.insert(line).second) return RowOutcome::kDropped;
  read.out.keptLines.push_back(std::move(line));
  return RowOutcome::kUsed;
}

RowOutcome parseAndProcessTokens(std::string_view row, Fr3dRead& read) {
  std::string_view fields[kRowFields];
  TokenizeResult split = myTokenize(row, ",", fields, kRowFields, false);
  if (split.tooManyTokens || split.tokenTruncated || split.count != kRowFields) return RowOutcome::kMalformed;
  // The web service's form quotes every field; the plain form does not.
  for (std::string_view& field : fields) field = unquoted(field);
  Unit units[2];
  if (!splitUnit(fields[kUnit1], units[0]) || !splitUnit(fields[kUnit2], units[1])) return RowOutcome::kMalformed;
  BPInfo record;
  if (!validatePDBIdChainBP(record, units, read.mapping)) return RowOutcome::kDropped;
  if (!fields[kFamily].empty())
    return insertEdgeInfo(record, fields[kFamily]) ? keepPair(read, record) : RowOutcome::kMalformed;
  if (!fields[kStacking].empty()) return keepStackLine(read, record);
  return RowOutcome::kDropped;
}

}  // namespace

bool readFR3DOutput(const std::string& inputPath, const std::string& pdbId, const std::string& chain,
                    AnnotationOutput& out) {
  StructureMapping mapping = createSelfMapping(pdbId, chain);
  Fr3dRead read{mapping, out, {}, {}};
  bool headerRead = false;
  return readAnnotationLines(inputPath, out, [&](std::string_view line, long) {
    if (!headerRead) {
      headerRead = true;
      return true;
    }
    return tallyRow(parseAndProcessTokens(line, read), inputPath, out);
  });
}

}  // namespace bexora
