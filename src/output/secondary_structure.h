// The target chain as a secondary structure: its residues in chain order,
// every written pair placed on them, and the canonical pairs (cis Watson-
// Crick/Watson-Crick A-U, G-C, G-U) nested into bracket orders, written as
// the dot-bracket and BPSEQ texts that other RNA tools read.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "model/model.h"

namespace bexora {

// "()", "[]", "{}", "<>", then "Aa" to "Zz".
constexpr int kBracketOrders = 30;

struct LinePair {
  int first;  // index into the residues, first <= second
  int second;
  int32_t source;
  bool canonical;  // cis Watson-Crick/Watson-Crick A-U, G-C or G-U
  int order;       // bracket order, -1 when the pair is not in the brackets
};

struct SecondaryStructure {
  // Observed residues and those only the pairs name (atoms the structure
  // reader does not keep, such as modified nucleotides), in chain order.
  std::vector<ResidueMapEntry> residues;
  std::vector<LinePair> pairs;     // every pair of the chain, in written order
  std::vector<std::string> notes;  // what the brackets leave out, and why
  bool orderLimitReached = false;
};

// Places the written pairs of chain `chainId` on its observed residues.
// Among canonical pairs sharing a residue the earlier in written order is
// bracketed and the others noted; pairs with another chain are noted too.
SecondaryStructure buildSecondaryStructure(const std::vector<ResidueMapEntry>& observed, const std::string& chainId,
                                           const std::vector<BPInfo>& written);

// Bracket order of each pair (first < second, no position in two pairs);
// -1 for pairs that would need more than `maxOrders` orders. Up to 3,000
// pairs each order is a largest crossing-free set of the pairs left; beyond,
// each pair, shortest first, takes the lowest order it crosses nothing in.
std::vector<int> assignBracketOrders(const std::vector<std::pair<int, int>>& pairs, int maxOrders);

// ">header", the sequence, the brackets, then one "# " line per note.
std::string formatDotBracket(const SecondaryStructure& structure, const std::string& header);
// "position base partner" per residue, partner 0 when unpaired.
std::string formatBpseq(const SecondaryStructure& structure);

}  // namespace bexora
