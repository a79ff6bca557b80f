// The secondary-structure files beside an enhanced annotation: the canonical
// pairs in dot-bracket ("<annotation>.dbn") and BPSEQ (".bpseq"), and the arc
// diagram of every pair (".svg"). The three are written completely or not at
// all.
#pragma once

#include <string>
#include <vector>

#include "model/model.h"
#include "util/reporter.h"
#include "util/staged_output.h"

namespace bexora {

// `observed` are the target chain's residues with atoms, `written` the pairs
// of the annotation at `annotationPath`, `title` names the chain, method and
// reference. Says "%s file could not be created\n" and returns false when a
// file cannot be written. With a group the files are staged into it, for the
// caller to commit with the annotation.
bool writeSecondaryStructureFiles(const std::string& annotationPath, const std::string& title,
                                  const std::string& chainId, const std::vector<ResidueMapEntry>& observed,
                                  const std::vector<BPInfo>& written, int method, const Reporter& reporter,
                                  OutputGroup* group = nullptr);

}  // namespace bexora
