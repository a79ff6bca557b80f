// The heap set-up must really reach the kernel: a block from the heap lies
// in memory marked for large pages. (An allocation pair the compiler folds
// away, or a heap that does not grow, leaves it unmarked and the runs slow.)
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "driver/large_pages.h"
#include "test_support.h"

namespace bexora::test {
namespace {

bool largePagesOffered() {
  std::ifstream setting("/sys/kernel/mm/transparent_hugepage/enabled");
  std::string text;
  std::getline(setting, text);
  return !text.empty() && text.find("[never]") == std::string::npos;
}

// The "THPeligible" value of the mapping that holds `address`, or -1.
int largePageEligibility(std::uintptr_t address) {
  std::ifstream maps("/proc/self/smaps");
  std::string line;
  bool inside = false;
  while (std::getline(maps, line)) {
    std::uintptr_t low = 0, high = 0;
    char dash = 0;
    std::istringstream header(line);
    if (header >> std::hex >> low >> dash >> high && dash == '-') {
      inside = low <= address && address < high;
    } else if (inside && line.rfind("THPeligible:", 0) == 0) {
      return std::stoi(line.substr(12));
    }
  }
  return -1;
}

TEST(LargePages, HeapBlocksLieInLargePageMemory) {
  if (sanitized()) GTEST_SKIP() << "a sanitizer's allocator keeps the heap to itself";
  if (!largePagesOffered()) GTEST_SKIP() << "this kernel offers no transparent large pages";
  useLargePagesForTheHeap();
  constexpr std::size_t kBlock = std::size_t{8} << 20;
  constexpr std::uintptr_t kLargePage = std::uintptr_t{2} << 20;
  void* volatile block = std::malloc(kBlock);
  ASSERT_NE(block, nullptr);
  const auto middle = (reinterpret_cast<std::uintptr_t>(block) + kBlock / 2) & ~(kLargePage - 1);
  EXPECT_EQ(largePageEligibility(middle), 1);
  std::free(block);
}

}  // namespace
}  // namespace bexora::test
