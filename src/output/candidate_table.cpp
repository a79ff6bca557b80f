#include "output/candidate_table.h"

#include <cstdio>
#include <filesystem>

#include "util/staged_output.h"

namespace bexora {

std::string candidateTableText(const CandidateRanking& ranking) {
  std::string text = "list_position\tpdb_id\tchain\tlength\tcost\tidentity\ttarget_coverage\trank\tstatus\n";
  char numbers[96];
  for (std::size_t k = 0; k < ranking.rows.size(); ++k) {
    const CandidateRow& row = ranking.rows[k];
    text += std::to_string(k + 1) + "\t" + row.pdbId + "\t" + row.chain + "\t" + std::to_string(row.length) + "\t";
    if (row.rank == 0)
      std::snprintf(numbers, sizeof numbers, "-\t-\t-\t-\t");
    else if (!row.shaped)
      std::snprintf(numbers, sizeof numbers, "%.1f\t-\t-\t%zu\t", row.cost, row.rank);
    else
      std::snprintf(numbers, sizeof numbers, "%.1f\t%.4f\t%.4f\t%zu\t", row.cost, row.identity, row.coverage,
                    row.rank);
    text += numbers + std::string(row.status) + "\n";
  }
  return text;
}

bool writeCandidateTable(const CandidateRanking& ranking, const std::string& outputFolder, const Reporter& reporter) {
  const std::string path = outputFolder + ranking.targetId + "_" + ranking.targetChain + ".candidates.tsv";
  std::error_code ignored;
  std::filesystem::create_directories(outputFolder, ignored);
  if (writeFilesTogether({{path, candidateTableText(ranking)}}).empty()) return true;
  reporter.say("%s file could not be created\n", path.c_str());
  return false;
}

}  // namespace bexora
