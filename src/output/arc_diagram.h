// An arc diagram of a chain's written pairs as a plain SVG 1.1 document:
// the residues along a line (broken where residues are missing), one arc per
// pair coloured by provenance, canonical pairs above the line and the other
// families dashed below it, a legend with the counts and a title. Thin arcs
// and sparse numbers keep a 1,500-residue chain readable at A4 width.
#pragma once

#include <string>
#include <vector>

#include "output/secondary_structure.h"

namespace bexora {

// What the arcs of one LinePair::source look like and what the legend calls them.
struct ArcKey {
  int32_t source;
  const char* colour;
  std::string name;
};

// Arcs coloured by provenance; `method` names the tool whose own pairs the legend counts.
std::string drawArcDiagram(const SecondaryStructure& structure, const std::string& title, int method);
// Arcs coloured by `keys`, drawn and listed in their order; a pair whose
// source no key names takes the key of source 0.
std::string drawArcDiagram(const SecondaryStructure& structure, const std::string& title,
                           const std::vector<ArcKey>& keys);

}  // namespace bexora
