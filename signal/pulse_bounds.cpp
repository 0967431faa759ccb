#include "signal/pulse_bounds.h"

#include <algorithm>

namespace {

uint16_t saturate16(uint64_t v) { return v > 0xFFFFu ? uint16_t{0xFFFF} : static_cast<uint16_t>(v); }

}  // namespace

uint16_t minPulsesFor(uint32_t seriesSize, uint16_t impulseSize, uint16_t tmax) {
  if (tmax == 0) return 0;
  // Summed in 64 bits: a length near 2^32 must not wrap to a tiny count.
  const uint64_t span = static_cast<uint64_t>(seriesSize) + impulseSize - (impulseSize > 0 ? 1u : 0u);
  return saturate16(span / tmax);
}

uint16_t maxPulsesFor(uint32_t seriesSize, uint16_t impulseSize, uint16_t tmin) {
  if (tmin == 0) return 0;
  const int64_t span = static_cast<int64_t>(seriesSize) - impulseSize + tmin;
  if (span < 0) return 0;
  return saturate16(static_cast<uint64_t>(span) / tmin);
}

int64_t pulseLowBound(int64_t k, int64_t n, int64_t tmin, int64_t tmax, int64_t q) {
  return std::max(k * tmin, n - tmax * (q - k));
}

int64_t pulseHighBound(int64_t k, int64_t n, int64_t l, int64_t tmin, int64_t tmax, int64_t q) {
  return std::min((k + 1) * tmax - l, n - l - tmin * (q - k - 1));
}

uint16_t seriesMinPulses(uint32_t seriesSize, uint16_t impulseSize, uint16_t tmax) {
  const uint16_t m = minPulsesFor(seriesSize, impulseSize, tmax);
  return m == 0 ? uint16_t{1} : m;
}

uint16_t midpointPulses(uint16_t minPulses, uint16_t maxPulses) {
  return static_cast<uint16_t>((static_cast<uint32_t>(minPulses) + maxPulses) / 2u);
}

uint16_t clampPulses(uint16_t requested, uint16_t minPulses, uint16_t maxPulses) {
  if (requested >= minPulses && requested <= maxPulses) return requested;
  return midpointPulses(minPulses, maxPulses);
}

int16_t savedEnergyLevel(int16_t lostLevel) {
  return static_cast<int16_t>(100 - static_cast<int32_t>(lostLevel));
}
