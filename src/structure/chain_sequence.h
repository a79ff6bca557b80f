// A chain's full sequence from its structure file, for runs without the
// chain in pdb_seqres.na.fa: PDB SEQRES records, else the mmCIF
// _pdbx_poly_seq_scheme loop (the sequence of the chain's entity, residue by
// residue), else _entity_poly.pdbx_seq_one_letter_code_can of the entity
// whose pdbx_strand_id lists the chain. Modified residues are given as their
// parent base: from the file's MODRES or _pdbx_struct_mod_residue records,
// else from the built-in table; a residue of no known parent is 'N'.
#pragma once

#include <string>

#include "util/reporter.h"

namespace bexora {

struct ChainSequence {
  std::string letters;  // one letter per residue
  int modified = 0;     // residues given as their parent base
  std::string source;   // the records it came from: "SEQRES", "_pdbx_poly_seq_scheme", ...
};

// False when the file cannot be read to its end or gives no sequence of the
// chain (author chain id, compared whole). `mmCif` selects the format.
bool readChainSequence(const std::string& path, bool mmCif, const std::string& chainId, ChainSequence& sequence,
                       const Reporter& reporter);

}  // namespace bexora
