#include "util/staged_output.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "test_support.h"

namespace bexora {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> namesIn(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder))
    if (entry.path().filename() != kOutputLockName) names.push_back(entry.path().filename().string());
  return names;
}

// Threads of a batch stage and commit at once: no two may share a slot of
// the staged-name table, or one would commit or remove the other's file.
TEST(StagedOutput, ThreadsStagingAtOnceKeepTheirOwnFiles) {
  test::TempDir dir;
  constexpr int kThreads = 8, kRounds = 40;
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t)
    threads.emplace_back([&dir, t] {
      for (int round = 0; round < kRounds; ++round) {
        std::string name = dir.file("t" + std::to_string(t) + "_" + std::to_string(round % 4));
        std::string failed = writeFilesTogether({{name, name}, {name + ".tag", name}});
        EXPECT_EQ(failed, "");
      }
    });
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(namesIn(dir.path()).size(), static_cast<std::size_t>(kThreads * 4 * 2));
  for (const std::string& name : namesIn(dir.path()))
    EXPECT_EQ(test::readFile(dir.file(name)), dir.file(name.substr(0, name.find('.'))));
}

// A batch of many threads holds far more staged files at once than any
// fixed table would; a terminating signal removes every one of them.
TEST(StagedOutput, AGivenGroupHoldsTheFilesUntilItCommitsAndASignalRemovesThem) {
  test::TempDir dir;
  constexpr int kFiles = 200;
  std::vector<FileText> files{{dir.file("sub/b"), "2"}};
  for (int i = 0; i < kFiles; ++i) files.push_back({dir.file("a" + std::to_string(i)), "1"});
  {
    OutputGroup group(dir.path());
    ASSERT_EQ(writeFilesTogether(files, &group), "");
    EXPECT_FALSE(test::exists(dir.file("a0")) || test::exists(dir.file("sub/b")));
    EXPECT_EQ(namesIn(dir.path()).size() + namesIn(dir.file("sub")).size(), kFiles + 2u);  // "sub" and the staged
  }
  EXPECT_TRUE(namesIn(dir.path()) == std::vector<std::string>{"sub"} && namesIn(dir.file("sub")).empty());
  EXPECT_EXIT(
      {
        OutputGroup group(dir.path());
        if (!writeFilesTogether(files, &group).empty()) _exit(2);
        removeStagedFiles();  // what a terminating signal does
        _exit(0);
      },
      ::testing::ExitedWithCode(0), "");
  EXPECT_TRUE(namesIn(dir.path()) == std::vector<std::string>{"sub"} && namesIn(dir.file("sub")).empty());
}

}  // namespace
}  // namespace bexora
