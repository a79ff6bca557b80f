// Recommending a reference chain for a target from a candidate list, by
// sequence alignment cost alone: the candidate of least cost wins (strictly
// smaller; the earliest of equal costs is kept). Every candidate, with its
// cost, identity, target coverage and rank, is also handed back for the
// candidate table.
#pragma once

#include <string>
#include <vector>

#include "util/reporter.h"

namespace bexora {

// One candidate as the table lists it.
struct CandidateRow {
  std::string pdbId;
  std::string chain;
  std::size_t length = 0;  // of its sequence; 0 when it has none
  std::size_t rank = 0;    // 1 is the recommendation; 0: not ranked
  double cost = 0;         // when ranked
  bool shaped = false;     // identity and coverage measured (the best-ranked only)
  double identity = 0;     // identical columns over all columns
  double coverage = 0;     // target residues facing a candidate residue over the target's length
  const char* status = "";
};

struct CandidateRanking {
  std::string targetId;
  std::string targetChain;
  std::vector<CandidateRow> rows;  // in list order
};

// Runs the "-R" mode on inputFolder + listFileName and fills `ranking`;
// returns the exit status (0 on success, 1 when the run ended on a failure,
// and `ranking` is then not to be written). Every message and the
// "candidate" records go to `reporter`.
int findBestReference(const std::string& listFileName, const std::string& inputFolder, CandidateRanking& ranking,
                      const Reporter& reporter);

}  // namespace bexora
