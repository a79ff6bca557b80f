#include "util/staged_output.h"

#include <gtest/gtest.h>

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

TEST(StagedOutput, AGivenGroupHoldsTheFilesUntilItCommits) {
  test::TempDir dir;
  OutputGroup group(dir.path());
  ASSERT_EQ(writeFilesTogether({{dir.file("a"), "1"}, {dir.file("sub/b"), "2"}}, &group), "");
  EXPECT_FALSE(test::exists(dir.file("a")) || test::exists(dir.file("sub/b")));
  EXPECT_EQ(namesIn(dir.path()).size() + namesIn(dir.file("sub")).size(), 3u);  // "sub" and two staged files
  removeStagedFiles();  // what a terminating signal does
  EXPECT_TRUE(namesIn(dir.path()) == std::vector<std::string>{"sub"} && namesIn(dir.file("sub")).empty());
  EXPECT_FALSE(group.commit());
  EXPECT_FALSE(test::exists(dir.file("a")));
}

}  // namespace
}  // namespace bexora
