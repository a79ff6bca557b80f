#include "driver/chain_sequences.h"

#include "alignment/fasta.h"
#include "driver/shared_inputs.h"
#include "structure/chain_sequence.h"
#include "model/input_files.h"

namespace bexora {

namespace {

constexpr const char* kFastaName = "pdb_seqres.na.fa";

void fillMap(const std::string& id, const std::string& chain, const std::string& letters, StructureResidueMap& map) {
  map = StructureResidueMap{};
  setField(map.pdbId, id);
  setField(map.chain.chainId, chain);
  map.chainCount = 1;
  std::vector<ResidueMapEntry>& entries = map.chain.entries;
  for (char letter : letters)
    entries.push_back(ResidueMapEntry{letter, 0, static_cast<int32_t>(entries.size()) + 1, ' ', -1});
}

// Why the FASTA file did not serve, for the messages.
std::string fastaAbsence(const std::string& fasta, bool present) {
  return fasta + (present ? " does not list the chain" : " is not there");
}

bool sequenceFromStructure(RunState& state, int side, int pass, const std::string& fasta, bool fastaPresent) {
  const std::string& id = pdbId(state, side, pass);
  const std::string& chain = chainId(state, side, pass);
  const std::string& folder = state.settings.inputFolder;
  const std::string path = findInputFile(folder, structureFileNames(id), state.reporter);
  ChainSequence sequence;
  if (path.empty() || !readChainSequence(path, isMmcifName(path), chain, sequence,
                                         state.reporter)) {
    const std::string structure =
        path.empty() ? "no structure file is there under the names " + nameList(structureFileNames(id))
                     : path + " names no sequence of the chain (SEQRES, _pdbx_poly_seq_scheme or "
                              "_entity_poly.pdbx_seq_one_letter_code_can)";
    state.reporter.say("No sequence of %s chain %s was found: %s, and %s.\n", id.c_str(), chain.c_str(),
                       fastaAbsence(fasta, fastaPresent).c_str(), structure.c_str());
    state.reporter.say("pdb_seqres.na.fa holds the nucleic-acid records of the wwPDB's pdb_seqres.txt "
                       "(https://files.wwpdb.org/pub/pdb/derived_data/pdb_seqres.txt.gz).\n");
    return false;
  }
  std::string modified = sequence.modified > 0 ? "; " + std::to_string(sequence.modified) +
                                                      " modified residues read as their parent base"
                                                : std::string();
  state.reporter.say("Sequence of %s chain %s read from %s (%s), as %s%s.\n", id.c_str(), chain.c_str(),
                     path.c_str(), sequence.source.c_str(), fastaAbsence(fasta, fastaPresent).c_str(),
                     modified.c_str());
  fillMap(id, chain, sequence.letters, state.refSeqsMap[side]);
  return true;
}

FastaLookup lookUpFasta(RunState& state, int pass, const std::string& fasta) {
  const std::string& refId = pdbId(state, kReference, pass);
  const std::string& refChain = chainId(state, kReference, pass);
  const std::string& targetId = pdbId(state, kTarget, pass);
  const std::string& targetChain = chainId(state, kTarget, pass);
  if (state.shared)
    return lookUpFastaSequences(state.shared->fasta(fasta, state.reporter), refId, refChain, targetId, targetChain,
                                state.refSeqsMap, state.reporter);
  return lookUpFastaSequences(fasta, refId, refChain, targetId, targetChain, state.refSeqsMap, state.reporter);
}

}  // namespace

bool readChainSequences(RunState& state, int pass) {
  const std::string fasta = state.settings.inputFolder + kFastaName;
  const bool fastaPresent = !findInputFile(state.settings.inputFolder, {kFastaName}, state.reporter).empty();
  state.refSeqsMap = ResidueMapPair{};
  const FastaLookup found = fastaPresent ? lookUpFasta(state, pass, fasta) : FastaLookup::kChainMissing;
  if (found != FastaLookup::kChainMissing) return found == FastaLookup::kBothFound;
  for (int side = 0; side < kSides; ++side)
    if (state.refSeqsMap[side].chainCount == 0 && !sequenceFromStructure(state, side, pass, fasta, fastaPresent))
      return false;
  return true;
}

}  // namespace bexora
