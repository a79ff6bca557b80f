#include "model/basepair.h"

#include <algorithm>
#include <cstring>

namespace bexora {

bool isStandardBase(char c) { return c == 'A' || c == 'C' || c == 'G' || c == 'U'; }
bool isWHS(char c) { return c == 'W' || c == 'H' || c == 'S'; }

namespace {
bool isCanoNucleoCombination(char first, char second) {
  return (first == 'G' && second == 'U') || (first == 'A' && second == 'U') || (first == 'C' && second == 'G');
}
bool isWatsonCrickClass(char c) { return c == 'W' || c == '+' || c == '-'; }
bool isWHSLetter(char c) { return c == 'W' || c == 'H' || c == 'S' || c == '+' || c == '-'; }
}  // namespace

bool isCanonicalBP(const BPInfo& pair) {
  char e0 = pair.edge[0][0][0];
  char e1 = pair.edge[0][1][0];
  bool watsonCrick = e0 == e1 && isWatsonCrickClass(e0);
  char n0 = pair.nucleotide[0];
  char n1 = pair.nucleotide[1];
  return watsonCrick && (isCanoNucleoCombination(n0, n1) || isCanoNucleoCombination(n1, n0));
}

bool isWHS_BP(const BPInfo& pair) { return isWHSLetter(pair.edge[0][0][0]) && isWHSLetter(pair.edge[0][1][0]); }

PairClass classifyPair(const BPInfo& pair) {
  if (isCanonicalBP(pair)) return kCanonical;
  return isWHS_BP(pair) ? kNonCanonical : kOtherPair;
}

void ClassCounts::add(const BPInfo& pair) {
  switch (classifyPair(pair)) {
    case kCanonical: ++canonical; break;
    case kNonCanonical: ++nonCanonical; break;
    case kOtherPair: ++other; break;
  }
}

int compBasePairId(const BPInfo& a, const BPInfo& b) {
  if (int d = std::strcmp(a.chainId[0], b.chainId[0])) return d;
  if (int d = std::strcmp(a.chainId[1], b.chainId[1])) return d;
  if (int d = compareResidues(a.resSeqNo[0], a.iCode[0], b.resSeqNo[0], b.iCode[0])) return d;
  return compareResidues(a.resSeqNo[1], a.iCode[1], b.resSeqNo[1], b.iCode[1]);
}

void sortByPairId(std::vector<BPInfo>& pairs) {
  std::stable_sort(pairs.begin(), pairs.end(),
                   [](const BPInfo& a, const BPInfo& b) { return compBasePairId(a, b) < 0; });
}

}  // namespace bexora
