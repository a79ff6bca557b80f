// What every annotation reader hands back (the chain's pairs, the non-pair
// lines the enhanced writer copies into the tool's layout, the layout the
// file was recognised in, and counts of lines read and of lines that fit no
// pattern of the tool), the options the readers share, and the line loop
// they share. Kept lines travel in memory, so no scratch file is written in
// the working directory.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "model/model.h"
#include "util/reporter.h"

namespace bexora {

struct AnnotationReadOptions {
  // Modified nucleotides (PSU, 2MG, RNAView's P and lower-case letters) are
  // read as the base they were made from instead of their name's first letter.
  bool modifiedAsParent = false;
  // FR3D's near interactions (ncWW, ntSH, ...) counted as pairs in its
  // comma-separated layout, as the benchmark's inputs were annotated; else
  // they are no pairs, as in every other layout.
  bool nearPairsArePairs = false;
};

struct AnnotationOutput {
  std::vector<BPInfo> pairs;           // at most kMaxBasePairs, sorted by compBasePairId
  std::vector<std::string> keptLines;  // in file order, without line ends
  std::string layout;                  // the recognised file layout; empty when none was
  std::size_t linesRead = 0;           // non-blank lines
  std::size_t skippedLines = 0;        // lines of a recognised layout that fit none of its patterns
};

// What became of one row of a tabular annotation file.
enum class RowOutcome { kUsed, kDropped, kMalformed, kListFull };

// Where a reader reads from and for which chain, and whom it tells.
struct AnnotationSource {
  const std::string& path;
  const std::string& chain;
  const Reporter& reporter;
};

// Resets `out`, then hands every non-blank line of the file, leading blanks
// removed, with its line number to `handle` until it returns false; calls
// `finish` (when given) at the end of the lines, then sorts the pairs, drops
// pairs of a residue with itself and exact repeats (one warning per kind),
// and reports an empty result or unusual residue letters. A missing or
// unreadable file is reported, naming it, and gives false.
bool readAnnotationLines(const AnnotationSource& source, AnnotationOutput& out,
                         const std::function<bool(std::string_view, long)>& handle,
                         const std::function<void()>& finish = {});

// Counts a malformed row; a full list is warned about, naming the file, and
// gives false so the reading stops.
bool tallyRow(RowOutcome outcome, const AnnotationSource& source, AnnotationOutput& out);

// Appends a pair while the list has room; the first pair beyond it is
// warned about once, naming the file.
void appendPairWithinLimit(AnnotationOutput& out, const BPInfo& pair, const AnnotationSource& source,
                           bool& limitWarned);

// The one-letter base of a residue name as the tool wrote it: its first
// character, or under `modifiedAsParent` the parent of a known name.
char residueLetter(std::string_view name, const AnnotationReadOptions& options);

}  // namespace bexora
