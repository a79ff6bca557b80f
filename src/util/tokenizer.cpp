#include "util/tokenizer.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace bexora {

bool isDefaultDelim(char c) { return c == '\0' || c == '\n' || c == '\r'; }

namespace {

bool isCollapsible(char c, bool tabsToo) { return c == ' ' || (tabsToo && c == '\t'); }

// Which bytes delimit, looked up once per character instead of searching
// the delimiter list for each: readers split every line of large files.
class DelimiterTable {
 public:
  explicit DelimiterTable(std::string_view delimiters) {
    for (char c : {'\0', '\n', '\r'}) set(c);
    for (char c : delimiters) set(c);
  }
  bool contains(char c) const {
    const auto byte = static_cast<unsigned char>(c);
    return (bits_[byte >> 6] >> (byte & 63)) & 1;
  }

 private:
  void set(char c) {
    const auto byte = static_cast<unsigned char>(c);
    bits_[byte >> 6] |= uint64_t{1} << (byte & 63);
  }
  std::array<uint64_t, 4> bits_{};
};

// Where the tokens go, and the rules both walks close a token by.
struct TokenTable {
  std::string_view* tokens;
  std::size_t capacity;
  std::size_t maxTokenLength;
  bool keepEmpty;

  void close(std::string_view token, TokenizeResult& result) const {
    if (!keepEmpty && token.empty()) return;
    if (result.count == capacity) {
      result.tooManyTokens = true;
      return;
    }
    if (token.size() > maxTokenLength) {
      result.tokenTruncated = true;
      token = token.substr(0, maxTokenLength);
    }
    tokens[result.count++] = token;
  }
};

// Without collapsing, every token lies between two delimiters.
template <typename IsDelimiter>
TokenizeResult splitPlain(std::string_view text, IsDelimiter isDelimiter, const TokenTable& table) {
  TokenizeResult result;
  std::size_t tokenStart = 0;
  for (std::size_t i = 0;; ++i) {
    if (i < text.size() && !isDelimiter(text[i])) continue;
    table.close(text.substr(tokenStart, i - tokenStart), result);
    if (i == text.size() || isDefaultDelim(text[i]) || result.tooManyTokens) break;
    tokenStart = i + 1;
  }
  return result;
}

// One delimiter, the common case of the tabular readers: most characters
// are past '\r' and need one comparison only.
TokenizeResult splitAtOne(std::string_view text, char delimiter, const TokenTable& table) {
  return splitPlain(
      text,
      [delimiter](char c) { return c == delimiter || (static_cast<unsigned char>(c) <= '\r' && isDefaultDelim(c)); },
      table);
}

// Shared walk of both tokenizers; `keepEmpty` and `tabsCollapse` carry their
// two differences.
TokenizeResult tokenize(std::string_view text, std::string_view delimiters, std::string_view* tokens,
                        std::size_t capacity, bool collapseBlanks, std::size_t maxTokenLength, bool keepEmpty,
                        bool tabsCollapse) {
  const TokenTable table{tokens, capacity, maxTokenLength, keepEmpty};
  if (!collapseBlanks && delimiters.size() == 1) return splitAtOne(text, delimiters.front(), table);
  const DelimiterTable delimiterTable(delimiters);
  if (!collapseBlanks) return splitPlain(text, [&](char c) { return delimiterTable.contains(c); }, table);
  TokenizeResult result;
  std::size_t tokenStart = 0;
  std::size_t tokenLength = 0;
  bool previousBlank = false;
  for (std::size_t i = 0; i <= text.size(); ++i) {
    char c = i < text.size() ? text[i] : '\0';
    bool blank = isCollapsible(c, tabsCollapse);
    if (blank && previousBlank) continue;
    previousBlank = blank;
    if (delimiterTable.contains(c)) {
      table.close(text.substr(tokenStart, tokenLength), result);
      if (isDefaultDelim(c) || result.tooManyTokens) break;
      tokenStart = i + 1;
      tokenLength = 0;
    } else {
      // A collapsed run leaves a gap between token start and this character
      // only at delimiters, so tokens stay contiguous slices of the text.
      if (tokenLength == 0) tokenStart = i;
      ++tokenLength;
    }
  }
  return result;
}

}  // namespace

TokenizeResult splitTokens(std::string_view text, std::string_view delimiters, std::string_view* tokens,
                          std::size_t capacity, bool collapseBlanks, std::size_t maxTokenLength) {
  return tokenize(text, delimiters, tokens, capacity, collapseBlanks, maxTokenLength, true, false);
}

TokenizeResult splitNonEmptyTokens(std::string_view text, std::string_view delimiters, std::string_view* tokens,
                                 std::size_t capacity, bool collapseBlanks, std::size_t maxTokenLength) {
  return tokenize(text, delimiters, tokens, capacity, collapseBlanks, maxTokenLength, false, true);
}

std::string_view unquoted(std::string_view field) {
  if (field.size() >= 2 && field.front() == '"' && field.back() == '"') return field.substr(1, field.size() - 2);
  return field;
}

bool readIntegerAt(std::string_view text, std::size_t& pos, int32_t& value) {
  if (pos >= text.size()) return false;
  auto result = std::from_chars(text.data() + pos, text.data() + text.size(), value);
  if (result.ec != std::errc()) return false;
  pos = static_cast<std::size_t>(result.ptr - text.data());
  return true;
}

bool readWholeInteger(std::string_view text, int32_t& value) {
  std::size_t pos = 0;
  int32_t parsed = 0;
  if (!readIntegerAt(text, pos, parsed) || pos != text.size()) return false;
  value = parsed;
  return true;
}

std::string_view withoutPlusSign(std::string_view text) {
  bool plus = text.size() > 1 && text[0] == '+' && isDigit(text[1]);
  return plus ? text.substr(1) : text;
}

// The pieces are mostly short, so one stack buffer covers the common case
// and a second pass handles anything longer.
void appendf(std::string& out, const char* format, ...) {
  char small[128];
  std::va_list args;
  va_start(args, format);
  std::va_list copy;
  va_copy(copy, args);
  const int length = std::vsnprintf(small, sizeof small, format, args);
  va_end(args);
  if (length < 0) {
    va_end(copy);
    return;
  }
  if (static_cast<std::size_t>(length) < sizeof small) {
    out.append(small, static_cast<std::size_t>(length));
  } else {
    std::string large(static_cast<std::size_t>(length) + 1, '\0');
    std::vsnprintf(&large[0], large.size(), format, copy);
    out.append(large.data(), static_cast<std::size_t>(length));
  }
  va_end(copy);
}

namespace {

bool isControl(unsigned char c) { return (c < 0x20 && c != '\n' && c != '\t') || c == 0x7f; }

}  // namespace

std::string upperCased(std::string_view text) {
  std::string upper(text);
  for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return upper;
}

std::string escapeControls(std::string_view text) {
  std::string escaped;
  escaped.reserve(text.size());
  for (char c : text) {
    if (!isControl(static_cast<unsigned char>(c))) {
      escaped += c;
      continue;
    }
    char code[5];
    std::snprintf(code, sizeof code, "\\x%02x", static_cast<unsigned char>(c));
    escaped += code;
  }
  return escaped;
}

}  // namespace bexora
