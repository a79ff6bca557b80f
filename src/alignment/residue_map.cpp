#include "alignment/residue_map.h"

#include <cstring>
#include <string>

#include "alignment/aligner.h"

namespace bexora {

namespace {

std::string lettersOf(const ChainResidueMap& chain) {
  std::string letters;
  letters.reserve(chain.entries.size());
  for (const ResidueMapEntry& entry : chain.entries) letters.push_back(entry.nucleotide);
  return letters;
}

void markGap(ResidueMapEntry& entry) {
  entry.identical = 0;
  entry.mapIndex = -1;
}

// One entry per residue of the chain's atoms; atoms of one residue are
// adjacent in the sorted table, so a change of number or insertion code
// starts the next residue.
void collectObservedResidues(const std::vector<AtomInfo>& atoms, ChainResidueMap& chain, const char* pdbId,
                             const Reporter& reporter) {
  chain.entries.clear();
  bool limitWarned = false;
  for (const AtomInfo& atom : atoms) {
    if (std::strcmp(atom.chainId, chain.chainId) != 0) continue;
    const ResidueMapEntry* last = chain.entries.empty() ? nullptr : &chain.entries.back();
    if (last && last->resSeqNo == atom.resSeqNo && last->iCode == atom.iCode) continue;
    if (chain.entries.size() == kMaxChainResidues) {
      if (!limitWarned)
        reporter.limitReached(("Observed chain " + std::string(chain.chainId) + " residue").c_str(),
                              kMaxChainResidues, "the atoms of " + std::string(pdbId));
      limitWarned = true;
      continue;
    }
    chain.entries.push_back(ResidueMapEntry{atom.residueName, 0, atom.resSeqNo, atom.iCode, -1});
  }
}

// The entry at `index` of a chain, or nullptr when the index is a gap or
// lies outside the chain.
const ResidueMapEntry* entryAt(const StructureResidueMap& map, int32_t index) {
  if (map.chainCount == 0 || index < 0 || index >= map.chain.length()) return nullptr;
  return &map.chain.entries[index];
}

}  // namespace

int mappedSeqComp(const ResidueMapEntry& a, const ResidueMapEntry& b) {
  return compareResidues(a.resSeqNo, a.iCode, b.resSeqNo, b.iCode);
}

bool chainAlign(ChainResidueMap& chainA, ChainResidueMap& chainB, const Reporter& reporter) {
  std::string script;
  double cost = 0;
  if (!MMAlign(lettersOf(chainA), lettersOf(chainB), &script, &cost, reporter)) return false;
  std::size_t i = 0, j = 0;
  for (char column : script) {
    if (column == 'x') {
      markGap(chainA.entries[i++]);
    } else if (column == '-') {
      markGap(chainB.entries[j++]);
    } else {
      int32_t same = column == '!' ? 1 : 0;
      chainA.entries[i].identical = chainB.entries[j].identical = same;
      chainA.entries[i].mapIndex = static_cast<int32_t>(j);
      chainB.entries[j].mapIndex = static_cast<int32_t>(i);
      ++i, ++j;
    }
  }
  return true;
}

bool alignPDBWithRef(const std::vector<AtomInfo>& atoms, StructureResidueMap& seqMap, StructureResidueMap& obsMap,
                     StructureResidueMap fastaRecord, const Reporter& reporter) {
  seqMap = std::move(fastaRecord);
  obsMap = seqMap;
  setField(obsMap.pdbId, "ATOM");
  obsMap.chain.entries.clear();
  if (obsMap.chainCount == 0) return true;
  collectObservedResidues(atoms, obsMap.chain, seqMap.pdbId, reporter);
  return chainAlign(seqMap.chain, obsMap.chain, reporter);
}

bool alignFasta(ResidueMapPair& refSeqsMap, const Reporter& reporter) {
  StructureResidueMap& reference = refSeqsMap[kReference];
  StructureResidueMap& target = refSeqsMap[kTarget];
  if (reference.chainCount == 0 || target.chainCount == 0) return true;
  setField(reference.chain.pairChainId, target.chain.chainId);
  setField(target.chain.pairChainId, reference.chain.chainId);
  return chainAlign(reference.chain, target.chain, reporter);
}

// An observed residue maps to the partner's observed residue through three
// links: its own sequence position, the partner's sequence position and the
// partner's observed residue; it is identical when all three links are.
void alignPDBs(const ResidueMapPair& refSeqsMap, const ResidueMapPair& refMap, const ResidueMapPair& pdbTempMap,
               ResidueMapPair& pdbMap) {
  for (int side = 0; side < kSides; ++side) {
    const int partner = 1 - side;
    StructureResidueMap& map = pdbMap[side];
    map = pdbTempMap[side];
    setField(map.pdbId, refMap[side].pdbId);
    if (map.chainCount == 0) continue;
    setField(map.chain.pairChainId, refMap[partner].chainCount ? refMap[partner].chain.chainId : "");
    for (ResidueMapEntry& entry : map.chain.entries) {
      const ResidueMapEntry observed = entry;
      markGap(entry);
      const ResidueMapEntry* sequence = entryAt(refSeqsMap[side], observed.mapIndex);
      const ResidueMapEntry* partnerSequence = sequence ? entryAt(refMap[partner], sequence->mapIndex) : nullptr;
      if (!partnerSequence || !entryAt(pdbTempMap[partner], partnerSequence->mapIndex)) continue;
      entry.mapIndex = partnerSequence->mapIndex;
      entry.identical = observed.identical && sequence->identical && partnerSequence->identical ? 1 : 0;
    }
  }
}

}  // namespace bexora
