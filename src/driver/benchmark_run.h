// The benchmark modes: the built-in pairs in a regular and an enhanced
// phase over the shared pass, the two logs and the LaTeX tables made of
// them, and the motif reports; everything committed together at the end.
#pragma once

#include "driver/pipeline.h"

namespace bexora {

// Runs the benchmark of `state.settings`; returns the exit status.
int runBenchmark(RunState& state);

}  // namespace bexora
