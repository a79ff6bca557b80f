#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "test_support.h"

namespace bexora::test {
namespace {

// "-R" on the bundled example: the printed recommendation and the ranked
// table in the output folder, the default one or the one -O names; the
// target listed among its candidates is never recommended, and a list
// named by an absolute path is read there.
TEST(BestReferenceRun, PrintsRecommendationAndWritesRankedTable) {
  TempDir dir;
  ASSERT_TRUE(makeExample("example", dir.file("io_data/Input")));
  writeFile(dir.file("io_data/Input/list.txt"), "2EXT A\n1EXR A 2EXT A\n9ZZZ A\n");
  const std::string printed =
      "Candidate Reference List:\n"
      "Candidate 1 = 1EXR A\n"
      "Candidate 2 = 2EXT A\n"
      "Candidate 3 = 9ZZZ A\n"
      "Warning!!! Candidate 2EXT A is the target; it is not recommended.\n"
      "Warning!!! Candidate 9ZZZ A has no sequence in ./io_data/Input/pdb_seqres.na.fa; it is not recommended.\n"
      "\nTarget = 2EXT A\nRecommended reference: 1EXR A\n";
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"-R", "list.txt"}, std::vector<std::string>{"-r", "list.txt", "-O", "elsewhere"},
        std::vector<std::string>{"-R", dir.file("io_data/Input/list.txt"), "-O", "elsewhere"}}) {
    RunResult run = runBexora(args, dir.path());
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, printed);
    const std::string folder = args.size() == 2 ? "io_data/Output/" : "elsewhere/";
    EXPECT_EQ(readFile(dir.file(folder + "2EXT_A.candidates.tsv")),
              "list_position\tpdb_id\tchain\tlength\tcost\tidentity\ttarget_coverage\trank\tstatus\n"
              "1\t1EXR\tA\t36\t22.8\t0.8611\t1.0000\t1\tscored\n"
              "2\t2EXT\tA\t0\t-\t-\t-\t-\ttarget\n"
              "3\t9ZZZ\tA\t0\t-\t-\t-\t-\tno_sequence\n");
  }
}

}  // namespace
}  // namespace bexora::test
