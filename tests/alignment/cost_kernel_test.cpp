#include "alignment/cost_kernel.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "alignment/aligner.h"

namespace bexora {
namespace {

std::vector<SimdLevel> supportedLevels() {
  std::vector<SimdLevel> levels;
  for (SimdLevel level : kSimdLevels)
    if (simdLevelSupported(level)) levels.push_back(level);
  return levels;
}

// Every SIMD level, with one thread and with two, gives the scalar aligner's costs.
void expectScalarCostsEverywhere(const std::string& target, const std::vector<std::string>& candidates) {
  std::vector<int32_t> expected;
  for (const std::string& candidate : candidates) {
    double cost = -1;
    EXPECT_TRUE(MMAlign(target, candidate, nullptr, &cost, Reporter()));
    expected.push_back(static_cast<int32_t>(std::lround(cost * 10)));
  }
  const std::vector<std::string_view> views(candidates.begin(), candidates.end());
  for (SimdLevel level : supportedLevels())
    for (unsigned threads : {1u, 2u}) {
      SCOPED_TRACE(std::string(simdLevelName(level)) + " threads=" + std::to_string(threads));
      EXPECT_EQ(alignmentCostsTenths(target, views, CostPassOptions{level, threads}), expected);
    }
}

std::string randomSequence(std::mt19937& random, std::size_t length, const std::string& alphabet) {
  std::string s(length, ' ');
  for (char& c : s) c = alphabet[random() % alphabet.size()];
  return s;
}

TEST(AlignmentCostsTenths, LongChainsNeedMoreThanSixteenBits) {
  // All-gap alignment: (11 + 2000) * 2 = 4022, beyond what int16 lanes hold in tenths.
  const std::string target(2000, 'A'), other(2000, 'C');
  for (SimdLevel level : supportedLevels())
    EXPECT_EQ(alignmentCostsTenths(target, {other, target}, CostPassOptions{level, 1}),
              (std::vector<int32_t>{40220, 0}))
        << simdLevelName(level);
}

// A relative of the target: substitutions, insertions and deletions.
std::string mutant(std::mt19937& random, std::string s, const std::string& alphabet) {
  for (std::size_t edits = random() % 12; edits > 0 && !s.empty(); --edits) {
    std::size_t at = random() % s.size();
    if (edits % 3 == 0) s.erase(at, 1 + random() % 12);
    if (edits % 3 == 1) s.insert(at, randomSequence(random, 1 + random() % 5, alphabet));
    if (edits % 3 == 2) s[at] = alphabet[random() % alphabet.size()];
  }
  return s;
}

TEST(AlignmentCostsTenths, EqualsScalarAlignerOnRandomPairs) {
  std::mt19937 random(20240611);
  const std::vector<std::string> alphabets = {"ACGU", "AG", "ACGUTNacgu X\xC3\x01"};
  expectScalarCostsEverywhere("ACGU", {});
  for (int trial = 0; trial < 12; ++trial) {
    const std::string& alphabet = alphabets[trial % alphabets.size()];
    std::string target = randomSequence(random, trial < 3 ? trial : random() % 200, alphabet);
    // 19 candidates fill two groups of lanes and part of a third; lengths start at 0.
    std::vector<std::string> candidates;
    for (int k = 0; k < 19; ++k)
      candidates.push_back(k < 2   ? randomSequence(random, k, alphabet)
                           : k % 2 ? randomSequence(random, random() % 150, alphabet)
                                   : mutant(random, target, alphabet));
    SCOPED_TRACE("trial " + std::to_string(trial) + " target length " + std::to_string(target.size()));
    expectScalarCostsEverywhere(target, candidates);
  }
}

// A block deleted from or inserted into the target at every position: the
// gaps cross the rows swept together at every column.
TEST(AlignmentCostsTenths, GapBlocksAtEveryPosition) {
  std::mt19937 random(11);
  const std::string target = randomSequence(random, 70, "ACGU");
  std::vector<std::string> candidates;
  for (std::size_t at = 0; at + 6 <= target.size(); ++at) {
    candidates.push_back(std::string(target).erase(at, 6));
    candidates.push_back(std::string(target).insert(at, randomSequence(random, 6, "ACGU")));
  }
  expectScalarCostsEverywhere(target, candidates);
}

}  // namespace
}  // namespace bexora
