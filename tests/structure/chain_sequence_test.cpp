// Chain sequences read from structure files, for runs whose chains
// pdb_seqres.na.fa lacks: each record form on small files, and the real
// structures against their pdb_seqres.na.fa entries.
#include "structure/chain_sequence.h"

#include <gtest/gtest.h>

#include <string>

#include "test_support.h"

namespace bexora {
namespace {

struct SequenceCase {
  const char* label;
  const char* name;  // the file's name; ".cif" selects mmCIF
  const char* text;
  const char* chain;
  bool found;
  const char* letters;
  int modified;
  const char* source;
};

const SequenceCase kCases[] = {
    {"SEQRES with MODRES and the built-in table; other chains and records after the atoms left out", "x.pdb",
     "MODRES 1XYZ XYZ A    3    G  MADE-UP MODIFIED G\n"
     "SEQRES   1 A    5    G   C XYZ PSU   N\n"
     "SEQRES   1 B    2    A   A\n"
     "ATOM      1  P     G A   1       1.000   2.000   3.000  1.00 20.00           P\n"
     "SEQRES   2 A    1    U\n",
     "A", true, "GCGUN", 2, "SEQRES"},
    {"SEQRES of another chain only", "x.pdb", "SEQRES   1 B    2    A   A\n", "A", false, "", 0, ""},
    {"poly_seq_scheme by author chain, a parent from _pdbx_struct_mod_residue, micro-heterogeneity once",
     "x.cif",
     "data_X\n#\nloop_\n_pdbx_struct_mod_residue.id\n_pdbx_struct_mod_residue.label_comp_id\n"
     "_pdbx_struct_mod_residue.parent_comp_id\n1 ZZZ C\n#\n"
     "loop_\n_pdbx_poly_seq_scheme.asym_id\n_pdbx_poly_seq_scheme.seq_id\n_pdbx_poly_seq_scheme.mon_id\n"
     "_pdbx_poly_seq_scheme.pdb_strand_id\n"
     "A 1 G AA\nA 2 ZZZ AA\nA 2 U AA\nA 3 2MG AA\nB 1 C B\n#\n",
     "AA", true, "GCG", 2, "_pdbx_poly_seq_scheme"},
    {"entity_poly one-letter code in a text field, its strand list naming several chains", "x.cif",
     "data_X\nloop_\n_entity_poly.entity_id\n_entity_poly.pdbx_seq_one_letter_code_can\n"
     "_entity_poly.pdbx_strand_id\n1 AAAA 'C,D'\n2\n;GGCU\nAC\n;\n'A, B'\n#\n",
     "B", true, "GGCUAC", 0, "_entity_poly.pdbx_seq_one_letter_code_can"},
    {"entity_poly as single items, quoted strand list", "x.cif",
     "data_X\n_entity_poly.entity_id 1\n_entity_poly.pdbx_strand_id 'A'\n"
     "_entity_poly.pdbx_seq_one_letter_code_can\n;CCGG\n;\n#\n",
     "A", true, "CCGG", 0, "_entity_poly.pdbx_seq_one_letter_code_can"},
    {"mmCIF naming no sequence", "x.cif", "data_X\n_cell.length_a 10\n", "A", false, "", 0, ""},
};

TEST(ChainSequence, EachRecordFormGivesTheChainsResidues) {
  for (const SequenceCase& c : kCases) {
    SCOPED_TRACE(c.label);
    test::TempDir dir;
    const std::string path = dir.file(c.name);
    test::writeFile(path, c.text);
    ChainSequence sequence;
    const bool mmCif = std::string(c.name).find(".cif") != std::string::npos;
    ASSERT_EQ(readChainSequence(path, mmCif, c.chain, sequence, Reporter()), c.found);
    if (!c.found) continue;
    EXPECT_EQ(sequence.letters, c.letters);
    EXPECT_EQ(sequence.modified, c.modified);
    EXPECT_EQ(sequence.source, c.source);
  }
}

// pdb_seqres.na.fa writes modified residues as their parent, as the readers must.
TEST(ChainSequence, RealStructuresMatchTheirSequenceFileEntries) {
  BEXORA_REQUIRE_REALDATA();
  const std::string tRna = "GCGGAUUUAGCUCAGUUGGGAGAGCGCCAGACUGAAGAUCUGGAGGUCCUGUGUUCGAUCCACAGAAUUCGCACCA";
  const struct {
    const char* file;
    bool mmCif;
    std::string letters;
  } cases[] = {{"1EHZ/1EHZ.pdb", false, tRna}, {"1EHZ/1EHZ.cif", true, tRna}, {"6TNA/6TNA.pdb", false, tRna}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file);
    ChainSequence sequence;
    ASSERT_TRUE(readChainSequence(test::realDataPath(c.file), c.mmCif, "A", sequence, Reporter()));
    EXPECT_EQ(sequence.letters, c.letters);
    EXPECT_EQ(sequence.modified, 14);
  }
}

}  // namespace
}  // namespace bexora
