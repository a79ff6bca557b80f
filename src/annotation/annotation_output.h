// What every annotation reader hands back (the chain's pairs, the non-pair
// lines the enhanced writer copies into the tool's layout, and counts of
// lines that fit no pattern of the tool), and the line loop the readers
// share. Kept lines travel in memory, so no scratch file is written in the
// working directory.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "model/model.h"

namespace bexora {

struct AnnotationOutput {
  std::vector<BPInfo> pairs;           // at most kMaxBasePairs, sorted by compBasePairId
  std::vector<std::string> keptLines;  // in file order, without line ends
  std::size_t skippedLines = 0;
};

// What became of one row of a tabular annotation file.
enum class RowOutcome { kUsed, kDropped, kMalformed, kListFull };

// Resets `out`, then hands every non-blank line of the file, leading blanks
// removed, with its line number to `handle` until it returns false; sorts
// the pairs at the end.
// A missing or unreadable file is reported, naming it, and gives false.
bool readAnnotationLines(const std::string& inputPath, AnnotationOutput& out,
                         const std::function<bool(std::string_view, long)>& handle);

// Counts a malformed row; a full list is warned about, naming the file, and
// gives false so the reading stops.
bool tallyRow(RowOutcome outcome, const std::string& inputPath, AnnotationOutput& out);

// Appends a pair while the list has room; the first pair beyond it is
// warned about once, naming the file.
void appendPairWithinLimit(AnnotationOutput& out, const BPInfo& pair, const std::string& inputPath,
                           bool& limitWarned);

}  // namespace bexora
