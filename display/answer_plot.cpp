#include "display/answer_plot.h"

#include <algorithm>
#include <cstdlib>

#include "display/column_extremes.h"
#include "display/label_placer.h"
#include "display/plot_mapping.h"
#include "display/series_strips.h"
#include "display/text_format.h"
#include "platform/surface.h"

namespace {

constexpr Color kSeriesBlue = rgb(0, 0, 255);

// Sample index to column and value to row inside the strip, for the stretch [from, to).
struct StretchMap {
  Rect strip;
  uint64_t from = 0, count = 0;
  uint64_t columns = 0;
  int32_t scale = 1;
  bool decimated() const { return count > columns; }
  int32_t x(uint64_t i) const {
    const uint64_t k = i - from;
    if (decimated()) return strip.left + static_cast<int32_t>(columnOfSample(k, count, columns));
    return strip.left +
           spreadX(static_cast<int64_t>(k), strip.right - strip.left, static_cast<int64_t>(count));
  }
  int32_t y(int32_t v) const { return strip.top + valueY(v, scale, strip.bottom - strip.top); }
  int32_t mid() const { return strip.top + (strip.bottom - strip.top) / 2; }
};

// A pulse cut to the stretch, as its first and last sample; false when none of it is inside.
bool cutToStretch(const PulseSpan& pulse, const StretchMap& map, uint64_t& first, uint64_t& last) {
  if (pulse.length <= 0 || pulse.position < 0) return false;
  const uint64_t p = static_cast<uint64_t>(pulse.position);
  const uint64_t end = p + static_cast<uint64_t>(pulse.length);  // one past the pulse
  if (end <= map.from || p >= map.from + map.count) return false;
  first = std::max(p, map.from);
  last = std::min(end, map.from + map.count) - 1;
  return true;
}

void drawSeries(Surface& surface, const StretchMap& map, std::span<const int16_t> stretch) {
  const Pen old = surface.selectPen(Pen{kSeriesBlue});
  if (map.decimated()) {
    // Each column from its least to its greatest sample, stretched to meet the column before,
    // so that a steep edge between two columns stays one line.
    const std::vector<ColumnExtremes> columns = columnExtremes(stretch, map.columns);
    for (size_t c = 0; c < columns.size(); ++c) {
      int32_t low = columns[c].low, high = columns[c].high;
      if (c > 0) {
        low = std::min<int32_t>(low, columns[c - 1].high);
        high = std::max<int32_t>(high, columns[c - 1].low);
      }
      const int32_t x = map.strip.left + static_cast<int32_t>(c);
      surface.moveTo(x, map.y(high));
      surface.lineTo(x, map.y(low) + 1);
    }
  } else {
    surface.moveTo(map.x(map.from), map.y(stretch[0]));
    for (uint64_t k = 0; k < stretch.size(); ++k) surface.lineTo(map.x(map.from + k), map.y(stretch[k]));
    const Point end = surface.currentPosition();
    surface.setPixel(end.x, end.y, kSeriesBlue);  // a line leaves out its end point
  }
  surface.selectPen(old);
}

void drawAxes(Surface& surface, const StretchMap& map) {
  const Rect& s = map.strip;
  surface.moveTo(s.left - 1, s.top);
  surface.lineTo(s.left - 1, s.bottom + 1);
  surface.moveTo(s.left - 1, map.mid());
  surface.lineTo(s.right + 1, map.mid());
  const TextMetrics metrics = surface.textMetrics();
  for (const int32_t v : {map.scale, -map.scale}) {
    const std::string label = formatText("%d", v);
    const Size size = surface.textExtent(label);
    surface.textOut(s.left - 4 - size.cx, map.y(v) - metrics.height / 2, label);
  }
}

}  // namespace

Rect answerPlotStrip(int32_t width, int32_t height, int32_t lineHeight) {
  return answerPlotStripIn(Rect{0, 0, width, height}, lineHeight);
}

Rect answerPlotStripIn(const Rect& area, int32_t lineHeight) {
  return Rect{area.left + 56, area.top + 6 + 2 * (lineHeight + 1) + 8, area.right - 12,
              area.bottom - 2 * (lineHeight + 1) - 8};
}

std::string samplesPerColumnText(uint64_t samples, uint64_t columns) {
  if (columns == 0 || samples <= columns) return {};
  const uint64_t fewest = samples / columns, most = fewest + (samples % columns != 0 ? 1 : 0);
  if (fewest == most) return formatText("%llu samples a column", static_cast<unsigned long long>(most));
  return formatText("%llu to %llu samples a column", static_cast<unsigned long long>(fewest),
                    static_cast<unsigned long long>(most));
}

void drawAnswerPlot(Surface& surface, const AnswerPlot& plot) {
  const Image& image = surface.target();
  drawAnswerPlotIn(surface, Rect{0, 0, image.width, image.height}, plot);
}

void drawAnswerPlotIn(Surface& surface, const Rect& area, const AnswerPlot& plot) {
  const int32_t lh = surface.textMetrics().height;
  const uint64_t n = plot.samples.size();
  const uint64_t to = plot.to == 0 ? n : std::min<uint64_t>(plot.to, n);
  const uint64_t from = std::min(plot.from, to);
  const Rect strip = answerPlotStripIn(area, lh);
  const bool room = area.right - area.left >= 320 && area.bottom - area.top >= 200;

  surface.textOut(area.left + 8, area.top + 6, plot.title);
  std::string legend =
      formatText("samples %llu..%llu of %llu: the series in blue, the pulses found in dotted boxes",
                 static_cast<unsigned long long>(from), static_cast<unsigned long long>(to == 0 ? 0 : to - 1),
                 static_cast<unsigned long long>(n));
  if (plot.hasTruth) legend += ", the true pulses shaded";
  if (plot.columnNote && room) {
    const std::string perColumn =
        samplesPerColumnText(to - from, static_cast<uint64_t>(strip.right - strip.left + 1));
    if (!perColumn.empty()) legend += ", " + perColumn;
  }
  surface.textOut(area.left + 8, area.top + 6 + lh + 1, legend);
  if (from >= to || !room) return;

  StretchMap map;
  map.strip = strip;
  map.from = from;
  map.count = to - from;
  map.columns = static_cast<uint64_t>(map.strip.right - map.strip.left + 1);
  const std::span<const int16_t> stretch = plot.samples.subspan(from, to - from);
  int32_t peak = 1;
  for (const int16_t v : stretch) peak = std::max(peak, std::abs(static_cast<int32_t>(v)));
  map.scale = peak;
  const int32_t h = map.strip.bottom - map.strip.top, ym = map.mid();

  // Layers: the true spans behind everything, the axes, the series, the boxes of the answer.
  if (plot.hasTruth) {
    for (const PulseSpan& pulse : plot.truth) {
      uint64_t first = 0, last = 0;
      if (!cutToStretch(pulse, map, first, last)) continue;
      surface.fillRect(Rect{map.x(first), ym - 3 * h / 8, map.x(last) + 1, ym + 3 * h / 8 + 1},
                       kDetectedTupleBackground);
    }
  }
  drawAxes(surface, map);
  drawSeries(surface, map, stretch);
  LabelPlacer labels;
  for (const PulseSpan& pulse : plot.found) {
    uint64_t first = 0, last = 0;
    if (!cutToStretch(pulse, map, first, last)) continue;
    dottedBox(surface, 0, map.x(first), map.x(last), ym, h / 3);
    const std::string label = formatText("%lld", static_cast<long long>(pulse.position));
    const Size size = surface.textExtent(label);
    const int32_t x = std::min(map.x(first) - 5, area.right - size.cx - 2), y = map.strip.bottom + 3;
    // A gap of a few pixels keeps neighbouring numbers apart.
    if (labels.place(Rect{x, y, x + size.cx + 5, y + size.cy - 1})) surface.textOut(x, y, label);
  }
}
