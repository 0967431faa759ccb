#include "shell/opened_series.h"

#include <algorithm>
#include <string>

#include "display/app_state.h"
#include "files/series_fit.h"
#include "platform/window.h"
#include "signal/pulse_bounds.h"
#include "signal/series_header.h"
#include "signal/series_maker.h"
#include "signal/task_codes.h"

namespace {

constexpr uint32_t kWarning = kMbOk | kMbIconWarning;

}  // namespace

bool installSeries(Window& window, AppState& state, const std::vector<int16_t>& samples,
                   const std::string& source) {
  const auto n = static_cast<uint32_t>(samples.size());
  const uint16_t wMin = seriesMinPulses(n, state.wImpulseSize, state.wTmax);
  const uint16_t wMax = maxPulsesFor(n, state.wImpulseSize, state.wTmin);
  if (n < state.wImpulseSize || wMax < wMin) {
    window.messageBox(seriesTooShortText(source, n, state.wImpulseSize, state.wTmin, state.wTmax),
                      " Open series ", kWarning);
    return false;
  }
  SeriesHeader* header = getCutOffSeriesHeader(window, state.wEtalonsQuantity, state.wImpulseSize,
                                               state.wTmin, state.wTmax, n, state.lpCutOffSeriesHeader);
  state.lpCutOffSeriesHeader = header;
  if (header == nullptr) return false;
  const uint16_t q = isUnknownNumberSeries(state.seriesType)
                         ? uint16_t{0}
                         : std::clamp<uint16_t>(state.wPulsesUsed, wMin, wMax);
  if (q != 0) state.wPulsesUsed = q;
  return setGivenSeries(window, samples.data(), n, state.wEtalonsQuantity, state.etalonAlphabet,
                        state.wImpulseSize, state.wTmin, state.wTmax, q, header) == 1;
}

bool prepareOpenedSeries(Window& window, AppState& state) {
  const SeriesHeader* before = state.lpCutOffSeriesHeader;
  std::vector<int16_t> noisy;
  int16_t noise = 0;
  if (before != nullptr && before->lpNoisyData != nullptr &&
      before->dwSeriesSize == state.opened.samples.size()) {
    noisy.assign(before->lpNoisyData, before->lpNoisyData + before->dwSeriesSize);
    noise = before->wNoiseLevel;
  }
  if (!installSeries(window, state, state.opened.samples, state.opened.seriesFile)) return false;
  SeriesHeader* series = state.lpCutOffSeriesHeader;
  if (noisy.size() == series->dwSeriesSize) {
    std::copy(noisy.begin(), noisy.end(), series->lpNoisyData);
    series->wNoiseLevel = noise;
  }
  return true;
}
