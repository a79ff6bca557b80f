// Parent bases of the common modified nucleotides, for reading them as the
// base they were made from ("--modified"). A structure's own records (MODRES)
// take precedence; this table serves where a file names none.
#pragma once

#include <string_view>

namespace bexora {

// 'A', 'C', 'G' or 'U' for a standard or known modified residue name (case
// as written in structures, e.g. "PSU", "2MG", "G7M"), else '\0'.
char parentBase(std::string_view residueName);

}  // namespace bexora
