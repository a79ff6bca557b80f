// Reading back the secondary-structure texts in tests: the pairs a
// dot-bracket line closes and the pairs a BPSEQ text lists, 1-based.
#pragma once

#include <gtest/gtest.h>

#include <set>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace bexora::test {

using PairSet = std::set<std::pair<int, int>>;

inline std::vector<std::string> textLines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// Fails the test on a bracket closed without its opening or left open.
inline PairSet pairsOfBrackets(const std::string& brackets) {
  const std::string opening = "([{<ABCDEFGHIJKLMNOPQRSTUVWXYZ", closing = ")]}>abcdefghijklmnopqrstuvwxyz";
  std::vector<std::vector<int>> open(opening.size());
  PairSet pairs;
  for (int i = 0; i < static_cast<int>(brackets.size()); ++i) {
    if (opening.find(brackets[i]) != std::string::npos) open[opening.find(brackets[i])].push_back(i + 1);
    std::size_t kind = closing.find(brackets[i]);
    if (kind == std::string::npos) continue;
    EXPECT_FALSE(open[kind].empty()) << "unbalanced " << brackets[i] << " at " << i + 1 << " in " << brackets;
    if (open[kind].empty()) continue;
    pairs.emplace(open[kind].back(), i + 1);
    open[kind].pop_back();
  }
  for (const std::vector<int>& unclosed : open) EXPECT_TRUE(unclosed.empty()) << "unclosed bracket in " << brackets;
  return pairs;
}

inline PairSet pairsOfBpseq(const std::string& bpseq) {
  PairSet pairs;
  for (const std::string& line : textLines(bpseq)) {
    std::istringstream fields(line);
    int i = 0, j = 0;
    std::string base;
    fields >> i >> base >> j;
    if (j > i) pairs.emplace(i, j);
  }
  return pairs;
}

}  // namespace bexora::test
