#include "processing/long_recording_work.h"

#include <algorithm>
#include <cstdint>
#include <new>

#include "processing/huge_pages.h"
#include "processing/side_thread.h"

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace {

// Below this, operator new (small arrays gain nothing from a mapping of their own).
constexpr size_t kMappedFrom = size_t{256} << 10;

#if defined(__linux__)
// Whole huge pages: a mapping that ends inside one keeps small pages there.
size_t hugeRounded(size_t bytes) { return (bytes + kHugePageBytes - 1) / kHugePageBytes * kHugePageBytes; }
#endif

}  // namespace

void* allocateWorkingMemory(size_t bytes) {
  if (bytes == 0) bytes = 1;
#if defined(__linux__)
  if (bytes >= kMappedFrom) {
    // Mapped with room to start on a huge-page boundary, the rest given back: an unaligned
    // mapping keeps small pages at both ends, a fault every 4 KB there.
    const size_t length = hugeRounded(bytes);
    void* mapped =
        mmap(nullptr, length + kHugePageBytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapped == MAP_FAILED) throw std::bad_alloc();
    const auto base = reinterpret_cast<uintptr_t>(mapped);
    const uintptr_t aligned = (base + kHugePageBytes - 1) & ~uintptr_t{kHugePageBytes - 1};
    if (aligned > base) munmap(mapped, aligned - base);
    const uintptr_t end = base + length + kHugePageBytes;
    if (end > aligned + length) munmap(reinterpret_cast<void*>(aligned + length), end - (aligned + length));
    void* memory = reinterpret_cast<void*>(aligned);
    // Advice only: without huge pages the mapping works the same.
    madvise(memory, length, MADV_HUGEPAGE);
    return memory;
  }
#endif
  return ::operator new(bytes);
}

void prefaultForWriting(void* memory, size_t bytes) {
#if defined(__linux__) && defined(MADV_POPULATE_WRITE)
  constexpr uintptr_t kPage = 4096;
  const auto start = reinterpret_cast<uintptr_t>(memory);
  const uintptr_t first = (start + kPage - 1) & ~(kPage - 1);
  const uintptr_t end = (start + bytes) & ~(kPage - 1);
  // A few pages are not worth the call.
  if (memory == nullptr || end < first + 16 * kPage) return;
  // The whole huge pages within are asked for as such: a fault every 2 MB rather than every
  // 4 KB, which on a virtual machine costs microseconds each.
  const uintptr_t hugeFirst = (start + kHugePageBytes - 1) & ~uintptr_t{kHugePageBytes - 1};
  const uintptr_t hugeEnd = (start + bytes) & ~uintptr_t{kHugePageBytes - 1};
  if (hugeEnd > hugeFirst) madvise(reinterpret_cast<void*>(hugeFirst), hugeEnd - hugeFirst, MADV_HUGEPAGE);
  madvise(reinterpret_cast<void*>(first), end - first, MADV_POPULATE_WRITE);
#else
  (void)memory;
  (void)bytes;
#endif
}

void releaseWorkingMemoryApart(void* memory, size_t bytes, size_t cut, bool sideBelowCut) noexcept {
#if defined(__linux__)
  if (memory != nullptr && bytes >= kMappedFrom) {
    const size_t length = hugeRounded(bytes);
    const size_t at = std::min(length, hugeRounded(cut));
    char* const first = static_cast<char*>(memory);
    auto below = [&] {
      if (at > 0) munmap(first, at);
    };
    auto above = [&] {
      if (at < length) munmap(first + at, length - at);
    };
    try {
      if (sideBelowCut) {
        inParallel(above, below);
      } else {
        inParallel(below, above);
      }
      return;
    } catch (...) {
      // No task could be had for the side thread: all of it here.
    }
  }
#endif
  (void)cut;
  (void)sideBelowCut;
  releaseWorkingMemory(memory, bytes);
}

void releaseWorkingMemory(void* memory, size_t bytes) {
  if (memory == nullptr) return;
  if (bytes == 0) bytes = 1;
#if defined(__linux__)
  if (bytes >= kMappedFrom) {
    munmap(memory, hugeRounded(bytes));
    return;
  }
#endif
  ::operator delete(memory);
}
