#include "util/line_reader.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <string>
#include <vector>

#include "test_support.h"

namespace bexora {
namespace {

std::vector<std::string> readAll(const std::string& path) {
  LineReader reader;
  EXPECT_TRUE(reader.open(path));
  std::vector<std::string> lines;
  std::string_view line;
  while (reader.next(line)) lines.emplace_back(line);
  EXPECT_EQ(reader.lineNumber(), static_cast<long>(lines.size()));
  return lines;
}

TEST(LineReader, LfCrLfAndVeryLongLinesReadAlike) {
  test::TempDir dir;
  const std::string longLine(3'000'000, 'x');
  test::writeFile(dir.file("lf"), "one\n\ntwo  \n" + longLine + "\nlast");
  test::writeFile(dir.file("crlf"), "one\r\n\r\ntwo  \r\n" + longLine + "\r\nlast\r");
  const std::vector<std::string> expected = {"one", "", "two  ", longLine, "last"};
  EXPECT_TRUE(readAll(dir.file("lf")) == expected);  // no 3 MB failure message
  EXPECT_TRUE(readAll(dir.file("crlf")) == expected);
}

TEST(LineReader, GzipIsReadTransparently) {
  test::TempDir dir;
  gzFile out = gzopen(dir.file("x.gz").c_str(), "wb");
  ASSERT_NE(out, nullptr);
  gzputs(out, "ATOM 1\r\nATOM 2\n");
  gzclose(out);
  EXPECT_EQ(readAll(dir.file("x.gz")), (std::vector<std::string>{"ATOM 1", "ATOM 2"}));
}

TEST(LineReader, MissingFilesAndFoldersDoNotOpen) {
  test::TempDir dir;
  LineReader reader;
  EXPECT_FALSE(reader.open(dir.file("absent")));
  EXPECT_FALSE(reader.open(dir.path()));
  EXPECT_FALSE(fileExists(dir.path()));
  test::writeFile(dir.file("empty"), "");
  EXPECT_TRUE(readAll(dir.file("empty")).empty());
}

TEST(SkipLeadingSpace, SkipsBlanksAndTabs) {
  EXPECT_EQ(skipLeadingSpace(" \t  ATOM"), "ATOM");
  EXPECT_EQ(skipLeadingSpace("   "), "");
  EXPECT_EQ(skipLeadingSpace("X "), "X ");
}

}  // namespace
}  // namespace bexora
