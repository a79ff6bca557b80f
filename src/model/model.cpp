#include "model/model.h"

#include <algorithm>
#include <cstring>

namespace bexora {

namespace {
constexpr const char* kMethodNames[kMethodCount] = {"MC-Annotate", "RNAView", "FR3D", "DSSR", "ClaRNA"};
constexpr const char* kMethodTokens[kMethodCount] = {"MC", "RV", "FR", "DS", "CLA"};
}  // namespace

const char* methodName(int method) {
  return method >= 0 && method < kMethodCount ? kMethodNames[method] : nullptr;
}

const char* methodToken(int method) {
  return method >= 0 && method < kMethodCount ? kMethodTokens[method] : nullptr;
}

BPInfo makeEmptyBPInfo() {
  BPInfo pair;
  std::memset(&pair, 0, sizeof pair);
  pair.iCode[0] = pair.iCode[1] = ' ';
  pair.parallel = -1;
  return pair;
}

void copyField(char* field, std::size_t size, std::string_view text) {
  if (size == 0) return;
  std::size_t n = std::min(text.size(), size - 1);
  if (n > 0) std::memcpy(field, text.data(), n);  // an empty view may carry no data pointer
  field[n] = '\0';
}

}  // namespace bexora
