#include "structure/pdb_reader.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <set>
#include <map>

#include "model/basepair.h"
#include "model/input_files.h"
#include "util/line_reader.h"
#include "model/modified_nucleotides.h"
#include "util/tokenizer.h"

namespace bexora {
namespace {

bool startsWith(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && text.compare(0, prefix.size(), prefix) == 0;
}

bool isBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view trimBlanks(std::string_view text) {
  while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);
  return text;
}

// Columns are 1-based and inclusive; what lies past the line end reads as blank.
std::string_view columns(std::string_view line, std::size_t first, std::size_t last) {
  if (line.size() < first) return {};
  return line.substr(first - 1, last - first + 1);
}

char column(std::string_view line, std::size_t at) { return line.size() >= at ? line[at - 1] : ' '; }

constexpr std::array<double, 19> kPowersOfTen = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8, 1e9,
                                                 1e10, 1e11, 1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18};

// A number is followed by a blank or the end of its field: "0x1p3" or
// "1.5abc" is no number.
bool endsNumber(std::string_view text, std::size_t at) { return at >= text.size() || isBlank(text[at]); }

// Rare long or exponent forms go through the C library.
bool parseDecimalSlow(std::string_view text, double& value) {
  char buffer[64];
  if (text.size() >= sizeof buffer) return false;
  std::memcpy(buffer, text.data(), text.size());
  buffer[text.size()] = '\0';
  char* end = nullptr;
  double parsed = std::strtod(buffer, &end);
  if (end == buffer || !endsNumber(text, static_cast<std::size_t>(end - buffer))) return false;
  value = parsed;
  return true;
}

// A decimal number after optional blanks, up to the next blank. Plain forms
// are exact: an integer mantissa divided by an exact power of ten rounds once.
bool parseDecimal(std::string_view text, double& value) {
  std::size_t i = 0;
  while (i < text.size() && isBlank(text[i])) ++i;
  text.remove_prefix(i);
  i = 0;
  bool negative = i < text.size() && text[i] == '-';
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) ++i;
  uint64_t mantissa = 0;
  auto takeDigits = [&] {
    std::size_t start = i;
    for (; i < text.size() && isDigit(text[i]); ++i) mantissa = mantissa * 10 + static_cast<uint64_t>(text[i] - '0');
    return static_cast<int>(i - start);
  };
  int digits = takeDigits();
  int fraction = 0;
  if (i < text.size() && text[i] == '.') {
    ++i;
    fraction = takeDigits();
    digits += fraction;
  }
  if (digits == 0) return false;
  bool exponent = i < text.size() && (text[i] == 'e' || text[i] == 'E');
  if (digits > 18 || exponent) return parseDecimalSlow(text, value);
  if (!endsNumber(text, i)) return false;
  double magnitude = static_cast<double>(mantissa) / kPowersOfTen[static_cast<std::size_t>(fraction)];
  value = negative ? -magnitude : magnitude;
  return true;
}

bool parseInteger(std::string_view text, int32_t& value) {
  std::size_t end = 0;
  return readIntegerAt(withoutPlusSign(trimBlanks(text)), end, value);
}

bool isStandardName(std::string_view name) { return name.size() == 1 && isStandardBase(name.front()); }

// Physical bounds of what a structure file states; a value outside them (or
// not finite) is damage, not data, and counts as not given.
constexpr double kMaxCoordinate = 1e4;     // angstrom, either sign: far beyond any assembly
constexpr double kMaxResolution = 100;     // angstrom; resolution lies in (0, 100], 0 being "not given"
constexpr double kMaxRValue = 1;           // free R lies in [0, 1] once a percentage is read as one
constexpr double kMaxCompleteness = 1;     // completeness lies in [0, 100] %, kept as a fraction
constexpr double kMaxReflections = 2147483647.0;  // a count, 0 up to what int32_t holds

// A quality statistic's name and bounds (in the units it is kept in).
struct Bounds {
  const char* name;
  double high;
  const char* range;  // as the warning states it
  bool holds(double value) const { return value >= 0 && value <= high; }
};

constexpr Bounds kResolutionBounds{"resolution", kMaxResolution, "(0, 100] angstrom"};
constexpr Bounds kFreeRBounds{"free R value", kMaxRValue, "[0, 1] or [0, 100] %"};
constexpr Bounds kCompletenessBounds{"completeness", kMaxCompleteness, "[0, 100] %"};
constexpr Bounds kReflectionsBounds{"number of reflections", kMaxReflections, "0 to 2147483647"};

// True when `value` (as kept) lies within its bounds; otherwise warns, when
// the line's place is known, with the value as the file wrote it.
bool withinBounds(double value, double written, const Bounds& bounds, const LinePlace* place) {
  if (bounds.holds(value)) return true;
  if (place)
    place->reporter.warn("Line %ld of %s gives the %s as %g, outside %s; it is taken as not given.\n",
                        place->line, place->path.c_str(), bounds.name, written, bounds.range);
  return false;
}

// The fault of the atom's numbers, or nullptr when they are usable. The
// three coordinates must be given; a missing occupancy or temperature factor reads 0.
const char* atomNumbersFault(const AtomInfo& atom, bool coordinatesGiven) {
  for (double coordinate : {atom.x, atom.y, atom.z})
    if (!coordinatesGiven || !(std::fabs(coordinate) < kMaxCoordinate))
      return "has a coordinate that is missing, not finite or beyond 10000 angstrom";
  if (!std::isfinite(atom.occupancy) || !std::isfinite(atom.tempFactor))
    return "has an occupancy or temperature factor that is not finite";
  return nullptr;
}

// Parents of modified nucleotides: those the file names (MODRES,
// _pdbx_struct_mod_residue) first, else the built-in table, which is asked
// only about residues of the chain's sequence, so that a free ligand such as
// ADE is not read as a nucleotide. A PDB file's SEQRES names the sequence;
// without it every residue counts as part of it.
class ModifiedParents {
 public:
  void addParent(std::string_view name, std::string_view parent) {
    if (isStandardName(parent)) named_.emplace(name, parent.front());
  }
  void addSequenceName(std::string_view name) { sequence_.emplace(name); }

  // The parent letter, or '\0' for a residue that is not a nucleotide.
  char parentOf(std::string_view name) const {
    auto found = named_.find(name);
    if (found != named_.end()) return found->second;
    return inSequence(name) ? parentBase(name) : '\0';
  }

 private:
  bool inSequence(std::string_view name) const { return sequence_.empty() || sequence_.count(name) > 0; }

  std::map<std::string, char, std::less<>> named_;
  std::set<std::string, std::less<>> sequence_;
};

// Pseudouridine's base is joined to the sugar at C5, not N1: read as
// uridine, its ring atoms take the names of the uridine atoms in their
// places, so that its edges and distances are measured where a U's are.
void nameAsUridine(AtomInfo& atom) {
  static constexpr std::pair<const char*, const char*> kPlaces[] = {{"C5", "N1"}, {"N1", "C5"}, {"C4", "C2"},
                                                                    {"C2", "C4"}, {"O4", "O2"}, {"O2", "O4"}};
  for (const auto& [pseudouridine, uridine] : kPlaces)
    if (std::strcmp(atom.atomName, pseudouridine) == 0) {
      setField(atom.atomName, uridine);
      return;
    }
}

// A 64-bit digest of the fields that name an atom, each field closed by a
// byte no name holds.
uint64_t atomNameDigest(std::initializer_list<std::string_view> fields) {
  uint64_t digest = 14695981039346656037ull;
  for (std::string_view text : fields) {
    for (char c : text) digest = (digest ^ static_cast<unsigned char>(c)) * 1099511628211ull;
    digest = (digest ^ 0xffu) * 1099511628211ull;
  }
  return digest;
}

// The atoms a file names, every chain and model, each once: an atom line
// repeating one read before (same model, chain, residue, insertion code,
// atom name and alternate location) adds nothing to the DPI's atom count.
// Open addressing over the digests keeps it at a few bytes per atom.
class AtomNameSet {
 public:
  // False when the name was added before.
  bool insert(uint64_t digest) {
    digest = digest == 0 ? 1 : digest;
    if (2 * (size_ + 1) > slots_.size()) grow();
    for (std::size_t at = slotOf(digest);; at = (at + 1) & (slots_.size() - 1)) {
      if (slots_[at] == digest) return false;
      if (slots_[at] != 0) continue;
      slots_[at] = digest;
      ++size_;
      return true;
    }
  }
  std::size_t size() const { return size_; }

 private:
  std::size_t slotOf(uint64_t digest) const {
    return static_cast<std::size_t>((digest * 0x9E3779B97F4A7C15ull) >> 32) & (slots_.size() - 1);
  }
  void grow() {
    std::vector<uint64_t> old(std::max<std::size_t>(1024, 2 * slots_.size()), 0);
    old.swap(slots_);
    size_ = 0;
    for (uint64_t digest : old)
      if (digest != 0) insert(digest);
  }

  std::vector<uint64_t> slots_;
  std::size_t size_ = 0;
};

// Shared by both formats: where atoms go and which of them are wanted.
// Atoms of non-standard residues wait in `pending` until the whole file has
// named its parents (mmCIF lists them after the atoms).
struct AtomSink {
  AtomSink(std::vector<AtomInfo>& table, const std::string& chain, const std::string& file, const Reporter& messages,
           bool modified)
      : atoms(table), chainId(chain), path(file), reporter(messages), readModified(modified) {}

  std::vector<AtomInfo>& atoms;
  const std::string& chainId;
  const std::string& path;
  const Reporter& reporter;
  bool readModified;
  bool parentsKnown = false;  // a PDB file names parents before its atoms
  bool full = false;
  ModifiedParents parents;
  std::vector<std::pair<std::size_t, std::string>> pending;
  AtomNameSet atomNames;
  std::size_t repeatedAtoms = 0;
  long firstRepeatLine = 0;

  // Every atom line of the file, whatever its chain, passes here once.
  void nameAtom(uint64_t digest, long line) {
    if (atomNames.insert(digest)) return;
    if (repeatedAtoms++ == 0) firstRepeatLine = line;
  }

  // The DPI's atom count; repeats are told once per structure.
  int32_t distinctAtoms() const {
    if (repeatedAtoms > 0)
      reporter.warn("%zu atom lines of %s repeat an atom named before (same model, chain, residue, insertion "
                   "code, atom name and alternate location), the first at line %ld; the first of each is kept and "
                   "counted.\n",
                   repeatedAtoms, path.c_str(), firstRepeatLine);
    return static_cast<int32_t>(std::min<std::size_t>(atomNames.size(), std::numeric_limits<int32_t>::max()));
  }

  bool wants(std::string_view chain) const { return chain == chainId; }

  // The slot for the next atom, or nullptr once the table is full.
  AtomInfo* next() {
    if (atoms.size() >= kMaxAtoms) {
      if (!full) reporter.limitReached("Atom table", kMaxAtoms, path);
      full = true;
      return nullptr;
    }
    atoms.emplace_back();
    return &atoms.back();
  }

  // The slot for an atom of residue `name`, or nullptr when it is not read.
  AtomInfo* nextOf(std::string_view name) {
    bool standard = isStandardName(name);
    if (!standard && (!readModified || (parentsKnown && !parents.parentOf(name)))) return nullptr;
    AtomInfo* atom = next();
    if (atom && !standard) pending.emplace_back(atoms.size() - 1, name);
    return atom;
  }

  // Gives waiting atoms their parent's letter and drops those without one.
  void settlePending() {
    if (pending.empty()) return;
    for (const auto& [index, name] : pending) {
      atoms[index].residueName = parents.parentOf(name);
      if (name == "PSU") nameAsUridine(atoms[index]);
    }
    atoms.erase(std::remove_if(atoms.begin(), atoms.end(), [](const AtomInfo& a) { return a.residueName == '\0'; }),
                atoms.end());
  }

  void warnLine(const char* problem, long line) const {
    reporter.warn("Line %ld of %s %s; the line is ignored.\n", line, path.c_str(), problem);
  }

  // Takes back the atom just filled when its numbers cannot be physical.
  void keepIfUsable(bool coordinatesGiven, long line) {
    const char* fault = atomNumbersFault(atoms.back(), coordinatesGiven);
    if (!fault) return;
    if (!pending.empty() && pending.back().first == atoms.size() - 1) pending.pop_back();
    atoms.pop_back();
    warnLine(fault, line);
  }
};

// Splits a record at blanks; a value in single or double quotes may hold blanks
// and ends at its closing quote followed by a blank or the line end.
std::size_t splitFields(std::string_view row, std::vector<std::string_view>& fields) {
  fields.clear();
  std::size_t i = 0;
  while (i < row.size()) {
    while (i < row.size() && isBlank(row[i])) ++i;
    if (i >= row.size()) break;
    char quote = row[i];
    std::size_t start = i;
    if (quote == '\'' || quote == '"') {
      std::size_t close = start + 1;
      while (close < row.size() && !(row[close] == quote && (close + 1 == row.size() || isBlank(row[close + 1]))))
        ++close;
      if (close < row.size()) {
        fields.push_back(row.substr(start + 1, close - start - 1));
        i = close + 1;
        continue;
      }
    }
    while (i < row.size() && !isBlank(row[i])) ++i;
    fields.push_back(row.substr(start, i - start));
  }
  return fields.size();
}

// Atom names of the old PDB convention (C1*, O2*, O1P, O2P, before 2007)
// read as today's (C1', O2', OP1, OP2), so that every measurement finds them.
void setAtomName(AtomInfo& atom, std::string_view name) {
  std::string modern(name);
  std::replace(modern.begin(), modern.end(), '*', '\'');
  if (modern.size() == 3 && modern[0] == 'O' && modern[2] == 'P' && modern[1] >= '1' && modern[1] <= '3')
    modern = std::string("OP") + modern[1];
  setField(atom.atomName, modern);
}

// ---- PDB format ----

constexpr std::size_t kAtomLineMinimum = 54;  // through the z coordinate

std::string_view residueNameOf(std::string_view line) {
  if (column(line, 19) == ' ' && isStandardBase(column(line, 20))) return columns(line, 20, 20);
  return trimBlanks(columns(line, 18, 20));
}

// False when a coordinate cannot be read.
bool fillPdbAtom(std::string_view line, char letter, AtomInfo& atom) {
  std::string_view name = trimBlanks(columns(line, 13, 16));
  name = name.substr(0, std::min(name.find(' '), name.size()));
  setAtomName(atom, name);
  atom.residueName = letter;
  char chain[2] = {column(line, 22), '\0'};
  setField(atom.chainId, chain);
  atom.resSeqNo = 0;
  parseInteger(columns(line, 23, 26), atom.resSeqNo);
  atom.iCode = column(line, 27);
  atom.occupancy = atom.tempFactor = 0;
  parseDecimal(columns(line, 55, 60), atom.occupancy);
  parseDecimal(columns(line, 61, 66), atom.tempFactor);
  return parseDecimal(columns(line, 31, 38), atom.x) && parseDecimal(columns(line, 39, 46), atom.y) &&
         parseDecimal(columns(line, 47, 54), atom.z);
}

void readAtomLine(std::string_view line, long lineNumber, AtomSink& sink) {
  if (line.size() < kAtomLineMinimum) {
    sink.warnLine("is too short for an ATOM record", lineNumber);
    return;
  }
  std::string_view name = residueNameOf(line);
  if (!sink.wants(std::string_view(&line[21], 1))) return;
  if (AtomInfo* atom = sink.nextOf(name))
    sink.keepIfUsable(fillPdbAtom(line, isStandardName(name) ? name.front() : '\0', *atom), lineNumber);
}

// MODRES names a parent; SEQRES of the requested chain names its sequence.
void readModifiedRecords(std::string_view line, AtomSink& sink) {
  if (startsWith(line, "MODRES"))
    sink.parents.addParent(trimBlanks(columns(line, 13, 15)), trimBlanks(columns(line, 25, 27)));
  if (!startsWith(line, "SEQRES") || !sink.wants(columns(line, 12, 12))) return;
  std::vector<std::string_view> names;
  splitFields(line.substr(std::min<std::size_t>(line.size(), 19)), names);
  for (std::string_view name : names) sink.parents.addSequenceName(name);
}

// Atom name with alternate location, chain, residue number and insertion code.
uint64_t pdbAtomDigest(std::string_view line, const int& model) {
  return atomNameDigest({std::string_view(reinterpret_cast<const char*>(&model), sizeof model), columns(line, 13, 17),
                         columns(line, 22, 27)});
}

void readPdbFormat(LineReader& reader, RefineInfo& refine, AtomSink& sink) {
  bool headerDone = false;
  bool firstModelDone = false;
  int model = 0;
  std::string_view line;
  while (nextContentLine(reader, line)) {
    if (!headerDone) {
      const LinePlace place{sink.reporter, sink.path, reader.lineNumber()};
      parseRefineInfo_PDBFormat(line, refine, &place);
    }
    if (!headerDone && sink.readModified) readModifiedRecords(line, sink);
    bool hetero = startsWith(line, "HETA");
    if (startsWith(line, "ATOM") || hetero) {
      headerDone = headerDone || !hetero;
      sink.nameAtom(pdbAtomDigest(line, model), reader.lineNumber());
      if (!firstModelDone && (!hetero || sink.readModified)) readAtomLine(line, reader.lineNumber(), sink);
    } else if (startsWith(line, "ENDMDL")) {
      firstModelDone = true;
      ++model;
    }
  }
}

// ---- mmCIF format ----

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

// ---- quality items ----

// Older refinements write R values as percentages (28.500 for 0.285).
double asFraction(double rValue) { return rValue > 1 ? rValue / 100 : rValue; }

// The text that begins two characters after the first ':', unless "NULL".
bool valueAfterColon(std::string_view line, std::string_view& value) {
  std::size_t colon = line.find(':');
  if (colon == std::string_view::npos || colon + 2 > line.size()) return false;
  value = line.substr(colon + 2);
  return !startsWith(value, "NULL");
}

void readPdbResolution(std::string_view line, RefineInfo& refine, const LinePlace* place) {
  if (!startsWith(line, "REMARK   2") || columns(line, 12, 22) != "RESOLUTION.") return;
  std::string_view value = line.size() >= 24 ? line.substr(23) : std::string_view();
  double resolution = 0;
  if (!startsWith(value, "NULL") && parseDecimal(value, resolution) &&
      withinBounds(resolution, resolution, kResolutionBounds, place))
    refine.resolution = resolution;
}

void readPdbFreeR(std::string_view line, RefineInfo& refine, const LinePlace* place) {
  if (!startsWith(line, "REMARK   3")) return;
  char compact[256];
  std::size_t n = 0;
  for (char c : line)
    if (c != ' ' && n < sizeof compact) compact[n++] = c;
  std::string_view text(compact, n);
  constexpr std::string_view kKey = "FREERVALUE:";
  if (text.size() < 7 + kKey.size() || text.substr(7, kKey.size()) != kKey) return;
  std::string_view value = text.substr(7 + kKey.size());
  double freeR = 0;
  if (!startsWith(value, "NULL") && parseDecimal(value, freeR) &&
      withinBounds(asFraction(freeR), freeR, kFreeRBounds, place))
    refine.freeRValue = asFraction(freeR);
}

void readPdbCompleteness(std::string_view line, RefineInfo& refine, const LinePlace* place) {
  std::string_view value;
  if (line.find("COMPLETENESS") == std::string_view::npos || !valueAfterColon(line, value)) return;
  double percent = 0;
  if (parseDecimal(value, percent) && withinBounds(percent / 100, percent, kCompletenessBounds, place) &&
      percent / 100 > refine.completeness)
    refine.completeness = percent / 100;
}

void readPdbReflections(std::string_view line, RefineInfo& refine, const LinePlace* place) {
  std::string_view value;
  if (line.find("NUMBER OF REFLECTIONS") == std::string_view::npos || !valueAfterColon(line, value)) return;
  double count = 0;
  if (!parseDecimal(value, count) || withinBounds(count, count, kReflectionsBounds, place))
    parseInteger(value, refine.noOfReflections);
}

enum class Keep { kSmallest, kLargest };

void keepValue(double candidate, Keep rule, double& current) {
  bool unset = current < 1e-10;
  if (unset || (rule == Keep::kSmallest ? candidate < current : candidate > current)) current = candidate;
}

// "item value": the first word must be the item, the second begin with a digit.
bool cifItemValue(std::string_view line, std::string_view item, double& value) {
  if (!startsWith(line, item)) return false;
  std::string_view rest = line.substr(item.size());
  if (rest.empty() || !isBlank(rest.front())) return false;
  rest = trimBlanks(rest);
  if (rest.empty() || !std::isdigit(static_cast<unsigned char>(rest.front()))) return false;
  return parseDecimal(rest.substr(0, std::min(rest.find_first_of(" \t"), rest.size())), value);
}

void readCifQuality(std::string_view line, std::array<const char*, 2> items, double (*scale)(double), Keep rule,
                    const Bounds& bounds, const LinePlace* place, double& current) {
  for (const char* item : items) {
    double value = 0;
    if (cifItemValue(line, item, value) && withinBounds(scale(value), value, bounds, place))
      keepValue(scale(value), rule, current);
  }
}

double asIs(double value) { return value; }
double fromPercent(double value) { return value / 100; }

void readCifReflections(std::string_view line, RefineInfo& refine, const LinePlace* place) {
  for (const char* item : {"_reflns.number_obs", "_refine.ls_number_reflns_obs"}) {
    double value = 0;
    if (cifItemValue(line, item, value) && withinBounds(value, value, kReflectionsBounds, place) &&
        value > refine.noOfReflections)
      refine.noOfReflections = static_cast<int32_t>(value);
  }
}

// Stored names are zero-padded (slots start value-initialised and setField
// writes one terminator), so their bytes read as one big-endian number order
// them as text comparison does.
uint64_t nameKey(const AtomInfo& a) {
  uint64_t key = 0;
  for (char c : a.atomName) key = key << 8 | static_cast<unsigned char>(c);
  return key;
}

// Every stored atom belongs to the requested chain, so the residue key decides.
bool residueBefore(const AtomInfo& a, const AtomInfo& b) {
  return compareResidues(a.resSeqNo, a.iCode, b.resSeqNo, b.iCode) < 0;
}

bool nameBefore(const AtomInfo& a, const AtomInfo& b) { return nameKey(a) < nameKey(b); }

bool sameAtom(const AtomInfo& a, const AtomInfo& b) {
  return a.resSeqNo == b.resSeqNo && a.iCode == b.iCode && nameKey(a) == nameKey(b);
}

// Stable: of equal names the one read first stays first. Small residues sort
// their keys and move each atom once.
void sortResidueByName(std::vector<AtomInfo>::iterator first, std::vector<AtomInfo>::iterator last) {
  constexpr std::size_t kSmall = 64;
  std::size_t n = static_cast<std::size_t>(last - first);
  if (n > kSmall) {
    std::stable_sort(first, last, nameBefore);
    return;
  }
  std::array<std::pair<uint64_t, std::size_t>, kSmall> keys;
  for (std::size_t i = 0; i < n; ++i) keys[i] = {nameKey(first[static_cast<std::ptrdiff_t>(i)]), i};
  bool moved = false;
  for (std::size_t i = 1; i < n; ++i)
    for (std::size_t j = i; j > 0 && keys[j].first < keys[j - 1].first; --j, moved = true) std::swap(keys[j], keys[j - 1]);
  if (!moved) return;
  std::array<AtomInfo, kSmall> copy;
  std::copy(first, last, copy.begin());
  for (std::size_t i = 0; i < n; ++i) first[static_cast<std::ptrdiff_t>(i)] = copy[keys[i].second];
}

// Sorted by compareAtoms for binary search; of atoms met twice (alternate
// locations) the first one read stays. Files list residues in order, so
// usually only the atoms inside each residue need sorting.
void sortAndKeepFirst(std::vector<AtomInfo>& atoms) {
  if (!std::is_sorted(atoms.begin(), atoms.end(), residueBefore))
    std::stable_sort(atoms.begin(), atoms.end(), residueBefore);
  for (auto first = atoms.begin(); first != atoms.end();) {
    auto last = std::find_if(first, atoms.end(), [&](const AtomInfo& a) { return residueBefore(*first, a); });
    sortResidueByName(first, last);
    first = last;
  }
  atoms.erase(std::unique(atoms.begin(), atoms.end(), sameAtom), atoms.end());
}

// Of the names tried, one with ".cif" is mmCIF and any other PDB format.
bool findStructureFile(const std::string& folder, const std::string& pdbId, StructureFileInfo& found,
                       const Reporter& reporter) {
  found.path = findInputFile(folder, structureFileNames(pdbId), reporter);
  found.format = found.path.find(".cif") != std::string::npos ? "cif" : "pdb";
  return !found.path.empty();
}

void settleDpi(RefineInfo& refine, double unknownDpi) {
  calculateDPI(refine);
  if (refine.dpi > 0) {
    refine.dpiSource = DpiSource::kComputed;
  } else if (unknownDpi > 0) {
    refine.dpi = unknownDpi;
    refine.dpiSource = DpiSource::kOption;
  } else {
    refine.dpiSource = DpiSource::kUnknown;
  }
}

}  // namespace

void calculateDPI(RefineInfo& refine) {
  constexpr double kUnset = 1e-10;
  if (refine.completeness <= kUnset || refine.resolution <= kUnset || refine.freeRValue <= kUnset ||
      refine.noOfAtoms < 1 || refine.noOfReflections < 1) {
    refine.dpi = 0;
    return;
  }
  double ratio = static_cast<double>(refine.noOfAtoms) / static_cast<double>(refine.noOfReflections);
  refine.dpi = std::sqrt(ratio) * refine.freeRValue * refine.resolution * std::pow(refine.completeness, -1.0 / 3.0);
}

const char* dpiSourceName(DpiSource source) {
  switch (source) {
    case DpiSource::kComputed: return "computed";
    case DpiSource::kOption: return "option";
    default: return "unknown";
  }
}

void parseRefineInfo_PDBFormat(std::string_view line, RefineInfo& refine, const LinePlace* place) {
  if (!startsWith(line, "REMARK")) return;
  readPdbResolution(line, refine, place);
  readPdbFreeR(line, refine, place);
  readPdbCompleteness(line, refine, place);
  readPdbReflections(line, refine, place);
}

void parseRefineInfo_mmCIFFormat(std::string_view line, RefineInfo& refine, const LinePlace* place) {
  readCifQuality(line, {"_refine.ls_d_res_high", "_refine_hist.d_res_high"}, asIs, Keep::kSmallest,
                 kResolutionBounds, place, refine.resolution);
  readCifQuality(line, {"_refine.ls_R_factor_R_free", "_refine_ls_shell.R_factor_R_free"}, asFraction,
                 Keep::kSmallest, kFreeRBounds, place, refine.freeRValue);
  readCifQuality(line, {"_reflns.percent_possible_obs", "_refine.ls_percent_reflns_obs"}, fromPercent,
                 Keep::kLargest, kCompletenessBounds, place, refine.completeness);
  readCifReflections(line, refine, place);
}

bool readPDBFile(const std::string& folder, const std::string& pdbId, RefineInfo& refine, const std::string& chainId,
                 std::vector<AtomInfo>& atoms, const Reporter& reporter, StructureFileInfo* info,
                 const StructureReadOptions& options) {
  atoms.clear();
  refine = RefineInfo{};
  StructureFileInfo found;
  LineReader reader(reporter);
  if (!findStructureFile(folder, pdbId, found, reporter) || !reader.open(found.path)) {
    reporter.say("Neither .pdb or .cif file for PDB %s was found in the %s folder\n", pdbId.c_str(), folder.c_str());
    reporter.say("Looked in %s for %s.\n", folder.c_str(), nameList(structureFileNames(pdbId)).c_str());
    return false;
  }
  AtomSink sink(atoms, chainId, found.path, reporter, options.readModified);
  sink.parentsKnown = found.format == "pdb";
  if (found.format == "pdb")
    readPdbFormat(reader, refine, sink);
  else
    readCifFormat(reader, refine, sink);
  if (reader.failed()) {
    reporter.say("%s could not be read to its end\n", found.path.c_str());
    return false;
  }
  sink.settlePending();
  refine.noOfAtoms = sink.distinctAtoms();
  if (atoms.empty()) {
    reporter.say("No atom of chain %s was found in %s.\n", chainId.c_str(), found.path.c_str());
    return false;
  }
  settleDpi(refine, options.unknownDpi);
  sortAndKeepFirst(atoms);
  if (info) *info = found;
  return true;
}

}  // namespace bexora
