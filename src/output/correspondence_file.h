// The residue correspondence of a run as REF_RC_TARGET_TC.aln, one residue
// pair a line in the token form the structure-alignment reader takes
// (A:10<->B:12, an insertion code after the number), so that it can be
// inspected or given back as input.
#pragma once

#include <string>

#include "model/model.h"

namespace bexora {

std::string correspondenceFileName(const ResidueMapPair& pdbMap);

std::string correspondenceText(const ResidueMapPair& pdbMap);

}  // namespace bexora
