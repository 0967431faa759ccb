#pragma once
// Scans of running minima over runs of 64-bit values, the chain kernel's hot loops: suffix
// minima (with the lowest position winning ties) for the blocks of its window minima and the
// margins' windows, and the steady stretch of a values-only pass. On processors with 512-bit
// integer vectors eight entries are made at a time, with the same results.
#include <cstdint>

// For i = count - 1 down to 0: outMin[i] = the smallest of v[i .. count - 1] and outAt[i] its
// lowest position, positions numbered from `first` (v[i] is position first + i); count >= 1.
// On processors with 512-bit integer vectors eight entries are made at a time, with the same
// results.
void suffixMinima(const int64_t* v, int64_t count, int64_t first, int64_t* outMin, int64_t* outAt);

// The same without positions: out[i] = the smallest of v[i .. count - 1] (count >= 1).
void suffixMinimaOfValues(const int64_t* v, int64_t count, int64_t* out);

// The steady stretch of a pass's window minima with values only and no breaks (see
// processing/chain_kernel.h), eight positions at a time: for i = 0 .. done - 1,
//   prefixMin = min(prefixMin, low[i]),
//   window = min(prefixMin, suffix[i] when suffix is not null),
//   out[i] = min(start, window) + score[i],
// and, when nearestAbove is not null, how close each choice came: d = start - window lowers
// nearestAbove when d > 0 and raises nearestBelow when d <= 0. low[i] lies tmin >= 8
// positions before out[i], so that eight positions depend only on values made before them.
// Returns done, a multiple of 8 up to count: 0 without 512-bit integer vectors, the caller
// making the rest.
int64_t steadyWindowValues(const int64_t* low, const int64_t* suffix, const int64_t* score, int64_t* out,
                           int64_t count, int64_t tmin, int64_t start, int64_t& prefixMin,
                           int64_t* nearestAbove = nullptr, int64_t* nearestBelow = nullptr);
