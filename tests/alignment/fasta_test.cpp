#include "alignment/fasta.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "test_support.h"

namespace bexora {
namespace {

std::string lettersOf(const StructureResidueMap& map) {
  std::string letters;
  for (const ResidueMapEntry& entry : map.chain.entries) letters.push_back(entry.nucleotide);
  return letters;
}

struct SequenceRun {
  bool ok = false;
  ResidueMapPair maps;
  std::string out;
};

// Reads the file, and once more from its lines held in memory, which must
// give the same sequences and messages.
SequenceRun readPair(const std::string& path, const std::string& refId, const std::string& refChain,
                     const std::string& targetId, const std::string& targetChain) {
  SequenceRun run, held;
  run.ok = readFastaSequence(path, refId, refChain, targetId, targetChain, run.maps, collectingReporter(run.out));
  held.ok = readFastaSequence(loadFastaText(path, Reporter()), refId, refChain, targetId, targetChain, held.maps,
                              collectingReporter(held.out));
  EXPECT_EQ(held.ok, run.ok);
  EXPECT_EQ(held.out, run.out);
  for (int side = 0; side < kSides; ++side) {
    EXPECT_EQ(lettersOf(held.maps[side]), lettersOf(run.maps[side]));
    EXPECT_STREQ(held.maps[side].pdbId, run.maps[side].pdbId);
  }
  return run;
}

// Reference 1ABC A, target 2XYZ B unless the test names others; the output
// names the file "{file}".
SequenceRun readText(const std::string& text, const std::string& targetId = "2XYZ", const std::string& chain = "B") {
  test::TempDir dir;
  const std::string file = dir.file("seq.fa");
  test::writeFile(file, text);
  SequenceRun run = readPair(file, "1ABC", "A", targetId, chain);
  for (std::size_t at; (at = run.out.find(file)) != std::string::npos;) run.out.replace(at, file.size(), "{file}");
  return run;
}

struct LayoutCase {
  const char *name, *text;
  bool ok;
  const char *reference, *target;
  std::string out;
};

TEST(ReadFastaSequence, LayoutsAndLetters) {
  const std::string trailer =
      "--Warning!!! There are data inconsistency, as described above--\n--Continuing with invalid data--\n\n";
  const LayoutCase cases[] = {
      {"one line each", ">1abc_A mol:na length:4  X\nACGU\n>2xyz_B mol:na length:3  Y\nGGC\n", true, "ACGU", "GGC", ""},
      {"wrapped lines", ">1abc_A mol:na\nAC\nGU\n\nAA\n>2xyz_B mol:na\nG\nGC\n", true, "ACGUAA", "GGC", ""},
      {"lower case", ">1abc_a mol:na\nacgu\n>2XYZ_b mol:na\nggc\n", true, "ACGU", "GGC", ""},
      {"leading blanks", "  >1abc_A mol:na\n\t  ACGU\n   \n>2xyz_B mol:na\n GGC\n", true, "ACGU", "GGC", ""},
      {"others between", ">1abc_C mol:na\nUU\n>2xyz_B mol:na\nGGC\n>9zzz_A mol:na\nCC\n>1abc_A mol:na\nACGU\n", true,
       "ACGU", "GGC", ""},
      {"missing target", ">1abc_A mol:na\nACGU\n", false, "ACGU", "", ""},
      {"header of 7 characters", ">1abc_A\nACGU\n>2xyz_B mol:na\nGGC\n", false, "", "GGC", ""},
      {"header ends the record", ">1abc_A mol:na\nAC\n>1abc_B\nGG\n>2xyz_B mol:na\nGGC\n", true, "AC", "GGC", ""},
      {"later record not taken", ">1abc_A mol:na\n>9zzz_Q mol:na\nUUU\n>2xyz_B mol:na\nGGC\n", false, "", "GGC", ""},
      // Letter reports end with the line they are about.
      {"N is kept", ">1abc_A mol:na\nACNU\n>2xyz_B mol:na\nG\n", true, "ACNU", "G",
       "Warning!!! Nucleotide 'N' in seq-1 at position-2 is kept as 'N'.\n(line 2 of {file})\n"},
      {"faulty letters are kept", ">1abc_A mol:na\nATxI\n>2xyz_B mol:na\nG\n", true, "ATXI", "G",
       "Invalid nucleotide 'T' in seq-1 at position-1\nInvalid nucleotide 'X' in seq-1 at position-2\n"
       "Invalid nucleotide 'I' in seq-1 at position-3\n(line 2 of {file})\n" +
           trailer},
      {"blanks are dropped", ">1abc_A mol:na\nAC GU\t\n>2xyz_B mol:na\nG\n", true, "ACGU", "G",
       "No valid nucleotide in seq-1 at position-2\nNo valid nucleotide in seq-1 at position-4\n(line 2 of {file})\n" +
           trailer},
      {"positions run on", ">1abc_A mol:na\nACG\nUX\n>2xyz_B mol:na\nG\n", true, "ACGUX", "G",
       "Invalid nucleotide 'X' in seq-1 at position-4\n(line 3 of {file})\n" + trailer},
      {"byte above 127", ">1abc_A mol:na\nA\xE9G\n>2xyz_B mol:na\nG\n", true, "A\xE9G", "G",
       "Invalid nucleotide '\xE9' in seq-1 at position-1\n(line 2 of {file})\n" + trailer},
  };
  for (const LayoutCase& c : cases) {
    SCOPED_TRACE(c.name);
    SequenceRun run = readText(c.text);
    EXPECT_EQ(run.ok, c.ok);
    EXPECT_EQ(lettersOf(run.maps[kReference]), c.reference);
    EXPECT_EQ(lettersOf(run.maps[kTarget]), c.target);
    EXPECT_EQ(run.out, c.out);
  }
}

TEST(ReadFastaSequence, SameChainTwiceAndSecondHeaders) {
  SequenceRun same = readText(">1abc_A mol:na\nACGU\nGG\n", "1ABC", "A");
  EXPECT_TRUE(same.ok);
  EXPECT_EQ(lettersOf(same.maps[kTarget]), "ACGUGG");
  EXPECT_STREQ(same.maps[kTarget].pdbId, "1ABC");
  const ResidueMapEntry& last = same.maps[kTarget].chain.entries.back();
  EXPECT_EQ(std::make_tuple(last.resSeqNo, last.iCode, last.mapIndex, last.identical), std::make_tuple(6, ' ', -1, 0));
  SequenceRun twice = readText(">1abc_A mol:na\nACGU\n>1abc_a mol:na\nUUUU\n>2xyz_B mol:na\nGGC\n");
  EXPECT_EQ(lettersOf(twice.maps[kReference]), "ACGU");
  EXPECT_EQ(twice.out.rfind("Warning!!! Another sequence of 1ABC chain A at line 3", 0), 0u) << twice.out;
}

TEST(ReadFastaSequence, ChainFieldIsTakenWhole) {
  const std::string text = ">1abc_A mol:na\nACGU\n>4v9d_AA mol:na\nGGC\n>4v9d_A mol:na\nGG\n>4v9d_a1\tmol:na\nCC\n"
                           ">4v9d_S2AB mol:na\nUU\n";
  const std::pair<const char*, const char*> cases[] = {{"AA", "GGC"}, {"A", "GG"}, {"A1", "CC"}, {"S2AB", "UU"},
                                                       {"S2", ""}};
  for (const auto& [chain, letters] : cases) {
    SCOPED_TRACE(chain);
    EXPECT_EQ(lettersOf(readText(text, "4V9D", chain).maps[kTarget]), letters);
  }
}

TEST(ReadFastaSequence, RealFiles) {
  BEXORA_REQUIRE_REALDATA();
  SequenceRun run = readPair(test::realDataPath("pdb_seqres.na.fa"), "1EHZ", "A", "3J7A", "7");
  ASSERT_TRUE(run.ok);
  EXPECT_EQ(lettersOf(run.maps[kReference]).substr(0, 10), "GCGGAUUUAG");
  EXPECT_EQ(run.maps[kTarget].chain.length(), 74);
  EXPECT_EQ(readPair(test::realDataPath("pdb_seqres.na.fa"), "3J7A", "A", "1FJG", "A").maps[0].chain.length(), 2092);
  EXPECT_FALSE(readPair(test::realDataPath("3V2F/3V2F.fa"), "3V2F", "A", "3V2F", "A").ok);
}

struct ListRun {
  bool ok = false;
  std::vector<std::string> sequences;
  std::string out;
};

ListRun readList(const std::string& text, const std::vector<std::string>& ids, const std::vector<std::string>& chains) {
  test::TempDir dir;
  test::writeFile(dir.file("seq.fa"), text);
  ListRun run;
  run.ok = readFastaSeqList(dir.file("seq.fa"), ids, chains, run.sequences, collectingReporter(run.out));
  return run;
}

TEST(ReadFastaSeqList, CandidatesGetTheirRawSequencesCutAtTheLimit) {
  ListRun run = readList(
      ">1abc_A\nacg\nNU\n>2xyz_b mol:na\nGG C\n>1abc_a mol:na\nGGGG\n>1ab\nCC\n>1abc_AB mol:na\nUU\n",
                         {"2XYZ", "1ABC", "4NON", "1ABC", "1ABC"}, {"B", "A", "A", "A", "AB"});
  EXPECT_TRUE(run.ok);
  EXPECT_EQ(run.sequences, (std::vector<std::string>{"GG C", "acgNU", "", "", "UU"}));
  EXPECT_EQ(run.out.rfind("Warning!!! Another sequence of 1ABC chain A at line 6", 0), 0u) << run.out;
  EXPECT_FALSE(readList(">1abc_A mol:na\n", {"1ABC"}, {"A"}).ok);

  run = readList(">1abc_A mol:na\n" + std::string(6990, 'A') + "\n" + std::string(20, 'C') + "\n", {"1ABC"}, {"A"});
  ASSERT_EQ(run.sequences[0].size(), kMaxChainResidues);
  EXPECT_EQ(run.sequences[0].substr(6988), "AACCCCCCCCCC");
  EXPECT_EQ(run.out.find("Warning!!! Chain 1ABC A residue limit of 7000"), 0u) << run.out;
}

}  // namespace
}  // namespace bexora
