// The candidate table of the "-R" mode, TARGET_C.candidates.tsv: every
// candidate of the list with its cost, identity, target coverage, rank and
// status, tab-separated.
#pragma once

#include <string>

#include "alignment/best_reference.h"
#include "util/reporter.h"

namespace bexora {

std::string candidateTableText(const CandidateRanking& ranking);

// Writes the table whole or not at all into outputFolder (created when
// missing); false, after a message, when it cannot be written.
bool writeCandidateTable(const CandidateRanking& ranking, const std::string& outputFolder, const Reporter& reporter);

}  // namespace bexora
