#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "driver/pipeline.h"
#include "test_support.h"
#include "model/record_fixtures.h"

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

// Every field of a pair, in one comparable text.
std::string allFields(const BPInfo& pair) {
  std::ostringstream out;
  for (int end = 0; end < 2; ++end)
    out << pair.chainId[end] << ':' << pair.resSeqNo[end] << ":'" << pair.iCode[end] << "':" << pair.nucleotide[end]
        << ' ';
  for (int edge = 0; edge < kMaxEdges; ++edge) out << pair.edge[edge][0] << '/' << pair.edge[edge][1] << ' ';
  out << pair.edgeCount << " [" << pair.stackInfo << "] " << pair.parallel << ' ' << static_cast<int>(pair.orientation)
      << " [" << pair.description << "] " << std::hexfloat << pair.weight << ' ' << pair.source;
  return out.str();
}

std::vector<std::string> allFields(const std::vector<BPInfo>& pairs) {
  std::vector<std::string> texts;
  for (const BPInfo& pair : pairs) texts.push_back(allFields(pair));
  return texts;
}

// The enhanced phase run pass by pass in this process, as the program runs it.
struct EnhancedPhase {
  std::unique_ptr<RunState> state;

  explicit EnhancedPhase(const TempDir& dir) {
    RunSettings settings;
    settings.mode = RunMode::kBenchmark;
    settings.writeCorrectnessLog = settings.writeInferabilityLog = true;
    settings.inputFolder = dir.file("io_data/Input/");
    settings.outputFolder = dir.file("io_data/Output/");
    state = std::make_unique<RunState>(settings);
    state->phase = 1;
    state->plan = benchmarkPassPlan(state->phase, state->settings);
    state->compareEdgeSetting = state->plan.compareEdgeSetting;
  }
  bool run(int method, int pass) {
    bool ok = false;
    stdoutOf([&] { ok = runPass(*state, method, pass); });
    return ok;
  }
};

// A chained pass starts from exactly the pairs the pass before it assessed
// and accepted, in their order, whatever the writer did with them meanwhile.
TEST_F(BenchmarkRun, ChainedPassStartsFromTheAssessedPairs) {
  EnhancedPhase phase(dir);
  RunState& state = *phase.state;
  std::size_t keptSeen = 0;
  for (int method : state.settings.methodList)
    for (int pass = state.plan.passStart; pass < state.plan.passEnd; pass += 2) {
      SCOPED_TRACE(std::string(methodName(method)) + " pass " + std::to_string(pass));
      ASSERT_TRUE(phase.run(method, pass));
      const std::vector<BPInfo> assessed = state.mapping.assessedPairs;
      keptSeen += state.mapping.keptTargetPairs.size();
      ASSERT_TRUE(readAnnotations(state, method, pass + 1));
      EXPECT_EQ(allFields(state.basePairMap[kReference]), allFields(assessed));
      ASSERT_TRUE(phase.run(method, pass + 1));
    }
  EXPECT_GT(keptSeen, 0u) << "the inputs no longer have kept target pairs to leave out";
}

TEST_F(BenchmarkRun, BothPhasesWriteLogsAndTables) {
  RunResult r = runBexora({"-B", "BENCHMARK", "-V"}, dir.path());
  ASSERT_EQ(r.status, 0) << r.out;
  for (const char* log : {"log.txt", "log2.txt"})
    EXPECT_EQ(output(log), readFile(fixturePath(std::string("benchmark/") + log))) << log;
  EXPECT_THAT(r.err, HasSubstr("bexora: pass phase=1 method=CLA pass=9 reference=2B9M:A target=2VQE:A\n"));

  // The tables' layout is pinned by the table writer's tests; here they are made from numbers.
  for (const std::string& table : {output("tablesInLatex.txt"), output("inferablityTablesInLatex.txt")}) {
    EXPECT_THAT(table, HasSubstr("3R8S"));
    EXPECT_THAT(table, Not(HasSubstr("nan")));
    EXPECT_THAT(table, Not(HasSubstr("inf ")));
  }
  EXPECT_TRUE(exists(dir.file("io_data/Output/BP_Src/2B9N_A.dssr.bexora.bpsrc")));
  EXPECT_EQ(motifFiles(), 0u);
  // The logs are the benchmark's summary; no summary lines, no evidence files.
  EXPECT_THAT(r.out, Not(HasSubstr("Summary: ")));
  EXPECT_FALSE(exists(dir.file("io_data/Output/BP_Src/2B9N_A.dssr.bexora.evidence.tsv")));
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
