#include "shell/dialog_commands.h"

#include <algorithm>
#include <string>

#include "display/app_state.h"
#include "display/params_header.h"
#include "platform/window.h"
#include "processing/chains_header.h"
#include "settings/setting_rules.h"
#include "shell/command_ids.h"
#include "shell/parameter_dialogs.h"
#include "shell/repaint_areas.h"
#include "shell/sequence_growth.h"
#include "shell/settings_dialogs.h"
#include "shell/snapshot.h"
#include "signal/pulse_bounds.h"
#include "signal/required_list.h"
#include "signal/selected_subsets.h"
#include "signal/series_header.h"

namespace {

void memoryMessage(Window& window, const std::string& what) {
  window.messageBox("Нет памяти для " + what + "!", " Create series ", kMbOk | kMbIconWarning);
}

}  // namespace

void commandSeriesDialog(Window& window, AppState& state) {
  if (state.requiredCount == 0) {
    state.requiredCount = 1;
    if (state.requiredList != nullptr && state.requiredCapacity > 0) state.requiredList[0] = 1;
    if (state.etalonSequence != nullptr && state.etalonSequenceCapacity > 0) state.etalonSequence[0] = 1;
    state.detectionEtalonUsed = 1;
    state.etalonSelected[0] = 1;
  }
  const int32_t used = state.detectionEtalonUsed;
  const int32_t etalons = std::min<int32_t>(state.wEtalonsQuantity, kAlphabetRecords);
  if (used < 1 || used > etalons || state.etalonSelected[used - 1] == 0) {
    for (int32_t n = 1; n <= etalons; ++n) {
      if (state.etalonSelected[n - 1] != 0) {
        state.detectionEtalonUsed = n;
        break;
      }
    }
  }
  runCreateSeriesDialog(window, state);
}

void commandCreateSeries(Window& window, AppState& state) {
  commandSeriesDialog(window, state);
  if (state.dialogAccepted == 0) return;
  state.pulsesBeforeDialog = state.wPulsesRequested;
  state.dialogMinPulses = seriesMinPulses(state.dialogSeriesSize, state.wImpulseSize, state.dialogTmax);
  state.dialogMaxPulses = maxPulsesFor(state.dialogSeriesSize, state.wImpulseSize, state.dialogTmin);
  state.wPulsesRequested = midpointPulses(state.dialogMinPulses, state.dialogMaxPulses);

  if (!growSequence(state.etalonSequenceEdit, state.etalonSequenceEditCapacity, state.dialogMaxPulses)) {
    memoryMessage(window, "etalonSequenceEdit");
    state.wPulsesRequested = state.pulsesBeforeDialog;
    return;
  }
  for (uint16_t k = 0; k < state.etalonSequenceEditCapacity; ++k)
    state.etalonSequenceEdit[k] = k < state.etalonSequenceCapacity && state.etalonSequence != nullptr
                                      ? state.etalonSequence[k]
                                      : static_cast<uint16_t>(state.detectionEtalon);

  runSeriesStructureDialog(window, state);
  if (state.dialogPulses < state.dialogMinPulses || state.dialogPulses > state.dialogMaxPulses)
    state.dialogPulses = midpointPulses(state.dialogMinPulses, state.dialogMaxPulses);
  if (state.dialogAccepted == 0) {
    state.wPulsesRequested = state.pulsesBeforeDialog;
    return;
  }
  if (!growSequence(state.etalonSequence, state.etalonSequenceCapacity, state.dialogMaxPulses)) {
    memoryMessage(window, "etalonSequence");
    state.wPulsesRequested = state.pulsesBeforeDialog;
    return;
  }

  state.dwSeriesSize = state.dialogSeriesSize;
  state.wTmin = state.dialogTmin;
  state.wTmax = state.dialogTmax;
  state.detectionEtalonUsed = state.detectionEtalon;
  state.makingLevelUsed = state.dialogMakingLevel;
  state.processingLevelUsed = state.dialogProcessingLevel;
  state.wPulsesRequested = state.dialogPulses;
  state.noiseLevel = state.dialogNoiseLevel;
  state.wMinPulses = state.dialogMinPulses;
  state.wMaxPulses = state.dialogMaxPulses;
  for (uint16_t k = 0; k < state.etalonSequenceCapacity; ++k)
    state.etalonSequence[k] = k < state.etalonSequenceEditCapacity
                                  ? state.etalonSequenceEdit[k]
                                  : static_cast<uint16_t>(state.detectionEtalon);

  // The choice panels mark what the new series is made with, and the next run makes the same:
  // the requested levels follow the dialog, and an entry equal to the new length or lost level
  // becomes the marked one.
  state.makingLevel = state.dialogMakingLevel;
  state.processingLevel = state.dialogProcessingLevel;
  state.lostLevel = static_cast<int16_t>(100 - state.dialogMakingLevel);
  markChoice(state.seriesSizeChoice, static_cast<int32_t>(state.dwSeriesSize));
  markChoice(state.lostLevelChoice, state.lostLevel);
  markChoice(state.noiseLevelChoice, state.noiseLevel);

  state.wChainsMaxPulses = state.dialogMaxPulses;
  state.lpChainsHeader = getChainsHeader(window, static_cast<uint16_t>(state.chainsCapacity),
                                         state.wChainsMaxPulses, state.lpChainsHeader);
  if (state.lpChainsHeader == nullptr) return;  // the builder has shown its message
  state.repaintSeriesSizePanel = 1;
  state.repaintNoisePanel = 1;
  state.repaintLostPanel = 1;
  state.viewState = 6;
  // A known-number series made from the edited sequence is marked as such. An unknown-number
  // series stays one: its number is drawn and found by the unknown-number solvers, as the
  // ticked menu item says.
  if (state.seriesType == 1) state.seriesType = 16;
  window.sendCommand(CM_MAKE_SERIES_KEEP_SEQUENCE);
}

void commandNewPulses(Window& window, AppState& state) {
  if (state.requiredList == nullptr || state.requiredCount > state.requiredCapacity) {
    state.requiredCount = state.wEtalonsQuantity;
    state.requiredList = getRequiredList(window, state.requiredCount, state.requiredList);
    state.requiredCapacity = state.requiredList != nullptr ? state.requiredCount : 0;
    if (state.requiredList == nullptr) {
      state.requiredCount = 0;
      return;  // the builder has shown its message
    }
  }
  runRequiredEtalonsDialog(window, state);
  // A number that names no etalon (above the alphabet, or 0 for an entry that was not a number)
  // becomes its place in the list.
  for (uint16_t k = 0; k < state.requiredCount && k < state.requiredCapacity; ++k)
    if (state.requiredList[k] == 0 || state.requiredList[k] > state.wEtalonsQuantity)
      state.requiredList[k] = static_cast<uint16_t>(k + 1);
  requiredFlagsFromState(state);
}

void commandViewSeriesParameters(Window& window, AppState& state) {
  state.viewState = 10;
  state.lpParamsHeader = getParamsHeader(window, state.lpCutOffSeriesHeader, state.lpParamsHeader);
  window.sendCommand(CM_REDRAW_WORK_AREA);
}

void commandSelectSetOfPulses(Window& window, AppState& state) {
  state.viewState = 9;
  window.invalidate(raisedWorkArea(state), true);
}

void commandSaveImage(Window& window, AppState& state) {
  (void)state;
  if (MakeSnapshot(window) == 0)
    window.messageBox("Проблемы при выполнении MakeSnapshot", "Open File Name", kMbOk);
}

void commandSubsetSettings(Window& window, AppState& state) {
  runSubsetSettingsDialog(window, state);
  if (state.lpCutOffSeriesHeader == nullptr) return;
  if (state.effectiveTaskType != 40) {
    setSubset(window, state.selectedSubset, state.selectedSubset != nullptr ? state.selectedSubsetCount : 0,
              state.subsetEmployment, state.subsetInitPosition, state.lpCutOffSeriesHeader);
  } else {
    addSomeSelectedSubsetToSeriesHeader(window, state.selectedSubsetArraySize, state.reservedSubsetList,
                                        state.reservedSubsetList != nullptr ? state.reservedSubsetCount : 0,
                                        state.reservedSubsetCapacity, state.subsetCapacity,
                                        state.selectedSubsetRow, state.subsetEmployment,
                                        state.subsetInitPosition, state.lpCutOffSeriesHeader);
  }
  // The series now holds other subsets, which the result view shows.
  window.invalidate(raisedWorkArea(state), true);
}

void commandDrawingSettings(Window& window, AppState& state) { runDrawingSettingsDialog(window, state); }

void commandSimulationSetup(Window& window, AppState& state) {
  commandSeriesDialog(window, state);
  if (state.dialogAccepted == 0) return;
  state.dialogMinPulses = minPulsesFor(state.dialogSeriesSize, state.wImpulseSize, state.dialogTmax);
  state.dialogMaxPulses = maxPulsesFor(state.dialogSeriesSize, state.wImpulseSize, state.dialogTmin);
  if (state.firstSimulation != 0) {
    if (state.etalonSequence != nullptr)
      std::fill_n(state.etalonSequence, std::min(state.wMaxPulses, state.etalonSequenceCapacity),
                  static_cast<uint16_t>(state.detectionEtalon));
    state.firstSimulation = 0;
  }
  runSimulationParametersDialog(window, state);
  if (state.dialogAccepted == 0) return;
  state.dwSeriesSize = state.dwSeriesSizeUsed = state.dialogSeriesSize;
  state.wTmin = state.dialogTmin;
  state.wTmax = state.dialogTmax;
  state.makingLevelUsed = state.dialogMakingLevel;
  state.processingLevelUsed = state.dialogProcessingLevel;
  state.wMinPulses = state.dialogMinPulses;
  state.wMaxPulses = state.dialogMaxPulses;
  if (state.pulsesIncrement == 0) state.pulsesIncrement = 1;
  const int32_t steps = (int32_t{state.wMaxPulses} - int32_t{state.wMinPulses}) / state.pulsesIncrement + 1;
  state.pulseSteps = static_cast<uint16_t>(std::max(steps, 0));
}
