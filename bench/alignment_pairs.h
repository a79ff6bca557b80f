// Inputs and timing shared by the pair-alignment benchmarks: a seeded
// rRNA-like pair of about 3,000 residues, the 16S pair of the real data when
// it is there, and the least time of several runs.
#pragma once

#include <algorithm>
#include <chrono>
#include <random>
#include <string>
#include <vector>

#include "alignment/fasta.h"

namespace bench {

struct Pair {
  std::string name, a, b;
  double cells() const { return static_cast<double>(a.size()) * static_cast<double>(b.size()); }
};

// Transitions (A-G, C-U) are twice as common as transversions in rRNA.
inline char substituted(std::mt19937& random, char c) {
  const char transition = c == 'A' ? 'G' : c == 'G' ? 'A' : c == 'C' ? 'U' : 'C';
  return random() % 3 < 2 ? transition : "ACGU"[random() % 4];
}

// Slightly GC-rich, like ribosomal RNA.
inline std::string ancestor(std::mt19937& random, std::size_t length) {
  std::string text(length, 'A');
  for (char& c : text) c = "AACCCGGGUU"[random() % 10];
  return text;
}

// A descendant: about 6 % substitutions and a short insertion or deletion
// every 60 residues.
inline std::string descendant(std::mt19937& random, const std::string& text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    unsigned roll = random() % 120;
    if (roll == 0) i += random() % 6;
    if (roll == 1) out += ancestor(random, 1 + random() % 6);
    if (i < text.size()) out.push_back(roll < 9 ? substituted(random, text[i]) : text[i]);
  }
  return out;
}

inline std::vector<Pair> benchmarkPairs() {
  std::mt19937 random(3000);
  const std::string root = ancestor(random, 3000);
  std::vector<Pair> pairs{{"generated rRNA-like", descendant(random, root), descendant(random, root)}};
  std::vector<std::string> sequences;
  if (bexora::readFastaSeqList(std::string(BEXORA_REALDATA) + "/pdb_seqres.na.fa", {"1FJG", "3JBV"}, {"A", "A"},
                               sequences, bexora::Reporter()) &&
      !sequences[0].empty() && !sequences[1].empty())
    pairs.push_back({"16S 1FJG A / 3JBV A", sequences[0], sequences[1]});
  return pairs;
}

// Least wall time of several runs, in seconds: the machine is shared, and
// the fastest run is the least disturbed.
template <class Work>
double bestSeconds(int runs, Work&& work) {
  double best = 1e30;
  for (int i = 0; i < runs; ++i) {
    auto start = std::chrono::steady_clock::now();
    work();
    best = std::min(best, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
  }
  return best;
}

}  // namespace bench
