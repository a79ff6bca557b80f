#include "structure/mmcif_format.h"

#include <array>

#include "model/basepair.h"
#include "structure/quality.h"
#include "structure/record_fields.h"

namespace bexora {

namespace {

enum CifItem : int {
  kGroup,
  kCompId,
  kLabelAsym,
  kAuthAsym,
  kAtomId,
  kLabelSeq,
  kAuthSeq,
  kInsCode,
  kCartnX,
  kCartnY,
  kCartnZ,
  kOccupancy,
  kBFactor,
  kModelNum,
  kAltId,
  kCifItemCount
};

constexpr std::array<const char*, kCifItemCount> kCifItemNames = {
    "group_PDB", "label_comp_id", "label_asym_id", "auth_asym_id", "label_atom_id", "label_seq_id",     "auth_seq_id",
    "pdbx_PDB_ins_code", "Cartn_x", "Cartn_y",      "Cartn_z",       "occupancy",    "B_iso_or_equiv",
    "pdbx_PDB_model_num", "label_alt_id"};

// Items of the _pdbx_struct_mod_residue loop: a residue name and its parent.
enum ModResidueItem : int { kModLabelComp, kModAuthComp, kModParent, kModItemCount };

constexpr std::array<const char*, kModItemCount> kModItemNames = {"label_comp_id", "auth_comp_id", "parent_comp_id"};

enum class CifCategory { kOther, kAtomSite, kModResidue };

// State of the loop being read; positions are header columns, -1 when absent.
struct CifLoop {
  bool inLoop = false;
  CifCategory category = CifCategory::kOther;
  bool rowsStarted = false;
  bool usable = true;
  int columnCount = 0;
  std::array<int, kCifItemCount> position{};
  std::array<int, kModItemCount> modPosition{};
  bool modelKnown = false;
  std::string firstModel;

  void start() {
    inLoop = true;
    rowsStarted = false;
    usable = true;
    columnCount = 0;
    category = CifCategory::kOther;
    position.fill(-1);
    modPosition.fill(-1);
  }
  void end() { inLoop = false; }
  bool has(CifItem item) const { return position[item] >= 0; }
};

bool isNewBlock(std::string_view line) { return startsWith(line, "#") || startsWith(line, "_"); }

template <std::size_t N>
void recordPosition(std::string_view name, const std::array<const char*, N>& names, int column,
                    std::array<int, N>& positions) {
  name = trimBlanks(name);
  for (std::size_t item = 0; item < N; ++item)
    if (name == names[item]) positions[item] = column;
}

// A header line of the _atom_site or _pdbx_struct_mod_residue loop.
bool addHeaderItem(std::string_view line, CifLoop& loop) {
  constexpr std::string_view kAtomSite = "_atom_site.", kModResidue = "_pdbx_struct_mod_residue.";
  if (startsWith(line, kAtomSite)) {
    recordPosition(line.substr(kAtomSite.size()), kCifItemNames, loop.columnCount, loop.position);
    loop.category = CifCategory::kAtomSite;
  } else if (startsWith(line, kModResidue)) {
    recordPosition(line.substr(kModResidue.size()), kModItemNames, loop.columnCount, loop.modPosition);
    loop.category = CifCategory::kModResidue;
  } else {
    return false;
  }
  ++loop.columnCount;
  return true;
}

// The item the loop cannot do without, or nullptr when all are listed.
const char* missingRequiredItem(const CifLoop& loop) {
  if (!loop.has(kAuthAsym) && !loop.has(kLabelAsym)) return "auth_asym_id or label_asym_id";
  if (!loop.has(kAuthSeq) && !loop.has(kLabelSeq)) return "auth_seq_id or label_seq_id";
  for (CifItem item : {kCompId, kAtomId, kCartnX, kCartnY, kCartnZ})
    if (!loop.has(item)) return kCifItemNames[item];
  return nullptr;
}

std::string_view field(const std::vector<std::string_view>& fields, const CifLoop& loop, CifItem item) {
  return loop.has(item) ? fields[static_cast<std::size_t>(loop.position[item])] : std::string_view();
}

bool isAlnum(char c) { return std::isalnum(static_cast<unsigned char>(c)) != 0; }

std::string_view cifChain(const std::vector<std::string_view>& fields, const CifLoop& loop) {
  std::string_view author = field(fields, loop, kAuthAsym);
  if (!author.empty() && isAlnum(author.front())) return author;
  return field(fields, loop, kLabelAsym);
}

bool isFirstModel(const std::vector<std::string_view>& fields, CifLoop& loop) {
  if (!loop.has(kModelNum)) return true;
  std::string_view model = field(fields, loop, kModelNum);
  if (!loop.modelKnown) {
    loop.firstModel.assign(model);
    loop.modelKnown = true;
  }
  return model == loop.firstModel;
}

// False when a coordinate cannot be read.
bool fillCifAtom(const std::vector<std::string_view>& fields, const CifLoop& loop, std::string_view chain, char letter,
                 AtomInfo& atom) {
  std::string_view name = field(fields, loop, kAtomId);
  while (!name.empty() && name.front() == '"') name.remove_prefix(1);
  while (!name.empty() && name.back() == '"') name.remove_suffix(1);
  setAtomName(atom, name);
  atom.residueName = letter;
  setField(atom.chainId, chain);
  atom.resSeqNo = 0;
  parseInteger(field(fields, loop, loop.has(kAuthSeq) ? kAuthSeq : kLabelSeq), atom.resSeqNo);
  std::string_view insertion = field(fields, loop, kInsCode);
  atom.iCode = !insertion.empty() && isAlnum(insertion.front()) ? insertion.front() : ' ';
  atom.occupancy = atom.tempFactor = 0;
  parseDecimal(field(fields, loop, kOccupancy), atom.occupancy);
  parseDecimal(field(fields, loop, kBFactor), atom.tempFactor);
  return parseDecimal(field(fields, loop, kCartnX), atom.x) && parseDecimal(field(fields, loop, kCartnY), atom.y) &&
         parseDecimal(field(fields, loop, kCartnZ), atom.z);
}

// Ligands and water have no place in the entity's sequence: label_seq_id ".".
bool isOutsidePolymer(const std::vector<std::string_view>& fields, const CifLoop& loop) {
  return loop.has(kLabelSeq) && field(fields, loop, kLabelSeq) == ".";
}

// False, after a warning naming the line, when the row's fields do not
// match the loop's header one to one: a field too many or too few would
// shift every value after it. With `continues`, a row may have fewer, its
// last value going on in a text field on the lines after it.
bool fieldsMatchHeader(std::string_view row, long lineNumber, const char* loopName, int columnCount,
                       std::vector<std::string_view>& fields, const AtomSink& sink, bool continues = false) {
  const std::size_t count = splitFields(row, fields), expected = static_cast<std::size_t>(columnCount);
  if (count == expected || (continues && count < expected)) return true;
  const std::string problem =
      std::string(count < expected ? "has fewer" : "has more") + " fields than the " + loopName + " header";
  sink.warnLine(problem.c_str(), lineNumber);
  return false;
}

uint64_t cifAtomDigest(const std::vector<std::string_view>& fields, const CifLoop& loop) {
  return atomNameDigest({field(fields, loop, kModelNum), cifChain(fields, loop),
                         field(fields, loop, loop.has(kAuthSeq) ? kAuthSeq : kLabelSeq), field(fields, loop, kInsCode),
                         field(fields, loop, kAtomId), field(fields, loop, kAltId)});
}

// `wanted`: whether the row may give an atom of the chain, or only counts.
void readCifRow(std::string_view row, long lineNumber, std::vector<std::string_view>& fields, CifLoop& loop,
                AtomSink& sink, bool wanted) {
  if (!loop.rowsStarted) {
    loop.rowsStarted = true;
    if (const char* missing = missingRequiredItem(loop)) {
      sink.reporter.warn("The _atom_site loop of %s does not list %s; its atoms are ignored.\n",
                        sink.path.c_str(), missing);
      loop.usable = false;
    }
  }
  const bool matches = fieldsMatchHeader(row, lineNumber, "_atom_site", loop.columnCount, fields, sink);
  sink.nameAtom(matches && loop.usable ? cifAtomDigest(fields, loop) : atomNameDigest({row}), lineNumber);
  if (!loop.usable || !matches || !wanted) return;
  std::string_view comp = field(fields, loop, kCompId);
  bool standard = isStandardName(comp);
  if (!isFirstModel(fields, loop) || (!standard && isOutsidePolymer(fields, loop))) return;
  std::string_view chain = cifChain(fields, loop);
  if (!sink.wants(chain)) return;
  if (AtomInfo* atom = sink.nextOf(comp))
    sink.keepIfUsable(fillCifAtom(fields, loop, chain, standard ? comp.front() : '\0', *atom), lineNumber);
}

void readModResidueRow(std::string_view row, long lineNumber, std::vector<std::string_view>& fields, CifLoop& loop,
                       AtomSink& sink) {
  loop.rowsStarted = true;
  int name = loop.modPosition[kModLabelComp] >= 0 ? loop.modPosition[kModLabelComp] : loop.modPosition[kModAuthComp];
  int parent = loop.modPosition[kModParent];
  if (!sink.readModified || name < 0 || parent < 0) return;
  if (fieldsMatchHeader(row, lineNumber, "_pdbx_struct_mod_residue", loop.columnCount, fields, sink, true) &&
      static_cast<std::size_t>(std::max(name, parent)) < fields.size())
    sink.parents.addParent(fields[static_cast<std::size_t>(name)], fields[static_cast<std::size_t>(parent)]);
}

// Rows of an _atom_site loop that lists group_PDB are its ATOM and HETATM
// rows; without group_PDB (as some programs write) every row is an atom.
// All of them count for the DPI; HETATM rows give atoms of the chain only
// when modified nucleotides are read, since only they need them.
void readAtomSiteLine(std::string_view line, long lineNumber, std::vector<std::string_view>& fields, CifLoop& loop,
                      AtomSink& sink) {
  bool grouped = loop.has(kGroup);
  bool hetero = startsWith(line, "HETA");
  if (grouped && !hetero && !startsWith(line, "ATOM")) return;
  readCifRow(line, lineNumber, fields, loop, sink, !grouped || !hetero || sink.readModified);
}

void readCifLine(std::string_view line, long lineNumber, std::vector<std::string_view>& fields, CifLoop& loop,
                 AtomSink& sink) {
  bool blockEnds = startsWith(line, "#") || startsWith(line, "data_") || (loop.rowsStarted && isNewBlock(line));
  if (loop.inLoop && blockEnds) loop.end();
  if (startsWith(line, "loop_")) return loop.start();
  // Lines of a text field (";") belong to the row before them.
  if (!loop.inLoop || (!loop.rowsStarted && addHeaderItem(line, loop)) || line.front() == ';' || line.front() == '_')
    return;
  if (loop.category == CifCategory::kModResidue) readModResidueRow(line, lineNumber, fields, loop, sink);
  if (loop.category == CifCategory::kAtomSite) readAtomSiteLine(line, lineNumber, fields, loop, sink);
}

}  // namespace

void readCifFormat(LineReader& reader, RefineInfo& refine, AtomSink& sink) {
  CifLoop loop;
  std::vector<std::string_view> fields;
  fields.reserve(64);
  std::string_view line;
  while (nextContentLine(reader, line)) {
    if (line.front() == '_') {
      const LinePlace place{sink.reporter, sink.path, reader.lineNumber()};
      parseRefineInfo_mmCIFFormat(line, refine, &place);
    }
    readCifLine(line, reader.lineNumber(), fields, loop, sink);
  }
}

}  // namespace bexora
