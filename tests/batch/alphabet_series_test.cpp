// The JSON the companion prints for the alphabet and for a series, checked against the
// library and against the rules of a well-formed series.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "batch_runner.h"
#include "platform/headless_window.h"
#include "signal/pulse_bounds.h"
#include "signal/random_seeds.h"
#include "signal/series_header.h"
#include "signal/series_maker.h"
#include "tests/support/series_factory.h"

namespace {

std::vector<int> ints(const nlohmann::json& array) { return array.get<std::vector<int>>(); }

std::vector<int> samplesOf(const PulseHeader& pulse) {
  return std::vector<int>(pulse.lpData, pulse.lpData + pulse.wSize);
}

TEST(BatchAlphabet, PrintsTheLibraryEtalonsForDefaultAndGivenSettings) {
  struct Case {
    std::vector<std::string> args;
    uint16_t count, length;
    int16_t amplitude;
  };
  const Case cases[] = {{{"alphabet"}, 20, 20, 128},
                        {{"alphabet", "--amplitude", "64", "--count", "13", "--length", "9"}, 13, 9, 64}};
  for (const Case& c : cases) {
    const BatchResult run = runBatch(c.args);
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    const nlohmann::json doc = parseOutput(run);
    TestAlphabet expected(c.count, c.length, c.amplitude);
    ASSERT_EQ(doc["etalons"].size(), c.count);
    for (uint16_t i = 0; i < c.count; ++i) {
      EXPECT_EQ(doc["etalons"][i]["wNumber"], i + 1);
      EXPECT_EQ(ints(doc["etalons"][i]["samples"]), samplesOf(expected.pulses[i])) << "etalon " << i + 1;
    }
  }
}

// Checks what makes a series well formed: origins inside their bounds and Tmin..Tmax apart,
// bounds as the model gives them, the pure series equal to the kept etalon parts and zero
// elsewhere.
void expectWellFormed(const nlohmann::json& s, const TestAlphabet& alphabet) {
  const int n = s["dwSeriesSize"], tmin = s["wTmin"], tmax = s["wTmax"], length = s["wImpulseSize"];
  const int q = s["wImpulseQuantity"];
  const auto positions = ints(s["lpPositions"]), low = ints(s["lpLowBounds"]), high = ints(s["lpHighBounds"]);
  const auto etalons = ints(s["lpEtalonNumbers"]), begin = ints(s["lpCutBegin"]), end = ints(s["lpCutEnd"]);
  const auto pure = ints(s["lpPureData"]);
  ASSERT_EQ(static_cast<int>(positions.size()), q);
  ASSERT_EQ(static_cast<int>(pure.size()), n);
  ASSERT_EQ(s["lpNoisyData"].size(), static_cast<size_t>(n));
  EXPECT_GE(q, static_cast<int>(s["wMinPulses"]));
  EXPECT_LE(q, static_cast<int>(s["wMaxPulses"]));
  std::vector<int> model(static_cast<size_t>(n), 0);
  for (int k = 0; k < q; ++k) {
    EXPECT_EQ(low[k], std::max(k * tmin, n - tmax * (q - k))) << k;
    EXPECT_EQ(high[k], std::min((k + 1) * tmax - length, n - length - tmin * (q - k - 1))) << k;
    EXPECT_GE(positions[k], low[k]);
    EXPECT_LE(positions[k], high[k]);
    EXPECT_GE(positions[k], 0);
    EXPECT_LE(positions[k] + length, n);
    if (k > 0) {
      EXPECT_GE(positions[k] - positions[k - 1], tmin) << k;
      EXPECT_LE(positions[k] - positions[k - 1], tmax) << k;
    }
    ASSERT_GE(etalons[k], 1);
    ASSERT_LE(etalons[k], 20);
    ASSERT_LE(0, begin[k]);
    ASSERT_LE(begin[k], end[k]);
    ASSERT_LT(end[k], length);
    for (int i = begin[k]; i <= end[k]; ++i)
      model[positions[k] + i] = alphabet.pulses[etalons[k] - 1].lpData[i];
  }
  EXPECT_EQ(pure, model);
}

TEST(BatchSeries, IsWellFormedForKnownAndDrawnCountsAndCutOffs) {
  const TestAlphabet alphabet;
  const std::vector<std::vector<std::string>> cases = {
      {"series", "--length", "200", "--noise", "0"},
      {"series", "--length", "600", "--tmin", "30", "--tmax", "90", "--pulses", "10", "--sequence", "3,5",
       "--making-level", "70", "--noise", "15"},
      {"series", "--length", "900", "--tmin", "25", "--tmax", "60", "--unknown", "--sequence", "11,2,7",
       "--making-level", "40"},
      {"series", "--length", "500", "--pulses", "7", "--sequence", "2", "--subset", "4,6,8", "--subset-mode",
       "2", "--subset-position", "3"},
  };
  for (const auto& args : cases) {
    SCOPED_TRACE(testing::PrintToString(args));
    const BatchResult run = runBatch(args);
    ASSERT_EQ(run.status, 0) << run.err;
    const nlohmann::json s = parseOutput(run);
    expectWellFormed(s, alphabet);
  }
}

TEST(BatchSeries, SequenceSubsetAndNoiseReachTheSeries) {
  const BatchResult run =
      runBatch({"series", "--length", "600", "--tmin", "30", "--tmax", "90", "--pulses", "10", "--sequence",
                "3,5", "--subset", "4,6,8", "--subset-mode", "2", "--subset-position", "4", "--noise", "0"});
  ASSERT_EQ(run.status, 0) << run.err;
  const nlohmann::json s = parseOutput(run);
  // The sequence repeats its last entry; the single fixed subset overwrites pulses 4 to 6.
  EXPECT_EQ(ints(s["lpEtalonNumbers"]), (std::vector<int>{3, 5, 5, 4, 6, 8, 5, 5, 5, 5}));
  EXPECT_EQ(s["wNoiseLevel"], 0);
  EXPECT_EQ(s["lpNoisyData"], s["lpPureData"]);
  // Whole pulses at the default saved energy level.
  EXPECT_EQ(ints(s["lpCutBegin"]), std::vector<int>(10, 0));
  EXPECT_EQ(ints(s["lpCutEnd"]), std::vector<int>(10, 19));

  const BatchResult noisy = runBatch({"series", "--length", "600", "--tmin", "30", "--tmax", "90", "--pulses",
                                      "10", "--sequence", "3,5", "--noise", "25"});
  ASSERT_EQ(noisy.status, 0) << noisy.err;
  const nlohmann::json n = parseOutput(noisy);
  EXPECT_EQ(n["wNoiseLevel"], 25);
  EXPECT_NE(n["lpNoisyData"], n["lpPureData"]);
}

// Every invocation starts from the workbench's start: the alphabet, then the first series of
// 1200 samples with 18 whole pulses of etalon 1 and no noise; only then the requested series.
TEST(BatchSeries, ReproducesTheWorkbenchRandomSourcesFromTheirStart) {
  const std::vector<std::string> args = {"series", "--length",       "400", "--pulses", "5", "--sequence",
                                         "2,9",    "--making-level", "60",  "--noise",  "30"};
  const BatchResult first = runBatch(args);
  const BatchResult second = runBatch(args);
  ASSERT_EQ(first.status, 0) << first.err;
  EXPECT_EQ(first.out, second.out);

  HeadlessWindow window;
  RandomSeeds seeds;
  TestAlphabet alphabet(20, 20, 128, &seeds);
  std::vector<uint16_t> startSequence(30, 1);
  SeriesHeader* series = getCutOffSeries(window, 20, alphabet.pulses, 20, 40, 181, 1200, 18,
                                         startSequence.data(), 128, 100, nullptr, seeds);
  std::vector<uint16_t> sequence(30, 9);
  sequence[0] = 2;
  series = getCutOffSeries(window, 20, alphabet.pulses, 20, 40, 181, 400, 5, sequence.data(), 128, 60, series,
                           seeds);
  ASSERT_NE(series, nullptr);
  addNoise(window, 30, 128, series, seeds.seedNoise);
  const nlohmann::json s = parseOutput(first);
  EXPECT_EQ(ints(s["lpNoisyData"]), std::vector<int>(series->lpNoisyData, series->lpNoisyData + 400));
  EXPECT_EQ(ints(s["lpPositions"]), std::vector<int>(series->lpPositions, series->lpPositions + 5));
  EXPECT_EQ(ints(s["lpCutBegin"]), std::vector<int>(series->lpCutBegin, series->lpCutBegin + 5));
  EXPECT_EQ(ints(s["lpCutEnd"]), std::vector<int>(series->lpCutEnd, series->lpCutEnd + 5));
  EXPECT_TRUE(window.messages().empty());
  freeSeriesHeader(window, series);
}

}  // namespace
