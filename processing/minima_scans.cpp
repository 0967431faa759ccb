#include "processing/minima_scans.h"

#include <limits>

#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>
#define DETECTION_MINIMA_SCANS_AVX512
#endif

namespace {

// Entries from i down to `to`, carrying the minimum of everything above i and its position.
void positionsDown(const int64_t* v, int64_t i, int64_t to, int64_t first, int64_t& runMin, int64_t& runAt,
                   int64_t* outMin, int64_t* outAt) {
  for (; i >= to; --i) {
    const int64_t x = v[i];
    const bool take = x <= runMin;
    runMin = take ? x : runMin;
    runAt = take ? first + i : runAt;
    outMin[i] = runMin;
    outAt[i] = runAt;
  }
}

// The same without positions.
void valuesDown(const int64_t* v, int64_t i, int64_t to, int64_t& run, int64_t* out) {
  for (; i >= to; --i) {
    run = v[i] < run ? v[i] : run;
    out[i] = run;
  }
}

#ifdef DETECTION_MINIMA_SCANS_AVX512
// Each lane of m (positions at) takes the lane of upMin (upAt) when that is smaller.
__attribute__((target("avx512f"), always_inline)) inline void takeUpper(__m512i& m, __m512i& at,
                                                                        __m512i upMin, __m512i upAt) {
  const __mmask8 take = _mm512_cmplt_epi64_mask(upMin, m);
  m = _mm512_mask_blend_epi64(take, m, upMin);
  at = _mm512_mask_blend_epi64(take, at, upAt);
}

// Eight entries at a time, below the count % 8 at the top: within a vector each lane takes the
// minimum of the lanes above it in three doubling steps, then the carry from the vectors
// above; a lane keeps its own value on a tie (the lower position). The masked forms of the
// operations say what every lane holds.
__attribute__((target("avx512f"))) void positionsWide(const int64_t* v, int64_t count, int64_t first,
                                                      int64_t* outMin, int64_t* outAt) {
  int64_t runMin = v[count - 1], runAt = first + count - 1;
  positionsDown(v, count - 1, count - count % 8, first, runMin, runAt, outMin, outAt);
  const __m512i none = _mm512_set1_epi64(std::numeric_limits<int64_t>::max());
  const __m512i lanes = _mm512_set_epi64(7, 6, 5, 4, 3, 2, 1, 0);
  const __m512i lane0 = _mm512_setzero_si512();
  __m512i carryMin = _mm512_set1_epi64(runMin);
  __m512i carryAt = _mm512_set1_epi64(runAt);
  for (int64_t a = count - count % 8 - 8; a >= 0; a -= 8) {
    __m512i m = _mm512_loadu_si512(v + a);
    __m512i at = _mm512_add_epi64(_mm512_set1_epi64(first + a), lanes);
    takeUpper(m, at, _mm512_maskz_alignr_epi64(0xFF, none, m, 1),
              _mm512_maskz_alignr_epi64(0xFF, none, at, 1));
    takeUpper(m, at, _mm512_maskz_alignr_epi64(0xFF, none, m, 2),
              _mm512_maskz_alignr_epi64(0xFF, none, at, 2));
    takeUpper(m, at, _mm512_maskz_alignr_epi64(0xFF, none, m, 4),
              _mm512_maskz_alignr_epi64(0xFF, none, at, 4));
    takeUpper(m, at, carryMin, carryAt);
    _mm512_storeu_si512(outMin + a, m);
    _mm512_storeu_si512(outAt + a, at);
    carryMin = _mm512_maskz_permutexvar_epi64(0xFF, lane0, m);
    carryAt = _mm512_maskz_permutexvar_epi64(0xFF, lane0, at);
  }
}

__attribute__((target("avx512f"))) void valuesWide(const int64_t* v, int64_t count, int64_t* out) {
  int64_t run = v[count - 1];
  valuesDown(v, count - 1, count - count % 8, run, out);
  const __m512i none = _mm512_set1_epi64(std::numeric_limits<int64_t>::max());
  const __m512i lane0 = _mm512_setzero_si512();
  __m512i carry = _mm512_set1_epi64(run);
  for (int64_t a = count - count % 8 - 8; a >= 0; a -= 8) {
    __m512i m = _mm512_loadu_si512(v + a);
    m = _mm512_maskz_min_epi64(0xFF, m, _mm512_maskz_alignr_epi64(0xFF, none, m, 1));
    m = _mm512_maskz_min_epi64(0xFF, m, _mm512_maskz_alignr_epi64(0xFF, none, m, 2));
    m = _mm512_maskz_min_epi64(0xFF, m, _mm512_maskz_alignr_epi64(0xFF, none, m, 4));
    m = _mm512_maskz_min_epi64(0xFF, m, carry);
    _mm512_storeu_si512(out + a, m);
    carry = _mm512_maskz_permutexvar_epi64(0xFF, lane0, m);
  }
}

__attribute__((target("avx512f"))) int64_t steadyWide(const int64_t* low, const int64_t* suffix,
                                                      const int64_t* score, int64_t* out, int64_t count,
                                                      int64_t start, int64_t& prefixMin,
                                                      int64_t* nearestAbove, int64_t* nearestBelow) {
  const __m512i none = _mm512_set1_epi64(std::numeric_limits<int64_t>::max());
  const __m512i lane7 = _mm512_set1_epi64(7);
  const __m512i starts = _mm512_set1_epi64(start);
  const __m512i zero = _mm512_setzero_si512();
  __m512i carry = _mm512_set1_epi64(prefixMin);
  __m512i above = none, below = _mm512_set1_epi64(std::numeric_limits<int64_t>::min());
  int64_t i = 0;
  for (; i + 8 <= count; i += 8) {
    // Prefix minima: lane j takes the lanes below it in three doubling steps, then the carry.
    __m512i m = _mm512_loadu_si512(low + i);
    m = _mm512_maskz_min_epi64(0xFF, m, _mm512_maskz_alignr_epi64(0xFF, m, none, 7));
    m = _mm512_maskz_min_epi64(0xFF, m, _mm512_maskz_alignr_epi64(0xFF, m, none, 6));
    m = _mm512_maskz_min_epi64(0xFF, m, _mm512_maskz_alignr_epi64(0xFF, m, none, 4));
    m = _mm512_maskz_min_epi64(0xFF, m, carry);
    carry = _mm512_maskz_permutexvar_epi64(0xFF, lane7, m);
    __m512i window = m;
    if (suffix != nullptr) window = _mm512_maskz_min_epi64(0xFF, window, _mm512_loadu_si512(suffix + i));
    if (nearestAbove != nullptr) {
      const __m512i d = _mm512_maskz_sub_epi64(0xFF, starts, window);
      const __mmask8 positive = _mm512_cmpgt_epi64_mask(d, zero);
      above = _mm512_mask_min_epi64(above, positive, above, d);
      below = _mm512_mask_max_epi64(below, static_cast<__mmask8>(~positive), below, d);
    }
    const __m512i best = _mm512_maskz_min_epi64(0xFF, window, starts);
    _mm512_storeu_si512(out + i, _mm512_maskz_add_epi64(0xFF, best, _mm512_loadu_si512(score + i)));
  }
  alignas(64) int64_t lanes[8];
  _mm512_store_si512(lanes, carry);
  prefixMin = lanes[0];
  if (nearestAbove != nullptr) {
    _mm512_store_si512(lanes, above);
    for (int64_t d : lanes) *nearestAbove = d < *nearestAbove ? d : *nearestAbove;
    _mm512_store_si512(lanes, below);
    for (int64_t d : lanes) *nearestBelow = d > *nearestBelow ? d : *nearestBelow;
  }
  return i;
}

bool hasWide() {
  static const bool has = __builtin_cpu_supports("avx512f");
  return has;
}

// Short runs gain nothing from the vectors.
bool wide(int64_t count) { return count >= 16 && hasWide(); }
#endif

}  // namespace

void suffixMinima(const int64_t* v, int64_t count, int64_t first, int64_t* outMin, int64_t* outAt) {
#ifdef DETECTION_MINIMA_SCANS_AVX512
  if (wide(count)) {
    positionsWide(v, count, first, outMin, outAt);
    return;
  }
#endif
  int64_t runMin = v[count - 1], runAt = first + count - 1;
  positionsDown(v, count - 1, 0, first, runMin, runAt, outMin, outAt);
}

void suffixMinimaOfValues(const int64_t* v, int64_t count, int64_t* out) {
#ifdef DETECTION_MINIMA_SCANS_AVX512
  if (wide(count)) {
    valuesWide(v, count, out);
    return;
  }
#endif
  int64_t run = v[count - 1];
  valuesDown(v, count - 1, 0, run, out);
}

int64_t steadyWindowValues(const int64_t* low, const int64_t* suffix, const int64_t* score, int64_t* out,
                           int64_t count, int64_t tmin, int64_t start, int64_t& prefixMin,
                           int64_t* nearestAbove, int64_t* nearestBelow) {
#ifdef DETECTION_MINIMA_SCANS_AVX512
  if (tmin >= 8 && count >= 8 && hasWide())
    return steadyWide(low, suffix, score, out, count, start, prefixMin, nearestAbove, nearestBelow);
#else
  (void)nearestAbove;
  (void)nearestBelow;
  (void)low;
  (void)suffix;
  (void)score;
  (void)out;
  (void)count;
  (void)tmin;
  (void)start;
  (void)prefixMin;
#endif
  return 0;
}
