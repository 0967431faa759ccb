#include "display/restore_error.h"

#include "display/series_etalon.h"
#include "processing/chains_header.h"
#include "signal/pulse_header.h"
#include "signal/series_header.h"

int32_t restoreError(Window& window, const ChainsHeader* chains, const SeriesHeader* series) {
  (void)window;
  if (series == nullptr || series->lpPureData == nullptr) return 0;
  int32_t count = 0;
  if (chains != nullptr && chains->wPretenders > 0 && chains->pulsesList != nullptr) {
    count = chains->wSeekingPulsesQuantity;
    if (count > chains->wMaxPulses) count = chains->wMaxPulses;
  }
  const int32_t L = series->wImpulseSize;
  uint32_t sum = 0;  // the square sum wraps like the 32-bit original
  int32_t i = 0;
  for (uint32_t k = 0; k < series->dwSeriesSize; ++k) {
    int32_t rebuilt = 0;
    if (i < count && static_cast<int64_t>(k) == int64_t{chains->positionsList[0][i]} + L) ++i;
    if (i < count) {
      const int64_t offset = static_cast<int64_t>(k) - chains->positionsList[0][i];
      if (offset >= 0 && offset < L) {
        const int32_t j = static_cast<int32_t>(offset);
        const PulseHeader* etalon = seriesEtalon(*series, chains->pulsesList[0][i]);
        if (etalon != nullptr && j < etalon->wSize && chains->cutOffBeginList[0][i] <= j &&
            j <= chains->cutOffEndList[0][i])
          rebuilt = etalon->lpData[j];
      }
    }
    const int32_t d = series->lpPureData[k] - rebuilt;
    sum += static_cast<uint32_t>(int64_t{d} * d);
  }
  return static_cast<int32_t>(sum);
}

int32_t trueConfigurationMeasure(Window& window, const SeriesHeader* series) {
  (void)window;
  if (series == nullptr || series->lpNoisyData == nullptr || series->lpPositions == nullptr) return 0;
  uint32_t sum = 0;
  for (int32_t i = 0; i < series->wImpulseQuantity; ++i) {
    const PulseHeader* etalon = seriesEtalon(*series, series->lpEtalonNumbers[i]);
    if (etalon == nullptr) continue;
    const int32_t p = series->lpPositions[i];
    const int32_t last = series->lpCutEnd[i] < etalon->wSize - 1 ? series->lpCutEnd[i] : etalon->wSize - 1;
    for (int32_t j = series->lpCutBegin[i] > 0 ? series->lpCutBegin[i] : 0; j <= last; ++j) {
      const int64_t at = int64_t{p} + j;
      if (at < 0 || at >= static_cast<int64_t>(series->dwSeriesSize)) continue;
      const int32_t e = etalon->lpData[j];
      sum += static_cast<uint32_t>(int64_t{e} * (e - 2 * int64_t{series->lpNoisyData[at]}));
    }
  }
  return static_cast<int32_t>(sum);
}
