// The twelve Leontis-Westhof families in one notation across the tools.
// Each tool names edges in its own words (RNAView "+", "-", "s"; MC-Annotate
// "Ww", "Hh", "C8"; FR3D, DSSR's LW column and ClaRNA single letters); one table per
// tool says which Leontis-Westhof edge each word stands for, so that the
// families of two tools can be compared.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "model/model.h"

namespace bexora {

// A family as the pair's residues give it: the first residue's edge, the
// second's, and the glycosidic orientation. "cWH" and "cHW" are one of the
// twelve families, seen from either residue.
struct LwFamily {
  char orientation;  // 'c' or 't'
  char edges[2];     // 'W', 'H' or 'S'

  std::string notation() const { return std::string(1, orientation) + edges[0] + edges[1]; }
  LwFamily swapped() const { return {orientation, {edges[1], edges[0]}}; }
  bool operator==(const LwFamily& other) const { return notation() == other.notation(); }
};

// The Leontis-Westhof edge that `method`'s word `word` names, or NUL for a
// word that names none (a bifurcated or phosphate contact, an unclassified edge).
char lwEdge(int method, std::string_view word);

// The family of a pair as `method` annotated it, or none when an edge or the
// orientation has no Leontis-Westhof counterpart.
std::optional<LwFamily> lwFamily(int method, const BPInfo& pair);

}  // namespace bexora
