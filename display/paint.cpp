#include "display/paint.h"

#include "display/alphabet_view.h"
#include "display/app_state.h"
#include "display/long_recording_view.h"
#include "display/parameter_panel.h"
#include "display/result_view.h"
#include "display/statistical_charts.h"
#include "display/subset_panel.h"
#include "display/text_format.h"
#include "platform/surface.h"
#include "platform/window.h"

int32_t selectAllCaption(const AppState& state) {
  int32_t selected = 0;
  for (int32_t i = 0; i < state.wEtalonsQuantity && i < kAlphabetRecords; ++i)
    if (state.etalonSelected[i] == 1) ++selected;
  return 2 * selected <= state.wEtalonsQuantity ? 1 : 0;
}

int drawChoicePanel(Window& window, Surface& surface, int32_t lineHeight, const Rect& panel, Rect* items,
                    const char* title, int32_t count, const int32_t* values, int32_t selected,
                    int32_t current) {
  (void)window;
  if (count > 3) count = 3;
  int32_t x = panel.left, y = panel.top;
  const int32_t w = panel.right - panel.left + 1, h = panel.bottom - panel.top + 1;
  surface.moveTo(x, y);
  surface.lineTo(x, y + h);
  surface.lineTo(x + w, y + h);
  surface.lineTo(x + w, y);
  surface.lineTo(x, y);
  x += 10;
  int32_t d = (lineHeight + 1) >> 3;
  if (d < 1) d = 1;
  surface.textOut(x - 5, y - (lineHeight >> 1), title);
  choiceItemRects(panel, lineHeight, count, items);
  for (int32_t i = 0; i < count; ++i) {
    const int32_t top = items[i].top;
    surface.ellipse(x, top, x + lineHeight, top + lineHeight);
    surface.textOut(x + 2 * lineHeight, top, formatText(" %5d ", values[i]));
  }
  if (count < 1) return 1;
  int32_t s = selected - 1;
  if (s < 0 || s >= count) s = 0;
  const int32_t top = items[s].top;
  const Brush old = surface.selectBrush(Brush{current == values[s] ? kBlack : rgb(163, 163, 163)});
  surface.ellipse(x + d, top + d, x + lineHeight - d, top + lineHeight - d);
  surface.selectBrush(old);
  return 1;
}

ScreenLayout layoutForClient(const Window& window, const AppState& state) {
  ScreenLayout layout = state.layout;
  computeScreenLayout(layout, window.clientRect(), state.layout.lineHeight, state.wEtalonsQuantity,
                      state.effectiveTaskType, state.seriesType);
  return layout;
}

static bool showsSelectAll(uint16_t effectiveTaskType) {
  return effectiveTaskType != 1 && effectiveTaskType != 36 && effectiveTaskType != 40;
}

static void drawButtons(Surface& surface, AppState& state, const ButtonBitmaps& bitmaps, bool withRestart) {
  const ScreenLayout& layout = state.layout;
  if (withRestart) surface.blit(layout.restartButtonRect.left, layout.restartButtonRect.top, bitmaps.restart);
  surface.blit(layout.nextButtonRect.left, layout.nextButtonRect.top, bitmaps.next);
  surface.blit(layout.exitButtonRect.left, layout.exitButtonRect.top, bitmaps.exit);
  if (showsSelectAll(state.effectiveTaskType)) {
    state.layout.selectAllShown = selectAllCaption(state);
    surface.blit(layout.selectAllButtonRect.left, layout.selectAllButtonRect.top,
                 state.layout.selectAllShown ? bitmaps.selectAll : bitmaps.unselectAll);
  }
}

void paintMainWindow(Window& window, Surface& surface, AppState& state, const ButtonBitmaps& bitmaps) {
  const Font savedFont = surface.selectFont(Font{});
  const TextMetrics metrics = surface.textMetrics();
  ScreenLayout& layout = state.layout;
  layout.averageCharWidth = metrics.aveCharWidth;
  layout.maximumCharWidth = metrics.maxCharWidth;
  computeScreenLayout(layout, window.clientRect(), metrics.height + metrics.externalLeading - 1,
                      state.wEtalonsQuantity, state.effectiveTaskType, state.seriesType);

  // A view stays inside its area, so that repainting the area repaints all of it.
  const Region paintClip = surface.clip();
  Region viewClip = paintClip;
  if (viewClip.empty()) viewClip.add(window.clientRect());
  viewClip.intersect(viewArea(layout));
  if (viewClip.empty()) viewClip.add(Rect{-2, -2, -1, -1});  // nothing of the view is to be painted
  surface.setClip(viewClip);
  const auto buttonsClip = [&] { surface.setClip(paintClip); };

  switch (state.viewState) {
    case 5:
      drawAlphabetView(window, surface, state);
      buttonsClip();
      drawButtons(surface, state, bitmaps, false);
      break;
    case 6:
      if (state.resultKind == 2) {
        drawStatisticalChart(window, surface, state);
      } else if (state.opened.isLong()) {
        drawLongRecordingView(surface, state);
        state.typeDetails = 0;
      } else {
        const bool shown = state.effectiveTaskType != 64 || state.seriesType == 1 || state.seriesType == 2 ||
                           state.seriesType == 4 || state.seriesType == 8;
        if (shown)
          drawResultView(window, surface, state, state.requiredCount, state.requiredList,
                         state.lpChainsHeader, state.lpCutOffSeriesHeader);
        state.typeDetails = 0;
      }
      buttonsClip();
      drawButtons(surface, state, bitmaps, true);
      break;
    case 9:
      if (prepareSubsetPanel(window, state) != 0) {
        if (state.effectiveTaskType == 40)
          drawTupleSubsetPanel(window, surface, state, state.requiredCount, state.requiredList,
                               state.lpCutOffSeriesHeader);
        else
          drawSubsetPanel(window, surface, state, state.requiredCount, state.requiredList,
                          state.lpCutOffSeriesHeader);
      }
      buttonsClip();
      drawButtons(surface, state, bitmaps, false);
      break;
    case 10:
      drawParameterPanel(window, surface, layout, state.lpParamsHeader, state.lpCutOffSeriesHeader);
      buttonsClip();
      drawButtons(surface, state, bitmaps, false);
      break;
    default:
      break;
  }
  surface.setClip(paintClip);

  drawChoicePanel(window, surface, layout.lineHeight, layout.choicePanel[0], layout.choiceItemRect[0],
                  " series length: ", state.seriesSizeChoice.count, state.seriesSizeChoice.values,
                  state.seriesSizeChoice.selected, static_cast<int32_t>(state.dwSeriesSizeUsed));
  drawChoicePanel(window, surface, layout.lineHeight, layout.choicePanel[1], layout.choiceItemRect[1],
                  " noise level: ", state.noiseLevelChoice.count, state.noiseLevelChoice.values,
                  state.noiseLevelChoice.selected, state.noiseLevelUsed);
  if (layout.choicePanelCount > 2)
    drawChoicePanel(window, surface, layout.lineHeight, layout.choicePanel[2], layout.choiceItemRect[2],
                    " lost data level: ", state.lostLevelChoice.count, state.lostLevelChoice.values,
                    state.lostLevelChoice.selected, state.lostLevelUsed);
  surface.selectFont(savedFont);
}
