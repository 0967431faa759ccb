#pragma once
// Suffix minima of a run of 64-bit values with their positions, the lowest position winning
// ties: the blocks of the chain kernel's window minima, one entry a position of every pass.
#include <cstdint>

// For i = count - 1 down to 0: outMin[i] = the smallest of v[i .. count - 1] and outAt[i] its
// lowest position, positions numbered from `first` (v[i] is position first + i); count >= 1.
// On processors with 512-bit integer vectors eight entries are made at a time, with the same
// results.
void suffixMinima(const int64_t* v, int64_t count, int64_t first, int64_t* outMin, int64_t* outAt);

// The same without positions: out[i] = the smallest of v[i .. count - 1] (count >= 1).
void suffixMinimaOfValues(const int64_t* v, int64_t count, int64_t* out);
