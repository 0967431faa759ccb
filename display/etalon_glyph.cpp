#include "display/etalon_glyph.h"

#include "display/plot_mapping.h"
#include "display/text_format.h"
#include "platform/surface.h"
#include "signal/pulse_header.h"

// The axis, the zero line (reaching 5 pixels beyond the width) and the waveform, each
// waveform pass shifted by one of the offsets.
static void drawGlyphPlot(Surface& surface, const PulseHeader& pulse, int32_t amplitude, int32_t x, int32_t y,
                          int32_t w, int32_t h, int32_t passes) {
  surface.moveTo(x, y);
  surface.lineTo(x, y + h);
  surface.moveTo(x, y + h / 2);
  surface.lineTo(x + 5 + w, y + h / 2);
  if (pulse.lpData == nullptr || pulse.wSize == 0) return;
  static const int32_t kOffsets[3][2] = {{0, 0}, {1, 0}, {0, -1}};
  for (int32_t pass = 0; pass < passes; ++pass) {
    const int32_t dx = kOffsets[pass][0], dy = kOffsets[pass][1];
    surface.moveTo(x + dx, y + h / 2 + dy);
    int32_t lastX = x + dx;
    for (int32_t j = 0; j < pulse.wSize; ++j) {
      lastX = x + spreadX(j, w, pulse.wSize) + dx;
      surface.lineTo(lastX, y + valueY(pulse.lpData[j], amplitude, h) + dy);
    }
    surface.lineTo(lastX, y + h / 2 + dy);
  }
}

int drawEtalonGlyph(Window& window, Surface& surface, int32_t lineHeight, const PulseHeader& pulse,
                    int16_t amplitude, int32_t highlight, const Rect& rect) {
  (void)window;
  const int32_t x = rect.left;
  int32_t y = rect.top + 1;
  const int32_t w = rect.right - rect.left;
  const int32_t h = rect.bottom - rect.top;
  surface.textOut(x, y + 1, formatText(" %c ", etalonLetter(pulse.wNumber)));
  y += lineHeight + (lineHeight >> 2);
  if (highlight == 0) {
    drawGlyphPlot(surface, pulse, amplitude, x, y, w, h, 1);
    return 1;
  }
  const Color k = highlight == 1 ? rgb(163, 163, 163) : rgb(255, 0, 0);
  const Pen oldPen = surface.selectPen(Pen{k});
  const Brush oldBrush = surface.selectBrush(Brush{k});
  surface.rectangle(x - 3, y - 1, x + 6 + w, y + 1 + h);
  surface.selectPen(Pen{kWhite});
  drawGlyphPlot(surface, pulse, amplitude, x, y, w, h, 3);
  surface.selectPen(oldPen);
  surface.selectBrush(oldBrush);
  return 1;
}
