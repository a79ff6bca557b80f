// Hand-built residue maps and base atoms for the mapping and writer tests;
// their pairs come from model/record_fixtures.h.
#pragma once

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "model/model.h"
#include "mapping/geometry.h"
#include "mapping/mapping.h"
#include "model/record_fixtures.h"

namespace bexora::test {

inline void fillChain(StructureResidueMap& side, const char* pdbId, const char* chain, const char* partner,
                      const std::string& letters) {
  setField(side.pdbId, pdbId);
  side.chainCount = 1;
  setField(side.chain.chainId, chain);
  setField(side.chain.pairChainId, partner);
  for (std::size_t i = 0; i < letters.size(); ++i)
    side.chain.entries.push_back(ResidueMapEntry{letters[i], 0, static_cast<int32_t>(i + 1), ' ', -1});
}

// Residues of chain A numbered from 1 with the given letters; `links`
// couples a reference residue number with a target residue number.
inline ResidueMapPair makeMap(const std::string& referenceLetters, const std::string& targetLetters,
                              const std::vector<std::pair<int, int>>& links) {
  ResidueMapPair map;
  fillChain(map[kReference], "1AAA", "A", "A", referenceLetters);
  fillChain(map[kTarget], "2BBB", "A", "A", targetLetters);
  for (auto [r, t] : links) {
    map[kReference].chain.entries[r - 1].mapIndex = t - 1;
    map[kTarget].chain.entries[t - 1].mapIndex = r - 1;
  }
  return map;
}

inline ResidueMapPair identityMap(const std::string& letters) {
  std::vector<std::pair<int, int>> links;
  for (int i = 1; i <= static_cast<int>(letters.size()); ++i) links.emplace_back(i, i);
  return makeMap(letters, letters, links);
}

// Both structures' DPI and the tolerance the driver makes of them.
inline void setDpi(MappingState& state, double reference, double target) {
  state.dpi = {reference, target};
  state.tolerance = toleranceFromDpi(reference, target);
}

struct AtomSpec {
  const char* name;
  double x, y, z;
};
using Residue = std::vector<AtomSpec>;

inline const Residue kGuanine = {{"C1'", -4, 1, 0}, {"C2", -1, 0.5, 0}, {"C5", -2, -1, 0},
                          {"N1", 0, 0, 0},   {"N2", 0, 1, 0},    {"O6", 0, -3, 0}};
inline const Residue kCytosine = {{"C1'", 7, 1, 0},  {"C2", 4, 0.5, 0},    {"C5", 5, -1, 0},
                           {"N3", 2.8, 0, 0}, {"O2", 2.9, -0.9, 0}, {"N4", 4, -3, 0}};
// An adenine in the cytosine's place, with its Watson-Crick atoms.
inline const Residue kAdenine = {{"C1'", 7, 1, 0}, {"C2", 4, 0.5, 0}, {"C5", 5, -1, 0}, {"N1", 2.8, 0, 0}, {"N6", 4, -3, 0}};

// Residues 1 and 2 of chain A, sorted; the second moved by `shift` along the pair's axis.
inline std::vector<AtomInfo> twoResidues(const Residue& first, const Residue& second, double shift = 0) {
  std::vector<AtomInfo> atoms;
  for (const AtomSpec& spec : first) atoms.push_back(makeAtom("A", 1, spec.name, spec.x, spec.y, spec.z));
  for (const AtomSpec& spec : second) atoms.push_back(makeAtom("A", 2, spec.name, spec.x + shift, spec.y, spec.z));
  std::sort(atoms.begin(), atoms.end(), [](const AtomInfo& a, const AtomInfo& b) { return compareAtoms(a, b) < 0; });
  return atoms;
}

}  // namespace bexora::test
