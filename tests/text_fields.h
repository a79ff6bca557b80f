// Splitting the program's text outputs in tests: lines, tab-separated
// fields, and the tags of a source-tag file.
#pragma once

#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace bexora::test {

inline std::vector<std::string> fieldsOf(const std::string& text, char separator = '\t') {
  std::vector<std::string> fields;
  std::istringstream in(text);
  for (std::string field; std::getline(in, field, separator);) fields.push_back(field);
  return fields;
}

inline std::vector<std::string> textLines(const std::string& text) { return fieldsOf(text, '\n'); }

// How many lines of a source-tag file carry each tag, the text after their last two blanks.
inline std::map<std::string, int> tagCounts(const std::string& sourceTags) {
  std::map<std::string, int> counts;
  for (const std::string& line : textLines(sourceTags)) ++counts[line.substr(line.rfind("  ") + 2)];
  return counts;
}

}  // namespace bexora::test
