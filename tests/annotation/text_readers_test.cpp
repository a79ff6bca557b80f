// Behaviour all five annotation readers share: self pairs and repeats, no
// state carried from one file to the next, printed pairs that read back.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <tuple>

#include "annotation/clarna.h"
#include "annotation/dssr.h"
#include "annotation/fr3d.h"
#include "annotation/mc_annotate.h"
#include "annotation/rnaview.h"
#include "test_support.h"
#include "model/record_fixtures.h"

namespace bexora {
namespace {

using test::fixturePath;
using Reader = bool (*)(const std::string& path, const std::string& chain, AnnotationOutput& out,
                        const Reporter& reporter);

template <bool (*read)(const std::string&, const std::string&, AnnotationOutput&, const Reporter&,
                       const AnnotationReadOptions&)>
bool ofChain(const std::string& path, const std::string& chain, AnnotationOutput& out, const Reporter& reporter) {
  return read(path, chain, out, reporter, {});
}

// A reader that also takes the PDB id, reading structure 1ABC.
template <bool (*read)(const std::string&, const std::string&, const std::string&, AnnotationOutput&,
                       const Reporter&, const AnnotationReadOptions&)>
bool of1ABC(const std::string& path, const std::string& chain, AnnotationOutput& out, const Reporter& reporter) {
  return read(path, "1ABC", chain, out, reporter, {});
}

struct ReaderCase {
  const char* name;
  Reader read;
  const char* fixture;
  const char* listStart;  // what opens the pair rows of a file
  const char* pairRow;    // a row of chain A pairing residue %d with residue %d (given twice)
  bool rowsStandAlone;    // a row read without what opens the list still counts
};

const ReaderCase kReaders[] = {
    {"MC-Annotate", ofChain<readMCAnnotateOutput>, "annotation/mca_cases.out",
     "Base-pairs ------------------------------------------------------\n",
     "A%d-A%d : G-C Ww/Ww pairing antiparallel cis XIX\n", false},
    {"RNAView", ofChain<readRNAViewOutput>, "annotation/rv_cases.out", "BEGIN_base-pair\n",
     "%d_%d, A: %d G-C %d A: +/+ cis XIX\n", false},
    {"FR3D", of1ABC<readFR3DOutput>, "annotation/fr3d_cases.out",
     "unit_id_1,unit_id_2,basepair,stacking,base_phosphate\n",
     "1ABC|1|A|G|%d,1ABC|1|A|C|%d,cWW,,\n", true},
    {"DSSR", of1ABC<readDSSROutput>, "annotation/dssr_cases.out",
     "nt1            nt2           bp  name        Saenger    LW  DSSR\n",
     "1 A.G%d A.C%d G-C WC 19-XIX cWW cW-W\n", false},
    {"ClaRNA", of1ABC<readClaRNAOutput>, "annotation/clarna_cases.out",
     "\"residue1\",\"residue2\",\"n_type\",\"weight\",\"description\",\"full description\"\n",
     "\"A%d\",\"A%d\",\"GC\",0.9,\"WW_cis\",\"WW_cis\"\n", false},
};

std::string pairRow(const ReaderCase& reader, int first, int second) {
  char row[100];
  std::snprintf(row, sizeof row, reader.pairRow, first, second, first, second);
  return row;
}

// Pairs of a residue with itself and exact repeats are dropped, the first
// copy kept, with one warning per file and kind. FR3D lists every pair from
// both ends and merges the copies of a row itself.
TEST(TextAnnotationReaders, SelfPairsAndRepeatsAreSkippedOnce) {
  test::TempDir dir;
  const std::string path = dir.file("garbage.out");
  for (const ReaderCase& reader : kReaders) {
    test::writeFile(path, reader.listStart + pairRow(reader, 1, 72) + pairRow(reader, 5, 5) + pairRow(reader, 1, 72) +
                              pairRow(reader, 2, 71) + pairRow(reader, 5, 5) + pairRow(reader, 1, 72));
    AnnotationOutput out;
    std::string printed;
    ASSERT_TRUE(reader.read(path, "A", out, collectingReporter(printed)));
    EXPECT_EQ(out.pairs.size(), 2u) << reader.name;
    const bool merged = reader.read == kReaders[2].read;
    const std::string repeats = "Warning!!! 2 repeats of a pair listed before in " + path + " are skipped.\n";
    EXPECT_EQ(printed, "Warning!!! " + std::string(merged ? "1" : "2") + " pairs of a residue with itself in " + path +
                           " are skipped.\n" + (merged ? "" : repeats))
        << reader.name;
  }
}

// A file whose list is still open at its end must not open the next file's
// list; FR3D rows need no header, so they are read wherever they stand.
TEST(TextAnnotationReaders, ListStateStartsAfreshInEveryFile) {
  test::TempDir dir;
  for (const ReaderCase& reader : kReaders) {
    test::writeFile(dir.file("open.out"), reader.listStart + pairRow(reader, 1, 72));
    test::writeFile(dir.file("plain.out"), pairRow(reader, 1, 72));
    AnnotationOutput out;
    ASSERT_TRUE(reader.read(dir.file("open.out"), "A", out, Reporter()));
    EXPECT_EQ(out.pairs.size(), 1u) << reader.name;
    ASSERT_TRUE(reader.read(dir.file("plain.out"), "A", out, Reporter()));
    EXPECT_EQ(out.pairs.size(), reader.rowsStandAlone ? 1u : 0u) << reader.name;
  }
}

TEST(TextAnnotationReaders, PrintedPairsReadBack) {
  using Formatter = std::string (*)(const BPInfo&);
  const std::tuple<const ReaderCase&, const char*, Formatter> cases[] = {
      {kReaders[0], "", formatPairMCAnnotate}, {kReaders[1], "END_base-pair\n", formatPairRNAView}};
  test::TempDir dir;
  const std::string path = dir.file("round.out");
  for (const auto& [reader, listEnd, format] : cases) {
    AnnotationOutput original, again;
    ASSERT_TRUE(reader.read(fixturePath(reader.fixture), "A", original, Reporter()));
    std::string text = reader.listStart;
    for (const BPInfo& pair : original.pairs) text += format(pair) + "\n";
    test::writeFile(path, text + listEnd);
    ASSERT_TRUE(reader.read(path, "A", again, Reporter()));
    EXPECT_EQ(test::formatted(again.pairs, formatPairMCAnnotate), test::formatted(original.pairs, formatPairMCAnnotate))
        << reader.name;
  }
}

}  // namespace
}  // namespace bexora
