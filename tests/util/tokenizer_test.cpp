#include "util/tokenizer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace bexora {
namespace {

std::vector<std::string> asStrings(const std::string_view* tokens, std::size_t count) {
  return std::vector<std::string>(tokens, tokens + count);
}

struct TokenCase {
  std::string text;
  std::string delimiters;
  bool collapse;
  std::vector<std::string> expected;
};

TEST(Tokenize, KeepsEmptyTokensAndStopsAtLineEnds) {
  const std::vector<TokenCase> cases = {
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
  std::string_view tokens[10];
  for (const auto& c : cases) {
    TokenizeResult r = myTokenize(c.text, c.delimiters, tokens, 10, c.collapse);
    EXPECT_EQ(asStrings(tokens, r.count), c.expected) << '"' << c.text << '"';
    EXPECT_FALSE(r.tooManyTokens);
  }
}

TEST(TokenizeDynamic, DropsEmptyTokensAndCollapsesTabs) {
  const std::vector<TokenCase> cases = {
      {"  ATOM   1  P  ", " ", true, {"ATOM", "1", "P"}},
      {"", " ", true, {}},
      {" , ,", ", ", true, {}},
      {"A \t B", " \t", true, {"A", "B"}},
      {"a,b,,c", ",", false, {"a", "b", "c"}},
  };
  std::string_view tokens[10];
  for (const auto& c : cases) {
    TokenizeResult r = myTokenizeDynamic(c.text, c.delimiters, tokens, 10, c.collapse);
    EXPECT_EQ(asStrings(tokens, r.count), c.expected) << '"' << c.text << '"';
  }
}

TEST(Tokenize, CapacityAndWidthAreLimitsNotOverruns) {
  std::string_view tokens[3];
  TokenizeResult many = myTokenize("a,b,c,d,e", ",", tokens, 3, false);
  EXPECT_EQ(many.count, 3u);
  EXPECT_TRUE(many.tooManyTokens);
  EXPECT_EQ(asStrings(tokens, 3), (std::vector<std::string>{"a", "b", "c"}));

  TokenizeResult exact = myTokenize("a,b,c", ",", tokens, 3, false);
  EXPECT_FALSE(exact.tooManyTokens);

  const std::string wide = std::string(250, 'x') + ",y";
  TokenizeResult cut = myTokenize(wide, ",", tokens, 3, false);
  ASSERT_EQ(cut.count, 2u);
  EXPECT_EQ(tokens[0].size(), kTokenRowWidth - 1);
  EXPECT_TRUE(cut.tokenTruncated);
  EXPECT_EQ(tokens[1], "y");

  TokenizeResult dynamic = myTokenizeDynamic("aaaa bb", " ", tokens, 3, true, 3);
  EXPECT_EQ(asStrings(tokens, dynamic.count), (std::vector<std::string>{"aaa", "bb"}));
  EXPECT_TRUE(dynamic.tokenTruncated);
}

TEST(StringHelpers, BlankFreeTextAndFixedLengthCopy) {
  EXPECT_EQ(getWhiteSpaceFreeString("REMARK   3   FREE R VALUE   : 0.254"), "REMARK3FREERVALUE:0.254");
  EXPECT_EQ(getWhiteSpaceFreeString("a\tb c"), "a\tbc");
  char out[8];
  memStrCpy(out, sizeof out, "ABCDEFG", 4);
  EXPECT_STREQ(out, "ABCD");
  memStrCpy(out, 3, "ABCDEFG", 6);
  EXPECT_STREQ(out, "AB");
  memStrCpy(out, sizeof out, "AB", 6);
  EXPECT_STREQ(out, "AB");
}

TEST(Delimiters, DefaultsAlwaysDelimit) {
  for (char c : {'\0', '\n', '\r'}) {
    EXPECT_TRUE(isDefaultDelim(c));
    EXPECT_TRUE(isDelim(c, ""));
  }
  EXPECT_FALSE(isDelim('\t', " "));
  EXPECT_TRUE(isDelim('\t', " \t"));
}

}  // namespace
}  // namespace bexora
