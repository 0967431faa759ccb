#include "shell/command_dispatcher.h"

#include "display/app_state.h"
#include "platform/window.h"
#include "settings/setting_rules.h"
#include "shell/command_ids.h"
#include "shell/dialog_command_table.h"
#include "shell/dialog_commands.h"
#include "shell/file_commands.h"
#include "shell/processing_run.h"
#include "shell/repaint_areas.h"
#include "signal/pulse_bounds.h"

namespace {

constexpr uint16_t kTaskItems[4] = {kMenuDetection, kMenuRecognition, kMenuJointDetection,
                                    kMenuSeriesProcessing};
constexpr uint16_t kSeriesItems[6] = {kMenuFixedWhole,    kMenuUnfixedWhole, kMenuFixedCutOff,
                                      kMenuUnfixedCutOff, kMenuFixedTuples,  kMenuUnfixedTuples};

// Checks `chosen` and unchecks the other items of its group.
template <size_t N>
void checkOneOf(Window& window, const uint16_t (&items)[N], uint16_t chosen) {
  for (uint16_t item : items)
    if (item != chosen) window.checkMenuItem(item, false);
  window.checkMenuItem(chosen, true);
}

void taskTypeCommand(Window& window, AppState& state, uint16_t id) {
  checkOneOf(window, kTaskItems, id);
  const bool tuples = state.seriesType == 36 || state.seriesType == 40;
  switch (id) {
    case kMenuDetection:
      state.taskType = 1;
      if (tuples) {
        state.effectiveTaskType = 36;
      } else {
        state.effectiveTaskType = 1;
        for (uint16_t& flag : state.etalonSelected) flag = 0;
        if (state.detectionEtalonUsed >= 1 && state.detectionEtalonUsed <= kAlphabetRecords)
          state.etalonSelected[state.detectionEtalonUsed - 1] = 1;
        requiredListFromState(state);
      }
      break;
    case kMenuRecognition:
      state.taskType = 2;
      state.effectiveTaskType = tuples ? 40 : 2;
      break;
    case kMenuJointDetection:
      state.taskType = state.effectiveTaskType = 4;
      break;
    default:
      state.taskType = state.effectiveTaskType = 64;
      state.resultKind = 1;
      window.sendCommand(CM_NOTHING);
      break;
  }
}

void seriesTypeCommand(Window& window, AppState& state, uint16_t id, uint16_t seriesType) {
  checkOneOf(window, kSeriesItems, id);
  state.seriesType = seriesType;
  if (seriesType != 2 && seriesType != 8) resetLevelsForWholePulses(state);
}

// An opened recording is processed again with the new task or series type: it stays on
// screen instead of waiting for a run that would replace it with a made series.
void reprocessOpenedSeries(Window& window, AppState& state) {
  if (state.opened.seriesFile.empty() || state.lpCutOffSeriesHeader == nullptr) return;
  updateEffectiveTaskType(state);
  state.resultKind = 1;
  runProcessingFrom(window, state, CM_PROCESS);
}

// The value of a choice table's selected entry; an index outside the table takes the first.
int32_t chosenValue(const ChoiceTable& table) {
  const int32_t i = table.selected - 1;
  return (i >= 0 && i < table.count && i < 3) ? table.values[i] : table.values[0];
}

void applyChoices(Window& window, AppState& state) {
  state.dwSeriesSize = static_cast<uint32_t>(chosenValue(state.seriesSizeChoice));
  state.wMinPulses = minPulsesFor(state.dwSeriesSize, state.wImpulseSize, state.wTmax);
  state.wMaxPulses = maxPulsesFor(state.dwSeriesSize, state.wImpulseSize, state.wTmin);
  state.wPulsesRequested = midpointPulses(state.wMinPulses, state.wMaxPulses);
  state.noiseLevel = static_cast<int16_t>(chosenValue(state.noiseLevelChoice));
  setLostLevel(state, static_cast<int16_t>(chosenValue(state.lostLevelChoice)));
  window.invalidateAll(true);
}

// An etalon cell grown by 1 at the left and top and by 3 at the right and bottom; false
// for a number that has no cell.
bool etalonCellArea(const AppState& state, int32_t number, Rect& area) {
  if (number < 1 || number > kMaxEtalonCells) return false;
  area = state.layout.etalonCellRect[number - 1];
  area.left -= 1;
  area.top -= 1;
  area.right += 3;
  area.bottom += 3;
  return true;
}

void redrawWorkAreaAndButtons(Window& window, AppState& state) {
  window.invalidate(raisedWorkArea(state), true);
  if (state.effectiveTaskType != 1) window.invalidate(state.layout.selectAllButtonRect, true);
  if (state.repaintButtonColumn == 1) {
    window.invalidate(grownRightBottom(state.layout.buttonColumnRect), true);
    state.repaintButtonColumn = 0;
  }
}

void redrawEtalonCells(Window& window, AppState& state) {
  Rect area;
  if (etalonCellArea(state, state.detectionEtalonUsed, area)) window.invalidate(area, true);
  if (state.effectiveTaskType == 1) {
    if (etalonCellArea(state, state.previousEtalon, area)) window.invalidate(area, true);
  } else {
    window.invalidate(state.layout.selectAllButtonRect, true);
  }
}

void redrawSubsets(Window& window, AppState& state) {
  if (state.possibleSubsetArrayRect != nullptr)
    for (int32_t r = 0; r < state.reservedSubsetCapacity; ++r)
      window.invalidate(grownAround(state.possibleSubsetArrayRect[r][state.subsetCapacity], 2), true);
  window.invalidate(state.possibleSubsetBox, true);
}

// The commands that run a processing step, or the menu items that start one.
bool processingCommand(Window& window, AppState& state, uint16_t id) {
  switch (id) {
    case CM_NEXT_DATA:
    case CM_MAKE_SERIES:
    case CM_MAKE_SERIES_KEEP_SEQUENCE:
    case CM_ADD_NOISE:
    case CM_PROCESS:
    case CM_REDRAW_RESULT:
      runProcessingFrom(window, state, id);
      return true;

    case kMenuProcessingSameData:
      state.resultKind = 1;
      runProcessingFrom(window, state, CM_PROCESS);
      return true;
    case kMenuMoreDetails:
      runProcessingFrom(window, state, CM_PROCESS);
      return true;
    case kMenuDebuggingRepeat:
      state.verboseTuples = 1;
      state.resultKind = 1;
      runProcessingFrom(window, state, CM_PROCESS);
      return true;
    case kMenuProcessingNextData:
      state.resultKind = 1;
      runProcessingFrom(window, state, CM_NEXT_DATA);
      return true;
    case kMenuTypeMoreDetails:
      // Only the result view clears the flag after drawing; set anywhere else it would
      // keep the next run from erasing whatever view is shown.
      if (state.viewState == 6 && state.resultKind != 2) state.typeDetails = 1;
      runProcessingFrom(window, state, CM_REDRAW_RESULT);
      return true;
    case kMenuFixedCase:
    case kMenuUnfixedCase:
      state.seriesType = id == kMenuFixedCase ? 1 : 4;
      state.resultKind = 1;
      if (!state.opened.seriesFile.empty()) {
        reprocessOpenedSeries(window, state);
        return true;
      }
      runProcessingFrom(window, state, CM_NEXT_DATA);
      return true;
    case kMenuRepeatDetection:
    case kMenuRepeatRecognition:
    case kMenuRepeatJoint:
    case kMenuRepeatSeriesProcessing: {
      static constexpr uint16_t kTasks[4] = {1, 2, 4, 64};
      state.taskType = kTasks[id - kMenuRepeatDetection];
      state.resultKind = 1;
      runProcessingFrom(window, state, CM_NEXT_DATA);
      return true;
    }
    default:
      return false;
  }
}

// The task and series type items of the menu.
bool typeCommand(Window& window, AppState& state, uint16_t id) {
  switch (id) {
    case kMenuDetection:
    case kMenuRecognition:
    case kMenuJointDetection:
    case kMenuSeriesProcessing:
      taskTypeCommand(window, state, id);
      reprocessOpenedSeries(window, state);
      return true;

    case kMenuFixedWhole:
      seriesTypeCommand(window, state, id, 1);
      reprocessOpenedSeries(window, state);
      return true;
    case kMenuUnfixedWhole:
      seriesTypeCommand(window, state, id, 4);
      reprocessOpenedSeries(window, state);
      return true;
    case kMenuFixedCutOff:
      seriesTypeCommand(window, state, id, 2);
      reprocessOpenedSeries(window, state);
      return true;
    case kMenuUnfixedCutOff:
      seriesTypeCommand(window, state, id, 8);
      reprocessOpenedSeries(window, state);
      return true;
    case kMenuFixedTuples:
      seriesTypeCommand(window, state, id, 36);
      reprocessOpenedSeries(window, state);
      return true;
    case kMenuUnfixedTuples:
      seriesTypeCommand(window, state, id, 40);
      reprocessOpenedSeries(window, state);
      return true;
    default:
      return false;
  }
}

// The internal commands that apply the choice panels or mark parts of the window for repainting.
bool repaintCommand(Window& window, AppState& state, uint16_t id) {
  switch (id) {
    case CM_APPLY_CHOICES:
      applyChoices(window, state);
      return true;
    case CM_REDRAW_WORK_AREA:
      window.invalidate(raisedWorkArea(state), true);
      return true;
    case CM_REDRAW_WORK_AREA_NO_ERASE:
      window.invalidate(raisedWorkArea(state), false);
      return true;
    case CM_REDRAW_WORK_AREA_AND_BUTTONS:
      redrawWorkAreaAndButtons(window, state);
      return true;
    case CM_REDRAW_ETALON_CELLS:
      redrawEtalonCells(window, state);
      return true;
    case CM_REDRAW_SUBSETS:
      redrawSubsets(window, state);
      return true;
    case CM_REDRAW_SUBSET_FRAME:
      window.invalidate(state.possibleSubsetBox, true);
      return true;
    default:
      return false;
  }
}

}  // namespace

void dispatchCommand(Window& window, AppState& state, uint16_t id) {
  if (processingCommand(window, state, id) || typeCommand(window, state, id) ||
      repaintCommand(window, state, id))
    return;
  switch (id) {
    case kMenuExit:
    case CM_EXIT:
      window.close();
      return;

    case CM_NOTHING:
    case kMenuElseCreateSeries:
      return;
    case kMenuOpenSeries:
    case kMenuOpenEtalons:
    case kMenuSaveSeries:
    case CM_RESTORE_ALPHABET:
      runFileCommand(window, state, id);
      return;
    default:
      // The dialog, view, snapshot and simulation commands.
      runDialogCommand(window, state, id);
      return;
  }
}
