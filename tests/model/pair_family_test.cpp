#include "model/pair_family.h"

#include <gtest/gtest.h>

#include "model/record_fixtures.h"

namespace bexora {
namespace {

// Each tool's edge words, as its reader keeps them, against the family they name.
TEST(PairFamily, EveryToolsWordsMapToTheTwelveFamilies) {
  struct Case {
    int method;
    const char* edges;
    char orientation;
    const char* family;  // "-" when the words name no family
  };
  const Case cases[] = {
      {kRnaView, "+/+", 'c', "cWW"},  {kRnaView, "-/-", 'c', "cWW"},  {kRnaView, "W/H", 't', "tWH"},
      {kRnaView, "S/s", 'c', "cSS"},  {kRnaView, "./S", 'c', "-"},    {kRnaView, "?/W", 't', "-"},
      {kMcAnnotate, "Ww/Ww", 'c', "cWW"}, {kMcAnnotate, "Hh/Sw", 't', "tHS"}, {kMcAnnotate, "C8/Ws", 'c', "cHW"},
      {kMcAnnotate, "O2'/Hw", 't', "tSH"}, {kMcAnnotate, "Bs/O2P", 'c', "-"}, {kMcAnnotate, "W/W", 'c', "-"},
      {kFr3d, "W/W", 'c', "cWW"},     {kFr3d, "S/H", 't', "tSH"},     {kDssr, "W/W", 'c', "cWW"},
      {kDssr, "H/S", 't', "tHS"},     {kClaRna, "W/H", 't', "tWH"},   {kClaRna, "S/S", 'c', "cSS"},
      {kFr3d, "W/W", '\0', "-"},      {kDssr, "W/W", 'x', "-"},       {kFr3d, "B/W", 'c', "-"},
  };
  for (const Case& c : cases) {
    std::optional<LwFamily> family = lwFamily(c.method, test::makePair(1, 2, "GC", c.edges, c.orientation));
    EXPECT_EQ(family ? family->notation() : "-", c.family) << methodName(c.method) << ' ' << c.edges;
  }
}

}  // namespace
}  // namespace bexora
