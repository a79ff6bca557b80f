#include "driver/large_pages.h"

#include <malloc.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace bexora {
namespace {

constexpr std::size_t kLargePage = std::size_t{2} << 20;
// What the heap grows by at a time: a 16S pair's tables fit in one step.
constexpr int kHeapStep = 64 << 20;
// Blocks below this come from the heap too, so they share its large pages.
constexpr int kMmapThreshold = 32 << 20;
// Freed memory stays in the heap, so that it is not faulted in again.
constexpr int kTrimThreshold = 2 * kHeapStep;

bool tuneAllocator() {
  return mallopt(M_MMAP_THRESHOLD, kMmapThreshold) != 0 && mallopt(M_TOP_PAD, kHeapStep) != 0 &&
         mallopt(M_TRIM_THRESHOLD, kTrimThreshold) != 0;
}

}  // namespace

void useLargePagesForTheHeap() {
  if (!tuneAllocator()) return;
  // A block the heap has no room for yet makes it grow by a whole step now.
  void* volatile probe = std::malloc(kLargePage);
  const auto first = reinterpret_cast<std::uintptr_t>(probe);
  std::free(probe);
  const auto end = reinterpret_cast<std::uintptr_t>(sbrk(0));
  // The block must lie at the heap's end; an allocator of its own (a
  // sanitizer's) keeps its blocks elsewhere, and its memory is left alone.
  if (first == 0 || first > end || end - first > kHeapStep + 2 * kLargePage) return;
  const std::uintptr_t begin = (first + kLargePage - 1) & ~(kLargePage - 1);
  if (begin < end) madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
}

}  // namespace bexora
