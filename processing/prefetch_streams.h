#pragma once
// Memory asked for ahead of the reads that follow, as one stream: walks that read a window at
// every step, far apart in memory, would otherwise wait for memory at every window (a wait
// that costs more than the window's work).
#include <algorithm>
#include <cstdint>

// Entries read in descending order: before the reads around p, everything from p down to
// p - depth is asked for, each cache line once. After a jump down (a long gap) the stream
// starts anew at p, since nothing above p is read again.
template <class T>
class DescendingStream {
 public:
  void before(const T* a, int64_t p, int64_t depth) {
#if defined(__GNUC__)
    const int64_t to = std::max<int64_t>(0, p - depth);
    if (next_ < 0 || next_ > p + kLine) next_ = (p & ~(kLine - 1)) + kLine;
    for (; next_ > to; next_ -= kLine) __builtin_prefetch(a + next_ - kLine);
#else
    (void)a;
    (void)p;
    (void)depth;
#endif
  }

 private:
  static constexpr int64_t kLine = 64 / static_cast<int64_t>(sizeof(T));
  int64_t next_ = -1;  // entries from here on are asked for
};
