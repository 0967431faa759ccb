#pragma once
#include <cstdint>

// Cuts a chain of `count` pulses into tuples (pattern repetitions) of `tupleSize` pulses whose
// first tuple is shortened by `phase`: tuple 1 holds pulses 1 .. min(tupleSize - phase, count),
// every further tuple starts at the pulse after the previous one and holds up to tupleSize
// pulses, the last one ending at pulse `count`. Writes the 1-based first and last pulse number of
// each tuple into firsts[] and lasts[] (room for `count` entries each) and returns the number of
// tuples. Returns 0 and writes nothing when count is 0 or tupleSize is 0; a phase not below
// tupleSize is taken modulo tupleSize.
uint16_t segmentTuples(uint16_t count, uint32_t tupleSize, uint32_t phase, int16_t* firsts, int16_t* lasts);
