#include "driver/batch.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <new>
#include <thread>

#include "driver/console.h"
#include "driver/pipeline.h"
#include "driver/single_run.h"
#include "driver/shared_inputs.h"
#include "util/line_reader.h"
#include "util/staged_output.h"

namespace bexora {

namespace {

constexpr const char* kSummaryName = "batch_summary.tsv";
constexpr const char* kPairLogName = "run.log";

std::string upperCased(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

// The whitespace-separated fields of a line, up to a '#' comment.
std::vector<std::string> fieldsOf(std::string_view line) {
  line = line.substr(0, line.find('#'));
  std::vector<std::string> fields;
  std::size_t at = 0;
  while ((at = line.find_first_not_of(" \t\r\f\v", at)) != std::string_view::npos) {
    std::size_t end = std::min(line.find_first_of(" \t\r\f\v", at), line.size());
    fields.push_back(upperCased(std::string(line.substr(at, end - at))));
    at = end;
  }
  return fields;
}

// METHODS is what -M takes: ALL, or method tokens or names separated by commas; here
// a name that is not one is an error of the line, not a warning.
std::string parseMethods(const std::vector<std::string>& fields, std::vector<int>& methods) {
  bool taken[kMethodCount] = {};
  std::string list;
  for (std::size_t f = 4; f < fields.size(); ++f) list += fields[f] + ",";
  for (std::size_t at = 0, end; at < list.size(); at = end + 1) {
    end = list.find(',', at);
    std::string name = list.substr(at, end - at);
    if (name.empty()) continue;
    bool known = false;
    for (int m = 0; m < kMethodCount; ++m) {
      bool named = name == "ALL" || methodNamed(name) == m;
      taken[m] = taken[m] || named;
      known = known || named;
    }
    if (!known) return "unknown method \"" + name + "\"";
  }
  for (int m = 0; m < kMethodCount; ++m)
    if (taken[m]) methods.push_back(m);
  return std::string();
}

bool isAlphaNumeric(const std::string& text, std::size_t minSize, std::size_t maxSize) {
  return text.size() >= minSize && text.size() <= maxSize && !gotNonAlphaNumeric(text);
}

// The ids become a folder name, so only letters and digits pass.
std::string pairProblem(const ManifestPair& pair) {
  for (const std::string* id : {&pair.refId, &pair.targetId})
    if (!isAlphaNumeric(*id, kPdbIdWidth, kPdbIdWidth))
      return "PDB id \"" + *id + "\" is not " + std::to_string(kPdbIdWidth) + " letters and digits";
  for (const std::string* chain : {&pair.refChain, &pair.targetChain})
    if (!isAlphaNumeric(*chain, 1, kChainIdWidth))
      return "chain id \"" + *chain + "\" is not 1 to " + std::to_string(kChainIdWidth) + " letters and digits";
  return std::string();
}

ManifestPair parsePair(long lineNumber, const std::vector<std::string>& fields, const std::vector<int>& defaults) {
  ManifestPair pair;
  pair.lineNumber = lineNumber;
  std::string* slots[] = {&pair.refId, &pair.refChain, &pair.targetId, &pair.targetChain};
  for (std::size_t f = 0; f < 4; ++f) *slots[f] = f < fields.size() ? fields[f] : "-";
  if (fields.size() < 4) {
    pair.problem = "expected REF_ID REF_CHAIN TARGET_ID TARGET_CHAIN [METHODS]";
    return pair;
  }
  pair.problem = pairProblem(pair);
  if (pair.problem.empty()) pair.problem = parseMethods(fields, pair.methods);
  if (pair.problem.empty() && pair.methods.empty()) pair.methods = defaults;
  return pair;
}

// Two lines naming one pair would write the same folder.
void markRepeatedPairs(std::vector<ManifestPair>& pairs) {
  std::map<std::string, long> firstLine;
  for (ManifestPair& pair : pairs) {
    if (!pair.problem.empty()) continue;
    auto [seen, isNew] = firstLine.emplace(pairFolderName(pair), pair.lineNumber);
    if (!isNew) pair.problem = "repeats the pair of line " + std::to_string(seen->second);
  }
}

struct PairOutcome {
  bool ok = false;
  std::array<std::optional<WriteSummary>, kMethodCount> written;
  std::optional<ClassTally> consensus;
};

// Messages and "-V" records of one pair, in the order they came; a pause has
// no one at a terminal to wait for.
Reporter pairReporter(std::string& log, bool verbose) {
  auto sink = [&log](Channel channel, const std::string& text) {
    log += messageText(channel, text);
    if (channel == Channel::kRecord) log += "bexora: " + text + "\n";
  };
  return Reporter(sink, verbose);
}

RunSettings pairSettings(const RunSettings& batch, const ManifestPair& pair) {
  RunSettings settings = batch;
  settings.mode = RunMode::kSingle;
  settings.pdbIds[kReference][0] = pair.refId;
  settings.chainIds[kReference][0] = pair.refChain;
  settings.pdbIds[kTarget][0] = pair.targetId;
  settings.chainIds[kTarget][0] = pair.targetChain;
  settings.methodList = pair.methods;
  settings.outputFolder = batch.outputFolder + pairFolderName(pair) + "/";
  return settings;
}

PairOutcome runPair(const RunSettings& batch, const ManifestPair& pair, SharedInputs& shared) {
  auto state = std::make_unique<RunState>(pairSettings(batch, pair));
  std::string log;
  state->reporter = pairReporter(log, batch.verbose);
  state->shared = &shared;
  PairOutcome outcome;
  outcome.ok = runSingle(*state) == 0;
  outcome.written = state->written;
  outcome.consensus = state->consensusClasses;
  std::string logPath = state->settings.outputFolder + kPairLogName;
  if (!writeFilesTogether({{logPath, log}}).empty()) outcome.ok = false;
  return outcome;
}

// One line per finished pair, with how many of all are done.
class Progress {
 public:
  Progress(const RunSettings& settings, std::size_t total) : folder_(settings.outputFolder), total_(total) {}

  void finished(const ManifestPair& pair, bool ok) {
    std::lock_guard<std::mutex> lock(mutex_);
    std::string name = pairFolderName(pair);
    ++done_;
    if (ok)
      std::printf("[%zu/%zu] %s ok\n", done_, total_, name.c_str());
    else
      std::printf("[%zu/%zu] %s failed, see %s%s/%s\n", done_, total_, name.c_str(), folder_.c_str(), name.c_str(),
                  kPairLogName);
    std::fflush(stdout);
  }

 private:
  std::mutex mutex_;
  std::string folder_;
  std::size_t done_ = 0;
  std::size_t total_;
};

// Both chains of the pair, one of them when the pair names it twice.
template <typename F>
void forEachChain(const ManifestPair& pair, F&& use) {
  use(pair.refId, pair.refChain);
  if (pair.refId != pair.targetId || pair.refChain != pair.targetChain) use(pair.targetId, pair.targetChain);
}

unsigned threadCount(const RunSettings& settings, std::size_t pairs) {
  unsigned wanted = settings.batchThreads ? settings.batchThreads : std::thread::hardware_concurrency();
  return static_cast<unsigned>(std::min<std::size_t>(std::max(wanted, 1u), pairs));
}

// Pairs are taken in manifest order by whichever thread is free; each
// outcome lands in its pair's slot, so the summary keeps manifest order.
std::vector<PairOutcome> runPairs(const RunSettings& settings, const std::vector<ManifestPair>& pairs) {
  std::vector<std::size_t> runnable;
  for (std::size_t i = 0; i < pairs.size(); ++i)
    if (pairs[i].problem.empty()) runnable.push_back(i);
  std::vector<PairOutcome> outcomes(pairs.size());
  SharedInputs shared(settings);
  Progress progress(settings, runnable.size());
  std::atomic<std::size_t> next{0};
  for (std::size_t i : runnable) forEachChain(pairs[i], [&](auto& id, auto& chain) { shared.expectUse(id, chain); });
  auto work = [&] {
    for (std::size_t k; (k = next++) < runnable.size();) {
      const ManifestPair& pair = pairs[runnable[k]];
      try {
        outcomes[runnable[k]] = runPair(settings, pair, shared);
      } catch (const std::bad_alloc&) {
        outcomes[runnable[k]].ok = false;  // the other pairs go on; this one is reported failed
      }
      forEachChain(pair, [&](auto& id, auto& chain) { shared.endUse(id, chain); });
      progress.finished(pair, outcomes[runnable[k]].ok);
    }
  };
  std::vector<std::thread> threads;
  for (unsigned t = 0; t < threadCount(settings, runnable.size()); ++t) threads.emplace_back(work);
  for (std::thread& thread : threads) thread.join();
  return outcomes;
}

std::string methodsText(const std::vector<int>& methods) {
  std::string text;
  for (int method : methods) text += std::string(text.empty() ? "" : ",") + methodToken(method);
  return text.empty() ? "-" : text;
}

std::string summaryHeader(bool consensus) {
  std::string header = "ref_id\tref_chain\ttarget_id\ttarget_chain\tmethods\tstatus";
  for (int m = 0; m < kMethodCount; ++m)
    for (const char* count : {"written", "both", "bexora", "own"})
      header += std::string("\t") + methodToken(m) + "_" + count;
  for (int c = 0; consensus && c < kConsensusClasses; ++c)
    header += std::string("\tconsensus_") + className(static_cast<ConsensusClass>(c));
  return header + "\n";
}

std::string summaryRow(const ManifestPair& pair, const PairOutcome& outcome, bool consensus) {
  std::string row = pair.refId + "\t" + pair.refChain + "\t" + pair.targetId + "\t" + pair.targetChain + "\t" +
                    methodsText(pair.methods) + "\t" + (outcome.ok ? "ok" : "failed");
  for (const std::optional<WriteSummary>& written : outcome.written) {
    if (!written) {
      row += "\t-\t-\t-\t-";
      continue;
    }
    for (int count : {written->pairs, written->both, written->bexora, written->own}) row += "\t" + std::to_string(count);
  }
  for (int c = 0; consensus && c < kConsensusClasses; ++c)
    row += "\t" + (outcome.consensus ? std::to_string((*outcome.consensus)[c]) : std::string("-"));
  return row + "\n";
}

bool writeSummary(const RunSettings& settings, const std::vector<ManifestPair>& pairs,
                  const std::vector<PairOutcome>& outcomes) {
  std::string text = summaryHeader(settings.consensus);
  for (std::size_t i = 0; i < pairs.size(); ++i) text += summaryRow(pairs[i], outcomes[i], settings.consensus);
  std::string path = settings.outputFolder + kSummaryName;
  if (writeFilesTogether({{path, text}}).empty()) return true;
  std::printf("%s could not be written.\n", path.c_str());
  return false;
}

void reportProblems(const std::vector<ManifestPair>& pairs, const std::string& path) {
  for (const ManifestPair& pair : pairs)
    if (!pair.problem.empty())
      std::printf("Manifest %s line %ld: %s; the pair is not run.\n", path.c_str(), pair.lineNumber,
                  pair.problem.c_str());
}

}  // namespace

Manifest readManifest(const std::string& path, const std::vector<int>& defaultMethods) {
  Manifest manifest;
  LineReader reader(consoleReporter(false));
  manifest.found = reader.open(path);
  std::string_view line;
  while (manifest.found && reader.next(line)) {
    std::vector<std::string> fields = fieldsOf(line);
    if (!fields.empty()) manifest.pairs.push_back(parsePair(reader.lineNumber(), fields, defaultMethods));
  }
  manifest.complete = !reader.failed();
  markRepeatedPairs(manifest.pairs);
  return manifest;
}

std::string pairFolderName(const ManifestPair& pair) {
  return pair.refId + "_" + pair.refChain + "_" + pair.targetId + "_" + pair.targetChain;
}

int runBatch(const RunSettings& settings) {
  std::string path = settings.inputFolder + settings.batchManifest;
  Manifest manifest = readManifest(path, settings.methodList);
  if (!manifest.found) {
    std::printf("Manifest %s was not found.\n", path.c_str());
    return 1;
  }
  if (!manifest.complete) std::printf("Manifest %s could not be read to its end.\n", path.c_str());
  if (manifest.pairs.empty()) std::printf("Warning!!! Manifest %s names no pair.\n", path.c_str());
  reportProblems(manifest.pairs, path);
  std::error_code ignored;
  std::filesystem::create_directories(settings.outputFolder, ignored);
  std::vector<PairOutcome> outcomes = runPairs(settings, manifest.pairs);
  bool summaryWritten = writeSummary(settings, manifest.pairs, outcomes);
  auto failed = static_cast<std::size_t>(
      std::count_if(outcomes.begin(), outcomes.end(), [](const PairOutcome& o) { return !o.ok; }));
  std::printf("Batch of %zu pairs: %zu enhanced, %zu failed; summary in %s%s\n", outcomes.size(),
              outcomes.size() - failed, failed, settings.outputFolder.c_str(), kSummaryName);
  return failed == 0 && summaryWritten && manifest.complete ? 0 : 1;
}

}  // namespace bexora
