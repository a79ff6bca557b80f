#include "annotation/dssr.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "test_support.h"
#include "model/record_fixtures.h"

namespace bexora {
namespace {

using Lines = std::vector<std::string>;

TEST(DssrReader, KeepsTheWhsPairsOfTheChainUpToTheClosingLine) {
  AnnotationOutput out;
  ASSERT_TRUE(readDSSROutput(test::fixturePath("annotation/dssr_cases.out"), "1ABC", "A", out, Reporter()));
  // Dropped: an edge written as '.', a partner in chain B, the pair after the
  // closing asterisks. Residues stay in the order the tool gives them.
  EXPECT_EQ(test::formatted(out.pairs),
            (Lines{"A-3-A80 : G-C W/W cis", "A1-A72 : G-C W/W cis", "A8-A14 : U-A W/H trans", "A9-A26 : 2-C S/S cis",
                   "A13.B-A23 : G-C W/W cis", "A45-A12 : C-G W/W cis", "A55-A58 : P-A W/S trans"}));
  // A nucleotide without a number, a line of three fields, one without a point.
  EXPECT_EQ(out.skippedLines, 3u);
  EXPECT_TRUE(out.keptLines.empty());
  EXPECT_EQ(out.layout, "dssr-text");
}

struct Variant {
  const char* name;
  std::string text;
  const char* chain;
  Lines pairs;
  bool modifiedAsParent;
};

const std::string kHeader =
    "List of 2 base pairs\n     nt1            nt2            bp  name        Saenger   LW   DSSR\n";

// Layouts and ids the real files of the corpus do not show.
const Variant kVariants[] = {
    {"header of v1.0.1 spacing, trailing blanks",
     "      nt1              nt2             bp  name         Saenger    LW DSSR  \n"
     "   1 A.G1           A.C9           G-C              00-n/a    cWW cW-W\n",
     "A", {"A1-A9 : G-C W/W cis"}, false},
    {"models, insertion codes, a name ending in a digit",
     kHeader + "   1 1:A.G190^K     1:A.C200       G-C WC  19-XIX cWW cW-W\n"
               "   2 2:A.G1         2:A.C9         G-C WC  19-XIX cWW cW-W\n"
               "   3 A.A23/5        A.U7           A-U WC  20-XX  cWW cW-W\n",
     "A", {"A5-A7 : A-U W/W cis", "A190.K-A200 : G-C W/W cis"}, false},
    {"chain of several characters, long ids with insertion code",
     kHeader + "   1 1..AB.G.12.K   1..AB.C.20.    G-C WC  19-XIX cWW cW-W\n"
               "   2 1..A.G.13.     1..A.C.19.     G-C WC  19-XIX cWW cW-W\n"
               "   3 1..AB.G.14     1..AB.C.18.    G-C WC  19-XIX cWW cW-W\n",
     "AB", {"'AB'12.K-'AB'20 : G-C W/W cis"}, false},
    {"modified residues read as their parents",
     kHeader + "   1 A.PSU55        A.2MG10        P-g --  n/a    tWS tW-m\n"
               "   2 A.XYZ3         A.RG4          X-G --  n/a    cWW cW-W\n",
     "A", {"A3-A4 : X-G W/W cis", "A55-A10 : U-G W/S trans"}, true},
    {"JSON", R"({"num_pairs":2,"pairs":[{"nt1":"A.G1","nt2":"A.C9","LW":"cWW"},{"nt1":"A.G2","LW":"cWW"}]})",
     "A", {"A1-A9 : G-C W/W cis"}, false},
    {"web export",
     "tablePairs\r\nindex,nt1,nt2,bp,name,Saenger,LW,DSSR\r\n"
     "\"1\",\"A.G1\",\"A.C9\",\"G-C\",\"WC\",\"19-XIX\",\"cWW\",\"cW-W\",\r\n",
     "A", {"A1-A9 : G-C W/W cis"}, false},
};

TEST(DssrReader, ReadsEveryLayoutAndIdForm) {
  test::TempDir dir;
  for (const Variant& variant : kVariants) {
    test::writeFile(dir.file("v.dssr.out"), variant.text);
    AnnotationOutput out;
    ASSERT_TRUE(readDSSROutput(dir.file("v.dssr.out"), "1ABC", variant.chain, out, Reporter(),
                               AnnotationReadOptions{variant.modifiedAsParent}));
    EXPECT_EQ(test::formatted(out.pairs), variant.pairs) << variant.name;
  }
}

TEST(DssrReader, MalformedJsonIsNoSilentSuccess) {
  test::TempDir dir;
  test::writeFile(dir.file("bad.dssr.out"), "{\"pairs\": [\n");
  AnnotationOutput out;
  std::string printed;
  ASSERT_TRUE(readDSSROutput(dir.file("bad.dssr.out"), "1ABC", "A", out, collectingReporter(printed)));
  EXPECT_TRUE(out.pairs.empty());
  EXPECT_EQ(printed, "Warning!!! " + dir.file("bad.dssr.out") +
                         " gives no base pair of chain A: 1 lines read, 1 skipped as not in a known layout.\n");
}

}  // namespace
}  // namespace bexora
