#include "util/tokenizer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace bexora {
namespace {

using Strings = std::vector<std::string>;

struct TokenCase {
  std::string text, delimiters;
  bool collapse;
  Strings expected;
};

Strings tokenize(TokenizeResult (*split)(std::string_view, std::string_view, std::string_view*, std::size_t, bool,
                                         std::size_t),
                 const TokenCase& c, TokenizeResult* result = nullptr) {
  std::string_view tokens[10];
  TokenizeResult r = split(c.text, c.delimiters, tokens, 10, c.collapse, kTokenRowWidth - 1);
  if (result) *result = r;
  return Strings(tokens, tokens + r.count);
}

TEST(Tokenize, KeepsEmptyTokensAndStopsAtLineEnds) {
  const TokenCase cases[] = {
      {"MC,RV", ",", true, {"MC", "RV"}},
      {"MC,,RV", ",", true, {"MC", "", "RV"}},
      {"MC, RV", ", ", true, {"MC", "", "RV"}},
      {"A   B", " ", true, {"A", "B"}},
      {"A   B", " ", false, {"A", "", "", "B"}},
      {"A B\nC D", " ", true, {"A", "B"}},
      {"A B\rC", " ", true, {"A", "B"}},
      {"", ",", true, {""}},
      {",", ",", true, {"", ""}},
      {"A\tB C", " ", true, {"A\tB", "C"}},
  };
  for (const TokenCase& c : cases) {
    TokenizeResult r;
    EXPECT_EQ(tokenize(myTokenize, c, &r), c.expected) << '"' << c.text << '"';
    EXPECT_FALSE(r.tooManyTokens);
  }
}

TEST(TokenizeDynamic, DropsEmptyTokensAndCollapsesTabs) {
  const TokenCase cases[] = {
      {"  ATOM   1  P  ", " ", true, {"ATOM", "1", "P"}},
      {"", " ", true, {}},
      {" , ,", ", ", true, {}},
      {"A \t B", " \t", true, {"A", "B"}},
      {"a,b,,c", ",", false, {"a", "b", "c"}},
  };
  for (const TokenCase& c : cases) EXPECT_EQ(tokenize(myTokenizeDynamic, c), c.expected) << '"' << c.text << '"';
}

TEST(Tokenize, CapacityAndWidthAreLimitsNotOverruns) {
  std::string_view tokens[3];
  TokenizeResult many = myTokenize("a,b,c,d,e", ",", tokens, 3, false);
  EXPECT_EQ(many.count, 3u);
  EXPECT_TRUE(many.tooManyTokens);
  EXPECT_EQ(Strings(tokens, tokens + 3), (Strings{"a", "b", "c"}));
  EXPECT_FALSE(myTokenize("a,b,c", ",", tokens, 3, false).tooManyTokens);

  TokenizeResult cut = myTokenize(std::string(250, 'x') + ",y", ",", tokens, 3, false);
  ASSERT_EQ(cut.count, 2u);
  EXPECT_EQ(tokens[0].size(), kTokenRowWidth - 1);
  EXPECT_TRUE(cut.tokenTruncated);
  EXPECT_EQ(tokens[1], "y");

  TokenizeResult dynamic = myTokenizeDynamic("aaaa bb", " ", tokens, 3, true, 3);
  EXPECT_EQ(Strings(tokens, tokens + dynamic.count), (Strings{"aaa", "bb"}));
  EXPECT_TRUE(dynamic.tokenTruncated);
}

TEST(StringHelpers, BlankFreeTextFixedLengthCopyAndDelimiters) {
  EXPECT_EQ(getWhiteSpaceFreeString("REMARK   3   FREE R VALUE   : 0.254"), "REMARK3FREERVALUE:0.254");
  EXPECT_EQ(getWhiteSpaceFreeString("a\tb c"), "a\tbc");
  char out[8];
  memStrCpy(out, sizeof out, "ABCDEFG", 4);
  EXPECT_STREQ(out, "ABCD");
  memStrCpy(out, 3, "ABCDEFG", 6);
  EXPECT_STREQ(out, "AB");
  memStrCpy(out, sizeof out, "AB", 6);
  EXPECT_STREQ(out, "AB");
  for (char c : {'\0', '\n', '\r'}) EXPECT_TRUE(isDefaultDelim(c) && isDelim(c, "")) << int(c);
  EXPECT_FALSE(isDelim('\t', " "));
  EXPECT_TRUE(isDelim('\t', " \t"));
}

}  // namespace
}  // namespace bexora
