#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "test_support.h"
#include "util/staged_output.h"

namespace bexora::test {
namespace {

namespace fs = std::filesystem;

// The README's first command on the bundled real example, with its output
// folder moved to a scratch folder; every output file and the standard
// output are pinned, so a change in what a newcomer sees shows up here.
TEST(ExampleRun, OutputIsPinned) {
  const std::string input = std::string(BEXORA_SOURCE_DIR) + "/examples/io_data/Input/";
  TempDir dir;
  const std::string output = dir.file("out/");
  RunResult run = runBexora({"6TNA", "A", "1EHZ", "A", "-M", "RV,FR", "--unknown-dpi", "0.25", "--2d",
                             "-I", input, "-O", output},
                            dir.path());
  ASSERT_EQ(run.status, 0) << run.out << run.err;
  std::string stdoutText = run.out;
  stdoutText.replace(stdoutText.rfind(output), output.size(), "./io_data/Output/");
  EXPECT_EQ(stdoutText, readFile(fixturePath("example/stdout.txt")));

  std::size_t compared = 0;
  for (const auto& entry : fs::recursive_directory_iterator(fixturePath("example/Output"))) {
    if (!entry.is_regular_file()) continue;
    const std::string relative = fs::relative(entry.path(), fixturePath("example/Output")).string();
    EXPECT_EQ(readFile(output + relative), readFile(entry.path().string())) << relative;
    ++compared;
  }
  std::size_t written = 0;
  for (const auto& entry : fs::recursive_directory_iterator(output))
    written += entry.is_regular_file() && entry.path().filename() != kOutputLockName ? 1 : 0;
  EXPECT_EQ(compared, written);
  EXPECT_EQ(compared, 13u);
}

}  // namespace
}  // namespace bexora::test
