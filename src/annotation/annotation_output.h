// What every annotation reader hands back: the chain's pairs, the non-pair
// lines the enhanced writer copies into the tool's layout, and counts of
// lines that fit no pattern of the tool. Kept lines travel in memory, so no
// scratch file is written in the working directory.
#pragma once

#include <string>
#include <vector>

#include "driver/model.h"

namespace bexora {

struct AnnotationOutput {
  std::vector<BPInfo> pairs;           // at most kMaxBasePairs, sorted by compBasePairId
  std::vector<std::string> keptLines;  // in file order, without line ends
  std::size_t skippedLines = 0;
};

}  // namespace bexora
