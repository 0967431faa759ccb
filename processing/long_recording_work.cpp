#include "processing/long_recording_work.h"

#include <new>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace {

// Below this, operator new (small arrays gain nothing from a mapping of their own).
constexpr size_t kMappedFrom = size_t{4} << 20;

}  // namespace

void* allocateWorkingMemory(size_t bytes) {
  if (bytes == 0) bytes = 1;
#if defined(__linux__)
  if (bytes >= kMappedFrom) {
    void* memory = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (memory == MAP_FAILED) throw std::bad_alloc();
    // Advice only: without huge pages the mapping works the same.
    madvise(memory, bytes, MADV_HUGEPAGE);
    return memory;
  }
#endif
  return ::operator new(bytes);
}

void releaseWorkingMemory(void* memory, size_t bytes) {
  if (memory == nullptr) return;
  if (bytes == 0) bytes = 1;
#if defined(__linux__)
  if (bytes >= kMappedFrom) {
    munmap(memory, bytes);
    return;
  }
#endif
  ::operator delete(memory);
}
