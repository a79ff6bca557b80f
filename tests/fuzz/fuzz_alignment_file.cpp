#include "fuzz_support.h"
#include "alignment/structure_alignment.h"

namespace {

bexora::StructureResidueMap makeSide(const char* id, int length) {
  bexora::StructureResidueMap side;
  bexora::setField(side.pdbId, id);
  side.chainCount = 1;
  bexora::setField(side.chain.chainId, "A");
  bexora::setField(side.chain.pairChainId, "A");
  for (int i = 0; i < length; ++i) side.chain.entries.push_back({'G', 1, i - 2, i % 5 == 0 ? 'A' : ' ', i});
  return side;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  bexora::fuzz::writeInput(data, size, "1ABC_A_2XYZ_A.aln");
  bexora::ResidueMapPair pdbMap = {makeSide("1ABC", 40), makeSide("2XYZ", 40)};
  bexora::applyStructureAlignmentFile(pdbMap, bexora::fuzz::scratchFolder(), "1ABC", "A", "2XYZ", "A", bexora::Reporter());
  return 0;
}
