// Splitting of text lines into tokens at caller-given delimiters, and small
// string helpers the readers and writers share. Tokens are views into the
// caller's text: nothing is allocated, and the caller's table capacity and
// token width are limits that are reported, never overrun.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace bexora {

// Width of a row of the fixed token table: a token keeps at most 199 characters.
constexpr std::size_t kTokenRowWidth = 200;

struct TokenizeResult {
  std::size_t count = 0;
  bool tooManyTokens = false;   // tokens past the table's capacity were dropped
  bool tokenTruncated = false;  // a token was cut to the width limit
};

constexpr bool isDigit(char c) { return c >= '0' && c <= '9'; }

// NUL, line feed and carriage return always delimit and end the text.
bool isDefaultDelim(char c);

// Every delimiter closes a token, empty ones included; the end of the text
// closes the last. With collapseBlanks a run of blanks acts as one blank.
// Tokens are slices of the text, so a run of blanks inside a token (where
// blanks do not delimit) is kept as it stands.
TokenizeResult splitTokens(std::string_view text, std::string_view delimiters, std::string_view* tokens,
                          std::size_t capacity, bool collapseBlanks, std::size_t maxTokenLength = kTokenRowWidth - 1);

// Like splitTokens, but empty tokens are never produced, and the collapsing
// treats blanks and tabs alike.
TokenizeResult splitNonEmptyTokens(std::string_view text, std::string_view delimiters, std::string_view* tokens,
                                 std::size_t capacity, bool collapseBlanks,
                                 std::size_t maxTokenLength = kTokenRowWidth - 1);

// The text with every letter in upper case, as ids and chains are compared.
std::string upperCased(std::string_view text);

// `text` with every control character but line end and tab written as
// \xHH, so that no input can steer the terminal or cut a line or a field.
std::string escapeControls(std::string_view text);

// The field without one pair of enclosing double quotes (CSV style).
std::string_view unquoted(std::string_view field);

// The decimal integer (with an optional '-') that starts at `pos`; on
// success `pos` moves past it, on failure both stay as they were.
bool readIntegerAt(std::string_view text, std::size_t& pos, int32_t& value);

// A decimal integer filling the whole text; false for empty or trailing text.
bool readWholeInteger(std::string_view text, int32_t& value);

// The text without a leading '+' that stands directly before a digit.
std::string_view withoutPlusSign(std::string_view text);

// Appends printf-formatted text of any length.
void appendf(std::string& out, const char* format, ...) __attribute__((format(printf, 2, 3)));

}  // namespace bexora
