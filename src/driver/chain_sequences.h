// The chain sequences a pass aligns: from pdb_seqres.na.fa in the input
// folder, and for a chain that file lacks (or all chains, when it is not
// there) from the chain's structure file.
#pragma once

#include "driver/pipeline.h"

namespace bexora {

// Fills state.refSeqsMap for both sides of `pass`; false after a message
// naming the id, the chain and the files looked at when a side gets none.
bool readChainSequences(RunState& state, int pass);

}  // namespace bexora
