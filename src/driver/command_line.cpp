#include "driver/command_line.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "alignment/simd_level.h"
#include "driver/console.h"
#include "model/input_files.h"
#include "util/tokenizer.h"

namespace bexora {

namespace {

constexpr std::size_t kMaxMethodTokens = 10;
constexpr std::size_t kMethodTokenWidth = kTokenRowWidth - 1;
constexpr unsigned kMaxBatchThreads = 1024;

bool isOneOf(const std::string& arg, std::initializer_list<const char*> names) {
  std::string upper = upperCased(arg);
  return std::any_of(names.begin(), names.end(), [&](const char* name) { return upper == name; });
}

std::string asFolder(std::string folder) {
  if (!folder.empty() && folder.back() != '/') folder.push_back('/');
  return folder;
}

ArgumentsOutcome reject(const char* message) {
  std::printf("%s", message);
  return {false, 1};
}

ArgumentsOutcome rejectNoArguments() {
  return reject("Required valid arguments not found.\nPlease check the 'readme' file for details.\n");
}

// Takes "-I DIR" and "-O DIR" out of the arguments, keeping the folder names
// as typed. False (after a message) when a folder option lacks its value.
bool extractFolderOptions(std::vector<std::string>& args, RunSettings& settings) {
  std::vector<std::string> rest;
  for (std::size_t i = 0; i < args.size(); ++i) {
    bool input = isOneOf(args[i], {"-I"});
    bool output = isOneOf(args[i], {"-O"});
    if (!input && !output) {
      rest.push_back(args[i]);
      continue;
    }
    if (i + 1 == args.size() || args[i + 1].empty()) {
      std::printf("Option %s needs a folder name.\n", input ? "-I" : "-O");
      return false;
    }
    (input ? settings.inputFolder : settings.outputFolder) = asFolder(args[++i]);
  }
  args = rest;
  return true;
}

bool inputFolderExists(const RunSettings& settings) {
  std::error_code ignored;
  if (std::filesystem::is_directory(settings.inputFolder, ignored)) return true;
  std::printf("Input folder %s was not found.\n", escapeControls(settings.inputFolder).c_str());
  return false;
}

// Levenshtein distance, for pointing at the name a typo was meant to be.
std::size_t editDistance(const std::string& a, const std::string& b) {
  std::vector<std::size_t> row(b.size() + 1);
  for (std::size_t j = 0; j <= b.size(); ++j) row[j] = j;
  for (std::size_t i = 1; i <= a.size(); ++i) {
    std::size_t diagonal = row[0];
    row[0] = i;
    for (std::size_t j = 1; j <= b.size(); ++j) {
      std::size_t substitution = diagonal + (a[i - 1] == b[j - 1] ? 0 : 1);
      diagonal = row[j];
      row[j] = std::min({row[j] + 1, row[j - 1] + 1, substitution});
    }
  }
  return row[b.size()];
}

// The name of `names` nearest to `typed`, letters compared in upper case.
std::string nearestName(const std::string& typed, const std::vector<std::string>& names) {
  std::string nearest;
  std::size_t best = std::string::npos;
  for (const std::string& name : names) {
    std::size_t distance = editDistance(upperCased(typed), upperCased(name));
    if (distance < best) best = distance, nearest = name;
  }
  return nearest;
}

std::vector<std::string> methodNames() {
  std::vector<std::string> names = {"ALL"};
  for (const MethodInfo& method : kMethods) names.insert(names.end(), {method.token, method.name});
  return names;
}

void addMethod(int method, const char* word, std::vector<int>& methods) {
  if (methods.size() == kMaxMethodEntries) {
    std::printf("Warning!!! Method list limit of %zu reached; method %s is ignored.\n", kMaxMethodEntries, word);
    return;
  }
  methods.push_back(method);
}

// Appends the methods one "-M" value names, each method once per list;
// false after a message when a word names no method.
bool appendMethodList(const std::string& value, std::vector<int>& methods) {
  if (value == "ALL") {
    for (int m = 0; m < kMethodCount; ++m) addMethod(m, methodToken(m), methods);
    return true;
  }
  std::string_view tokens[kMaxMethodTokens];
  TokenizeResult split = splitNonEmptyTokens(value, ", ", tokens, kMaxMethodTokens, true, kMethodTokenWidth);
  if (split.tooManyTokens)
    std::printf("Warning!!! Method list \"%s\" has more than %zu entries; the rest is ignored.\n",
                escapeControls(value).c_str(), kMaxMethodTokens);
  bool taken[kMethodCount] = {};
  for (std::size_t t = 0; t < split.count; ++t) {
    std::string token(tokens[t]);
    if (token.size() >= kMethodTokenWidth) {
      std::printf("Warning!!! Method name of %zu or more characters ignored.\n", kMethodTokenWidth);
      continue;
    }
    int found = methodNamed(token);
    if (found < 0) {
      std::printf("Unknown method %s; did you mean %s?\n", escapeControls(token).c_str(),
                  nearestName(token, methodNames()).c_str());
      return false;
    }
    if (taken[found]) {
      std::printf("Warning!!! Method %s is named twice in one list; it runs once.\n", methodToken(found));
      continue;
    }
    taken[found] = true;
    addMethod(found, methodToken(found), methods);
  }
  return true;
}

ArgumentsOutcome processShortForm(const std::vector<std::string>& args, const std::vector<std::string>& typed,
                                  RunSettings& settings) {
  if (args.size() < 2) return rejectNoArguments();
  const std::string& listAsTyped = typed[1];
  bool verbose = args.size() == 3 && args[2] == "-V";
  if (args.size() == 3 && !verbose && (args[0] == "-R" || args[0] == "-B")) {
    std::printf("Unknown option %s; did you mean -V?\n", typed[2].c_str());
    return {false, 1};
  }
  if (args[0] == "-R") {
    settings.mode = RunMode::kBestReference;
    settings.verbose = verbose;
    settings.bestReferenceList = listAsTyped;
    if (!inputFolderExists(settings)) return {false, 1};
    return {true, 0};
  }
  if (args[0] != "-B" || (args[1] != "BENCHMARK" && args[1] != "BENCHMARK-MOTIF")) return rejectNoArguments();
  settings.motifMode = args[1] == "BENCHMARK-MOTIF";
  settings.mode = settings.motifMode ? RunMode::kBenchmarkMotif : RunMode::kBenchmark;
  settings.writeCorrectnessLog = settings.writeInferabilityLog = true;
  settings.verbose = verbose;
  if (!inputFolderExists(settings)) return {false, 1};
  return {true, 0};
}

bool idIsValid(const std::string& id) { return id.size() == kPdbIdWidth && !gotNonAlphaNumeric(id); }

// A chain id is taken whole up to the width of its slot; a longer one is cut
// to its first character, as the warning says.
std::string chainArgument(const std::string& chain) {
  return chain.size() > kChainIdWidth ? chain.substr(0, 1) : chain;
}

// A finite number of angstrom after option `at`: 0 or more, or above 0
// when `zeroAllowed` is false; `complaint` is printed otherwise.
bool parseAngstrom(const std::vector<std::string>& args, std::size_t at, bool zeroAllowed, const char* complaint,
                   double& out) {
  const std::string value = at + 1 < args.size() ? args[at + 1] : std::string();
  char* end = nullptr;
  double parsed = std::strtod(value.c_str(), &end);
  if (!value.empty() && *end == '\0' && std::isfinite(parsed) && (zeroAllowed ? parsed >= 0 : parsed > 0)) {
    out = parsed;
    return true;
  }
  std::printf("%s\n", complaint);
  return false;
}

// The options of single runs and batches: those that stand alone and those
// that take the next argument as their value, as the usage writes them.
const std::vector<std::string> kFlagOptions = {"-V",   "--modified", "--standard-only",           "--prune-own",
                                               "--2d", "--consensus", "--structure-correspondence", "--sequence-alignment"};
const std::vector<std::string> kValueOptions = {"-M", "-F", "--unknown-dpi", "--max-contact"};
const std::vector<std::string> kBatchValueOptions = {"-j"};
// Taken out before the scan, but still names a typo may have been meant for.
const std::vector<std::string> kOtherOptions = {"-I", "-O", "-h", "--help", "--version"};

bool isNamed(const std::string& upperArg, const std::vector<std::string>& names) {
  return std::any_of(names.begin(), names.end(), [&](const std::string& name) { return upperArg == upperCased(name); });
}

// False after a message when an argument from `first` on is neither an
// option nor the value of the option before it. A value option followed by
// another option has no value, as before (`-F -M CLA`).
bool optionsAreKnown(const std::vector<std::string>& args, const std::vector<std::string>& typed, std::size_t first,
                     bool batch) {
  std::vector<std::string> valued = kValueOptions;
  if (batch) valued.insert(valued.end(), kBatchValueOptions.begin(), kBatchValueOptions.end());
  for (std::size_t i = first; i < args.size(); ++i) {
    if (isNamed(args[i], kFlagOptions)) continue;
    if (isNamed(args[i], valued)) {
      bool valueFollows = i + 1 < args.size() && !isNamed(args[i + 1], kFlagOptions) && !isNamed(args[i + 1], valued);
      if (valueFollows) ++i;
      continue;
    }
    std::vector<std::string> known = kFlagOptions;
    known.insert(known.end(), valued.begin(), valued.end());
    known.insert(known.end(), kOtherOptions.begin(), kOtherOptions.end());
    std::printf("Unknown option %s; did you mean %s?\n", typed[i].c_str(), nearestName(typed[i], known).c_str());
    return false;
  }
  return true;
}

// Options from argument `first` on; false after a message when one is wrong.
bool scanOptions(const std::vector<std::string>& args, RunSettings& settings, std::size_t first = 4) {
  for (std::size_t i = first; i < args.size(); ++i) {
    if (args[i] == "-V") settings.verbose = true;
    if (args[i] == "--MODIFIED") settings.readModified = true;
    if (args[i] == "--STANDARD-ONLY") settings.readModified = false;
    if (args[i] == "--PRUNE-OWN") settings.pruneOwn = true;
    if (args[i] == "--2D") settings.secondaryStructure = true;
    if (args[i] == "--CONSENSUS") settings.consensus = true;
    if (args[i] == "--STRUCTURE-CORRESPONDENCE") settings.structureCorrespondence = true;
    if (args[i] == "--SEQUENCE-ALIGNMENT") settings.structureCorrespondence = false;
    if (args[i] == "--UNKNOWN-DPI" &&
        !parseAngstrom(args, i, true, "Option --unknown-dpi needs a DPI in angstrom, a number of 0 or more.",
                       settings.unknownDpi))
      return false;
    if (args[i] == "--MAX-CONTACT" &&
        !parseAngstrom(args, i, false, "Option --max-contact needs a distance in angstrom, a number above 0.",
                       settings.maxContact))
      return false;
    if (i + 1 == args.size()) continue;
    const bool valueGiven = !isNamed(args[i + 1], kFlagOptions) && !isNamed(args[i + 1], kValueOptions);
    if (args[i] == "-M" && valueGiven && !appendMethodList(args[i + 1], settings.methodList)) return false;
    if (args[i] == "-F" && args[i + 1].find("ORIG") != std::string::npos) settings.origFormat = true;
  }
  return true;
}

ArgumentsOutcome processSingleRun(const std::vector<std::string>& args, const std::vector<std::string>& typed,
                                  RunSettings& settings) {
  bool refBad = !idIsValid(args[0]);
  bool targetBad = !idIsValid(args[2]);
  if (refBad) std::printf("Reference PDB id doesn't seem correct.\n");
  if (targetBad) std::printf("Target PDB id doesn't seem correct.\n");
  if (refBad || targetBad) return {false, 1};
  // An empty chain would match any chain's sequence as a prefix.
  if (args[1].empty()) std::printf("Reference chain id is empty.\n");
  if (args[3].empty()) std::printf("Target chain id is empty.\n");
  if (args[1].empty() || args[3].empty()) return {false, 1};

  if (args[1].size() > kChainIdWidth || args[3].size() > kChainIdWidth)
    std::printf("Warning!!! Single character chain id expected, continuing  with first character anyway.\n");
  settings.mode = RunMode::kSingle;
  settings.pdbIds[kReference][0] = args[0];
  settings.pdbIds[kTarget][0] = args[2];
  settings.chainIds[kReference][0] = chainArgument(args[1]);
  settings.chainIds[kTarget][0] = chainArgument(args[3]);

  settings.methodList.clear();
  settings.readModified = true;
  if (!optionsAreKnown(args, typed, 4, false) || !scanOptions(args, settings)) return {false, 1};
  if (settings.methodList.empty()) settings.methodList.push_back(kMcAnnotate);
  if (!inputFolderExists(settings)) return {false, 1};
  return {true, 0};
}

// The value of -j: a whole number of threads, 1 or more.
bool parseThreads(const std::vector<std::string>& args, RunSettings& settings) {
  auto option = std::find(args.begin() + 2, args.end(), "-J");
  if (option == args.end()) return true;
  const std::string value = option + 1 != args.end() ? *(option + 1) : std::string();
  char* end = nullptr;
  unsigned long parsed = std::strtoul(value.c_str(), &end, 10);
  if (!value.empty() && std::isdigit(static_cast<unsigned char>(value[0])) && *end == '\0' && parsed >= 1 &&
      parsed <= kMaxBatchThreads) {
    settings.batchThreads = static_cast<unsigned>(parsed);
    return true;
  }
  std::printf("Option -j needs a number of threads from 1 to %u.\n", kMaxBatchThreads);
  return false;
}

ArgumentsOutcome processBatch(const std::vector<std::string>& args, const std::vector<std::string>& typed,
                              RunSettings& settings) {
  const std::string manifestAsTyped = typed.size() > 1 ? typed[1] : std::string();
  if (args.size() < 2 || manifestAsTyped.empty()) return reject("Option -L needs a manifest file name.\n");
  settings.mode = RunMode::kBatch;
  settings.batchManifest = manifestAsTyped;
  settings.methodList.clear();
  settings.readModified = true;
  if (!optionsAreKnown(args, typed, 2, true) || !scanOptions(args, settings, 2) || !parseThreads(args, settings))
    return {false, 1};
  if (settings.methodList.empty()) settings.methodList.push_back(kMcAnnotate);
  if (!inputFolderExists(settings)) return {false, 1};
  return {true, 0};
}

}  // namespace

bool gotNonAlphaNumeric(const std::string& text) {
  return std::any_of(text.begin(), text.end(), [](char c) { return !std::isalnum(static_cast<unsigned char>(c)); });
}

namespace {

// "ID.rv.out, ID.pdb.out, ID.cif.out": the names as the lookup tries them.
std::string namesForHelp(const std::vector<std::string>& names) {
  std::string list;
  for (std::size_t i = 0; i < names.size(); i += 2) list += (i == 0 ? "" : ", ") + names[i];
  return list;
}

void printInputFiles() {
  std::printf("Input files, in the input folder, looked for in this order (ID in upper or lower case):\n");
  std::printf("  %-12s %s\n", "structure", namesForHelp(structureFileNames("ID")).c_str());
  for (int m = 0; m < kMethodCount; ++m)
    std::printf("  %-12s %s\n", methodName(m), namesForHelp(annotationFileNames(m, "ID")).c_str());
  std::printf("  %-12s %s\n", "sequences", "pdb_seqres.na.fa; a chain it lacks is read from the structure file");
}

}  // namespace

void printUsage() {
  std::printf(
      "Usage:\n"
      "  bexora REF_ID REF_CHAIN TARGET_ID TARGET_CHAIN [-M METHODS] [-F ORIG] [--standard-only] [--unknown-dpi A]\n"
      "         [--prune-own] [--max-contact A] [--sequence-alignment] [--2d] [--consensus] [-V] [-I DIR] [-O DIR]\n"
      "      Enhance the target chain's base-pair annotation with the reference chain's.\n"
      "      A chain id has 1 to 4 characters.\n"
      "      -M METHODS  tools to use: ALL, or a list of MC, RV, FR, DS, CLA or the tools' names\n"
      "                  (MC-Annotate, RNAView, FR3D, DSSR, ClaRNA) in any case (default MC)\n"
      "      -F ORIG     write MC-Annotate and RNAView results in the tool's own layout\n"
      "      --standard-only  read A, C, G and U residues only (default: modified nucleotides\n"
      "                  such as PSU and 2MG are read as their parent base; --modified says so)\n"
      "      --unknown-dpi A  DPI in angstrom of a structure whose DPI cannot be computed\n"
      "                  (no free R, no reflections, NMR, cryo-EM, no header; default 0)\n"
      "      --prune-own  drop the tool's own pairs whose geometry agrees with the reference's\n"
      "                  (default: every pair the tool found in the target is written)\n"
      "      --max-contact A  a carried pair needs a donor-acceptor contact within A angstrom\n"
      "                  in the target (default 4.0)\n"
      "      --sequence-alignment  align the residues by their letters alone (default: by the\n"
      "                  superposed backbones, seeded by the letters, written as REF_RC_TARGET_TC.aln;\n"
      "                  --structure-correspondence says so); an .aln in the input folder overrides both\n"
      "      --2d        also write the target's canonical pairs in dot-bracket (.dbn) and BPSEQ (.bpseq)\n"
      "                  and an arc diagram of all its pairs (.svg) beside each result\n"
      "      --consensus  with two or more methods, also write every tool's pairs side by side\n"
      "                  (TARGET_C.consensus.tsv and .json; with --2d, .consensus.dbn and .svg)\n"
      "  bexora -L MANIFEST [-j N] [-M METHODS] [-F ORIG] [--standard-only] [--unknown-dpi A] [--prune-own]\n"
      "         [--max-contact A] [--sequence-alignment] [--2d] [--consensus] [-V] [-I DIR] [-O DIR]\n"
      "      Run every pair of a manifest in the input folder, one pair a line:\n"
      "      REF_ID REF_CHAIN TARGET_ID TARGET_CHAIN [METHODS], '#' starts a comment.\n"
      "      Each pair writes the files of a single run, and its messages as run.log, in\n"
      "      OUTPUT/REF_RC_TARGET_TC/; batch_summary.tsv lists every pair. METHODS (as -M)\n"
      "      replaces -M for that pair; the other options apply to every pair.\n"
      "      -j N        pairs run at once, 1 to 1024 (default: one per core)\n"
      "  bexora -R LIST_FILE [-V] [-I DIR] [-O DIR]\n"
      "      Recommend a reference for a target from a candidate list in the input folder;\n"
      "      every candidate, ranked, goes to TARGET_C.candidates.tsv in the output folder.\n"
      "  bexora -B BENCHMARK [-V] [-I DIR] [-O DIR]\n"
      "  bexora -B BENCHMARK-MOTIF [-V] [-I DIR] [-O DIR]\n"
      "      Run the built-in benchmark (and the motif reports) and write LaTeX tables.\n"
      "Options:\n"
      "  -I DIR      input folder (default ./io_data/Input/)\n"
      "  -O DIR      output folder (default ./io_data/Output/), created when missing\n"
      "  -V          diagnostic records on standard error\n"
      "  -h, --help  this text;  --version  the version and the alignment's SIMD level\n");
  printInputFiles();
}

ArgumentsOutcome processArguments(int argc, char** argv, RunSettings& settings) {
  std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
  if (std::any_of(args.begin(), args.end(), [](const std::string& a) { return isOneOf(a, {"-H", "--HELP"}); })) {
    printUsage();
    return {false, 0};
  }
  if (std::any_of(args.begin(), args.end(), [](const std::string& a) { return isOneOf(a, {"--VERSION"}); })) {
    std::printf("bexora %s (alignment SIMD level: %s)\n", BEXORA_VERSION, simdLevelName(widestSimdLevel()));
    return {false, 0};
  }
  if (!extractFolderOptions(args, settings)) return {false, 1};
  const std::vector<std::string> typed = args;
  for (std::string& arg : args) arg = upperCased(arg);
  if (!args.empty() && args[0] == "-L") return processBatch(args, typed, settings);
  if (args.size() <= 3) return processShortForm(args, typed, settings);
  return processSingleRun(args, typed, settings);
}

}  // namespace bexora
