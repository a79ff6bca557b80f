#include "util/staged_output.h"

#include <fcntl.h>
#include <limits.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <set>

namespace bexora {

namespace {

// Staged names live in static storage so that a signal handler can reach
// them without allocating. A slot's name is only read while its flag is set;
// lock-free atomics keep that read async-signal-safe, and the mutex keeps two
// threads from claiming one slot.
static_assert(std::atomic<bool>::is_always_lock_free, "the signal handler reads the flags");
char gStagedNames[kMaxStagedFiles][PATH_MAX];
std::atomic<bool> gStagedInUse[kMaxStagedFiles];
std::mutex gSlotClaims;

int freeSlot() {
  for (std::size_t i = 0; i < kMaxStagedFiles; ++i)
    if (!gStagedInUse[i].load(std::memory_order_acquire)) return static_cast<int>(i);
  return -1;
}

void releaseSlot(int slot) {
  std::remove(gStagedNames[slot]);
  gStagedInUse[slot].store(false, std::memory_order_release);
}

// Holds back the terminating signals for its lifetime, so that a handler
// never sees a half-registered name or a group half renamed.
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

// The output folder's lock, held exclusively until destruction.
class FolderLock {
 public:
  explicit FolderLock(const std::string& outputFolder) {
    std::string path = (std::filesystem::path(outputFolder) / kOutputLockName).string();
    fd_ = open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0666);
    while (fd_ >= 0 && flock(fd_, LOCK_EX) != 0) {
      if (errno == EINTR) continue;
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

OutputGroup::OutputGroup(std::string outputFolder) : folder_(std::move(outputFolder)) {}

OutputGroup::~OutputGroup() { discard(); }

bool OutputGroup::fail(const std::string& path) {
  failedPath_ = path;
  return false;
}

OutputGroup::Entry* OutputGroup::createStaged(const std::string& path) {
  dropStaged(path);
  std::string pattern = path + ".XXXXXX";
  if (pattern.size() >= PATH_MAX || !subfolderUsable(folder_, path)) return nullptr;
  int slot = -1, fd = -1;
  {
    std::lock_guard<std::mutex> claim(gSlotClaims);
    slot = freeSlot();
    if (slot < 0) return nullptr;
    SignalsHeld held;
    std::memcpy(gStagedNames[slot], pattern.c_str(), pattern.size() + 1);
    fd = mkostemp(gStagedNames[slot], O_CLOEXEC);
    if (fd < 0) return nullptr;
    gStagedInUse[slot].store(true, std::memory_order_release);
  }
  fchmod(fd, kNewFileMode);
  std::FILE* stream = fdopen(fd, "w");
  if (!stream) {
    close(fd);
    releaseSlot(slot);
    return nullptr;
  }
  entries_.push_back({path, slot, stream});
  return &entries_.back();
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
  ok = fsync(fileno(entry.stream)) == 0 && ok;
  ok = std::fclose(entry.stream) == 0 && ok;
  entry.stream = nullptr;
  return ok || fail(entry.path);
}

bool OutputGroup::finishStreams() {
  bool ok = true;
  for (Entry& entry : entries_) ok = finishStream(entry) && ok;
  return ok;
}

bool OutputGroup::commit() {
  if (!finishStreams()) return false;
  FolderLock lock(folder_);
  if (!lock.held()) return fail((std::filesystem::path(folder_) / kOutputLockName).string());
  for (const Entry& entry : entries_)
    if (folderInTheWay(entry.path)) return fail(entry.path);
  std::set<std::string> folders;
  {
    SignalsHeld held;
    for (Entry& entry : entries_) {
      if (std::rename(gStagedNames[entry.slot], entry.path.c_str()) != 0) return fail(entry.path);
      gStagedInUse[entry.slot].store(false, std::memory_order_release);
      entry.slot = -1;
      folders.insert(std::filesystem::path(entry.path).parent_path().string());
    }
  }
  entries_.clear();
  for (const std::string& folder : folders) syncFolder(folder);
  return true;
}

void OutputGroup::release(Entry& entry) {
  if (entry.stream) std::fclose(entry.stream);
  if (entry.slot >= 0) releaseSlot(entry.slot);
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
    if (entry.path == path && entry.slot >= 0) return gStagedNames[entry.slot];
  return "";
}

std::string writeFilesTogether(const std::vector<FileText>& files, OutputGroup* group) {
  if (files.empty()) return std::string();
  OutputGroup own(std::filesystem::path(files.front().path).parent_path().string());
  OutputGroup& into = group ? *group : own;
  for (const FileText& file : files)
    if (!into.stage(file.path, file.content)) return into.failedPath();
  if (group || own.commit()) return std::string();
  return own.failedPath();
}

void removeStagedFiles() {
  for (std::size_t i = 0; i < kMaxStagedFiles; ++i)
    if (gStagedInUse[i].load(std::memory_order_acquire)) unlink(gStagedNames[i]);
}

}  // namespace bexora
