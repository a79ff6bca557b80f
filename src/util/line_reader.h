// Line-by-line reading of text inputs, plain or gzip-compressed.
// A line ends at LF, CR LF or a lone CR, so files of every convention read
// alike; lines are returned without their end. A line longer than
// kMaxLineLength is skipped, and told about, instead of being held, so that
// memory stays bounded whatever the input. The reader counts lines for
// messages that name the file and line.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

#include "util/reporter.h"

namespace bexora {

// Longest line kept, in bytes; no input this program reads has longer ones.
constexpr std::size_t kMaxLineLength = 1 << 20;

class LineReader {
 public:
  // Skipped lines are told to `reporter` as warnings.
  explicit LineReader(Reporter reporter = Reporter()) : reporter_(std::move(reporter)) {}
  LineReader(const LineReader&) = delete;
  LineReader& operator=(const LineReader&) = delete;
  ~LineReader();

  // Opens a file; gzip-compressed content is recognised by its bytes.
  bool open(const std::string& path);
  void close();
  bool isOpen() const { return file_ != nullptr; }

  // The next line, valid until the following call; false at the end.
  bool next(std::string_view& line);

  long lineNumber() const { return lineNumber_; }
  const std::string& path() const { return path_; }
  // True when the end was reached through a read error, not the end of data.
  bool failed() const { return failed_; }
  // Lines skipped for being longer than kMaxLineLength, and the first of them.
  long longLinesSkipped() const { return longLinesSkipped_; }
  long firstLongLine() const { return firstLongLine_; }

 private:
  bool fill();
  void reserve(std::size_t capacity);
  std::size_t findLineEnd(std::size_t from) const;
  void dropLongLine();
  void endLongLine();
  bool lastLine(std::string_view& line);

  Reporter reporter_;

  void* file_ = nullptr;
  std::string path_;
  // Left uninitialised: only the bytes read are ever touched.
  std::unique_ptr<char[]> buffer_;
  std::size_t capacity_ = 0;
  std::size_t begin_ = 0;
  std::size_t end_ = 0;
  bool eof_ = false;
  bool failed_ = false;
  long lineNumber_ = 0;
  bool skipping_ = false;  // inside a line that is too long
  long longLinesSkipped_ = 0;
  long firstLongLine_ = 0;
};

// The text without leading blanks, tabs, carriage returns or form feeds.
std::string_view skipLeadingSpace(std::string_view text);

// The next line that holds more than white space, without its leading
// white space; false at the end.
bool nextContentLine(LineReader& reader, std::string_view& line);

// True when a file of that name can be opened for reading.
bool fileExists(const std::string& path);

}  // namespace bexora
