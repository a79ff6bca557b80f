#include "alignment/best_reference.h"

#include <algorithm>
#include <atomic>
#include <cctype>
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
#include "util/tokenizer.h"

namespace bexora {

namespace {

constexpr const char* kFastaName = "pdb_seqres.na.fa";
// Candidates are listed and numbered in batches of this size.
constexpr std::size_t kBatchSize = 20;
// Identity and coverage need a full alignment each, which cost two thirds
// of a run when every candidate had one; the best-ranked ones are those
// the choice is made among.
constexpr std::size_t kShapedRanks = 20;
constexpr std::size_t kCandidateIdWidth = 5;
constexpr std::size_t kCandidateChainWidth = kChainIdWidth;

struct ChainName {
  std::string pdbId;
  std::string chain;
  bool operator==(const ChainName& other) const { return pdbId == other.pdbId && chain == other.chain; }
};

constexpr std::size_t kNoSequence = std::numeric_limits<std::size_t>::max();

enum class Standing { kScored, kTooLong, kRepeated, kTarget };

struct Candidate {
  ChainName name;
  Standing standing = Standing::kScored;
  std::size_t key = kNoSequence;  // entry of the sequence table
  std::size_t firstPosition = 0;  // of a repeat: the list position it repeats
};

// Every white-space-separated token of the file, upper-cased as ids and
// chains are everywhere; false when the file cannot be opened.
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
      if (end > at) tokens.push_back(upperCased(line.substr(at, end - at)));
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

// A candidate named before, anywhere in the list, is scored once: at its
// first place.
std::vector<Candidate> candidatesOf(const std::vector<std::string>& tokens, const ChainName& target,
                                    SequenceTable& table) {
  std::vector<Candidate> candidates;
  std::map<std::pair<std::string, std::string>, std::size_t> firstPlace;
  for (std::size_t t = 2; t + 1 < tokens.size(); t += 2) {
    candidates.push_back(Candidate{ChainName{tokens[t], tokens[t + 1]}});
    Candidate& candidate = candidates.back();
    auto [first, isNew] =
        firstPlace.emplace(std::make_pair(candidate.name.pdbId, candidate.name.chain), candidates.size());
    if (!fitsCandidateFields(candidate.name)) {
      candidate.standing = Standing::kTooLong;
    } else if (candidate.name == target) {
      candidate.standing = Standing::kTarget;
    } else if (!isNew) {
      candidate.standing = Standing::kRepeated;
      candidate.firstPosition = first->second;
    } else {
      candidate.key = table.add(candidate.name);
    }
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
    reporter.warn("Candidate %s %s exceeds the %zu-character id or %zu-character chain field; it is "
                 "not recommended.\n",
                 id, chain, kCandidateIdWidth, kCandidateChainWidth);
  else if (candidate.standing == Standing::kRepeated)
    reporter.warn("Candidate %s %s repeats list position %zu; the repeat is not recommended.\n", id, chain,
                 candidate.firstPosition);
  else if (candidate.standing == Standing::kTarget)
    reporter.warn("Candidate %s %s is the target; it is not recommended.\n", id, chain);
  else if (!hasSequence)
    reporter.warn("Candidate %s %s has no sequence in %s; it is not recommended.\n", id, chain,
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

bool isAlphaNumeric(const std::string& text, std::size_t minSize, std::size_t maxSize) {
  return text.size() >= minSize && text.size() <= maxSize &&
         std::all_of(text.begin(), text.end(), [](char c) { return std::isalnum(static_cast<unsigned char>(c)); });
}

// The target names the table file, so only what -L accepts for a folder
// name passes: a PDB id of letters and digits and a chain of 1 to 4.
bool targetNamesAFile(const ChainName& target, const std::string& listPath, const Reporter& reporter) {
  if (isAlphaNumeric(target.pdbId, kPdbIdWidth, kPdbIdWidth) && isAlphaNumeric(target.chain, 1, kChainIdWidth))
    return true;
  reporter.say("Target %s %s in %s cannot name a file: a PDB id of %zu letters and digits and a chain of 1 to %zu "
               "are needed.\n",
               target.pdbId.c_str(), target.chain.c_str(), listPath.c_str(), kPdbIdWidth, kChainIdWidth);
  return false;
}

// Lists the candidates batch by batch and prints the recommendation; false
// when no candidate could be scored, so none is recommended.
bool recommend(const ChainName& target, const std::vector<Candidate>& candidates, const SequenceTable& table,
               const std::vector<int32_t>& tenths, const std::string& fastaPath, const Reporter& reporter) {
  RunningBest best;
  reporter.say("Candidate Reference List:\n");
  for (std::size_t first = 0; first < candidates.size(); first += kBatchSize) {
    std::size_t end = std::min(first + kBatchSize, candidates.size());
    printBatch(candidates, first, end, reporter);
    compareAlignScore(candidates, first, end, table, tenths, fastaPath, reporter, best);
  }
  reporter.say("\nTarget = %s %s\n", target.pdbId.c_str(), target.chain.c_str());
  if (best.name.pdbId.empty()) {
    reporter.say("No candidate could be scored; no reference is recommended.\n");
    return false;
  }
  reporter.say("Recommended reference: %s %s\n", best.name.pdbId.c_str(), best.name.chain.c_str());
  return true;
}

// How closely the optimal alignment of one candidate follows the target.
struct AlignmentShape {
  bool measured = false;
  double identity = 0;  // identical columns over all columns
  double coverage = 0;  // target residues facing a candidate residue over the target's length
};

AlignmentShape shapeOf(const std::string& script, std::size_t targetLength) {
  const auto identical = std::count(script.begin(), script.end(), '!');
  const auto replaced = std::count(script.begin(), script.end(), '|');
  AlignmentShape shape;
  shape.measured = true;
  if (!script.empty()) shape.identity = static_cast<double>(identical) / static_cast<double>(script.size());
  if (targetLength > 0) shape.coverage = static_cast<double>(identical + replaced) / static_cast<double>(targetLength);
  return shape;
}

// Full alignments of the target with the candidates ranked up to
// kShapedRanks, spread over the cores; each result lands in its candidate's
// slot, so the shapes do not depend on the thread count. False when memory
// ran out.
bool alignmentShapes(std::string_view target, const std::vector<Candidate>& candidates, const SequenceTable& table,
                     const std::vector<std::size_t>& ranks, std::vector<AlignmentShape>& shapes) {
  shapes.assign(candidates.size(), AlignmentShape());
  std::vector<std::size_t> shaped;
  for (std::size_t k = 0; k < candidates.size(); ++k)
    if (ranks[k] > 0 && ranks[k] <= kShapedRanks) shaped.push_back(k);
  std::atomic<std::size_t> next{0};
  std::atomic<bool> failed{false};
  auto worker = [&]() {
    std::string script;
    for (std::size_t n = next++; n < shaped.size(); n = next++) {
      const std::size_t k = shaped[n];
      std::string_view sequence = table.sequence(candidates[k].key);
      if (!MMAlign(target, sequence, &script, nullptr, Reporter())) failed = true;
      shapes[k] = shapeOf(script, target.size());
    }
  };
  const unsigned threads = std::max(1u, std::thread::hardware_concurrency());
  std::vector<std::thread> helpers;
  for (unsigned t = 1; t < threads && t < shaped.size(); ++t) helpers.emplace_back(worker);
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
  if (candidate.standing == Standing::kTarget) return "target";
  return hasSequence ? "scored" : "no_sequence";
}

// The rows of the candidate table, in list order.
std::vector<CandidateRow> rankingRows(const std::vector<Candidate>& candidates, const SequenceTable& table,
                                      const std::vector<int32_t>& tenths, const std::vector<std::size_t>& ranks,
                                      const std::vector<AlignmentShape>& shapes) {
  std::vector<CandidateRow> rows;
  rows.reserve(candidates.size());
  for (std::size_t k = 0; k < candidates.size(); ++k) {
    const Candidate& candidate = candidates[k];
    CandidateRow row;
    row.pdbId = candidate.name.pdbId;
    row.chain = candidate.name.chain;
    row.length = table.sequence(candidate.key).size();
    row.rank = ranks[k];
    row.cost = tenthsToCost(tenths[k]);
    row.shaped = shapes[k].measured;
    row.identity = shapes[k].identity;
    row.coverage = shapes[k].coverage;
    row.status = statusOf(candidate, row.length > 0);
    rows.push_back(row);
  }
  return rows;
}

bool fillRanking(const ChainName& target, std::string_view targetSequence, const std::vector<Candidate>& candidates,
                 const SequenceTable& table, const std::vector<int32_t>& tenths, CandidateRanking& ranking,
                 const Reporter& reporter) {
  const std::vector<std::size_t> ranks = ranksOf(candidates, table, tenths);
  std::vector<AlignmentShape> shapes;
  if (!alignmentShapes(targetSequence, candidates, table, ranks, shapes)) {
    reporter.say("Sufficient memory is not available to process the data\n");
    return false;
  }
  ranking.targetId = target.pdbId;
  ranking.targetChain = target.chain;
  ranking.rows = rankingRows(candidates, table, tenths, ranks, shapes);
  return true;
}

}  // namespace

int findBestReference(const std::string& listFileName, const std::string& inputFolder, CandidateRanking& ranking,
                      const Reporter& reporter) {
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
  if (!targetNamesAFile(target, listPath, reporter)) return 1;
  if (tokens.size() % 2 != 0)
    reporter.warn("The last token %s of %s has no chain id; it is ignored.\n", tokens.back().c_str(),
                 listPath.c_str());

  SequenceTable table;
  const std::size_t targetKey = table.add(target);
  const std::vector<Candidate> candidates = candidatesOf(tokens, target, table);
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
  if (!recommend(target, candidates, table, tenths, fastaPath, reporter)) return 1;
  return fillRanking(target, targetSequence, candidates, table, tenths, ranking, reporter) ? 0 : 1;
}

}  // namespace bexora
