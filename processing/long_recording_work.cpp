#include "processing/long_recording_work.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <mutex>
#include <new>
#include <utility>

#include "processing/huge_pages.h"
#include "processing/side_thread.h"

#if defined(__linux__)
#include <pthread.h>
#include <sys/mman.h>
#endif

namespace {

// Below this, operator new (small arrays gain nothing from a mapping of their own).
constexpr size_t kMappedFrom = size_t{256} << 10;

#if defined(__linux__)
// Whole huge pages: a mapping that ends inside one keeps small pages there.
size_t hugeRounded(size_t bytes) { return (bytes + kHugePageBytes - 1) / kHugePageBytes * kHugePageBytes; }

// Mappings given back lately, kept for the next run: a recording solved again, or the next of
// a batch of the same length, finds its memory mapped already, without a fault every 2 MB (or
// every 4 KB where the system has no huge page at hand) nor the unmapping, a tenth of what a
// recording of a million samples costs. Each is taken again only for the same length, and is
// given back when unused for kKeptFor (at the next call), once the side thread rests after a
// second without work, when the total would pass the limit (keepWorkingMemoryUpTo), or when
// the system refuses a new mapping.
using Clock = std::chrono::steady_clock;
constexpr auto kKeptFor = std::chrono::seconds(2);
constexpr size_t kKeptAtMost = 8;

struct KeptMapping {
  char* memory = nullptr;
  size_t length = 0;
  Clock::time_point since;
};

class KeptMappings {
 public:
  KeptMappings() {
    // A child made by fork while another thread held the lock would wait for it forever.
    pthread_atfork(nullptr, nullptr, [] { new (&instance().mutex_) std::mutex; });
    // Once the side thread rests (a second without work), so does the process.
    atSideThreadRest([] { instance().dropAll(); });
  }
  static KeptMappings& instance() {
    // Never destroyed: other threads may give memory back while the program exits.
    static KeptMappings* kept = new KeptMappings;
    return *kept;
  }

  // A kept mapping of exactly `length` bytes, or null.
  char* take(size_t length) {
    std::lock_guard<std::mutex> lock(mutex_);
    dropStale(Clock::now());
    for (KeptMapping& m : kept_)
      if (m.memory != nullptr && m.length == length) {
        total_ -= length;
        return std::exchange(m.memory, nullptr);
      }
    return nullptr;
  }

  // Keeps memory (a whole mapping of `length` bytes) when the limit allows, else false.
  bool keep(char* memory, size_t length) noexcept {
    std::lock_guard<std::mutex> lock(mutex_);
    const Clock::time_point now = Clock::now();
    dropStale(now);
    if (length > limit_) return false;
    // The oldest go first to make room.
    while (total_ + length > limit_ || std::none_of(kept_, kept_ + kKeptAtMost, isFree)) drop(*oldest());
    KeptMapping& slot = *std::find_if(kept_, kept_ + kKeptAtMost, isFree);
    slot = KeptMapping{memory, length, now};
    total_ += length;
    return true;
  }

  void dropAll() noexcept {
    std::lock_guard<std::mutex> lock(mutex_);
    for (KeptMapping& m : kept_) drop(m);
  }

  size_t setLimit(size_t bytes) noexcept {
    std::lock_guard<std::mutex> lock(mutex_);
    const size_t before = std::exchange(limit_, bytes);
    while (total_ > limit_) drop(*oldest());
    return before;
  }

 private:
  static bool isFree(const KeptMapping& m) { return m.memory == nullptr; }
  KeptMapping* oldest() {
    KeptMapping* o = nullptr;
    for (KeptMapping& m : kept_)
      if (!isFree(m) && (o == nullptr || m.since < o->since)) o = &m;
    return o;
  }
  void drop(KeptMapping& m) noexcept {
    if (isFree(m)) return;
    munmap(m.memory, m.length);
    total_ -= m.length;
    m.memory = nullptr;
  }
  void dropStale(Clock::time_point now) noexcept {
    for (KeptMapping& m : kept_)
      if (!isFree(m) && now - m.since > kKeptFor) drop(m);
  }

  std::mutex mutex_;
  KeptMapping kept_[kKeptAtMost];
  size_t total_ = 0;
  size_t limit_ = kWorkingMemoryKeptByDefault;
};
#endif

}  // namespace

size_t keepWorkingMemoryUpTo(size_t bytes) {
#if defined(__linux__)
  return KeptMappings::instance().setLimit(bytes);
#else
  (void)bytes;
  return 0;
#endif
}

void giveBackKeptWorkingMemory() {
#if defined(__linux__)
  KeptMappings::instance().dropAll();
#endif
}

void* allocateWorkingMemory(size_t bytes) {
  if (bytes == 0) bytes = 1;
#if defined(__linux__)
  if (bytes >= kMappedFrom) {
    // Mapped with room to start on a huge-page boundary, the rest given back: an unaligned
    // mapping keeps small pages at both ends, a fault every 4 KB there.
    const size_t length = hugeRounded(bytes);
    if (char* kept = KeptMappings::instance().take(length)) return kept;
    auto map = [&] {
      return mmap(nullptr, length + kHugePageBytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1,
                  0);
    };
    void* mapped = map();
    if (mapped == MAP_FAILED) {
      // The kept mappings may be what the system misses.
      giveBackKeptWorkingMemory();
      mapped = map();
    }
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
    if (KeptMappings::instance().keep(static_cast<char*>(memory), length)) return;
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
    if (!KeptMappings::instance().keep(static_cast<char*>(memory), hugeRounded(bytes)))
      munmap(memory, hugeRounded(bytes));
    return;
  }
#endif
  ::operator delete(memory);
}
