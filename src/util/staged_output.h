// Output files written completely or not at all. A group of files is written
// under unique temporary names beside their final ones (created exclusively,
// so a link planted in the output folder is never followed), every write and
// close is checked and the data flushed to disk, and only then are all of
// them renamed to their final names together, under an advisory lock on the
// output folder so that two runs never interleave the files of one group.
// The temporary names in use are kept in a fixed table, shared by the
// threads of a batch, that a signal handler can empty with removeStagedFiles().
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>
#include <vector>

namespace bexora {

// Lock file in the output folder: held exclusively while a run renames its
// files there; a reader wanting one run's files together takes it shared.
constexpr const char* kOutputLockName = ".bexora.lock";

// Temporary files one process may hold at once; staging past it fails. A
// batch pair with a consensus holds all its files (up to 34) until its end,
// so that many pairs at once can stage theirs.
constexpr std::size_t kMaxStagedFiles = 1024;

class OutputGroup {
 public:
  // `outputFolder` holds the lock file; files of the group may lie in it or
  // in subfolders of it, which are created when missing.
  explicit OutputGroup(std::string outputFolder);
  ~OutputGroup();  // removes whatever was staged and not committed
  OutputGroup(const OutputGroup&) = delete;
  OutputGroup& operator=(const OutputGroup&) = delete;

  // Writes `content` under a temporary name for `path`, replacing what the
  // group staged for it before; false when it could not be written completely.
  bool stage(const std::string& path, const std::string& content);
  // A stream for a file written piece by piece, owned by the group and
  // checked when it is finished; nullptr when it cannot be created.
  std::FILE* openStream(const std::string& path);
  // Closes every stream, checking that all was written; false on failure.
  bool finishStreams();
  // Renames every staged file to its final name, with termination signals
  // held back meanwhile; false when a file could not be finished or renamed.
  bool commit();
  // Drops every staged file without committing it.
  void discard();

  // The temporary name under which `path` is staged ("" when it is not).
  std::string stagedName(const std::string& path) const;
  // The final name of the file that made the last call fail.
  const std::string& failedPath() const { return failedPath_; }

 private:
  struct Entry {
    std::string path;
    int slot = -1;
    std::FILE* stream = nullptr;
  };

  Entry* createStaged(const std::string& path);
  bool finishStream(Entry& entry);
  void release(Entry& entry);
  void dropStaged(const std::string& path);
  bool fail(const std::string& path);

  std::string folder_;
  std::vector<Entry> entries_;
  std::string failedPath_;
};

struct FileText {
  std::string path;
  std::string content;
};

// Stages `files` into `group`, for its owner to commit with others, or, when
// `group` is null, commits them together at once under the lock of the first
// file's folder. Returns the final name of the file that failed, or an empty
// text when all are staged or in place.
std::string writeFilesTogether(const std::vector<FileText>& files, OutputGroup* group = nullptr);

// Removes every file any group of this process has staged and not committed.
// Async-signal-safe: meant for a handler of a terminating signal.
void removeStagedFiles();

}  // namespace bexora
