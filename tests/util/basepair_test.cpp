#include "util/basepair.h"

#include <gtest/gtest.h>

#include <vector>

namespace bexora {
namespace {

BPInfo makePair(char n0, char n1, const char* e0, const char* e1, char orientation = 'c') {
  BPInfo pair = makeEmptyBPInfo();
  setField(pair.chainId[0], "A");
  setField(pair.chainId[1], "A");
  pair.nucleotide[0] = n0;
  pair.nucleotide[1] = n1;
  setField(pair.edge[0][0], e0);
  setField(pair.edge[0][1], e1);
  pair.edgeCount = 1;
  pair.orientation = orientation;
  return pair;
}

struct ClassCase {
  char n0, n1;
  const char* e0;
  const char* e1;
  PairClass expected;
};

TEST(PairClass, CanonicalNonCanonicalOther) {
  const std::vector<ClassCase> cases = {
      {'G', 'C', "W", "W", kCanonical},     {'C', 'G', "W", "W", kCanonical},  {'A', 'U', "-", "-", kCanonical},
      {'G', 'C', "+", "+", kCanonical},     {'U', 'G', "W", "W", kCanonical},  {'G', 'U', "Ww", "Ww", kCanonical},
      {'G', 'A', "W", "W", kNonCanonical},  {'G', 'C', "W", "H", kNonCanonical}, {'G', 'C', "W", "+", kNonCanonical},
      {'g', 'c', "W", "W", kNonCanonical},  {'G', 'C', "w", "w", kOtherPair},  {'G', 'C', "Bs", "O2P", kOtherPair},
      {'A', 'A', "S", "H", kNonCanonical},  {'A', 'U', ".", "S", kOtherPair},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(classifyPair(makePair(c.n0, c.n1, c.e0, c.e1)), c.expected)
        << c.n0 << c.n1 << ' ' << c.e0 << '/' << c.e1;
  }
}

TEST(PairClass, TransWatsonCrickIsStillCanonical) {
  EXPECT_TRUE(isCanonicalBP(makePair('G', 'C', "W", "W", 't')));
}

TEST(ClassCounts, AddsByClass) {
  ClassCounts counts;
  counts.add(makePair('G', 'C', "W", "W"));
  counts.add(makePair('G', 'A', "S", "H"));
  counts.add(makePair('G', 'A', "O2'", "H"));
  EXPECT_EQ(counts.canonical, 1);
  EXPECT_EQ(counts.nonCanonical, 1);
  EXPECT_EQ(counts.other, 1);
  EXPECT_EQ(counts.total(), 3);
}

TEST(PairId, OrdersByChainsNumbersAndInsertionCodes) {
  BPInfo a = makePair('G', 'C', "W", "W");
  a.resSeqNo[0] = 5;
  a.resSeqNo[1] = 20;
  BPInfo withCode = a;
  withCode.iCode[0] = 'A';
  EXPECT_LT(compBasePairId(a, withCode), 0) << "a blank insertion code sorts first";
  BPInfo otherEdges = makePair('A', 'U', "H", "S", 't');
  otherEdges.resSeqNo[0] = 5;
  otherEdges.resSeqNo[1] = 20;
  EXPECT_EQ(compBasePairId(a, otherEdges), 0);
  BPInfo chainB = a;
  setField(chainB.chainId[1], "B");
  EXPECT_LT(compBasePairId(a, chainB), 0);
  BPInfo later = a;
  later.resSeqNo[1] = 21;
  EXPECT_LT(compBasePairId(a, later), 0);
  BPInfo negative = a;
  negative.resSeqNo[0] = -2147483647;
  EXPECT_GT(compBasePairId(a, negative), 0) << "no overflow on extreme numbers";

  std::vector<BPInfo> list = {later, withCode, a};
  sortByPairId(list);
  EXPECT_EQ(compBasePairId(list[0], a), 0);
  EXPECT_EQ(compBasePairId(list[1], later), 0);
  EXPECT_EQ(compBasePairId(list[2], withCode), 0);
}

TEST(CompareEdges, WatsonCrickClassAndOrientation) {
  EXPECT_EQ(compareEdges(makePair('G', 'C', "W", "W"), makePair('G', 'C', "+", "+")), 0);
  EXPECT_EQ(compareEdges(makePair('G', 'C', "Ww", "Ws"), makePair('G', 'C', "W", "W")), 0);
  EXPECT_EQ(compareEdges(makePair('G', 'C', "W", "W"), makePair('G', 'C', "H", "W")), 'W' - 'H');
  EXPECT_EQ(compareEdges(makePair('G', 'C', "W", "S"), makePair('G', 'C', "W", "H")), 'S' - 'H');
  EXPECT_EQ(compareEdges(makePair('G', 'C', "W", "W", 'c'), makePair('G', 'C', "W", "W", 't')), 'c' - 't');
}

TEST(Fields, TextLongerThanAFieldIsCut) {
  BPInfo pair = makeEmptyBPInfo();
  setField(pair.description, "a description much longer than twenty-six characters");
  EXPECT_EQ(std::string(pair.description).size(), kDescriptionWidth);
  setField(pair.chainId[0], "ABCDEFG");
  EXPECT_STREQ(pair.chainId[0], "ABCD");
  EXPECT_EQ(pair.iCode[0], ' ');
  EXPECT_EQ(pair.parallel, -1);
  EXPECT_EQ(pair.orientation, '\0');
}

}  // namespace
}  // namespace bexora
