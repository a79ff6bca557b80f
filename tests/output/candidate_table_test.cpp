#include "output/candidate_table.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <tuple>
#include <vector>

#include "test_support.h"

namespace bexora {
namespace {

// Messages in `out`, records (when verbose) one per line in `err`; the table
// goes to `output`, a scratch folder when none is given.
test::RunResult runBestReference(const std::string& list, const std::string& folder, bool verbose = false,
                                 const std::string& output = "") {
  test::TempDir scratch;
  test::RunResult run;
  const Reporter reporter = collectingReporter(run.out, verbose ? &run.err : nullptr);
  CandidateRanking ranking;
  run.status = findBestReference(list, folder, ranking, reporter);
  if (run.status == 0 && !writeCandidateTable(ranking, output.empty() ? scratch.path() + "/" : output, reporter))
    run.status = 1;
  return run;
}

const std::string kFolder = test::fixturePath("bestref/");

// `{in}` in an expected text stands for the input folder.
std::string inFolder(std::string text) {
  for (std::size_t at = text.find("{in}"); at != std::string::npos; at = text.find("{in}"))
    text.replace(at, 4, kFolder);
  return text;
}

std::string listing(const std::vector<std::string>& candidates) {
  std::string text = "Candidate Reference List:\n";
  for (std::size_t k = 0; k < candidates.size(); ++k)
    text += "Candidate " + std::to_string(k % 20 + 1) + " = " + candidates[k] + "\n";
  return text;
}

std::string verdict(const std::string& recommended) {
  return "\nTarget = 9TGT A\nRecommended reference: " + recommended + "\n";
}

const std::string kTableHeader =
    "list_position\tpdb_id\tchain\tlength\tcost\tidentity\ttarget_coverage\trank\tstatus\n";

// What each list prints, its status and its candidate table (null: not
// checked): every candidate in list order, ids and chains upper-cased;
// those without a sequence, repeats and the target itself are marked and
// not ranked, equal costs rank in list order, and no table follows a failed
// run, nor a run without a scored candidate.
TEST(FindBestReference, ListFilesAndTheirTables) {
  auto refused = [](const std::string& name, const std::string& why) {
    return "Warning!!! Candidate " + name + why + "; it is not recommended.\n";
  };
  auto missing = [&](const std::string& name) { return refused(name, " has no sequence in {in}pdb_seqres.na.fa"); };
  auto tooLong = [&](const std::string& name) {
    return refused(name, " exceeds the 5-character id or 4-character chain field");
  };
  const std::string noTarget =
      "The chain sequence for given PDB was not found in {in}pdb_seqres.na.fa.\nPlease check your input, or update "
      "the file from PDB server.\n";
  const std::string noneScored = "No candidate could be scored; no reference is recommended.\n";
  auto namesNoFile = [](const std::string& target, const std::string& list) {
    return "Target " + target + " in {in}" + list +
           " cannot name a file: a PDB id of 4 letters and digits and a chain of 1 to 4 are needed.\n";
  };
  const std::tuple<const char*, int, std::string, const char*> cases[] = {
      {"known_costs.txt", 0, listing({"1CCC A", "1DDD A", "1BBB A", "1EEE A"}) + verdict("1BBB A"),
       "1\t1CCC\tA\t12\t3.0\t0.9167\t1.0000\t3\tscored\n"
       "2\t1DDD\tA\t11\t12.0\t0.9167\t0.9167\t4\tscored\n"
       "3\t1BBB\tA\t12\t2.7\t0.9167\t1.0000\t1\tscored\n"
       "4\t1EEE\tA\t12\t2.7\t0.9167\t1.0000\t2\tscored\n"},
      {"duplicates.txt", 0,
       listing({"1CCC A", "1CCC A", "1DDD A", "9TGT A"}) +
           "Warning!!! Candidate 1CCC A repeats list position 1; the repeat is not recommended.\n" +
           refused("9TGT A", " is the target") + verdict("1CCC A"),
       "1\t1CCC\tA\t12\t3.0\t0.9167\t1.0000\t1\tscored\n"
       "2\t1CCC\tA\t0\t-\t-\t-\t-\trepeated_in_batch\n"
       "3\t1DDD\tA\t11\t12.0\t0.9167\t0.9167\t2\tscored\n"
       "4\t9TGT\tA\t0\t-\t-\t-\t-\ttarget\n"},
      {"missing_candidate.txt", 0, listing({"1ZZZ A", "1DDD A"}) + missing("1ZZZ A") + verdict("1DDD A"),
       "1\t1ZZZ\tA\t0\t-\t-\t-\t-\tno_sequence\n"
       "2\t1DDD\tA\t11\t12.0\t0.9167\t0.9167\t1\tscored\n"},
      {"lower_case_target.txt", 0, listing({"1AAA A"}) + verdict("1AAA A"), nullptr},
      {"only_missing.txt", 1, listing({"1ZZZ A"}) + missing("1ZZZ A") + "\nTarget = 9TGT A\n" + noneScored, nullptr},
      {"no_candidates.txt", 1, listing({}) + "\nTarget = 9TGT A\n" + noneScored, nullptr},
      {"prefix_chains.txt", 0, listing({"2PPP A", "2PPP AB", "1BBB A"}) + verdict("2PPP AB"),
       "1\t2PPP\tA\t4\t19.0\t0.3333\t0.3333\t3\tscored\n"
       "2\t2PPP\tAB\t12\t0.0\t1.0000\t1.0000\t1\tscored\n"
       "3\t1BBB\tA\t12\t2.7\t0.9167\t1.0000\t2\tscored\n"},
      {"long_ids.txt", 0,
       listing({"1AAAAA A", "1AAA ABCDE", "2PPP AB12"}) + tooLong("1AAAAA A") + tooLong("1AAA ABCDE") +
           verdict("2PPP AB12"),
       "1\t1AAAAA\tA\t0\t-\t-\t-\t-\ttoo_long\n"
       "2\t1AAA\tABCDE\t0\t-\t-\t-\t-\ttoo_long\n"
       "3\t2PPP\tAB12\t12\t0.0\t1.0000\t1.0000\t1\tscored\n"},
      {"odd_token.txt", 0,
       "Warning!!! The last token 1DDD of {in}odd_token.txt has no chain id; it is ignored.\n" + listing({"1CCC A"}) +
           verdict("1CCC A"),
       nullptr},
      {"missing_target.txt", 1, noTarget, nullptr},
      {"long_target.txt", 1, namesNoFile("9TGTTGTTGTTGTTGT A", "long_target.txt"), nullptr},
      {"slashed_target.txt", 1, namesNoFile("9TGT ../A", "slashed_target.txt"), nullptr},
      {"empty.txt", 1, "The target PDB id and chain were not found in {in}empty.txt.\n", nullptr},
      {"absent.txt", 1, "{in}absent.txt File Not Found\n", nullptr},
  };
  for (const auto& [list, status, out, rows] : cases) {
    SCOPED_TRACE(list);
    test::TempDir output;
    test::RunResult run = runBestReference(list, kFolder, false, output.path() + "/");
    EXPECT_EQ(run.status, status);
    EXPECT_EQ(run.out, inFolder(out));
    if (status != 0) {
      EXPECT_TRUE(std::filesystem::is_empty(output.path()));
    } else if (rows) {
      EXPECT_EQ(test::readFile(output.file("9TGT_A.candidates.tsv")), kTableHeader + rows);
    }
  }
}

TEST(FindBestReference, MissingFastaFileFails) {
  test::TempDir folder;
  test::writeFile(folder.file("list.txt"), "9TGT A 1AAA A\n");
  test::RunResult run = runBestReference("list.txt", folder.path() + "/");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, "File \"" + folder.path() + "/pdb_seqres.na.fa\" was not found.\n");
}

// Candidate k of the generated list carries costs[k] transversions, far
// apart, so its cost is 3 * costs[k]; a negative entry names a chain the
// FASTA file lacks. `more` is appended to the list.
struct GeneratedList {
  test::TempDir folder;
  std::vector<std::string> names;

  GeneratedList(const std::vector<int>& costs, const std::string& more) {
    const std::string target = "ACGUACGUACGUACGUACGUACGUACGUACGUACGUACGUACGUACGUACGU";
    std::string fasta = ">9tgt_A mol:na length:52  TARGET\n" + target + "\n";
    std::string list = "9TGT A\n";
    for (std::size_t k = 0; k < costs.size(); ++k) {
      std::string id = "3X" + std::to_string(10 + k);
      names.push_back(id + " A");
      list += id + " A\n";
      if (costs[k] < 0) continue;
      std::string sequence = target;
      for (int s = 0; s < costs[k]; ++s) sequence[1 + 8 * s] = 'G';  // C to G
      fasta += ">" + id + "_A mol:na length:52  GENERATED\n" + sequence + "\n";
    }
    test::writeFile(folder.file("pdb_seqres.na.fa"), fasta);
    test::writeFile(folder.file("list.txt"), list + more);
  }
};

// 25 candidates and a repeat of the first run in two batches; the repeat in
// the second batch is reported and not scored again, and either batch can win.
TEST(FindBestReference, CandidatesRunInBatchesOfTwenty) {
  for (const auto& [firstBest, secondBest, winner] :
       {std::make_tuple(1, 2, "3X16 A"), std::make_tuple(2, 0, "3X31 A")}) {
    SCOPED_TRACE(winner);
    std::vector<int> costs(25, 5);
    costs[3] = -1;
    costs[6] = firstBest;
    costs[21] = secondBest;
    GeneratedList generated(costs, "3X10 A\n");
    test::RunResult run =
        runBestReference("list.txt", generated.folder.path() + "/", true, generated.folder.path() + "/");
    EXPECT_EQ(run.status, 0);
    std::string expected = listing(std::vector<std::string>(generated.names.begin(), generated.names.begin() + 20));
    expected += "Warning!!! Candidate 3X13 A has no sequence in " + generated.folder.file("pdb_seqres.na.fa") +
                "; it is not recommended.\n";
    generated.names.push_back("3X10 A");
    for (std::size_t k = 20; k < 26; ++k)
      expected += "Candidate " + std::to_string(k - 19) + " = " + generated.names[k] + "\n";
    expected += "Warning!!! Candidate 3X10 A repeats list position 1; the repeat is not recommended.\n";
    EXPECT_EQ(run.out, expected + verdict(winner));
    std::size_t records = 0;
    for (std::size_t at = 0; (at = run.err.find("candidate ", at)) != std::string::npos; ++at) ++records;
    EXPECT_EQ(records, 26u);
    EXPECT_NE(run.err.find("id=3X31 chain=A length=52 cost=" + std::to_string(3 * secondBest) + "\n"),
              std::string::npos)
        << run.err;
    const std::string repeat = "candidate id=3X10 chain=A length=0 cost=";
    EXPECT_NE(run.err.find(repeat), std::string::npos) << run.err;
    const std::string table = test::readFile(generated.folder.file("9TGT_A.candidates.tsv"));
    const std::size_t first = table.find("\t1\tscored\n");
    ASSERT_NE(first, std::string::npos) << table;
    EXPECT_EQ(table.rfind("\t1\tscored\n"), first) << table;
    const std::string winnerRow = table.substr(table.rfind('\n', first) + 1, first - table.rfind('\n', first));
    EXPECT_NE(winnerRow.find(std::string(winner).replace(4, 1, "\t")), std::string::npos) << winnerRow;
    EXPECT_NE(table.find("26\t3X10\tA\t0\t-\t-\t-\t-\trepeated_in_batch\n"), std::string::npos) << table;
    // Identity and coverage are measured for the 20 best-ranked candidates only.
    EXPECT_EQ(table.find("\t-\t-\t20\tscored\n"), std::string::npos) << table;
    EXPECT_NE(table.find("\t-\t-\t21\tscored\n"), std::string::npos) << table;
  }
}

// The recommendation stays printed; the failure is reported and ends the
// run with status 1, and no partial table is left.
TEST(FindBestReference, UnwritableTableFails) {
  test::TempDir output;
  test::writeFile(output.file("taken"), "a file, not a folder\n");
  test::RunResult run = runBestReference("equal_costs.txt", kFolder, false, output.file("taken/"));
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, inFolder(listing({"1EEE A", "1BBB A"}) + verdict("1EEE A")) + output.file("taken/") +
                         "9TGT_A.candidates.tsv file could not be created\n");
  EXPECT_EQ(test::readFile(output.file("taken")), "a file, not a folder\n");
}

}  // namespace
}  // namespace bexora
