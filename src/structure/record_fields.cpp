#include "structure/record_fields.h"

#include <array>
#include <cstdlib>
#include <cstring>

#include "util/tokenizer.h"

namespace bexora {

namespace {

constexpr std::array<double, 19> kPowersOfTen = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8, 1e9,
                                                 1e10, 1e11, 1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18};

// A number is followed by a blank or the end of its field: "0x1p3" or
// "1.5abc" is no number.
bool endsNumber(std::string_view text, std::size_t at) { return at >= text.size() || isBlank(text[at]); }

// Rare long or exponent forms go through the C library.
bool parseDecimalSlow(std::string_view text, double& value) {
  char buffer[64];
  if (text.size() >= sizeof buffer) return false;
  std::memcpy(buffer, text.data(), text.size());
  buffer[text.size()] = '\0';
  char* end = nullptr;
  double parsed = std::strtod(buffer, &end);
  if (end == buffer || !endsNumber(text, static_cast<std::size_t>(end - buffer))) return false;
  value = parsed;
  return true;
}

}  // namespace

bool startsWith(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && text.compare(0, prefix.size(), prefix) == 0;
}

bool isBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view trimBlanks(std::string_view text) {
  while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);
  return text;
}

std::string_view columns(std::string_view line, std::size_t first, std::size_t last) {
  if (line.size() < first) return {};
  return line.substr(first - 1, last - first + 1);
}

char column(std::string_view line, std::size_t at) { return line.size() >= at ? line[at - 1] : ' '; }

// An integer mantissa divided by an exact power of ten rounds once.
bool parseDecimal(std::string_view text, double& value) {
  std::size_t i = 0;
  while (i < text.size() && isBlank(text[i])) ++i;
  text.remove_prefix(i);
  i = 0;
  bool negative = i < text.size() && text[i] == '-';
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) ++i;
  uint64_t mantissa = 0;
  auto takeDigits = [&] {
    std::size_t start = i;
    for (; i < text.size() && isDigit(text[i]); ++i) mantissa = mantissa * 10 + static_cast<uint64_t>(text[i] - '0');
    return static_cast<int>(i - start);
  };
  int digits = takeDigits();
  int fraction = 0;
  if (i < text.size() && text[i] == '.') {
    ++i;
    fraction = takeDigits();
    digits += fraction;
  }
  if (digits == 0) return false;
  bool exponent = i < text.size() && (text[i] == 'e' || text[i] == 'E');
  if (digits > 18 || exponent) return parseDecimalSlow(text, value);
  if (!endsNumber(text, i)) return false;
  double magnitude = static_cast<double>(mantissa) / kPowersOfTen[static_cast<std::size_t>(fraction)];
  value = negative ? -magnitude : magnitude;
  return true;
}

bool parseInteger(std::string_view text, int32_t& value) {
  std::size_t end = 0;
  return readIntegerAt(withoutPlusSign(trimBlanks(text)), end, value);
}

std::size_t splitFields(std::string_view row, std::vector<std::string_view>& fields) {
  fields.clear();
  std::size_t i = 0;
  while (i < row.size()) {
    while (i < row.size() && isBlank(row[i])) ++i;
    if (i >= row.size()) break;
    char quote = row[i];
    std::size_t start = i;
    if (quote == '\'' || quote == '"') {
      std::size_t close = start + 1;
      while (close < row.size() && !(row[close] == quote && (close + 1 == row.size() || isBlank(row[close + 1]))))
        ++close;
      if (close < row.size()) {
        fields.push_back(row.substr(start + 1, close - start - 1));
        i = close + 1;
        continue;
      }
    }
    while (i < row.size() && !isBlank(row[i])) ++i;
    fields.push_back(row.substr(start, i - start));
  }
  return fields.size();
}

}  // namespace bexora
