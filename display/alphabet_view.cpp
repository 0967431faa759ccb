#include "display/alphabet_view.h"

#include "display/app_state.h"
#include "display/plot_mapping.h"
#include "display/text_format.h"
#include "platform/surface.h"

void drawWorkAreaOutline(Surface& surface, const AppState& state) {
  const Rect& a = state.layout.workArea;
  surface.moveTo(a.left, a.top);
  surface.lineTo(a.left, a.bottom + 1);
  surface.lineTo(a.right + 1, a.bottom + 1);
  surface.lineTo(a.right + 1, a.top);
  surface.lineTo(a.left, a.top);
}

static void frameLines(Surface& surface, int32_t left, int32_t top, int32_t right, int32_t bottom) {
  surface.moveTo(left, top);
  surface.lineTo(right, top);
  surface.lineTo(right, bottom);
  surface.lineTo(left, bottom);
  surface.lineTo(left, top);
}

int drawAlphabetView(Window& window, Surface& surface, const AppState& state) {
  (void)window;
  drawWorkAreaOutline(surface, state);
  const ScreenLayout& layout = state.layout;
  const int32_t lineHeight = layout.lineHeight;
  // The cell sizes are 16-bit and wrap for a tiny client: such cells hold no plot.
  const int32_t cellWidth = static_cast<int16_t>(layout.cellWidth);
  const int32_t cellHeight = static_cast<int16_t>(layout.cellHeight);
  const int32_t w = cellWidth - 10;
  const int32_t h = cellHeight - 10 - lineHeight;
  if (w <= 6 || h <= 0) return 1;
  const int32_t A = state.wAmplitude;
  const int32_t n = state.wEtalonsQuantity < kMaxEtalonCells ? state.wEtalonsQuantity : kMaxEtalonCells;
  for (int32_t i = 0; i < n; ++i) {
    const PulseHeader& pulse = state.etalonAlphabet[i];
    const Rect& R = layout.etalonCellRect[i];
    const bool selected = state.etalonSelected[i] == 1;
    const int32_t x = R.left + 5;
    int32_t y = R.top + 5;
    uint32_t energy = 0;  // 32-bit as shown
    for (int32_t j = 0; pulse.lpData != nullptr && j < pulse.wSize; ++j)
      energy += static_cast<uint32_t>(int32_t{pulse.lpData[j]} * pulse.lpData[j]);
    surface.textOut(x, y, formatText(" pulse %d [%d]", i + 1, static_cast<int32_t>(energy)));
    y += lineHeight;
    surface.moveTo(x, y);
    surface.lineTo(x, y + h);
    surface.moveTo(x, y + h / 2);
    surface.lineTo(x + w - 1, y + h / 2);

    const Pen oldPen = surface.selectPen(Pen{selected ? rgb(0, 0, 255) : rgb(0, 0, 127)});
    if (pulse.lpData != nullptr && pulse.wSize > 0) {
      static const int32_t kOffsets[3][2] = {{0, 0}, {1, 0}, {0, -1}};
      for (const auto& offset : kOffsets) {
        surface.moveTo(x + offset[0], y + h / 2 + offset[1]);
        int32_t lastX = x + offset[0];
        for (int32_t j = 0; j < pulse.wSize; ++j) {
          lastX = x + spreadX(j, w - 6, pulse.wSize) + offset[0];
          surface.lineTo(lastX, y + valueY(pulse.lpData[j], A, h) + offset[1]);
        }
        surface.lineTo(lastX, y + h / 2 + offset[1]);
      }
    }
    const int32_t right = R.left + cellWidth, bottom = R.top + cellHeight;
    if (selected) {
      surface.selectPen(Pen{rgb(163, 163, 163)});
      frameLines(surface, R.left, R.top, right, bottom);
      frameLines(surface, R.left + 1, R.top + 1, right - 1, bottom - 1);
      frameLines(surface, R.left - 1, R.top - 1, right + 1, bottom + 1);
    } else {
      surface.selectPen(Pen{rgb(127, 127, 127)});
      frameLines(surface, R.left, R.top, right, bottom);
    }
    surface.selectPen(oldPen);
  }
  return 1;
}
