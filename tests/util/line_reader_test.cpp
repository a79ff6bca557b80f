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

TEST(LineReader, LfCrLfGzipAndVeryLongLinesReadAlike) {
  test::TempDir dir;
  const std::string longLine(3'000'000, 'x'), crlf = "one\r\n\r\ntwo  \r\n" + longLine + "\r\nlast\r";
  test::writeFile(dir.file("lf"), "one\n\ntwo  \n" + longLine + "\nlast");
  test::writeFile(dir.file("crlf"), crlf);
  gzFile gz = gzopen(dir.file("gz").c_str(), "wb");
  ASSERT_NE(gz, nullptr);
  gzwrite(gz, crlf.data(), static_cast<unsigned>(crlf.size()));
  gzclose(gz);
  const std::vector<std::string> expected = {"one", "", "two  ", longLine, "last"};
  for (const char* name : {"lf", "crlf", "gz"}) EXPECT_TRUE(readAll(dir.file(name)) == expected) << name;
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

}  // namespace
}  // namespace bexora
