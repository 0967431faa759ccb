#include "display/subset_panel.h"

#include <algorithm>
#include <new>
#include <string>

#include "display/app_state.h"
#include "display/etalon_glyph.h"
#include "display/panel_style.h"
#include "display/subset_tables.h"
#include "display/text_format.h"
#include "platform/surface.h"
#include "platform/window.h"
#include "signal/selected_subsets.h"
#include "signal/series_header.h"

namespace {

constexpr Color kGreyPen = rgb(160, 160, 160);
constexpr Color kRowPen = rgb(215, 220, 205);

// Releases what one call of prepareSubsetPanel allocated.
struct Allocated {
  Rect* slots = nullptr;
  int32_t* subset = nullptr;
  int32_t* sizes = nullptr;
  Rect** rectRows = nullptr;
  Rect* rectBlock = nullptr;
  int32_t** listRows = nullptr;
  int32_t* listBlock = nullptr;
  void release() {
    delete[] slots;
    delete[] subset;
    delete[] sizes;
    delete[] rectRows;
    delete[] rectBlock;
    delete[] listRows;
    delete[] listBlock;
    *this = Allocated{};
  }
};

int failed(Window& window, Allocated& got, const char* text) {
  got.release();
  window.messageBox(text, "", kMbOk);
  return 0;
}

// The glyph of etalon `number` from the alphabet, in `r`; nothing for a number outside it.
void glyph(Window& window, Surface& surface, const AppState& state, int32_t number, int32_t highlight,
           const Rect& r) {
  if (number < 1 || number > kAlphabetRecords || number > state.wEtalonsQuantity) return;
  drawEtalonGlyph(window, surface, state.layout.lineHeight, state.etalonAlphabet[number - 1],
                  state.wAmplitude, highlight, r);
}

Rect shrunk(const Rect& r, int32_t mx, int32_t my, int32_t lh) {
  return Rect{r.left + mx, r.top, r.right - 2 * mx, r.bottom - 2 * my - lh};
}

struct Frame {
  int32_t mx, my, lh, ave, cw, chh;
};

// Steps shared by both panels: the background, the upper box with the required etalons,
// the box of slots with the subset under construction. False when the tables are missing.
bool drawUpperPart(Window& window, Surface& surface, AppState& state, uint16_t requiredCount,
                   const uint16_t* requiredList, const SeriesHeader* series, Frame& f) {
  if (state.possibleSubsetRect == nullptr || state.selectedSubset == nullptr) return false;
  if (state.ButtonsWhileSelectedSubsetRect == nullptr) {
    state.ButtonsWhileSelectedSubsetRect = new (std::nothrow) Rect[8];
    if (state.ButtonsWhileSelectedSubsetRect == nullptr) {
      window.messageBox("Нет памяти для ButtonsWhileSelectedSubsetRect!", "", kMbOk);
      freeSubsetTables(state);
      return false;
    }
  }
  const Rect& wa = state.layout.workArea;
  const int32_t W = wa.right - wa.left + 1, H = wa.bottom - wa.top + 1;
  f.mx = W / 170;
  f.my = H / 131;
  f.lh = state.layout.lineHeight;
  f.ave = state.layout.averageCharWidth;
  const Rect box{wa.left + f.mx, wa.top + f.my, wa.right - f.mx, wa.top + f.my + (H - 3 * f.my) / 4};
  const int32_t hb = box.bottom - box.top;

  const int32_t cells = std::min<int32_t>(requiredList != nullptr ? requiredCount : 0, kMaxEtalonCells);
  int32_t gridCount = series != nullptr ? series->wReservedEtalons : 0;
  gridCount = std::clamp(std::max(gridCount, cells), 1, kMaxEtalonCells);
  const int32_t rows = (gridCount - 1) / 10 + 1;
  f.cw = ((box.right - box.left + 1) - 11 * f.mx) / 10;
  f.chh = (hb - (rows + 1) * f.my) / rows;
  for (int32_t k = 0; k < kMaxEtalonCells; ++k) {
    const int32_t left = box.left + f.mx + (k % 10) * (f.cw + f.mx);
    const int32_t top = box.top + f.my + (k / 10) * (f.chh + f.my);
    state.usedEtalonCellRect[k] = k < cells ? Rect{left, top, left + f.cw, top + f.chh} : Rect{};
  }
  state.possibleSubsetBox = Rect{box.left, box.bottom + f.my + f.lh, box.right, 0};
  state.possibleSubsetBox.bottom = state.possibleSubsetBox.top + f.chh + 2 * f.my;

  const Pen savedPen = surface.selectPen(Pen{kBlack});
  const Brush savedBrush = surface.selectBrush(Brush{kPanelGreen});
  surface.rectangle(wa.left, wa.top, wa.right + 1, wa.bottom + 1);
  surface.selectBrush(Brush{kWhite});
  surface.rectangle(box.left, box.top, box.right, box.bottom);
  for (int32_t k = 0; k < cells; ++k) {
    const Rect& c = state.usedEtalonCellRect[k];
    surface.rectangle(c.left, c.top, c.right, c.bottom);
    glyph(window, surface, state, requiredList[k], 0, shrunk(c, f.mx, f.my, f.lh));
  }

  const Rect& sb = state.possibleSubsetBox;
  surface.rectangle(sb.left, sb.top, sb.right, sb.bottom);
  surface.selectPen(Pen{kGreyPen});
  for (int32_t j = 0; j < kSubsetSlots && j < state.subsetCapacity; ++j) {
    const int32_t left = sb.left + f.mx + j * (f.cw + f.mx), top = sb.top + f.my;
    state.possibleSubsetRect[j] = Rect{left, top, left + f.cw, top + f.chh};
    surface.rectangle(left, top, left + f.cw, top + f.chh);
  }
  surface.selectPen(Pen{kBlack});
  const int32_t count = std::min(state.selectedSubsetCount, state.subsetCapacity);
  for (int32_t j = 0; j < count; ++j) {
    if (state.markAllPending == 1) state.selectedSubsetMarks[j] = 1;
    const Rect& s = state.possibleSubsetRect[j];
    surface.rectangle(s.left, s.top, s.right, s.bottom);
    glyph(window, surface, state, state.selectedSubset[j], state.selectedSubsetMarks[j] == 1 ? 1 : 0,
          shrunk(s, f.mx, f.my, f.lh));
  }
  surface.selectBrush(savedBrush);
  surface.selectPen(savedPen);
  return true;
}

// Draws the text buttons whose rectangles are recorded, on the pale green brush.
void drawButtons(Window& window, Surface& surface, AppState& state, const char* const* labels,
                 int32_t count) {
  const Brush savedBrush = surface.selectBrush(Brush{kPanelGreen});
  const bool transparent = surface.setTransparentText(true);
  for (int32_t b = 0; b < count; ++b)
    drawTextButton(window, surface, state.layout.lineHeight, state.ButtonsWhileSelectedSubsetRect[b],
                   labels[b], 0);
  surface.setTransparentText(transparent);
  surface.selectBrush(savedBrush);
}

int32_t widest(Surface& surface, const char* const* labels, int32_t count) {
  int32_t w = 0;
  for (int32_t b = 0; b < count; ++b) w = std::max(w, surface.textExtent(labels[b]).cx);
  return w;
}

}  // namespace

int prepareSubsetPanel(Window& window, AppState& state) {
  if (state.subsetCapacity >= kSubsetSlots) return 1;
  Allocated got;
  delete[] state.possibleSubsetRect;
  delete[] state.selectedSubset;
  state.possibleSubsetRect = nullptr;
  state.selectedSubset = state.selectedSubsetMarks = nullptr;
  state.subsetCapacity = 0;
  state.selectedSubsetCount = 0;
  got.slots = new (std::nothrow) Rect[kSubsetSlots];
  if (got.slots == nullptr) return failed(window, got, "Нет памяти для possibleSubsetRect!");
  got.subset = new (std::nothrow) int32_t[2 * kSubsetSlots]();
  if (got.subset == nullptr) return failed(window, got, "Нет памяти для selectedSubset!");

  if (state.reservedSubsetList != nullptr) {
    delete[] state.reservedSubsetList[0];
    delete[] state.reservedSubsetList;
    state.reservedSubsetList = nullptr;
  }
  if (state.possibleSubsetArrayRect != nullptr) {
    delete[] state.possibleSubsetArrayRect[0];
    delete[] state.possibleSubsetArrayRect;
    state.possibleSubsetArrayRect = nullptr;
    state.subsetRowRect = nullptr;
  }

  int32_t capacity = state.reservedSubsetCapacity;
  const bool newSizes = capacity == 0 || state.selectedSubsetArraySize == nullptr;
  if (newSizes) {
    capacity = state.reservedSubsetCapacity != 0 ? state.reservedSubsetCapacity : state.reservedSubsetRows;
    if (capacity >= 1 && capacity <= kMaxReservedSubsets)
      got.sizes = new (std::nothrow) int32_t[static_cast<size_t>(capacity)]();
    if (got.sizes == nullptr) return failed(window, got, "Нет памяти для selectedSubsetArraySize!");
  }
  const size_t rows = static_cast<size_t>(capacity);
  const size_t width = static_cast<size_t>(kSubsetSlots) + 1;
  got.rectRows = new (std::nothrow) Rect*[rows];
  got.rectBlock = new (std::nothrow) Rect[rows * (width + 1)];
  if (got.rectRows == nullptr || got.rectBlock == nullptr)
    return failed(window, got, "Нет памяти для possibleSubsetArrayRect!");
  got.listRows = new (std::nothrow) int32_t*[rows];
  got.listBlock = new (std::nothrow) int32_t[rows * (width + 1)]();
  if (got.listRows == nullptr || got.listBlock == nullptr)
    return failed(window, got, "Нет памяти для reservedSubsetList!");

  state.subsetCapacity = kSubsetSlots;
  state.possibleSubsetRect = got.slots;
  state.selectedSubset = got.subset;
  state.selectedSubsetMarks = got.subset + kSubsetSlots;
  if (newSizes) {
    delete[] state.selectedSubsetArraySize;
    state.selectedSubsetArraySize = got.sizes;
    state.reservedSubsetCount = 0;
    state.reservedSubsetCapacity = capacity;
  }
  for (size_t r = 0; r < rows; ++r) {
    got.rectRows[r] = got.rectBlock + r * width;
    got.listRows[r] = got.listBlock + r * width;
  }
  state.possibleSubsetArrayRect = got.rectRows;
  state.reservedSubsetList = got.listRows;
  state.subsetRowRect = got.rectBlock + rows * width;
  return 1;
}

void drawSubsetPanel(Window& window, Surface& surface, AppState& state, uint16_t requiredCount,
                     const uint16_t* requiredList, const SeriesHeader* series) {
  Frame f{};
  if (!drawUpperPart(window, surface, state, requiredCount, requiredList, series, f)) return;
  static const char* const kLabels[4] = {" Delete All ", " Delete ", " Cancel ", " OK "};
  const int32_t bw = widest(surface, kLabels, 4) + 4 * f.ave, bh = 2 * f.lh - 1;
  const int32_t top = state.possibleSubsetBox.bottom + f.lh / 2;
  int32_t x = state.possibleSubsetBox.left;
  for (int32_t b = 0; b < 4; ++b) {
    state.ButtonsWhileSelectedSubsetRect[b] = Rect{x, top, x + bw, top + bh};
    x += bw + 2 * f.ave;
  }
  state.subsetButtonCount = 4;
  drawButtons(window, surface, state, kLabels, 4);
}

void drawTupleSubsetPanel(Window& window, Surface& surface, AppState& state, uint16_t requiredCount,
                          const uint16_t* requiredList, const SeriesHeader* series) {
  Frame f{};
  if (!drawUpperPart(window, surface, state, requiredCount, requiredList, series, f)) return;
  static const char* const kLabels[6] = {" Delete All ", " Delete ", " Cancel ",
                                         " OK ",         " Accept ", " Clear All "};
  const int32_t bw = widest(surface, kLabels, 6) + 4 * f.ave, bh = 2 * f.lh - 1;
  const int32_t top = state.possibleSubsetBox.bottom + f.lh / 2;
  const int32_t step = bw + 2 * f.ave;
  const int32_t left = state.possibleSubsetBox.left;
  const int32_t cancel = state.possibleSubsetBox.right - 2 * (bw + f.ave);
  const int32_t xs[6] = {left, left + step, cancel, cancel + step, left + 2 * step, left + 3 * step};
  for (int32_t b = 0; b < 6; ++b)
    state.ButtonsWhileSelectedSubsetRect[b] = Rect{xs[b], top, xs[b] + bw, top + bh};
  state.subsetButtonCount = 6;
  drawButtons(window, surface, state, kLabels, 6);

  // The reserved subsets, in two columns of rows.
  const Rect& wa = state.layout.workArea;
  const int32_t capacity = state.reservedSubsetCapacity;
  if (capacity > 0 && state.possibleSubsetArrayRect != nullptr && state.reservedSubsetList != nullptr) {
    const int32_t rl = wa.left + f.mx, wr = (wa.right - f.mx) - rl + 1;
    const int32_t tr = top + bh + f.lh / 2, hr = wa.bottom - (tr + f.my);
    const int32_t rows = (capacity + 1) / 2;
    const int32_t wc = (wr - f.mx) / 2, rh = (hr - (rows - 1) * f.my) / rows;
    const int32_t ew = (wc - 2 * state.subsetCapacity + 1) / state.subsetCapacity, eh = rh - 2;
    surface.textOut(state.possibleSubsetBox.left, tr + f.lh, formatText(" reserved subsets %d ", capacity));
    const Pen savedPen = surface.selectPen(Pen{kRowPen});
    const Brush savedBrush = surface.selectBrush(Brush{kPanelGreen});
    for (int32_t r = 0; r < capacity; ++r) {
      const int32_t y = tr + (r % rows) * (rh + f.my);
      const int32_t x = r / rows == 0 ? rl : rl + wc + f.mx;
      Rect* row = state.possibleSubsetArrayRect[r];
      row[state.subsetCapacity] = Rect{x, y, x + 1 + wc, y + 1 + rh};
      for (int32_t j = 0; j < state.subsetCapacity; ++j)
        row[j] = Rect{x + 2 + j * (ew + 2), y + 1 - f.my / 2, x - 3 + (j + 1) * (ew + 2),
                      y + eh - (f.my - 1 + f.lh)};
      const Rect& rr = row[state.subsetCapacity];
      surface.rectangle(rr.left, rr.top, rr.right, rr.bottom);
    }
    surface.selectPen(Pen{kBlack});
    surface.selectBrush(Brush{kWhite});
    const int32_t kept = std::min(state.reservedSubsetCount, capacity);
    for (int32_t r = 0; r < kept; ++r) {
      const Rect* row = state.possibleSubsetArrayRect[r];
      const Rect& rr = row[state.subsetCapacity];
      surface.rectangle(rr.left, rr.top, rr.right, rr.bottom);
      const int32_t size = std::clamp(state.selectedSubsetArraySize[r], 0, state.subsetCapacity);
      for (int32_t j = 0; j < size; ++j)
        glyph(window, surface, state, state.reservedSubsetList[r][j],
              r == state.selectedSubsetRow - 1 ? 2 : 0, row[j]);
    }
    surface.selectBrush(savedBrush);
    surface.selectPen(savedPen);
  }
  state.markAllPending = 0;
}

int32_t appendReservedSubset(Window& window, const int32_t* entries, int32_t count, int32_t* sizes,
                             int32_t* const* list, int32_t reservedCount, int32_t capacity) {
  (void)window;
  if (sizes == nullptr || list == nullptr || reservedCount < 0 || reservedCount >= capacity)
    return reservedCount;
  const int32_t n = std::clamp(count, 0, kSubsetSlots);
  for (int32_t j = 0; j < n; ++j) list[reservedCount][j] = entries[j];
  sizes[reservedCount] = n;
  return reservedCount + 1;
}

void deleteMarkedEntries(AppState& state) {
  if (state.selectedSubset == nullptr) return;
  for (int32_t j = std::min(state.selectedSubsetCount, state.subsetCapacity) - 1; j >= 0; --j) {
    if (state.selectedSubsetMarks[j] != 1) continue;
    for (int32_t k = j; k + 1 < state.selectedSubsetCount; ++k) {
      state.selectedSubset[k] = state.selectedSubset[k + 1];
      state.selectedSubsetMarks[k] = state.selectedSubsetMarks[k + 1];
    }
    --state.selectedSubsetCount;
    state.selectedSubset[state.selectedSubsetCount] = 0;
    state.selectedSubsetMarks[state.selectedSubsetCount] = 0;
  }
}

void clearSelectedSubset(AppState& state) {
  if (state.selectedSubset != nullptr)
    for (int32_t j = 0; j < 2 * state.subsetCapacity; ++j) state.selectedSubset[j] = 0;
  state.selectedSubsetCount = 0;
}

bool applySubset(Window& window, AppState& state) {
  if (state.effectiveTaskType == 40) {
    if (state.reservedSubsetCount < 1 || state.selectedSubsetArraySize == nullptr ||
        state.reservedSubsetList == nullptr)
      return false;
    return addSomeSelectedSubsetToSeriesHeader(
               window, state.selectedSubsetArraySize, state.reservedSubsetList, state.reservedSubsetCount,
               state.reservedSubsetCapacity, state.subsetCapacity, state.selectedSubsetRow,
               state.subsetEmployment, state.subsetInitPosition, state.lpCutOffSeriesHeader) != 0;
  }
  if (state.selectedSubsetCount < 1 || state.selectedSubset == nullptr) return false;
  setSubset(window, state.selectedSubset, state.selectedSubsetCount, state.subsetEmployment,
            state.subsetInitPosition, state.lpCutOffSeriesHeader);
  return true;
}
