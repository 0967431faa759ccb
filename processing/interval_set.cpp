#include "processing/interval_set.h"

#include <new>

#include "signal/memory_failure.h"

namespace {

// Index of the first interval that ends at or after `position` (count when none).
uint16_t firstEndingFrom(const IntervalSet& s, uint16_t position) {
  uint16_t i = 0;
  while (i < s.count && s.ends[i] < position) ++i;
  return i;
}

// Removes intervals [from, to) by shifting the rest down.
void eraseRange(IntervalSet& s, uint16_t from, uint16_t to) {
  const uint16_t removed = static_cast<uint16_t>(to - from);
  if (removed == 0) return;
  for (uint16_t k = to; k < s.count; ++k) {
    s.starts[k - removed] = s.starts[k];
    s.ends[k - removed] = s.ends[k];
  }
  s.count = static_cast<uint16_t>(s.count - removed);
}

// Inserts [first, last] at index `at`; the caller has checked the capacity.
void insertAt(IntervalSet& s, uint16_t at, uint16_t first, uint16_t last) {
  for (uint16_t k = s.count; k > at; --k) {
    s.starts[k] = s.starts[k - 1];
    s.ends[k] = s.ends[k - 1];
  }
  s.starts[at] = first;
  s.ends[at] = last;
  ++s.count;
}

}  // namespace

IntervalSet* getIntervalSet(IntervalSet* set, uint16_t capacity) {
  const bool made = allocated([&] {
    if (set == nullptr) set = new IntervalSet();
    if (set->starts == nullptr || set->capacity < capacity) {
      delete[] set->starts;
      set->starts = nullptr;
      set->ends = nullptr;
      set->capacity = 0;
      set->starts = new uint16_t[2u * capacity];
      set->ends = set->starts + capacity;
      set->capacity = capacity;
    }
  });
  if (!made) {
    freeIntervalSet(set);
    return nullptr;
  }
  set->count = 0;
  for (uint32_t i = 0; i < 2u * set->capacity; ++i) set->starts[i] = 0;
  return set;
}

IntervalSet* freeIntervalSet(IntervalSet* set) {
  if (set != nullptr) {
    delete[] set->starts;
    delete set;
  }
  return nullptr;
}

int addInterval(IntervalSet* set, uint16_t first, uint16_t last) {
  if (set == nullptr || last < first) return 0;
  IntervalSet& s = *set;
  const uint16_t i = firstEndingFrom(s, first);
  uint16_t j = i;  // one past the last interval that [first, last] overlaps
  while (j < s.count && s.starts[j] <= last) ++j;
  if (i == j) {
    if (s.count >= s.capacity) return 0;
    insertAt(s, i, first, last);
    return 1;
  }
  const uint16_t lo = s.starts[i] < first ? s.starts[i] : first;
  const uint16_t hi = s.ends[j - 1] > last ? s.ends[j - 1] : last;
  s.starts[i] = lo;
  s.ends[i] = hi;
  eraseRange(s, static_cast<uint16_t>(i + 1), j);
  return 1;
}

int addIntervalSet(IntervalSet* set, const IntervalSet* other) {
  if (set == nullptr || other == nullptr) return 0;
  // A set united with itself does not change; walking a copy of the bounds keeps the loop
  // safe when other is set.
  if (set == other) return 1;
  for (uint16_t k = 0; k < other->count; ++k) addInterval(set, other->starts[k], other->ends[k]);
  return 1;
}

int cutInterval(IntervalSet* set, uint16_t first, uint16_t last) {
  if (set == nullptr || last < first) return 0;
  IntervalSet& s = *set;
  const uint16_t i = firstEndingFrom(s, first);
  uint16_t j = i;
  while (j < s.count && s.starts[j] <= last) ++j;
  if (i == j) return 1;
  const bool keepHead = s.starts[i] < first;
  const bool keepTail = s.ends[j - 1] > last;
  if (i + 1 == j && keepHead && keepTail) {
    if (s.count >= s.capacity) return 0;
    const uint16_t tailEnd = s.ends[i];
    s.ends[i] = static_cast<uint16_t>(first - 1);
    insertAt(s, static_cast<uint16_t>(i + 1), static_cast<uint16_t>(last + 1), tailEnd);
    return 1;
  }
  uint16_t from = i;
  uint16_t to = j;
  if (keepHead) {
    s.ends[i] = static_cast<uint16_t>(first - 1);
    ++from;
  }
  if (keepTail) {
    s.starts[j - 1] = static_cast<uint16_t>(last + 1);
    --to;
  }
  if (from < to) eraseRange(s, from, to);
  return 1;
}

int cutIntervalSet(IntervalSet* set, const IntervalSet* other) {
  if (set == nullptr || other == nullptr) return 0;
  if (set == other) {
    set->count = 0;
    return 1;
  }
  for (uint16_t k = 0; k < other->count; ++k) cutInterval(set, other->starts[k], other->ends[k]);
  return 1;
}

IntervalSet* copyIntervalSet(IntervalSet* target, const IntervalSet* source) {
  if (source == nullptr) return nullptr;
  if (target == source) return target;
  target = getIntervalSet(target, source->capacity);
  if (target == nullptr) return nullptr;
  target->count = source->count;
  for (uint16_t k = 0; k < source->count; ++k) {
    target->starts[k] = source->starts[k];
    target->ends[k] = source->ends[k];
  }
  return target;
}

int clipIntervalSet(IntervalSet* set, uint16_t first, uint16_t last) {
  if (set == nullptr || last < first) return 0;
  IntervalSet& s = *set;
  uint16_t kept = 0;
  for (uint16_t k = 0; k < s.count; ++k) {
    if (s.ends[k] < first || s.starts[k] > last) continue;
    s.starts[kept] = s.starts[k] < first ? first : s.starts[k];
    s.ends[kept] = s.ends[k] > last ? last : s.ends[k];
    ++kept;
  }
  s.count = kept;
  return 1;
}

int intersectIntervalSet(IntervalSet* set, const IntervalSet* other) {
  if (set == nullptr || other == nullptr) return 0;
  IntervalSet* original = copyIntervalSet(nullptr, set);
  if (original == nullptr) return 0;
  // other may be the set itself: walk a copy of its intervals.
  IntervalSet* walls = copyIntervalSet(nullptr, other);
  if (walls == nullptr) {
    freeIntervalSet(original);
    return 0;
  }
  set->count = 0;
  int result = 1;
  for (uint16_t k = 0; k < walls->count; ++k) {
    IntervalSet* piece = copyIntervalSet(nullptr, original);
    if (piece == nullptr) {
      result = 0;
      break;
    }
    clipIntervalSet(piece, walls->starts[k], walls->ends[k]);
    addIntervalSet(set, piece);
    freeIntervalSet(piece);
  }
  if (result == 0) copyIntervalSet(set, original);
  freeIntervalSet(walls);
  freeIntervalSet(original);
  return result;
}

uint32_t intervalSetPositions(const IntervalSet& set) {
  uint32_t total = 0;
  for (uint16_t k = 0; k < set.count; ++k) total += static_cast<uint32_t>(set.ends[k] - set.starts[k]) + 1u;
  return total;
}
