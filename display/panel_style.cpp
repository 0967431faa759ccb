#include "display/panel_style.h"

#include "display/layout.h"
#include "platform/surface.h"

namespace {

void line(Surface& surface, int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
  surface.moveTo(x1, y1);
  surface.lineTo(x2, y2);
}

}  // namespace

int drawTextButton(Window& window, Surface& surface, int32_t lineHeight, const Rect& r,
                   const std::string& text, int32_t flag) {
  (void)window, (void)flag;
  const int32_t x = r.left, y = r.top, w = r.right - r.left, h = r.bottom - r.top;
  surface.rectangle(x, y, x + w + 1, y + h + 1);
  const Pen saved = surface.selectPen(Pen{rgb(125, 125, 125)});
  line(surface, x, y, x + w + 1, y);
  line(surface, x, y, x, y + h + 1);
  line(surface, x + w - 1, y + 1, x + w - 1, y + h);
  line(surface, x + 1, y + h - 1, x + w, y + h - 1);
  surface.selectPen(Pen{rgb(165, 170, 165)});
  line(surface, x + w - 2, y + 2, x + w - 2, y + h - 1);
  line(surface, x + 2, y + h - 2, x + w - 1, y + h - 2);
  surface.selectPen(Pen{kWhite});
  line(surface, x + 1, y + 1, x + w - 1, y + 1);
  line(surface, x + 1, y + 1, x + 1, y + h - 1);
  surface.selectPen(saved);
  const int32_t tw = surface.textExtent(text).cx;
  surface.textOut(x + (w - tw) / 2, y + (lineHeight - 2) / 2, text);
  return 1;
}

int32_t panelMarginX(const ScreenLayout& layout) {
  return (layout.workArea.right - layout.workArea.left + 1) / 170;
}

int32_t panelMarginY(const ScreenLayout& layout) {
  return (layout.workArea.bottom - layout.workArea.top + 1) / 131;
}
