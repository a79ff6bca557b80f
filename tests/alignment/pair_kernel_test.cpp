#include "alignment/pair_kernel.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "scalar_row_pass.h"

namespace bexora {
namespace {

std::string randomText(std::mt19937& random, std::size_t length, std::string_view alphabet) {
  std::string text(length, ' ');
  for (char& c : text) c = alphabet[random() % alphabet.size()];
  return text;
}

std::string reversed(std::string_view text) { return std::string(text.rbegin(), text.rend()); }

struct Setting {
  SimdLevel level;
  bool narrowLanes;
};

std::vector<Setting> everySetting() {
  std::vector<Setting> settings;
  for (SimdLevel level : kSimdLevels)
    if (simdLevelSupported(level))
      for (bool narrow : {true, false}) settings.push_back({level, narrow});
  return settings;
}

std::string describe(const Setting& setting) {
  return std::string(simdLevelName(setting.level)) + (setting.narrowLanes ? " narrow" : " wide");
}

void expectRow(const PassCosts& got, const test::ScalarPassRow& expected) {
  ASSERT_EQ(got.c, expected.c);
  ASSERT_EQ(got.d, expected.d);
}

// Part [row0, row0 + m) x [column0, column0 + n) of (a, b), both ways, against
// the scalar pass on the cut-out strings.
void expectPassesOf(PairPasses& passes, const std::string& a, const std::string& b, std::size_t row0, std::size_t m,
                    std::size_t column0, std::size_t n, int32_t tb) {
  SCOPED_TRACE("rows " + std::to_string(row0) + "+" + std::to_string(m) + " columns " + std::to_string(column0) + "+" +
               std::to_string(n) + " tb " + std::to_string(tb));
  const std::string rows = a.substr(row0, m), columns = b.substr(column0, n);
  PassCosts got;
  passes.forward(row0, m, column0, n, tb, got);
  expectRow(got, test::scalarPass(rows, columns, tb));
  passes.reverse(row0, m, column0, n, tb, got);
  expectRow(got, test::scalarPass(reversed(rows), reversed(columns), tb));
}

// Lengths around every lane count and strip height, where groups start,
// end and run short.
const std::size_t kLengths[] = {0,  1,  2,  3,  4,   7,   8,   9,   15,  16,  17,  24,  25,  31,  32,  33, 47,
                                48, 49, 63, 64, 65,  97,  127, 128, 129, 130, 191, 192, 193, 255, 256, 257, 513};

TEST(PairPasses, EqualTheScalarPassOnEveryLengthAndPart) {
  std::mt19937 random(5150);
  const std::string_view alphabets[] = {"ACGU", "AG", "ACGUNNTacgu\xC3\x01"};
  for (const Setting& setting : everySetting()) {
    SCOPED_TRACE(describe(setting));
    for (std::size_t round = 0; round < std::size(kLengths) * 4 && !HasFailure(); ++round) {
      std::string_view alphabet = alphabets[round % 3];
      std::string a = randomText(random, kLengths[round % std::size(kLengths)], alphabet);
      std::string b = randomText(random, kLengths[(round * 7 + 3) % std::size(kLengths)], alphabet);
      PairPasses passes(a, b, PassOptions{setting.level, setting.narrowLanes});
      for (int32_t tb : {kGapOpenTenths, 0}) {
        expectPassesOf(passes, a, b, 0, a.size(), 0, b.size(), tb);
        std::size_t row0 = a.size() / 3, column0 = b.size() / 4;
        expectPassesOf(passes, a, b, row0, a.size() / 2, column0, b.size() - column0 - b.size() / 5, tb);
      }
    }
  }
}

// One residue against one: the cost of the only cheaper-than-gaps
// alignment is the substitution, for every pair of byte values. And every
// byte value against every other in the lanes, in a pass of all of them.
TEST(PairPasses, EveryPairOfBytesCostsItsSubstitution) {
  std::string bytes(256, '\0');
  for (int x = 0; x < 256; ++x) bytes[x] = static_cast<char>(x);
  std::string shuffled = bytes;
  std::shuffle(shuffled.begin(), shuffled.end(), std::mt19937(256));
  for (const Setting& setting : everySetting()) {
    SCOPED_TRACE(describe(setting));
    PairPasses passes(bytes, shuffled, PassOptions{setting.level, setting.narrowLanes});
    PassCosts got;
    for (int x = 0; x < 256; ++x)
      for (int y = 0; y < 256; ++y) {
        passes.forward(x, 1, y, 1, kGapOpenTenths, got);
        ASSERT_EQ(got.c[1], substitutionTenths(x, shuffled[y])) << x << " " << y;
      }
    expectPassesOf(passes, bytes, shuffled, 0, 256, 0, 256, kGapOpenTenths);
  }
}

// Rows all A against columns all C drive the costs to their largest: the
// last size where 16-bit lanes are used, and one whose costs pass 65535.
TEST(PairPasses, LargestCostsAroundTheNarrowLaneLimit) {
  for (std::size_t total : {6505u, 6600u}) {
    const std::string a(total / 2, 'A'), b(total - total / 2, 'C');
    const test::ScalarPassRow expected = test::scalarPass(a, b, kGapOpenTenths);
    for (SimdLevel level : {SimdLevel::kPortable, widestSimdLevel()}) {
      SCOPED_TRACE(std::string(simdLevelName(level)) + " total " + std::to_string(total));
      PairPasses passes(a, b, PassOptions{level, true});
      PassCosts got;
      passes.forward(0, a.size(), 0, b.size(), kGapOpenTenths, got);
      expectRow(got, expected);
      EXPECT_EQ(got.c.back(), 2 * kGapOpenTenths + kGapExtendTenths * static_cast<int32_t>(total));
    }
  }
}

}  // namespace
}  // namespace bexora
