// The names under which an entry's input files are looked for in the input
// folder: Bexora's own name first, then the names the annotation tools and
// the wwPDB archive give them, each with the id as given (upper case) and
// in lower case, so that downloaded and tool-written files need no renaming.
#pragma once

#include <string>
#include <vector>

#include "util/reporter.h"

namespace bexora {

// The file names for `pdbId` in the order they are tried, the id upper-cased
// in the first of each couple and lower-cased in the second.
std::vector<std::string> structureFileNames(const std::string& pdbId);
std::vector<std::string> annotationFileNames(int method, const std::string& pdbId);

// Of the structure names, one with ".cif" is mmCIF and any other PDB format.
bool isMmcifName(const std::string& path);

// The folder's path of the first of `names` that is a readable file, or ""
// when none is. A name that is there but cannot be read (a folder, no
// permission) would otherwise pass for a missing file, so it is warned about.
std::string findInputFile(const std::string& folder, const std::vector<std::string>& names, const Reporter& reporter);

// "A, B and C (each also with the id in lower case)", for the message that
// nothing was found.
std::string nameList(const std::vector<std::string>& names);

}  // namespace bexora
