// Recommending a reference chain for a target from a candidate list, by
// sequence alignment cost alone: the candidate of least cost wins (strictly
// smaller; the earliest of equal costs is kept).
#pragma once

#include <string>

#include "util/reporter.h"

namespace bexora {

// Runs the "-R" mode on inputFolder + listFileName; returns the exit status
// (0 on success, 1 when the run ended on a failure). Every message and the
// "candidate" records go to `reporter`.
int findBestReference(const std::string& listFileName, const std::string& inputFolder, const Reporter& reporter);

}  // namespace bexora
