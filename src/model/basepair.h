// Predicates, classes and identity order of the base-pair record.
// A pair is canonical (Watson-Crick edges on G-C, A-U or G-U), else
// non-canonical (edges from W, H, S), else other; every count uses this.
#pragma once

#include "model/model.h"

namespace bexora {

enum PairClass { kCanonical = 0, kNonCanonical = 1, kOtherPair = 2 };

// A, C, G or U in upper case: a base every table knows.
bool isStandardBase(char c);
// W, H or S in upper case: an edge a kept pair may name.
bool isWHS(char c);
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

// Sorts a list in identity order (stable, so equal ids keep input order).
void sortByPairId(std::vector<BPInfo>& pairs);

}  // namespace bexora
