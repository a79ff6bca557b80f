// batch_summary.tsv, one row per manifest line: the pair, its methods, ok
// or failed, each tool's written, Both, Bexora and own counts, and with a
// consensus its count of rows per class. While the
// batch runs the file records each finished pair's row whole; the complete
// summary in manifest order replaces it at the end.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "model/model.h"
#include "output/annotation_writer.h"
#include "output/consensus.h"

namespace bexora {

constexpr const char* kBatchSummaryName = "batch_summary.tsv";

struct BatchSummaryRow {
  std::array<std::string, 4> names;  // reference id and chain, target id and chain, as read
  std::string methods;
  bool ok = false;
  std::array<std::optional<WriteSummary>, kMethodCount> written;
  std::optional<ClassTally> consensus;
};

// `withConsensus`: the columns of the consensus classes follow the tools'.
std::string batchSummaryHeader(bool withConsensus);
// A row with its line end; the names are escaped, since a line that names
// no usable pair is quoted as read.
std::string batchSummaryRow(const BatchSummaryRow& row, bool withConsensus);

// The summary while the batch runs: the header, then one row per pair as it
// finishes, each appended whole, so that a batch ended by a signal leaves
// the rows of the pairs it finished.
class BatchSummaryRecord {
 public:
  BatchSummaryRecord(const std::string& path, bool withConsensus);
  ~BatchSummaryRecord();
  BatchSummaryRecord(const BatchSummaryRecord&) = delete;
  BatchSummaryRecord& operator=(const BatchSummaryRecord&) = delete;

  void add(const BatchSummaryRow& row) const;

 private:
  int fd_ = -1;
  bool withConsensus_;
};

// The complete summary, written whole or not at all; false when it cannot be.
bool writeBatchSummary(const std::string& path, const std::vector<BatchSummaryRow>& rows, bool withConsensus);

}  // namespace bexora
