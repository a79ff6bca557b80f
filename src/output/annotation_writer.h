// Writing the enhanced annotation of the target and its source-tag file:
// every accepted pair in the tool's layout or the compact Bexora form, and
// the same lines again with a tag saying where each pair came from. Both
// files are written completely or not at all.
#pragma once

#include <string>
#include <vector>

#include "mapping/mapping.h"
#include "model/model.h"
#include "util/reporter.h"
#include "util/staged_output.h"

namespace bexora {

struct WriteSummary {
  int pairs = 0;
  int both = 0;
  int bexora = 0;
  int own = 0;
};

// Appends the tag of a line of the source-tag file, with its line end:
// "  Both", "  Bexora", or the tool's name for the target's own lines.
void printBpSrc(std::string& out, int method, int source);

// Writes pairsInWritingOrder(assessed, keptPairs); both lists stay as they
// are. keptLines are the target reader's non-pair lines. Reports
// "%s file could not be created\n" and returns false when a file cannot be
// written; the folder of the source-tag file is created when missing. Both
// files are committed together at once, or staged into `group` for the
// caller to commit with others.
bool printAcceptedBPInteractions(const std::string& outputPath, const std::string& sourceTagPath,
                                 const std::string& targetPdbId, int method, const std::vector<std::string>& keptLines,
                                 const std::vector<BPInfo>& assessed, const std::vector<BPInfo>& keptPairs,
                                 bool origFormat, const Reporter& reporter, WriteSummary* summary = nullptr,
                                 OutputGroup* group = nullptr);

}  // namespace bexora
