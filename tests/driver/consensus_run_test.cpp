#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <nlohmann/json.hpp>
#include <regex>
#include <string>
#include <vector>

#include "test_support.h"
#include "text_fields.h"

namespace bexora::test {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;

struct Tool {
  const char* token;
  const char* ext;   // of the enhanced annotation
  const char* name;  // the tag of the tool's own lines
};
const std::map<std::string, Tool> kTools = {{"MC", {"MC", "mca", "MC-Annotate"}}, {"RV", {"RV", "rv", "RNAView"}},
                                            {"FR", {"FR", "fr3d", "FR3D"}},       {"DS", {"DS", "dssr", "DSSR"}},
                                            {"CLA", {"CLA", "clarna", "ClaRNA"}}};

struct ConsensusCase {
  const char* name;
  std::vector<std::string> args;  // the run without -I and -O
  std::string target;             // "1EHZ_A"
  bool realData;
  // Fills the input folder; returns its path.
  std::string (*input)(const TempDir&);
};

void PrintTo(const ConsensusCase& c, std::ostream* out) { *out << c.name; }

std::string bundledExample(const TempDir&) { return std::string(BEXORA_SOURCE_DIR) + "/examples/io_data/Input/"; }

std::string syntheticExample(const TempDir& dir) {
  EXPECT_TRUE(makeExample("example", dir.file("in")));
  return dir.file("in/");
}

// 1GID chain B onto chain A: DSSR's files cover chain A only.
std::string twoCopiesOfP4P6(const TempDir& dir) {
  makeDirs(dir.file("in"));
  const std::pair<const char*, const char*> links[] = {
      {"generated/1GID/1GID.pdb", "1GID.pdb"},
      {"generated/1GID/1GID.rv.out", "1GID.rv.out"},
      {"generated/1GID/fr3d_raw/1GID_basepair.txt", "1GID.fr3d.out"},
      {"formats/dssr/ribodraw-1gid/1gid_RNAA.pdb.dssr.out", "1GID.dssr"}};
  for (const auto& [from, to] : links) fs::create_symlink(realDataPath(from), dir.file(std::string("in/") + to));
  return dir.file("in/");
}

const ConsensusCase kCases[] = {
    {"TransferRna", {"6TNA", "A", "1EHZ", "A", "-M", "RV,FR", "--unknown-dpi", "0.25", "--2d"}, "1EHZ_A", false,
     bundledExample},
    {"EveryTool", {"1EXR", "A", "2EXT", "A", "-M", "ALL"}, "2EXT_A", false, syntheticExample},
    {"P4P6ThreeTools", {"1GID", "B", "1GID", "A", "-M", "RV,FR,DS", "--2d"}, "1GID_A", true, twoCopiesOfP4P6},
};

using Table = std::vector<std::vector<std::string>>;

Table tsv(const std::string& path) {
  Table rows;
  for (const std::string& line : textLines(readFile(path))) rows.push_back(fieldsOf(line));
  return rows;
}

std::size_t column(const Table& table, const std::string& name) {
  auto at = std::find(table[0].begin(), table[0].end(), name);
  EXPECT_NE(at, table[0].end()) << name;
  return static_cast<std::size_t>(at - table[0].begin());
}

// "A|12|-|A|45|-", the ends in residue order, from a source-tag line's "A12-A45.B : ...".
std::string residueKey(const std::string& line) {
  static const std::regex ends("^([A-Za-z])(-?\\d+)(?:\\.(\\S))?-([A-Za-z])(-?\\d+)(?:\\.(\\S))? : ");
  std::smatch m;
  EXPECT_TRUE(std::regex_search(line, m, ends)) << line;
  std::string first = m[1].str() + "|" + m[2].str() + "|" + (m[3].matched ? m[3].str() : "-");
  std::string second = m[4].str() + "|" + m[5].str() + "|" + (m[6].matched ? m[6].str() : "-");
  const bool reversed = std::make_pair(std::stoi(m[2]), m[3].str()) > std::make_pair(std::stoi(m[5]), m[6].str());
  return reversed ? second + "|" + first : first + "|" + second;
}

std::string rowKey(const std::vector<std::string>& row) {
  return row[0] + "|" + row[1] + "|" + row[2] + "|" + row[4] + "|" + row[5] + "|" + row[6];
}

// The tool's source tags as the consensus names them, by residue pair.
std::map<std::string, std::string> sourcesOf(const std::string& bpsrc, const Tool& tool) {
  std::map<std::string, std::string> sources;
  for (const std::string& line : textLines(readFile(bpsrc))) {
    const std::string tag = line.substr(line.rfind("  ") + 2);
    sources.emplace(residueKey(line), tag == "Bexora" ? "carried" : "own");
    EXPECT_TRUE(tag == "Both" || tag == "Bexora" || tag == tool.name) << line;
  }
  return sources;
}

std::string recountedClass(const std::vector<std::string>& sources) {
  int native = 0, carried = 0;
  for (const std::string& source : sources) {
    native += source == "own";
    carried += source == "carried";
  }
  if (native == 0) return "carried-only";
  if (native + carried == static_cast<int>(sources.size())) return "all";
  return native + carried == 1 ? "single" : "majority";
}

std::string jsonRowAsTsv(const nlohmann::json& row, const std::vector<std::string>& tokens) {
  std::string line;
  for (const nlohmann::json& residue : row["residues"]) {
    std::string code = residue["insertion_code"];
    line += std::string(line.empty() ? "" : "\t") + residue["chain"].get<std::string>() + "\t" +
            std::to_string(residue["number"].get<int>()) + "\t" + (code.empty() ? "-" : code) + "\t" +
            residue["base"].get<std::string>();
  }
  for (const std::string& token : tokens)
    line += "\t" + row["tools"][token]["family"].get<std::string>() + "\t" +
            row["tools"][token]["source"].get<std::string>();
  return line + "\t" + std::to_string(row["native"].get<int>()) + "\t" + std::to_string(row["carried"].get<int>()) +
         "\t" + row["families_agree"].get<std::string>() + "\t" + row["class"].get<std::string>();
}

class ConsensusRun : public ::testing::TestWithParam<ConsensusCase> {
 protected:
  void SetUp() override {
    if (GetParam().realData) BEXORA_REQUIRE_REALDATA();
    std::vector<std::string> args = GetParam().args;
    for (const std::string& extra : {std::string("--consensus"), std::string("-I"), GetParam().input(dir),
                                     std::string("-O"), dir.file("out/")})
      args.push_back(extra);
    run = runBexora(args, dir.path());
    ASSERT_EQ(run.status, 0) << run.out;
    table = tsv(out(".consensus.tsv"));
    for (std::size_t c = 8; c + 4 < table[0].size(); c += 2)
      tokens.push_back(table[0][c].substr(0, table[0][c].find('_')));
  }
  std::string out(const std::string& suffix) const { return dir.file("out/" + GetParam().target + suffix); }

  TempDir dir;
  RunResult run;
  Table table;
  std::vector<std::string> tokens;
};

// Every row's source per tool is that tool's tag, and every tagged pair has its row.
TEST_P(ConsensusRun, RowsAreTheUnionOfTheSourceTagFiles) {
  std::map<std::string, std::size_t> rowOf;
  for (std::size_t r = 1; r < table.size(); ++r) rowOf[rowKey(table[r])] = r;
  ASSERT_EQ(rowOf.size(), table.size() - 1) << "a residue pair has two rows";
  for (const std::string& token : tokens) {
    const Tool& tool = kTools.at(token);
    const std::string bpsrc = "out/BP_Src/" + GetParam().target + "." + tool.ext + ".bexora.bpsrc";
    const auto sources = sourcesOf(dir.file(bpsrc), tool);
    const std::size_t at = column(table, token + "_source");
    for (const auto& [key, source] : sources) {
      ASSERT_TRUE(rowOf.count(key)) << token << " " << key;
      EXPECT_EQ(table[rowOf[key]][at], source) << token << " " << key;
    }
    for (std::size_t r = 1; r < table.size(); ++r) {
      const std::string& source = table[r][at];
      EXPECT_EQ(sources.count(rowKey(table[r])) == 1, source == "own" || source == "carried") << token << " row " << r;
    }
  }
}

// The class of each row, the counts of the Consensus: line and the JSON's, recounted from the sources.
TEST_P(ConsensusRun, ClassCountsEqualARecount) {
  std::map<std::string, int> counts = {{"all", 0}, {"majority", 0}, {"single", 0}, {"carried-only", 0}};
  for (std::size_t r = 1; r < table.size(); ++r) {
    std::vector<std::string> sources;
    for (const std::string& token : tokens) sources.push_back(table[r][column(table, token + "_source")]);
    EXPECT_EQ(table[r].back(), recountedClass(sources)) << "row " << r;
    ++counts[recountedClass(sources)];
  }
  const std::string line = "Consensus: " + std::to_string(table.size() - 1) + " pairs: all " +
                           std::to_string(counts["all"]) + ", majority " + std::to_string(counts["majority"]) +
                           ", single " + std::to_string(counts["single"]) + ", carried-only " +
                           std::to_string(counts["carried-only"]) + "\n";
  EXPECT_THAT(run.out, HasSubstr(line));
  const nlohmann::json json = nlohmann::json::parse(readFile(out(".consensus.json")));
  for (const auto& [name, count] : counts) EXPECT_EQ(json["classes"][name], count) << name;
}

TEST_P(ConsensusRun, JsonRoundTripsToTheTable) {
  const nlohmann::json json = nlohmann::json::parse(readFile(out(".consensus.json")));
  std::vector<std::string> fromJson;
  for (const nlohmann::json& row : json["rows"]) fromJson.push_back(jsonRowAsTsv(row, tokens));
  std::vector<std::string> lines = textLines(readFile(out(".consensus.tsv")));
  lines.erase(lines.begin());
  EXPECT_EQ(fromJson, lines);
  ASSERT_EQ(json["tools"].size(), tokens.size());
  for (std::size_t t = 0; t < tokens.size(); ++t) {
    EXPECT_EQ(json["tools"][t]["token"], tokens[t]);
    EXPECT_TRUE(exists(json["tools"][t]["target_file"].get<std::string>()));
  }
}

TEST_P(ConsensusRun, JsonValidatesAgainstTheSchema) {
  if (std::system("python3 -c 'import jsonschema' 2>/dev/null") != 0) GTEST_SKIP() << "python3 jsonschema is absent";
  const std::string check = "python3 -c 'import json, sys, jsonschema; jsonschema.Draft202012Validator("
                            "json.load(open(sys.argv[1]))).validate(json.load(open(sys.argv[2])))' " +
                            std::string(BEXORA_SOURCE_DIR) + "/docs/consensus.schema.json " + out(".consensus.json");
  EXPECT_EQ(std::system(check.c_str()), 0);
}

INSTANTIATE_TEST_SUITE_P(Targets, ConsensusRun, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

// With --2d, the consensus dot-bracket holds the canonical pairs of at least
// half of the tools: on the tRNA, RNAView's and FR3D's cloverleaf and G19-C56.
TEST(ConsensusFiles, TransferRnaCloverleafAndDiagram) {
  TempDir dir;
  RunResult r = runBexora({"6TNA", "A", "1EHZ", "A", "-M", "RV,FR", "--unknown-dpi", "0.25", "--2d", "--consensus",
                           "-I", bundledExample(dir), "-O", dir.file("out/")},
                          dir.path());
  ASSERT_EQ(r.status, 0) << r.out;
  std::vector<std::string> dbn = textLines(readFile(dir.file("out/1EHZ_A.consensus.dbn")));
  ASSERT_GE(dbn.size(), 3u);
  EXPECT_EQ(dbn[0], ">1EHZ_A, consensus of RNAView, FR3D enhanced from 6TNA_A");
  EXPECT_EQ(dbn[2], textLines(readFile(dir.file("out/1EHZ_A.rv.bexora.dbn")))[2]);
  const std::string svg = readFile(dir.file("out/1EHZ_A.consensus.svg"));
  EXPECT_THAT(svg, HasSubstr("All tools ("));
  EXPECT_THAT(svg, HasSubstr("</svg>\n"));
}

// The consensus and the tools' files are committed together or not at all;
// one tool has nothing to compare with.
TEST(ConsensusFiles, AllOrNothingAndNeedsTwoTools) {
  TempDir dir;
  const std::string input = syntheticExample(dir);
  makeDirs(dir.file("out/2EXT_A.consensus.json"));
  RunResult blocked = runBexora({"1EXR", "A", "2EXT", "A", "-M", "RV,FR", "--consensus", "-I", input, "-O",
                                 dir.file("out/")}, dir.path());
  EXPECT_EQ(blocked.status, 1) << blocked.out;
  EXPECT_FALSE(exists(dir.file("out/2EXT_A.rv.bexora")));
  EXPECT_FALSE(exists(dir.file("out/2EXT_A.consensus.tsv")));
  RunResult one = runBexora({"1EXR", "A", "2EXT", "A", "-M", "FR", "--consensus", "-I", input, "-O",
                             dir.file("one/")}, dir.path());
  EXPECT_EQ(one.status, 0) << one.out;
  EXPECT_THAT(one.out, HasSubstr("Warning!!! --consensus needs two or more methods; no consensus is written.\n"));
  EXPECT_TRUE(exists(dir.file("one/2EXT_A.fr3d.bexora")));
  EXPECT_FALSE(exists(dir.file("one/2EXT_A.consensus.tsv")));
}

// A batch's summary gains the class counts of each pair's consensus; '-' where there is none.
TEST(ConsensusFiles, BatchSummaryCountsTheClasses) {
  TempDir dir;
  const std::string input = syntheticExample(dir);
  writeFile(input + "pairs.txt", "1EXR A 2EXT A RV,FR\n2EXT A 1EXR A FR\n");
  RunResult r = runBexora({"-L", "pairs.txt", "--consensus", "-I", input, "-O", dir.file("out/")}, dir.path());
  ASSERT_EQ(r.status, 0) << r.out;
  Table summary = tsv(dir.file("out/batch_summary.tsv"));
  ASSERT_EQ(summary.size(), 3u);
  const std::size_t all = column(summary, "consensus_all");
  ASSERT_EQ(summary[0].size(), all + 4);
  EXPECT_EQ(summary[0].back(), "consensus_carried-only");
  const std::string log = readFile(dir.file("out/1EXR_A_2EXT_A/run.log"));
  const std::string expected = "Consensus: \\d+ pairs: all " + summary[1][all] + ", majority " + summary[1][all + 1] +
                               ", single " + summary[1][all + 2] + ", carried-only " + summary[1][all + 3];
  EXPECT_TRUE(std::regex_search(log, std::regex(expected))) << log;
  EXPECT_EQ(std::vector<std::string>(summary[2].begin() + all, summary[2].end()),
            std::vector<std::string>(4, "-"));
}

}  // namespace
}  // namespace bexora::test
