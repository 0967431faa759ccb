#include "display/layout.h"

const uint16_t seriesLayoutTable[4][12] = {
    {12, 15, 800, 240, 800, 330, 50, 125, 800, 240, 200, 335},
    {12, 15, 800, 240, 800, 240, 50, 125, 800, 240, 200, 335},
    {12, 15, 800, 240, 800, 240, 50, 125, 800, 500, 200, 350},
    {12, 15, 800, 250, 400, 125, 50, 125, 800, 500, 200, 375},
};

void etalonGridShape(int32_t etalonsQuantity, int32_t& columns, int32_t& rows) {
  int32_t k = 1;
  while (static_cast<int64_t>(k) * (k + 1) < etalonsQuantity) ++k;
  columns = k + 1;
  rows = k;
}

static Rect buttonAt(int32_t right, int32_t top) {
  const int32_t left = right - 154;
  return Rect{left, top, left + kButtonWidth - 1, top + kButtonHeight - 1};
}

void computeScreenLayout(ScreenLayout& layout, const Rect& client, int32_t lineHeight,
                         int32_t etalonsQuantity, uint16_t effectiveTaskType, uint16_t seriesType) {
  const int32_t L = client.left, T = client.top, R = client.right, B = client.bottom;
  layout.lineHeight = lineHeight;

  layout.exitButtonRect = buttonAt(R, B - 42);
  layout.nextButtonRect = buttonAt(R, B - 84);
  int32_t y = B - 126;
  if (effectiveTaskType != 1 && effectiveTaskType != 36 && effectiveTaskType != 40) {
    layout.selectAllButtonRect = buttonAt(R, y);
    layout.selectAllButtonRectCopy = layout.selectAllButtonRect;
    y = B - 168;
  }
  layout.restartButtonRect = buttonAt(R, y);
  layout.buttonColumnRect = Rect{R - 154, y - 42, R - 11, B - 95};

  int32_t columns = 0, rows = 0;
  const int32_t n = etalonsQuantity > kMaxEtalonCells ? kMaxEtalonCells : etalonsQuantity;
  etalonGridShape(n, columns, rows);
  layout.gridColumns = columns;
  layout.gridRows = rows;
  // Stored in 16 bits as the rest of the program expects; a client too small for the
  // grid wraps here, which is why the views check the sizes before drawing cells.
  layout.cellWidth = static_cast<uint16_t>(((R - 154) - (L + 10) - 9 - 10 * (columns + 1)) / columns);
  layout.cellHeight = static_cast<uint16_t>((B - (T + 10) - 9 - 10 * (rows + 1)) / rows);
  layout.cellPlotWidth = static_cast<uint16_t>(layout.cellWidth - 10);
  layout.cellPlotHeight = static_cast<uint16_t>(layout.cellHeight - 10);
  layout.workArea.left = L + 10;
  layout.workArea.top = T + 10;
  layout.workArea.right = (L + 10) + layout.cellWidth * columns + 10 * (columns + 1) - 1;
  layout.workArea.bottom = (T + 10) + layout.cellHeight * rows + 10 * (rows + 1) - 1;
  for (int32_t i = 0; i < n; ++i) {
    Rect& cell = layout.etalonCellRect[i];
    cell.left = L + 20 + (i % columns) * (layout.cellWidth + 10);
    cell.top = T + 20 + (i / columns) * (layout.cellHeight + 10);
    cell.right = cell.left + layout.cellWidth - 1;
    cell.bottom = cell.top + layout.cellHeight - 1;
  }

  const int32_t panelLeft = layout.workArea.right + 10;
  const int32_t panelRight = R - 10;
  int32_t top = layout.workArea.top;
  layout.choicePanelCount = (seriesType == 2 || seriesType == 8) ? 3 : 2;
  for (int32_t p = 0; p < layout.choicePanelCount; ++p) {
    layout.choicePanel[p] = Rect{panelLeft, top, panelRight, top + 6 * lineHeight};
    top = layout.choicePanel[p].bottom + lineHeight;
  }
}

void choiceItemRects(const Rect& panel, int32_t lineHeight, int32_t count, Rect* items) {
  const int32_t w = panel.right - panel.left + 1;
  const int32_t x = panel.left + 10;
  int32_t y = panel.top + (lineHeight >> 1) + lineHeight;
  for (int32_t i = 0; i < count; ++i) {
    items[i] = Rect{x, y, x + w - 20, y + lineHeight + (lineHeight >> 1) - 1};
    y += lineHeight + (lineHeight >> 1);
  }
}

Rect viewArea(const ScreenLayout& layout) {
  const Rect& w = layout.workArea;
  return Rect{w.left, w.top - 10, w.right + 2, w.bottom + 2};
}
