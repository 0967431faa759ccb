#pragma once
#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

#include "platform/geometry.h"

class Window;
class Surface;
struct PulseHeader;
struct RestErrHeader;
struct SeriesHeader;
struct ChartCurves;
struct ChartEnergies;

// What one drawing of the statistical chart reads.
struct ChartRequest {
  int16_t amplitude = 0;  // amplitude of the etalon pictures; 0: 128 doubled up to the noise level
  int32_t chartKind = 0;  // 0 .. 5, 12, 13
  uint16_t requiredCount = 0;
  const uint16_t* requiredList = nullptr;  // the etalons of the simulation
  const PulseHeader* alphabet = nullptr;   // etalon n at entry n - 1
  uint16_t alphabetSize = 0;
  const RestErrHeader* errors = nullptr;
  const SeriesHeader* series = nullptr;
  Rect chartRect;  // the work area, right and bottom inclusive
  int32_t lineHeight = 0;
  int32_t fixedUpperBound = 0;
  double upperBound = 0.0;
  std::time_t simulationStartTime = 0;
  std::time_t simulationEndTime = 0;
};

// The plot rectangle of a chart and its scale, as the curves are drawn into it.
struct ChartGeometry {
  Rect plot;          // inner frame: left, top, right, bottom (bottom is the zero line)
  int32_t step = 0;   // horizontal pixels between neighbouring noise levels (even)
  int64_t range = 1;  // Z, in thousandths
};

// Draws the chart of the last statistical simulation into the chart rectangle: the text
// block, the alphabet and pattern tuple boxes, the energies and times, the plot with its
// grid, labels, formula line and curves. `etalon` is not used. Returns 1; 0 after the
// message "No memory to RestoredErrorNormalizer" when the work arrays cannot be had
// (nothing is drawn then). Without an error header or series only the frame is drawn.
int DrawDetectionArrayZ(Window& window, Surface& surface, const PulseHeader* etalon,
                        const ChartRequest& request);

// The text block of a chart, line by line: the description of the simulation (task and
// series texts, "unknown" for a missing one), the title of the chart kind, the repeats, the
// energies line, the start and end times and the elapsed time. Needs the error header and
// the series of the request.
std::vector<std::string> chartTextLines(const ChartRequest& request, const ChartEnergies& energies);

// Draws the curves of a componentwise chart (one per pulse count, each labelled with its
// pulse count at its end) into the plot of `geometry`. Returns 1.
int drawDetectionCurves(Window& window, Surface& surface, const ChartGeometry& geometry,
                        const ChartCurves& curves, int32_t lineHeight);

// x of noise level k in the plot.
inline int32_t chartLevelX(const ChartGeometry& geometry, int32_t level) {
  return geometry.plot.left + level * geometry.step;
}

struct AppState;

// The chart of the last simulation as the paint draws it in the result view: the request is
// built from the state (work area, line height, chart settings, required list, alphabet,
// records, simulation times). Returns what DrawDetectionArrayZ returns.
int drawStatisticalChart(Window& window, Surface& surface, const AppState& state);
