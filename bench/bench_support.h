// Helpers of the whole-program benchmarks: running the built program and the
// example generator as shell commands and timing them.
#pragma once

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace bench {

inline double seconds(const std::chrono::steady_clock::time_point& start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

inline bool run(const std::string& command) { return std::system(command.c_str()) == 0; }

// Seconds the command took; a failing command ends the benchmark.
inline double timeCommand(const std::string& command) {
  auto start = std::chrono::steady_clock::now();
  if (!run(command)) {
    std::fprintf(stderr, "command failed: %s\n", command.c_str());
    std::exit(1);
  }
  return seconds(start);
}

}  // namespace bench
