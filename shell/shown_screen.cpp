#include "shell/shown_screen.h"

#include <cstring>

#include "display/app_state.h"
#include "display/paint.h"
#include "platform/window.h"
#include "shell/command_ids.h"
#include "shell/repaint_areas.h"

namespace {

void addRect(std::vector<int64_t>& out, const Rect& r) {
  out.insert(out.end(), {r.left, r.top, r.right, r.bottom});
}

bool drawsButtons(int32_t viewState) {
  return viewState == 5 || viewState == 6 || viewState == 9 || viewState == 10;
}

bool showsSelectAll(uint16_t effectiveTaskType) {
  return effectiveTaskType != 1 && effectiveTaskType != 36 && effectiveTaskType != 40;
}

void addChoicePanel(std::vector<int64_t>& out, const ChoiceTable& table, int32_t current) {
  const int32_t count = table.count < 0 ? 0 : (table.count > 3 ? 3 : table.count);
  out.push_back(count);
  for (int32_t i = 0; i < count; ++i) out.push_back(table.values[i]);
  int32_t s = table.selected - 1;
  if (s < 0 || s >= count) s = 0;
  out.push_back(s);
  out.push_back(count > 0 && table.values[s] == current ? 1 : 0);
}

}  // namespace

ShownScreen shownScreen(const Window& window, const AppState& s) {
  ShownScreen shown;
  const ScreenLayout layout = layoutForClient(window, s);

  if (drawsButtons(s.viewState)) {
    shown.buttons.push_back(s.viewState == 6 ? 1 : 0);
    addRect(shown.buttons, layout.restartButtonRect);
    if (showsSelectAll(s.effectiveTaskType)) {
      shown.buttons.push_back(selectAllCaption(s));
      addRect(shown.buttons, layout.selectAllButtonRect);
    }
  }

  shown.panels.push_back(layout.choicePanelCount);
  addChoicePanel(shown.panels, s.seriesSizeChoice, static_cast<int32_t>(s.dwSeriesSizeUsed));
  addChoicePanel(shown.panels, s.noiseLevelChoice, s.noiseLevelUsed);
  if (layout.choicePanelCount > 2) addChoicePanel(shown.panels, s.lostLevelChoice, s.lostLevelUsed);

  // The view: which one, and the settings every view is drawn from that commands change
  // without a repaint of their own.
  std::vector<int64_t>& v = shown.view;
  v.insert(v.end(),
           {s.viewState, s.resultKind, s.effectiveTaskType, s.taskType, s.seriesType, s.requiredCount,
            s.drawFrameGraphFields, s.drawShadedPulses, s.drawHighlightDetectedPulses, s.drawSpecialGraphSize,
            s.tuplesHighlightMode, s.subsetEmployment, s.subsetProceeding, s.chartKind});
  for (int32_t k = 0; k < kAlphabetRecords; ++k) v.push_back(s.etalonSelected[k]);
  v.push_back(reinterpret_cast<intptr_t>(s.lpRestErrorHeader));
  // A long recording's view is drawn from its last answer.
  v.push_back(s.opened.isLong() ? 1 : 0);
  v.push_back(static_cast<int64_t>(s.opened.longResult.run));
  return shown;
}

void invalidateChangedParts(Window& window, const AppState& state, const ShownScreen& before,
                            const ShownScreen& after) {
  const ScreenLayout layout = layoutForClient(window, state);
  if (before.buttons != after.buttons) window.invalidate(buttonColumnArea(window.clientRect()), true);
  if (before.panels != after.panels) window.invalidate(choicePanelsArea(layout, window.clientRect()), true);
  if (before.view != after.view) window.invalidate(viewArea(layout), true);
}

void checkMenuItemsOfState(Window& window, const AppState& state) {
  struct Item {
    uint16_t id;
    uint16_t value;
  };
  static constexpr Item kTasks[] = {
      {kMenuDetection, 1}, {kMenuRecognition, 2}, {kMenuJointDetection, 4}, {kMenuSeriesProcessing, 64}};
  static constexpr Item kSeries[] = {{kMenuFixedWhole, 1},   {kMenuUnfixedWhole, 4},
                                     {kMenuFixedCutOff, 2},  {kMenuUnfixedCutOff, 8},
                                     {kMenuFixedTuples, 36}, {kMenuUnfixedTuples, 40}};
  const uint16_t series = state.seriesType == 16 ? 1 : state.seriesType == 32 ? 4 : state.seriesType;
  const auto mark = [&window](const auto& items, uint16_t value) {
    bool known = false;
    for (const Item& i : items) known = known || i.value == value;
    if (!known) return;
    for (const Item& i : items)
      if (window.isMenuItemChecked(i.id) != (i.value == value)) window.checkMenuItem(i.id, i.value == value);
  };
  mark(kTasks, state.taskType);
  mark(kSeries, series);
}
