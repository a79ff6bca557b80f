// Hand-built base pairs and residue maps for the mapping and writer tests.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "driver/model.h"

namespace bexora::test {

inline BPInfo makePair(int r0, int r1, char n0, char n1, const char* e0, const char* e1, char orientation,
                       int source = kSourceTool, const char* chain = "A") {
  BPInfo pair = makeEmptyBPInfo();
  setField(pair.chainId[0], chain);
  setField(pair.chainId[1], chain);
  pair.resSeqNo[0] = r0;
  pair.resSeqNo[1] = r1;
  pair.nucleotide[0] = n0;
  pair.nucleotide[1] = n1;
  setField(pair.edge[0][0], e0);
  setField(pair.edge[0][1], e1);
  pair.edgeCount = 1;
  pair.orientation = orientation;
  pair.source = source;
  return pair;
}

inline void fillChain(StructureResidueMap& side, const char* pdbId, const char* chain, const char* partner,
                      const std::string& letters, double dpi) {
  setField(side.pdbId, pdbId);
  side.dpi = dpi;
  side.chainCount = 1;
  setField(side.chain.chainId, chain);
  setField(side.chain.pairChainId, partner);
  for (std::size_t i = 0; i < letters.size(); ++i)
    side.chain.entries.push_back(ResidueMapEntry{letters[i], 0, static_cast<int32_t>(i + 1), ' ', -1});
}

// Residues of chain A numbered from 1 with the given letters; `links`
// couples a reference residue number with a target residue number.
inline ResidueMapPair makeMap(const std::string& referenceLetters, const std::string& targetLetters,
                              const std::vector<std::pair<int, int>>& links, double dpiReference = 0,
                              double dpiTarget = 0) {
  ResidueMapPair map;
  fillChain(map[kReference], "1AAA", "A", "A", referenceLetters, dpiReference);
  fillChain(map[kTarget], "2BBB", "A", "A", targetLetters, dpiTarget);
  for (auto [r, t] : links) {
    map[kReference].chain.entries[r - 1].mapIndex = t - 1;
    map[kTarget].chain.entries[t - 1].mapIndex = r - 1;
  }
  return map;
}

inline ResidueMapPair identityMap(const std::string& letters, double dpiReference = 0, double dpiTarget = 0) {
  std::vector<std::pair<int, int>> links;
  for (int i = 1; i <= static_cast<int>(letters.size()); ++i) links.emplace_back(i, i);
  return makeMap(letters, letters, links, dpiReference, dpiTarget);
}

}  // namespace bexora::test
