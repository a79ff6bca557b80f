// Helpers shared by the test suites: fixture paths, scratch folders and
// running the built program.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "util/reporter.h"

namespace bexora {

// A Reporter that appends every message to `text` as the console shows it
// (warnings and errors with their mark) and every record, one per line, to
// `records` (when given); for tests of library modules.
Reporter collectingReporter(std::string& text, std::string* records = nullptr);

}  // namespace bexora

namespace bexora::test {

std::string fixturePath(const std::string& name);       // tests/data/<name>
std::string realDataPath(const std::string& relative);  // ../shared/realdata/<relative>
bool haveRealData();
// True in a build under AddressSanitizer, whose allocator and address space differ.
bool sanitized();

#define BEXORA_REQUIRE_REALDATA() \
  if (!::bexora::test::haveRealData()) GTEST_SKIP() << "../shared/realdata is absent; real-data test skipped"

// A fresh folder under the system's temporary folder, removed with its contents.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& path() const { return path_; }
  std::string file(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

void writeFile(const std::string& path, const std::string& content);
std::string readFile(const std::string& path);
bool exists(const std::string& path);
void makeDirs(const std::string& path);

struct RunResult {
  int status = -1;
  std::string out;
  std::string err;
};

// Writes an input folder with examples/make_example.py: `form` is "example"
// or "benchmark", `options` what follows the folder ("--size small").
bool makeExample(const std::string& form, const std::string& inputFolder, const std::string& options = "");

// Runs build/bexora with the arguments in `workdir`, standard input closed;
// `wrapper` is shell text put before the program (limits, another user).
RunResult runBexora(const std::vector<std::string>& args, const std::string& workdir,
                    const std::string& wrapper = "");

}  // namespace bexora::test
