#include "util/pair_formats.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace bexora {
namespace {

BPInfo makePair(const char* chain, int first, int second, const char* bases, const char* edges, char orientation) {
  BPInfo pair = makeEmptyBPInfo();
  setField(pair.chainId[0], chain);
  setField(pair.chainId[1], chain);
  pair.resSeqNo[0] = first;
  pair.resSeqNo[1] = second;
  pair.nucleotide[0] = bases[0];
  pair.nucleotide[1] = bases[2];
  if (edges[0] != '\0') {
    const std::string text(edges);
    setField(pair.edge[0][0], text.substr(0, text.find('/')));
    setField(pair.edge[0][1], text.substr(text.find('/') + 1));
    pair.edgeCount = 1;
  }
  pair.orientation = orientation;
  return pair;
}

TEST(PairFormats, BexoraLine) {
  BPInfo quoted = makePair("0", 12, 45, "G-C", "W/W", 'c');
  BPInfo insertion = makePair("A", 12, 45, "G-C", "W/W", 'c');
  insertion.iCode[1] = 'B';
  BPInfo both = makePair("AB", 3, 9, "A-U", "H/S", 't');
  both.iCode[0] = 'A';
  both.iCode[1] = 'C';
  const BPInfo noEdges = makePair("A", 1, 2, "G-A", "", '\0');
  EXPECT_EQ(formatPairBexora(quoted), "'0'12-'0'45 : G-C W/W cis");
  EXPECT_EQ(formatPairBexora(insertion), "A12-A45.B : G-C W/W cis");
  EXPECT_EQ(formatPairBexora(both), "AB3.A-AB9.C : A-U H/S trans");
  EXPECT_EQ(formatPairBexora(noEdges), "A1-A2 : G-A");
}

TEST(PairFormats, MCAnnotateLine) {
  BPInfo full = makePair("A", 1, 72, "G-C", "Ww/Ww", 'c');
  setField(full.edge[1][0], "Bh");
  setField(full.edge[1][1], "O2'");
  full.edgeCount = 2;
  setField(full.stackInfo, "inward");
  full.parallel = 0;
  setField(full.description, "XIX");
  BPInfo parallel = makePair("A", 4, 9, "A-A", "Hh/Hh", 't');
  parallel.parallel = 1;
  EXPECT_EQ(formatPairMCAnnotate(full), "A1-A72 : G-C Ww/Ww Bh/O2' inward pairing antiparallel cis XIX");
  EXPECT_EQ(formatPairMCAnnotate(parallel), "A4-A9 : A-A Hh/Hh pairing parallel trans");
  EXPECT_EQ(formatPairMCAnnotate(makePair("A", 4, 9, "A-A", "", '\0')), "A4-A9 : A-A pairing");
}

TEST(PairFormats, RNAViewLine) {
  BPInfo canonical = makePair("A", 1, 72, "G-C", "W/W", 'c');
  setField(canonical.description, "XIX");
  BPInfo insertion = makePair("B", 10, 125, "A-U", "W/W", 't');
  insertion.iCode[0] = 'A';
  const std::string blanks8(8, ' ');
  EXPECT_EQ(formatPairRNAView(canonical), "     1_72, A:     1 G-C    72 A: +/+ cis" + blanks8 + " XIX");
  EXPECT_EQ(formatPairRNAView(insertion), "   10_125, B:    10.A A-U   125 B: -/- tran" + std::string(7, ' ') + " ");
  EXPECT_EQ(formatPairRNAView(makePair("A", 3, 5, "G-U", "W/W", '\0')), "      3_5, A:     3 G-U     5 A: W/W ");
  EXPECT_EQ(formatPairRNAView(makePair("A", 123456, 1234567, "G-A", "S/H", 'c')),
            "123456_1234567, A: 123456 G-A 1234567 A: S/H cis" + blanks8 + " ");
  EXPECT_EQ(formatPairRNAViewStack(canonical), "     1_72, A:     1 G-C    72 A: stacked");
}

TEST(PairFormats, RNAViewEdgeNotation) {
  struct Case {
    const char* bases;
    char edge1, edge2, expected1, expected2;
  };
  const Case cases[] = {
      {"C-G", 'W', 'W', '+', '+'}, {"G-C", 'W', 'W', '+', '+'}, {"A-U", 'W', 'W', '-', '-'},
      {"U-A", 'W', 'W', '-', '-'}, {"G-U", 'W', 'W', 'W', 'W'}, {"G-C", 'W', 'H', 'W', 'H'},
      {"A-U", 'S', 'W', 'S', 'W'}, {"g-c", 'W', 'W', 'W', 'W'},
  };
  for (const Case& c : cases) {
    const BPInfo pair = makePair("A", 1, 2, c.bases, "", 'c');
    char first = c.edge1;
    char second = c.edge2;
    convertToRNAViewEdgeFormat(first, second, pair);
    EXPECT_EQ(first, c.expected1) << c.bases;
    EXPECT_EQ(second, c.expected2) << c.bases;
  }
}

TEST(PairFormats, PrintersEndTheLineUnlessAsked) {
  std::FILE* file = std::tmpfile();
  ASSERT_NE(file, nullptr);
  const BPInfo pair = makePair("A", 1, 72, "G-C", "W/W", 'c');
  printPairBexoraFormat(file, true, pair);
  std::fputs(" X\n", file);
  printPairMCAnnotateFormat(file, false, pair);
  printPairRNAViewFormat(file, false, pair);
  printPairRNAViewStack(file, pair);
  std::rewind(file);
  std::string text;
  for (int c = std::fgetc(file); c != EOF; c = std::fgetc(file)) text += static_cast<char>(c);
  std::fclose(file);
  EXPECT_EQ(text, formatPairBexora(pair) + " X\n" + formatPairMCAnnotate(pair) + "\n" + formatPairRNAView(pair) +
                      "\n" + formatPairRNAViewStack(pair) + "\n");
}

}  // namespace
}  // namespace bexora
