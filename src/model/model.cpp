#include "model/model.h"

#include <unistd.h>

#include <algorithm>
#include <cstdarg>
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

void copyAtoms(std::vector<AtomInfo>& destination, const std::vector<AtomInfo>& source) {
  destination.assign(source.begin(), source.end());
}

void methodListPrint(const std::vector<int>& methods) {
  for (std::size_t i = 0; i < methods.size(); ++i) {
    if (i > 0) std::printf(i + 1 == methods.size() ? " and" : ",");
    const char* name = methodName(methods[i]);
    std::printf(" %s", name ? name : "Undefined Method");
  }
  std::printf(" ");
}

void warnLimit(const char* what, std::size_t limit, const std::string& file) {
  std::printf("Warning!!! %s limit of %zu reached in %s; the rest is ignored.\n", what, limit, file.c_str());
}

void printLineOf(long lineNumber, const std::string& file) {
  std::printf("(line %ld of %s)\n", lineNumber, file.c_str());
}

void Diagnostics::record(const char* format, ...) const {
  if (!enabled) return;
  std::fflush(stdout);
  std::fputs("bexora: ", stderr);
  va_list args;
  va_start(args, format);
  std::vfprintf(stderr, format, args);
  va_end(args);
  std::fputc('\n', stderr);
}

void pauseForKey() {
  std::fflush(stdout);
  if (isatty(STDIN_FILENO)) std::getchar();
}

}  // namespace bexora
