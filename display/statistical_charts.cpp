#include "display/statistical_charts.h"

#include <algorithm>
#include <cmath>
#include <new>
#include <stdexcept>
#include <string>
#include <vector>

#include "display/app_state.h"
#include "display/chart_values.h"
#include "display/etalon_glyph.h"
#include "display/label_placer.h"
#include "display/layout.h"
#include "display/text_format.h"
#include "platform/surface.h"
#include "platform/window.h"
#include "signal/pulse_header.h"
#include "signal/series_header.h"
#include "simulation/rest_err_header.h"

namespace {

constexpr int32_t kTextLines = 13;  // nine description lines, energies, two times, elapsed time

std::string orUnknown(const char* text) { return text != nullptr ? text : "unknown"; }

// "% d": a blank stands where the sign of a negative number would be.
std::string spaceSigned(int64_t value) {
  return value >= 0 ? " " + std::to_string(value) : std::to_string(value);
}

// Layout record of the chart kind: restoring, detection, recognition errors.
const uint16_t* layoutRecord(int32_t kind) {
  if (kind == 0 || kind == 1) return seriesLayoutTable[1];
  if (kind == 2 || kind == 3) return seriesLayoutTable[2];
  return seriesLayoutTable[3];
}

void outline(Surface& surface, const Rect& r) {
  surface.moveTo(r.left, r.top);
  surface.lineTo(r.left, r.bottom + 1);
  surface.lineTo(r.right + 1, r.bottom + 1);
  surface.lineTo(r.right + 1, r.top);
  surface.lineTo(r.left, r.top);
}

std::vector<std::string> descriptionLines(const ChartRequest& request) {
  const RestErrHeader& errors = *request.errors;
  const SeriesHeader& series = *request.series;
  std::vector<std::string> lines;
  lines.push_back(" statistical simulation for " + orUnknown(errors.taskName) + " in series with " +
                  orUnknown(errors.seriesTypeName) + " ");
  lines.push_back(" series length " + std::to_string(series.dwSeriesSize) + ", ");
  std::string involves = " involves ";
  const uint16_t p = errors.wPulseValues != nullptr ? errors.wVariousPulses : 0;
  if (p < 4) {
    // Appended piece by piece, as below.
    for (uint16_t m = 0; m < p; ++m)
      involves.append(" ").append(std::to_string(errors.wPulseValues[m])).append(",");
  } else {
    involves += " " + std::to_string(errors.wPulseValues[0]) + ",";
    involves += " " + std::to_string(errors.wPulseValues[1]) + ",";
    involves += "..., " + std::to_string(errors.wPulseValues[p - 1]) + " ";
  }
  involves +=
      " pulses from [" + std::to_string(series.wMinPulses) + "-" + std::to_string(series.wMaxPulses) + "],";
  lines.push_back(involves);
  lines.push_back(" with length " + std::to_string(series.wImpulseSize) + ", amplitude " +
                  std::to_string(request.amplitude));
  lines.push_back(" Tmin=" + std::to_string(series.wTmin) + ", Tmax=" + std::to_string(series.wTmax) + ",");
  const uint16_t m = errors.lpNoiseLevel != nullptr ? errors.wNoiseLevels : 0;
  lines.push_back(" number of " + std::to_string(errors.wNoiseLevels) + " noise levels");
  const int32_t first = m > 0 ? errors.lpNoiseLevel[0] : 0;
  const int32_t last = m > 0 ? errors.lpNoiseLevel[m - 1] : 0;
  const int32_t step = m > 1 ? errors.lpNoiseLevel[1] - errors.lpNoiseLevel[0] : 0;
  lines.push_back(" from " + std::to_string(first) + " to " + std::to_string(last) + " with step " +
                  std::to_string(step));
  lines.push_back(chartTitle(request.chartKind));
  lines.push_back(" for volume of " + spaceSigned(errors.repeats) + " repeats");
  return lines;
}

int16_t glyphAmplitude(const ChartRequest& request) {
  if (request.amplitude != 0) return request.amplitude;
  int32_t a = 128;
  while (a < request.series->wNoiseLevel && a < 16384) a *= 2;
  return static_cast<int16_t>(a);
}

const PulseHeader* etalonOf(const ChartRequest& request, int32_t number) {
  if (request.alphabet == nullptr || number < 1 || number > request.alphabetSize) return nullptr;
  const PulseHeader& etalon = request.alphabet[number - 1];
  return etalon.lpData != nullptr && etalon.wSize > 1 ? &etalon : nullptr;
}

struct BoxPlace {
  Rect box;
  int32_t left = 0;  // the left edge, for the pattern tuple box placed before it
};

// The alphabet box at the top right: the required etalons in two columns.
BoxPlace drawAlphabetBox(Window& window, Surface& surface, const ChartRequest& request, int32_t mx,
                         int32_t my, int32_t cw, int32_t boxBottom) {
  const Rect& area = request.chartRect;
  const int32_t lh = request.lineHeight;
  const int32_t n = request.requiredList != nullptr ? request.requiredCount : 0;
  const int32_t rows = std::max((n + 1) / 2, 1);
  const int32_t hy = std::max(my / 2, 1);
  const int32_t bw = 4 * mx + 2 * cw + mx / 2;
  const int32_t bl = area.right - bw - mx + 1;
  const int32_t bt = area.top + my + lh / 2;
  const int32_t bh = std::max(boxBottom - bt, 2 * my + 1);
  const int32_t ch = std::max((bh - 2 * my) / rows - (hy + lh), 2);
  surface.selectPen(Pen{kBlack});
  const Brush oldBrush = surface.selectBrush(Brush{kWhite});
  surface.rectangle(bl, bt, bl + bw + 1, bt + bh + 1);
  surface.selectBrush(oldBrush);
  std::string title = " Alphabet, " + std::to_string(n) + " items ";
  if (bw < 100) {
    title = " Alph: " + std::to_string(n) + " ";
  } else if (n == 1) {
    title = " Alphabet, 1 item ";
  }
  surface.textOut(bl + 7, bt - my, title);
  const int16_t amplitude = glyphAmplitude(request);
  for (int32_t k = 0; k < n; ++k) {
    const PulseHeader* etalon = etalonOf(request, request.requiredList[k]);
    if (etalon == nullptr) continue;
    const int32_t col = k / rows;
    const int32_t row = k % rows;
    const int32_t left = bl + mx + col * (cw + 2 * mx);
    const int32_t top = bt + my + row * (ch + hy + lh);
    drawEtalonGlyph(window, surface, lh, *etalon, amplitude, 0, Rect{left, top, left + cw, top + ch});
  }
  return BoxPlace{Rect{bl, bt, bl + bw + 1, bt + bh + 1}, bl};
}

// The pattern tuple box of a tuple simulation, left of the alphabet box: the current subset,
// or (task 40) every selected subset in a row of its own.
// Returns the bottom of the box, or `top` when there is nothing to show.
int32_t drawPatternTupleBox(Window& window, Surface& surface, const ChartRequest& request, int32_t mx,
                            int32_t my, int32_t cw, int32_t right, int32_t top) {
  const SeriesHeader& series = *request.series;
  const bool set = request.errors->wTaskType == 40;
  std::vector<std::vector<int32_t>> tuples;
  if (set) {
    if (series.selectedSubsetList == nullptr || series.selectedSubsetSize == nullptr) return top;
    for (uint16_t i = 0; i < series.wSelectedSubsets; ++i)
      tuples.emplace_back(series.selectedSubsetList[i],
                          series.selectedSubsetList[i] + std::max<int16_t>(series.selectedSubsetSize[i], 0));
  } else {
    if (series.lpSubset == nullptr || series.wSubsetSize == 0) return top;
    tuples.emplace_back(series.lpSubset, series.lpSubset + series.wSubsetSize);
  }
  size_t longest = 0;
  for (const auto& t : tuples) longest = std::max(longest, t.size());
  if (tuples.empty() || longest == 0) return top;
  const int32_t lh = request.lineHeight;
  const std::string title = set ? " pattern tuples " : " pattern tuple ";
  const int32_t gx = mx / 4 + 1;
  const int32_t gy = my / 4 + 1;
  const int32_t s = cw + 2 * gx;
  const int32_t ch = std::max(cw, 4);
  const int32_t v = ch + 2 * gy + lh + lh / 4;
  int32_t bw = (s + gx) * static_cast<int32_t>(longest) + gx + 1;
  bw = std::max(bw, surface.textExtent(title).cx + 20);
  const int32_t bh = (v + gy) * static_cast<int32_t>(tuples.size()) + gy;
  const int32_t left = right - bw;
  const Brush oldBrush = surface.selectBrush(Brush{kWhite});
  surface.rectangle(left, top, left + bw, top + bh);
  surface.selectBrush(oldBrush);
  surface.textOut(left + 7, top - my, title);
  const int16_t amplitude = glyphAmplitude(request);
  int32_t y = top + gy;
  for (size_t i = 0; i < tuples.size(); ++i) {
    const int32_t highlight = set && static_cast<int32_t>(i + 1) == series.wRecognizedSubset ? 1 : 0;
    int32_t x = left + gx;
    for (int32_t number : tuples[i]) {
      if (const PulseHeader* etalon = etalonOf(request, number))
        drawEtalonGlyph(window, surface, lh, *etalon, amplitude, highlight,
                        Rect{x + gx, y, x + s - gx, y + ch});
      x += s + gx;
    }
    y += v + gy;
  }
  return top + bh;
}

// Limits drawing to the plot (and to the clip already in force) while it lives, so that
// values above the range end at the plot's top edge.
class PlotClip {
 public:
  PlotClip(Surface& surface, const ChartGeometry& g) : surface_(surface), saved_(surface.clip()) {
    const Rect plot{g.plot.left - 1, g.plot.top, g.plot.right + 2, g.plot.bottom + 1};
    Region limited = saved_;
    if (limited.empty()) {
      limited.add(plot);
    } else {
      limited.intersect(plot);
      // Nothing of the plot is to be painted: keep drawing out entirely.
      if (limited.empty()) limited.add(Rect{-2, -2, -1, -1});
    }
    surface_.setClip(limited);
  }
  ~PlotClip() { surface_.setClip(saved_); }
  PlotClip(const PlotClip&) = delete;
  PlotClip& operator=(const PlotClip&) = delete;

 private:
  Surface& surface_;
  Region saved_;
};

// Draws a polyline through the finite points of a curve three times, one pixel apart.
void drawCurve(Surface& surface, const ChartGeometry& g, const std::vector<double>& values, bool thick) {
  const int32_t offsets[3][2] = {{0, 0}, {1, 0}, {0, -1}};
  const int32_t passes = thick ? 3 : 1;
  for (int32_t pass = 0; pass < passes; ++pass) {
    bool open = false;
    for (size_t k = 0; k < values.size(); ++k) {
      if (!std::isfinite(values[k])) {
        open = false;
        continue;
      }
      const int32_t x = chartLevelX(g, static_cast<int32_t>(k)) + offsets[pass][0];
      const int32_t y =
          g.plot.bottom - chartValueHeight(values[k], g.range, g.plot.bottom - g.plot.top) + offsets[pass][1];
      if (!open) {
        surface.moveTo(x, y);
        open = true;
      } else {
        surface.lineTo(x, y);
      }
    }
  }
  // A curve of one level is a single point: a small square shows it.
  if (values.size() == 1 && std::isfinite(values[0])) {
    const int32_t x = chartLevelX(g, 0);
    const int32_t y = g.plot.bottom - chartValueHeight(values[0], g.range, g.plot.bottom - g.plot.top);
    surface.fillRect(Rect{x - 1, y - 1, x + 2, y + 2}, kBlack);
  }
}

// The end point of a curve, where its label goes.
Point curveEnd(const ChartGeometry& g, const std::vector<double>& values) {
  const int32_t height = g.plot.bottom - g.plot.top;
  for (size_t k = values.size(); k-- > 0;) {
    if (std::isfinite(values[k]))
      return Point{chartLevelX(g, static_cast<int32_t>(k)),
                   g.plot.bottom - std::clamp(chartValueHeight(values[k], g.range, height), 0, height)};
  }
  return Point{g.plot.left, g.plot.bottom};
}

void drawPlotFrame(Surface& surface, const ChartGeometry& g, const RestErrHeader& errors,
                   int32_t lineHeight) {
  const Rect& p = g.plot;
  surface.selectPen(Pen{kBlack});
  const Brush oldBrush = surface.selectBrush(Brush{kWhite, true});
  surface.rectangle(p.left, p.top, p.right + 1, p.bottom + 1);
  surface.rectangle(p.left - 1, p.top - 1, p.right + 2, p.bottom + 2);
  surface.selectBrush(oldBrush);
  const int32_t height = p.bottom - p.top;
  // Dotted grid: a row of dots at every vertical label, a column at every labelled level.
  for (int32_t i = 1; i < 5; ++i) {
    const int32_t y = p.bottom - i * height / 5;
    for (int32_t x = p.left + 3; x < p.right; x += 4) surface.setPixel(x, y, kBlack);
  }
  for (int32_t k = 4; k < errors.wNoiseLevels; k += 4) {
    const int32_t x = chartLevelX(g, k);
    if (x >= p.right) break;
    for (int32_t y = p.bottom - 3; y > p.top; y -= 4) surface.setPixel(x, y, kBlack);
  }
  for (int32_t i = 0; i <= 5; ++i) {
    const std::string label = chartAxisLabel(g.range, i) + " ";
    const int32_t width = surface.textExtent(label).cx;
    surface.textOut(p.left - width - 4, p.bottom - i * height / 5 - lineHeight / 2, label);
  }
  for (int32_t k = 0; k < errors.wNoiseLevels; k += 4) {
    const std::string text = formatText("%3d", errors.lpNoiseLevel[k]);
    const int32_t width = surface.textExtent(text).cx;
    surface.textOut(chartLevelX(g, k) - width / 2, p.bottom + 4, text);
  }
}

// The formula line and the axis name in the symbol font, sized to the plot.
void drawFormulaAndAxisName(Surface& surface, const ChartGeometry& geometry, int32_t kind, int32_t lh) {
  const int32_t plotLeft = geometry.plot.left;
  const int32_t plotTop = geometry.plot.top;
  const int32_t plotBottom = geometry.plot.bottom;
  const int32_t plotHeight = plotBottom - plotTop;
  std::string formula;
  if (kind == 0 || kind == 1) formula = "e(s)=E||C-<C>||2/||C||2";
  if (kind == 2 || kind == 3) formula = "e(s)=E||h-<h>||2/||h||2";
  const int32_t requested = std::max((plotHeight + 12) / 25, lh + 2);
  const Font windowFont = surface.selectFont(Font{requested, true});
  const int32_t obtained = surface.textMetrics().height;
  const int32_t formulaTop = plotTop - obtained - lh / 2;
  int32_t formulaRight = plotLeft;
  if (!formula.empty()) {
    surface.textOut(plotLeft, formulaTop, formula);
    formulaRight = plotLeft + surface.textExtent(formula).cx;
  }
  surface.selectFont(windowFont);
  // Built by appending: `" " + std::to_string(...)` draws a false -Wrestrict from gcc 12 at -O3.
  std::string sizes = " ";
  sizes.append(std::to_string(requested)).append(" -> ").append(std::to_string(obtained));
  surface.textOut(formulaRight, formulaTop + obtained - lh - 1, sizes);
  // The axis name stands right of the last level label.
  const int32_t labelRight = surface.textExtent("0000").cx / 2;
  surface.selectFont(Font{std::max((plotHeight + 11) / 22, lh + 2), true});
  const int32_t axisHeight = surface.textMetrics().height;
  surface.textOut(geometry.plot.right + labelRight + 8, plotBottom + 4 + lh - axisHeight / 2, "s");
  surface.selectFont(windowFont);
}

// The curves of the chart, their labels and its dashed theoretical bounds.
void drawChartCurves(Window& window, Surface& surface, const ChartGeometry& geometry,
                     const ChartCurves& curves, int32_t kind, int32_t lh) {
  surface.selectPen(Pen{kBlack});
  if (isComponentwiseChartKind(kind)) {
    drawDetectionCurves(window, surface, geometry, curves, lh);
  } else if (!curves.curves.empty()) {
    {
      PlotClip clip(surface, geometry);
      drawCurve(surface, geometry, curves.curves[0], true);
    }
    if (kind == 5 || kind == 13) {
      const Point end = curveEnd(geometry, curves.curves[0]);
      const Font previous = surface.selectFont(Font{lh + 2, true});
      surface.textOut(end.x + 5, end.y - lh / 2, "S");
      surface.selectFont(previous);
    }
  }
  if (!curves.bounds.empty()) {
    surface.selectPen(Pen{kBlack, PenStyle::kDash});
    PlotClip clip(surface, geometry);
    for (const auto& bound : curves.bounds) drawCurve(surface, geometry, bound, false);
  }
}

}  // namespace

std::vector<std::string> chartTextLines(const ChartRequest& request, const ChartEnergies& energies) {
  std::vector<std::string> lines = descriptionLines(request);
  lines.push_back("etEnergy=" + std::to_string(energies.etEnergy) +
                  ", Rmin=" + std::to_string(energies.rMin) + ", Rmax=" + std::to_string(energies.rMax));
  lines.push_back(calendarText(request.simulationStartTime));
  lines.push_back(calendarText(request.simulationEndTime));
  lines.push_back(elapsedTimeText(request.simulationStartTime, request.simulationEndTime));
  return lines;
}

int drawDetectionCurves(Window& window, Surface& surface, const ChartGeometry& geometry,
                        const ChartCurves& curves, int32_t lineHeight) {
  (void)window;
  surface.selectPen(Pen{kBlack});
  {
    PlotClip clip(surface, geometry);
    for (const auto& curve : curves.curves) drawCurve(surface, geometry, curve, true);
  }
  LabelPlacer placed;
  for (size_t m = 0; m < curves.curves.size() && m < curves.labels.size(); ++m) {
    const Point end = curveEnd(geometry, curves.curves[m]);
    const std::string label = std::to_string(curves.labels[m]);
    const int32_t x = end.x + 5, y = end.y - lineHeight / 2;
    const Size size = surface.textExtent(label);
    if (placed.place(Rect{x, y, x + size.cx - 1, y + size.cy - 1})) surface.textOut(x, y, label);
  }
  return 1;
}

int DrawDetectionArrayZ(Window& window, Surface& surface, const PulseHeader* etalon,
                        const ChartRequest& request) {
  (void)etalon;
  const Rect& area = request.chartRect;
  const int32_t lh = request.lineHeight;
  const RestErrHeader* errors = request.errors;
  const SeriesHeader* series = request.series;
  ChartCurves curves;
  ChartEnergies energies;
  try {
    if (errors != nullptr && series != nullptr) {
      energies = chartEnergies(*errors, *series, request.alphabet, request.alphabetSize, request.requiredList,
                               request.requiredCount);
      curves = chartCurves(request.chartKind, *errors, *series, energies);
    }
  } catch (const std::bad_alloc&) {
    window.messageBox("No memory to RestoredErrorNormalizer", " ERROR in DrawDetectionArrayZ ", kMbOk);
    return 0;
  } catch (const std::length_error&) {
    window.messageBox("No memory to RestoredErrorNormalizer", " ERROR in DrawDetectionArrayZ ", kMbOk);
    return 0;
  }

  const Pen oldPen = surface.selectPen(Pen{kBlack});
  outline(surface, area);
  if (errors == nullptr || series == nullptr || errors->wPulseValues == nullptr ||
      errors->lpNoiseLevel == nullptr) {
    surface.selectPen(oldPen);
    return 1;
  }

  const uint16_t* record = layoutRecord(request.chartKind);
  const int32_t width = area.right - area.left + 1;
  const int32_t height = area.bottom - area.top + 1;
  const int32_t mx = record[0] * width / 1000;
  const int32_t my = (record[1] * height + 500) / 1000;
  const int32_t cw = std::max(record[6] * width / 1000, 8);

  // Text block.
  const std::vector<std::string> lines = chartTextLines(request, energies);
  int32_t y = area.top - lh / 2;
  for (const std::string& line : lines) {
    surface.textOut(area.left + 10, y, line);
    y += lh + 1;
  }
  const int32_t textBottom = area.top - lh / 2 + kTextLines * (lh + 1);

  const BoxPlace alphabetBox = drawAlphabetBox(window, surface, request, mx, my, cw, textBottom);
  int32_t boxesBottom = alphabetBox.box.bottom;
  if (errors->wSeriesType == 36 || errors->wSeriesType == 40)
    boxesBottom = std::max(boxesBottom, drawPatternTupleBox(window, surface, request, mx, my, cw,
                                                            alphabetBox.left - 2 * mx, alphabetBox.box.top));

  // Plot geometry: below the text and the formula line, the labels at the left.
  surface.selectFont(Font{});
  const int32_t labelWidth = surface.textExtent("0.000  ").cx + 4;
  const int32_t plotLeft = area.left + mx + labelWidth;
  const int32_t plotRight = std::max(area.left + record[8] * width / 1000, plotLeft + 2);
  const int32_t available = area.bottom - 3 * lh - my - textBottom;
  const int32_t formulaHeight = std::max(((available * 5 / 6) + 12) / 25, lh + 2);
  const int32_t plotTop = std::max(textBottom, boxesBottom) + formulaHeight + lh;
  const int32_t plotBottom = std::max(area.bottom - 2 * lh - my, plotTop + 2);
  ChartGeometry geometry;
  const int32_t levels = errors->wNoiseLevels;
  geometry.step = levels > 1 ? std::max((plotRight - plotLeft) / (levels - 1) / 2 * 2, 2) : 0;
  const int32_t right = levels > 1 ? plotLeft + geometry.step * (levels - 1) : plotRight;
  geometry.plot = Rect{plotLeft, plotTop, right, plotBottom};
  geometry.range = chartRange(curves.upper, request.fixedUpperBound != 0, request.upperBound);

  drawPlotFrame(surface, geometry, *errors, lh);

  const int32_t kind = request.chartKind;
  drawFormulaAndAxisName(surface, geometry, kind, lh);
  drawChartCurves(window, surface, geometry, curves, kind, lh);
  surface.selectPen(oldPen);
  return 1;
}

int drawStatisticalChart(Window& window, Surface& surface, const AppState& state) {
  ChartRequest request;
  request.amplitude = state.wAmplitude;
  request.chartKind = state.chartKind;
  request.requiredCount =
      state.requiredList != nullptr ? std::min(state.requiredCount, state.requiredCapacity) : 0;
  request.requiredList = state.requiredList;
  if (state.lpSimulationSeries != nullptr) {  // the etalons of the run the chart shows
    request.requiredCount = static_cast<uint16_t>(state.simulationRequiredList.size());
    request.requiredList = state.simulationRequiredList.data();
  }
  request.alphabet = state.etalonAlphabet;
  request.alphabetSize = std::min<uint16_t>(state.wEtalonsQuantity, kAlphabetRecords);
  request.errors = state.lpRestErrorHeader;
  request.series =
      state.lpSimulationSeries != nullptr ? state.lpSimulationSeries : state.lpCutOffSeriesHeader;
  request.chartRect = state.layout.workArea;
  request.lineHeight = state.layout.lineHeight;
  request.fixedUpperBound = state.fixedUpperBound;
  request.upperBound = state.upperBound;
  request.simulationStartTime = static_cast<std::time_t>(state.simulationStartTime);
  request.simulationEndTime = static_cast<std::time_t>(state.simulationEndTime);
  const int32_t etalon = state.detectionEtalonUsed;
  const PulseHeader* shown =
      etalon >= 1 && etalon <= request.alphabetSize ? &state.etalonAlphabet[etalon - 1] : nullptr;
  return DrawDetectionArrayZ(window, surface, shown, request);
}
