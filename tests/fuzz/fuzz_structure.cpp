// Built twice: FUZZ_EXTENSION "pdb" and "cif" select the reader; the chain
// sequence reader takes the same file.
#include "fuzz_support.h"
#include "structure/chain_sequence.h"
#include "structure/pdb_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string path = bexora::fuzz::writeInput(data, size, std::string("FUZZ.") + FUZZ_EXTENSION);
  std::vector<bexora::AtomInfo> atoms;
  bexora::RefineInfo refine;
  // Modified nucleotides take their own path through both readers.
  for (bool modified : {false, true})
    bexora::readPDBFile(bexora::fuzz::scratchFolder(), "FUZZ", refine, "A", atoms, bexora::Reporter(), nullptr,
                        {modified, 0.5});
  bexora::ChainSequence sequence;
  bexora::readChainSequence(path, std::string(FUZZ_EXTENSION) == "cif", "A", sequence, bexora::Reporter());
  return 0;
}
