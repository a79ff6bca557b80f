#include "alignment/aligner.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "alignment/fasta.h"
#include "full_matrix_aligner.h"
#include "test_support.h"

namespace bexora {
namespace {

long tenths(double cost) { return std::lround(cost * 10); }

struct ScriptCase {
  const char *a, *b, *script;
  double cost;
};

// These pin the tie rules: one residue goes to the last of equal-cost
// columns, a split goes to the last of equal-cost positions, and
// delete-and-insert loses to a replacement of equal cost.
const ScriptCase kScriptCases[] = {
    {"ACGU", "ACGU", "!!!!", 0.0}, {"A", "", "x", 12.0},      {"", "ACG", "---", 14.0},      {"", "", "", 0.0},
    {"G", "A", "|", 2.7},          {"C", "U", "|", 2.7},      {"G", "C", "|", 3.0},          {"A", "U", "|", 3.0},
    {"A", "AAA", "--!", 13.0},     {"C", "UAU", "--|", 15.7}, {"GA", "A", "x!", 12.0},       {"AAA", "A", "!xx", 13.0},
    {"a", "A", "|", 3.0},          {"g", "a", "|", 3.0},      {"acgu", "acgu", "!!!!", 0.0}, {"T", "U", "|", 3.0},
    {"N", "N", "!", 0.0},          {"N", "A", "|", 3.0},      {"\xC3", "\xC3", "!", 0.0},    {"\xC3", "\xC4", "|", 3.0},
    {"\xFF", "A", "|", 3.0}};

TEST(MMAlign, ScriptsAndCostsOfTheSmallCases) {
  for (const ScriptCase& c : kScriptCases) {
    SCOPED_TRACE(std::string(c.a) + " / " + c.b);
    std::string script = "stale";
    double cost = -1, costOnly = -1;
    ASSERT_TRUE(MMAlign(c.a, c.b, &script, &cost, Reporter()));
    ASSERT_TRUE(MMAlign(c.a, c.b, nullptr, &costOnly, Reporter()));
    EXPECT_EQ(script, c.script);
    EXPECT_DOUBLE_EQ(cost, c.cost);
    EXPECT_DOUBLE_EQ(costOnly, c.cost);
  }
}

TEST(MMAlign, TooLongInputsFailWithTheMemoryMessage) {
  std::string huge(50'000'001, 'A'), script = "old";
  double cost = 7;
  std::string messages;
  EXPECT_FALSE(MMAlign(huge, "", &script, &cost, collectingReporter(messages)));
  EXPECT_EQ(messages, "Sufficient memory is not available to process the data\n");
  EXPECT_TRUE(script.empty());
  EXPECT_EQ(cost, 7);
}

TEST(ScriptCost, GapRunsOpenOnceAndMisfitScriptsAreRejected) {
  EXPECT_DOUBLE_EQ(scriptCost("AAAC", "C", "xxx!"), 14.0);
  EXPECT_DOUBLE_EQ(scriptCost("AC", "GC", "x-!"), 24.0);
  EXPECT_DOUBLE_EQ(scriptCost("GAU", "AC", "x!|"), 14.7);
  for (const char* bad : {"!", "!!!", "|!", "x-", "!?"}) EXPECT_EQ(scriptCost("AC", "AC", bad), -1.0) << bad;
}

// The aligner's cost equals the full-matrix optimum, both scripts recompute
// to it and the cost-only pass gives it too.
void expectOptimal(const std::string& a, const std::string& b) {
  SCOPED_TRACE("a=" + a.substr(0, 80) + " b=" + b.substr(0, 80));
  std::string script;
  double cost = -1, costOnly = -1;
  ASSERT_TRUE(MMAlign(a, b, &script, &cost, Reporter()));
  ASSERT_TRUE(MMAlign(a, b, nullptr, &costOnly, Reporter()));
  test::FullMatrixResult reference = test::fullMatrixAlign(a, b);
  EXPECT_EQ(tenths(cost), reference.costTenths);
  EXPECT_EQ(tenths(scriptCost(a, b, script)), reference.costTenths);
  EXPECT_EQ(tenths(scriptCost(a, b, reference.script)), reference.costTenths);
  EXPECT_EQ(costOnly, cost);
}

std::string randomSequence(std::mt19937& random, std::size_t length, std::string_view alphabet) {
  std::string text;
  for (std::size_t i = 0; i < length; ++i) text.push_back(alphabet[random() % alphabet.size()]);
  return text;
}

// A relative of the text: point changes, insertions and deletions, each at
// about one residue in `oneIn`.
std::string mutated(std::mt19937& random, const std::string& text, std::string_view alphabet, unsigned oneIn = 10) {
  std::string out;
  for (char c : text) {
    unsigned roll = random() % oneIn;
    if (roll > 0) out.push_back(roll == 1 ? alphabet[random() % alphabet.size()] : c);
    if (roll == 2) out += randomSequence(random, random() % 4, alphabet);
  }
  return out;
}

TEST(MMAlign, EqualsTheFullMatrixAlignerOnRandomPairs) {
  std::mt19937 random(20240611);
  const std::string_view alphabets[] = {"ACGU", "AG", "ACGUNacT\xC3"};
  for (int round = 0; round < 1500 && !HasFailure(); ++round) {
    std::string_view alphabet = alphabets[round % 3];
    std::string a = randomSequence(random, random() % 61, alphabet);
    expectOptimal(a, round % 2 ? mutated(random, a, alphabet) : randomSequence(random, random() % 61, alphabet));
  }
  for (int round = 0; round < 6; ++round) {
    std::string a = randomSequence(random, 300 + random() % 400, "ACGU");
    expectOptimal(a, mutated(random, a, "ACGU"));
  }
}

uint64_t fnv1a(std::string_view text) {
  uint64_t hash = 14695981039346656037ull;
  for (char c : text) hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ull;
  return hash;
}

struct GoldenScript {
  std::size_t length;
  long costTenths;
  uint64_t scriptHash;
};

// Costs and script hashes of the aligner as it was before its passes ran in
// SIMD lanes: every alignment stays byte for byte. Pairs of 3400 residues
// take the 32-bit lanes at the top of the recursion, the others 16-bit ones.
const GoldenScript kGoldenScripts[] = {
    {2, 0, 0x07c28307b48c5fb7ull},        {2, 0, 0x07c28307b48c5fb7ull},        {15, 30, 0x981e4c52158fbd79ull},
    {15, 290, 0xa63271769ddf65c7ull},     {16, 264, 0xd341f661704d85b3ull},     {16, 300, 0x5c68ed885423adf1ull},
    {17, 60, 0x87eed744a52ee3dcull},      {17, 30, 0xe93d2b940f764271ull},      {33, 427, 0x7634431562b95ea6ull},
    {33, 0, 0x1ac4d3245f92f4acull},       {64, 574, 0xde8fc050fc7683afull},     {64, 1068, 0x7eec826d4e53079aull},
    {100, 872, 0xf71226fa4ea0a249ull},    {100, 1162, 0x6c46b6461b41844eull},   {257, 2241, 0x5db6dd0f47ec86a4ull},
    {257, 2305, 0x41643bbd6eeb0a48ull},   {700, 6063, 0xf1a95533cc7179eeull},   {700, 5749, 0xd7932734dde5ba13ull},
    {1500, 13581, 0x132cc4b3094fb2f5ull}, {1500, 14386, 0x988e0c915cb7e46dull}, {3400, 28096, 0x61ecd8857c3f9182ull},
    {3400, 33888, 0x3025727dc3c1ac27ull}};

TEST(MMAlign, ScriptsStayAsTheyWere) {
  std::mt19937 random(77);
  for (std::size_t k = 0; k < std::size(kGoldenScripts); ++k) {
    const GoldenScript& golden = kGoldenScripts[k];
    std::string_view alphabet = k % 2 ? "ACGUNT" : "ACGU";
    std::string a = randomSequence(random, golden.length, alphabet);
    std::string b = mutated(random, a, alphabet, 20);
    std::string script;
    double cost = -1;
    ASSERT_TRUE(MMAlign(a, b, &script, &cost, Reporter()));
    EXPECT_EQ(tenths(cost), golden.costTenths) << k;
    EXPECT_EQ(fnv1a(script), golden.scriptHash) << k;
  }
}

}  // namespace
}  // namespace bexora
