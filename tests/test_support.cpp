#include "test_support.h"

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace bexora::test {

namespace fs = std::filesystem;

std::string fixturePath(const std::string& name) { return std::string(BEXORA_TEST_DATA) + "/" + name; }
std::string realDataPath(const std::string& relative) { return std::string(BEXORA_REALDATA) + "/" + relative; }
bool sanitized() {
#if defined(__SANITIZE_ADDRESS__)
  return true;
#elif defined(__has_feature)
  return __has_feature(address_sanitizer);
#else
  return false;
#endif
}

bool haveRealData() { return fs::exists(fs::path(BEXORA_REALDATA) / "MANIFEST.md"); }

bool makeExample(const std::string& form, const std::string& inputFolder, const std::string& options) {
  std::string command = std::string("python3 '") + BEXORA_SOURCE_DIR + "/examples/make_example.py' " + form + " '" +
                        inputFolder + "' " + options + " >/dev/null";
  return std::system(command.c_str()) == 0;
}

TempDir::TempDir() {
  std::string pattern = (fs::temp_directory_path() / "bexora-test-XXXXXX").string();
  char* made = mkdtemp(pattern.data());
  if (!made) throw std::runtime_error("cannot create a temporary folder");
  path_ = made;
}

TempDir::~TempDir() {
  std::error_code ignored;
  fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ignored);
  fs::remove_all(path_, ignored);
}

void writeFile(const std::string& path, const std::string& content) {
  fs::create_directories(fs::path(path).parent_path());
  std::ofstream out(path, std::ios::binary);
  out << content;
}

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

bool exists(const std::string& path) { return fs::exists(path); }
void makeDirs(const std::string& path) { fs::create_directories(path); }

RunResult runBexora(const std::vector<std::string>& args, const std::string& workdir, const std::string& wrapper) {
  TempDir capture;
  std::string command = "cd '" + workdir + "' && " + wrapper + " '" + BEXORA_EXE + "'";
  for (const auto& arg : args) command += " '" + arg + "'";
  command += " </dev/null >'" + capture.file("out") + "' 2>'" + capture.file("err") + "'";
  RunResult result;
  int raw = std::system(command.c_str());
  result.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  result.out = readFile(capture.file("out"));
  result.err = readFile(capture.file("err"));
  return result;
}

}  // namespace bexora::test

namespace bexora {

Reporter collectingReporter(std::string& text, std::string* records) {
  auto sink = [&text, records](Channel channel, const std::string& message) {
    if (channel == Channel::kNote) text += message;
    if (channel == Channel::kWarning) text += "Warning!!! " + message;
    if (channel == Channel::kError) text += "Error!!! " + message;
    if (channel == Channel::kRecord && records) *records += message + "\n";
  };
  return Reporter(sink, records != nullptr);
}

}  // namespace bexora
