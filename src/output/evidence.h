// The evidence file of one assessment: a tab-separated row for every pair
// of the four assessed groups, with the distances each test compared on
// both sides and the test that decided the pair, so that a reader can redo
// every decision from its row alone.
#pragma once

#include <string>

#include "mapping/mapping.h"
#include "util/staged_output.h"

namespace bexora {

// The words the file uses for a group and a reason.
const char* groupName(AssessGroup group);
const char* reasonName(AssessReason reason);

// The file's text: a header line, then one row per record of state.evidence.
std::string evidenceTable(const MappingState& state);

// Writes evidenceTable whole or not at all, or stages it into `group` for
// the caller to commit with the annotation; false when it cannot be written.
bool writeEvidenceFile(const std::string& path, const MappingState& state,
                       OutputGroup* group = nullptr);

}  // namespace bexora
