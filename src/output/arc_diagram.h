// An arc diagram of a chain's written pairs as a plain SVG 1.1 document:
// the residues along a line (broken where residues are missing), one arc per
// pair coloured by provenance, canonical pairs above the line and the other
// families dashed below it, a legend with the counts and a title. Thin arcs
// and sparse numbers keep a 1,500-residue chain readable at A4 width.
#pragma once

#include <string>

#include "output/secondary_structure.h"

namespace bexora {

// `method` names the tool whose own pairs the legend counts.
std::string drawArcDiagram(const SecondaryStructure& structure, const std::string& title, int method);

}  // namespace bexora
