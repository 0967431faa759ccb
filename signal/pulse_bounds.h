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

// Fewest pulses of a series as the series makers count them: minPulsesFor raised to 1
// when it is 0.
uint16_t seriesMinPulses(uint32_t seriesSize, uint16_t impulseSize, uint16_t tmax);
