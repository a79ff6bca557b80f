#include "output/batch_summary.h"

#include <fcntl.h>
#include <unistd.h>

#include "util/staged_output.h"
#include "util/tokenizer.h"

namespace bexora {

std::string batchSummaryHeader() {
  std::string header = "ref_id\tref_chain\ttarget_id\ttarget_chain\tmethods\tstatus";
  for (int m = 0; m < kMethodCount; ++m)
    for (const char* count : {"written", "both", "bexora", "own"})
      header += std::string("\t") + methodToken(m) + "_" + count;
  return header + "\n";
}

std::string batchSummaryRow(const BatchSummaryRow& summary) {
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
  return row + "\n";
}

BatchSummaryRecord::BatchSummaryRecord(const std::string& path) {
  if (writeFilesTogether({{path, batchSummaryHeader()}}).empty())
    fd_ = open(path.c_str(), O_WRONLY | O_APPEND | O_NOFOLLOW | O_CLOEXEC);
}

BatchSummaryRecord::~BatchSummaryRecord() {
  if (fd_ >= 0) close(fd_);
}

void BatchSummaryRecord::add(const BatchSummaryRow& row) const {
  if (fd_ >= 0) appendWhole(fd_, batchSummaryRow(row));
}

bool writeBatchSummary(const std::string& path, const std::vector<BatchSummaryRow>& rows) {
  std::string text = batchSummaryHeader();
  for (const BatchSummaryRow& row : rows) text += batchSummaryRow(row);
  return writeFilesTogether({{path, text}}).empty();
}

}  // namespace bexora
