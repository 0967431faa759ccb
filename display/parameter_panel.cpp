#include "display/parameter_panel.h"

#include <algorithm>
#include <string>

#include "display/internal_commands.h"
#include "display/layout.h"
#include "display/panel_style.h"
#include "display/params_header.h"
#include "display/text_format.h"
#include "platform/surface.h"
#include "platform/window.h"

namespace {

constexpr Color kNearWhite = rgb(250, 250, 250);

void line(Surface& surface, const Segment& s) {
  surface.moveTo(s.x1, s.y1);
  surface.lineTo(s.x2, s.y2);
}

// Single black pixels every 2 pixels along row y from x1 up to x2 (exclusive).
void dashed(Surface& surface, const Segment& s, Color c) {
  for (int32_t x = s.x1; x < s.x2; x += 2) surface.setPixel(x, s.y1, c);
}

// `text` right-aligned to `right` at row y; gives its left edge.
int32_t rightAligned(Surface& surface, int32_t right, int32_t y, const std::string& text) {
  const int32_t x = right - surface.textExtent(text).cx;
  surface.textOut(x, y, text);
  return x;
}

struct Geometry {
  int32_t mx, my, lh, ave, th, bw, bh;
  int32_t pl, pr, pt, pb;
};

Geometry geometryOf(Surface& surface, const ScreenLayout& layout) {
  Geometry g{};
  g.mx = panelMarginX(layout);
  g.my = panelMarginY(layout);
  g.lh = layout.lineHeight;
  g.ave = layout.averageCharWidth;
  const Size cancel = surface.textExtent(" Cancel "), ok = surface.textExtent(" OK ");
  g.th = ok.cy;
  g.bw = std::max(cancel.cx, ok.cx) + 4 * g.ave;
  g.bh = 2 * g.lh - 1;
  const Rect& a = layout.workArea;
  g.pl = a.left + g.mx;
  g.pr = a.right - g.mx;
  g.pt = a.top + g.my;
  g.pb = a.bottom - 3 * g.my - g.bh + 1;
  return g;
}

// Erases, with the near-white pen, what the last draw showed and the new values move.
void eraseOutdated(Surface& surface, const ParamsHeader& p, const ParamsHeader& old, const PanelMapping& m,
                   int32_t th) {
  const Pen saved = surface.selectPen(Pen{kNearWhite});
  line(surface, old.lastPulseLine);
  const int32_t lastX = m.x(int64_t{p.pulses} - 1);
  if (p.pulses < old.previousPulses) {
    // The new top line stops short of its last pulse's column, so the old one is erased from there.
    surface.moveTo(lastX, old.topLine.y1);
    surface.lineTo(old.topLine.x2 + 1, old.topLine.y2);
    for (int32_t j = std::max(p.pulses, 0); j < old.previousPulses; ++j) {
      surface.moveTo(m.x(j), m.gy1 - 1);
      surface.lineTo(m.x(j), m.gy1 - 3);
    }
  }
  const Brush savedBrush = surface.selectBrush(Brush{kWhite});
  struct Handle {
    bool changed;
    const Segment& dash;
    const Rect& label;
  };
  const Handle handles[2] = {
      {p.firstStartMax != old.previousFirstStartMax, old.firstStartDash, old.firstStartLabel},
      {p.lastStartMin != old.previousLastStartMin, old.lastStartDash, old.lastStartLabel}};
  for (const Handle& h : handles) {
    Segment part = h.dash;
    // Only the dots beyond the new end, on the old dots' parity.
    if (!h.changed && p.firstStartDash.x2 > part.x1) part.x1 += (p.firstStartDash.x2 - part.x1 + 1) / 2 * 2;
    dashed(surface, part, kNearWhite);
    if (h.changed) surface.rectangle(h.label.left, h.label.top, h.label.right, h.label.bottom);
  }
  surface.selectBrush(savedBrush);
  const Segment* olds[4] = {&old.tmaxLine, &old.tminLine, &old.earliestLine, &old.lastLine};
  const Segment* news[4] = {&p.tmaxLine, &p.tminLine, &p.earliestLine, &p.lastLine};
  for (int32_t k = 0; k < 4; ++k)
    if (!(*olds[k] == *news[k])) line(surface, *olds[k]);
  // The first row of index labels is written again from scratch.
  surface.fillRect(Rect{p.innerRect.left + 1, m.gy1 + th / 2, p.innerRect.right - 1, m.gy1 + th / 2 + th},
                   kWhite);
  surface.selectPen(saved);
}

// Axes and ticks.
void drawAxes(Surface& surface, ParamsHeader& p, const PanelMapping& m, const Geometry& g) {
  const int32_t P = p.pulses;
  surface.moveTo(m.gx0, m.gy1);
  surface.lineTo(m.gx0, static_cast<int32_t>(m.gy1 - m.gh));
  surface.moveTo(m.gx0, m.gy1);
  surface.lineTo(static_cast<int32_t>(m.gx0 + m.gw + g.mx), m.gy1);
  for (int32_t j = 0; j < P; ++j) {
    surface.moveTo(m.x(j), m.gy1 - 1);
    surface.lineTo(m.x(j), m.gy1 - 3);
  }
  const int32_t d = static_cast<int32_t>((m.gw / m.K) / 2);
  for (int32_t k = p.minPulses; k <= p.maxPulses; ++k) {
    const int32_t x = m.x(int64_t{k} - 1);
    surface.moveTo(x, m.gy1 + 1);
    surface.lineTo(x, m.gy1 + 3);
    const int32_t i = k - p.minPulses;
    if (i >= 0 && i < p.pulsesSelectedCount && i < p.pulsesSelectedCapacity)
      p.pulsesSelectedAreas[i] = Rect{x - d, m.gy1 - g.th / 2, x + d, m.gy1 + g.th / 2};
  }
}

// The top line, the last pulse's line and the dashed handles.
void drawStartLines(Surface& surface, ParamsHeader& p, const PanelMapping& m, const Geometry& g,
                    int32_t lastX, int32_t dashLeft, int32_t dashRight) {
  p.topLine = Segment{m.gx0, m.y(p.startMax), lastX, m.y(p.startMax)};
  line(surface, p.topLine);
  p.lastPulseLine = Segment{lastX, m.y(p.startMin), lastX, m.y(p.startMax)};
  line(surface, p.lastPulseLine);
  dashed(surface, p.firstStartDash, kBlack);
  dashed(surface, p.lastStartDash, kBlack);
  const int32_t hy = g.my / 2 + 1;
  p.firstStartHandle = Rect{dashLeft, p.firstStartDash.y1 - hy, dashRight, p.firstStartDash.y1 + hy};
  p.lastStartHandle = Rect{dashLeft, p.lastStartDash.y1 - hy, dashRight, p.lastStartDash.y1 + hy};
}

// Index labels: the pulses, then the possible pulse counts.
void drawIndexLabels(Surface& surface, const ParamsHeader& p, const PanelMapping& m, const Geometry& g) {
  const int32_t P = p.pulses;
  const int32_t labelY = m.gy1 + g.th / 2;
  for (int32_t j = 0; j < P; ++j) rightAligned(surface, m.x(j) + g.ave / 2, labelY, formatText("%d", j + 1));
  for (int32_t k = p.minPulses; k <= p.maxPulses; ++k)
    rightAligned(surface, m.x(int64_t{k} - 1) + g.ave / 2, labelY + g.lh, formatText("%d", k));
}

// Value labels left of the vertical axis.
void drawValueLabels(Surface& surface, ParamsHeader& p, const PanelMapping& m, const Geometry& g) {
  const int32_t valueRight = m.gx0 - g.mx;
  rightAligned(surface, valueRight, m.gy1 - g.th / 2, formatText("%d", p.startMin));
  int32_t x =
      rightAligned(surface, valueRight, p.firstStartDash.y1 - g.th / 2, formatText("%d", p.firstStartMax));
  p.firstStartLabel =
      Rect{x, p.firstStartDash.y1 - g.th / 2, m.gx0 + 1, p.firstStartDash.y1 - g.th / 2 + g.th + 1};
  x = rightAligned(surface, valueRight, p.lastStartDash.y1 - g.th / 2, formatText("%d", p.lastStartMin));
  p.lastStartLabel =
      Rect{x, p.lastStartDash.y1 - g.th / 2, m.gx0 + 1, p.lastStartDash.y1 - g.th / 2 + g.th + 1};
  rightAligned(surface, valueRight, m.y(p.startMax) - g.th / 2, formatText("%d", p.startMax));
}

// The text column.
void drawTextColumn(Surface& surface, const ParamsHeader& p, const PanelMapping& m, const Geometry& g) {
  const int32_t tx = g.pl + g.mx;
  int32_t ty = g.pt + 3 * g.my;
  const Segment& s = p.tminLine;
  surface.textOut(tx, ty, formatText(" (%d,%d) - (%d,%d) ", s.x1, s.y1, s.x2, s.y2));
  surface.textOut(tx, ty += g.lh, formatText(" h = %d", p.tminHalfWidth));
  surface.textOut(tx, ty += g.lh, formatText(" (%d,%d) - (%d,%d) ", m.gx0, m.gy0, m.gx1, m.gy1));
  surface.textOut(tx, ty += g.lh,
                  formatText(" w %d, h %d", static_cast<int32_t>(m.gw), static_cast<int32_t>(m.gh)));
  const int32_t valueX = tx + surface.textExtent(" pulses = ").cx;
  auto value = [&](const char* label, const std::string& text) {
    ty += g.lh;
    rightAligned(surface, valueX, ty, label);
    surface.textOut(valueX, ty, text);
  };
  ty += g.lh;
  value(" a   = ", formatText("%d     ", p.startMin));
  value(" a+ = ", formatText("%d     ", p.firstStartMax));
  value(" b-  = ", formatText("%d     ", p.lastStartMin));
  value(" b   = ", formatText("%d     ", p.startMax));
  ty += g.lh;
  value(" Tmin = ", formatText("%d [%d]    ", p.tmin, p.previousTmin));
  value(" Tmax = ", formatText("%d     ", p.tmax));
  value(" pulses = ", formatText("%d     ", p.pulses));
  const int32_t fewest =
      p.tmax > 0 ? static_cast<int32_t>((int64_t{p.lastStartMin} - p.firstStartMax - 1 + p.tmax) / p.tmax + 1)
                 : p.minPulses;
  value(" Mmin = ", formatText("%d [%d]     ", p.minPulses, fewest));
  const int32_t most =
      p.tmin > 0 ? static_cast<int32_t>((int64_t{p.startMax} - p.startMin) / p.tmin + 1) : p.maxPulses;
  value(" Mmax = ", formatText("%d [%d]     ", p.maxPulses, most));
}

// The edit line and the buttons.
void drawEditAndButtons(Window& window, Surface& surface, ParamsHeader& p, const Geometry& g) {
  const int32_t tx = g.pl + g.mx;
  const Size label = surface.textExtent(" Tmin ");
  const int32_t ey = g.pb - 3 * g.my - label.cy;
  surface.textOut(tx, ey, " Tmin ");
  window.moveEditControl(kTminEditId, tx + label.cx, ey - 1, surface.textExtent(" 9999").cx, label.cy + 2);
  surface.selectBrush(Brush{kPanelGreen});
  const bool transparent = surface.setTransparentText(true);
  const int32_t by = g.pb + g.lh / 2;
  p.cancelButton = Rect{g.pl, by, g.pl + g.bw, by + g.bh};
  const int32_t okX = p.cancelButton.right + 2 * g.ave;
  p.okButton = Rect{okX, by, okX + g.bw, by + g.bh};
  drawTextButton(window, surface, g.lh, p.cancelButton, " Cancel ", 0);
  drawTextButton(window, surface, g.lh, p.okButton, " OK ", 0);
  surface.setTransparentText(transparent);
}

// Remembers what was drawn, for the erasing of the next partial redraw.
void rememberDrawn(ParamsHeader& p) {
  p.previousPulses = p.pulses;
  p.previousFirstStartMax = p.firstStartMax;
  p.previousLastStartMin = p.lastStartMin;
  p.previousTmin = p.tmin;
  p.previousTmax = p.tmax;
  p.previousMaxPulses = p.maxPulses;
  p.previousMinPulses = p.minPulses;
  p.partialRedraw = 0;
}

}  // namespace

void drawParameterPanel(Window& window, Surface& surface, const ScreenLayout& layout, ParamsHeader* params,
                        const SeriesHeader* series) {
  (void)series;
  if (params == nullptr) return;
  ParamsHeader& p = *params;
  const Geometry g = geometryOf(surface, layout);
  const bool partial = p.partialRedraw != 0;
  const Pen savedPen = surface.selectPen(Pen{kBlack});
  const Brush savedBrush = surface.selectBrush(Brush{kPanelGreen});
  const Rect& area = layout.workArea;
  if (!partial) surface.rectangle(area.left, area.top, area.right + 1, area.bottom + 1);
  surface.selectBrush(Brush{kWhite});
  if (!partial) surface.rectangle(g.pl, g.pt, g.pr, g.pb);
  p.innerRect = Rect{g.pl + (g.pr - g.pl + 1) / 4, g.pt + ((g.pb - g.pt + 1) >> 3), g.pr - g.mx, g.pb - g.my};
  if (!partial) surface.rectangle(p.innerRect.left, p.innerRect.top, p.innerRect.right, p.innerRect.bottom);
  const int32_t startMaxWidth = surface.textExtent(formatText("%d", p.startMax)).cx;
  p.graphRect = Rect{p.innerRect.left + startMaxWidth + 2 * g.mx, p.innerRect.top + 5 * g.my,
                     p.innerRect.right - 5 * g.mx, p.innerRect.bottom - 3 * g.th};

  const ParamsHeader old = p;  // the geometry of the last draw, for the erasing
  const PanelMapping m = PanelMapping::of(p);
  const int32_t lastX = m.x(int64_t{p.pulses} - 1);
  computeBoundarySegments(p, g.my);
  const int32_t dashLeft = m.gx0 - g.mx / 2, dashRight = lastX + g.mx;
  p.firstStartDash = Segment{dashLeft, m.y(p.firstStartMax), dashRight, m.y(p.firstStartMax)};
  p.lastStartDash = Segment{dashLeft, m.y(p.lastStartMin), dashRight, m.y(p.lastStartMin)};
  if (partial) eraseOutdated(surface, p, old, m, g.th);

  drawAxes(surface, p, m, g);
  drawStartLines(surface, p, m, g, lastX, dashLeft, dashRight);
  drawIndexLabels(surface, p, m, g);
  drawValueLabels(surface, p, m, g);
  line(surface, p.tmaxLine);
  line(surface, p.tminLine);
  line(surface, p.earliestLine);
  line(surface, p.lastLine);
  drawTextColumn(surface, p, m, g);
  drawEditAndButtons(window, surface, p, g);
  rememberDrawn(p);
  surface.selectBrush(savedBrush);
  surface.selectPen(savedPen);
}
