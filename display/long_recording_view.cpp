#include "display/long_recording_view.h"

#include "display/app_state.h"
#include "display/opened_files.h"
#include "display/result_view.h"
#include "signal/task_codes.h"

namespace {

std::string pulsesText(size_t count) { return std::to_string(count) + (count == 1 ? " pulse" : " pulses"); }

}  // namespace

std::string longRecordingTitle(const OpenedFiles& opened) {
  const LongRecordingResult& result = opened.longResult;
  const auto samples = static_cast<uint32_t>(opened.samples.size());
  std::string title = openedSeriesTitle(opened, samples);
  if (!result.answered) return title + "- not processed ";
  const LongAnswer& a = result.answer;
  if (result.task == kTaskRecognition) {
    if (a.recognized == 0) return title + "- no etalon recognized ";
    return title + "- etalon " + std::to_string(a.recognized) + " recognized, " +
           pulsesText(a.positions.size()) + " ";
  }
  if (!a.found) return title + "- no chain found ";
  return title + "- " + pulsesText(a.positions.size()) + " found ";
}

AnswerPlot longRecordingPlot(const OpenedFiles& opened) {
  AnswerPlot plot;
  plot.samples = opened.samples;
  plot.title = longRecordingTitle(opened);
  plot.columnNote = true;
  const LongRecordingResult& result = opened.longResult;
  if (result.answered) {
    plot.found.reserve(result.answer.positions.size());
    for (const int64_t p : result.answer.positions) plot.found.push_back(PulseSpan{p, result.etalonLength});
  }
  return plot;
}

Rect longRecordingArea(const Rect& workArea) {
  return Rect{workArea.left, workArea.top, workArea.right + 1, workArea.bottom + 1};
}

void drawLongRecordingView(Surface& surface, const AppState& state) {
  drawAnswerPlotIn(surface, longRecordingArea(state.layout.workArea), longRecordingPlot(state.opened));
}
