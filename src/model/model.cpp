#include "model/model.h"

#include <algorithm>
#include <cctype>
#include <cstring>

namespace bexora {

const char* methodName(int method) {
  return method >= 0 && method < kMethodCount ? kMethods[method].name : nullptr;
}

const char* methodToken(int method) {
  return method >= 0 && method < kMethodCount ? kMethods[method].token : nullptr;
}

namespace {

bool sameLetters(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::toupper(static_cast<unsigned char>(x)) == std::toupper(static_cast<unsigned char>(y));
         });
}

}  // namespace

int methodNamed(std::string_view word) {
  for (int m = 0; m < kMethodCount; ++m)
    if (sameLetters(word, kMethods[m].token) || sameLetters(word, kMethods[m].name)) return m;
  return -1;
}

BPInfo makeEmptyBPInfo() {
  BPInfo pair;
  std::memset(&pair, 0, sizeof pair);
  pair.iCode[0] = pair.iCode[1] = ' ';
  pair.parallel = -1;
  return pair;
}

int compareAtoms(const AtomInfo& a, const AtomInfo& b) {
  if (int chain = std::strcmp(a.chainId, b.chainId)) return chain;
  if (int residue = compareResidues(a.resSeqNo, a.iCode, b.resSeqNo, b.iCode)) return residue;
  return std::strcmp(a.atomName, b.atomName);
}

void copyField(char* field, std::size_t size, std::string_view text) {
  if (size == 0) return;
  std::size_t n = std::min(text.size(), size - 1);
  if (n > 0) std::memcpy(field, text.data(), n);  // an empty view may carry no data pointer
  field[n] = '\0';
}

}  // namespace bexora
