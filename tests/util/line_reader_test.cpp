#include "util/line_reader.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <string>
#include <vector>

#include "test_support.h"
#include "util/reporter.h"

namespace bexora {
namespace {

std::vector<std::string> readAll(const std::string& path, std::string* warnings = nullptr) {
  std::string told;
  LineReader reader(collectingReporter(told));
  EXPECT_TRUE(reader.open(path));
  std::vector<std::string> lines;
  std::string_view line;
  while (reader.next(line)) lines.emplace_back(line);
  EXPECT_EQ(reader.lineNumber(), static_cast<long>(lines.size() + reader.longLinesSkipped()));
  if (warnings) *warnings = told;
  return lines;
}

void writeGzip(const std::string& path, const std::string& text) {
  gzFile gz = gzopen(path.c_str(), "wb");
  ASSERT_NE(gz, nullptr);
  gzwrite(gz, text.data(), static_cast<unsigned>(text.size()));
  gzclose(gz);
}

// Every line-end convention, plain and compressed, gives the same lines; a
// lone CR at the very end of a buffer fill must not split a CR LF in two.
TEST(LineReader, LfCrLfLoneCrAndGzipReadAlike) {
  test::TempDir dir;
  const std::string longLine(kMaxLineLength, 'x');
  const std::vector<std::string> expected = {"one", "", "two  ", longLine, "last"};
  for (const char* end : {"\n", "\r\n", "\r"}) {
    std::string text;
    for (const std::string& line : expected) text += line + end;
    test::writeFile(dir.file("plain"), text);
    writeGzip(dir.file("gz"), text);
    EXPECT_TRUE(readAll(dir.file("plain")) == expected) << "plain, end " << static_cast<int>(end[0]) << end[1];
    EXPECT_TRUE(readAll(dir.file("gz")) == expected) << "gzip, end " << static_cast<int>(end[0]) << end[1];
  }
  test::writeFile(dir.file("mixed"), "a\rb\r\nc\nd\r");
  EXPECT_TRUE(readAll(dir.file("mixed")) == (std::vector<std::string>{"a", "b", "c", "d"}));
  std::string split(256 * 1024 - 1, 'y');  // its CR is the last byte of the first read
  test::writeFile(dir.file("split"), split + "\r\nz");
  EXPECT_TRUE(readAll(dir.file("split")) == (std::vector<std::string>{split, "z"}));
}

// Lines past the limit, ended or not, in the middle or last, are skipped and
// named; memory never holds them, so 64 MB of NUL bytes read in bounded space.
TEST(LineReader, OverlongLinesAreSkippedAndNamed) {
  test::TempDir dir;
  const std::string tooLong(kMaxLineLength + 1, 'x'), path = dir.file("long");
  test::writeFile(path, "first\n" + tooLong + "\r\nthird\n" + tooLong);
  std::string warnings;
  EXPECT_TRUE(readAll(path, &warnings) == (std::vector<std::string>{"first", "third"}));
  EXPECT_EQ(warnings, "Warning!!! Line 2 of " + path + " is longer than 1048576 bytes; it is skipped.\n" +
                          "Warning!!! Line 4 of " + path + " is longer than 1048576 bytes; it is skipped.\n");
  writeGzip(dir.file("nul.gz"), std::string(64 << 20, '\0') + "\nafter");
  EXPECT_TRUE(readAll(dir.file("nul.gz"), &warnings) == (std::vector<std::string>{"after"}));
  EXPECT_EQ(warnings, "Warning!!! Line 1 of " + dir.file("nul.gz") + " is longer than 1048576 bytes; it is skipped.\n");
}

}  // namespace
}  // namespace bexora
