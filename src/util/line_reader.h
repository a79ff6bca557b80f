// Line-by-line reading of text inputs, plain or gzip-compressed.
// Lines of any length are returned whole, without the line feed and without
// a trailing carriage return, so LF and CR LF files read alike. The reader
// counts lines for messages that name the file and line.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

namespace bexora {

class LineReader {
 public:
  LineReader() = default;
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

 private:
  bool fill();
  void reserve(std::size_t capacity);

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
};

// The text without leading blanks, tabs, carriage returns or form feeds.
std::string_view skipLeadingSpace(std::string_view text);

// The next line that holds more than white space, without its leading
// white space; false at the end.
bool nextContentLine(LineReader& reader, std::string_view& line);

// True when a file of that name can be opened for reading.
bool fileExists(const std::string& path);

}  // namespace bexora
