// Input folders as users fill them: files under the names the wwPDB and the
// tools give them, in either case, and no pdb_seqres.na.fa, whose sequences
// then come from the structure files.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "test_support.h"

namespace bexora::test {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;

// Every file the run wrote, by path under `folder`, the lock file left out.
std::map<std::string, std::string> filesUnder(const std::string& folder) {
  std::map<std::string, std::string> files;
  for (const auto& entry : fs::recursive_directory_iterator(folder))
    if (entry.is_regular_file() && entry.path().filename() != ".bexora.lock")
      files[fs::relative(entry.path(), folder).string()] = readFile(entry.path().string());
  return files;
}

struct FolderCase {
  const char* label;
  std::vector<std::pair<std::string, std::string>> files;  // source, name in the input folder
  std::vector<std::string> args;
  std::vector<std::string> sequenceLines;  // said when the sequences come from the structures
};

// The same run with and without pdb_seqres.na.fa writes the same files.
TEST(InputLookup, FilesAsDownloadedAndNoSequenceFileGiveTheSameResult) {
  BEXORA_REQUIRE_REALDATA();
  const std::string example = std::string(BEXORA_SOURCE_DIR) + "/examples/io_data/Input/";
  const FolderCase cases[] = {
      {"PDB format, RNAView's own names",
       {{realDataPath("6TNA/6TNA.pdb"), "6tna.pdb"}, {realDataPath("1EHZ/1EHZ.pdb"), "pdb1ehz.ent"},
        {example + "6TNA.rv.out", "6TNA.pdb.out"}, {example + "1EHZ.rv.out", "1ehz.pdb.out"}},
       {"6TNA", "A", "1EHZ", "A", "-M", "RNAView"},
       {"Sequence of 6TNA chain A read from in/6tna.pdb (SEQRES), as in/pdb_seqres.na.fa is not there; 14 "
        "modified residues read as their parent base.\n",
        "Sequence of 1EHZ chain A read from in/pdb1ehz.ent (SEQRES), as in/pdb_seqres.na.fa is not there; 14 "
        "modified residues read as their parent base.\n"}},
      {"mmCIF, fr3d-python's name",
       {{realDataPath("4QLN/4QLN.cif"), "4QLN.cif"},
        {realDataPath("generated/4QLN/from_cif/4QLN.fr3d.out"), "4qln_basepair.txt"}},
       {"4QLN", "A", "4QLN", "A", "-M", "fr3d"},
       {"Sequence of 4QLN chain A read from in/4QLN.cif (_pdbx_poly_seq_scheme), as in/pdb_seqres.na.fa is not "
        "there.\n"}},
  };
  for (const FolderCase& c : cases) {
    SCOPED_TRACE(c.label);
    TempDir dir;
    makeDirs(dir.file("in"));
    for (const auto& [source, name] : c.files) fs::copy_file(source, dir.file("in/" + name));
    std::vector<std::string> args = c.args;
    args.insert(args.end(), {"-I", "in", "-O", "without"});
    RunResult without = runBexora(args, dir.path());
    ASSERT_EQ(without.status, 0) << without.out;
    for (const std::string& line : c.sequenceLines) EXPECT_THAT(without.out, HasSubstr(line));
    fs::copy_file(realDataPath("pdb_seqres.na.fa"), dir.file("in/pdb_seqres.na.fa"));
    args.back() = "with";
    RunResult with = runBexora(args, dir.path());
    ASSERT_EQ(with.status, 0) << with.out;
    EXPECT_THAT(with.out, ::testing::Not(HasSubstr("Sequence of ")));
    EXPECT_EQ(filesUnder(dir.file("without")), filesUnder(dir.file("with")));
  }
}

TEST(InputLookup, NoSequenceAnywhereNamesEveryNameTried) {
  TempDir dir;
  makeDirs(dir.file("in"));
  writeFile(dir.file("in/1abc.dssr"), "");
  writeFile(dir.file("in/2XYZ.json"), "");
  RunResult sequence = runBexora({"1abc", "a", "2xyz", "a", "-M", "ds", "-I", "in"}, dir.path());
  EXPECT_EQ(sequence.status, 1);
  EXPECT_THAT(sequence.out,
              HasSubstr("No sequence of 1ABC chain A was found: in/pdb_seqres.na.fa is not there, and no structure "
                        "file is there under the names 1ABC.pdb, 1ABC.cif, 1ABC.pdb.gz, 1ABC.cif.gz, pdb1ABC.ent and "
                        "pdb1ABC.ent.gz (each also with the id in lower case).\n"));
}

}  // namespace
}  // namespace bexora::test
