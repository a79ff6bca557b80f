#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "driver/batch.h"
#include "driver/shared_inputs.h"
#include "test_support.h"
#include "text_fields.h"

namespace bexora::test {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;
using Tree = std::map<std::string, std::string>;  // relative path -> content

const std::vector<std::string> kPairOptions = {"--2d", "--modified", "--unknown-dpi", "0.3"};

Tree treeOf(const std::string& folder) {
  Tree tree;
  for (const auto& entry : fs::recursive_directory_iterator(folder))
    if (entry.is_regular_file()) tree[fs::relative(entry.path(), folder).string()] = readFile(entry.path().string());
  return tree;
}

void expectSameTrees(const Tree& expected, const Tree& actual) {
  std::vector<std::string> expectedNames, actualNames;
  for (const auto& [name, content] : expected) expectedNames.push_back(name);
  for (const auto& [name, content] : actual) actualNames.push_back(name);
  ASSERT_EQ(expectedNames, actualNames);
  for (const auto& [name, content] : expected) EXPECT_TRUE(content == actual.at(name)) << name << " differs";
}

// The eight generated benchmark structures, made once; each test works in a copy.
class BatchRun : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    example = new TempDir;
    ASSERT_TRUE(makeExample("benchmark", example->file("io_data/Input")));
  }
  static void TearDownTestSuite() { delete example; }
  void SetUp() override { fs::copy(example->file("io_data"), dir.file("io_data"), fs::copy_options::recursive); }

  RunResult run(std::vector<std::string> args, const std::vector<std::string>& options = {}) {
    args.insert(args.end(), options.begin(), options.end());
    return runBexora(args, dir.path());
  }
  void writeManifest(const std::string& text) { writeFile(dir.file("io_data/Input/pairs.txt"), text); }
  std::string output(const std::string& name) { return dir.file("io_data/Output/" + name); }

  static TempDir* example;
  TempDir dir;
};

TempDir* BatchRun::example = nullptr;

struct BatchPair {
  const char* folder;
  std::vector<std::string> single;  // the same pair as a single run
};

// Each pair folder of a batch holds what a single run of the pair writes;
// the number of threads is tried below.
TEST_F(BatchRun, PairFoldersHoldWhatSingleRunsWrite) {
  writeManifest("# reference target\n2B9N A 3V2F A\n\n  3V2F A 4GD1 A MC,FR  # two tools\r\n2b9n a 2vqe a ALL\n"
                "2VQE A 2B9N A\n");
  RunResult two = run({"-L", "pairs.txt", "-j", "2"}, kPairOptions);
  ASSERT_EQ(two.status, 0) << two.out;
  EXPECT_THAT(two.out, HasSubstr("[4/4] "));
  const Tree batchTree = treeOf(output(""));

  const BatchPair pairs[] = {{"2B9N_A_3V2F_A", {"2B9N", "A", "3V2F", "A"}},
                             {"3V2F_A_4GD1_A", {"3V2F", "A", "4GD1", "A", "-M", "MC,FR"}},
                             {"2B9N_A_2VQE_A", {"2B9N", "A", "2VQE", "A", "-M", "ALL"}},
                             {"2VQE_A_2B9N_A", {"2VQE", "A", "2B9N", "A"}}};
  for (const BatchPair& pair : pairs) {
    SCOPED_TRACE(pair.folder);
    fs::remove_all(output(""));
    std::vector<std::string> args = pair.single;
    args.insert(args.end(), {"-O", std::string("./io_data/Output/") + pair.folder});
    RunResult single = run(args, kPairOptions);
    ASSERT_EQ(single.status, 0) << single.out;
    Tree expected = treeOf(output(pair.folder));
    expected["run.log"] = single.out;
    Tree batch;
    for (const auto& [name, content] : batchTree)
      if (name.rfind(std::string(pair.folder) + "/", 0) == 0) batch[name.substr(std::string(pair.folder).size() + 1)] = content;
    expectSameTrees(expected, batch);
  }
}

// Every ordered pair of the eight structures, itself included.
std::string allPairs() {
  const char* ids[] = {"1YL4 A", "2B9M A", "2B9N A", "2VQE A", "2ZJR X", "3R8S A", "3V2F A", "4GD1 A"};
  std::string manifest;
  for (const char* reference : ids)
    for (const char* target : ids) manifest += std::string(reference) + " " + target + "\n";
  return manifest;
}

// Far more threads than cores, each holding the staged files of a pair at
// once, write what one thread writes.
TEST_F(BatchRun, ManyThreadsWriteWhatOneWrites) {
  writeManifest(allPairs());
  RunResult one = run({"-L", "pairs.txt", "-j", "1"}, kPairOptions);
  ASSERT_EQ(one.status, 0) << one.out;
  Tree sequential = treeOf(output(""));
  fs::rename(output(""), dir.file("io_data/Output-j1"));
  RunResult many = run({"-L", "pairs.txt", "-j", "1024"}, kPairOptions);
  ASSERT_EQ(many.status, 0) << many.out;
  expectSameTrees(sequential, treeOf(output("")));
}

// A manifest is named as given when absolute; one that cannot be read says why,
// and input quoted in messages and the summary has its control characters escaped.
TEST_F(BatchRun, ManifestPathsAndQuotedInputAreShownAsTheyAre) {
  writeManifest(std::string("2B9N A 3V2F A\n2B9N A\x1b]0;t\x07 3V2F A\n2B9N ") + '\0' + "Z 3V2F A\n");
  RunResult absolute = run({"-L", dir.file("io_data/Input/pairs.txt"), "-j", "2"});
  EXPECT_EQ(absolute.status, 1);
  EXPECT_THAT(absolute.out, HasSubstr("[1/1] 2B9N_A_3V2F_A ok\n"));
  EXPECT_THAT(absolute.out, HasSubstr("line 2: chain id \"A\\x1b]0;T\\x07\" is not 1 to 4 letters and digits; the pair"));
  EXPECT_THAT(absolute.out, HasSubstr("line 3: chain id \"\\x00Z\" is not 1 to 4"));
  EXPECT_EQ(absolute.out.find_first_of(std::string("\x1b\x07\0", 3)), std::string::npos);
  std::vector<std::string> rows = textLines(readFile(output("batch_summary.tsv")));
  ASSERT_EQ(rows.size(), 4u);
  EXPECT_EQ(fieldsOf(rows[2])[1], "A\\x1b]0;T\\x07");
  EXPECT_EQ(fieldsOf(rows[3])[1], "\\x00Z");

  makeDirs(dir.file("io_data/Input/folder"));
  RunResult folder = run({"-L", "folder"});
  EXPECT_EQ(folder.status, 1);
  EXPECT_EQ(folder.out, "Manifest ./io_data/Input/folder is not a regular file.\n");
}

// The counts of a summary row are those of the pair's source-tag file.
void expectCountsOfTags(const std::vector<std::string>& row, std::size_t column, const std::string& tags) {
  std::map<std::string, int> counts = tagCounts(tags);
  const int lines = static_cast<int>(textLines(tags).size());
  EXPECT_EQ(row[column], std::to_string(lines));
  EXPECT_EQ(row[column + 1], std::to_string(counts["Both"]));
  EXPECT_EQ(row[column + 2], std::to_string(counts["Bexora"]));
  EXPECT_EQ(row[column + 3], std::to_string(lines - counts["Both"] - counts["Bexora"]));
}

TEST_F(BatchRun, FailedPairsAreReportedInTheirRowsAndTheOthersComplete) {
  writeManifest("2B9N A 3V2F A\n2B9N A 9ZZZ A\n2B9N A\n3V2F A 2VQE A FR\n2B9N A 3V2F A RV\n");
  RunResult r = run({"-L", "pairs.txt", "-j", "2"});
  EXPECT_EQ(r.status, 1);
  EXPECT_THAT(r.out, HasSubstr("Manifest ./io_data/Input/pairs.txt line 3: expected REF_ID REF_CHAIN TARGET_ID "
                               "TARGET_CHAIN [METHODS]; the pair is not run.\n"));
  EXPECT_THAT(r.out, HasSubstr("Manifest ./io_data/Input/pairs.txt line 5: repeats the pair of line 1;"));
  EXPECT_THAT(r.out, HasSubstr("] 2B9N_A_9ZZZ_A failed, see ./io_data/Output/2B9N_A_9ZZZ_A/run.log\n"));
  EXPECT_THAT(r.out, HasSubstr("[3/3] "));
  EXPECT_THAT(r.out, HasSubstr("Batch of 5 pairs: 2 enhanced, 3 failed; summary in ./io_data/Output/batch_summary.tsv"));
  EXPECT_THAT(readFile(output("2B9N_A_9ZZZ_A/run.log")), HasSubstr("9ZZZ.mca.out File Not Found"));

  std::vector<std::string> rows = textLines(readFile(output("batch_summary.tsv")));
  ASSERT_EQ(rows.size(), 6u);
  const std::vector<std::vector<std::string>> leading = {{"2B9N", "A", "3V2F", "A", "MC", "ok"},
                                                         {"2B9N", "A", "9ZZZ", "A", "MC", "failed"},
                                                         {"2B9N", "A", "-", "-", "-", "failed"},
                                                         {"3V2F", "A", "2VQE", "A", "FR", "ok"},
                                                         {"2B9N", "A", "3V2F", "A", "RV", "failed"}};
  for (std::size_t i = 0; i < leading.size(); ++i) {
    std::vector<std::string> row = fieldsOf(rows[i + 1]);
    ASSERT_EQ(row.size(), 26u) << rows[i + 1];
    EXPECT_EQ(std::vector<std::string>(row.begin(), row.begin() + 6), leading[i]);
  }
  EXPECT_EQ(fieldsOf(rows[0])[6], "MC_written");
  expectCountsOfTags(fieldsOf(rows[1]), 6, readFile(output("2B9N_A_3V2F_A/BP_Src/3V2F_A.mca.bexora.bpsrc")));
  expectCountsOfTags(fieldsOf(rows[4]), 14, readFile(output("3V2F_A_2VQE_A/BP_Src/2VQE_A.fr3d.bexora.bpsrc")));
  EXPECT_EQ(fieldsOf(rows[2])[6], "-");
}

struct ManifestCase {
  const char* line;
  const char* problem;  // empty: a pair that runs
  std::vector<int> methods;
};

TEST(ReadManifest, LinesAreCheckedOneByOne) {
  const ManifestCase cases[] = {
      {"1abc a 2xyz b", "", {kRnaView}},
      {"1ABC A1 2XYZ B2 mc,cla", "", {kMcAnnotate, kClaRna}},
      {"1ABC A 3XYZ B FR, DS", "", {kFr3d, kDssr}},
      {"1ABC A 4XYZ B all", "", {kMcAnnotate, kRnaView, kFr3d, kDssr, kClaRna}},
      {"1ABC A 2XYZ", "expected REF_ID REF_CHAIN TARGET_ID TARGET_CHAIN [METHODS]", {}},
      {"1ABC A ../x B", "PDB id \"../X\" is not 4 letters and digits", {}},
      {"1ABC A/ 2XYZ B", "chain id \"A/\" is not 1 to 4 letters and digits", {}},
      {"1ABC A 2XYZ ABCDE", "chain id \"ABCDE\" is not 1 to 4 letters and digits", {}},
      {"1ABC A 2XYZ B MC,MCX", "unknown method \"MCX\"", {}},
      {"1ABC A 2XYZ B # MC", "repeats the pair of line 4", {}},
  };
  std::string text = "# comment\n\n   \n";
  for (const ManifestCase& c : cases) text += std::string(c.line) + "\n";
  TempDir dir;
  writeFile(dir.file("pairs.txt"), text);
  Manifest manifest = readManifest(dir.file("pairs.txt"), {kRnaView});
  EXPECT_TRUE(manifest.found && manifest.complete);
  ASSERT_EQ(manifest.pairs.size(), std::size(cases));
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE(cases[i].line);
    EXPECT_EQ(manifest.pairs[i].lineNumber, static_cast<long>(i) + 4);
    EXPECT_EQ(manifest.pairs[i].problem, cases[i].problem);
    if (!*cases[i].problem) {
      EXPECT_EQ(manifest.pairs[i].methods, cases[i].methods);
    }
  }
  EXPECT_EQ(pairFolderName(manifest.pairs[1]), "1ABC_A1_2XYZ_B2");
  EXPECT_FALSE(readManifest(dir.file("absent.txt"), {}).found);
}

TEST_F(BatchRun, SharedStructuresAreReadOnceGoToEveryPairWithTheirMessagesAndAreDroppedAfterTheLastUse) {
  RunSettings settings;
  settings.inputFolder = dir.file("io_data/Input/");
  std::string alone;
  LoadedStructure direct;
  ASSERT_FALSE(readStructureFile(settings, "9ZZZ", "A", direct, collectingReporter(alone)));
  ASSERT_TRUE(readStructureFile(settings, "2B9N", "A", direct, collectingReporter(alone)));
  EXPECT_THAT(alone, HasSubstr("9ZZZ"));

  SharedInputs shared(settings);
  constexpr int kThreads = 4;
  std::string texts[kThreads];
  std::shared_ptr<const LoadedStructure> found[kThreads], missing[kThreads];
  for (int t = 0; t < kThreads; ++t) {
    shared.expectUse("2B9N", "A");
    shared.expectUse("9ZZZ", "A");
  }
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t)
    threads.emplace_back([&, t] {
      Reporter reporter = collectingReporter(texts[t]);
      found[t] = shared.structure("2B9N", "A", reporter);
      missing[t] = shared.structure("9ZZZ", "A", reporter);
      shared.endUse("9ZZZ", "A");
    });
  for (std::thread& thread : threads) thread.join();
  for (int t = 0; t < kThreads; ++t) {
    ASSERT_NE(found[t], nullptr);
    EXPECT_EQ(found[t], found[0]);
    EXPECT_EQ(found[t]->atoms.size(), direct.atoms.size());
    EXPECT_EQ(missing[t], nullptr);
    EXPECT_EQ(texts[t], alone);
  }
  EXPECT_EQ(shared.structuresHeld(), 1u);
  for (int t = 0; t < kThreads; ++t) shared.endUse("2B9N", "A");
  EXPECT_EQ(shared.structuresHeld(), 0u);
}

}  // namespace
}  // namespace bexora::test
