#pragma once
// The short correlation of an etalon with the series at a run of consecutive start positions:
// the whole-pulse part of the matching step, written over contiguous 16-bit samples so that
// the compiler vectorises it.
#include <cstddef>
#include <cstdint>

// corr[q] = sum over i < n of s[i] x[q+i] for q < width, in 32-bit two's-complement
// arithmetic (exact whenever n x max|s| x max|x| < 2^31).
void wholeCorrelations(const int16_t* s, int32_t n, const int16_t* x, std::size_t width, uint32_t* corr);

// The same sums in 64 bits, exact for every etalon of up to 2^32 samples.
void wholeCorrelationsWide(const int16_t* s, int32_t n, const int16_t* x, std::size_t width, int64_t* corr);
