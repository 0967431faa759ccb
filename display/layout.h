#pragma once
#include <cstdint>

#include "platform/geometry.h"

// Most etalons the grid of the alphabet view can hold.
constexpr int32_t kMaxEtalonCells = 20;
// Every bitmap button is 144 x 32 pixels.
constexpr int32_t kButtonWidth = 144;
constexpr int32_t kButtonHeight = 32;

// The geometry of the whole window, recomputed at every paint from the client
// rectangle and the font. The mouse handling and the repaint commands hit-test and
// invalidate against these rectangles; they are zero before the first paint.
struct ScreenLayout {
  int32_t lineHeight = 0;
  int32_t averageCharWidth = 0;
  int32_t maximumCharWidth = 0;

  Rect workArea;
  uint16_t cellWidth = 0;
  uint16_t cellHeight = 0;
  uint16_t cellPlotWidth = 0;
  uint16_t cellPlotHeight = 0;
  int32_t gridColumns = 0;
  int32_t gridRows = 0;
  Rect etalonCellRect[kMaxEtalonCells];

  Rect exitButtonRect;
  Rect nextButtonRect;
  Rect selectAllButtonRect;
  Rect selectAllButtonRectCopy;  // the copy the press handler tests
  Rect restartButtonRect;
  Rect buttonColumnRect;
  int32_t selectAllShown = 0;  // 1: the button shows Select All, 0: Unselect All

  int32_t choicePanelCount = 0;  // 2, or 3 for the cut-off series types
  Rect choicePanel[3];
  Rect choiceItemRect[3][3];
};

// Columns and rows of the etalon grid: k rows and k + 1 columns with k the smallest
// integer not below 1 for which k * (k + 1) holds every etalon.
void etalonGridShape(int32_t etalonsQuantity, int32_t& columns, int32_t& rows);

// Recomputes the button column, the etalon grid with the work area, and the choice
// panel rectangles for the client rectangle. The select-all rectangle is updated
// only when the task shows that button; otherwise it keeps its last value. The
// choice item rectangles are left to drawChoicePanel. Cannot fail; a tiny client
// gives zero or wrapped cell sizes (the views then draw nothing useful).
void computeScreenLayout(ScreenLayout& layout, const Rect& client, int32_t lineHeight,
                         int32_t etalonsQuantity, uint16_t effectiveTaskType, uint16_t seriesType);

// Where a view draws: the work area with the caption of its frame above it (10 pixels) and
// its outline one pixel right of and below it; exclusive right and bottom edges. Views are
// clipped to it, and a repaint of the view invalidates it.
Rect viewArea(const ScreenLayout& layout);

// The hit rectangles of the entries of a choice panel, as drawChoicePanel places them.
void choiceItemRects(const Rect& panel, int32_t lineHeight, int32_t count, Rect* items);

// Per-mille proportions used by the result view (record 0) and the charts (1 to 3).
extern const uint16_t seriesLayoutTable[4][12];
