#include "util/line_reader.h"

#include <sys/stat.h>
#include <zlib.h>

#include <cstdio>
#include <cstring>
#include <utility>

namespace bexora {

namespace {
constexpr std::size_t kChunk = 1 << 18;
// zlib reads a plain file straight into the caller's buffer when asked for
// at least twice its own buffer, so a smaller one saves a copy of every byte.
constexpr unsigned kZlibBuffer = kChunk / 4;
gzFile asGz(void* file) { return static_cast<gzFile>(file); }
}  // namespace

LineReader::~LineReader() { close(); }

bool LineReader::open(const std::string& path) {
  close();
  path_ = path;
  if (!fileExists(path)) return false;
  gzFile file = gzopen(path.c_str(), "rb");
  if (!file) return false;
  gzbuffer(file, kZlibBuffer);
  file_ = file;
  begin_ = end_ = 0;
  reserve(kChunk);
  eof_ = failed_ = false;
  lineNumber_ = 0;
  return true;
}

void LineReader::close() {
  if (file_) gzclose(asGz(file_));
  file_ = nullptr;
}

void LineReader::reserve(std::size_t capacity) {
  if (capacity <= capacity_) return;
  std::unique_ptr<char[]> larger(new char[capacity]);
  if (end_ > 0) std::memcpy(larger.get(), buffer_.get(), end_);
  buffer_ = std::move(larger);
  capacity_ = capacity;
}

bool LineReader::fill() {
  if (eof_ || !file_) return false;
  if (begin_ > 0) {
    std::memmove(buffer_.get(), buffer_.get() + begin_, end_ - begin_);
    end_ -= begin_;
    begin_ = 0;
  }
  if (capacity_ - end_ < kChunk / 2) reserve(capacity_ * 2);
  int got = gzread(asGz(file_), buffer_.get() + end_, static_cast<unsigned>(capacity_ - end_));
  if (got < 0) {
    failed_ = true;
    eof_ = true;
    return false;
  }
  if (got == 0) {
    // A compressed stream cut short ends like a file, but zlib keeps the error.
    int error = Z_OK;
    gzerror(asGz(file_), &error);
    failed_ = error != Z_OK;
    eof_ = true;
    return false;
  }
  end_ += static_cast<std::size_t>(got);
  return true;
}

bool LineReader::next(std::string_view& line) {
  std::size_t scanFrom = begin_;
  for (;;) {
    const char* start = buffer_.get() + begin_;
    const void* newline = std::memchr(buffer_.get() + scanFrom, '\n', end_ - scanFrom);
    if (newline) {
      std::size_t length = static_cast<const char*>(newline) - start;
      begin_ += length + 1;
      if (length > 0 && start[length - 1] == '\r') --length;
      line = std::string_view(start, length);
      ++lineNumber_;
      return true;
    }
    std::size_t pending = end_ - begin_;
    if (!fill()) {
      if (end_ == begin_) return false;
      start = buffer_.get() + begin_;
      std::size_t length = end_ - begin_;
      begin_ = end_;
      if (length > 0 && start[length - 1] == '\r') --length;
      line = std::string_view(start, length);
      ++lineNumber_;
      return true;
    }
    scanFrom = begin_ + pending;
  }
}

std::string_view skipLeadingSpace(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t' || text[i] == '\r' || text[i] == '\f' || text[i] == '\v'))
    ++i;
  return text.substr(i);
}

bool nextContentLine(LineReader& reader, std::string_view& line) {
  while (reader.next(line)) {
    line = skipLeadingSpace(line);
    if (!line.empty()) return true;
  }
  return false;
}

bool fileExists(const std::string& path) {
  struct stat info;
  if (stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return false;
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) return false;
  std::fclose(file);
  return true;
}

}  // namespace bexora
