#include "annotation/pair_formats.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "model/record_fixtures.h"

namespace bexora {
namespace {

BPInfo pairOf(const char* chain, int first, int second, const char* bases, const char* edges, char orientation,
              char iCode0 = ' ', char iCode1 = ' ') {
  BPInfo pair = test::makePair(first, second, bases, edges, orientation, kSourceTool, chain);
  pair.iCode[0] = iCode0;
  pair.iCode[1] = iCode1;
  return pair;
}

TEST(PairFormats, Lines) {
  BPInfo full = pairOf("A", 1, 72, "GC", "Ww/Ww", 'c');
  setField(full.edge[1][0], "Bh");
  setField(full.edge[1][1], "O2'");
  full.edgeCount = 2;
  setField(full.stackInfo, "inward");
  full.parallel = 0;
  setField(full.description, "XIX");
  BPInfo parallel = pairOf("A", 4, 9, "AA", "Hh/Hh", 't');
  parallel.parallel = 1;
  BPInfo canonical = pairOf("A", 1, 72, "GC", "W/W", 'c');
  setField(canonical.description, "XIX");
  const std::string blanks8(8, ' ');
  const struct {
    std::string (*format)(const BPInfo&);
    BPInfo pair;
    std::string line;
  } cases[] = {
      {formatPairBexora, pairOf("0", 12, 45, "GC", "W/W", 'c'), "'0'12-'0'45 : G-C W/W cis"},
      {formatPairBexora, pairOf("A", 12, 45, "GC", "W/W", 'c', ' ', 'B'), "A12-A45.B : G-C W/W cis"},
      {formatPairBexora, pairOf("AB", 3, 9, "AU", "H/S", 't', 'A', 'C'), "'AB'3.A-'AB'9.C : A-U H/S trans"},
      {formatPairBexora, pairOf("A", 1, 2, "GA", "", '\0'), "A1-A2 : G-A"},
      {formatPairMCAnnotate, full, "A1-A72 : G-C Ww/Ww Bh/O2' inward pairing antiparallel cis XIX"},
      {formatPairMCAnnotate, parallel, "A4-A9 : A-A Hh/Hh pairing parallel trans"},
      {formatPairMCAnnotate, pairOf("A", 4, 9, "AA", "", '\0'), "A4-A9 : A-A pairing"},
      {formatPairRNAView, canonical, "     1_72, A:     1 G-C    72 A: +/+ cis" + blanks8 + " XIX"},
      {formatPairRNAView, pairOf("B", 10, 125, "AU", "W/W", 't', 'A'),
       "   10_125, B:    10.A A-U   125 B: -/- tran" + std::string(7, ' ') + " "},
      {formatPairRNAView, pairOf("A", 3, 5, "GU", "W/W", '\0'), "      3_5, A:     3 G-U     5 A: W/W "},
      {formatPairRNAView, pairOf("A", 123456, 1234567, "GA", "S/H", 'c'),
       "123456_1234567, A: 123456 G-A 1234567 A: S/H cis" + blanks8 + " "},
      {formatPairRNAViewStack, canonical, "     1_72, A:     1 G-C    72 A: stacked"},
      {formatPairRNAViewStack, pairOf("AB", -5, -12, "GC", "W/W", 'c', ' ', 'B'),
       "   -5_-12, AB:    -5 G-C   -12.B AB: stacked"},
  };
  for (const auto& c : cases) EXPECT_EQ(c.format(c.pair), c.line);
}

}  // namespace
}  // namespace bexora
