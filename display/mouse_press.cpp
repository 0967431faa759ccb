#include "display/mouse_press.h"

#include <algorithm>

#include "display/app_state.h"
#include "display/internal_commands.h"
#include "display/parameter_mouse.h"
#include "display/subset_panel.h"
#include "platform/window.h"
#include "settings/setting_rules.h"
#include "signal/selected_subsets.h"

namespace {

bool isTupleSeries(const AppState& s) { return s.seriesType == 36 || s.seriesType == 40; }

bool showsSelectAll(const AppState& s) {
  return s.effectiveTaskType != 1 && s.effectiveTaskType != 36 && s.effectiveTaskType != 40;
}

void clearPanelFlags(AppState& s) { s.repaintSeriesSizePanel = s.repaintNoisePanel = s.repaintLostPanel = 0; }

void enterSubsetView(Window& window, AppState& s) {
  s.viewState = 9;
  window.sendCommand(kMenuSelectSetOfPulses);
}

// A run on new data that ends in the result view.
void startRun(Window& window, AppState& s) {
  clearPanelFlags(s);
  s.repaintButtonColumn = 1;
  s.viewState = 6;
  window.sendCommand(CM_NEXT_DATA);
}

// The number of selected etalons, with requiredList rebuilt but requiredCount kept.
uint16_t rebuildRequiredList(AppState& s) {
  const uint16_t kept = s.requiredCount;
  requiredListFromState(s);
  const uint16_t count = s.requiredCount;
  s.requiredCount = kept;
  return count;
}

void selectAll(Window& window, AppState& s) {
  const int32_t n = std::min<int32_t>(s.wEtalonsQuantity, kAlphabetRecords);
  const uint16_t flag = s.layout.selectAllShown == 0 ? 0 : 1;
  for (int32_t k = 0; k < n; ++k) s.etalonSelected[k] = flag;
  requiredListFromState(s);
  s.viewState = 5;
  window.sendCommand(CM_REDRAW_WORK_AREA_AND_BUTTONS);
}

bool alphabetPress(Window& window, AppState& s, int32_t x, int32_t y) {
  const ScreenLayout& layout = s.layout;
  const int32_t n = std::min<int32_t>(s.wEtalonsQuantity, kMaxEtalonCells);
  for (int32_t k = 0; k < n; ++k) {
    if (!layout.etalonCellRect[k].contains(x, y)) continue;
    if (s.effectiveTaskType == 1) {
      if (s.etalonSelected[k] != 1) {
        for (uint16_t& flag : s.etalonSelected) flag = 0;
        s.etalonSelected[k] = 1;
      }
      s.repaintButtonColumn = 1;
      clearPanelFlags(s);
    } else {
      s.etalonSelected[k] = s.etalonSelected[k] == 1 ? 0 : 1;
    }
    s.viewState = 5;
    requiredListFromState(s);
    s.previousEtalon = s.detectionEtalonUsed;
    s.detectionEtalonUsed = k + 1;
    window.sendCommand(CM_REDRAW_ETALON_CELLS);
    return true;
  }
  if (layout.nextButtonRect.contains(x, y)) {
    const uint16_t count = rebuildRequiredList(s);
    if (isTupleSeries(s) && s.selectedSubsetCount == 0) {
      enterSubsetView(window, s);  // shown at once rather than at the next repaint
      return true;
    }
    s.requiredCount = count;
    if (count == 0) {
      s.viewState = 5;
      window.sendCommand(CM_NOTHING);
      return true;
    }
    if (s.viewState != 6) s.repaintButtonColumn = 1;
    clearPanelFlags(s);
    s.viewState = 6;
    window.sendCommand(CM_NEXT_DATA);
    return true;
  }
  if (layout.exitButtonRect.contains(x, y)) {
    window.sendCommand(CM_EXIT);
    return true;
  }
  if (showsSelectAll(s) && layout.selectAllButtonRectCopy.contains(x, y)) {
    selectAll(window, s);
    return true;
  }
  return false;
}

// Restart, Next, Exit and select-all as the result view and the subset view handle them.
bool buttonColumnPress(Window& window, AppState& s, int32_t x, int32_t y) {
  const ScreenLayout& layout = s.layout;
  // Restart is drawn in the result view only; elsewhere its place is empty and takes no click.
  if (s.viewState == 6 && layout.restartButtonRect.contains(x, y)) {
    if (!s.opened.etalonsFile.empty())
      window.sendCommand(CM_RESTORE_ALPHABET);  // the built-in alphabet again
    if (isTupleSeries(s)) {
      enterSubsetView(window, s);
    } else {
      s.viewState = 5;
      s.repaintButtonColumn = 1;
      window.sendCommand(CM_REDRAW_WORK_AREA_AND_BUTTONS);
    }
    return true;
  }
  if (layout.nextButtonRect.contains(x, y)) {
    if (s.seriesType == 36 && s.selectedSubsetCount == 0) {
      enterSubsetView(window, s);
      return true;
    }
    if (s.viewState == 9 && !applySubset(window, s)) {
      window.sendCommand(CM_REDRAW_SUBSETS);
      return true;
    }
    startRun(window, s);
    return true;
  }
  if (layout.exitButtonRect.contains(x, y)) {
    window.sendCommand(CM_EXIT);
    return true;
  }
  if (showsSelectAll(s) && layout.selectAllButtonRectCopy.contains(x, y)) {
    s.repaintButtonColumn = 1;
    selectAll(window, s);
    return true;
  }
  return false;
}

bool resultPress(Window& window, AppState& s, int32_t x, int32_t y) {
  if (isTupleSeries(s) && s.effectiveTaskType == 40 && s.subsetRowRect != nullptr) {
    const int32_t rows = std::min(s.reservedSubsetCount, s.reservedSubsetCapacity);
    for (int32_t r = 0; r < rows; ++r) {
      if (!s.subsetRowRect[r].contains(x, y)) continue;
      s.selectedSubsetRow = r + 1;
      addSomeSelectedSubsetToSeriesHeader(window, s.selectedSubsetArraySize, s.reservedSubsetList,
                                          s.reservedSubsetCount, s.reservedSubsetCapacity, s.subsetCapacity,
                                          s.selectedSubsetRow, s.subsetEmployment, s.subsetInitPosition,
                                          s.lpCutOffSeriesHeader);
      window.sendCommand(CM_NEXT_DATA);
      return true;
    }
  }
  return buttonColumnPress(window, s, x, y);
}

bool subsetButton(const AppState& s, int32_t b, int32_t x, int32_t y) {
  return s.ButtonsWhileSelectedSubsetRect != nullptr && b < s.subsetButtonCount &&
         s.ButtonsWhileSelectedSubsetRect[b].contains(x, y);
}

bool subsetPress(Window& window, AppState& s, int32_t x, int32_t y) {
  if (s.selectedSubset != nullptr && s.requiredList != nullptr) {
    const int32_t cells = std::min<int32_t>(s.requiredCount, kMaxEtalonCells);
    for (int32_t k = 0; k < cells; ++k) {
      if (!s.usedEtalonCellRect[k].contains(x, y)) continue;
      deleteMarkedEntries(s);
      if (s.selectedSubsetCount < s.subsetCapacity) {
        s.selectedSubset[s.selectedSubsetCount] = s.requiredList[k];
        s.selectedSubsetMarks[s.selectedSubsetCount] = 0;
        ++s.selectedSubsetCount;
      }
      window.sendCommand(CM_REDRAW_SUBSET_FRAME);
      return true;
    }
    if (s.possibleSubsetBox.contains(x, y)) {
      for (int32_t j = 0; j < s.subsetCapacity; ++j) s.selectedSubsetMarks[j] = 0;
      const int32_t count = std::min(s.selectedSubsetCount, s.subsetCapacity);
      for (int32_t j = 0; j < count && s.possibleSubsetRect != nullptr; ++j) {
        if (s.possibleSubsetRect[j].contains(x, y)) {
          s.selectedSubsetMarks[j] = 1;
          break;
        }
      }
      window.sendCommand(CM_REDRAW_SUBSET_FRAME);
      return true;
    }
  }
  if (subsetButton(s, 0, x, y)) {  // Delete All
    clearSelectedSubset(s);
    window.sendCommand(CM_REDRAW_SUBSET_FRAME);
    return true;
  }
  if (subsetButton(s, 1, x, y)) {  // Delete
    deleteMarkedEntries(s);
    window.sendCommand(CM_REDRAW_SUBSET_FRAME);
    return true;
  }
  if (subsetButton(s, 2, x, y)) {  // Cancel
    clearSelectedSubset(s);
    s.viewState = 6;
    clearPanelFlags(s);
    window.sendCommand(CM_NEXT_DATA);
    return true;
  }
  if (subsetButton(s, 3, x, y)) {  // OK
    if (!applySubset(window, s)) {
      window.sendCommand(CM_REDRAW_SUBSETS);
      return true;
    }
    s.repaintButtonColumn = 1;
    s.viewState = 6;
    s.repaintLostPanel = 0;
    window.sendCommand(CM_NEXT_DATA);
    return true;
  }
  if (s.subsetButtonCount == 6) {
    if (subsetButton(s, 4, x, y)) {  // Accept
      s.markAllPending = 1;
      s.reservedSubsetCount =
          appendReservedSubset(window, s.selectedSubset, s.selectedSubsetCount, s.selectedSubsetArraySize,
                               s.reservedSubsetList, s.reservedSubsetCount, s.reservedSubsetCapacity);
      s.selectedSubsetRow = s.reservedSubsetCount;
      window.sendCommand(CM_REDRAW_SUBSETS);
      return true;
    }
    if (subsetButton(s, 5, x, y)) {  // Clear All
      s.markAllPending = 1;
      s.reservedSubsetCount = 0;
      window.sendCommand(CM_REDRAW_SUBSETS);
      return true;
    }
    // The reserved rows are laid out only by the tuple panel.
    if (s.possibleSubsetArrayRect != nullptr) {
      const int32_t rows = std::min(s.reservedSubsetCount, s.reservedSubsetCapacity);
      for (int32_t r = 0; r < rows; ++r) {
        if (!s.possibleSubsetArrayRect[r][s.subsetCapacity].contains(x, y)) continue;
        s.selectedSubsetRow = r + 1;
        window.sendCommand(CM_REDRAW_SUBSETS);
        return true;
      }
    }
  }
  return buttonColumnPress(window, s, x, y);
}

// After a choice: the subset view when a tuple series still lacks its subset, else a run
// (the subset applied first when leaving the subset view).
void runAfterChoice(Window& window, AppState& s, ChoiceTable& table, int32_t i) {
  if (isTupleSeries(s) && s.selectedSubsetCount == 0) {
    table.selected = i + 1;
    enterSubsetView(window, s);
    return;
  }
  table.selected = i + 1;
  if (s.viewState == 9 && !applySubset(window, s)) {
    window.sendCommand(CM_REDRAW_SUBSETS);
    return;
  }
  if (s.viewState != 6) s.repaintButtonColumn = 1;
  s.viewState = 6;
  window.sendCommand(CM_NEXT_DATA);
}

bool choicePress(Window& window, AppState& s, int32_t x, int32_t y) {
  const ScreenLayout& layout = s.layout;
  ChoiceTable* tables[3] = {&s.seriesSizeChoice, &s.noiseLevelChoice, &s.lostLevelChoice};
  for (int32_t p = 0; p < 3; ++p) {
    if (p == 2 && (layout.choicePanelCount < 3 || (s.seriesType != 8 && s.seriesType != 2))) break;
    ChoiceTable& table = *tables[p];
    const int32_t count = std::clamp(table.count, 0, 3);
    for (int32_t i = 0; i < count; ++i) {
      if (!layout.choiceItemRect[p][i].contains(x, y)) continue;
      if (s.requiredCount == 0) {
        table.selected = i + 1;
        window.sendCommand(CM_APPLY_CHOICES);
        return true;
      }
      const int32_t changed = i + 1 != table.selected ? 1 : 0;
      if (p == 0) {
        s.dwSeriesSize = static_cast<uint32_t>(table.values[i]);
        resetPulseBounds(s);
        if (changed) s.repaintSeriesSizePanel = 1;
        runAfterChoice(window, s, table, i);
      } else if (p == 1) {
        s.noiseLevel = static_cast<int16_t>(table.values[i]);
        if (changed) s.repaintNoisePanel = 1;
        runAfterChoice(window, s, table, i);
      } else {
        setLostLevel(s, static_cast<int16_t>(table.values[i]));
        if (s.viewState != 6) s.repaintButtonColumn = 1;
        s.viewState = 6;
        if (changed) s.repaintLostPanel = 1;
        table.selected = i + 1;
        window.sendCommand(CM_NEXT_DATA);
      }
      return true;
    }
  }
  return false;
}

// The button column as the parameter view handles it: Next runs (or asks for the subset of
// a tuple series) without applying anything.
bool parameterButtonsPress(Window& window, AppState& s, int32_t x, int32_t y) {
  if (s.layout.nextButtonRect.contains(x, y)) {
    if (isTupleSeries(s) && s.selectedSubsetCount == 0)
      enterSubsetView(window, s);
    else
      startRun(window, s);
    return true;
  }
  return buttonColumnPress(window, s, x, y);
}

}  // namespace

void mousePress(Window& window, AppState& state, int32_t doubleClick, int32_t x, int32_t y) {
  (void)doubleClick;
  const bool inParameterView = state.viewState == 10;
  // Cancel and OK of the parameter panel hide its edit field themselves.
  if (inParameterView && parameterPanelPress(window, state, x, y)) return;
  bool hit = false;
  switch (state.viewState) {
    case 5:
      hit = alphabetPress(window, state, x, y);
      break;
    case 6:
      hit = resultPress(window, state, x, y);
      break;
    case 9:
      hit = subsetPress(window, state, x, y);
      break;
    case 10:
      hit = parameterButtonsPress(window, state, x, y);
      break;
    default:
      break;
  }
  if (!hit) hit = choicePress(window, state, x, y);
  if (!hit) {
    window.sendCommand(CM_NOTHING);
    return;
  }
  // The edit field belongs to the parameter view: leaving it by any other target hides it.
  if (inParameterView && state.viewState != 10) {
    window.moveEditControl(kTminEditId, 0, 0, 0, 0);
    releaseParameterPointer(window, state);
  }
}
