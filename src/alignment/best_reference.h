// Recommending a reference chain for a target from a candidate list, by
// sequence alignment cost alone: the candidate of least cost wins (strictly
// smaller; the earliest of equal costs is kept). Every candidate, with its
// cost, identity, target coverage and rank, also goes to a table file.
#pragma once

#include <string>

#include "util/reporter.h"

namespace bexora {

// Runs the "-R" mode on inputFolder + listFileName and writes
// TARGET_C.candidates.tsv into outputFolder (created when missing); returns
// the exit status (0 on success, 1 when the run ended on a failure). Every
// message and the "candidate" records go to `reporter`.
int findBestReference(const std::string& listFileName, const std::string& inputFolder,
                      const std::string& outputFolder, const Reporter& reporter);

}  // namespace bexora
