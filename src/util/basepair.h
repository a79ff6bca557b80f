// Predicates, classes and identity order of the base-pair record.
// A pair is canonical (Watson-Crick edges on G-C, A-U or G-U), else
// non-canonical (edges from W, H, S), else other; every count uses this.
#pragma once

#include "model/model.h"

namespace bexora {

enum PairClass { kCanonical = 0, kNonCanonical = 1, kOtherPair = 2 };

bool isPurine(char c);
bool isPyrimidine(char c);
bool is_whitespace(char c);
bool isWobbleBP(char first, char second);
bool isCanoNucleoCombination(char first, char second);
bool isCanonicalBP(const BPInfo& pair);
bool isWHS_BP(const BPInfo& pair);
PairClass classifyPair(const BPInfo& pair);

// Class counts kept by every list that reports canonical/non-canonical/other.
struct ClassCounts {
  int canonical = 0;
  int nonCanonical = 0;
  int other = 0;
  void add(const BPInfo& pair);
  int total() const { return canonical + nonCanonical + other; }
};

// Identity order: chains, then residue number and insertion code of each end.
int compBasePairId(const BPInfo& a, const BPInfo& b);
// First edge annotation and orientation; W, + and - count as one class.
int compareEdges(const BPInfo& a, const BPInfo& b);

// Sorts a list in identity order (stable, so equal ids keep input order).
void sortByPairId(std::vector<BPInfo>& pairs);

}  // namespace bexora
