#pragma once
#include <cstdint>

// Fewest pulses a series of seriesSize samples holds with etalons of impulseSize samples:
// (N + L - 1) / Tmax in unsigned 32-bit arithmetic. 0 when Tmax is 0; a quotient above
// 65535 gives 65535.
uint16_t minPulsesFor(uint32_t seriesSize, uint16_t impulseSize, uint16_t tmax);

// Most pulses that fit: (N - L + Tmin) / Tmin in unsigned 32-bit arithmetic. 0 when Tmin
// is 0 or N + Tmin < L; a quotient above 65535 gives 65535.
uint16_t maxPulsesFor(uint32_t seriesSize, uint16_t impulseSize, uint16_t tmin);

// (min + max) / 2, truncating: how a pulse request is reset.
uint16_t midpointPulses(uint16_t minPulses, uint16_t maxPulses);

// The request when it lies in [min, max], else the midpoint.
uint16_t clampPulses(uint16_t requested, uint16_t minPulses, uint16_t maxPulses);

// Saved energy level for a lost data level: 100 - lostLevel.
int16_t savedEnergyLevel(int16_t lostLevel);

// Lowest and highest admissible origin of pulse k (0-based) of q pulses of impulseSize l in a
// series of n samples with distances tmin .. tmax between neighbouring origins. The range is
// empty (low > high) when no placement of the q pulses gives pulse k an origin.
int64_t pulseLowBound(int64_t k, int64_t n, int64_t tmin, int64_t tmax, int64_t q);
int64_t pulseHighBound(int64_t k, int64_t n, int64_t l, int64_t tmin, int64_t tmax, int64_t q);

// Fewest pulses of a series as the series makers count them: minPulsesFor raised to 1
// when it is 0.
uint16_t seriesMinPulses(uint32_t seriesSize, uint16_t impulseSize, uint16_t tmax);
