#include "output/correspondence_file.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "alignment/structure_alignment.h"
#include "test_support.h"

namespace bexora {
namespace {

struct Residue {
  int32_t number;
  char iCode;
  int32_t mapIndex;
};

StructureResidueMap chain(const char* pdbId, const char* chainId, const std::vector<Residue>& residues) {
  StructureResidueMap map;
  setField(map.pdbId, pdbId);
  map.chainCount = 1;
  setField(map.chain.chainId, chainId);
  for (const Residue& r : residues) map.chain.entries.push_back({'G', 0, r.number, r.iCode, r.mapIndex});
  return map;
}

std::vector<int32_t> mapIndexes(const StructureResidueMap& map) {
  std::vector<int32_t> indexes;
  for (const ResidueMapEntry& e : map.chain.entries) indexes.push_back(e.mapIndex);
  return indexes;
}

// Insertion codes, negative numbers, chains of two characters and gaps on
// both sides all survive the file: the reader rebuilds the map written.
TEST(CorrespondenceFile, ReadBackGivesTheSameMap) {
  const ResidueMapPair written = {chain("1ABC", "AA", {{-1, ' ', 1}, {5, ' ', -1}, {5, 'A', 2}, {7, ' ', 3}}),
                                  chain("2XYZ", "B", {{1, ' ', -1}, {2, ' ', 0}, {2, 'B', 2}, {9, ' ', 3}})};
  EXPECT_EQ(correspondenceText(written), "AA:-1<->B:2\nAA:5A<->B:2B\nAA:7<->B:9\n");
  test::TempDir dir;
  test::writeFile(dir.file(correspondenceFileName(written)), correspondenceText(written));
  ResidueMapPair read = written;
  for (StructureResidueMap& side : read)
    for (ResidueMapEntry& entry : side.chain.entries) entry.mapIndex = 5;
  std::string messages;
  const Reporter reporter = collectingReporter(messages);
  ASSERT_EQ(applyStructureAlignmentFile(read, dir.path() + "/", "1ABC", "AA", "2XYZ", "B", reporter),
            AlignmentFileUse::kUsed)
      << messages;
  for (int side : {kReference, kTarget}) EXPECT_EQ(mapIndexes(read[side]), mapIndexes(written[side])) << side;
}

}  // namespace
}  // namespace bexora
