#include "alignment/best_reference.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <limits>
#include <map>
#include <numeric>
#include <thread>
#include <utility>
#include <vector>

#include "alignment/aligner.h"
#include "alignment/cost_kernel.h"
#include "alignment/fasta.h"
#include "util/line_reader.h"
#include "util/staged_output.h"

namespace bexora {

namespace {

constexpr const char* kFastaName = "pdb_seqres.na.fa";
// Candidates are listed, numbered and compared in batches of this size; a
// candidate repeated within its batch gets no sequence the second time.
constexpr std::size_t kBatchSize = 20;
constexpr std::size_t kTargetFieldWidth = 15;
constexpr std::size_t kCandidateIdWidth = 5;
constexpr std::size_t kCandidateChainWidth = 3;

struct ChainName {
  std::string pdbId;
  std::string chain;
  bool operator==(const ChainName& other) const { return pdbId == other.pdbId && chain == other.chain; }
};

constexpr std::size_t kNoSequence = std::numeric_limits<std::size_t>::max();

enum class Standing { kScored, kTooLong, kRepeated };

struct Candidate {
  ChainName name;
  Standing standing = Standing::kScored;
  std::size_t key = kNoSequence;  // entry of the sequence table
};

// Every white-space-separated token of the file; false when it cannot be opened.
bool readTokens(const std::string& path, std::vector<std::string>& tokens, const Reporter& reporter) {
  LineReader reader(reporter);
  if (!reader.open(path)) return false;
  std::string_view line;
  while (reader.next(line)) {
    std::size_t at = 0;
    while (at < line.size()) {
      while (at < line.size() && std::isspace(static_cast<unsigned char>(line[at]))) ++at;
      std::size_t end = at;
      while (end < line.size() && !std::isspace(static_cast<unsigned char>(line[end]))) ++end;
      if (end > at) tokens.emplace_back(line.substr(at, end - at));
      at = end;
    }
  }
  return true;
}

// The sequence of every distinct chain named, from a single reading of the
// FASTA file however many batches the list has.
class SequenceTable {
 public:
  std::size_t add(const ChainName& name) {
    auto found = index_.emplace(std::make_pair(name.pdbId, name.chain), names_.size());
    if (found.second) names_.push_back(name);
    return found.first->second;
  }

  // Chains that extend another chain id as a prefix are offered to the reader
  // first, so that each of them gets its own record rather than the shorter
  // id taking it.
  void read(const std::string& fastaPath, const Reporter& reporter) {
    std::vector<std::size_t> order(names_.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::stable_sort(order.begin(), order.end(), [&](std::size_t x, std::size_t y) {
      return names_[x].chain.size() > names_[y].chain.size();
    });
    std::vector<std::string> ids, chains, found;
    for (std::size_t k : order) {
      ids.push_back(names_[k].pdbId);
      chains.push_back(names_[k].chain);
    }
    readFastaSeqList(fastaPath, ids, chains, found, reporter);
    sequences_.assign(names_.size(), std::string());
    for (std::size_t k = 0; k < order.size() && k < found.size(); ++k) sequences_[order[k]] = std::move(found[k]);
  }

  std::string_view sequence(std::size_t key) const {
    return key < sequences_.size() ? std::string_view(sequences_[key]) : std::string_view();
  }

 private:
  std::map<std::pair<std::string, std::string>, std::size_t> index_;
  std::vector<ChainName> names_;
  std::vector<std::string> sequences_;
};

bool fitsCandidateFields(const ChainName& name) {
  return name.pdbId.size() <= kCandidateIdWidth && name.chain.size() <= kCandidateChainWidth;
}

bool repeatedInBatch(const std::vector<Candidate>& candidates, std::size_t k) {
  for (std::size_t earlier = k - k % kBatchSize; earlier < k; ++earlier)
    if (candidates[earlier].name == candidates[k].name) return true;
  return false;
}

std::vector<Candidate> candidatesOf(const std::vector<std::string>& tokens, SequenceTable& table) {
  std::vector<Candidate> candidates;
  for (std::size_t t = 2; t + 1 < tokens.size(); t += 2) {
    candidates.push_back(Candidate{ChainName{tokens[t], tokens[t + 1]}});
    Candidate& candidate = candidates.back();
    if (!fitsCandidateFields(candidate.name))
      candidate.standing = Standing::kTooLong;
    else if (repeatedInBatch(candidates, candidates.size() - 1))
      candidate.standing = Standing::kRepeated;
    else
      candidate.key = table.add(candidate.name);
  }
  return candidates;
}

struct RunningBest {
  double cost = std::numeric_limits<double>::max();
  ChainName name;
};

void warnUnscored(const Candidate& candidate, bool hasSequence, const std::string& fastaPath,
                  const Reporter& reporter) {
  const char* id = candidate.name.pdbId.c_str();
  const char* chain = candidate.name.chain.c_str();
  if (candidate.standing == Standing::kTooLong)
    reporter.say("Warning!!! Candidate %s %s exceeds the %zu-character id or %zu-character chain field; it is "
                 "not recommended.\n",
                 id, chain, kCandidateIdWidth, kCandidateChainWidth);
  else if (candidate.standing == Standing::kRepeated)
    reporter.say("Warning!!! Candidate %s %s is repeated within its batch of %zu; the repeat is not recommended.\n",
                 id, chain, kBatchSize);
  else if (!hasSequence)
    reporter.say("Warning!!! Candidate %s %s has no sequence in %s; it is not recommended.\n", id, chain,
                 fastaPath.c_str());
}

// Compares the candidates first .. end - 1 of one batch with the running
// best: least cost wins, strictly, so of equal costs the earliest is kept.
// A candidate without a sequence is no homolog and never wins.
void compareAlignScore(const std::vector<Candidate>& candidates, std::size_t first, std::size_t end,
                       const SequenceTable& table, const std::vector<int32_t>& tenths, const std::string& fastaPath,
                       const Reporter& reporter, RunningBest& best) {
  for (std::size_t k = first; k < end; ++k) {
    const Candidate& candidate = candidates[k];
    std::size_t length = table.sequence(candidate.key).size();
    double cost = tenthsToCost(tenths[k]);
    warnUnscored(candidate, length > 0, fastaPath, reporter);
    reporter.record("candidate id=%s chain=%s length=%d cost=%.6g", candidate.name.pdbId.c_str(),
                    candidate.name.chain.c_str(), static_cast<int>(length), cost);
    if (length > 0 && cost < best.cost) best = RunningBest{cost, candidate.name};
  }
}

void printBatch(const std::vector<Candidate>& candidates, std::size_t first, std::size_t end,
                const Reporter& reporter) {
  for (std::size_t k = first; k < end; ++k)
    reporter.say("Candidate %zu = %s %s\n", k - first + 1, candidates[k].name.pdbId.c_str(),
                 candidates[k].name.chain.c_str());
}

std::vector<int32_t> costsAgainstTarget(std::string_view target, const std::vector<Candidate>& candidates,
                                        const SequenceTable& table) {
  std::vector<std::string_view> sequences;
  sequences.reserve(candidates.size());
  for (const Candidate& candidate : candidates) sequences.push_back(table.sequence(candidate.key));
  return alignmentCostsTenths(target, sequences);
}

bool targetFits(const ChainName& target, const std::string& listPath, const Reporter& reporter) {
  if (target.pdbId.size() <= kTargetFieldWidth && target.chain.size() <= kTargetFieldWidth) return true;
  reporter.say("Warning!!! Target %s %s in %s exceeds the %zu-character id or chain field.\n", target.pdbId.c_str(),
               target.chain.c_str(), listPath.c_str(), kTargetFieldWidth);
  return false;
}

// Lists the candidates batch by batch and prints the recommendation.
void recommend(const ChainName& target, const std::vector<Candidate>& candidates, const SequenceTable& table,
               const std::vector<int32_t>& tenths, const std::string& fastaPath, const Reporter& reporter) {
  RunningBest best{std::numeric_limits<double>::max(), target};
  reporter.say("Candidate Reference List:\n");
  for (std::size_t first = 0; first < candidates.size(); first += kBatchSize) {
    std::size_t end = std::min(first + kBatchSize, candidates.size());
    printBatch(candidates, first, end, reporter);
    compareAlignScore(candidates, first, end, table, tenths, fastaPath, reporter, best);
  }
  reporter.say("\nTarget = %s %s\n", target.pdbId.c_str(), target.chain.c_str());
  reporter.say("Recommended reference: %s %s\n", best.name.pdbId.c_str(), best.name.chain.c_str());
}

// How closely the optimal alignment of one candidate follows the target.
struct AlignmentShape {
  double identity = 0;  // identical columns over all columns
  double coverage = 0;  // target residues facing a candidate residue over the target's length
};

AlignmentShape shapeOf(const std::string& script, std::size_t targetLength) {
  const auto identical = std::count(script.begin(), script.end(), '!');
  const auto replaced = std::count(script.begin(), script.end(), '|');
  AlignmentShape shape;
  if (!script.empty()) shape.identity = static_cast<double>(identical) / static_cast<double>(script.size());
  if (targetLength > 0) shape.coverage = static_cast<double>(identical + replaced) / static_cast<double>(targetLength);
  return shape;
}

// Full alignments of the target with every candidate that has a sequence,
// spread over the cores; each result lands in its candidate's slot, so the
// shapes do not depend on the thread count. False when memory ran out.
bool alignmentShapes(std::string_view target, const std::vector<Candidate>& candidates, const SequenceTable& table,
                     std::vector<AlignmentShape>& shapes) {
  shapes.assign(candidates.size(), AlignmentShape());
  std::atomic<std::size_t> next{0};
  std::atomic<bool> failed{false};
  auto worker = [&]() {
    std::string script;
    for (std::size_t k = next++; k < candidates.size(); k = next++) {
      std::string_view sequence = table.sequence(candidates[k].key);
      if (sequence.empty()) continue;
      if (!MMAlign(target, sequence, &script, nullptr, Reporter())) failed = true;
      shapes[k] = shapeOf(script, target.size());
    }
  };
  const unsigned threads = std::max(1u, std::thread::hardware_concurrency());
  std::vector<std::thread> helpers;
  for (unsigned t = 1; t < threads && t < candidates.size(); ++t) helpers.emplace_back(worker);
  worker();
  for (std::thread& helper : helpers) helper.join();
  return !failed;
}

// Rank 1 is the recommendation: least cost first, the earliest of equal
// costs first; 0 for a candidate without a sequence, which is not ranked.
std::vector<std::size_t> ranksOf(const std::vector<Candidate>& candidates, const SequenceTable& table,
                                 const std::vector<int32_t>& tenths) {
  std::vector<std::size_t> order;
  for (std::size_t k = 0; k < candidates.size(); ++k)
    if (!table.sequence(candidates[k].key).empty()) order.push_back(k);
  std::stable_sort(order.begin(), order.end(), [&](std::size_t x, std::size_t y) { return tenths[x] < tenths[y]; });
  std::vector<std::size_t> ranks(candidates.size(), 0);
  for (std::size_t r = 0; r < order.size(); ++r) ranks[order[r]] = r + 1;
  return ranks;
}

// The table's status column.
const char* statusOf(const Candidate& candidate, bool hasSequence) {
  if (candidate.standing == Standing::kTooLong) return "too_long";
  if (candidate.standing == Standing::kRepeated) return "repeated_in_batch";
  return hasSequence ? "scored" : "no_sequence";
}

std::string candidateTable(const std::vector<Candidate>& candidates, const SequenceTable& table,
                           const std::vector<int32_t>& tenths, const std::vector<AlignmentShape>& shapes) {
  const std::vector<std::size_t> ranks = ranksOf(candidates, table, tenths);
  std::string text = "list_position\tpdb_id\tchain\tlength\tcost\tidentity\ttarget_coverage\trank\tstatus\n";
  char numbers[96];
  for (std::size_t k = 0; k < candidates.size(); ++k) {
    const Candidate& candidate = candidates[k];
    const std::size_t length = table.sequence(candidate.key).size();
    text += std::to_string(k + 1) + "\t" + candidate.name.pdbId + "\t" + candidate.name.chain + "\t" +
            std::to_string(length) + "\t";
    if (ranks[k] == 0)
      std::snprintf(numbers, sizeof numbers, "-\t-\t-\t-\t");
    else
      std::snprintf(numbers, sizeof numbers, "%.1f\t%.4f\t%.4f\t%zu\t", tenthsToCost(tenths[k]),
                    shapes[k].identity, shapes[k].coverage, ranks[k]);
    text += numbers + std::string(statusOf(candidate, length > 0)) + "\n";
  }
  return text;
}

// A target id or chain holding a path separator would put the table outside
// the output folder.
bool namesAFile(const ChainName& target) {
  return target.pdbId.find('/') == std::string::npos && target.chain.find('/') == std::string::npos;
}

bool writeCandidateTable(const ChainName& target, std::string_view targetSequence,
                         const std::vector<Candidate>& candidates, const SequenceTable& table,
                         const std::vector<int32_t>& tenths, const std::string& outputFolder,
                         const Reporter& reporter) {
  if (!namesAFile(target)) {
    reporter.say("Warning!!! Target %s %s cannot name a file; no candidate table is written.\n",
                 target.pdbId.c_str(), target.chain.c_str());
    return true;
  }
  std::vector<AlignmentShape> shapes;
  if (!alignmentShapes(targetSequence, candidates, table, shapes)) {
    reporter.say("Sufficient memory is not available to process the data\n");
    return false;
  }
  const std::string path = outputFolder + target.pdbId + "_" + target.chain + ".candidates.tsv";
  std::error_code ignored;
  std::filesystem::create_directories(outputFolder, ignored);
  if (writeFilesTogether({{path, candidateTable(candidates, table, tenths, shapes)}}).empty()) return true;
  reporter.say("%s file could not be created\n", path.c_str());
  return false;
}

}  // namespace

int findBestReference(const std::string& listFileName, const std::string& inputFolder,
                      const std::string& outputFolder, const Reporter& reporter) {
  const std::string listPath =
      std::filesystem::path(listFileName).is_absolute() ? listFileName : inputFolder + listFileName;
  const std::string fastaPath = inputFolder + kFastaName;
  std::vector<std::string> tokens;
  if (!readTokens(listPath, tokens, reporter)) {
    reporter.say("%s File Not Found\n", listPath.c_str());
    return 1;
  }
  if (tokens.size() < 2) {
    reporter.say("The target PDB id and chain were not found in %s.\n", listPath.c_str());
    return 1;
  }
  const ChainName target{tokens[0], tokens[1]};
  if (!targetFits(target, listPath, reporter)) return 1;
  if (tokens.size() % 2 != 0)
    reporter.say("Warning!!! The last token %s of %s has no chain id; it is ignored.\n", tokens.back().c_str(),
                 listPath.c_str());

  SequenceTable table;
  const std::size_t targetKey = table.add(target);
  const std::vector<Candidate> candidates = candidatesOf(tokens, table);
  table.read(fastaPath, reporter);
  const std::string_view targetSequence = table.sequence(targetKey);
  if (targetSequence.empty()) {
    if (fileExists(fastaPath))
      reporter.say("The chain sequence for given PDB was not found in %s.\nPlease check your input, or update the "
                   "file from PDB server.\n",
                   fastaPath.c_str());
    return 1;
  }

  const std::vector<int32_t> tenths = costsAgainstTarget(targetSequence, candidates, table);
  recommend(target, candidates, table, tenths, fastaPath, reporter);
  return writeCandidateTable(target, targetSequence, candidates, table, tenths, outputFolder, reporter) ? 0 : 1;
}

}  // namespace bexora
