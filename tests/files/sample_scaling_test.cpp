#include "files/sample_scaling.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

namespace {

ScalingRequest request(const std::vector<double>& series) {
  ScalingRequest r;
  r.series = series;
  r.source = "rec.csv";
  return r;
}

TEST(SampleScaling, DefaultFactorMapsPeakToAmplitudeAndRoundsHalvesAway) {
  const std::vector<double> series{0.5, -2.0, 1.0, 0.25};
  const std::vector<double> etalon{1.0, -1.0, 0.0078125};
  ScalingRequest r = request(series);
  r.amplitude = 128;
  r.etalons = {etalon, etalon};
  ScaledSamples out;
  std::string error;
  ASSERT_TRUE(scaleSamples(r, out, error)) << error;
  EXPECT_DOUBLE_EQ(out.factor, 64.0);
  EXPECT_EQ(out.series, (std::vector<int16_t>{32, -128, 64, 16}));
  // 0.0078125 x 64 = 0.5 rounds away from zero.
  EXPECT_EQ(out.etalons, (std::vector<int16_t>{64, -64, 1, 64, -64, 1}));
  EXPECT_EQ(out.etalonCount, 2u);
  EXPECT_EQ(out.etalonLength, 3u);
  EXPECT_EQ(out.seriesPeak, 128);
  EXPECT_EQ(out.etalonPeak, 64);

  const std::vector<double> halves{-2.5, 2.5, -0.5};
  r = request(halves);
  r.scale = 1.0;
  ASSERT_TRUE(scaleSamples(r, out, error)) << error;
  EXPECT_EQ(out.series, (std::vector<int16_t>{-3, 3, -1}));
}

TEST(SampleScaling, RoundingMatchesRoundNextToHalvesAndAtTheSampleLimit) {
  // Values one step either side of a half, and the extremes that still fit.
  std::vector<double> values{32767.49999999999, -32767.49999999999, 0.49999999999999994,
                             -0.49999999999999994};
  for (double v : {0.5, 1.5, 2.5, 1234.5, 32766.5}) {
    for (double x : {std::nextafter(v, 0.0), v, std::nextafter(v, 1e9)}) {
      values.push_back(x);
      values.push_back(-x);
    }
  }
  for (double scale : {1.0, 0.999999, 0.3}) {
    ScalingRequest r = request(values);
    r.scale = scale;
    ScaledSamples out;
    std::string error;
    ASSERT_TRUE(scaleSamples(r, out, error)) << error;
    for (size_t i = 0; i < values.size(); ++i)
      EXPECT_EQ(out.series[i], static_cast<int16_t>(std::round(values[i] * scale)))
          << values[i] << " x " << scale;
  }
}

TEST(SampleScaling, ZeroSeriesKeepsFactorOneAndIntegerSeriesWithScaleOneIsUnchanged) {
  const std::vector<double> zeros(5, 0.0);
  ScaledSamples out;
  std::string error;
  ASSERT_TRUE(scaleSamples(request(zeros), out, error)) << error;
  EXPECT_EQ(out.factor, 1.0);
  std::vector<double> ints;
  for (int v = -32767; v <= 32767; v += 997) ints.push_back(v);
  ScalingRequest r = request(ints);
  r.scale = 1.0;
  ASSERT_TRUE(scaleSamples(r, out, error)) << error;
  for (size_t i = 0; i < ints.size(); ++i) EXPECT_EQ(out.series[i], static_cast<int16_t>(ints[i]));
}

TEST(SampleScaling, NonFiniteValuesNameTheirPosition) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  std::vector<double> series{1, 2, nan, 4};
  ScaledSamples out;
  out.factor = 7;
  std::string error;
  EXPECT_FALSE(scaleSamples(request(series), out, error));
  EXPECT_EQ(error, "\"rec.csv\": sample 3: value is not a number");
  EXPECT_EQ(out.factor, 7);  // untouched

  series[2] = -inf;
  ScalingRequest r = request(series);
  r.seriesPosition = [](size_t i) { return "line " + std::to_string(i + 10); };
  EXPECT_FALSE(scaleSamples(r, out, error));
  EXPECT_EQ(error, "\"rec.csv\": line 12: value is infinite");

  const std::vector<double> good{1, 2, 3, 4};
  const std::vector<double> e1{1, 2}, e2{3, inf};
  r = request(good);
  r.etalons = {e1, e2};
  EXPECT_FALSE(scaleSamples(r, out, error));
  EXPECT_EQ(error, "\"rec.csv\": etalon 2, sample 2: value is infinite");
  r.etalonPosition = [](size_t k, size_t i) {
    return "row " + std::to_string(k + 1) + " col " + std::to_string(i + 1);
  };
  EXPECT_FALSE(scaleSamples(r, out, error));
  EXPECT_EQ(error, "\"rec.csv\": row 2 col 2: value is infinite");
}

TEST(SampleScaling, SizesOfSeriesAndEtalonsAreChecked) {
  ScaledSamples out;
  std::string error;
  EXPECT_FALSE(scaleSamples(request({}), out, error));
  EXPECT_EQ(error, "\"rec.csv\": no samples");

  const std::vector<double> longest(32767, 1.0), tooLong(32768, 1.0);
  EXPECT_TRUE(scaleSamples(request(longest), out, error)) << error;
  EXPECT_FALSE(scaleSamples(request(tooLong), out, error));
  EXPECT_EQ(error,
            "\"rec.csv\": 32768 samples, more than the 32,767 the solvers take; choose a part with "
            "--from N --count M");
  ScalingRequest r = request(tooLong);
  r.segmentHint = "start= and count=";
  EXPECT_FALSE(scaleSamples(r, out, error));
  EXPECT_NE(error.find("choose a part with start= and count="), std::string::npos);

  const std::vector<double> series(30, 1.0), e2{1, 2}, e3{1, 2, 3}, e1{1}, e31(31, 1.0);
  r = request(series);
  r.etalons.assign(21, e2);
  EXPECT_FALSE(scaleSamples(r, out, error));
  EXPECT_EQ(error, "\"rec.csv\": 21 etalons; 1 to 20 are allowed");
  r.etalons.assign(20, e2);
  EXPECT_TRUE(scaleSamples(r, out, error)) << error;
  r.etalons = {e2, e3};
  EXPECT_FALSE(scaleSamples(r, out, error));
  EXPECT_EQ(error, "\"rec.csv\": etalon 2 has 3 samples, etalon 1 has 2; all etalons must be of one length");
  r.etalons = {e1};
  EXPECT_FALSE(scaleSamples(r, out, error));
  EXPECT_EQ(error, "\"rec.csv\": etalons of 1 samples; 2 to 32767 samples are allowed");
  r.etalons = {e31};
  EXPECT_FALSE(scaleSamples(r, out, error));
  EXPECT_EQ(error, "\"rec.csv\": etalons of 31 samples are longer than the series of 30 samples");
}

TEST(SampleScaling, FactorsBeyondTheSampleLimitAreRefusedWithAFittingFactor) {
  const std::vector<double> series{1000.0, -3.0};
  ScalingRequest r = request(series);
  r.scale = 40.0;  // 40,000 > 32,767
  ScaledSamples out;
  std::string error;
  EXPECT_FALSE(scaleSamples(r, out, error));
  EXPECT_EQ(error,
            "\"rec.csv\": factor 40 takes values beyond the 16-bit sample limit 32,767; a factor up to "
            "32.76 fits");
  // However large the factor tried, the fitting one is found.
  for (const double huge : {1e308, 1.7976931348623157e308, 1e20}) {
    r.scale = huge;
    EXPECT_FALSE(scaleSamples(r, out, error));
    EXPECT_NE(error.find("; a factor up to 32.76 fits"), std::string::npos) << huge << ": " << error;
  }
  r.scale = 32.76;
  EXPECT_TRUE(scaleSamples(r, out, error)) << error;
  r.scale = 32.7675;  // 32,767.5 rounds to 32,768
  EXPECT_FALSE(scaleSamples(r, out, error));
  r.scale = 0.0;
  EXPECT_FALSE(scaleSamples(r, out, error));
  EXPECT_EQ(error, "\"rec.csv\": scale factor 0 is not a positive finite number");
  r.scale = std::numeric_limits<double>::quiet_NaN();
  EXPECT_FALSE(scaleSamples(r, out, error));

  // The default factor overflows through the etalons, whose peak is far above the series'.
  const std::vector<double> small{1.0, -1.0, 0.5};
  const std::vector<double> big{1000.0, 0.0};
  r = request(small);
  r.etalons = {big};
  r.amplitude = 128;
  EXPECT_FALSE(scaleSamples(r, out, error));
  EXPECT_EQ(error.find("\"rec.csv\": the default factor 128 (amplitude 128 over the series' peak 1)"), 0u)
      << error;
  EXPECT_NE(error.find("sample limit"), std::string::npos);
}

TEST(SampleScaling, FactorsBeyondTheCriterionLimitNameItAndTheFittingFactorFits) {
  // 32,767 samples at peak 128 with etalons of peak 128: 32,767 x 128 x 384 = 1.6e9 fits;
  // a factor of 1.2 gives 32,767 x 154 x 462 = 2.3e9, beyond 2^31 - 1.
  std::vector<double> series(32767, 64.0);
  series[0] = 128;
  const std::vector<double> etalon{128.0, -128.0};
  ScalingRequest r = request(series);
  r.etalons = {etalon};
  r.scale = 1.0;
  ScaledSamples out;
  std::string error;
  EXPECT_TRUE(scaleSamples(r, out, error)) << error;
  r.scale = 1.2;
  EXPECT_FALSE(scaleSamples(r, out, error));
  EXPECT_EQ(
      error.find("\"rec.csv\": factor 1.2 would overflow the solvers' 32-bit criteria: 32767 samples x 154 "
                 "x (154 + 2 x 154) = 2,331,306,516 is beyond 2,147,483,647; a factor up to "),
      0u)
      << error;
  const size_t at = error.rfind("up to ") + 6;
  const double fitting = std::stod(error.substr(at));
  EXPECT_GT(fitting, 1.0);
  r.scale = fitting;
  EXPECT_TRUE(scaleSamples(r, out, error)) << error;
  r.scale = fitting * 1.01;
  EXPECT_FALSE(scaleSamples(r, out, error));

  // Built-in etalons that stay in use count with their own peak, unscaled.
  r.etalons.clear();
  r.scale = 1.0;
  r.otherEtalonPeak = 300;
  EXPECT_FALSE(scaleSamples(r, out, error));
  r.otherEtalonPeak = 100000;  // too much for any factor
  EXPECT_FALSE(scaleSamples(r, out, error));
  EXPECT_NE(error.find("no factor fits"), std::string::npos) << error;
}

TEST(SampleScaling, FactorTextIsShortestAndLocaleFree) {
  EXPECT_EQ(formatFactor(0.1), "0.1");
  EXPECT_EQ(formatFactor(64), "64");
  EXPECT_EQ(formatFactor(1.0 / 3), "0.3333333333333333");
}

}  // namespace
