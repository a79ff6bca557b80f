#include "structure/pdb_format.h"

#include "model/basepair.h"
#include "structure/quality.h"
#include "structure/record_fields.h"

namespace bexora {

namespace {

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

}  // namespace

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

}  // namespace bexora
