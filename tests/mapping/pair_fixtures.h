// Hand-built residue maps for the mapping and writer tests; their pairs come
// from util/record_fixtures.h.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "model/model.h"
#include "util/record_fixtures.h"

namespace bexora::test {

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
