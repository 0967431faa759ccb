#include "processing/processor_speeds.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>

#if defined(__linux__)
#include <sched.h>
#endif

namespace {

constexpr int kTracked = 256;
constexpr int64_t kFreshNanoseconds = 1000000000;

// A processor's rate relative to the mean of the pair it last ran in, and when.
struct Speed {
  std::atomic<double> relative{0};
  std::atomic<int64_t> when{0};
};

constexpr int kWorks = 2;
Speed speeds[kWorks][kTracked];

Speed* speedsOf(SplitWork work) { return speeds[static_cast<int>(work)]; }

int64_t nowNanoseconds() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

bool tracked(int cpu) { return cpu >= 0 && cpu < kTracked; }

}  // namespace

void recordProcessorRates(SplitWork work, int a, double rateA, int b, double rateB) {
  if (!tracked(a) || !tracked(b) || a == b || !(rateA > 0) || !(rateB > 0)) return;
  Speed* speeds = speedsOf(work);
  const double mean = (rateA + rateB) / 2;
  const int64_t now = nowNanoseconds();
  speeds[a].relative.store(rateA / mean, std::memory_order_relaxed);
  speeds[b].relative.store(rateB / mean, std::memory_order_relaxed);
  speeds[a].when.store(now, std::memory_order_relaxed);
  speeds[b].when.store(now, std::memory_order_relaxed);
}

namespace {

// The share from one work's rates, or 0 when they are not known.
double shareFrom(const Speed* speeds, int a, int b, int64_t now) {
  auto fresh = [&](const Speed& s) {
    return now - s.when.load(std::memory_order_relaxed) < kFreshNanoseconds;
  };
  if (!fresh(speeds[a]) || !fresh(speeds[b])) return 0;
  const double sa = speeds[a].relative.load(std::memory_order_relaxed);
  const double sb = speeds[b].relative.load(std::memory_order_relaxed);
  if (!(sa > 0) || !(sb > 0)) return 0;
  return std::clamp(sa / (sa + sb), kLeastShare, 1 - kLeastShare);
}

}  // namespace

double processorShare(SplitWork work, int a, int b) {
  if (!tracked(a) || !tracked(b) || a == b) return 0.5;
  const int64_t now = nowNanoseconds();
  // The work's own rates, else another work's: the processors differ alike in every work.
  if (const double share = shareFrom(speedsOf(work), a, b, now); share > 0) return share;
  for (int other = 0; other < kWorks; ++other)
    if (const double share = shareFrom(speeds[other], a, b, now); share > 0) return share;
  return 0.5;
}

namespace {

// A share fixed by a request (above 0) within the bounds, else the measured one of the calling
// thread's processor (or, for the side thread, of the other one).
double shareOf(double fixed, SplitWork work, bool side) {
  if (fixed > 0) return std::clamp(fixed, kLeastShare, 1 - kLeastShare);
  const int mine = currentProcessor();
  const int other = otherProcessor(mine);
  return side ? processorShare(work, other, mine) : processorShare(work, mine, other);
}

}  // namespace

double callerShare(double fixed, SplitWork work) { return shareOf(fixed, work, false); }

double sideShare(double fixed, SplitWork work) { return shareOf(fixed, work, true); }

int currentProcessor() {
#if defined(__linux__)
  return sched_getcpu();
#else
  return -1;
#endif
}

int otherProcessor(int mine) {
#if defined(__linux__)
  cpu_set_t allowed;
  CPU_ZERO(&allowed);
  if (mine < 0 || sched_getaffinity(0, sizeof allowed, &allowed) != 0 || CPU_COUNT(&allowed) != 2) return -1;
  for (int cpu = 0; cpu < CPU_SETSIZE; ++cpu)
    if (cpu != mine && CPU_ISSET(cpu, &allowed)) return cpu;
#else
  (void)mine;
#endif
  return -1;
}
