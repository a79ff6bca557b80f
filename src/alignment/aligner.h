// Global alignment of two nucleotide strings under an affine gap cost, in
// space linear in the second string (divide and conquer). Costs are kept in
// tenths as integers: every cost of the model is a multiple of 0.1, so the
// results equal the double-precision definition exactly.
#pragma once

#include <string>
#include <string_view>

#include "util/reporter.h"

namespace bexora {

// Aligns a with b. Residues are bytes compared as they are: every byte value
// is its own residue, and a byte outside A, C, G, U costs the full
// replacement against any other byte. With a script, fills it with one
// character per column: '!' identical, '|' replaced, 'x' residue of a against
// a gap, '-' residue of b against a gap. Without a script (cost-only) only
// the cost is computed.
// Reports "Sufficient memory is not available to process the data" and
// returns false when memory runs out.
bool MMAlign(std::string_view a, std::string_view b, std::string* script, double* cost, const Reporter& reporter);

// The cost of an alignment script, recomputed column by column; -1 when the
// script does not fit the two strings (wrong lengths, a '!' on different
// residues, a '|' on equal ones, an unknown character).
double scriptCost(std::string_view a, std::string_view b, std::string_view script);

}  // namespace bexora
