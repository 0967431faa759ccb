#include "processing/position_sets.h"

namespace {

// Whether one held interval contains [lo, hi] (adding it would change nothing).
bool holds(const IntervalSet& set, int64_t lo, int64_t hi) {
  uint16_t a = 0;  // becomes the number of intervals starting at or below lo
  uint16_t b = set.count;
  while (a < b) {
    const uint16_t mid = static_cast<uint16_t>((a + b) / 2);
    if (set.starts[mid] <= lo)
      a = static_cast<uint16_t>(mid + 1);
    else
      b = mid;
  }
  return a > 0 && set.ends[a - 1] >= hi;
}

// Adds [lo, hi] to the set when it holds a position; bounds outside the 16-bit positions
// are clipped, an interval with a negative upper bound is empty.
void addBounded(IntervalSet* set, int64_t lo, int64_t hi) {
  if (hi < 0 || lo > hi) return;
  if (lo < 0) lo = 0;
  if (lo > 65535) return;
  if (hi > 65535) hi = 65535;
  // Most intervals of consecutive pulse counts lie inside what is held already.
  if (holds(*set, lo, hi)) return;
  // A full set loses the interval, as every solver accepts.
  addInterval(set, static_cast<uint16_t>(lo), static_cast<uint16_t>(hi));
}

int64_t maxOf(int64_t a, int64_t b) { return a > b ? a : b; }
int64_t minOf(int64_t a, int64_t b) { return a < b ? a : b; }

}  // namespace

bool buildPositionSets(PositionSets& sets, uint32_t seriesSize, uint16_t impulseSize, uint16_t tmin,
                       uint16_t tmax, uint16_t minPulses, uint16_t maxPulses) {
  sets.first = getIntervalSet(nullptr, maxPulses);
  sets.later = getIntervalSet(nullptr, maxPulses);
  sets.last = getIntervalSet(nullptr, maxPulses);
  if (sets.first == nullptr || sets.later == nullptr || sets.last == nullptr) {
    freePositionSets(sets);
    return false;
  }
  const int64_t n = impulseSize;
  const int64_t size = seriesSize;
  const int64_t t0 = tmin;
  const int64_t t1 = tmax;
  for (int64_t j = minPulses; j <= maxPulses; ++j) {
    addBounded(sets.first, maxOf(0, size - t1 * j), minOf(t1 - n, size - n - t0 * (j - 1)));
    for (int64_t k = 1; k <= j - 1; ++k)
      addBounded(sets.later, maxOf(size - t1 * (j - k), t0 * k),
                 minOf(t1 * (k + 1) - n, size - n - t0 * (j - k - 1)));
    addBounded(sets.last, maxOf(size - t1, t0 * (j - 1)), minOf(size - n, t1 * j - n));
  }
  return true;
}

void freePositionSets(PositionSets& sets) {
  sets.first = freeIntervalSet(sets.first);
  sets.later = freeIntervalSet(sets.later);
  sets.last = freeIntervalSet(sets.last);
}

bool splitPositionSets(const PositionSets& sets, IntervalSet*& firstOnly, IntervalSet*& firstAndLater,
                       IntervalSet*& laterOnly) {
  firstOnly = copyIntervalSet(nullptr, sets.first);
  firstAndLater = copyIntervalSet(nullptr, sets.first);
  laterOnly = copyIntervalSet(nullptr, sets.later);
  bool ok = firstOnly != nullptr && firstAndLater != nullptr && laterOnly != nullptr;
  if (ok) {
    cutIntervalSet(firstOnly, sets.later);
    ok = intersectIntervalSet(firstAndLater, sets.later) == 1;
    cutIntervalSet(laterOnly, sets.first);
  }
  if (!ok) {
    firstOnly = freeIntervalSet(firstOnly);
    firstAndLater = freeIntervalSet(firstAndLater);
    laterOnly = freeIntervalSet(laterOnly);
  }
  return ok;
}
