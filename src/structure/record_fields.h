// The fields of structure-file records: fixed columns of PDB lines, blank-
// separated (and quoted) values of mmCIF rows, and the numbers in them,
// read strictly: a number is followed by a blank or the end of its field.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace bexora {

bool startsWith(std::string_view text, std::string_view prefix);
bool isBlank(char c);
std::string_view trimBlanks(std::string_view text);

// Columns are 1-based and inclusive; what lies past the line end reads as blank.
std::string_view columns(std::string_view line, std::size_t first, std::size_t last);
char column(std::string_view line, std::size_t at);

// A decimal number after optional blanks, up to the next blank; "0x1p3" or
// "1.5abc" is no number. Plain forms are exact.
bool parseDecimal(std::string_view text, double& value);
bool parseInteger(std::string_view text, int32_t& value);

// Splits a record at blanks; a value in single or double quotes may hold
// blanks and ends at its closing quote followed by a blank or the line end.
std::size_t splitFields(std::string_view row, std::vector<std::string_view>& fields);

}  // namespace bexora
