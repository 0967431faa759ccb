#pragma once
#include <cstdint>

class Window;
struct ChainsHeader;
struct SeriesHeader;

// The energy of the difference between the pure series and the series rebuilt from the
// best chain (its wSeekingPulsesQuantity pulses, each its etalon's kept part at its
// position, walked in chain order). With no chain kept the pure series' energy. The sum
// wraps in 32 bits as the original arithmetic did. 0 when the series is missing.
int32_t restoreError(Window& window, const ChainsHeader* chains, const SeriesHeader* series);

// The criterion of the true pulses on the noisy data: for every true pulse the sum over
// its kept samples j of e_j * (e_j - 2 * x[p + j]), added over the pulses (32-bit, wrapping).
// Samples outside the series and unknown etalons count nothing. 0 without a series.
int32_t trueConfigurationMeasure(Window& window, const SeriesHeader* series);
