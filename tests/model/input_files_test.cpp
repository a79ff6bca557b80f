// The names input files are found under: every name a tool or the wwPDB
// archive gives, with the id in upper and in lower case, and the order
// that decides between two present names.
#include "model/input_files.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "model/model.h"
#include "test_support.h"

namespace bexora {
namespace {

struct NameCase {
  int method;  // -1: a structure file
  std::vector<std::string> names;
};

const NameCase kNames[] = {
    {-1, {"1ABC.pdb", "1abc.cif", "1ABC.pdb.gz", "1abc.cif.gz", "pdb1ABC.ent", "pdb1abc.ent.gz"}},
    {kMcAnnotate, {"1ABC.mca.out", "1abc.mca.out", "1ABC.pdb.mcout", "1abc.pdb.mcout"}},
    {kRnaView, {"1ABC.rv.out", "1ABC.pdb.out", "1abc.pdb.out", "1ABC.cif.out", "1abc.cif.out"}},
    {kFr3d, {"1ABC.fr3d.out", "1ABC_basepair.txt", "1abc_basepair.txt"}},
    {kDssr, {"1abc.dssr.out", "1ABC.dssr", "1abc.out", "1ABC.json", "1abc.json"}},
    {kClaRna, {"1ABC.cr.out", "1abc.cr.out", "1ABC.pdb.outCR", "1abc.pdb.outCR"}},
};

std::vector<std::string> namesOf(int method) {
  return method < 0 ? structureFileNames("1ABC") : annotationFileNames(method, "1ABC");
}

TEST(InputFiles, EveryNameIsFoundAlone) {
  for (const NameCase& c : kNames)
    for (const std::string& name : c.names) {
      SCOPED_TRACE(name);
      test::TempDir dir;
      test::writeFile(dir.file(name), "x\n");
      EXPECT_EQ(findInputFile(dir.path() + "/", namesOf(c.method), Reporter()), dir.path() + "/" + name);
    }
}

// Bexora's own name wins, then the names in the documented order.
TEST(InputFiles, TheEarlierNameWinsWhenSeveralArePresent) {
  for (const NameCase& c : kNames) {
    SCOPED_TRACE(c.names.front());
    test::TempDir dir;
    for (const std::string& name : c.names) test::writeFile(dir.file(name), "x\n");
    EXPECT_EQ(findInputFile(dir.path() + "/", namesOf(c.method), Reporter()), dir.path() + "/" + c.names.front());
  }
}

TEST(InputFiles, NothingFoundNamesEveryNameTried) {
  test::TempDir dir;
  std::string said;
  EXPECT_EQ(findInputFile(dir.path() + "/", namesOf(kRnaView), collectingReporter(said)), "");
  EXPECT_EQ(nameList(namesOf(kRnaView)),
            "1ABC.rv.out, 1ABC.pdb.out and 1ABC.cif.out (each also with the id in lower case)");
  test::makeDirs(dir.file("1ABC.rv.out"));
  findInputFile(dir.path() + "/", namesOf(kRnaView), collectingReporter(said));
  EXPECT_EQ(said, "Warning!!! " + dir.file("1ABC.rv.out") + " is not a readable file; it is ignored.\n");
}

}  // namespace
}  // namespace bexora
