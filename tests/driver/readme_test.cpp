// What the README shows a user to expect: every block marked as the output
// of the first command holds only what that command writes (pinned by the
// example run's fixtures), and CI runs the README's test command itself.
#include <gtest/gtest.h>

#include <algorithm>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "test_support.h"

namespace bexora::test {
namespace {

struct OutputBlock {
  std::string file;  // "stdout" or a path under the output folder
  std::vector<std::string> lines;
};

std::vector<std::string> linesOf(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// The fenced blocks that follow an "<!-- output: FILE -->" line.
std::vector<OutputBlock> outputBlocks(const std::string& readme) {
  std::vector<OutputBlock> blocks;
  const std::vector<std::string> lines = linesOf(readme);
  const std::regex marker("<!-- output: (\\S+) -->");
  std::smatch match;
  for (std::size_t i = 0; i + 1 < lines.size(); ++i) {
    if (!std::regex_match(lines[i], match, marker) || lines[i + 1] != "```") continue;
    OutputBlock block{match[1], {}};
    for (i += 2; i < lines.size() && lines[i] != "```"; ++i) block.lines.push_back(lines[i]);
    blocks.push_back(block);
  }
  return blocks;
}

// Columns of a shown table are set apart by two or more blanks; "..." stands for left-out columns.
std::vector<std::string> shownFields(const std::string& line) {
  std::vector<std::string> fields;
  const std::regex gap(" {2,}");
  for (std::sregex_token_iterator it(line.begin(), line.end(), gap, -1), end; it != end; ++it)
    if (*it != "..." && !it->str().empty()) fields.push_back(*it);
  return fields;
}

std::vector<std::string> tabFields(const std::string& line) {
  std::vector<std::string> fields;
  std::istringstream in(line);
  for (std::string field; std::getline(in, field, '\t');) fields.push_back(field);
  return fields;
}

// Each shown row equals the file's row of the same reference pair in the shown columns.
void expectTableFromFile(const OutputBlock& block) {
  const std::vector<std::string> file = linesOf(readFile(fixturePath("example/Output/" + block.file)));
  const std::vector<std::string> header = tabFields(file.front());
  const std::vector<std::string> shownHeader = shownFields(block.lines.front());
  std::vector<std::size_t> columns;
  for (const std::string& name : shownHeader) {
    auto at = std::find(header.begin(), header.end(), name);
    ASSERT_NE(at, header.end()) << name;
    columns.push_back(static_cast<std::size_t>(at - header.begin()));
  }
  const auto pairAt = std::find(shownHeader.begin(), shownHeader.end(), "reference_pair");
  ASSERT_NE(pairAt, shownHeader.end());
  const std::size_t shownPair = static_cast<std::size_t>(pairAt - shownHeader.begin());
  for (std::size_t r = 1; r < block.lines.size(); ++r) {
    const std::vector<std::string> shown = shownFields(block.lines[r]);
    ASSERT_EQ(shown.size(), columns.size()) << block.lines[r];
    bool found = false;
    for (const std::string& line : file) {
      const std::vector<std::string> row = tabFields(line);
      if (row.size() != header.size() || row[columns[shownPair]] != shown[shownPair]) continue;
      found = true;
      for (std::size_t c = 0; c < columns.size(); ++c) EXPECT_EQ(shown[c], row[columns[c]]) << shownHeader[c];
    }
    EXPECT_TRUE(found) << block.lines[r];
  }
}

TEST(Readme, ShownOutputsAreTheFirstCommandsOwn) {
  const std::string readme = readFile(std::string(BEXORA_SOURCE_DIR) + "/README.md");
  const std::vector<OutputBlock> blocks = outputBlocks(readme);
  ASSERT_EQ(blocks.size(), 4u);
  const std::string stdoutText = readFile(fixturePath("example/stdout.txt"));
  for (const OutputBlock& block : blocks) {
    SCOPED_TRACE(block.file);
    if (block.file != "stdout") {
      expectTableFromFile(block);
      continue;
    }
    for (const std::string& line : block.lines) EXPECT_NE(stdoutText.find(line + "\n"), std::string::npos) << line;
  }
  EXPECT_NE(readme.find("cd examples && ../build/bexora 6TNA A 1EHZ A -M RV,FR --unknown-dpi 0.25 --2d"),
            std::string::npos)
      << "the example test pins that command's output";
}

// The README's second command, as CI runs it.
TEST(Readme, ContinuousIntegrationRunsTheTestCommand) {
  const std::vector<std::string> readme = linesOf(readFile(std::string(BEXORA_SOURCE_DIR) + "/README.md"));
  std::vector<std::string> commands;
  for (std::size_t i = 0; i + 1 < readme.size(); ++i)
    if (readme[i] == "```sh" && readme[i + 1].rfind("P=\"", 0) == 0) commands.push_back(readme[i + 1]);
  ASSERT_EQ(commands.size(), 2u);
  EXPECT_NE(commands[0].find("--target bexora"), std::string::npos);
  EXPECT_NE(commands[1].find("ctest --test-dir build"), std::string::npos);
  EXPECT_NE(readFile(std::string(BEXORA_SOURCE_DIR) + "/.ci/run").find(commands[1] + "\n"), std::string::npos);
}

}  // namespace
}  // namespace bexora::test
