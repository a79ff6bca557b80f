#include "model/input_files.h"

#include <sys/stat.h>

#include <cctype>

#include "model/model.h"
#include "util/line_reader.h"

namespace bexora {

namespace {

std::string lowerCased(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

using NamePatterns = std::vector<std::pair<const char*, const char*>>;  // prefix and suffix of the id

// Each pattern as two names: the id upper-cased, then lower-cased.
std::vector<std::string> namesFor(const std::string& pdbId, const NamePatterns& patterns) {
  std::vector<std::string> names;
  for (const auto& [prefix, suffix] : patterns) {
    names.push_back(prefix + pdbId + suffix);
    names.push_back(prefix + lowerCased(pdbId) + suffix);
  }
  return names;
}

// The names each tool writes by default, after Bexora's own: RNAView and
// MC-Annotate name their output after the structure file, fr3d-python after
// the id, DSSR after its -o option (ID.dssr, ID.out or, with --json, ID.json).
NamePatterns toolPatterns(int method) {
  switch (method) {
    case kMcAnnotate: return {{"", ".pdb.mcout"}};
    case kRnaView: return {{"", ".pdb.out"}, {"", ".cif.out"}};
    case kFr3d: return {{"", "_basepair.txt"}};
    case kDssr: return {{"", ".dssr"}, {"", ".out"}, {"", ".json"}};
    case kClaRna: return {{"", ".pdb.outCR"}};
    default: return {};
  }
}

void warnIfUnreadable(const std::string& path, const Reporter& reporter) {
  struct stat info;
  if (stat(path.c_str(), &info) == 0)
    reporter.warn("%s is not a readable file; it is ignored.\n", path.c_str());
}

}  // namespace

std::vector<std::string> structureFileNames(const std::string& pdbId) {
  return namesFor(pdbId, {{"", ".pdb"}, {"", ".cif"}, {"", ".pdb.gz"}, {"", ".cif.gz"}, {"pdb", ".ent"},
                          {"pdb", ".ent.gz"}});
}

std::vector<std::string> annotationFileNames(int method, const std::string& pdbId) {
  if (method < 0 || method >= kMethodCount) return {};
  NamePatterns patterns = {{"", kMethods[method].input}};
  for (const auto& pattern : toolPatterns(method)) patterns.push_back(pattern);
  return namesFor(pdbId, patterns);
}

std::string findInputFile(const std::string& folder, const std::vector<std::string>& names, const Reporter& reporter) {
  for (const std::string& name : names) {
    const std::string path = folder + name;
    if (fileExists(path)) return path;
    warnIfUnreadable(path, reporter);
  }
  return std::string();
}

std::string nameList(const std::vector<std::string>& names) {
  std::string list;
  for (std::size_t i = 0; i < names.size(); i += 2) {
    const char* separator = i == 0 ? "" : i + 2 == names.size() ? " and " : ", ";
    list += separator + names[i];
  }
  return list + " (each also with the id in lower case)";
}

bool isMmcifName(const std::string& path) { return path.find(".cif") != std::string::npos; }

}  // namespace bexora
