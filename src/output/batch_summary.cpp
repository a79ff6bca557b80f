#include "output/batch_summary.h"

#include <fcntl.h>
#include <unistd.h>

#include "util/staged_output.h"
#include "util/tokenizer.h"

namespace bexora {

std::string batchSummaryHeader(bool withConsensus) {
  std::string header = "ref_id\tref_chain\ttarget_id\ttarget_chain\tmethods\tstatus";
  for (int m = 0; m < kMethodCount; ++m)
    for (const char* count : {"written", "both", "bexora", "own"})
      header += std::string("\t") + methodToken(m) + "_" + count;
  for (int c = 0; withConsensus && c < kConsensusClasses; ++c)
    header += std::string("\tconsensus_") + className(static_cast<ConsensusClass>(c));
  return header + "\n";
}

std::string batchSummaryRow(const BatchSummaryRow& summary, bool withConsensus) {
  std::string row;
  for (const std::string& name : summary.names) row += escapeControls(name) + "\t";
  row += summary.methods + "\t" + (summary.ok ? "ok" : "failed");
  for (const std::optional<WriteSummary>& written : summary.written) {
    if (!written) {
      row += "\t-\t-\t-\t-";
      continue;
    }
    for (int count : {written->pairs, written->both, written->bexora, written->own}) row += "\t" + std::to_string(count);
  }
  for (int c = 0; withConsensus && c < kConsensusClasses; ++c)
    row += "\t" + (summary.consensus ? std::to_string((*summary.consensus)[c]) : std::string("-"));
  return row + "\n";
}

BatchSummaryRecord::BatchSummaryRecord(const std::string& path, bool withConsensus)
    : withConsensus_(withConsensus) {
  if (writeFilesTogether({{path, batchSummaryHeader(withConsensus)}}).empty())
    fd_ = open(path.c_str(), O_WRONLY | O_APPEND | O_NOFOLLOW | O_CLOEXEC);
}

BatchSummaryRecord::~BatchSummaryRecord() {
  if (fd_ >= 0) close(fd_);
}

void BatchSummaryRecord::add(const BatchSummaryRow& row) const {
  if (fd_ >= 0) appendWhole(fd_, batchSummaryRow(row, withConsensus_));
}

bool writeBatchSummary(const std::string& path, const std::vector<BatchSummaryRow>& rows, bool withConsensus) {
  std::string text = batchSummaryHeader(withConsensus);
  for (const BatchSummaryRow& row : rows) text += batchSummaryRow(row, withConsensus);
  return writeFilesTogether({{path, text}}).empty();
}

}  // namespace bexora
