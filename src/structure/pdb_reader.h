// Reading the atoms and quality record of one chain from a PDB-format or
// mmCIF file (plain or gzip-compressed), whichever the input folder holds.
// Only atoms of the four standard nucleotides are kept (on request also
// modified nucleotides, under their parent's letter), first model only,
// first alternate location only, sorted for binary search.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "model/model.h"
#include "structure/quality.h"
#include "util/reporter.h"

namespace bexora {

struct StructureFileInfo {
  std::string path;    // the file that was read
  std::string format;  // "pdb" or "cif"
};

struct StructureReadOptions {
  bool readModified = false;  // modified nucleotides as their parent base
  double unknownDpi = 0;      // the DPI, in angstrom, of a structure whose DPI cannot be computed
};

// Looks for the structure file under the names of structureFileNames
// (model/input_files.h) in that order. Clears and fills `atoms` (sorted by
// compareAtoms, at most kMaxAtoms) and `refine` (dpi included). Prints "Neither .pdb or .cif file ..." and
// returns false, after a line naming the names tried, when no file exists, and
// returns false after a message when the file breaks off (a damaged gzip
// stream) or gives no atom of the chain.
// An atom line whose coordinates are missing, not finite or absurd is
// skipped with a warning naming file and line, as are absurd statistics and
// mmCIF rows whose fields do not match their loop's header. An atom named
// twice keeps its first line and counts once for the DPI.
// A DPI that cannot be computed becomes options.unknownDpi (refine.dpiSource
// tells which of the two it is).
bool readPDBFile(const std::string& folder, const std::string& pdbId, RefineInfo& refine, const std::string& chainId,
                 std::vector<AtomInfo>& atoms, const Reporter& reporter, StructureFileInfo* info = nullptr,
                 const StructureReadOptions& options = {});

}  // namespace bexora
