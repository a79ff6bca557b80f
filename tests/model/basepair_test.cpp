#include "model/basepair.h"

#include <gtest/gtest.h>

#include <tuple>
#include <vector>

#include "model/record_fixtures.h"

namespace bexora {
namespace {

BPInfo pairOf(const char* bases, const char* edges, char orientation = 'c') {
  return test::makePair(0, 0, bases, edges, orientation);
}

TEST(PairClass, CanonicalNonCanonicalOther) {
  const std::tuple<const char*, const char*, char, PairClass> cases[] = {
      {"GC", "W/W", 'c', kCanonical},    {"CG", "W/W", 'c', kCanonical},    {"AU", "-/-", 'c', kCanonical},
      {"GC", "+/+", 'c', kCanonical},    {"UG", "W/W", 'c', kCanonical},    {"GU", "Ww/Ww", 'c', kCanonical},
      {"GC", "W/W", 't', kCanonical},    {"GA", "W/W", 'c', kNonCanonical}, {"GC", "W/H", 'c', kNonCanonical},
      {"GC", "W/+", 'c', kNonCanonical}, {"gc", "W/W", 'c', kNonCanonical}, {"GC", "w/w", 'c', kOtherPair},
      {"GC", "Bs/O2P", 'c', kOtherPair}, {"AA", "S/H", 'c', kNonCanonical}, {"AU", "./S", 'c', kOtherPair},
  };
  ClassCounts counts;
  for (const auto& [bases, edges, orientation, expected] : cases) {
    EXPECT_EQ(classifyPair(pairOf(bases, edges, orientation)), expected) << bases << ' ' << edges << orientation;
    counts.add(pairOf(bases, edges, orientation));
  }
  EXPECT_EQ(std::make_tuple(counts.canonical, counts.nonCanonical, counts.other, counts.total()),
            std::make_tuple(7, 5, 3, 15));
}

TEST(PairId, OrdersByChainsNumbersAndInsertionCodes) {
  const BPInfo a = test::makePair(5, 20, "GC", "W/W");
  BPInfo withCode = a, chainB = a, later = a, negative = a;
  withCode.iCode[0] = 'A';
  setField(chainB.chainId[1], "B");
  later.resSeqNo[1] = 21;
  negative.resSeqNo[0] = -2147483647;
  EXPECT_LT(compBasePairId(a, withCode), 0) << "a blank insertion code sorts first";
  EXPECT_EQ(compBasePairId(a, test::makePair(5, 20, "AU", "H/S", 't')), 0);
  EXPECT_LT(compBasePairId(a, chainB), 0);
  EXPECT_LT(compBasePairId(a, later), 0);
  EXPECT_GT(compBasePairId(a, negative), 0) << "no overflow on extreme numbers";

  std::vector<BPInfo> list = {later, withCode, a};
  sortByPairId(list);
  const std::vector<BPInfo> expected = {a, later, withCode};
  for (std::size_t i = 0; i < list.size(); ++i) EXPECT_EQ(compBasePairId(list[i], expected[i]), 0) << i;
}

}  // namespace
}  // namespace bexora
