#include "driver/batch.h"

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <functional>
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
#include "output/batch_summary.h"
#include "driver/shared_inputs.h"
#include "util/line_reader.h"
#include "util/staged_output.h"
#include "util/tokenizer.h"

namespace bexora {

namespace {

constexpr const char* kPairLogName = "run.log";

// The whitespace-separated fields of a line, up to a '#' comment.
std::vector<std::string> fieldsOf(std::string_view line) {
  line = line.substr(0, line.find('#'));
  std::vector<std::string> fields;
  std::size_t at = 0;
  while ((at = line.find_first_not_of(" \t\r\f\v", at)) != std::string_view::npos) {
    std::size_t end = std::min(line.find_first_of(" \t\r\f\v", at), line.size());
    fields.push_back(upperCased(line.substr(at, end - at)));
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
  bool logWritten = false;
  std::array<std::optional<WriteSummary>, kMethodCount> written;
  std::optional<ClassTally> consensus;
};

// Messages and "-V" records of one pair, in the order they came; a pause has
// no one at a terminal to wait for.
Reporter pairReporter(std::string& log, bool verbose) {
  auto sink = [&log](Channel channel, const std::string& text) {
    log += escapeControls(messageText(channel, text));
    if (channel == Channel::kRecord) log += "bexora: " + escapeControls(text) + "\n";
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

// A pair whose run is done, its files staged and waiting for their commit;
// what is left of its run state, which is let go at once.
struct FinishedPair {
  std::size_t index = 0;  // in the manifest
  bool ran = false;  // false when the pair ran out of memory
  bool ok = false;
  std::string folder;
  std::unique_ptr<std::string> log;  // the pair's Reporter writes here, so it stays in place
  std::vector<std::pair<int, std::unique_ptr<OutputGroup>>> heldOutputs;
  std::array<std::optional<WriteSummary>, kMethodCount> written;
  std::optional<ClassTally> consensus;
  std::unique_ptr<OutputGroup> logFile;
};

FinishedPair runPair(const RunSettings& batch, std::size_t index, const ManifestPair& pair, SharedInputs& shared) {
  FinishedPair finished;
  finished.index = index;
  finished.log = std::make_unique<std::string>();
  try {
    auto state = std::make_unique<RunState>(pairSettings(batch, pair));
    state->reporter = pairReporter(*finished.log, batch.verbose);
    state->shared = &shared;
    finished.ok = runSingle(*state) == 0;
    finished.folder = state->settings.outputFolder;
    finished.heldOutputs = std::move(state->heldOutputs);
    finished.written = state->written;
    finished.consensus = state->consensusClasses;
    finished.logFile = std::make_unique<OutputGroup>(finished.folder, Reporter(), false);
    finished.ran = true;
  } catch (const std::bad_alloc&) {
    finished.ran = false;  // the other pairs go on; this one is reported failed
  }
  return finished;
}

// Commits the groups the pipeline held back, each as a single run commits
// it; a failure is told in the log as a single run tells it.
bool commitHeldOutputs(FinishedPair& pair, bool durable) {
  bool ok = true;
  for (auto& [method, group] : pair.heldOutputs) {
    if (durable && group->commit()) continue;
    *pair.log += escapeControls(durable ? group->failedPath() : pair.folder) + " file could not be created\n";
    pair.written[static_cast<std::size_t>(method)].reset();
    ok = false;
  }
  return ok;
}

bool stageLog(FinishedPair& pair) { return pair.logFile->stage(pair.folder + kPairLogName, *pair.log); }

// Commits finished pairs in rounds: the file system is flushed once for the
// data of every file of a round before any is renamed, and once more for the
// new names, instead of once per file; meanwhile the workers run the next
// pairs. Each pair is reported once its files are in place.
class Committer {
 public:
  using Report = std::function<void(std::size_t index, const PairOutcome&)>;

  Committer(std::string folder, std::size_t maxWaiting, Report report)
      : folder_(std::move(folder)), maxWaiting_(maxWaiting), report_(std::move(report)), thread_([this] { run(); }) {}
  ~Committer() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      closed_ = true;
    }
    changed_.notify_all();
    thread_.join();
  }
  Committer(const Committer&) = delete;
  Committer& operator=(const Committer&) = delete;

  // Waits while too many pairs wait already, so memory stays bounded.
  void add(FinishedPair pair) {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [this] { return waiting_.size() < maxWaiting_; });
    waiting_.push_back(std::move(pair));
    changed_.notify_all();
  }

 private:
  void run() {
    for (;;) {
      std::vector<FinishedPair> round;
      {
        std::unique_lock<std::mutex> lock(mutex_);
        changed_.wait(lock, [this] { return closed_ || !waiting_.empty(); });
        if (waiting_.empty()) return;
        round.swap(waiting_);
      }
      changed_.notify_all();
      commitRound(round);
    }
  }

  void commitRound(std::vector<FinishedPair>& round) {
    std::vector<FinishedPair*> running;
    for (FinishedPair& pair : round)
      if (pair.ran) running.push_back(&pair);
    std::vector<bool> logStaged;
    for (FinishedPair* pair : running) logStaged.push_back(stageLog(*pair));
    bool durable = syncFileSystem(folder_), restaged = false;
    for (std::size_t i = 0; i < running.size(); ++i) {
      if (commitHeldOutputs(*running[i], durable)) continue;
      running[i]->ok = false;
      logStaged[i] = stageLog(*running[i]);  // with the failure told
      restaged = true;
    }
    bool logsDurable = !restaged || syncFileSystem(folder_);
    for (std::size_t i = 0; i < running.size(); ++i)
      logStaged[i] = logStaged[i] && logsDurable && running[i]->logFile->commit();
    bool named = syncFileSystem(folder_);
    for (std::size_t i = 0; i < running.size(); ++i) report(*running[i], logStaged[i] && named);
    for (FinishedPair& pair : round)
      if (!pair.ran) report_(pair.index, PairOutcome{});
  }

  void report(const FinishedPair& pair, bool logWritten) {
    PairOutcome outcome;
    outcome.logWritten = logWritten;
    outcome.ok = pair.ok && logWritten;
    outcome.written = pair.written;
    outcome.consensus = pair.consensus;
    report_(pair.index, outcome);
  }

  const std::string folder_;
  const std::size_t maxWaiting_;
  const Report report_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<FinishedPair> waiting_;
  bool closed_ = false;
  std::thread thread_;  // last: it starts once the rest is in place
};

// One line per finished pair, with how many of all are done.
class Progress {
 public:
  Progress(const RunSettings& settings, std::size_t total) : folder_(settings.outputFolder), total_(total) {}

  void finished(const ManifestPair& pair, const PairOutcome& outcome) {
    std::lock_guard<std::mutex> lock(mutex_);
    std::string name = pairFolderName(pair);
    std::string log = escapeControls(folder_) + name + "/" + kPairLogName;
    ++done_;
    if (outcome.ok)
      std::printf("[%zu/%zu] %s ok\n", done_, total_, name.c_str());
    else if (outcome.logWritten)
      std::printf("[%zu/%zu] %s failed, see %s\n", done_, total_, name.c_str(), log.c_str());
    else
      std::printf("[%zu/%zu] %s failed; %s could not be written\n", done_, total_, name.c_str(), log.c_str());
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

std::string methodsText(const std::vector<int>& methods) {
  std::string text;
  for (int method : methods) text += std::string(text.empty() ? "" : ",") + methodToken(method);
  return text.empty() ? "-" : text;
}

BatchSummaryRow summaryRowOf(const ManifestPair& pair, const PairOutcome& outcome) {
  return {{pair.refId, pair.refChain, pair.targetId, pair.targetChain}, methodsText(pair.methods), outcome.ok,
          outcome.written, outcome.consensus};
}

// Pairs are taken in manifest order by whichever thread is free; each
// outcome lands in its pair's slot, so the summary keeps manifest order.
std::vector<PairOutcome> runPairs(const RunSettings& settings, const std::vector<ManifestPair>& pairs,
                                  const BatchSummaryRecord& record) {
  std::vector<PairOutcome> outcomes(pairs.size());
  std::vector<std::size_t> runnable;
  for (std::size_t i = 0; i < pairs.size(); ++i) {
    if (pairs[i].problem.empty())
      runnable.push_back(i);
    else
      record.add(summaryRowOf(pairs[i], outcomes[i]));
  }
  SharedInputs shared(settings);
  Progress progress(settings, runnable.size());
  std::atomic<std::size_t> next{0};
  for (std::size_t i : runnable) forEachChain(pairs[i], [&](auto& id, auto& chain) { shared.expectUse(id, chain); });
  const unsigned threadsWanted = threadCount(settings, runnable.size());
  {
    Committer committer(settings.outputFolder, 2 * threadsWanted, [&](std::size_t i, const PairOutcome& outcome) {
      outcomes[i] = outcome;
      progress.finished(pairs[i], outcome);
      record.add(summaryRowOf(pairs[i], outcome));
    });
    auto work = [&] {
      for (std::size_t k; (k = next++) < runnable.size();) {
        const ManifestPair& pair = pairs[runnable[k]];
        FinishedPair finished = runPair(settings, runnable[k], pair, shared);
        forEachChain(pair, [&](auto& id, auto& chain) { shared.endUse(id, chain); });
        committer.add(std::move(finished));
      }
    };
    std::vector<std::thread> threads;
    for (unsigned t = 0; t < threadsWanted; ++t) threads.emplace_back(work);
    for (std::thread& thread : threads) thread.join();
  }
  return outcomes;
}

bool writeSummary(const RunSettings& settings, const std::vector<ManifestPair>& pairs,
                  const std::vector<PairOutcome>& outcomes) {
  std::vector<BatchSummaryRow> rows;
  for (std::size_t i = 0; i < pairs.size(); ++i) rows.push_back(summaryRowOf(pairs[i], outcomes[i]));
  std::string path = settings.outputFolder + kBatchSummaryName;
  if (writeBatchSummary(path, rows, settings.consensus)) return true;
  std::printf("%s could not be written.\n", escapeControls(path).c_str());
  return false;
}

void reportProblems(const std::vector<ManifestPair>& pairs, const std::string& path) {
  for (const ManifestPair& pair : pairs)
    if (!pair.problem.empty())
      std::printf("Manifest %s line %ld: %s; the pair is not run.\n", escapeControls(path).c_str(), pair.lineNumber,
                  escapeControls(pair.problem).c_str());
}

// Why a manifest that is not a readable regular file could not be read.
const char* whyUnread(const std::string& path) {
  struct stat info;
  if (stat(path.c_str(), &info) != 0) return "was not found";
  return S_ISREG(info.st_mode) ? "could not be read" : "is not a regular file";
}

// Each thread holds a few files open at once (an input, a staged output, a
// lock): a thousand threads need more than the usual soft limit of 1024.
void raiseOpenFileLimit() {
  struct rlimit limit;
  if (getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur == limit.rlim_max) return;
  limit.rlim_cur = limit.rlim_max;
  setrlimit(RLIMIT_NOFILE, &limit);
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
  std::filesystem::path named(settings.batchManifest);
  std::string path = named.is_absolute() ? settings.batchManifest : settings.inputFolder + settings.batchManifest;
  std::string shown = escapeControls(path);
  Manifest manifest = readManifest(path, settings.methodList);
  if (!manifest.found) {
    std::printf("Manifest %s %s.\n", shown.c_str(), whyUnread(path));
    return 1;
  }
  if (!manifest.complete) std::printf("Manifest %s could not be read to its end.\n", shown.c_str());
  if (manifest.pairs.empty()) std::printf("Warning!!! Manifest %s names no pair.\n", shown.c_str());
  reportProblems(manifest.pairs, path);
  std::error_code ignored;
  std::filesystem::create_directories(settings.outputFolder, ignored);
  raiseOpenFileLimit();
  std::vector<PairOutcome> outcomes;
  {
    BatchSummaryRecord record(settings.outputFolder + kBatchSummaryName, settings.consensus);
    outcomes = runPairs(settings, manifest.pairs, record);
  }
  bool summaryWritten = writeSummary(settings, manifest.pairs, outcomes);
  auto failed = static_cast<std::size_t>(
      std::count_if(outcomes.begin(), outcomes.end(), [](const PairOutcome& o) { return !o.ok; }));
  std::printf("Batch of %zu pairs: %zu enhanced, %zu failed", outcomes.size(), outcomes.size() - failed, failed);
  if (summaryWritten)
    std::printf("; summary in %s%s\n", escapeControls(settings.outputFolder).c_str(), kBatchSummaryName);
  else
    std::printf(".\n");
  return failed == 0 && summaryWritten && manifest.complete ? 0 : 1;
}

}  // namespace bexora
