#include "display/params_header.h"

#include <algorithm>
#include <cstdlib>
#include <new>
#include <string>

#include "display/internal_commands.h"
#include "signal/series_header.h"

namespace {

// The pulse-count table never needs more rows than a series can hold pulses.
constexpr int32_t kMaxPulseCounts = 65536;

// Truncating division that yields 0 for a zero divisor.
int64_t divOr0(int64_t a, int64_t b) { return b == 0 ? 0 : a / b; }

int32_t clampTo32(int64_t v) {
  if (v > INT32_MAX) return INT32_MAX;
  if (v < INT32_MIN) return INT32_MIN;
  return static_cast<int32_t>(v);
}

// The number of pulses the panel is drawn for: the series' own; for a series that gives none
// (a recording of unknown count), the number its last run found, else the fewest it admits.
int32_t shownPulseCount(const SeriesHeader& series, int32_t minCount, int32_t maxCount) {
  if (series.wImpulseQuantity != 0) return series.wImpulseQuantity;
  const int32_t lowest = std::max(minCount, 1);
  const int32_t highest = std::max(maxCount, lowest);
  return std::clamp<int32_t>(series.wRestoredQuantity, lowest, highest);
}

}  // namespace

ParamsHeader* getParamsHeader(Window& window, const SeriesHeader* series, ParamsHeader* previous) {
  if (series == nullptr) return previous;
  const int32_t n = static_cast<int32_t>(series->dwSeriesSize);
  const int32_t l = series->wImpulseSize;
  const int32_t tmin = series->wTmin;
  const int32_t tmax = series->wTmax;
  const int32_t maxCount = static_cast<int32_t>(divOr0(int64_t{n} + tmin - l, tmin));
  const int32_t minCount = static_cast<int32_t>(divOr0(int64_t{n} + l - 1, tmax));
  int32_t count = maxCount - minCount + 1;
  if (count < 0) count = 0;

  ParamsHeader* p = previous;
  if (p == nullptr) {
    p = new (std::nothrow) ParamsHeader{};
    if (p == nullptr) {
      window.messageBox("Нет памяти для newParamsHeader!", " getParamsHeader ", kMbOk);
      return nullptr;
    }
  }
  if (p->pulsesSelectedCapacity < count) {
    delete[] p->pulsesSelectedAreas;
    p->pulsesSelectedAreas = nullptr;
    p->pulsesSelectedCapacity = 0;
    if (count <= kMaxPulseCounts)
      p->pulsesSelectedAreas = new (std::nothrow) Rect[static_cast<size_t>(count)];
    if (p->pulsesSelectedAreas == nullptr) {
      window.messageBox("Нет памяти для newParamsHeader->pulsesSelectedAreas!", " getParamsHeader ", kMbOk);
      freeParamsHeader(window, p);  // the abandoned record is released, not leaked
      return nullptr;
    }
    p->pulsesSelectedCapacity = count;
    p->areasSeriesSize = n;
  }
  p->pulsesSelectedCount = count;
  p->maxPulses = maxCount;
  p->minPulses = minCount;
  p->pulses = shownPulseCount(*series, minCount, maxCount);
  p->pulseSize = l;
  p->seriesSize = n;
  p->tmax = tmax;
  p->tmin = tmin;
  p->startMin = 0;
  p->firstStartMax = tmax - l;
  p->lastStartMin = n - tmax;
  p->startMax = n - l;
  window.setEditText(kTminEditId, std::to_string(tmin));
  p->previousPulses = p->pulses;
  p->previousFirstStartMax = p->firstStartMax;
  p->previousLastStartMin = p->lastStartMin;
  p->previousTmin = p->tmin;
  p->previousTmax = p->tmax;
  p->previousMaxPulses = p->maxPulses;
  p->previousMinPulses = p->minPulses;
  for (int32_t k = 0; k < p->pulsesSelectedCapacity; ++k) p->pulsesSelectedAreas[k] = Rect{};
  return p;
}

int freeParamsHeader(Window& window, ParamsHeader* params) {
  (void)window;
  if (params == nullptr) return 1;
  delete[] params->pulsesSelectedAreas;
  delete params;
  return 1;
}

PanelMapping PanelMapping::of(const ParamsHeader& p) {
  PanelMapping m;
  m.gx0 = p.graphRect.left;
  m.gy0 = p.graphRect.top;
  m.gx1 = p.graphRect.right;
  m.gy1 = p.graphRect.bottom;
  m.gw = int64_t{m.gx1} - m.gx0 + 1;
  m.gh = int64_t{m.gy1} - m.gy0 + 1;
  if (m.gw < 1) m.gw = 1;
  if (m.gh < 1) m.gh = 1;
  m.K = int64_t{p.maxPulses} - 1;
  if (m.K < 1) m.K = 1;
  m.A = p.startMin;
  m.D = int64_t{p.startMax} - p.startMin;
  if (m.D < 1) m.D = 1;
  return m;
}

int32_t PanelMapping::x(int64_t j) const { return clampTo32(gx0 + j * gw / K); }

int32_t PanelMapping::y(int64_t v) const { return clampTo32(gy1 - (v - A) * gh / D); }

int32_t PanelMapping::xHalf(int64_t twoH) const {
  if (twoH == -1) return clampTo32(gx0 - (gw + K) / (2 * K));
  return clampTo32(gx0 + (twoH * gw + K) / (2 * K));
}

int32_t PanelMapping::yHalf(int64_t twoV) const {
  return clampTo32(gy1 - ((twoV - 2 * A) * gh + D) / (2 * D));
}

void computeBoundarySegments(ParamsHeader& p, int32_t my) {
  const PanelMapping m = PanelMapping::of(p);
  const int64_t tmin = p.tmin, tmax = p.tmax, P = p.pulses, ap = p.firstStartMax, bm = p.lastStartMin;
  const int64_t A = p.startMin, B = p.startMax, dT = tmax - tmin;
  // The point at half-index twoH / 2 of the line of positions base + h * step.
  auto at = [&](int64_t twoH, int64_t base, int64_t step) {
    return Point{m.xHalf(twoH), m.yHalf(2 * base + twoH * step)};
  };

  int64_t q = 2 * P + 1;
  if (tmin < tmax) {
    const int64_t t = (B - P * tmin - ap) + tmax + dT;
    q = (2 * t - 1) / dT - 1;
  }
  // Like the other pair, the meeting point is kept within the pulses, so that the Tmin
  // segment never runs backwards or shrinks to nothing.
  q = std::clamp<int64_t>(q, 1, std::max<int64_t>(2 * P + 1, 1));
  Point a = at(-1, ap, tmax), b = at(q - 2, ap, tmax);
  p.tmaxLine = Segment{a.x, a.y, b.x, b.y};
  p.tmaxHalfWidth = my / 2 + 1;

  const int64_t q2 = q - 1 > 1 ? q - 1 : 1;
  // B - (P - 1 - h) * Tmin = (B - (P - 1) * Tmin) + h * Tmin.
  a = at(q2 - 2, B - (P - 1) * tmin, tmin);
  b = at(2 * P - 1, B - (P - 1) * tmin, tmin);
  p.tminLine = Segment{a.x, a.y, b.x, b.y};
  p.tminHalfWidth = my / 2 + 1;

  int64_t e = 2 * P + 1;
  if (tmin < tmax) {
    const int64_t u = (A + P * tmax - tmin - bm) + dT;
    e = (2 * u - 1) / dT - 1;
  }
  e = std::clamp<int64_t>(e, 1, std::max<int64_t>(2 * P + 1, 1));
  a = Point{m.xHalf(-1), clampTo32(m.gy1 + (tmin * m.gh + m.D) / (2 * m.D))};
  b = at(e - 2, A, tmin);
  p.earliestLine = Segment{a.x, a.y, b.x, b.y};

  a = at(e - 3, bm - (P - 1) * tmax, tmax);
  b = at(2 * P - 1, bm - (P - 1) * tmax, tmax);
  p.lastLine = Segment{a.x, a.y, b.x, b.y};
}

namespace {

int hitSegment(const Segment& s, int32_t halfWidth, int32_t x, int32_t y) {
  const int64_t dx = int64_t{s.x2} - s.x1, u = int64_t{x} - s.x1;
  if (dx <= 0 || u < 0 || u > dx) return 0;
  const int64_t off = (int64_t{y} - s.y2) - (dx + 2 * (dx - u) * (int64_t{s.y1} - s.y2)) / (2 * dx);
  return std::llabs(off) <= halfWidth ? 1 : 0;
}

// n of the admissibility rules: the fewest pulses that reach from firstStartMax to
// lastStartMin with gaps of at most `gap`.
int64_t fewestPulses(const ParamsHeader& p, int64_t gap) {
  const int64_t ap = p.firstStartMax, bm = p.lastStartMin;
  if (bm <= ap) return 1;
  return (bm - ap - 1 + gap) / gap + 1;
}

}  // namespace

int hitTmaxLine(Window& window, int32_t x, int32_t y, const ParamsHeader& p) {
  (void)window;
  return hitSegment(p.tmaxLine, p.tmaxHalfWidth, x, y);
}

int hitTminLine(Window& window, int32_t x, int32_t y, const ParamsHeader& p) {
  (void)window;
  return hitSegment(p.tminLine, p.tminHalfWidth, x, y);
}

int32_t tmaxFromPoint(Window& window, int32_t x, int32_t y, const ParamsHeader& p) {
  (void)window;
  if (p.hoverTmax == 0) return 0;
  const PanelMapping m = PanelMapping::of(p);
  const int64_t t = (int64_t{x} - m.gx0) * m.K * m.gh;
  if (t < 1) return 0;
  const int64_t B = p.startMax, A = p.startMin, ap = p.firstStartMax;
  return clampTo32((t + 2 * ((B - A) * (m.gh - (int64_t{y} - m.gy0)) - (ap - A) * m.gh) * m.gw) / (2 * t));
}

int32_t tminFromPoint(Window& window, int32_t x, int32_t y, const ParamsHeader& p) {
  (void)window;
  if (p.hoverTmin == 0) return 0;
  const PanelMapping m = PanelMapping::of(p);
  const int64_t t = ((int64_t{p.pulses} - 1) * m.gw - (int64_t{x} - m.gx0) * m.K) * m.gh;
  if (t < 1) return 0;
  const int64_t B = p.startMax, A = p.startMin;
  return clampTo32((t + 2 * (B - A) * (int64_t{y} - m.gy0) * m.gw) / (2 * t));
}

int tminAdmissible(Window& window, int32_t value, const ParamsHeader& p) {
  (void)window;
  if (value < p.pulseSize || value > p.tmax || value <= 0 || p.tmax <= 0) return 0;
  const int64_t n = fewestPulses(p, p.tmax);
  const int64_t span = int64_t{p.startMax} - p.startMin;
  return (span / value + 1 >= p.pulses && p.pulses >= n) ? 1 : 0;
}

int tmaxAdmissible(Window& window, int32_t value, const ParamsHeader& p) {
  (void)window;
  if (value > p.lastStartMin || value <= p.tmin || p.tmin <= 0) return 0;
  const int64_t n = fewestPulses(p, value);
  const int64_t span = int64_t{p.startMax} - p.startMin;
  return (span / p.tmin + 1 >= p.pulses && p.pulses >= n) ? 1 : 0;
}
