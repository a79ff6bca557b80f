#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "test_support.h"

namespace bexora::test {
namespace {

namespace fs = std::filesystem;

bool haveSnakemake() { return std::system("command -v snakemake >/dev/null 2>&1") == 0; }

// Every file under the folder, by relative path, with its bytes.
std::map<std::string, std::string> filesUnder(const std::string& folder) {
  std::map<std::string, std::string> files;
  for (const auto& entry : fs::recursive_directory_iterator(folder))
    if (entry.is_regular_file()) files[fs::relative(entry.path(), folder).string()] = readFile(entry.path().string());
  return files;
}

// The bundled example with a manifest; the workflow runs in its folder.
class Workflow : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!haveSnakemake()) GTEST_SKIP() << "snakemake is not installed; workflow test skipped";
    ASSERT_TRUE(makeExample("example", dir.file("io_data/Input")));
  }

  // Snakemake on `manifest` with the output folder flow/; `more` is added
  // to the command line as it is.
  RunResult snakemake(const std::string& manifest, const std::string& more = "") {
    writeFile(dir.file("pairs.txt"), manifest);
    std::string command = "cd '" + dir.path() + "' && snakemake -s '" + BEXORA_SOURCE_DIR +
                          "/workflow/Snakefile' --cores 2 " + more + " --config bexora='" + BEXORA_EXE +
                          "' manifest=pairs.txt output=flow 'options=--2d --unknown-dpi 0.5' >snakemake.log 2>&1";
    RunResult result;
    result.status = std::system(command.c_str()) == 0 ? 0 : 1;
    result.err = readFile(dir.file("snakemake.log"));
    return result;
  }

  TempDir dir;
};

// The workflow's pair folders equal single runs of the pairs, and the pair
// folders of a -L batch of the same manifest (less the batch's run.log).
TEST_F(Workflow, PairFoldersEqualSingleRunsAndTheBatch) {
  const std::string manifest = "# example pairs\n1EXR A 2EXT A ALL\r\n\n2ext a 1exr a DS,FR  # reversed\n1EXR A 1EXR A\n";
  RunResult run = snakemake(manifest);
  ASSERT_EQ(run.status, 0) << run.err;
  writeFile(dir.file("io_data/Input/pairs.txt"), manifest);
  RunResult batch = runBexora({"-L", "pairs.txt", "-j", "2", "--2d", "--unknown-dpi", "0.5", "-O", "batch/"}, dir.path());
  ASSERT_EQ(batch.status, 0) << batch.out;
  const std::vector<std::tuple<std::string, std::vector<std::string>>> singles = {
      {"1EXR_A_2EXT_A", {"1EXR", "A", "2EXT", "A", "-M", "ALL"}},
      {"2EXT_A_1EXR_A", {"2ext", "a", "1exr", "a", "-M", "DS,FR"}},
      {"1EXR_A_1EXR_A", {"1EXR", "A", "1EXR", "A"}},
  };
  for (auto [folder, args] : singles) {
    args.insert(args.end(), {"--2d", "--unknown-dpi", "0.5", "-O", "single/" + folder});
    ASSERT_EQ(runBexora(args, dir.path()).status, 0) << folder;
    const auto expected = filesUnder(dir.file("single/" + folder));
    EXPECT_GT(expected.size(), 4u) << folder;
    EXPECT_EQ(filesUnder(dir.file("flow/" + folder)), expected) << folder;
    auto batchFiles = filesUnder(dir.file("batch/" + folder));
    EXPECT_EQ(batchFiles.erase("run.log"), 1u) << folder;
    EXPECT_EQ(batchFiles, expected) << folder;
    EXPECT_NE(readFile(dir.file("flow/logs/" + folder + ".log")).find("Target: "), std::string::npos) << folder;
  }
  std::size_t entries = 0;
  for (const auto& entry : fs::directory_iterator(dir.file("flow"))) entries += entry.is_directory();
  EXPECT_EQ(entries, singles.size() + 1);  // the pairs and logs/
}

// A pair whose run fails fails the workflow, keeps its log and leaves the
// other pairs done.
TEST_F(Workflow, FailedPairFailsTheWorkflowOnly) {
  RunResult run = snakemake("1EXR A 9ZZZ A\n1EXR A 2EXT A\n", "--keep-going");
  EXPECT_EQ(run.status, 1) << run.err;
  EXPECT_TRUE(exists(dir.file("flow/1EXR_A_2EXT_A/2EXT_A.mca.bexora")));
  EXPECT_TRUE(exists(dir.file("flow/logs/1EXR_A_2EXT_A.done")));
  EXPECT_FALSE(exists(dir.file("flow/logs/1EXR_A_9ZZZ_A.done")));
  EXPECT_NE(readFile(dir.file("flow/logs/1EXR_A_9ZZZ_A.log")).find("9ZZZ"), std::string::npos);
}

// A faulty manifest stops the workflow before any run, naming the line.
TEST_F(Workflow, ManifestFaultsNameTheLine) {
  const std::tuple<const char*, int, const char*> cases[] = {
      {"1EXR A 2EXT\n", 1,
       "Line 1 of pairs.txt: expected REF_ID REF_CHAIN TARGET_ID TARGET_CHAIN [METHODS]: '1EXR A 2EXT'"},
      {"# a\n1EXR A 2EXT A MC XX\n", 1, "Line 2 of pairs.txt: unknown method \"XX\""},
      {"1EXR A/.. 2EXT A\n", 1, "Line 1 of pairs.txt: chain id \"A/..\" is not 1 to 4 letters and digits"},
      {"1EXR A 2EXT ${IFS}\n", 1, "Line 1 of pairs.txt: chain id \"${IFS}\" is not 1 to 4 letters and digits"},
      {"1EXRX A 2EXT A\n", 1, "Line 1 of pairs.txt: PDB id \"1EXRX\" is not 4 letters and digits"},
      {"1EXR A 2EXT A\n1exr a 2ext a MC\n", 1,
       "Line 2 of pairs.txt repeats the pair 1EXR A 2EXT A; each pair writes its own folder."},
      {"# none\n\n", 0, "Warning!!! pairs.txt lists no pair.\n"},
  };
  for (const auto& [manifest, status, message] : cases) {
    RunResult run = snakemake(manifest, "--dry-run");
    EXPECT_EQ(run.status, status) << manifest;
    EXPECT_NE(run.err.find(message), std::string::npos) << run.err;
    EXPECT_FALSE(exists(dir.file("flow/logs"))) << manifest;
  }
}

}  // namespace
}  // namespace bexora::test
