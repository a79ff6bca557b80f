#include "alignment/structure_alignment.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "test_support.h"

namespace bexora {
namespace {

// Every entry starts mapped to itself and identical, so that tests see what
// the file rewrote and what it left alone.
StructureResidueMap observed(const char* pdbId, const char* chain, const std::vector<std::pair<int32_t, char>>& ids) {
  StructureResidueMap map;
  setField(map.pdbId, pdbId);
  map.chainCount = 1;
  setField(map.chain.chainId, chain);
  for (std::size_t i = 0; i < ids.size(); ++i)
    map.chain.entries.push_back({'G', 1, ids[i].first, ids[i].second, static_cast<int32_t>(i)});
  return map;
}

std::vector<int32_t> mapIndexes(const StructureResidueMap& map) {
  std::vector<int32_t> indexes;
  for (const ResidueMapEntry& e : map.chain.entries) indexes.push_back(e.mapIndex);
  return indexes;
}

struct Update {
  bool ok = false;
  ResidueMapPair map;
  std::string out;
};

Update runFile(const std::string& folder, ResidueMapPair map) {
  Update update{false, std::move(map), ""};
  AlignmentFileUse use =
      applyStructureAlignmentFile(update.map, folder, "1ABC", "A", "2XYZ", "B", collectingReporter(update.out));
  update.ok = use == AlignmentFileUse::kUsed;
  // A mismatch is the one outcome the user must be stopped for; the caller pauses on it.
  if (use == AlignmentFileUse::kChainMismatch) update.out += "<pause>";
  return update;
}

// The output names the file "{file}".
Update runText(const std::string& text) {
  test::TempDir dir;
  const std::string file = dir.file("1ABC_A_2XYZ_B.aln");
  test::writeFile(file, text);
  Update update = runFile(dir.path() + "/", {observed("1ABC", "A", {{-2, ' '}, {3, ' '}, {10, ' '}, {10, 'A'}}),
                                             observed("2XYZ", "B", {{-1, ' '}, {3, ' '}, {12, ' '}, {12, 'A'}})});
  for (std::size_t at; (at = update.out.find(file)) != std::string::npos;)
    update.out.replace(at, file.size(), "{file}");
  return update;
}

struct TokenCase {
  std::string text;
  std::vector<int32_t> reference, target;
  bool ok;
  std::string out;  // the start of the output; empty: nothing is written
};

TEST(UpdatePDBAlignVantor, PairTokensAndChainMismatches) {
  const std::vector<int32_t> none = {-1, -1, -1, -1}, unchanged = {0, 1, 2, 3};
  const std::string noPair = "Warning!!! {file} lists no residue pair; no residue is aligned through it.\n";
  const std::string unreadable = "Warning!!! Unreadable residue pair \"", longChain(300, 'Q');
  const TokenCase cases[] = {
      {"A:10A<->B:12", {-1, -1, -1, 2}, {-1, -1, 3, -1}, true, ""},
      {"A:-2<->B:-1", {0, -1, -1, -1}, {0, -1, -1, -1}, true, ""},
      {"A:+3<->B:3", {-1, 1, -1, -1}, {-1, 1, -1, -1}, true, ""},
      {"A:10<->B:13", none, none, true, ""},
      {"title A:3 <- B:3 score:1.0 ::: <-", none, none, true, noPair},
      {"A10<->B:12", none, none, true, unreadable},
      {"A:+-3<->B:3", none, none, true, unreadable},
      {"A:99999999999999999999<->B:3", none, none, true, unreadable},
      {"A:3<->B:3\nA:-2<->B:-1", {-1, 1, -1, -1}, {-1, 1, -1, -1}, true, ""},
      {"A:3<->B:4\nA:10<->B:12", {-1, -1, 2, -1}, {-1, -1, 2, -1}, true, ""},
      {"A:-2<->B:-1\r\n\r\nA:10A<->B:12A\r\n", {0, -1, -1, 3}, {0, -1, -1, 3}, true, ""},
      // A mismatch leaves the sequence-based map, even after pairs already read.
      {"A:-2<->B:-1\nA:3<->C:3\nA:10<->B:12\n", unchanged, unchanged, false,
       "Chain mismatch A-A, B-C\n(line 2 of {file})\n<pause>"},
      {longChain + ":3<->B:3", unchanged, unchanged, false, "Chain mismatch A-" + longChain + ", B-B\n"},
  };
  for (const TokenCase& c : cases) {
    SCOPED_TRACE(c.text.substr(0, 40));
    Update update = runText(c.text);
    EXPECT_EQ(update.ok, c.ok);
    EXPECT_EQ(mapIndexes(update.map[kReference]), c.reference);
    EXPECT_EQ(mapIndexes(update.map[kTarget]), c.target);
    EXPECT_EQ(c.out.empty() ? update.out : update.out.substr(0, c.out.size()), c.out) << update.out;
  }
}

TEST(UpdatePDBAlignVantor, FileWithTitlesScoresAndAPartialListOrNoFile) {
  Update update =
      runFile(test::fixturePath("alignment/"),
              {observed("1ABC", "A", {{-2, ' '}, {1, ' '}, {2, ' '}, {5, ' '}, {10, 'A'}, {11, ' '}, {12, ' '}}),
               observed("2XYZ", "B", {{-1, ' '}, {1, ' '}, {2, ' '}, {3, ' '}, {12, ' '}, {12, 'A'}, {50, ' '}})});
  EXPECT_TRUE(update.ok);
  EXPECT_EQ(mapIndexes(update.map[kReference]), (std::vector<int32_t>{0, 1, 3, -1, 4, 5, -1}));
  EXPECT_EQ(mapIndexes(update.map[kTarget]), (std::vector<int32_t>{0, 1, -1, 2, 4, 5, -1}));
  for (const StructureResidueMap& side : update.map)
    for (const ResidueMapEntry& e : side.chain.entries) EXPECT_EQ(e.identical, 1);
  EXPECT_EQ(update.out, "Warning!!! Unreadable residue pair \"score<->0.81\" at line 8 of " +
                            test::fixturePath("alignment/1ABC_A_2XYZ_B.aln") + " is ignored.\n");

  test::TempDir dir;
  Update missing = runFile(dir.path() + "/", {observed("1ABC", "A", {{1, ' '}}), observed("2XYZ", "B", {{1, ' '}})});
  EXPECT_FALSE(missing.ok);
  EXPECT_EQ(missing.out, "");
  EXPECT_EQ(mapIndexes(missing.map[kReference]), std::vector<int32_t>{0});
}

}  // namespace
}  // namespace bexora
