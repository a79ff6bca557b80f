#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <map>
#include <regex>
#include <string>
#include <vector>

#include "test_support.h"
#include "text_fields.h"

namespace bexora::test {
namespace {

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;
using Row = std::map<std::string, std::string>;

// The rows of an evidence file, each by column name.
std::vector<Row> evidenceRows(const std::string& text) {
  Lines lines = textLines(text);
  std::vector<Row> rows;
  if (lines.empty()) return rows;
  Lines header = fieldsOf(lines[0]);
  for (std::size_t i = 1; i < lines.size(); ++i) {
    Lines fields = fieldsOf(lines[i]);
    EXPECT_EQ(fields.size(), header.size()) << lines[i];
    Row row;
    for (std::size_t f = 0; f < std::min(fields.size(), header.size()); ++f) row[header[f]] = fields[f];
    rows.push_back(row);
  }
  return rows;
}

// The number after "key=" in the verbose record beginning with `record`.
int recordValue(const std::string& err, const std::string& record, const std::string& key) {
  std::smatch m;
  if (!std::regex_search(err, m, std::regex(record + "[^\n]* " + key + "=(\\d+)"))) return -1;
  return std::stoi(m[1]);
}

int assessedPairs(const std::string& err, const std::string& tag) {
  int sum = 0;
  for (const char* group : {"common", "refInferable", "targetInferable", "targetNonInferable"})
    sum += recordValue(err, "bexora: mapping method=" + tag, group);
  return sum;
}

// The summary line of `tool` against the tags of its source-tag file.
void expectSummaryMatchesTags(const std::string& out, const std::string& tool, const std::string& sourceTags) {
  std::smatch m;
  ASSERT_TRUE(std::regex_search(out, m,
                                std::regex("\nSummary: " + tool +
                                           ": target \\d+ pairs, reference \\d+; carried over "
                                           "\\d+, accepted \\d+; target's own checked \\d+, differing \\d+, kept \\d+ \\(tolerance "
                                           "[0-9.]+ A\\); written (\\d+): Both (\\d+), Bexora (\\d+), " +
                                           tool + " (\\d+)\n")))
      << out;
  std::map<std::string, int> tags = tagCounts(sourceTags);
  EXPECT_EQ(std::stoi(m[1]), static_cast<int>(textLines(sourceTags).size()));
  EXPECT_EQ(std::stoi(m[2]), tags["Both"]);
  EXPECT_EQ(std::stoi(m[3]), tags["Bexora"]);
  EXPECT_EQ(std::stoi(m[4]), tags[tool]);
}

// Atom coordinates of chain A read straight from the ATOM lines, by residue
// number and atom name.
using Atoms = std::map<std::pair<int, std::string>, std::array<double, 3>>;

// Pseudouridine is measured as uridine: the ring atom in the place of
// uridine's N1 (joined to the sugar) is its C5, and so on round the ring.
std::string asUridineAtom(const std::string& name) {
  static const std::map<std::string, std::string> kUridinePlace = {{"C5", "N1"}, {"N1", "C5"}, {"C4", "C2"},
                                                                   {"C2", "C4"}, {"O4", "O2"}, {"O2", "O4"}};
  auto found = kUridinePlace.find(name);
  return found == kUridinePlace.end() ? name : found->second;
}

Atoms chainAtoms(const std::string& pdbPath) {
  Atoms atoms;
  for (const std::string& line : textLines(readFile(pdbPath))) {
    bool atomRecord = line.rfind("ATOM  ", 0) == 0 || line.rfind("HETATM", 0) == 0;
    if (!atomRecord || line.size() < 54 || line[21] != 'A') continue;
    std::string name = line.substr(12, 4);
    name.erase(0, name.find_first_not_of(' '));
    name.erase(name.find_last_not_of(' ') + 1);
    if (line.substr(17, 3) == "PSU") name = asUridineAtom(name);
    atoms[{std::stoi(line.substr(22, 4)), name}] = {std::stod(line.substr(30, 8)), std::stod(line.substr(38, 8)),
                                                    std::stod(line.substr(46, 8))};
  }
  return atoms;
}

double distanceBetween(const Atoms& atoms, int residue1, const std::string& atom1, int residue2,
                       const std::string& atom2) {
  const auto& a = atoms.at({residue1, atom1});
  const auto& b = atoms.at({residue2, atom2});
  return std::sqrt(std::pow(a[0] - b[0], 2) + std::pow(a[1] - b[1], 2) + std::pow(a[2] - b[2], 2));
}

std::array<int, 2> residuesOf(const std::string& pairText) {
  std::smatch m;
  EXPECT_TRUE(std::regex_search(pairText, m, std::regex("^A(\\d+)-A(\\d+) : "))) << pairText;
  return {std::stoi(m[1]), std::stoi(m[2])};
}

struct Contact {
  std::string donor, acceptor;
  int donorEnd, acceptorEnd;  // 0 or 1
};

Contact contactOf(const std::string& text) {
  std::smatch m;
  EXPECT_TRUE(std::regex_match(text, m, std::regex("(.+)\\(([12])\\)-(.+)\\(([12])\\)"))) << text;
  return {m[1], m[3], std::stoi(m[2]) - 1, std::stoi(m[4]) - 1};
}

double value(const Row& row, const std::string& column) { return std::stod(row.at(column)); }

void expectDistance(const Row& row, const std::string& column, double expected) {
  EXPECT_NEAR(value(row, column), expected, 1e-6) << column;
}

// The row's distances against the coordinates, and the tests that measured
// them redone from the row.
void checkMeasuredRow(const Row& row, const Atoms& reference, const Atoms& target) {
  const std::array<int, 2> ref = residuesOf(row.at("reference_pair"));
  const std::array<int, 2> tgt = residuesOf(row.at("target_pair"));
  for (const char* atom : {"C1'", "C2", "C5"}) {
    std::string column = atom == std::string("C1'") ? "c1" : std::string(1, 'c') + atom[1];
    if (row.at(column + "_reference") == "NA") continue;
    expectDistance(row, column + "_reference", distanceBetween(reference, ref[0], atom, ref[1], atom));
    expectDistance(row, column + "_target", distanceBetween(target, tgt[0], atom, tgt[1], atom));
  }
  bool swapped = row.at("orientation") == "swapped";
  for (const char* column : {"contact1", "contact2"}) {
    if (row.at(column) == "NA") continue;
    Contact c = contactOf(row.at(column));
    expectDistance(row, std::string(column) + "_target",
                   distanceBetween(target, tgt[c.donorEnd], c.donor, tgt[c.acceptorEnd], c.acceptor));
    if (row.at(std::string(column) + "_reference") == "NA") continue;
    int donorEnd = swapped ? 1 - c.donorEnd : c.donorEnd;
    expectDistance(row, std::string(column) + "_reference",
                   distanceBetween(reference, ref[donorEnd], c.donor, ref[1 - donorEnd], c.acceptor));
  }
}

// Whether the named comparison of the row passes the test of its group.
bool passes(const Row& row, const std::string& column) {
  if (row.at(column + "_reference") == "NA" || row.at(column + "_target") == "NA") return true;
  double difference = std::fabs(value(row, column + "_reference") - value(row, column + "_target"));
  double tolerance = value(row, "tolerance");
  return row.at("group") == "reference-inferable" ? difference <= tolerance : difference >= tolerance;
}

// A carried pair needs a contact within 4.0 A (the default bound) in the target.
bool hasTargetContact(const Row& row) {
  return row.at("contact1_target") != "NA" && value(row, "contact1_target") <= 4.0;
}

void redoDecision(const Row& row) {
  bool carried = row.at("group") == "reference-inferable";
  if (row.at("decision") == "accepted") {
    for (const char* column : {"c1", "c2", "c5", "contact1", "contact2"}) EXPECT_TRUE(passes(row, column)) << column;
    if (carried) {
      EXPECT_TRUE(hasTargetContact(row));
    }
  } else if (row.at("reason") == "no-contact") {
    EXPECT_FALSE(hasTargetContact(row));
  } else if (row.at("reason") == "contacts") {
    EXPECT_FALSE(passes(row, "contact1") && passes(row, "contact2"));
  } else if (row.at("reason").size() == 2) {  // c1, c2, c5
    EXPECT_FALSE(passes(row, row.at("reason")));
  }
}

// tRNA-Phe of 6TNA carried onto 1EHZ with RNAView's annotations.
TEST(SummaryAndEvidence, TransferRnaRowsAgreeWithTheCoordinates) {
  BEXORA_REQUIRE_REALDATA();
  TempDir dir;
  makeDirs(dir.file("io_data/Input"));
  for (const char* name : {"generated/6TNA/6TNA.pdb", "generated/6TNA/6TNA.rv.out", "generated/1EHZ/1EHZ.pdb",
                           "generated/1EHZ/1EHZ.rv.out", "pdb_seqres.na.fa"})
    fs::create_symlink(realDataPath(name), dir.file("io_data/Input/" + fs::path(name).filename().string()));
  RunResult r = runBexora({"6TNA", "A", "1EHZ", "A", "-M", "RV", "-V"}, dir.path());
  ASSERT_EQ(r.status, 0) << r.out;
  std::string base = dir.file("io_data/Output/BP_Src/1EHZ_A.rv.bexora");
  expectSummaryMatchesTags(r.out, "RNAView", readFile(base + ".bpsrc"));

  std::vector<Row> rows = evidenceRows(readFile(base + ".evidence.tsv"));
  EXPECT_EQ(static_cast<int>(rows.size()), assessedPairs(r.err, "RV"));
  const Atoms reference = chainAtoms(realDataPath("generated/6TNA/6TNA.pdb"));
  const Atoms target = chainAtoms(realDataPath("generated/1EHZ/1EHZ.pdb"));
  int measured = 0;
  for (const Row& row : rows) {
    SCOPED_TRACE(row.at("target_pair"));
    if (row.at("c1_reference") == "NA") continue;
    ++measured;
    checkMeasuredRow(row, reference, target);
    redoDecision(row);
  }
  EXPECT_GE(measured, 4);
  // The target's own pairs are kept whatever their comparison says.
  for (const Row& row : rows) {
    if (row.at("group") == "target-inferable") {
      EXPECT_NE(row.at("decision"), "rejected") << row.at("target_pair");
    }
  }
}

}  // namespace
}  // namespace bexora::test
