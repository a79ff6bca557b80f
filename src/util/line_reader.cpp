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
  eof_ = failed_ = skipping_ = false;
  lineNumber_ = longLinesSkipped_ = firstLongLine_ = 0;
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

// Position of the first LF or CR at or after `from`; end_ when there is none.
std::size_t LineReader::findLineEnd(std::size_t from) const {
  const char* base = buffer_.get();
  const void* lineFeed = std::memchr(base + from, '\n', end_ - from);
  std::size_t limit = lineFeed ? static_cast<std::size_t>(static_cast<const char*>(lineFeed) - base) : end_;
  const void* carriageReturn = std::memchr(base + from, '\r', limit - from);
  return carriageReturn ? static_cast<std::size_t>(static_cast<const char*>(carriageReturn) - base) : limit;
}

// Lets go of the buffered part of a line that is already too long.
void LineReader::dropLongLine() {
  begin_ = end_;
  skipping_ = true;
}

void LineReader::endLongLine() {
  skipping_ = false;
  if (longLinesSkipped_++ == 0) firstLongLine_ = lineNumber_;
  reporter_.warn("Line %ld of %s is longer than %zu bytes; it is skipped.\n", lineNumber_, path_.c_str(),
                kMaxLineLength);
}

bool LineReader::next(std::string_view& line) {
  std::size_t scanFrom = begin_;
  for (;;) {
    std::size_t stop = findLineEnd(scanFrom);
    // A CR that ends the buffered data may be the first half of a CR LF.
    bool ended = stop < end_ && (buffer_[stop] == '\n' || stop + 1 < end_ || eof_);
    if (ended) {
      std::size_t after = stop + (buffer_[stop] == '\r' && stop + 1 < end_ && buffer_[stop + 1] == '\n' ? 2 : 1);
      std::size_t start = begin_, length = stop - begin_;
      begin_ = scanFrom = after;
      ++lineNumber_;
      if (skipping_ || length > kMaxLineLength) {
        endLongLine();
        continue;
      }
      line = std::string_view(buffer_.get() + start, length);
      return true;
    }
    if (stop == end_ && end_ - begin_ > kMaxLineLength) dropLongLine();
    std::size_t scanned = stop - begin_;
    bool more = fill();  // moves the pending text to the front of the buffer
    scanFrom = begin_ + scanned;
    // Without more data a CR at the end is the last line's end; else the text left is.
    if (!more && scanFrom == end_) return lastLine(line);
  }
}

// The text after the last line end, when there is any.
bool LineReader::lastLine(std::string_view& line) {
  if (skipping_) {
    ++lineNumber_;
    endLongLine();
  }
  if (end_ == begin_) return false;
  std::size_t start = begin_, length = end_ - begin_;
  begin_ = end_;
  ++lineNumber_;
  if (length > kMaxLineLength) {
    endLongLine();
    return false;
  }
  line = std::string_view(buffer_.get() + start, length);
  return true;
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
