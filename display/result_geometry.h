#pragma once
#include <cstdint>

#include "platform/geometry.h"

// Where the parts of the result view go for a work area, a line height, the number of
// etalons in use and the drawing settings (the first record of seriesLayoutTable).
struct ResultGeometry {
  int32_t stripWidth = 0, stripHeight = 0;                               // sw, sh
  int32_t marginX = 0, marginY = 0, halfMarginY = 0, bottomReserve = 0;  // mx, my, hy, q
  int32_t x0 = 0;
  int32_t stripTop[3] = {0, 0, 0};  // t1, t2, t3
  int32_t textX = 0, textY = 0;     // text block origin
  // The alphabet box: 2 columns of `alphabetRows` cells of cellW x cellH.
  int32_t alphabetRows = 0;
  int32_t cellW = 0, cellH = 0;
  int32_t boxLeft = 0, boxTop = 0, boxWidth = 0, boxHeight = 0;
  Rect strip(int32_t i) const { return Rect{x0, stripTop[i], x0 + stripWidth, stripTop[i] + stripHeight}; }
};
