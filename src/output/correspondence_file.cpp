#include "output/correspondence_file.h"

namespace bexora {

namespace {

std::string residueToken(const char* chainId, const ResidueMapEntry& residue) {
  std::string token = std::string(chainId) + ":" + std::to_string(residue.resSeqNo);
  if (residue.iCode != ' ' && residue.iCode != '\0') token.push_back(residue.iCode);
  return token;
}

}  // namespace

std::string correspondenceFileName(const ResidueMapPair& pdbMap) {
  const StructureResidueMap& reference = pdbMap[kReference];
  const StructureResidueMap& target = pdbMap[kTarget];
  return std::string(reference.pdbId) + "_" + reference.chain.chainId + "_" + target.pdbId + "_" +
         target.chain.chainId + ".aln";
}

std::string correspondenceText(const ResidueMapPair& pdbMap) {
  const ChainResidueMap& reference = pdbMap[kReference].chain;
  const ChainResidueMap& target = pdbMap[kTarget].chain;
  std::string text;
  for (const ResidueMapEntry& entry : reference.entries) {
    if (entry.mapIndex < 0 || entry.mapIndex >= target.length()) continue;
    text += residueToken(reference.chainId, entry) + "<->" +
            residueToken(target.chainId, target.entries[entry.mapIndex]) + "\n";
  }
  return text;
}

}  // namespace bexora
