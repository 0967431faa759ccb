#include "shell/etalon_from_series.h"

#include <algorithm>

#include "display/app_state.h"
#include "display/result_view.h"
#include "display/text_format.h"
#include "platform/message_sink.h"
#include "platform/window.h"
#include "platform/window_procedure.h"
#include "shell/file_commands.h"

namespace {

// The noisy strip of the result view as the last paint laid it out.
Rect noisyStrip(const AppState& state) {
  const ResultGeometry g = resultGeometry(state.layout.workArea, state.layout.lineHeight,
                                          state.wEtalonsQuantity, state.drawSpecialGraphSize != 0);
  return g.strip(1);
}

// The sample under x on a strip spreading `count` samples over its width.
int64_t sampleAt(const Rect& strip, int32_t x, int64_t count) {
  const int64_t span = std::max<int64_t>(strip.right - strip.left, 1);
  const int64_t offset = std::clamp<int64_t>(x - strip.left, 0, span);
  return offset * (count - 1) / span;
}

}  // namespace

bool beginEtalonDrag(AppState& state, int32_t x, int32_t y, uint32_t keys) {
  state.etalonDragFrom = -1;
  if ((keys & (kMkShift | kMkControl)) == 0 || state.viewState != 6 || state.resultKind != 1 ||
      state.opened.seriesFile.empty() || state.opened.samples.size() < 2 || state.opened.isLong())
    return false;
  const Rect strip = noisyStrip(state);
  if (x < strip.left || x > strip.right || y < strip.top || y > strip.bottom) return false;
  state.etalonDragFrom = x;
  return true;
}

bool endEtalonDrag(Window& window, AppState& state, int32_t x) {
  if (state.etalonDragFrom < 0) return false;
  const int32_t from = state.etalonDragFrom;
  state.etalonDragFrom = -1;
  const auto count = static_cast<int64_t>(state.opened.samples.size());
  const Rect strip = noisyStrip(state);
  const int64_t a = sampleAt(strip, std::min(from, x), count), b = sampleAt(strip, std::max(from, x), count);
  if (b <= a) return true;  // a click, not a stretch
  const std::string caption =
      formatText(" Samples %lld..%lld ", static_cast<long long>(a), static_cast<long long>(b));
  if (window.messageBox("Use as etalon", caption, kMbYesNo | kMbIconQuestion) != kIdYes) return true;
  useStretchAsEtalon(window, state, static_cast<size_t>(a), static_cast<size_t>(b));
  return true;
}
