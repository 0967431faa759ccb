#pragma once
#include <cstdint>

#include "processing/interval_set.h"

// The admissible start positions of an unknown-number series, in three roles, built for
// every pulse count J from minPulses to maxPulses: `first` (pulse 0), `later` (pulses
// 1 .. J-1) and `last` (pulse J-1). Each set has capacity maxPulses; bounds are computed in
// signed arithmetic, and an interval whose upper bound is negative or below its lower
// bound is left out.
struct PositionSets {
  IntervalSet* first = nullptr;
  IntervalSet* later = nullptr;
  IntervalSet* last = nullptr;
};

// Builds the three sets for a series of seriesSize samples with etalons of impulseSize.
// Returns false when memory is short (every set is then released and null).
bool buildPositionSets(PositionSets& sets, uint32_t seriesSize, uint16_t impulseSize, uint16_t tmin,
                       uint16_t tmax, uint16_t minPulses, uint16_t maxPulses);

// Releases the three sets; accepts sets already released.
void freePositionSets(PositionSets& sets);

// Positions of the three roles the solvers walk: first only (first minus later), first
// and later (their intersection) and later only (later minus first). Each argument is an
// owned copy the caller frees; returns false when memory is short (all three released).
bool splitPositionSets(const PositionSets& sets, IntervalSet*& firstOnly, IntervalSet*& firstAndLater,
                       IntervalSet*& laterOnly);
