#include "processing/whole_correlation.h"

#include "processing/vector_clones.h"

DETECTION_VECTOR_CLONES
void wholeCorrelations(const int16_t* __restrict s, int32_t n, const int16_t* __restrict x, std::size_t width,
                       uint32_t* __restrict corr) {
  for (std::size_t q = 0; q < width; ++q) corr[q] = 0;
  for (int32_t i = 0; i < n; ++i) {
    const int16_t si = s[i];
    const int16_t* xi = x + i;
    for (std::size_t q = 0; q < width; ++q) corr[q] += static_cast<uint32_t>(int32_t{si} * int32_t{xi[q]});
  }
}

DETECTION_VECTOR_CLONES
void wholeCorrelationsWide(const int16_t* __restrict s, int32_t n, const int16_t* __restrict x,
                           std::size_t width, int64_t* __restrict corr) {
  for (std::size_t q = 0; q < width; ++q) corr[q] = 0;
  for (int32_t i = 0; i < n; ++i) {
    const int16_t si = s[i];
    const int16_t* xi = x + i;
    // Each product fits 32 bits (at most 2^30); only the sum needs 64.
    for (std::size_t q = 0; q < width; ++q) corr[q] += int64_t{int32_t{si} * int32_t{xi[q]}};
  }
}
