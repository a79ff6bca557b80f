#include "driver/command_line.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "alignment/best_reference.h"
#include "driver/console.h"
#include "util/tokenizer.h"

namespace bexora {

namespace {

constexpr const char* kVersion = "bexora 0.1.0";
constexpr std::size_t kMaxMethodTokens = 10;
constexpr std::size_t kMethodTokenWidth = kTokenRowWidth - 1;
constexpr unsigned kMaxBatchThreads = 1024;

std::string upperCased(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

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

// Appends the methods one "-M" value names; each method once per list.
void appendMethodList(const std::string& value, std::vector<int>& methods) {
  if (value == "ALL") {
    for (int m = 0; m < kMethodCount; ++m) {
      if (methods.size() == kMaxMethodEntries) {
        std::printf("Warning!!! Method list limit of %zu reached; method %s is ignored.\n", kMaxMethodEntries,
                    methodToken(m));
        continue;
      }
      methods.push_back(m);
    }
    return;
  }
  std::string_view tokens[kMaxMethodTokens];
  TokenizeResult split = myTokenize(value, ", ", tokens, kMaxMethodTokens, true, kMethodTokenWidth);
  if (split.tooManyTokens)
    std::printf("Warning!!! Method list \"%s\" has more than %zu entries; the rest is ignored.\n", value.c_str(),
                kMaxMethodTokens);
  bool taken[kMethodCount] = {};
  for (std::size_t t = 0; t < split.count; ++t) {
    std::string token(tokens[t]);
    if (token.size() >= kMethodTokenWidth) {
      std::printf("Warning!!! Method name of %zu or more characters ignored.\n", kMethodTokenWidth);
      continue;
    }
    int found = -1;
    for (int m = 0; m < kMethodCount && found < 0; ++m)
      if (!taken[m] && token.find(methodToken(m)) != std::string::npos) found = m;
    if (found < 0) {
      std::printf("Warning!!! Unknown method %s.\n", escapeControls(token).c_str());
      continue;
    }
    taken[found] = true;
    if (methods.size() == kMaxMethodEntries) {
      std::printf("Warning!!! Method list limit of %zu reached; method %s is ignored.\n", kMaxMethodEntries,
                  escapeControls(token).c_str());
      continue;
    }
    methods.push_back(found);
  }
}

ArgumentsOutcome processShortForm(const std::vector<std::string>& args, const std::string& listAsTyped,
                                  RunSettings& settings) {
  if (args.size() < 2) return rejectNoArguments();
  bool verbose = args.size() == 3 && args[2] == "-V";
  if (args[0] == "-R") {
    settings.mode = RunMode::kBestReference;
    settings.verbose = verbose;
    settings.bestReferenceList = listAsTyped;
    if (!inputFolderExists(settings)) return {false, 1};
    const Reporter reporter = consoleReporter(verbose);
    reporter.record("run mode=bestref methods= reference=: target=: origFormat=0");
    return {false, findBestReference(listAsTyped, settings.inputFolder, settings.outputFolder, reporter)};
  }
  if (args[0] != "-B" || (args[1] != "BENCHMARK" && args[1] != "BENCHMARK-MOTIF")) return rejectNoArguments();
  settings.motifMode = args[1] == "BENCHMARK-MOTIF";
  settings.mode = settings.motifMode ? RunMode::kBenchmarkMotif : RunMode::kBenchmark;
  settings.testCodeFlag = settings.testCodeFlag2 = true;
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

// Options from argument `first` on; false after a message when one is wrong.
bool scanOptions(const std::vector<std::string>& args, RunSettings& settings, std::size_t first = 4) {
  for (std::size_t i = first; i < args.size(); ++i) {
    if (args[i] == "-V") settings.verbose = true;
    if (args[i] == "--MODIFIED") settings.readModified = true;
    if (args[i] == "--STANDARD-ONLY") settings.readModified = false;
    if (args[i] == "--PRUNE-OWN") settings.pruneOwn = true;
    if (args[i] == "--2D") settings.secondaryStructure = true;
    if (args[i] == "--UNKNOWN-DPI" &&
        !parseAngstrom(args, i, true, "Option --unknown-dpi needs a DPI in angstrom, a number of 0 or more.",
                       settings.unknownDpi))
      return false;
    if (args[i] == "--MAX-CONTACT" &&
        !parseAngstrom(args, i, false, "Option --max-contact needs a distance in angstrom, a number above 0.",
                       settings.maxContact))
      return false;
    if (i + 1 == args.size()) continue;
    if (args[i] == "-M") appendMethodList(args[i + 1], settings.methodList);
    if (args[i] == "-F" && args[i + 1].find("ORIG") != std::string::npos) settings.origFormat = true;
  }
  return true;
}

ArgumentsOutcome processSingleRun(const std::vector<std::string>& args, RunSettings& settings) {
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
  if (!scanOptions(args, settings)) return {false, 1};
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

ArgumentsOutcome processBatch(const std::vector<std::string>& args, const std::string& manifestAsTyped,
                              RunSettings& settings) {
  if (args.size() < 2 || manifestAsTyped.empty()) return reject("Option -L needs a manifest file name.\n");
  settings.mode = RunMode::kBatch;
  settings.batchManifest = manifestAsTyped;
  settings.methodList.clear();
  settings.readModified = true;
  if (!scanOptions(args, settings, 2) || !parseThreads(args, settings)) return {false, 1};
  if (settings.methodList.empty()) settings.methodList.push_back(kMcAnnotate);
  if (!inputFolderExists(settings)) return {false, 1};
  return {true, 0};
}

}  // namespace

bool gotNonAlphaNumeric(const std::string& text) {
  return std::any_of(text.begin(), text.end(), [](char c) { return !std::isalnum(static_cast<unsigned char>(c)); });
}

void printUsage() {
  std::printf(
      "Usage:\n"
      "  bexora REF_ID REF_CHAIN TARGET_ID TARGET_CHAIN [-M METHODS] [-F ORIG] [--standard-only] [--unknown-dpi A]\n"
      "         [--prune-own] [--max-contact A] [--2d] [-V] [-I DIR] [-O DIR]\n"
      "      Enhance the target chain's base-pair annotation with the reference chain's.\n"
      "      A chain id has 1 to 4 characters.\n"
      "      -M METHODS  tools to use: ALL, or a list of MC, RV, FR, DS, CLA (default MC)\n"
      "      -F ORIG     write MC-Annotate and RNAView results in the tool's own layout\n"
      "      --standard-only  read A, C, G and U residues only (default: modified nucleotides\n"
      "                  such as PSU and 2MG are read as their parent base; --modified says so)\n"
      "      --unknown-dpi A  DPI in angstrom of a structure whose DPI cannot be computed\n"
      "                  (no free R, no reflections, NMR, cryo-EM, no header; default 0)\n"
      "      --prune-own  drop the tool's own pairs whose geometry agrees with the reference's\n"
      "                  (default: every pair the tool found in the target is written)\n"
      "      --max-contact A  a carried pair needs a donor-acceptor contact within A angstrom\n"
      "                  in the target (default 4.0)\n"
      "      --2d        also write the target's canonical pairs in dot-bracket (.dbn) and BPSEQ (.bpseq)\n"
      "                  and an arc diagram of all its pairs (.svg) beside each result\n"
      "  bexora -L MANIFEST [-j N] [-M METHODS] [-F ORIG] [--standard-only] [--unknown-dpi A] [--prune-own]\n"
      "         [--max-contact A] [--2d] [-V] [-I DIR] [-O DIR]\n"
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
      "  -h, --help  this text;  --version  the version\n");
}

ArgumentsOutcome processArguments(int argc, char** argv, RunSettings& settings) {
  std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
  if (std::any_of(args.begin(), args.end(), [](const std::string& a) { return isOneOf(a, {"-H", "--HELP"}); })) {
    printUsage();
    return {false, 0};
  }
  if (std::any_of(args.begin(), args.end(), [](const std::string& a) { return isOneOf(a, {"--VERSION"}); })) {
    std::printf("%s\n", kVersion);
    return {false, 0};
  }
  if (!extractFolderOptions(args, settings)) return {false, 1};
  std::string listAsTyped = args.size() > 1 ? args[1] : std::string();
  for (std::string& arg : args) arg = upperCased(arg);
  if (!args.empty() && args[0] == "-L") return processBatch(args, listAsTyped, settings);
  if (args.size() <= 3) return processShortForm(args, listAsTyped, settings);
  return processSingleRun(args, settings);
}

}  // namespace bexora
