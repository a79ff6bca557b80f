#include "util/tokenizer.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

namespace bexora {
namespace {

using Strings = std::vector<std::string>;

using Split = TokenizeResult (*)(std::string_view, std::string_view, std::string_view*, std::size_t, bool,
                                 std::size_t);

// The fixed form keeps empty tokens and stops at line ends; the dynamic one
// drops empty tokens and, given both delimiters, collapses tabs.
TEST(Tokenize, EmptyTokensLineEndsAndCollapsing) {
  const Split fixed = splitTokens, dynamic = splitNonEmptyTokens;
  const std::tuple<Split, std::string, std::string, bool, Strings> cases[] = {
      {fixed, "MC,RV", ",", true, {"MC", "RV"}},
      {fixed, "MC,,RV", ",", true, {"MC", "", "RV"}},
      {fixed, "MC, RV", ", ", true, {"MC", "", "RV"}},
      {fixed, "A   B", " ", true, {"A", "B"}},
      {fixed, "A   B", " ", false, {"A", "", "", "B"}},
      {fixed, "A B\nC D", " ", true, {"A", "B"}},
      {fixed, "A B\rC", " ", true, {"A", "B"}},
      {fixed, "", ",", true, {""}},
      {fixed, ",", ",", true, {"", ""}},
      {fixed, "A\tB C", " ", true, {"A\tB", "C"}},
      {fixed, std::string("a|b\0c", 5), "|", false, {"a", "b"}},
      {fixed, "a,b;;c\n", ",;", false, {"a", "b", "", "c"}},
      {dynamic, "  ATOM   1  P  ", " ", true, {"ATOM", "1", "P"}},
      {dynamic, "", " ", true, {}},
      {dynamic, " , ,", ", ", true, {}},
      {dynamic, "A \t B", " \t", true, {"A", "B"}},
      {dynamic, "a,b,,c", ",", false, {"a", "b", "c"}},
  };
  for (const auto& [split, text, delimiters, collapse, expected] : cases) {
    std::string_view tokens[10];
    TokenizeResult r = split(text, delimiters, tokens, 10, collapse, kTokenRowWidth - 1);
    EXPECT_EQ(Strings(tokens, tokens + r.count), expected) << '"' << text << '"';
    EXPECT_FALSE(r.tooManyTokens || r.tokenTruncated);
  }
}

TEST(Tokenize, CapacityAndWidthAreLimitsNotOverruns) {
  std::string_view tokens[3];
  TokenizeResult many = splitTokens("a,b,c,d,e", ",", tokens, 3, false);
  EXPECT_EQ(many.count, 3u);
  EXPECT_TRUE(many.tooManyTokens);
  EXPECT_EQ(Strings(tokens, tokens + 3), (Strings{"a", "b", "c"}));
  EXPECT_FALSE(splitTokens("a,b,c", ",", tokens, 3, false).tooManyTokens);

  const std::string longToken = std::string(250, 'x') + ",y";
  TokenizeResult cut = splitTokens(longToken, ",", tokens, 3, false);
  ASSERT_EQ(cut.count, 2u);
  EXPECT_EQ(tokens[0].size(), kTokenRowWidth - 1);
  EXPECT_TRUE(cut.tokenTruncated);
  EXPECT_EQ(tokens[1], "y");

  TokenizeResult dynamic = splitNonEmptyTokens("aaaa bb", " ", tokens, 3, true, 3);
  EXPECT_EQ(Strings(tokens, tokens + dynamic.count), (Strings{"aaa", "bb"}));
  EXPECT_TRUE(dynamic.tokenTruncated);
}

}  // namespace
}  // namespace bexora
