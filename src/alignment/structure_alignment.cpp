#include "alignment/structure_alignment.h"

#include <vector>

#include "alignment/residue_map.h"
#include "util/line_reader.h"
#include "util/tokenizer.h"

namespace bexora {

namespace {

constexpr std::string_view kPairArrow = "<->";

struct PairEnd {
  std::string_view chain;
  ResidueMapEntry residue{};
};

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\f' || c == '\v' || c == '\r' || c == '\n'; }


// "chain:number" with an optional insertion code after the number.
bool parsePairEnd(std::string_view text, PairEnd& end) {
  std::size_t colon = text.find(':');
  if (colon == 0 || colon == std::string_view::npos) return false;
  end.chain = text.substr(0, colon);
  std::string_view number = text.substr(colon + 1);
  end.residue.iCode = ' ';
  if (!number.empty() && !isDigit(number.back())) {
    end.residue.iCode = number.back();
    number.remove_suffix(1);
  }
  return readWholeInteger(withoutPlusSign(number), end.residue.resSeqNo);
}

bool parsePairToken(std::string_view token, PairEnd& reference, PairEnd& target) {
  std::size_t arrow = token.find(kPairArrow);
  return parsePairEnd(token.substr(0, arrow), reference) &&
         parsePairEnd(token.substr(arrow + kPairArrow.size()), target);
}

// The new mapIndex values of one chain, filled while the file is walked.
struct ChainWalk {
  const ChainResidueMap& chain;
  std::vector<int32_t> mapIndex = std::vector<int32_t>(chain.entries.size(), -1);
  std::size_t position = 0;

  // Entries before the named residue stay unmapped; true when the walk now
  // stands on that residue.
  bool advanceTo(const ResidueMapEntry& residue) {
    while (position < chain.entries.size() && mappedSeqComp(chain.entries[position], residue) < 0) ++position;
    return position < chain.entries.size() && mappedSeqComp(chain.entries[position], residue) == 0;
  }
};

class AlignmentFileReader {
 public:
  AlignmentFileReader(const ResidueMapPair& pdbMap, const std::string& path, const Reporter& reporter)
      : reference_{pdbMap[kReference].chain}, target_{pdbMap[kTarget].chain}, path_(path), reporter_(reporter) {}

  // False when a pair names other chains than the map's; the caller then
  // keeps the map as it was.
  bool readLine(std::string_view line, long lineNumber) {
    std::size_t i = 0;
    while (i < line.size()) {
      while (i < line.size() && isBlank(line[i])) ++i;
      std::size_t start = i;
      while (i < line.size() && !isBlank(line[i])) ++i;
      std::string_view token = line.substr(start, i - start);
      if (token.find(kPairArrow) != std::string_view::npos && !applyToken(token, lineNumber)) return false;
    }
    return true;
  }

  bool readAnyPair() const { return pairsRead_ > 0; }

  void commit(ResidueMapPair& pdbMap) const {
    std::vector<ResidueMapEntry>& reference = pdbMap[kReference].chain.entries;
    std::vector<ResidueMapEntry>& target = pdbMap[kTarget].chain.entries;
    for (std::size_t i = 0; i < reference.size(); ++i) reference[i].mapIndex = reference_.mapIndex[i];
    for (std::size_t j = 0; j < target.size(); ++j) target[j].mapIndex = target_.mapIndex[j];
  }

 private:
  bool applyToken(std::string_view token, long lineNumber) {
    PairEnd reference, target;
    if (!parsePairToken(token, reference, target)) {
      reporter_.warn("Unreadable residue pair \"%.*s\" at line %ld of %s is ignored.\n",
                    static_cast<int>(token.size()), token.data(), lineNumber, path_.c_str());
      return true;
    }
    if (reference.chain != reference_.chain.chainId || target.chain != target_.chain.chainId) {
      reporter_.say("Chain mismatch %s-%.*s, %s-%.*s\n", reference_.chain.chainId,
                    static_cast<int>(reference.chain.size()), reference.chain.data(), target_.chain.chainId,
                    static_cast<int>(target.chain.size()), target.chain.data());
      reporter_.lineOf(lineNumber, path_);
      return false;
    }
    ++pairsRead_;
    bool referenceFound = reference_.advanceTo(reference.residue);
    bool targetFound = target_.advanceTo(target.residue);
    if (referenceFound && targetFound) {
      reference_.mapIndex[reference_.position] = static_cast<int32_t>(target_.position);
      target_.mapIndex[target_.position] = static_cast<int32_t>(reference_.position);
      ++reference_.position;
      ++target_.position;
    }
    return true;
  }

  ChainWalk reference_;
  ChainWalk target_;
  const std::string& path_;
  const Reporter& reporter_;
  long pairsRead_ = 0;
};

}  // namespace

AlignmentFileUse applyStructureAlignmentFile(ResidueMapPair& pdbMap, const std::string& inputFolder,
                                             const std::string& refPdbId, const std::string& refChainId,
                                             const std::string& targetPdbId, const std::string& targetChainId,
                                             const Reporter& reporter) {
  std::string path = inputFolder + refPdbId + "_" + refChainId + "_" + targetPdbId + "_" + targetChainId + ".aln";
  LineReader reader(reporter);
  if (!reader.open(path)) return AlignmentFileUse::kNotUsed;
  AlignmentFileReader file(pdbMap, path, reporter);
  std::string_view line;
  while (reader.next(line))
    if (!file.readLine(line, reader.lineNumber())) return AlignmentFileUse::kChainMismatch;
  if (reader.failed()) {
    reporter.warn("%s could not be read to its end; its alignment is not used.\n", path.c_str());
    return AlignmentFileUse::kNotUsed;
  }
  // The file still stands for the alignment, but one without a single pair
  // unmaps every residue, which should not pass unnoticed.
  if (!file.readAnyPair())
    reporter.warn("%s lists no residue pair; no residue is aligned through it.\n", path.c_str());
  file.commit(pdbMap);
  return AlignmentFileUse::kUsed;
}

}  // namespace bexora
