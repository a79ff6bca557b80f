#include "driver/large_pages.h"

#include <malloc.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace bexora {

#if defined(__GLIBC__) && defined(MADV_HUGEPAGE)

namespace {

constexpr std::uintptr_t kLargePage = std::uintptr_t{2} << 20;
// What malloc keeps in front of each block.
constexpr std::uintptr_t kChunkHeader = 2 * sizeof(std::size_t);
// What the heap grows by in its first step: a 16S pair's tables fit in it.
constexpr int kHeapStep = 64 << 20;
// The allocator's own pad, for every growth after the first.
constexpr int kUsualTopPad = 128 << 10;
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
  // The heap's free top runs from `top` to the break. A block that reaches
  // from there up to the next large-page boundary makes the heap grow by a
  // whole step, and malloc's own bookkeeping stays below the boundary: a
  // page touched before the advice would keep its 2 MiB range small.
  const auto brk = reinterpret_cast<std::uintptr_t>(sbrk(0));
  const std::uintptr_t top = brk - mallinfo2().keepcost;
  const std::uintptr_t boundary = (brk + kChunkHeader + kLargePage - 1) & ~(kLargePage - 1);
  // Below the boundary the pages can only be small: the block stays over
  // them for the process's life, never touched, so that the run's data go
  // above it, at the cost of address space alone.
  static void* volatile belowBoundary = nullptr;
  belowBoundary = std::malloc(boundary - top - 2 * kChunkHeader);
  // Later growth takes the usual small steps, so that a run under an
  // address-space limit needs no more room than it did.
  mallopt(M_TOP_PAD, kUsualTopPad);
  const auto end = reinterpret_cast<std::uintptr_t>(sbrk(0));
  // Another allocator (a sanitizer's) keeps its blocks elsewhere; its
  // memory is left alone.
  if (reinterpret_cast<std::uintptr_t>(belowBoundary) != top + kChunkHeader || end <= boundary) return;
  madvise(reinterpret_cast<void*>(boundary), end - boundary, MADV_HUGEPAGE);
}

#else

// Other C libraries and kernels keep their own heap.
void useLargePagesForTheHeap() {}

#endif

}  // namespace bexora
