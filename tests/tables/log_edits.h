// The complete benchmark logs of tests/data/tables/complete (written by
// make_complete_logs.py there) and the text edits that break them.
#pragma once

#include <string>

#include "test_support.h"

namespace bexora::test {

inline std::string completeLog(const std::string& name) { return readFile(fixturePath("tables/complete/" + name)); }

// Erases from the first `from` after the first `after` up to the next `to`;
// the text stays as it is when either is not found.
inline std::string cut(std::string text, const std::string& after, const std::string& from, const std::string& to) {
  std::size_t start = text.find(after);
  std::size_t begin = start == std::string::npos ? start : text.find(from, start);
  std::size_t end = begin == std::string::npos ? begin : text.find(to, begin);
  return end == std::string::npos ? text : text.erase(begin, end - begin);
}

// The text before the last `marker`, or all of it.
inline std::string truncateBefore(const std::string& text, const std::string& marker) {
  return text.substr(0, text.rfind(marker));
}

inline std::string replaceAll(std::string text, const std::string& from, const std::string& to) {
  for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
    text.replace(at, from.size(), to);
  return text;
}

}  // namespace bexora::test
