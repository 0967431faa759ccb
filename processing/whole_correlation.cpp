#include "processing/whole_correlation.h"

#include "processing/vector_clones.h"

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#include <immintrin.h>
#define DETECTION_MADD_CORRELATION 1
#endif

namespace {

DETECTION_VECTOR_CLONES
void correlationsPlain(const int16_t* __restrict s, int32_t n, const int16_t* __restrict x, std::size_t width,
                       uint32_t* __restrict corr) {
  for (std::size_t q = 0; q < width; ++q) corr[q] = 0;
  for (int32_t i = 0; i < n; ++i) {
    const int16_t si = s[i];
    const int16_t* xi = x + i;
    for (std::size_t q = 0; q < width; ++q) corr[q] += static_cast<uint32_t>(int32_t{si} * int32_t{xi[q]});
  }
}

DETECTION_VECTOR_CLONES
void correlationsWidePlain(const int16_t* __restrict s, int32_t n, const int16_t* __restrict x,
                           std::size_t width, int64_t* __restrict corr) {
  for (std::size_t q = 0; q < width; ++q) corr[q] = 0;
  for (int32_t i = 0; i < n; ++i) {
    const int16_t si = s[i];
    const int16_t* xi = x + i;
    // Each product fits 32 bits (at most 2^30); only the sum needs 64.
    for (std::size_t q = 0; q < width; ++q) corr[q] += int64_t{int32_t{si} * int32_t{xi[q]}};
  }
}

#ifdef DETECTION_MADD_CORRELATION
// Two taps at a time: a 32-bit lane multiplies a pair of neighbouring samples by a pair of
// etalon values and adds both products. Loads from x + q + i give the sums of the even
// positions q, q + 2, ..., those from x + q + i + 1 the odd ones; both are interleaved at the
// end. The same 32-bit two's-complement sums as the plain loop.
__attribute__((target("avx2"))) void correlationsPaired(const int16_t* s, int32_t n, const int16_t* x,
                                                        std::size_t width, uint32_t* corr) {
  std::size_t q = 0;
  // The odd loads of a last single tap reach 16 samples past q + n - 1.
  for (; q + 17 <= width; q += 16) {
    __m256i even = _mm256_setzero_si256();
    __m256i odd = _mm256_setzero_si256();
    for (int32_t i = 0; i < n; i += 2) {
      const auto low = static_cast<uint16_t>(s[i]);
      const auto high = i + 1 < n ? static_cast<uint16_t>(s[i + 1]) : uint16_t{0};
      const __m256i pair = _mm256_set1_epi32(static_cast<int32_t>(uint32_t{low} | (uint32_t{high} << 16)));
      const __m256i xe = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(x + q + i));
      const __m256i xo = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(x + q + i + 1));
      even = _mm256_add_epi32(even, _mm256_madd_epi16(xe, pair));
      odd = _mm256_add_epi32(odd, _mm256_madd_epi16(xo, pair));
    }
    const __m256i lo = _mm256_unpacklo_epi32(even, odd);
    const __m256i hi = _mm256_unpackhi_epi32(even, odd);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(corr + q), _mm256_permute2x128_si256(lo, hi, 0x20));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(corr + q + 8), _mm256_permute2x128_si256(lo, hi, 0x31));
  }
  if (q < width) correlationsPlain(s, n, x + q, width - q, corr + q);
}

// The same pairs for the 64-bit sums: a pair's two products always fit 32 bits together when
// no etalon value is -32768 (at most 2 x 32767 x 32768 < 2^31); each pair's sums are widened
// to 64 bits before they are added up.
__attribute__((target("avx2"))) void correlationsPairedWide(const int16_t* s, int32_t n, const int16_t* x,
                                                            std::size_t width, int64_t* corr) {
  std::size_t q = 0;
  for (; q + 17 <= width; q += 16) {
    // Sums of positions q + 2k (even) and q + 2k + 1 (odd), k = 0..3 and 4..7.
    __m256i even0 = _mm256_setzero_si256(), even1 = _mm256_setzero_si256();
    __m256i odd0 = _mm256_setzero_si256(), odd1 = _mm256_setzero_si256();
    for (int32_t i = 0; i < n; i += 2) {
      const auto low = static_cast<uint16_t>(s[i]);
      const auto high = i + 1 < n ? static_cast<uint16_t>(s[i + 1]) : uint16_t{0};
      const __m256i pair = _mm256_set1_epi32(static_cast<int32_t>(uint32_t{low} | (uint32_t{high} << 16)));
      const __m256i e =
          _mm256_madd_epi16(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(x + q + i)), pair);
      const __m256i o =
          _mm256_madd_epi16(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(x + q + i + 1)), pair);
      even0 = _mm256_add_epi64(even0, _mm256_cvtepi32_epi64(_mm256_castsi256_si128(e)));
      even1 = _mm256_add_epi64(even1, _mm256_cvtepi32_epi64(_mm256_extracti128_si256(e, 1)));
      odd0 = _mm256_add_epi64(odd0, _mm256_cvtepi32_epi64(_mm256_castsi256_si128(o)));
      odd1 = _mm256_add_epi64(odd1, _mm256_cvtepi32_epi64(_mm256_extracti128_si256(o, 1)));
    }
    // even0 = (q, q+2, q+4, q+6), odd0 = (q+1, q+3, q+5, q+7); even1 and odd1 the next eight.
    const __m256i a = _mm256_unpacklo_epi64(even0, odd0);  // q, q+1 | q+4, q+5
    const __m256i b = _mm256_unpackhi_epi64(even0, odd0);  // q+2, q+3 | q+6, q+7
    const __m256i c = _mm256_unpacklo_epi64(even1, odd1);
    const __m256i d = _mm256_unpackhi_epi64(even1, odd1);
    auto* out = reinterpret_cast<__m256i*>(corr + q);
    _mm256_storeu_si256(out, _mm256_permute2x128_si256(a, b, 0x20));
    _mm256_storeu_si256(out + 1, _mm256_permute2x128_si256(a, b, 0x31));
    _mm256_storeu_si256(out + 2, _mm256_permute2x128_si256(c, d, 0x20));
    _mm256_storeu_si256(out + 3, _mm256_permute2x128_si256(c, d, 0x31));
  }
  if (q < width) correlationsWidePlain(s, n, x + q, width - q, corr + q);
}

bool pairedAvailable() {
  static const bool available = __builtin_cpu_supports("avx2");
  return available;
}
#endif

}  // namespace

void wholeCorrelations(const int16_t* s, int32_t n, const int16_t* x, std::size_t width, uint32_t* corr) {
#ifdef DETECTION_MADD_CORRELATION
  if (pairedAvailable()) {
    correlationsPaired(s, n, x, width, corr);
    return;
  }
#endif
  correlationsPlain(s, n, x, width, corr);
}

void wholeCorrelationsWide(const int16_t* s, int32_t n, const int16_t* x, std::size_t width, int64_t* corr) {
#ifdef DETECTION_MADD_CORRELATION
  if (pairedAvailable()) {
    bool pairsFit = true;
    for (int32_t i = 0; i < n; ++i) pairsFit = pairsFit && s[i] != -32768;
    if (pairsFit) {
      correlationsPairedWide(s, n, x, width, corr);
      return;
    }
  }
#endif
  correlationsWidePlain(s, n, x, width, corr);
}
