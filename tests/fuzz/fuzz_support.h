// Shared set-up of the fuzz targets: each input is written to a file in a
// private scratch folder (under $TMPDIR, else /tmp), since every reader takes
// a path; the folder goes when the process exits. The readers' messages are
// silenced so the fuzzer spends its time parsing.
#pragma once

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace bexora::fuzz {

inline const std::string& scratchFolder() {
  static const std::string folder = [] {
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base && *base ? base : "/tmp") + "/bexora-fuzz-XXXXXX";
    if (!mkdtemp(pattern.data())) std::abort();
    if (!std::freopen("/dev/null", "w", stdout)) std::abort();
    return pattern + "/";
  }();
  static const bool removedAtExit = std::atexit([] {
    std::error_code ignored;
    std::filesystem::remove_all(scratchFolder(), ignored);
  }) == 0;
  (void)removedAtExit;
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
