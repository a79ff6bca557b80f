// Shared set-up of the fuzz targets: each input is written to a file in a
// private scratch folder, since every reader takes a path; the readers'
// messages are silenced so the fuzzer spends its time parsing.
#pragma once

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace bexora::fuzz {

inline const std::string& scratchFolder() {
  static const std::string folder = [] {
    char pattern[] = "/tmp/bexora-fuzz-XXXXXX";
    const char* made = mkdtemp(pattern);
    if (!made) std::abort();
    if (!std::freopen("/dev/null", "w", stdout)) std::abort();
    return std::string(made) + "/";
  }();
  return folder;
}

// Writes the input as scratchFolder() + name and returns that path.
inline std::string writeInput(const uint8_t* data, size_t size, const std::string& name) {
  std::string path = scratchFolder() + name;
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) std::abort();
  if (size > 0 && std::fwrite(data, 1, size, file) != size) std::abort();
  std::fclose(file);
  return path;
}

}  // namespace bexora::fuzz
