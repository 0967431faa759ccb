#include "shell/long_recording_run.h"

#include <algorithm>
#include <cstdint>

#include "display/app_state.h"
#include "files/sample_scaling.h"
#include "platform/window.h"
#include "processing/long_recording.h"
#include "signal/task_codes.h"

std::string longRecordingRefusal(const std::string& file, uint64_t samples) {
  return seriesSizeProblem(samples, kMaxSolverSeriesSize, file,
                           "\"Skip samples\" and \"Number of samples\"; recordings of any length are "
                           "processed for detection, recognition and joint detection of an unknown "
                           "number of whole pulses, and detection and joint detection of a known number");
}

bool processLongRecording(Window& window, AppState& state) {
  OpenedFiles& o = state.opened;
  LongRecordingResult& result = o.longResult;
  result.answered = false;
  result.answer = LongAnswer{};
  result.task = state.effectiveTaskType;
  result.etalonLength = state.wImpulseSize;
  ++result.run;
  state.viewState = 6;
  state.resultKind = 1;
  constexpr uint32_t kWarning = kMbOk | kMbIconWarning;
  if (!longRecordingAnswers(state.effectiveTaskType, state.seriesType)) {
    window.messageBox(longRecordingRefusal(o.seriesFile, o.samples.size()), " Long recording ", kWarning);
    return false;
  }
  if (state.processingLevelUsed != 100) {
    window.messageBox(
        "Kept parts of cut-off pulses are searched in series of at most 32,767 samples; "
        "set the processing level to 100 for this recording",
        " Long recording ", kWarning);
    return false;
  }
  LongRequest r;
  r.samples = o.samples.data();
  r.size = static_cast<int64_t>(o.samples.size());
  r.n = state.wImpulseSize;
  r.tmin = state.wTmin;
  r.tmax = state.wTmax;
  r.task = state.effectiveTaskType == kTaskRecognition ? LongTask::kRecognize : LongTask::kDetect;
  if (state.seriesType == kSeriesFixedWhole) {
    // A known number: the midpoint of the recording's admissible range, as for an opened series.
    const int64_t fewest = std::max<int64_t>(1, (r.size + r.n - 1) / std::max<int32_t>(r.tmax, 1));
    const int64_t most = r.size + r.tmin >= r.n ? (r.size - r.n + r.tmin) / std::max<int32_t>(r.tmin, 1) : 0;
    r.pulses = (fewest + most) / 2;
  }
  // As the workbench's solvers: every required etalon is a candidate.
  const uint16_t count = state.requiredList != nullptr ? state.requiredCount : uint16_t{0};
  for (uint16_t k = 0; k < count; ++k) {
    const uint16_t number = state.requiredList[k];
    if (number < 1 || number > kAlphabetRecords) continue;
    r.etalons.push_back(state.etalonAlphabet[number - 1].lpData);
    r.etalonNumbers.push_back(number);
  }
  state.requiredListUsed.assign(state.requiredList, state.requiredList + count);
  LongAnswer answer;
  if (!solveLongRecording(window, r, answer)) return false;
  result.answer = std::move(answer);
  result.answered = true;
  return true;
}
