#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "test_support.h"
#include "text_fields.h"
#include "util/line_reader.h"

namespace bexora::test {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;
using Lines = std::vector<std::string>;

// The bundled example, generated once; each test runs in a copy of it.
class SingleRun : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    example = new TempDir;
    ASSERT_TRUE(makeExample("example", example->file("io_data/Input")));
  }
  static void TearDownTestSuite() { delete example; }
  void SetUp() override { fs::copy(example->file("io_data"), dir.file("io_data"), fs::copy_options::recursive); }

  RunResult run(const std::vector<std::string>& args) { return runBexora(args, dir.path()); }
  std::string output(const std::string& name) { return readFile(dir.file("io_data/Output/" + name)); }
  std::string sourceTags(const std::string& name) { return output("BP_Src/" + name + ".bpsrc"); }

  static TempDir* example;
  TempDir dir;
};

TempDir* SingleRun::example = nullptr;

// The layouts themselves are the annotation writer's tests; a run names the
// files of the tools that have an original layout apart.
TEST_F(SingleRun, OriginalFormatNamesItsFiles) {
  RunResult r = run({"1exr", "a", "2ext", "a", "-M", "MC,RV,FR", "-F", "ORIG"});
  ASSERT_EQ(r.status, 0) << r.out;
  for (const char* name : {"2EXT_A.mca.orig.bexora", "2EXT_A.rv.orig.bexora", "2EXT_A.fr3d.bexora",
                           "BP_Src/2EXT_A.rv.orig.bexora.bpsrc"})
    EXPECT_TRUE(exists(dir.file("io_data/Output/") + name)) << name;
}

TEST_F(SingleRun, AStructureMappedOntoItselfHasOnlyCommonPairs) {
  RunResult r = run({"1EXR", "A", "1EXR", "A", "-M", "FR3D"});
  ASSERT_EQ(r.status, 0) << r.out;
  EXPECT_THAT(r.out, HasSubstr("Warning!!! Structure alignment file \"1EXR_A_1EXR_A.aln\" was not found, "));
  Lines tags = textLines(sourceTags("1EXR_A.fr3d.bexora"));
  ASSERT_FALSE(tags.empty());
  for (const std::string& line : tags) EXPECT_THAT(line, ::testing::EndsWith("  Both"));
}

// Both sides name the same file, which is read once; its warnings and
// records still come once per side, whole, as two readings would give them.
TEST_F(SingleRun, AFileReadForBothSidesTellsItsMessagesForEach) {
  const std::string path = dir.file("io_data/Input/1EXR.fr3d.out");
  const std::string original = readFile(path);
  writeFile(path, original + std::string(kMaxLineLength + 1, 'x') + "\n");
  RunResult r = run({"1EXR", "A", "1EXR", "A", "-M", "FR", "-V"});
  ASSERT_EQ(r.status, 0) << r.out;
  auto linesWith = [](const std::string& text, const std::string& what) {
    Lines found;
    for (const std::string& line : textLines(text))
      if (line.find(what) != std::string::npos) found.push_back(line);
    return found;
  };
  const std::string warning = "Warning!!! Line " + std::to_string(textLines(original).size() + 1) +
                              " of ./io_data/Input/1EXR.fr3d.out is longer than 1048576 bytes; it is skipped.";
  EXPECT_EQ(linesWith(r.out, "is longer than"), Lines({warning, warning}));
  Lines records = linesWith(r.err, "bexora: annotation method=FR side=");
  ASSERT_EQ(records.size(), 2u) << r.err;
  EXPECT_EQ(records[0].replace(records[0].find("side=0"), 6, "side=1"), records[1]);
}

// Real structures and their MC-Annotate outputs, linked (not copied) into an
// input folder of the layout the program expects.
TEST(SingleRunOnRealData, PuzzleSolutionCarriesPairsOntoTheBoundForm) {
  BEXORA_REQUIRE_REALDATA();
  TempDir dir;
  makeDirs(dir.file("io_data/Input"));
  for (const char* name : {"PZ14/14S0.pdb", "PZ14/14S0.mca.out", "PZ14/14B4.pdb", "PZ14/14B4.mca.out",
                           "pdb_seqres.na.fa"})
    fs::create_symlink(realDataPath(name), dir.file("io_data/Input/" + fs::path(name).filename().string()));
  RunResult r = runBexora({"14S0", "A", "14B4", "A"}, dir.path());
  ASSERT_EQ(r.status, 0) << r.out;
  Lines tags = textLines(readFile(dir.file("io_data/Output/BP_Src/14B4_A.mca.bexora.bpsrc")));
  int both = 0;
  for (const std::string& line : tags) both += line.size() > 6 && line.substr(line.size() - 6) == "  Both";
  EXPECT_GE(both, 20) << readFile(dir.file("io_data/Output/BP_Src/14B4_A.mca.bexora.bpsrc"));
}

}  // namespace
}  // namespace bexora::test
