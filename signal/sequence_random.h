#pragma once
#include <cstdint>

// The generator that draws the etalon sequence of a new run: a linear congruential
// generator over 32 bits whose value is bits 16..30 of the state (0 .. 32767).
// The dispatcher (and the command-line companion, which replays its runs) uses it; it
// starts at 1 and is never reseeded.
inline int32_t nextSequenceRandom(uint32_t& state) {
  state = state * 214013u + 2531011u;
  return static_cast<int32_t>((state >> 16) & 0x7FFFu);
}
