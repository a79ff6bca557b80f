#include "structure/pdb_reader.h"

#include "model/input_files.h"
#include "structure/atom_sink.h"
#include "structure/mmcif_format.h"
#include "structure/pdb_format.h"
#include "structure/quality.h"
#include "util/line_reader.h"

namespace bexora {

namespace {

// The first of the names tried that is there, and its format.
bool findStructureFile(const std::string& folder, const std::string& pdbId, StructureFileInfo& found,
                       const Reporter& reporter) {
  found.path = findInputFile(folder, structureFileNames(pdbId), reporter);
  found.format = isMmcifName(found.path) ? "cif" : "pdb";
  return !found.path.empty();
}

}  // namespace

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
