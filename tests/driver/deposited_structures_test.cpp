// Single runs on structures as they are deposited today: chain ids of two
// characters, modified nucleotides, structures without a DPI.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "test_support.h"
#include "text_fields.h"

namespace bexora::test {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;
using ::testing::Not;

// An input folder of fixture files (copied) and real files (linked).
class DepositedStructures : public ::testing::Test {
 protected:
  void SetUp() override { makeDirs(dir.file("io_data/Input")); }
  void copyFixtures(const std::string& folder, const std::vector<std::string>& names) {
    for (const std::string& name : names) fs::copy(fixturePath(folder + "/" + name), input(name));
  }
  void linkReal(const std::vector<std::string>& paths) {
    for (const std::string& path : paths) fs::create_symlink(realDataPath(path), input(fs::path(path).filename()));
  }
  std::string input(const std::string& name) const { return dir.file("io_data/Input/" + name); }
  std::string output(const std::string& name) const { return readFile(dir.file("io_data/Output/" + name)); }
  RunResult run(const std::vector<std::string>& args) { return runBexora(args, dir.path()); }

  TempDir dir;
};

std::string unknownDpiWarning(const std::string& id) {
  return "Warning!!! The DPI of structure " + id +
         " is unknown and counts as 0 in the tolerance; --unknown-dpi A gives such structures a DPI of A angstrom.\n";
}

// 9AAA chain AA and 9BBB chain B1 (mmCIF without group_PDB, FASTA, RNAView):
// the pair 2-3 of the reference is carried onto the target's identical atoms.
TEST_F(DepositedStructures, TwoCharacterChainsEndToEnd) {
  copyFixtures("chains", {"9AAA.cif", "9BBB.cif", "9AAA.rv.out", "9BBB.rv.out", "pdb_seqres.na.fa"});
  RunResult r = run({"9aaa", "aa", "9bbb", "b1", "-M", "RV", "-V"});
  ASSERT_EQ(r.status, 0) << r.out;
  EXPECT_EQ(r.out.rfind("Reference: 9AAA AA\nTarget: 9BBB B1\n", 0), 0u) << r.out;
  EXPECT_THAT(r.out, HasSubstr(unknownDpiWarning("9AAA")));
  EXPECT_THAT(r.out, HasSubstr(unknownDpiWarning("9BBB")));
  EXPECT_THAT(r.out, Not(HasSubstr("Single character chain id")));
  EXPECT_THAT(r.err, HasSubstr("structure side=1 id=9BBB chain=B1 file=./io_data/Input/9BBB.cif format=cif atoms=40 "
                               "residues=4 atomLines=63 "));
  EXPECT_THAT(r.err, HasSubstr(" dpi=0 dpiSource=unknown\n"));
  EXPECT_THAT(r.err, HasSubstr("bexora: sequence side=0 id=9AAA chain=AA length=4\n"));
  EXPECT_THAT(r.err, HasSubstr("acceptedCommon=1 acceptedRefInferable=1 "));
  EXPECT_EQ(output("9BBB_B1.rv.bexora"), "'B1'1-'B1'4 : G-C W/W cis\n'B1'2-'B1'3 : G-C W/W cis\n");
  EXPECT_EQ(output("BP_Src/9BBB_B1.rv.bexora.bpsrc"),
            "'B1'1-'B1'4 : G-C W/W cis  Both\n'B1'2-'B1'3 : G-C W/W cis  Bexora\n");
}

// Pairs on 1EHZ's PSU 39 and 55, carried from a hand-written RNAView file of
// 6TNA: left out with --standard-only, measured by default and with the
// older --modified; 1.65 A lets both pass.
TEST_F(DepositedStructures, ModifiedNucleotidesAreCarriedAndMeasured) {
  BEXORA_REQUIRE_REALDATA();
  copyFixtures("modified", {"6TNA.rv.out", "1EHZ.rv.out"});
  linkReal({"6TNA/6TNA.pdb", "1EHZ/1EHZ.pdb", "pdb_seqres.na.fa"});
  const std::vector<std::string> pair = {"6TNA", "A", "1EHZ", "A", "-M", "RV", "-V"};
  std::vector<std::string> standardOnly = pair;
  standardOnly.push_back("--standard-only");
  RunResult plain = run(standardOnly);
  ASSERT_EQ(plain.status, 0) << plain.out;
  EXPECT_THAT(plain.out, HasSubstr("Warning!!! 2 base pairs of 6TNA and 1EHZ were left out because their residues were "
                                   "not read; --modified reads modified nucleotides.\n"));
  EXPECT_THAT(plain.err, HasSubstr("refInferable=0 refNonInferable=2 "));
  for (std::vector<std::string> options : {std::vector<std::string>{}, std::vector<std::string>{"--modified"}}) {
    std::vector<std::string> args = pair;
    args.insert(args.end(), {"--unknown-dpi", "1"});
    args.insert(args.end(), options.begin(), options.end());
    RunResult r = run(args);
    ASSERT_EQ(r.status, 0) << r.out;
    EXPECT_THAT(r.out, Not(HasSubstr("were left out")));
    EXPECT_THAT(r.err, HasSubstr("residues=76 "));
    EXPECT_THAT(r.err, HasSubstr("refInferable=2 refNonInferable=0 "));
    EXPECT_EQ(output("BP_Src/1EHZ_A.rv.bexora.bpsrc"),
              "A1-A72 : G-C W/W cis  Both\nA18-A55 : G-U W/S trans  Bexora\nA31-A39 : A-U W/W cis  Bexora\n");
  }
}

struct UnknownDpiCase {
  const char *reference, *target;
  std::vector<std::string> options;
  std::vector<std::string> warned;  // structures named by the unknown-DPI warning
  const char* mapping;              // part of the mapping record
};

// RNAView outputs of the real structures: 4QLM and 4QK8 have no DPI at all,
// 6TNA none of its own; 1EHZ's is computed (0.170075).
TEST_F(DepositedStructures, UnknownDpiOnRealStructures) {
  BEXORA_REQUIRE_REALDATA();
  for (const std::string id : {"6TNA", "1EHZ", "4QLM", "4QK8"})
    linkReal({"generated/" + id + "/" + id + ".pdb", "generated/" + id + "/" + id + ".rv.out"});
  linkReal({"pdb_seqres.na.fa"});
  const UnknownDpiCase cases[] = {
      {"6TNA", "1EHZ", {}, {"6TNA"}, "tolerance=0.240522 common=34 refInferable=4 "},
      {"6TNA", "1EHZ", {"--unknown-dpi", "0.25"}, {}, "tolerance=0.594075 common=34 refInferable=4 "},
      {"4QLM", "4QK8", {}, {"4QLM", "4QK8"}, "tolerance=0 common=37 refInferable=14 "},
      {"4QLM", "4QK8", {"--unknown-dpi", "0.25"}, {}, "tolerance=0.707107 common=37 refInferable=14 "},
      {"4QLM", "4QK8", {"--unknown-dpi", "0.25", "--sequence-alignment"}, {},
       "tolerance=0.707107 common=27 refInferable=25 "},
  };
  for (const UnknownDpiCase& c : cases) {
    std::vector<std::string> args = {c.reference, "A", c.target, "A", "-M", "RV", "-V"};
    args.insert(args.end(), c.options.begin(), c.options.end());
    SCOPED_TRACE(::testing::PrintToString(args));
    RunResult r = run(args);
    ASSERT_EQ(r.status, 0) << r.out;
    for (const char* id : {c.reference, c.target}) {
      bool warned = std::find(c.warned.begin(), c.warned.end(), id) != c.warned.end();
      EXPECT_EQ(r.out.find(unknownDpiWarning(id)) != std::string::npos, warned) << r.out;
    }
    EXPECT_THAT(r.err, HasSubstr(c.mapping));
    EXPECT_THAT(r.err, HasSubstr(c.options.empty() ? "dpiSource=unknown" : "dpiSource=option"));
  }
}

std::string recordLine(const std::string& err, const std::string& start) {
  const std::size_t at = err.find(start);
  return at == std::string::npos ? "" : err.substr(at, err.find('\n', at) - at);
}

// Between homologs of about 60 % identity the sequence alignment slides a
// strand by one (4QLN 40 onto 4QK8 38); the backbones put it right. The
// written correspondence, given back as input, is used as read and gives the
// same map; an input .aln is never overwritten by one of the run's own.
TEST_F(DepositedStructures, StructureCorrespondenceOfHomologsIsWrittenAndReadBack) {
  BEXORA_REQUIRE_REALDATA();
  for (const std::string id : {"4QLN", "4QK8"})
    linkReal({"generated/" + id + "/" + id + ".pdb", "generated/" + id + "/" + id + ".rv.out"});
  linkReal({"pdb_seqres.na.fa"});
  RunResult first = run({"4QLN", "A", "4QK8", "A", "-M", "RV", "-V"});
  ASSERT_EQ(first.status, 0) << first.out;
  const std::string written = output("4QLN_A_4QK8_A.aln");
  EXPECT_THAT(written, HasSubstr("\nA:40<->A:39\n"));
  EXPECT_THAT(written, HasSubstr("\nA:91<->A:88\n"));
  EXPECT_THAT(first.err, HasSubstr(" source=structure aligned="));
  EXPECT_THAT(first.out, HasSubstr("continuing with the built-in structure correspondence: "));

  fs::copy(dir.file("io_data/Output/4QLN_A_4QK8_A.aln"), input("4QLN_A_4QK8_A.aln"));
  fs::remove_all(dir.file("io_data/Output"));
  RunResult second = run({"4QLN", "A", "4QK8", "A", "-M", "RV", "-V"});
  ASSERT_EQ(second.status, 0) << second.out;
  EXPECT_THAT(second.err, HasSubstr(" source=structure-file"));
  EXPECT_EQ(recordLine(second.err, "bexora: mapping "), recordLine(first.err, "bexora: mapping "));
  EXPECT_FALSE(exists(dir.file("io_data/Output/4QLN_A_4QK8_A.aln")));
}

// With modified nucleotides left out, 62 of 76 residues are observed in each
// tRNA; letters alone slide the gaps (48 identical), the backbones do not.
TEST_F(DepositedStructures, StructureCorrespondencePlacesTheGapsOfUnreadResidues) {
  BEXORA_REQUIRE_REALDATA();
  for (const std::string id : {"6TNA", "1EHZ"})
    linkReal({"generated/" + id + "/" + id + ".pdb", "generated/" + id + "/" + id + ".rv.out"});
  linkReal({"pdb_seqres.na.fa"});
  const std::pair<const char*, const char*> cases[] = {{"--structure-correspondence", "mapped=62 identical=62 "},
                                                       {"--sequence-alignment", "mapped=62 identical=48 "}};
  for (const auto& [option, mapped] : cases) {
    RunResult r = run({"6TNA", "A", "1EHZ", "A", "-M", "RV", "--standard-only", option, "-V"});
    ASSERT_EQ(r.status, 0) << r.out;
    EXPECT_THAT(r.err, HasSubstr(mapped)) << option;
  }
}

// 1EHZ's free R written as 1e308 once gave it a DPI near 1e305 and so a
// tolerance that accepted every pair; now its DPI is unknown.
TEST_F(DepositedStructures, AbsurdFreeRGivesNoTolerance) {
  BEXORA_REQUIRE_REALDATA();
  std::string structure = readFile(realDataPath("generated/1EHZ/1EHZ.pdb"));
  const std::string freeR = "FREE R VALUE                     : 0.253";
  ASSERT_NE(structure.find(freeR), std::string::npos);
  structure.replace(structure.find(freeR), freeR.size(), "FREE R VALUE                     : 1e308");
  writeFile(input("1EHZ.pdb"), structure);
  linkReal({"generated/6TNA/6TNA.pdb", "generated/6TNA/6TNA.rv.out", "generated/1EHZ/1EHZ.rv.out",
            "pdb_seqres.na.fa"});
  RunResult r = run({"6TNA", "A", "1EHZ", "A", "-M", "RV", "-V"});
  ASSERT_EQ(r.status, 0) << r.out;
  EXPECT_THAT(r.out, HasSubstr("Warning!!! Line 52 of ./io_data/Input/1EHZ.pdb gives the free R value as 1e+308"));
  EXPECT_THAT(r.out, HasSubstr(unknownDpiWarning("1EHZ")));
  EXPECT_THAT(r.err, HasSubstr("tolerance=0 common=34 refInferable=4 "));
}

using PairIds = std::set<std::string>;

// The residues of each line of a source-tag file ("A12-A45" of
// "A12-A45 : G-C W/W cis  Both") whose tag is one of `tags`.
PairIds taggedPairs(const std::string& sourceTags, const std::set<std::string>& tags) {
  PairIds ids;
  for (const std::string& line : textLines(sourceTags)) {
    const std::size_t tagAt = line.rfind("  ");
    if (tagAt != std::string::npos && tags.count(line.substr(tagAt + 2))) ids.insert(line.substr(0, line.find(" : ")));
  }
  return ids;
}

// The target pairs of the evidence rows of `group` decided as `decision`.
PairIds evidencePairs(const std::string& evidence, const std::string& group, const std::string& decision) {
  PairIds ids;
  for (const std::string& line : textLines(evidence)) {
    const std::vector<std::string> fields = fieldsOf(line);
    if (fields.size() > 4 && fields[0] == group && fields[1] == decision)
      ids.insert(fields[4].substr(0, fields[4].find(" : ")));
  }
  return ids;
}

PairIds without(PairIds ids, const PairIds& removed) {
  for (const std::string& id : removed) ids.erase(id);
  return ids;
}

struct HomologCase {
  const char *reference, *referenceChain, *target, *targetChain, *method, *tool, *extension;
};

// Real homologs with their real annotations: the pairs written as the
// tool's own (tag Both or the tool's) are exactly those a self run of the
// target writes, and --prune-own drops exactly the ones whose comparison
// with the reference the evidence marks "kept". 1GID names its atoms C1*,
// O2* ...: they are measured all the same.
TEST_F(DepositedStructures, RealHomologsKeepEveryPairTheToolFound) {
  BEXORA_REQUIRE_REALDATA();
  for (const std::string id : {"4QLN", "4QK8", "1GID"}) {
    linkReal({"generated/" + id + "/" + id + ".pdb", "generated/" + id + "/" + id + ".rv.out"});
    fs::create_symlink(realDataPath("generated/" + id + "/fr3d_raw/" + id + "_basepair.txt"), input(id + ".fr3d.out"));
  }
  linkReal({"pdb_seqres.na.fa"});
  const HomologCase cases[] = {{"4QLN", "A", "4QK8", "A", "RV", "RNAView", "rv"},
                               {"1GID", "B", "1GID", "A", "RV", "RNAView", "rv"},
                               {"1GID", "B", "1GID", "A", "FR", "FR3D", "fr3d"}};
  for (const HomologCase& c : cases) {
    SCOPED_TRACE(std::string(c.reference) + " -> " + c.target + " " + c.tool);
    const std::string base = std::string("BP_Src/") + c.target + "_" + c.targetChain + "." + c.extension + ".bexora";
    const std::set<std::string> ownTags = {"Both", c.tool};
    ASSERT_EQ(run({c.target, c.targetChain, c.target, c.targetChain, "-M", c.method}).status, 0);
    const PairIds native = taggedPairs(output(base + ".bpsrc"), ownTags);
    ASSERT_FALSE(native.empty());

    const std::vector<std::string> args = {c.reference, c.referenceChain, c.target, c.targetChain, "-M", c.method,
                                           "--unknown-dpi", "0.25"};
    RunResult r = run(args);
    ASSERT_EQ(r.status, 0) << r.out;
    const std::string evidence = output(base + ".evidence.tsv");
    EXPECT_EQ(taggedPairs(output(base + ".bpsrc"), ownTags), native);
    EXPECT_THAT(evidence, Not(HasSubstr("missing-c1")));
    EXPECT_THAT(r.out, Not(HasSubstr("has no atom named")));

    std::vector<std::string> pruned = args;
    pruned.push_back("--prune-own");
    ASSERT_EQ(run(pruned).status, 0);
    const PairIds kept = evidencePairs(evidence, "target-inferable", "kept");
    EXPECT_FALSE(kept.empty());
    EXPECT_EQ(taggedPairs(output(base + ".bpsrc"), ownTags), without(native, kept));
  }
}

}  // namespace
}  // namespace bexora::test
