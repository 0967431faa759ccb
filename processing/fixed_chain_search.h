#pragma once
#include <cstdint>
#include <vector>

// The dynamic programming of the known-number solvers, over precomputed scores: pulse j may
// start at positions lo[j] .. hi[j] (already within 0 .. N - n; lo > hi means none), and
// neighbouring starts lie tmin .. tmax apart. A chain's value is the sum of the scores of
// its pulses, pulse j at position p scoring scoreOfPulse[j][p].
//
// Forward pass: D[0][p] = score; for j > 0, D[j][p] = B + score with B the smallest
// D[j-1][l] below forwardStart over the window [p - tmax, p - tmin] within pulse j-1's range
// (B = forwardStart when none is smaller). The last pulse takes the lowest position with the
// smallest D below lastStart; every earlier pulse the lowest position of its window with the
// smallest D below backwardStart.

struct FixedChainStarts {
  int32_t forward = 0;
  int32_t last = 0;
  int32_t backward = 0;
};

// Working storage, reused between runs so that a run allocates only when it needs more.
struct FixedChainWork {
  std::vector<int32_t> d;        // the rows of D, row j holding hi[j] - lo[j] + 1 values
  std::vector<uint32_t> offset;  // start of each row in d
  std::vector<int32_t> window;   // block minima of the previous row (2 x the widest range), then the trace
};

// Values the work needs for q pulses with the given ranges (to be checked before running).
uint64_t fixedChainWorkValues(uint16_t q, const int32_t* lo, const int32_t* hi);

// Runs both passes. Returns true and fills positions[0 .. q-1] and value when a chain exists;
// false (positions untouched) when a range is empty or nothing lies below a starting value.
// May throw std::bad_alloc.
bool searchFixedChain(FixedChainWork& work, uint16_t q, const int32_t* lo, const int32_t* hi, int32_t tmin,
                      int32_t tmax, const int32_t* const* scoreOfPulse, const FixedChainStarts& starts,
                      int32_t* positions, int32_t& value);
