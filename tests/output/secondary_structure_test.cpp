#include "output/secondary_structure.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "mapping/dot_bracket_reading.h"
#include "output/secondary_structure_files.h"
#include "test_support.h"
#include "model/record_fixtures.h"
#include "util/reporter.h"

namespace bexora {
namespace {

using test::makePair;
using Ends = std::pair<int, int>;

std::vector<ResidueMapEntry> residuesNumbered(const std::string& letters, int first = 1) {
  std::vector<ResidueMapEntry> residues;
  for (std::size_t i = 0; i < letters.size(); ++i)
    residues.push_back(ResidueMapEntry{letters[i], 0, first + static_cast<int32_t>(i), ' ', -1});
  return residues;
}

bool cross(Ends a, Ends b) {
  return (a.first < b.first && b.first < a.second && a.second < b.second) ||
         (b.first < a.first && a.first < b.second && b.second < a.second);
}

bool nested(const std::vector<Ends>& pairs) {
  for (std::size_t a = 0; a < pairs.size(); ++a)
    for (std::size_t b = a + 1; b < pairs.size(); ++b)
      if (cross(pairs[a], pairs[b])) return false;
  return true;
}

// Size of a largest crossing-free subset, by trying every subset.
int largestNestedSubset(const std::vector<Ends>& pairs) {
  int best = 0;
  for (unsigned mask = 0; mask < (1u << pairs.size()); ++mask) {
    std::vector<Ends> subset;
    for (std::size_t p = 0; p < pairs.size(); ++p)
      if (mask & (1u << p)) subset.push_back(pairs[p]);
    if (static_cast<int>(subset.size()) > best && nested(subset)) best = static_cast<int>(subset.size());
  }
  return best;
}

// `count` pairs on distinct positions of 1..length.
std::vector<Ends> randomPairs(std::mt19937& random, int count, int length) {
  std::vector<int> positions(length);
  for (int i = 0; i < length; ++i) positions[i] = i + 1;
  std::shuffle(positions.begin(), positions.end(), random);
  std::vector<Ends> pairs;
  for (int p = 0; p < count; ++p)
    pairs.emplace_back(std::min(positions[2 * p], positions[2 * p + 1]),
                       std::max(positions[2 * p], positions[2 * p + 1]));
  return pairs;
}

struct SelectionCase {
  const char* name;
  std::vector<BPInfo> pairs;
  const char* brackets;
  std::vector<std::string> notes;
};

TEST(SecondaryStructure, WhichPairsAreBracketed) {
  const std::vector<SelectionCase> cases = {
      {"cis W/W on A-U, G-C, G-U only",
       {makePair(1, 10, "GU", "W/W"), makePair(2, 9, "GC", "W/W", 't'), makePair(3, 8, "GA", "W/W"),
        makePair(4, 7, "AU", "W/H")},
       "(........)",
       {}},
      {"a residue in two pairs keeps the earlier",
       {makePair(1, 10, "GC", "W/W"), makePair(1, 5, "GC", "W/W"), makePair(5, 8, "CG", "W/W")},
       "(...(..).)",
       {"A1-A5 : G-C W/W cis not bracketed: a residue is already paired"}},
      {"two equal crossing stems: the 5' one gets the first order, whatever the written order",
       {makePair(4, 10, "GC", "W/W"), makePair(5, 9, "GC", "W/W"), makePair(1, 7, "GC", "W/W"),
        makePair(2, 6, "GC", "W/W")},
       "((.[[)).]]",
       {}},
      {"pairs with another chain are noted",
       {makePair(2, 4, "GC", "W/W"), makePair(3, 7, "GC", "W/W", 'c', 0, "B")},
       ".(.)......",
       {"1 pairs with another chain than A are not shown"}},
  };
  for (const SelectionCase& c : cases) {
    SCOPED_TRACE(c.name);
    SecondaryStructure structure = buildSecondaryStructure(residuesNumbered(std::string(10, 'N')), "A", c.pairs);
    std::vector<std::string> lines = test::textLines(formatDotBracket(structure, "x"));
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(lines[2], c.brackets);
    std::vector<std::string> notes;
    for (std::size_t l = 3; l < lines.size(); ++l) notes.push_back(lines[l].substr(2));
    EXPECT_EQ(notes, c.notes);
  }
}

// Random crossing sets: the brackets balance and give back exactly the
// bracketed pairs, BPSEQ agrees, the first order is as large as any
// crossing-free subset, and each later order is as large as any of the pairs
// left.
TEST(SecondaryStructure, GeneratedCrossingSetsGetBalancedMinimalOrders) {
  for (unsigned seed = 1; seed <= 200; ++seed) {
    std::mt19937 random(seed);
    int count = 2 + static_cast<int>(seed % 11);
    int length = 2 * count + static_cast<int>(seed % 5);
    std::vector<Ends> pairs = randomPairs(random, count, length);
    std::vector<BPInfo> written;
    for (Ends p : pairs) written.push_back(makePair(p.first, p.second, "GC", "W/W"));
    SecondaryStructure structure = buildSecondaryStructure(residuesNumbered(std::string(length, 'N')), "A", written);
    std::vector<std::string> lines = test::textLines(formatDotBracket(structure, "generated"));
    ASSERT_EQ(lines.size(), 3u) << "seed " << seed;
    EXPECT_EQ(test::pairsOfBrackets(lines[2]), std::set<Ends>(pairs.begin(), pairs.end())) << "seed " << seed;
    EXPECT_EQ(test::pairsOfBpseq(formatBpseq(structure)), test::pairsOfBrackets(lines[2])) << "seed " << seed;
    std::vector<Ends> left = pairs;
    for (int order = 0; !left.empty(); ++order) {
      std::vector<Ends> inOrder, rest;
      for (std::size_t p = 0; p < structure.pairs.size(); ++p) {
        if (structure.pairs[p].order == order) inOrder.push_back(pairs[p]);
        if (structure.pairs[p].order > order) rest.push_back(pairs[p]);
      }
      EXPECT_TRUE(nested(inOrder)) << "seed " << seed << " order " << order;
      EXPECT_EQ(static_cast<int>(inOrder.size()), largestNestedSubset(left)) << "seed " << seed << " order " << order;
      left = rest;
    }
  }
}

// Past the searched size, on random pairs: no order holds two crossing
// pairs, and a pair stands in a higher order (or none) only because it
// crosses a pair of every lower one.
TEST(SecondaryStructure, LargeSetsGetValidGreedyOrders) {
  std::mt19937 random(27);
  const std::vector<Ends> pairs = randomPairs(random, 4000, 8000);
  const std::vector<int> orders = assignBracketOrders(pairs, kBracketOrders);
  std::vector<std::vector<Ends>> byOrder(kBracketOrders);
  for (std::size_t p = 0; p < pairs.size(); ++p)
    if (orders[p] >= 0) byOrder[orders[p]].push_back(pairs[p]);
  for (int order = 0; order < kBracketOrders; ++order) EXPECT_TRUE(nested(byOrder[order])) << "order " << order;
  for (std::size_t p = 0; p < pairs.size(); ++p) {
    const int below = orders[p] < 0 ? kBracketOrders : orders[p];
    for (int order = 0; order < below; ++order)
      ASSERT_TRUE(std::any_of(byOrder[order].begin(), byOrder[order].end(), [&](Ends e) { return cross(e, pairs[p]); }))
          << "pair " << p << " fits order " << order;
  }
}

TEST(SecondaryStructure, OrdersBeyondTheBracketsAreNotedAndWarned) {
  std::vector<BPInfo> clique;
  for (int i = 1; i <= kBracketOrders + 1; ++i) clique.push_back(makePair(i, i + kBracketOrders + 1, "GC", "W/W"));
  test::TempDir dir;
  std::string messages;
  ASSERT_TRUE(writeSecondaryStructureFiles(dir.file("X_A.mca.bexora"), "X_A", "A",
                                           residuesNumbered(std::string(2 * kBracketOrders + 2, 'G')), clique,
                                           kMcAnnotate, collectingReporter(messages)));
  EXPECT_EQ(messages, "Warning!!! Bracket order limit of 30 reached in " + dir.file("X_A.mca.bexora.dbn") +
                          "; the rest is ignored.\n");
  std::vector<std::string> lines = test::textLines(test::readFile(dir.file("X_A.mca.bexora.dbn")));
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[2], "([{<ABCDEFGHIJKLMNOPQRSTUVWXYZ.)]}>abcdefghijklmnopqrstuvwxyz.");
  EXPECT_EQ(lines[3], "# A31-A62 : G-C W/W cis not bracketed: more than 30 bracket orders");
}

}  // namespace
}  // namespace bexora
