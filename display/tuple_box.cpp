#include "display/tuple_box.h"

#include "display/app_state.h"
#include "display/etalon_glyph.h"
#include "display/result_geometry.h"
#include "display/series_etalon.h"
#include "platform/surface.h"
#include "processing/chains_header.h"
#include "signal/series_header.h"

// The pattern tuple box at the bottom right of the result view: the set of pattern tuples
// of a tuple recognition run (one row each, the recognised one grey, the selected one red),
// or the single pattern tuple of the series.
void drawPatternTupleBox(Window& window, Surface& surface, AppState& state, const ResultGeometry& g,
                         const ChainsHeader& chains, const SeriesHeader& series, int16_t amplitude) {
  const int32_t lh = state.layout.lineHeight;
  const Rect& area = state.layout.workArea;
  const bool tupleSet = chains.wTaskType == 40;
  const std::string title = tupleSet ? " pattern tuples " : " pattern tuple ";
  const Size extent = surface.textExtent(title);
  const int32_t tw = extent.cx, th = extent.cy;
  const int32_t cw = g.cellW, ch = g.cellH, mx = g.marginX, my = g.marginY;

  int32_t tuples = 0, longest = 0;
  if (tupleSet) {
    if (series.selectedSubsetSize != nullptr && series.selectedSubsetList != nullptr) {
      tuples = series.wSelectedSubsets < series.wReservedSubsets ? series.wSelectedSubsets
                                                                 : series.wReservedSubsets;
      for (int32_t i = 0; i < tuples; ++i) {
        int32_t size = series.selectedSubsetSize[i];
        if (size > series.wReservedSubsetItems) size = series.wReservedSubsetItems;
        if (size > longest) longest = size;
      }
    }
  } else if (series.lpSubset != nullptr) {
    longest = series.wSubsetSize < series.wPulsesCapacity ? series.wSubsetSize : series.wPulsesCapacity;
    tuples = longest > 0 ? 1 : 0;
  }
  if (tuples == 0 || longest == 0) return;

  int32_t gx, gy, s, v, bw2, bh2, aw, top;
  if (tupleSet) {
    gy = my / 8 + 1;
    gx = mx / 8 + 1;
    s = cw;
    bw2 = (s + gx) * longest + gx + 1;
    v = ((ch + 2 * gy + lh) * 8 + 5) / 9;
    bh2 = (v + gy) * tuples + gy;
    aw = area.right - g.x0 - mx - 1;
  } else {
    gy = my / 4 + 1;
    gx = mx / 4 + 1;
    s = cw + 2 * gx;
    bw2 = (s + gx) * longest + gx + 1;
    v = ch + 2 * gy + lh;
    bh2 = v + 2 * gy;
    aw = g.stripWidth;
  }
  if (aw < bw2) {
    const int32_t u = (aw - gx - 1) / longest;
    s = u - gx;
    bw2 = u * longest + gx + 1;
  }
  if (bw2 < tw + 20) bw2 = tw + 20;
  const int32_t left = g.x0 + aw - bw2 + 1;
  if (tupleSet)
    top = area.bottom - bh2 - gy;
  else if (g.alphabetRows < 8)
    top = area.bottom - bh2 - g.bottomReserve;
  else
    top = g.boxTop + g.boxHeight + 1 - bh2;

  surface.rectangle(left, top - lh / 4 + 1, left + bw2, top + bh2);
  auto glyph = [&](int32_t number, int32_t x, int32_t y, int32_t highlight) {
    const PulseHeader* etalon = seriesEtalon(series, number);
    if (etalon != nullptr)
      drawEtalonGlyph(window, surface, lh, *etalon, amplitude, highlight,
                      Rect{x + gx, y - gy - 1, x + s - 2 * gx, y + v - 2 * gy - lh});
  };
  if (tupleSet) {
    int32_t y = top + gy / 2;
    for (int32_t i = 0; i < tuples; ++i) {
      int32_t highlight = (i + 1 == state.selectedSubsetRow) ? 2 : 0;
      if (i + 1 == series.wRecognizedSubset) highlight = 1;
      // The rows are recorded for the press handler as far as its table reaches.
      if (state.subsetRowRect != nullptr && i < state.reservedSubsetCapacity)
        state.subsetRowRect[i] = Rect{left + gx, y, left + gx + bw2, y + v + gy};
      int32_t size = series.selectedSubsetSize[i];
      if (size > series.wReservedSubsetItems) size = series.wReservedSubsetItems;
      int32_t x = left + gx;
      for (int32_t j = 0; j < size; ++j) {
        glyph(series.selectedSubsetList[i][j], x, y, highlight);
        x += s + gx;
      }
      y += v + gy;
    }
  } else {
    const int32_t y = top + gy;
    int32_t x = left + gx;
    for (int32_t j = 0; j < longest; ++j) {
      glyph(series.lpSubset[j], x, y, 0);
      x += s + gx;
    }
  }
  surface.textOut(left + bw2 - tw - 10, top - (th / 4 + th / 2), title);
}
