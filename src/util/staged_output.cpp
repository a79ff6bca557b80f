#include "util/staged_output.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <set>

namespace bexora {

namespace {

// Holds back the terminating signals for its lifetime, so that a handler
// never runs in a thread that holds the registry below.
class SignalsHeld {
 public:
  SignalsHeld() {
    sigset_t held;
    sigemptyset(&held);
    for (int sig : {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGPIPE}) sigaddset(&held, sig);
    pthread_sigmask(SIG_BLOCK, &held, &previous_);
  }
  ~SignalsHeld() { pthread_sigmask(SIG_SETMASK, &previous_, nullptr); }
  SignalsHeld(const SignalsHeld&) = delete;
  SignalsHeld& operator=(const SignalsHeld&) = delete;

 private:
  sigset_t previous_;
};

// The staged names of the whole process, a list a signal handler walks
// without allocating. Creating a staged file and listing its name, renaming
// it and delisting the name, are sections that threads run with the
// terminating signals held back, many at once; a handler in any other
// thread first closes the sections to newcomers and waits for those inside
// to leave, so it never meets a file created and not yet listed. Counting
// in and checking the closing flag (and the handler the other way round)
// are sequentially consistent, so one of the two always sees the other.
std::atomic<int> gThreadsInSections{0};
std::atomic<bool> gSectionsClosed{false};
std::atomic_flag gListBusy = ATOMIC_FLAG_INIT;  // the list's links, changed by one section at a time
StagedName* gStagedNames = nullptr;

// A section of a process whose staged files are removed waits for its end.
void waitForTheEnd() {
  for (;;) pause();
}

class RegistryHeld {
 public:
  RegistryHeld() {
    ++gThreadsInSections;
    if (!gSectionsClosed) return;
    --gThreadsInSections;  // the handler waits for those inside only
    waitForTheEnd();
  }
  ~RegistryHeld() { --gThreadsInSections; }
  RegistryHeld(const RegistryHeld&) = delete;
  RegistryHeld& operator=(const RegistryHeld&) = delete;

 private:
  SignalsHeld signals_;
};

class ListHeld {
 public:
  ListHeld() {
    while (gListBusy.test_and_set(std::memory_order_acquire)) sched_yield();
  }
  ~ListHeld() { gListBusy.clear(std::memory_order_release); }
  ListHeld(const ListHeld&) = delete;
  ListHeld& operator=(const ListHeld&) = delete;
};

void enlist(StagedName& name) {
  ListHeld held;
  name.listed = true;
  name.next = gStagedNames;
  if (gStagedNames) gStagedNames->previous = &name;
  gStagedNames = &name;
}

void delist(StagedName& name) {
  ListHeld held;
  name.listed = false;
  (name.previous ? name.previous->next : gStagedNames) = name.next;
  if (name.next) name.next->previous = name.previous;
  name.previous = name.next = nullptr;
}

// Read once before main: reading the mask means setting it, and a pair
// thread setting it while another creates a file would change that file's
// mode, or leave the process with a cleared mask.
const mode_t kNewFileMode = [] {
  mode_t mask = umask(0);
  umask(mask);
  return static_cast<mode_t>(0666 & ~mask);
}();

std::string folderKey(const std::filesystem::path& folder) { return (folder / "").lexically_normal().string(); }

// A subfolder of the output folder is created when missing and must be a
// real folder: a link there would lead the files out of the output folder.
bool subfolderUsable(const std::string& outputFolder, const std::string& path) {
  std::filesystem::path folder = std::filesystem::path(path).parent_path();
  if (folder.empty() || folderKey(folder) == folderKey(outputFolder)) return true;
  if (mkdir(folder.c_str(), 0777) != 0 && errno != EEXIST) return false;
  struct stat info;
  return lstat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// A folder in the way fails a rename; checked for all files before any is
// renamed, so the usual failure leaves the whole group uncommitted.
bool folderInTheWay(const std::string& path) {
  struct stat info;
  return lstat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

void syncFolder(const std::string& folder) {
  int fd = open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  fsync(fd);
  close(fd);
}

// Opens the lock file with what its mode allows: flock needs no write
// access, so a folder shared by a group works whoever created the file.
int openLockFile(const std::string& path) {
  int fd = open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0666);
  for (int mode : {O_RDONLY, O_WRONLY})
    if (fd < 0 && errno == EACCES) fd = open(path.c_str(), mode | O_NOFOLLOW | O_CLOEXEC);
  return fd;
}

// Locks `fd`, trying for a second before telling that the run waits.
bool lockExclusively(int fd, const std::string& path, const Reporter& reporter) {
  constexpr int kTries = 100;
  constexpr useconds_t kPause = 10000;
  for (int tried = 0; tried < kTries; ++tried) {
    if (flock(fd, LOCK_EX | LOCK_NB) == 0) return true;
    if (errno != EWOULDBLOCK && errno != EINTR) return false;
    usleep(kPause);
  }
  reporter.say("Waiting for %s: another run holds it.\n", path.c_str());
  while (flock(fd, LOCK_EX) != 0)
    if (errno != EINTR) return false;
  return true;
}

// The output folder's lock, held exclusively until destruction.
class FolderLock {
 public:
  FolderLock(const std::string& outputFolder, const Reporter& reporter) {
    std::string path = (std::filesystem::path(outputFolder) / kOutputLockName).string();
    fd_ = openLockFile(path);
    if (fd_ >= 0 && !lockExclusively(fd_, path, reporter)) {
      close(fd_);
      fd_ = -1;
    }
  }
  ~FolderLock() {
    if (fd_ >= 0) close(fd_);
  }
  FolderLock(const FolderLock&) = delete;
  FolderLock& operator=(const FolderLock&) = delete;
  bool held() const { return fd_ >= 0; }

 private:
  int fd_ = -1;
};

}  // namespace

OutputGroup::OutputGroup(std::string outputFolder, Reporter reporter, bool syncEachFile)
    : folder_(std::move(outputFolder)), reporter_(std::move(reporter)), syncEachFile_(syncEachFile) {}

OutputGroup::~OutputGroup() { discard(); }

bool OutputGroup::fail(const std::string& path) {
  failedPath_ = path;
  return false;
}

OutputGroup::Entry* OutputGroup::createStaged(const std::string& path) {
  dropStaged(path);
  if (!subfolderUsable(folder_, path)) return nullptr;
  auto staged = std::make_unique<StagedName>();
  staged->name = path + ".XXXXXX";
  int fd = -1;
  {
    RegistryHeld held;
    fd = mkostemp(staged->name.data(), O_CLOEXEC);
    if (fd >= 0) enlist(*staged);
  }
  if (fd < 0) return nullptr;
  fchmod(fd, kNewFileMode);
  entries_.push_back({path, std::move(staged), fdopen(fd, "w")});
  if (entries_.back().stream) return &entries_.back();
  close(fd);
  dropStaged(path);
  return nullptr;
}

bool OutputGroup::stage(const std::string& path, const std::string& content) {
  Entry* entry = createStaged(path);
  if (!entry) return fail(path);
  std::fwrite(content.data(), 1, content.size(), entry->stream);
  return finishStream(*entry);
}

std::FILE* OutputGroup::openStream(const std::string& path) {
  Entry* entry = createStaged(path);
  if (!entry) fail(path);
  return entry ? entry->stream : nullptr;
}

bool OutputGroup::finishStream(Entry& entry) {
  if (!entry.stream) return true;
  bool ok = std::fflush(entry.stream) == 0 && !std::ferror(entry.stream);
  if (syncEachFile_) ok = fsync(fileno(entry.stream)) == 0 && ok;
  ok = std::fclose(entry.stream) == 0 && ok;
  entry.stream = nullptr;
  return ok || fail(entry.path);
}

bool OutputGroup::finishStreams() {
  bool ok = true;
  for (Entry& entry : entries_) ok = finishStream(entry) && ok;
  return ok;
}

// Renames the files in order; the first that could not be renamed, or was
// removed by removeStagedFiles(), fails the call (after the section, since
// recording it allocates).
bool OutputGroup::renameAll() {
  const Entry* failed = nullptr;
  {
    RegistryHeld held;
    for (Entry& entry : entries_) {
      if (!entry.staged->listed || std::rename(entry.staged->name.c_str(), entry.path.c_str()) != 0) {
        failed = &entry;
        break;
      }
      delist(*entry.staged);
    }
  }
  return !failed || fail(failed->path);
}

bool OutputGroup::commit() {
  if (!finishStreams()) return false;
  FolderLock lock(folder_, reporter_);
  if (!lock.held()) return fail((std::filesystem::path(folder_) / kOutputLockName).string());
  for (const Entry& entry : entries_)
    if (folderInTheWay(entry.path)) return fail(entry.path);
  if (!renameAll()) return false;
  if (!syncEachFile_) {
    entries_.clear();
    return true;
  }
  std::set<std::string> folders;
  for (const Entry& entry : entries_) folders.insert(std::filesystem::path(entry.path).parent_path().string());
  entries_.clear();
  for (const std::string& folder : folders) syncFolder(folder);
  return true;
}

void OutputGroup::release(Entry& entry) {
  if (entry.stream) std::fclose(entry.stream);
  entry.stream = nullptr;
  RegistryHeld held;
  if (!entry.staged->listed) return;
  std::remove(entry.staged->name.c_str());
  delist(*entry.staged);
}

void OutputGroup::dropStaged(const std::string& path) {
  for (auto entry = entries_.begin(); entry != entries_.end(); ++entry)
    if (entry->path == path) {
      release(*entry);
      entries_.erase(entry);
      return;
    }
}

void OutputGroup::discard() {
  for (Entry& entry : entries_) release(entry);
  entries_.clear();
}

std::string OutputGroup::stagedName(const std::string& path) const {
  for (const Entry& entry : entries_)
    if (entry.path == path && entry.staged->listed) return entry.staged->name;
  return "";
}

std::string writeFilesTogether(const std::vector<FileText>& files, OutputGroup* group, const Reporter& reporter) {
  if (files.empty()) return std::string();
  OutputGroup own(std::filesystem::path(files.front().path).parent_path().string(), reporter);
  OutputGroup& into = group ? *group : own;
  for (const FileText& file : files)
    if (!into.stage(file.path, file.content)) return into.failedPath();
  if (group || own.commit()) return std::string();
  return own.failedPath();
}

bool syncFileSystem(const std::string& folder) {
  int fd = open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return false;
  bool synced = syncfs(fd) == 0;
  close(fd);
  return synced;
}

bool appendWhole(int fd, std::string_view text) {
  RegistryHeld held;
  while (!text.empty()) {
    ssize_t written = write(fd, text.data(), text.size());
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    text.remove_prefix(static_cast<std::size_t>(written));
  }
  return true;
}

void removeStagedFiles() {
  gSectionsClosed = true;
  while (gThreadsInSections != 0) sched_yield();
  for (StagedName* staged = gStagedNames; staged; staged = staged->next) {
    unlink(staged->name.c_str());
    staged->listed = false;
  }
  gStagedNames = nullptr;
}

}  // namespace bexora
