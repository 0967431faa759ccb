#include "processing/solver_input.h"

#include "processing/chains_header.h"
#include "processing/working_limits.h"
#include "signal/series_header.h"

bool seriesUsable(const SeriesHeader* series, uint32_t pulses) {
  return series != nullptr && series->lpNoisyData != nullptr &&
         series->dwSeriesSize <= kMaxSolverSeriesSize && series->dwSeriesSize <= series->dwReservedSize &&
         pulses <= series->wPulsesCapacity && series->lpLowBounds != nullptr;
}

void fixedPulseRanges(const SeriesHeader& series, std::vector<int32_t>& lo, std::vector<int32_t>& hi) {
  const uint16_t q = series.wImpulseQuantity;
  const int32_t lastStart = static_cast<int32_t>(series.dwSeriesSize) - int32_t{series.wImpulseSize};
  lo.resize(q);
  hi.resize(q);
  for (uint16_t j = 0; j < q; ++j) {
    lo[j] = series.lpLowBounds[j] < 0 ? 0 : series.lpLowBounds[j];
    hi[j] = series.lpHighBounds[j] > lastStart ? lastStart : series.lpHighBounds[j];
  }
}

void spanOfRanges(const std::vector<int32_t>& lo, const std::vector<int32_t>& hi, uint16_t q, int32_t& first,
                  int32_t& last) {
  first = 0;
  last = -1;
  for (uint16_t j = 0; j < q; ++j) {
    if (lo[j] > hi[j]) continue;
    if (last < first) {
      first = lo[j];
      last = hi[j];
    }
    if (lo[j] < first) first = lo[j];
    if (hi[j] > last) last = hi[j];
  }
}

void writeRestoredChain(SeriesHeader& series, uint16_t count, const int32_t* etalons,
                        const int32_t* positions, const int32_t* begins, const int32_t* ends) {
  series.wRestoredQuantity = count;
  for (uint16_t j = 0; j < count; ++j) {
    series.lpRestoredPositions[j] = static_cast<int16_t>(positions[j]);
    series.lpRestoredEtalons[j] = static_cast<int16_t>(etalons[j]);
    series.lpRestoredCutBegin[j] = static_cast<int16_t>(begins[j]);
    series.lpRestoredCutEnd[j] = static_cast<int16_t>(ends[j]);
  }
}

uint32_t unfixedChainCapacity(const SeriesHeader& series, uint16_t tmin) {
  const uint32_t size = series.dwSeriesSize;
  const uint32_t n = series.wImpulseSize;
  const uint32_t longest = size >= n && tmin > 0 ? (size - n) / tmin + 1u : 0u;
  return longest > series.wMaxPulses ? longest : series.wMaxPulses;
}

bool unfixedRunAcceptable(const SeriesHeader* series, uint16_t tmin, const ChainsHeader* chains) {
  if (series == nullptr || tmin == 0) return false;
  const uint32_t capacity = unfixedChainCapacity(*series, tmin);
  if (!seriesUsable(series, capacity)) return false;
  return chains == nullptr || chains->wMaxPulses >= capacity;
}
