#include "shell/processing_run.h"

#include <algorithm>
#include <new>

#include "display/app_state.h"
#include "platform/window.h"
#include "processing/chains_header.h"
#include "processing/solver_choice.h"
#include "settings/setting_rules.h"
#include "shell/command_ids.h"
#include "shell/long_recording_run.h"
#include "shell/opened_series.h"
#include "shell/repaint_areas.h"
#include "signal/pulse_bounds.h"
#include "signal/sequence_random.h"
#include "signal/series_header.h"
#include "signal/series_maker.h"
#include "signal/task_codes.h"
#include "simulation/solver_call.h"

namespace {

// Grows etalonSequence to at least `needed` entries, keeping its entries and filling new
// ones with detectionEtalon. False after a message when memory runs out.
bool extendEtalonSequence(Window& window, AppState& state, uint16_t needed) {
  if (state.etalonSequence != nullptr && state.etalonSequenceCapacity >= needed) return true;
  const uint16_t capacity = needed > 0 ? needed : 1;
  uint16_t* grown = new (std::nothrow) uint16_t[capacity];
  if (grown == nullptr) {
    window.messageBox("Нет памяти для etalonSequence!", "CM_INFO", kMbOk);
    return false;
  }
  for (uint16_t k = 0; k < capacity; ++k)
    grown[k] = (state.etalonSequence != nullptr && k < state.etalonSequenceCapacity)
                   ? state.etalonSequence[k]
                   : static_cast<uint16_t>(state.detectionEtalon);
  delete[] state.etalonSequence;
  state.etalonSequence = grown;
  state.etalonSequenceCapacity = capacity;
  return true;
}

// CM_NEXT_DATA: the effective task, the pulse request, and a new etalon sequence drawn from
// the required list. With no etalon required there is nothing to draw from: the run stops.
bool nextData(Window& window, AppState& state) {
  updateEffectiveTaskType(state);
  state.wPulsesUsed = state.wPulsesRequested;
  state.wMaxPulses = maxPulsesFor(state.dwSeriesSize, state.wImpulseSize, state.wTmin);
  if (state.requiredList == nullptr || state.requiredCount == 0) return false;
  if (!extendEtalonSequence(window, state, state.wMaxPulses)) return false;
  for (uint16_t k = 0; k < state.wMaxPulses; ++k) {
    const int32_t r = nextSequenceRandom(state.sequenceRandomState);
    state.etalonSequence[k] = state.requiredList[(r >> 3) % state.requiredCount];
  }
  return true;
}

// CM_MAKE_SERIES: every requested value becomes the used one; detection and recognition
// series repeat the first etalon of the sequence.
void makeSeriesSettings(AppState& state) {
  state.dwSeriesSizeUsed = state.dwSeriesSize;
  state.wMinPulses = minPulsesFor(state.dwSeriesSize, state.wImpulseSize, state.wTmax);
  state.wMaxPulses = maxPulsesFor(state.dwSeriesSize, state.wImpulseSize, state.wTmin);
  clampPulsesUsed(state);
  state.noiseLevelUsed = state.noiseLevel;
  state.lostLevelUsed = state.lostLevel;
  state.makingLevelUsed = state.makingLevel;
  state.processingLevelUsed = state.processingLevel;
  if ((state.effectiveTaskType == 1 || state.effectiveTaskType == 2) && state.etalonSequence != nullptr)
    for (uint16_t k = 1; k < state.wMaxPulses && k < state.etalonSequenceCapacity; ++k)
      state.etalonSequence[k] = state.etalonSequence[0];
}

// CM_MAKE_SERIES_KEEP_SEQUENCE: makes the series from the current sequence.
bool makeSeries(Window& window, AppState& state) {
  state.opened.seriesFile.clear();  // a made series takes the place of a file's
  state.dwSeriesSizeUsed = state.dwSeriesSize;
  clampPulsesUsed(state);
  state.noiseLevelUsed = state.noiseLevel;
  // The makers read as many sequence entries as the series can hold pulses.
  const uint16_t needed = maxPulsesFor(state.dwSeriesSizeUsed, state.wImpulseSize, state.wTmin);
  if (!extendEtalonSequence(window, state, needed > state.wPulsesUsed ? needed : state.wPulsesUsed))
    return false;
  const uint16_t level = static_cast<uint16_t>(state.makingLevelUsed);
  if (isUnknownNumberSeries(state.seriesType)) {
    state.lpCutOffSeriesHeader =
        getRandomCountSeries(window, state.wEtalonsQuantity, state.etalonAlphabet, state.wImpulseSize,
                             state.wTmin, state.wTmax, state.dwSeriesSizeUsed, state.etalonSequence,
                             state.wAmplitude, level, state.lpCutOffSeriesHeader, state.seeds);
    if (state.lpCutOffSeriesHeader != nullptr)
      state.wPulsesUsed = state.lpCutOffSeriesHeader->wImpulseQuantity;
  } else {
    state.lpCutOffSeriesHeader =
        getCutOffSeries(window, state.wEtalonsQuantity, state.etalonAlphabet, state.wImpulseSize, state.wTmin,
                        state.wTmax, state.dwSeriesSizeUsed, state.wPulsesUsed, state.etalonSequence,
                        state.wAmplitude, level, state.lpCutOffSeriesHeader, state.seeds);
  }
  if (state.lpCutOffSeriesHeader == nullptr) {
    window.messageBox("Не могу создать ряд!", "CM_INFO", kMbOk);
    return false;
  }
  return true;
}

// CM_PROCESS: the solver of (effective task, series type), then the stamp of the run.
bool process(Window& window, AppState& state) {
  if (state.opened.isLong()) return processLongRecording(window, state);
  if (!state.opened.seriesFile.empty() && !prepareOpenedSeries(window, state)) return false;
  SeriesHeader* series = state.lpCutOffSeriesHeader;
  if (series == nullptr) return false;  // no series since a failed build: nothing to process
  // The chains must hold as many pulses as the series admits: an opened recording may admit
  // more than any series the window made.
  if (state.lpChainsHeader != nullptr && state.lpChainsHeader->wMaxPulses < series->wMaxPulses) {
    state.wChainsMaxPulses = std::max(state.wChainsMaxPulses, series->wMaxPulses);
    state.lpChainsHeader = getChainsHeader(window, static_cast<uint16_t>(state.chainsCapacity),
                                           state.wChainsMaxPulses, state.lpChainsHeader);
    if (state.lpChainsHeader == nullptr) return false;  // the builder has shown its message
  }
  ChainsHeader* chains = state.lpChainsHeader;
  const uint16_t level = static_cast<uint16_t>(state.processingLevelUsed);
  const uint16_t task = state.effectiveTaskType;
  if (task == 36 && state.selectedSubsetCount == 0) window.sendCommand(kMenuSelectSetOfPulses);
  if (task == 40 && (state.selectedSubsetCount == 0 || state.reservedSubsetCount == 0))
    window.sendCommand(kMenuSelectSetOfPulses);
  const bool reserved = state.selectedSubsetArraySize != nullptr && state.reservedSubsetList != nullptr;
  const int32_t reservedCount = reserved ? state.reservedSubsetCount : 0;
  // A tuple task with nothing to look for stops with the subset view open: a result drawn now
  // would show the chains of an earlier series under this one.
  if (task == 36 && state.selectedSubsetCount == 0) return false;
  if (task == 40 && (state.selectedSubsetCount == 0 || reservedCount == 0)) return false;
  // A series of unknown count (a user's recording) is solved by the solver that finds the count.
  const SolverRole role = solverForSeries(task, state.seriesType, series->wImpulseQuantity);
  const bool tuples = role == SolverRole::kDetectFixedTuples || role == SolverRole::kDetectUnfixedTuples ||
                      role == SolverRole::kRecognizeFixedTuples ||
                      role == SolverRole::kRecognizeUnfixedTuples;
  // The pulse solvers look for the required etalons; with none required (every etalon
  // unmarked in the alphabet) there is nothing to look for, and a result drawn now would show
  // the answer of an earlier run under this one: the alphabet is shown, to choose from.
  if (!tuples && (state.requiredList == nullptr || state.requiredCount == 0)) {
    state.viewState = 5;
    return false;
  }
  // A run fills only the fields of its own kind: tuples and the recognised subset of an earlier
  // tuple run on this series must not stay beside a pulse answer.
  series->wRestoredTuples = 0;
  series->wRecognizedSubset = 0;
  {
    state.requiredListUsed.assign(
        state.requiredList, state.requiredList + (state.requiredList != nullptr ? state.requiredCount : 0));
    SolverCall call;
    call.alphabet = state.etalonAlphabet;
    call.etalonCount = state.requiredCount;
    call.etalons = state.requiredList;
    call.tupleSize = state.selectedSubsetCount;
    call.tuple = state.selectedSubset;
    call.subsetSizes = state.selectedSubsetArraySize;
    call.subsetRows = state.reservedSubsetList;
    call.subsetCount = reservedCount;
    call.proceeding = state.subsetProceeding;
    call.tmin = state.wTmin;
    call.tmax = state.wTmax;
    call.level = level;
    call.chains = chains;
    call.series = series;
    call.verboseTuples = &state.verboseTuples;
    callSolver(window, role, call);
  }
  if (addToChainsHeader(window, state.seriesType, task, static_cast<uint16_t>(state.makingLevelUsed), level,
                        chains) == 0) {
    window.messageBox("Ошибка addToChainsHeader!", " About ChainsHeader ", kMbOk);
    return false;
  }
  state.viewState = 6;
  state.resultKind = 1;
  return true;
}

// CM_REDRAW_RESULT: the work area (over itself while typeDetails is set), the choice panels
// whose values changed, and the button column when asked.
void redrawResult(Window& window, AppState& state) {
  const ScreenLayout& layout = state.layout;
  window.invalidate(raisedWorkArea(state), state.typeDetails == 0);
  int32_t* flags[3] = {&state.repaintSeriesSizePanel, &state.repaintNoisePanel, &state.repaintLostPanel};
  for (int32_t p = 0; p < 3; ++p) {
    if (*flags[p] == 0) continue;
    window.invalidate(layout.choicePanel[p], true);
    *flags[p] = 0;
  }
  if (state.repaintButtonColumn == 1) {
    window.invalidate(grownRightBottom(layout.buttonColumnRect), true);
    state.repaintButtonColumn = 0;
  }
}

}  // namespace

void runProcessingFrom(Window& window, AppState& state, uint16_t id) {
  switch (id) {
    case CM_NEXT_DATA:
      if (!nextData(window, state)) return;
      [[fallthrough]];
    case CM_MAKE_SERIES:
      makeSeriesSettings(state);
      [[fallthrough]];
    case CM_MAKE_SERIES_KEEP_SEQUENCE:
      if (!makeSeries(window, state)) return;
      [[fallthrough]];
    case CM_ADD_NOISE:
      if (state.lpCutOffSeriesHeader == nullptr) return;
      addNoise(window, state.noiseLevelUsed, state.wAmplitude, state.lpCutOffSeriesHeader,
               state.seeds.seedNoise);
      [[fallthrough]];
    case CM_PROCESS:
      if (!process(window, state)) return;
      [[fallthrough]];
    case CM_REDRAW_RESULT:
      redrawResult(window, state);
      break;
    default:
      break;
  }
}
