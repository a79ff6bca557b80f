// A single run: one reference/target pair, every selected tool in turn
// over the shared pass, each tool's files committed on their own.
#pragma once

#include "driver/pipeline.h"

namespace bexora {

// Runs the pair of `state.settings`; returns the exit status.
int runSingle(RunState& state);

}  // namespace bexora
