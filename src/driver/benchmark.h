// The built-in benchmark: per phase, the reference/target pairs of every
// pass slot, the pass range and the edge-comparison setting. Phase 0 carries
// reference pairs directly onto each target; phase 1 chains two transfers.
#pragma once

#include "driver/command_line.h"

namespace bexora {

struct PassPlan {
  int passStart = 0;
  int passEnd = 0;  // inclusive
  int passStep = 1;
  int compareEdgeSetting = 1;
};

// Fills the pair slots and method list of `settings` for the phase
// (0 regular, any other value enhanced) and returns its passes.
PassPlan benchmarkPassPlan(int phase, RunSettings& settings);

}  // namespace bexora
