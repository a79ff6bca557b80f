// Reading the atoms and quality record of one chain from a PDB-format or
// mmCIF file (plain or gzip-compressed), and the diffraction precision index.
// Only atoms of the four standard nucleotides are kept, first model only,
// first alternate location only, sorted for binary search.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "model/model.h"

namespace bexora {

struct StructureFileInfo {
  std::string path;    // the file that was read
  std::string format;  // "pdb" or "cif"
};

// Looks for folder + pdbId + ".pdb", ".cif", ".pdb.gz", ".cif.gz" in that
// order. Clears and fills `atoms` (sorted by compareAtoms, at most kMaxAtoms)
// and `refine` (dpi included). Prints "Neither .pdb or .cif file ..." and
// returns false when no file exists, and returns false after a message when
// the file breaks off (a damaged gzip stream). A chain without atoms is warned.
bool readPDBFile(const std::string& folder, const std::string& pdbId, RefineInfo& refine, const std::string& chainId,
                 std::vector<AtomInfo>& atoms, StructureFileInfo* info = nullptr);

bool isRNAInfo(char c);
void calculateDPI(RefineInfo& refine);
int compareAtoms(const AtomInfo& a, const AtomInfo& b);

// Line-level parsers, exposed for tests.
void parseRefineInfo_PDBFormat(std::string_view line, RefineInfo& refine);
void parseRefineInfo_mmCIFFormat(std::string_view line, RefineInfo& refine);

}  // namespace bexora
