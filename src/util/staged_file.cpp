#include "util/staged_file.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <memory>

namespace bexora {

namespace {

// Read once before main: reading the mask means setting it, and a pair
// thread setting it while another creates a file would change that file's
// mode, or leave the process with a cleared mask.
const mode_t kProcessUmask = [] {
  mode_t mask = umask(0);
  umask(mask);
  return mask;
}();

// A file written under a temporary name beside its final one; the temporary
// file is removed unless committed.
class StagedFile {
 public:
  explicit StagedFile(const std::string& path) : path_(path) {}
  StagedFile(const StagedFile&) = delete;
  StagedFile& operator=(const StagedFile&) = delete;
  ~StagedFile() {
    if (!staged_.empty()) std::remove(staged_.c_str());
  }

  bool write(const std::string& content) {
    std::string name = path_ + ".XXXXXX";
    int fd = mkstemp(name.data());
    if (fd < 0) return false;
    staged_ = name;
    fchmod(fd, 0666 & ~kProcessUmask);
    std::FILE* file = fdopen(fd, "w");
    if (!file) {
      close(fd);
      return false;
    }
    bool ok = std::fwrite(content.data(), 1, content.size(), file) == content.size();
    ok = std::fflush(file) == 0 && ok;
    return std::fclose(file) == 0 && ok;
  }

  bool commit() {
    if (std::rename(staged_.c_str(), path_.c_str()) != 0) return false;
    staged_.clear();
    return true;
  }

 private:
  std::string path_;
  std::string staged_;
};

}  // namespace

std::string writeFilesTogether(const std::vector<FileText>& files) {
  std::vector<std::unique_ptr<StagedFile>> staged;
  for (const FileText& file : files) {
    staged.push_back(std::make_unique<StagedFile>(file.path));
    if (!staged.back()->write(file.content)) return file.path;
  }
  for (std::size_t i = 0; i < files.size(); ++i)
    if (!staged[i]->commit()) return files[i].path;
  return std::string();
}

}  // namespace bexora
