// The four one-line text forms of a base pair: the compact Bexora form, an
// MC-Annotate-style line, an RNAView-style pair line and stacking line.
// Each returns the line without its newline.
#pragma once

#include <string>

#include "model/model.h"

namespace bexora {

std::string formatPairBexora(const BPInfo& pair);
std::string formatPairMCAnnotate(const BPInfo& pair);
std::string formatPairRNAView(const BPInfo& pair);
std::string formatPairRNAViewStack(const BPInfo& pair);

// W/W becomes +/+ on C-G and -/- on A-U (either order); all else unchanged.
void convertToRNAViewEdgeFormat(char& edgeLetter1, char& edgeLetter2, const BPInfo& pair);

}  // namespace bexora
