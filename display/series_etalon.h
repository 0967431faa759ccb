#pragma once
#include <cstdint>

#include "signal/pulse_header.h"
#include "signal/series_header.h"

// The alphabet record of etalon `number` (1-based) as the series lists it, or null when
// the series has no such etalon or it holds no samples.
inline const PulseHeader* seriesEtalon(const SeriesHeader& series, int32_t number) {
  if (series.lpPulsesList == nullptr || number < 1 || number > series.wEtalonsQuantity) return nullptr;
  const PulseHeader* pulse = series.lpPulsesList[number - 1];
  return (pulse != nullptr && pulse->lpData != nullptr && pulse->wSize > 0) ? pulse : nullptr;
}
