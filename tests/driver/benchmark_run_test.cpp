#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tables/benchmark_log.h"
#include "test_support.h"

namespace bexora::test {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;
using ::testing::Not;

// Both benchmark forms over the small synthetic set of the eight structures.
class BenchmarkRun : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    inputs = new TempDir;
    ASSERT_TRUE(makeExample("benchmark", inputs->file("io_data/Input"), "--size small"));
  }
  static void TearDownTestSuite() { delete inputs; }
  void SetUp() override { fs::copy(inputs->file("io_data"), dir.file("io_data"), fs::copy_options::recursive); }

  std::string output(const std::string& name) { return readFile(dir.file("io_data/Output/" + name)); }
  std::size_t motifFiles() {
    if (!exists(dir.file("io_data/Output/Motif_Segments"))) return 0;
    auto files = fs::directory_iterator(dir.file("io_data/Output/Motif_Segments"));
    return static_cast<std::size_t>(std::distance(fs::begin(files), fs::end(files)));
  }

  static TempDir* inputs;
  TempDir dir;
};

TempDir* BenchmarkRun::inputs = nullptr;

int64_t pairsOf(const InferabilitySide& side) {
  int64_t total = 0;
  for (const ClassSplit& split : {side.canonical, side.nonCanonical, side.other})
    total += split.common + split.inferable + split.nonInferable;
  return total;
}

// A chained pass starts from exactly the pairs the assessed pass accepted.
void expectChainedPassesTakeTheAcceptedPairs(const std::string& log2) {
  InferabilityLog log;
  std::string messages;
  ASSERT_TRUE(readInferabilityLog(log2, log, collectingReporter(messages))) << messages;
  for (int method = 0; method < kMethodCount; ++method)
    for (int c = 0; c < kBenchmarkCases; ++c) {
      const auto& [assessed, chained] = log.bexora[method][c];
      int64_t accepted = 0;
      for (const AcceptCounts& group : assessed.accepted) accepted += group.total;
      EXPECT_EQ(pairsOf(chained.referenceSide), accepted) << "method " << method << " case " << c;
    }
}

TEST_F(BenchmarkRun, BothPhasesWriteLogsAndTables) {
  RunResult r = runBexora({"-B", "BENCHMARK", "-V"}, dir.path());
  ASSERT_EQ(r.status, 0) << r.out;
  std::string log = output("log.txt");
  EXPECT_EQ(log.rfind("Regular Annotate\n\n", 0), 0u);
  EXPECT_THAT(log, HasSubstr("\n\nBexora\n\n"));
  for (const char* method : {"MC-Annotate", "RNAView", "FR3D", "DSSR", "ClaRNA"})
    EXPECT_THAT(log, HasSubstr(std::string("\n") + method + "\n")) << method;
  EXPECT_THAT(output("log2.txt"), HasSubstr("2B9N vs 3V2F : BP Canonical Common = "));
  EXPECT_THAT(r.err, HasSubstr("bexora: pass phase=1 method=CLA pass=9 reference=2B9M:A target=2VQE:A\n"));
  expectChainedPassesTakeTheAcceptedPairs(dir.file("io_data/Output/log2.txt"));

  std::string tables = output("tablesInLatex.txt");
  EXPECT_THAT(tables, HasSubstr("\\caption{sensitivity compared for MC-Annotate annotation}"));
  EXPECT_THAT(tables, HasSubstr("\\multirow{2}{*}{2B9N (3R8S)}"));
  std::string inferability = output("inferablityTablesInLatex.txt");
  EXPECT_THAT(inferability, HasSubstr("using reference structure in PDB 3R8S for target \nstructure in PDB 2B9N."));
  for (const std::string& table : {tables, inferability}) {
    EXPECT_THAT(table, Not(HasSubstr("nan")));
    EXPECT_THAT(table, Not(HasSubstr("inf ")));
  }
  for (const char* plot : {"Prec_Cano", "Prec_NonCano", "Sens_Cano", "Sens_NonCano"})
    EXPECT_EQ(output(std::string("PlotData_Average_") + plot + ".csv").rfind("Method\tPercent\tType\n", 0), 0u);
  EXPECT_TRUE(exists(dir.file("io_data/Output/BP_Src/2B9N_A.dssr.bexora.bpsrc")));
  EXPECT_EQ(motifFiles(), 0u);
}

TEST_F(BenchmarkRun, MotifFormAlsoWritesTheFifteenMotifFiles) {
  RunResult r = runBexora({"-B", "BENCHMARK-MOTIF"}, dir.path());
  ASSERT_EQ(r.status, 0) << r.out;
  EXPECT_EQ(motifFiles(), 15u);
  std::string motif = output("Motif_Segments/2B9N_A_C-Loop-3_2724-2728_2679-2685_MotifAnnotations.txt");
  EXPECT_THAT(motif, HasSubstr("2B9N - MC-Annotate Regular\n"));
  EXPECT_THAT(motif, HasSubstr("2B9N - ClaRNA Bexora\n"));
  EXPECT_THAT(motif, HasSubstr("A2681-A2726 : C-G Ww/Ww pairing antiparallel cis XIX\n"));
}

TEST_F(BenchmarkRun, AMissingStructureEndsTheRunWithoutTables) {
  fs::remove(dir.file("io_data/Input/3V2F.pdb"));
  RunResult r = runBexora({"-B", "BENCHMARK"}, dir.path());
  EXPECT_EQ(r.status, 1);
  EXPECT_THAT(r.out, HasSubstr("Neither .pdb or .cif file for PDB 3V2F was found in the ./io_data/Input/ folder\n"));
  EXPECT_FALSE(exists(dir.file("io_data/Output/tablesInLatex.txt")));
}

}  // namespace
}  // namespace bexora::test
