#pragma once
#include <cstdint>

struct SeriesHeader;

// Rebuilds the series from the pulses a solver found (lpRestoredPositions, lpRestoredEtalons,
// kept parts lpRestoredCutBegin .. lpRestoredCutEnd, wRestoredQuantity of them, in increasing
// position order) and gives the sum of squared differences to the noiseless series. With no
// pulse found it is the energy of the noiseless series. Found pulses that lie wholly before an
// earlier one are skipped; an etalon number outside the header's alphabet models as zeros.
// The sum is exact (64-bit).
int64_t restoringError(const SeriesHeader& series);

// The scaled position error of one trial: H = sum over m < min(pulses, seeking) of
// (positions[m] - restored[m])^2, scaled to (pulses + 256 H) / (2 pulses), that is 128 H / pulses
// rounded. Computed in 64 bits, so a large H cannot wrap. 0 when pulses is 0.
int64_t scaledPositionError(uint16_t pulses, uint16_t seeking, const int16_t* positions,
                            const int16_t* restored);

// Mean of a cell's restoring errors, rounded: (2 sum + repeats) / (2 repeats), saturated to the
// 32-bit range of a table cell. 0 when repeats <= 0.
int32_t meanRestoringError(int64_t sum, int32_t repeats);

// A cell's position error: the sum of the scaled errors / 128 (truncating), saturated to 32 bits.
int32_t cellPositionError(int64_t scaledSum);
