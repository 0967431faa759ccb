#pragma once
#include <cstdint>
#include <limits>
#include <vector>

// A literal long-recording solver, written from the description of the chain model: the
// three position sets marked pulse count by pulse count, every score summed directly in 64
// bits, every window (and, with breaks, every earlier position) scanned position by position,
// the roles in turn. Quadratic with breaks; for the comparisons of tests only.
struct ReferenceLongAnswer {
  bool found = false;
  int64_t criterion = 0;
  std::vector<int64_t> positions;
  std::vector<int32_t> etalons;  // 0-based indexes into the etalon list
};

// Detection (joint with several etalons) over samples x with etalons of n samples; breakCost
// < 0: no breaks. forbidFrom .. forbidTo: start positions no pulse may take (empty when
// forbidTo < forbidFrom), for the margins.
ReferenceLongAnswer referenceLongDetect(const std::vector<int16_t>& x,
                                        const std::vector<std::vector<int16_t>>& etalons, int64_t tmin,
                                        int64_t tmax, int64_t breakCost, int64_t forbidFrom = 0,
                                        int64_t forbidTo = -1);

// Detection of exactly q pulses, written from the description of the known-number model: pulse
// j starts within max(j Tmin, N - Tmax (q - j)) .. min((j + 1) Tmax - n, N - n - Tmin (q - j - 1));
// D[0][p] is p's score, D[j][p] the smallest of 999,999 and D[j-1] over [p - Tmax, p - Tmin]
// within pulse j-1's starts, plus p's score; the last pulse takes the lowest start with the
// smallest D below 9,999,999, every earlier one the lowest start of its window with the
// smallest D below 999,999,999. Every sum in 64 bits, every window scanned.
ReferenceLongAnswer referenceLongKnownDetect(const std::vector<int16_t>& x,
                                             const std::vector<std::vector<int16_t>>& etalons, int64_t q,
                                             int64_t tmin, int64_t tmax);
