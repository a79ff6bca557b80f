// Output files written completely or not at all. A group of files is written
// under unique temporary names beside their final ones (created exclusively,
// so a link planted in the output folder is never followed), every write and
// close is checked and the data flushed to disk, and only then are all of
// them renamed to their final names together, under an advisory lock on the
// output folder so that two runs never interleave the files of one group.
// The temporary names in use are listed for the whole process, however many
// threads stage at once, so that a signal handler can remove them with
// removeStagedFiles().
#pragma once

#include <cstdio>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "util/reporter.h"

namespace bexora {

// Lock file in the output folder: held exclusively while a run renames its
// files there; a reader wanting one run's files together takes it shared.
constexpr const char* kOutputLockName = ".bexora.lock";

// A temporary name in the process-wide list of staged files.
struct StagedName {
  std::string name;
  bool listed = false;  // the file exists under `name` and is not yet renamed
  StagedName* previous = nullptr;
  StagedName* next = nullptr;
};

class OutputGroup {
 public:
  // `outputFolder` holds the lock file; files of the group may lie in it or
  // in subfolders of it, which are created when missing. `reporter` hears
  // when the commit waits for another run's lock. Without `syncEachFile`
  // the owner makes the files and names durable, with syncFileSystem()
  // before and after the commit, for many groups at once.
  explicit OutputGroup(std::string outputFolder, Reporter reporter = Reporter(), bool syncEachFile = true);
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
    std::unique_ptr<StagedName> staged;  // its address is in the process-wide list
    std::FILE* stream = nullptr;
  };

  Entry* createStaged(const std::string& path);
  bool finishStream(Entry& entry);
  bool renameAll();
  void release(Entry& entry);
  void dropStaged(const std::string& path);
  bool fail(const std::string& path);

  std::string folder_;
  Reporter reporter_;
  bool syncEachFile_;
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
// text when all are staged or in place. `reporter` hears when the commit
// waits for another run's lock.
std::string writeFilesTogether(const std::vector<FileText>& files, OutputGroup* group = nullptr,
                               const Reporter& reporter = Reporter());

// Flushes to disk everything written on the file system of `folder`: one
// call for the staged files of many groups before they are committed, and
// once more for their new names after; false on failure.
bool syncFileSystem(const std::string& folder);

// Writes all of `text` to `fd` before a terminating signal can end the
// process, so that a record appended to a file is never cut; false on failure.
bool appendWhole(int fd, std::string_view text);

// Removes every file any group of this process has staged and not committed,
// and keeps any more from being staged or committed: meant for a process
// about to end, from a handler of a terminating signal. Async-signal-safe.
void removeStagedFiles();

}  // namespace bexora
