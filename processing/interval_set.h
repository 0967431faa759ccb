#pragma once
#include <cstdint>

// A sorted list of disjoint closed intervals of start positions. `starts` and `ends` share
// one allocation of 2 x capacity values (`ends` is its second half), owned by the set.
// Touching intervals are not joined: [3, 5] and [6, 9] stay two intervals.
struct IntervalSet {
  uint16_t capacity = 0;
  uint16_t count = 0;
  uint16_t* starts = nullptr;
  uint16_t* ends = nullptr;
};

// Allocates a set (set null) or readies an existing one for at least `capacity` intervals
// (a larger one keeps its storage), empties it and zeroes every start and end.
// Returns null when memory is short; a set passed in is then released.
IntervalSet* getIntervalSet(IntervalSet* set, uint16_t capacity);

// Releases the set and its storage; accepts null. Returns null.
IntervalSet* freeIntervalSet(IntervalSet* set);

// Unites the set with [first, last], merging the intervals it overlaps. Returns 1, or 0
// (set unchanged) when the set is null, last < first, or the capacity would be exceeded.
int addInterval(IntervalSet* set, uint16_t first, uint16_t last);

// addInterval of every interval of other, in order. Returns 1, or 0 when either is null.
int addIntervalSet(IntervalSet* set, const IntervalSet* other);

// Removes [first, last] from the set: intervals inside disappear, those sticking out are
// shortened, one containing it is split. Returns 1, or 0 (set unchanged) when the set is
// null, last < first, or a split would exceed the capacity.
int cutInterval(IntervalSet* set, uint16_t first, uint16_t last);

// The set difference: cutInterval of every interval of other. Returns 1, or 0 when either
// is null.
int cutIntervalSet(IntervalSet* set, const IntervalSet* other);

// Makes target (allocated at the source's capacity when null) a copy of source. Returns the
// target, or null when the source is null or memory is short (a target passed in is then
// released).
IntervalSet* copyIntervalSet(IntervalSet* target, const IntervalSet* source);

// Keeps only the part of the set inside [first, last]. Returns 1, or 0 when the set is null
// or last < first.
int clipIntervalSet(IntervalSet* set, uint16_t first, uint16_t last);

// The set becomes its intersection with other. Returns 1, or 0 when either is null or memory
// for the temporary copies is short (the set is then unchanged).
int intersectIntervalSet(IntervalSet* set, const IntervalSet* other);

// Number of positions the set holds.
uint32_t intervalSetPositions(const IntervalSet& set);
