#include "display/statistical_charts.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

#include "display/chart_values.h"
#include "platform/headless_window.h"
#include "platform/surface.h"
#include "signal/pulse_header.h"
#include "signal/series_header.h"
#include "simulation/rest_err_header.h"

namespace {

// A finished simulation made by hand: P pulse counts from 2 (step 2), M noise levels from
// `firstLevel` (step 10), 4 repeats, and a series whose first pulse is etalon [1, 2, ..., 20].
struct ChartScene {
  HeadlessWindow window;
  RestErrHeader* errors = nullptr;
  SeriesHeader series;
  PulseHeader alphabet[2];
  int16_t first[20];
  int16_t second[20];
  uint16_t required[2] = {1, 2};

  ChartScene(uint16_t pulses, uint16_t levels, uint16_t firstLevel = 0) {
    for (int i = 0; i < 20; ++i) {
      first[i] = static_cast<int16_t>(i + 1);
      second[i] = static_cast<int16_t>(i % 2 == 0 ? 10 : -10);
    }
    alphabet[0] = PulseHeader{20, 20, 1, first};
    alphabet[1] = PulseHeader{20, 20, 2, second};
    errors = getRestErrHeader(window, pulses, levels, 4, nullptr);
    initRestErrHeader(window, pulses, 2, 2, levels, firstLevel, 10, 4, errors);
    addInitRestErrHeader(window, 1, 1, 100, 100, errors);
    for (uint16_t k = 0; k < levels; ++k)
      for (uint16_t m = 0; m < pulses; ++m) {
        errors->lpErrors[k][m] = 1000 * (k + 1) * (m + 1);
        errors->lpFragmentErrors[k][m] = 400 * k * (m + 1);
        errors->lpRecognitionErrors[k][m] = (k + m) % 5;
      }
    errors->ifComplete = 1;
    series.dwSeriesSize = 600;
    series.wTmin = 40;
    series.wTmax = 120;
    series.wImpulseSize = 20;
    series.wMinPulses = 4;
    series.wMaxPulses = 15;
    series.lpFirstPulse = &alphabet[0];
  }
  ~ChartScene() { freeRestErrHeader(window, errors); }

  ChartRequest request(int32_t kind) {
    ChartRequest r;
    r.amplitude = 128;
    r.chartKind = kind;
    r.requiredCount = 2;
    r.requiredList = required;
    r.alphabet = alphabet;
    r.alphabetSize = 2;
    r.errors = errors;
    r.series = &series;
    r.chartRect = Rect{10, 10, 700, 520};
    r.lineHeight = 13;
    r.simulationStartTime = 1000;
    r.simulationEndTime = 1725;
    return r;
  }
};

Image drawChart(ChartScene& scene, const ChartRequest& request, int* result = nullptr) {
  Image image;
  resizeImage(image, 760, 560, kWhite);
  Surface surface(image, fixedGlyphSource());
  const int r = DrawDetectionArrayZ(scene.window, surface, nullptr, request);
  if (result != nullptr) *result = r;
  return image;
}

int blackPixels(const Image& image, const Rect& r) {
  int count = 0;
  for (int32_t y = r.top; y < r.bottom; ++y)
    for (int32_t x = r.left; x < r.right; ++x) count += image.at(x, y) == kBlack;
  return count;
}

}  // namespace

TEST(ChartScale, RangeFollowsTheUpperBound) {
  EXPECT_EQ(chartRange(50, false, 0), 50);
  EXPECT_EQ(chartRange(500, false, 0), 500);
  EXPECT_EQ(chartRange(120, false, 0), 200);
  EXPECT_EQ(chartRange(250, false, 0), 250);
  EXPECT_EQ(chartRange(251, false, 0), 500);
  EXPECT_EQ(chartRange(999, false, 0), 1000);
  EXPECT_EQ(chartRange(1001, false, 0), 2000);
  // A fixed upper bound replaces it unless it is 0, negative or below a thousandth.
  EXPECT_EQ(chartRange(50, true, 0.3), 300);
  EXPECT_EQ(chartRange(50, true, 0.0), 50);
  EXPECT_EQ(chartRange(50, true, -2.0), 50);
  EXPECT_EQ(chartRange(50, true, 0.0004), 50);
  EXPECT_EQ(chartRange(50, true, 1e300), 1000000000);
  EXPECT_EQ(chartRange(50, false, 0.3), 50);
}

TEST(ChartScale, LabelsAndHeights) {
  EXPECT_EQ(chartAxisLabel(500, 0), "0.00");
  EXPECT_EQ(chartAxisLabel(500, 1), "0.10");
  EXPECT_EQ(chartAxisLabel(500, 5), "0.50");
  EXPECT_EQ(chartAxisLabel(50, 3), "0.03");
  EXPECT_EQ(chartAxisLabel(40, 1), "0.008");
  EXPECT_EQ(chartAxisLabel(40, 5), "0.040");
  EXPECT_EQ(chartValueHeight(0.25, 500, 100), 50);
  // A fixed range of 0.3: the top of the plot is 0.3, not 1000 / 300 = 3 in integers.
  EXPECT_EQ(chartValueHeight(0.3, 300, 100), 100);
  EXPECT_EQ(chartValueHeight(0.15, 300, 100), 50);
  EXPECT_EQ(chartValueHeight(std::nan(""), 300, 100), 0);
  EXPECT_EQ(chartValueHeight(1e30, 300, 100), 400);
  EXPECT_EQ(chartValueHeight(-1e30, 300, 100), -400);
}

TEST(ChartScale, ElapsedAndCalendarTexts) {
  EXPECT_EQ(elapsedTimeText(1000, 1725), "elapsed time 0:12:05");
  EXPECT_EQ(elapsedTimeText(0, 3 * 3600 + 5), "elapsed time 3:00:05");
  EXPECT_EQ(elapsedTimeText(0, 59), "elapsed time 0:00:59");
  EXPECT_EQ(elapsedTimeText(100, 50), "elapsed time 0:00:00");
  const char* oldTz = std::getenv("TZ");
  const std::string saved = oldTz != nullptr ? oldTz : "";
  setenv("TZ", "UTC", 1);
  tzset();
  EXPECT_EQ(calendarText(0), "Thu Jan  1 00:00:00 1970");
  EXPECT_EQ(calendarText(1700000000), "Tue Nov 14 22:13:20 2023");
  if (oldTz != nullptr)
    setenv("TZ", saved.c_str(), 1);
  else
    unsetenv("TZ");
  tzset();
}

TEST(ChartValues, EnergiesAndCrossCorrelation) {
  int16_t a[2] = {1, 2};
  int16_t b[2] = {-3, 1};
  PulseHeader first{2, 2, 1, a};
  PulseHeader second{2, 2, 2, b};
  EXPECT_EQ(etalonEnergy(first), 5);
  EXPECT_EQ(etalonCrossCorrelation(first, second, 0), -1);
  EXPECT_EQ(etalonCrossCorrelation(first, second, 1), -6);
  EXPECT_EQ(etalonCrossCorrelation(first, second, -1), 0);  // first[u - 1] reads 0 before the start
  EXPECT_EQ(etalonCrossCorrelation(first, second, 2), 0);

  ChartScene scene(3, 4);
  const ChartEnergies e = chartEnergies(*scene.errors, scene.series, scene.alphabet, 2, scene.required, 2);
  EXPECT_EQ(e.etEnergy, 2870);  // 1^2 + ... + 20^2
  int64_t lowest = 0;
  for (int d = -20; d <= 20; ++d)
    lowest = std::min(lowest, etalonCrossCorrelation(scene.alphabet[0], scene.alphabet[1], d));
  EXPECT_EQ(e.rMin, lowest);
  EXPECT_LT(e.rMin, 0);
  EXPECT_EQ(e.rMax, 0);
  // One required etalon: the second is the first again.
  const ChartEnergies self = chartEnergies(*scene.errors, scene.series, scene.alphabet, 2, scene.required, 1);
  EXPECT_EQ(self.rMin, 0);
}

TEST(ChartValues, CurvesAndUpperBoundsOfEachKind) {
  ChartScene scene(3, 4);
  const ChartEnergies e{2870, -70, 0};
  const double n0 = 2.0 * 15 * (2870 + 70);

  const ChartCurves c0 = chartCurves(0, *scene.errors, scene.series, e);
  ASSERT_EQ(c0.curves.size(), 3u);
  EXPECT_EQ(c0.labels, (std::vector<int32_t>{2, 4, 6}));
  EXPECT_EQ(c0.normalizer, 88200);
  EXPECT_DOUBLE_EQ(c0.curves[1][2], 6000 / n0);
  EXPECT_EQ(c0.upper, 136u);  // 12000 * 1000 / 88200

  const ChartCurves c1 = chartCurves(1, *scene.errors, scene.series, e);
  ASSERT_EQ(c1.curves.size(), 1u);
  EXPECT_DOUBLE_EQ(c1.curves[0][3], (4000 + 8000 + 12000) / n0 / 3);
  EXPECT_EQ(c1.upper, 490u);  // raised to 0.49 per pulse count

  const ChartCurves c2 = chartCurves(2, *scene.errors, scene.series, e);
  EXPECT_DOUBLE_EQ(c2.curves[2][3], std::sqrt(400.0 * 3 * 3 / 4 / (100.0 * 100.0)));
  EXPECT_EQ(c2.upper, 300u);  // the largest value is below 0.3

  const ChartCurves c3 = chartCurves(3, *scene.errors, scene.series, e);
  EXPECT_DOUBLE_EQ(c3.curves[0][1], std::sqrt(400.0 * (1 + 2 + 3) / (3 * 10000.0 * 4)));
  EXPECT_EQ(c3.upper, 244u);  // sqrt(7200 / 120000) above the floor of 0.24

  const ChartCurves c4 = chartCurves(4, *scene.errors, scene.series, e);
  EXPECT_DOUBLE_EQ(c4.curves[2][3], ((3 + 2) % 5) / 4.0);
  EXPECT_EQ(c4.upper, 500u);
  EXPECT_TRUE(c4.bounds.empty());

  const ChartCurves c13 = chartCurves(13, *scene.errors, scene.series, e);
  ASSERT_EQ(c13.curves.size(), 1u);
  EXPECT_DOUBLE_EQ(c13.curves[0][1], (1 + 2 + 3) / 12.0);
  ASSERT_EQ(c13.bounds.size(), 2u);
  EXPECT_TRUE(std::isnan(c13.bounds[0][0]));
  // d1 = (4 (2870 + 70) + 4) / 8 = 1470; at s = 10: 0.5 - 0.5 sqrt(1 - exp(-15 d1 / 100)).
  EXPECT_DOUBLE_EQ(c13.bounds[0][1], 0.5 - 0.5 * std::sqrt(1.0 - std::exp(-15 * 1470.0 / 100.0)));
  // X = (100 x 2870 + 50) / 100 = 2870, d2 = (4 x 2870 + 8) / 16 = 718.
  EXPECT_DOUBLE_EQ(c13.bounds[1][3], 0.5 * std::exp(-4 * 718.0 / 900.0));
}

TEST(ChartValues, ZeroDivisorsAreHarmless) {
  ChartScene scene(2, 3);
  scene.series.wMaxPulses = 0;  // N0 = 0
  scene.series.wTmax = 20;      // Tmax - L = 0
  scene.errors->repeats = 0;
  for (int kind : {0, 1, 2, 3, 4, 5, 12, 13}) {
    const ChartCurves c = chartCurves(kind, *scene.errors, scene.series, ChartEnergies{});
    for (const auto& curve : c.curves)
      for (double v : curve) EXPECT_TRUE(std::isfinite(v)) << kind;
    EXPECT_GT(chartRange(c.upper, false, 0), 0) << kind;
  }
}

TEST(ChartText, DescribesTheSimulation) {
  ChartScene few(3, 4);
  const ChartEnergies e{2870, -70, 0};
  std::vector<std::string> lines = chartTextLines(few.request(0), e);
  ASSERT_EQ(lines.size(), 13u);
  EXPECT_EQ(lines[0], " statistical simulation for detection in series with known number of whole pulses ");
  EXPECT_EQ(lines[1], " series length 600, ");
  EXPECT_EQ(lines[2], " involves  2, 4, 6, pulses from [4-15],");
  EXPECT_EQ(lines[3], " with length 20, amplitude 128");
  EXPECT_EQ(lines[4], " Tmin=40, Tmax=120,");
  EXPECT_EQ(lines[5], " number of 4 noise levels");
  EXPECT_EQ(lines[6], " from 0 to 30 with step 10");
  EXPECT_EQ(lines[7], " restored error, componentwise case");
  EXPECT_EQ(lines[8], " for volume of  4 repeats");
  EXPECT_EQ(lines[9], "etEnergy=2870, Rmin=-70, Rmax=0");
  EXPECT_EQ(lines[10].size(), 24u);
  EXPECT_EQ(lines[12], "elapsed time 0:12:05");

  ChartScene many(5, 1, 25);
  many.errors->taskName = nullptr;
  lines = chartTextLines(many.request(13), e);
  EXPECT_EQ(lines[0], " statistical simulation for unknown in series with known number of whole pulses ");
  EXPECT_EQ(lines[2], " involves  2, 4,..., 10  pulses from [4-15],");
  EXPECT_EQ(lines[6], " from 25 to 25 with step 0");
  EXPECT_EQ(lines[7], " recognition error, agregate form");
}

TEST(ChartDrawing, EveryKindDrawsItsCurves) {
  ChartScene scene(3, 9);
  std::vector<Image> images;
  for (int kind : {0, 1, 2, 3, 4, 5, 12, 13}) {
    int result = 0;
    const Image image = drawChart(scene, scene.request(kind), &result);
    EXPECT_EQ(result, 1) << kind;
    // The frame of the chart rectangle.
    EXPECT_EQ(image.at(10, 300), kBlack) << kind;
    EXPECT_EQ(image.at(701, 300), kBlack) << kind;
    EXPECT_EQ(image.at(400, 521), kBlack) << kind;
    // Something is drawn in the lower half, where the plot is.
    EXPECT_GT(blackPixels(image, Rect{60, 300, 600, 500}), 200) << kind;
    for (const Image& other : images) EXPECT_NE(other.pixels, image.pixels) << kind;
    images.push_back(image);
  }
  EXPECT_TRUE(scene.window.messages().empty());
}

TEST(ChartDrawing, FixedBoundSingleLevelAndMissingRecords) {
  ChartScene scene(3, 9);
  ChartRequest fixed = scene.request(0);
  const Image automatic = drawChart(scene, fixed);
  fixed.fixedUpperBound = 1;
  fixed.upperBound = 5.0;
  EXPECT_NE(drawChart(scene, fixed).pixels, automatic.pixels);
  fixed.upperBound = 0.0;  // 0 leaves the automatic range
  EXPECT_EQ(drawChart(scene, fixed).pixels, automatic.pixels);

  // One noise level: single points.
  ChartScene single(2, 1, 20);
  for (int kind : {0, 1, 2, 3, 4, 5, 12, 13}) {
    int result = 0;
    drawChart(single, single.request(kind), &result);
    EXPECT_EQ(result, 1) << kind;
  }

  // A noise level of 0 beyond the first one: the bound curves skip it.
  ChartScene flat(2, 3, 0);
  flat.errors->lpNoiseLevel[1] = 0;
  int result = 0;
  drawChart(flat, flat.request(12), &result);
  EXPECT_EQ(result, 1);

  // Without the records only the frame is drawn.
  ChartRequest empty = scene.request(2);
  empty.errors = nullptr;
  const Image frame = drawChart(scene, empty, &result);
  EXPECT_EQ(result, 1);
  EXPECT_EQ(frame.at(10, 300), kBlack);
  EXPECT_EQ(blackPixels(frame, Rect{60, 300, 600, 500}), 0);
}

TEST(ChartDrawing, TupleSimulationShowsItsPatternTuples) {
  ChartScene scene(2, 5, 10);
  // Two selected subsets {1, 2} and {2}: task 40 on an unknown-number tuple series.
  int16_t sizes[2] = {2, 1};
  int16_t rowA[2] = {1, 2};
  int16_t rowB[1] = {2};
  int16_t* rows[2] = {rowA, rowB};
  scene.series.selectedSubsetSize = sizes;
  scene.series.selectedSubsetList = rows;
  scene.series.wSelectedSubsets = 2;
  scene.series.wRecognizedSubset = 2;
  addInitRestErrHeader(scene.window, 40, 40, 100, 100, scene.errors);
  const ChartEnergies e = chartEnergies(*scene.errors, scene.series, scene.alphabet, 2, scene.required, 2);
  // Largest energy over the subsets' etalons: 20 x 10^2 = 2000 < 2870.
  EXPECT_EQ(e.etEnergy, 2870);
  int64_t low = 0, high = 0;
  for (int d = -20; d <= 20; ++d) {
    for (const PulseHeader* first : {&scene.alphabet[0], &scene.alphabet[1]}) {
      const int64_t r = etalonCrossCorrelation(*first, scene.alphabet[1], d);
      low = std::min(low, r);
      high = std::max(high, r);
    }
  }
  EXPECT_EQ(e.rMin, low);
  EXPECT_EQ(e.rMax, high);
  EXPECT_GT(e.rMax, 0);

  // The pattern tuple box stands left of the alphabet box, in the upper part of the chart.
  const Image plain = [&] {
    ChartScene single(2, 5, 10);
    return drawChart(single, single.request(13));
  }();
  int result = 0;
  const Image tuples = drawChart(scene, scene.request(13), &result);
  EXPECT_EQ(result, 1);
  EXPECT_GT(blackPixels(tuples, Rect{300, 10, 620, 200}), blackPixels(plain, Rect{300, 10, 620, 200}));

  // Series type 36: the single current subset.
  int16_t subset[3] = {2, 1, 2};
  scene.series.lpSubset = subset;
  scene.series.wSubsetSize = 3;
  addInitRestErrHeader(scene.window, 36, 36, 100, 100, scene.errors);
  drawChart(scene, scene.request(0), &result);
  EXPECT_EQ(result, 1);
  EXPECT_TRUE(scene.window.messages().empty());
}
