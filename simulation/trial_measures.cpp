#include "simulation/trial_measures.h"

#include <algorithm>
#include <limits>

#include "signal/pulse_header.h"
#include "signal/series_header.h"

static int32_t saturate32(int64_t v) {
  return static_cast<int32_t>(
      std::clamp<int64_t>(v, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
}

// The etalon record of a found pulse, or null when the number names no etalon of the header.
static const PulseHeader* foundEtalon(const SeriesHeader& s, int16_t number) {
  if (s.lpPulsesList == nullptr || number < 1 || number > s.wEtalonsQuantity) return nullptr;
  return s.lpPulsesList[number - 1];
}

int64_t restoringError(const SeriesHeader& s) {
  const int64_t size = s.dwSeriesSize;
  const int64_t length = s.wImpulseSize;
  int64_t sum = 0;
  for (int64_t t = 0; t < size; ++t) sum += int64_t{s.lpPureData[t]} * s.lpPureData[t];
  // Each found pulse models the samples from where the previous one ended (or its own origin)
  // to its own end; the sum changes only where its model is not zero.
  int64_t claimed = 0;  // first sample no earlier pulse has claimed
  for (int64_t i = 0; i < s.wRestoredQuantity; ++i) {
    const int64_t start = s.lpRestoredPositions[i];
    const int64_t end = start + length - 1;
    if (end < claimed) continue;  // lies wholly behind an earlier pulse
    const PulseHeader* e = foundEtalon(s, s.lpRestoredEtalons[i]);
    if (e != nullptr && e->lpData != nullptr) {
      const int64_t first =
          std::max({std::max(start, claimed) - start, int64_t{s.lpRestoredCutBegin[i]}, int64_t{0}});
      const int64_t last =
          std::min({std::min(end, size - 1) - start, int64_t{s.lpRestoredCutEnd[i]}, int64_t{e->wSize} - 1});
      for (int64_t index = first; index <= last; ++index) {
        const int64_t pure = s.lpPureData[start + index];
        const int64_t d = pure - e->lpData[index];
        sum += d * d - pure * pure;
      }
    }
    claimed = end + 1;
  }
  return sum;
}

int64_t scaledPositionError(uint16_t pulses, uint16_t seeking, const int16_t* positions,
                            const int16_t* restored) {
  if (pulses == 0) return 0;
  const uint16_t count = std::min(pulses, seeking);
  int64_t h = 0;
  for (uint16_t m = 0; m < count; ++m) {
    const int64_t d = int64_t{positions[m]} - restored[m];
    h += d * d;
  }
  return (int64_t{pulses} + 256 * h) / (2 * int64_t{pulses});
}

int32_t meanRestoringError(int64_t sum, int32_t repeats) {
  if (repeats <= 0) return 0;
  return saturate32((2 * sum + repeats) / (2 * int64_t{repeats}));
}

int32_t cellPositionError(int64_t scaledSum) { return saturate32(scaledSum / 128); }
