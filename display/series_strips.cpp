#include "display/series_strips.h"

#include <string>

#include "display/label_placer.h"
#include "display/plot_mapping.h"
#include "display/series_etalon.h"
#include "display/text_format.h"
#include "platform/surface.h"

namespace {

// Sample index to x and value to y inside one strip.
struct StripMap {
  int32_t l, t, r, b;
  int64_t M;
  int32_t S;
  StripMap(const Rect& s, uint32_t seriesSize, int32_t scale)
      : l(s.left), t(s.top), r(s.right), b(s.bottom), M(seriesSize), S(scale) {}
  int32_t dx(int64_t i) const { return spreadX(i, r - l, M); }
  int32_t x(int64_t i) const { return l + dx(i); }
  int32_t y(int32_t v) const { return t + valueY(v, S, b - t); }
  int32_t mid() const { return t + (b - t) / 2; }
};

bool cutOffType(uint16_t seriesType) { return seriesType == 2 || seriesType == 8; }

// One etalon (or the samples first..last of it) at position p, from and back to the zero line.
void etalonPolyline(Surface& surface, const StripMap& map, const PulseHeader& etalon, int32_t p,
                    int32_t first, int32_t last) {
  if (first < 0) first = 0;
  if (last > etalon.wSize - 1) last = etalon.wSize - 1;
  if (first > last) return;
  surface.moveTo(map.x(int64_t{p} + first), map.mid());
  for (int32_t j = first; j <= last; ++j) surface.lineTo(map.x(int64_t{p} + j), map.y(etalon.lpData[j]));
  surface.lineTo(map.x(int64_t{p} + last), map.mid());
}

// The detected tuple's span widened by up to two pixels each way; false for a tuple whose
// pulse indices do not lie among the detected pulses.
bool tupleSpan(const SeriesHeader& series, int32_t tuple, const Rect& strip, int32_t& x1, int32_t& x2) {
  const int32_t a = series.lpRestoredTupleFirst[tuple], z = series.lpRestoredTupleLast[tuple];
  if (a < 1 || z < a || z > series.wRestoredQuantity) return false;
  const int32_t width = strip.right - strip.left;
  x1 = spreadX(series.lpRestoredPositions[a - 1], width, series.dwSeriesSize);
  x2 = spreadX(int64_t{series.lpRestoredPositions[z - 1]} + series.wImpulseSize - 1, width,
               series.dwSeriesSize);
  for (int n = 0; n < 2; ++n)
    if (x2 < width - 1) ++x2;
  for (int n = 0; n < 2; ++n)
    if (x1 > 0) --x1;
  return true;
}

int32_t tupleCount(const SeriesHeader& series) {
  if (series.lpRestoredTupleFirst == nullptr || series.wRestoredTuples <= 0) return 0;
  return series.wRestoredTuples < series.wPulsesCapacity ? series.wRestoredTuples : series.wPulsesCapacity;
}

int32_t detectedCount(const SeriesHeader& series) {
  if (series.lpRestoredPositions == nullptr) return 0;
  return series.wRestoredQuantity < series.wPulsesCapacity ? series.wRestoredQuantity
                                                           : series.wPulsesCapacity;
}

int32_t trueCount(const SeriesHeader& series) {
  if (series.lpPositions == nullptr) return 0;
  return series.wImpulseQuantity < series.wPulsesCapacity ? series.wImpulseQuantity : series.wPulsesCapacity;
}

}  // namespace

int32_t dottedMark(Surface& surface, int32_t x, int32_t ym, int32_t half) {
  int32_t k = 0;
  for (; k < half; k += 2) {
    surface.setPixel(x, ym - k, kBlack);
    surface.setPixel(x, ym + k, kBlack);
  }
  return k;
}

void dottedBox(Surface& surface, int32_t l, int32_t x1, int32_t x2, int32_t ym, int32_t half) {
  dottedMark(surface, l + x1, ym, half);
  const int32_t k = dottedMark(surface, l + x2, ym, half);
  for (int32_t x = x1; x <= x2; x += 2) {
    surface.setPixel(l + x, ym - k, kBlack);
    surface.setPixel(l + x, ym + k, kBlack);
  }
}

int drawPulseLabels(Window& window, Surface& surface, const Rect& strip, uint16_t seriesType, int32_t kind,
                    bool letters, const SeriesHeader& series) {
  (void)window;
  const bool detected = kind != kTruePulseLabels;
  const int32_t count = detected ? detectedCount(series) : trueCount(series);
  const int16_t* positions = detected ? series.lpRestoredPositions : series.lpPositions;
  const int16_t* etalons = detected ? series.lpRestoredEtalons : series.lpEtalonNumbers;
  const int16_t* begins = detected ? series.lpRestoredCutBegin : series.lpCutBegin;
  const int16_t* ends = detected ? series.lpRestoredCutEnd : series.lpCutEnd;
  const StripMap map(strip, series.dwSeriesSize, 1);
  LabelPlacer labels;
  for (int32_t i = 0; i < count; ++i) {
    std::string label = formatText("%d", positions[i]);
    if (letters) label += etalonLetter(etalons[i]);
    if (cutOffType(seriesType)) label += formatText("[%d..%d] ", begins[i], ends[i]);
    const int32_t x = map.x(positions[i]) - 5, y = strip.bottom - 1;
    const Size size = surface.textExtent(label);
    if (labels.place(Rect{x, y, x + size.cx - 1, y + size.cy - 1})) surface.textOut(x, y, label);
  }
  return 1;
}

int drawStripAxes(Window& window, Surface& surface, int32_t l, int32_t t, int32_t r, int32_t b) {
  (void)window;
  surface.moveTo(l, t);
  surface.lineTo(l, b);
  const int32_t m = t + (b - t) / 2;
  surface.moveTo(l, m);
  surface.lineTo(r, m);
  return 1;
}

int drawNoisySeries(Window& window, Surface& surface, const Rect& strip, int16_t scale,
                    const SeriesHeader& series) {
  (void)window;
  if (series.lpNoisyData == nullptr) return 1;
  const StripMap map(strip, series.dwSeriesSize, scale);
  const Pen old = surface.selectPen(Pen{rgb(0, 0, 255)});
  surface.moveTo(map.l, map.mid());
  for (uint32_t k = 0; k < series.dwSeriesSize; ++k) surface.lineTo(map.x(k), map.y(series.lpNoisyData[k]));
  surface.selectPen(old);
  return 1;
}

int drawTruePulses(Window& window, Surface& surface, const Rect& strip, int16_t scale,
                   const SeriesHeader& series) {
  (void)window;
  const StripMap map(strip, series.dwSeriesSize, scale);
  for (int32_t i = 0; i < trueCount(series); ++i) {
    const PulseHeader* etalon = seriesEtalon(series, series.lpEtalonNumbers[i]);
    if (etalon != nullptr) etalonPolyline(surface, map, *etalon, series.lpPositions[i], 0, etalon->wSize - 1);
  }
  return 1;
}

int drawKeptParts(Window& window, Surface& surface, const Rect& strip, int16_t scale,
                  const SeriesHeader& series) {
  (void)window;
  const StripMap map(strip, series.dwSeriesSize, scale);
  for (int32_t i = 0; i < trueCount(series); ++i) {
    const PulseHeader* etalon = seriesEtalon(series, series.lpEtalonNumbers[i]);
    if (etalon != nullptr)
      etalonPolyline(surface, map, *etalon, series.lpPositions[i], series.lpCutBegin[i], series.lpCutEnd[i]);
  }
  return 1;
}

int drawDetectedPulses(Window& window, Surface& surface, const Rect& strip, int16_t scale,
                       const SeriesHeader& series) {
  (void)window;
  const StripMap map(strip, series.dwSeriesSize, scale);
  for (int32_t i = 0; i < detectedCount(series); ++i) {
    const PulseHeader* etalon = seriesEtalon(series, series.lpRestoredEtalons[i]);
    if (etalon != nullptr)
      etalonPolyline(surface, map, *etalon, series.lpRestoredPositions[i], 0, etalon->wSize - 1);
  }
  return 1;
}

int shadeTruePulses(Window& window, Surface& surface, const Rect& strip, int16_t scale,
                    const SeriesHeader& series) {
  (void)window;
  const int32_t l = strip.left, t = strip.top, width = strip.right - strip.left;
  const int32_t h = strip.bottom - strip.top, half = h / 2;
  const int64_t M = series.dwSeriesSize;
  int32_t phase = 0;
  for (int32_t i = 0; i < trueCount(series); ++i) {
    const PulseHeader* etalon = seriesEtalon(series, series.lpEtalonNumbers[i]);
    if (etalon == nullptr) continue;
    const int64_t p = series.lpPositions[i];
    const int32_t first = series.lpCutBegin[i] > 0 ? series.lpCutBegin[i] : 0;
    const int32_t last = series.lpCutEnd[i] < etalon->wSize - 1 ? series.lpCutEnd[i] : etalon->wSize - 1;
    for (int32_t j = first; j <= last; ++j) {
      int64_t y = valueY(etalon->lpData[j], scale, h);
      const int32_t xa = spreadX(p + j, width, M);
      const int32_t xb = j < last ? spreadX(p + j + 1, width, M) : xa;
      const int32_t next = j + 1 < etalon->wSize ? etalon->lpData[j + 1] : 0;
      const int64_t dy = valueY(next, scale, h) - y;
      const int64_t dx = xb - xa;
      for (int32_t x = xa; x < xb; ++x) {
        if (y > half) {
          for (int64_t row = half + phase; row < y; row += 2)
            surface.setPixel(l + x, t + static_cast<int32_t>(row), kBlack);
        } else {
          for (int64_t row = half - phase; row > y; row -= 2)
            surface.setPixel(l + x, t + static_cast<int32_t>(row), kBlack);
        }
        phase = 1 - phase;
        if (dx > 0) y = (y * dx + dy) / dx;
      }
    }
  }
  return 1;
}

int markDetectedPulses(Window& window, Surface& surface, const SeriesHeader& series, const Rect& strip) {
  (void)window;
  const int32_t l = strip.left, width = strip.right - strip.left, h = strip.bottom - strip.top;
  const int32_t ym = strip.top + h / 2;
  const int64_t M = series.dwSeriesSize;
  for (int32_t i = 0; i < detectedCount(series); ++i) {
    const int64_t p = series.lpRestoredPositions[i];
    dottedBox(surface, l, spreadX(p, width, M), spreadX(p + series.wImpulseSize - 1, width, M), ym, h / 3);
    dottedMark(surface, l + spreadX(p + series.lpRestoredCutBegin[i], width, M), ym, h / 3);
    dottedMark(surface, l + spreadX(p + series.lpRestoredCutEnd[i], width, M), ym, h / 3);
  }
  return 1;
}

int frameDetectedTuples(Window& window, Surface& surface, const SeriesHeader& series, const Rect& strip) {
  (void)window;
  const int32_t h = strip.bottom - strip.top, ym = strip.top + h / 2;
  for (int32_t i = 0; i < tupleCount(series); ++i) {
    int32_t x1 = 0, x2 = 0;
    if (tupleSpan(series, i, strip, x1, x2)) dottedBox(surface, strip.left, x1, x2, ym, h * 3 / 8);
  }
  return 1;
}

int fillDetectedTuples(Window& window, Surface& surface, const SeriesHeader& series, const Rect& strip) {
  (void)window;
  const int32_t h = strip.bottom - strip.top, ym = strip.top + h / 2;
  const Color colour = kDetectedTupleBackground;
  const Pen oldPen = surface.selectPen(Pen{colour});
  const Brush oldBrush = surface.selectBrush(Brush{colour});
  for (int32_t i = 0; i < tupleCount(series); ++i) {
    int32_t x1 = 0, x2 = 0;
    if (tupleSpan(series, i, strip, x1, x2))
      surface.rectangle(strip.left + x1, ym - 3 * h / 8, strip.left + x2, ym + 3 * h / 8);
  }
  surface.selectPen(oldPen);
  surface.selectBrush(oldBrush);
  return 1;
}
