// --consensus in a single run or batch pair: each tool's result is kept
// after its pass, and at the end the consensus files are staged with the
// tools' annotations and all are committed together.
#pragma once

#include "driver/pipeline.h"

namespace bexora {

// Whether this run writes a consensus: --consensus with two or more methods.
bool consensusWanted(const RunState& state);

// Keeps what the consensus needs of `method`'s pass, which has just written its annotation.
void keepForConsensus(RunState& state, int method);

// Stages the consensus files beside the annotations, commits them all and
// prints the "Consensus:" line; false (the run failed) when a file could not be written.
bool writeConsensus(RunState& state);

}  // namespace bexora
