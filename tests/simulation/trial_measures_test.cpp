#include "simulation/trial_measures.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <random>
#include <vector>

#include "platform/message_recorder.h"
#include "signal/pulse_header.h"
#include "signal/series_header.h"
#include "tests/support/test_scale.h"

namespace {

struct FoundPulse {
  int16_t position;
  int16_t etalon;
  int16_t begin;
  int16_t end;
};

// A series of 12 samples made by hand: etalon 1 (1 2 3 4) at 1, etalon 2 (-5 5 -5 5) at 6 and a
// lone sample 7 at 11. Its energy is 30 + 100 + 49 = 179.
struct HandSeries : ::testing::Test {
  MessageRecorder window;
  int16_t first[4] = {1, 2, 3, 4};
  int16_t second[4] = {-5, 5, -5, 5};
  PulseHeader etalons[2] = {{4, 4, 1, first}, {4, 4, 2, second}};
  SeriesHeader* series = nullptr;

  void SetUp() override {
    series = getCutOffSeriesHeader(window, 2, 4, 4, 8, 12, nullptr);
    ASSERT_NE(series, nullptr);
    series->wImpulseSize = 4;
    series->lpPulsesList[0] = &etalons[0];
    series->lpPulsesList[1] = &etalons[1];
    const int16_t pure[12] = {0, 1, 2, 3, 4, 0, -5, 5, -5, 5, 0, 7};
    for (int t = 0; t < 12; ++t) series->lpPureData[t] = pure[t];
  }
  void TearDown() override { freeSeriesHeader(window, series); }

  int64_t errorOf(const std::vector<FoundPulse>& found) {
    series->wRestoredQuantity = static_cast<uint16_t>(found.size());
    for (size_t i = 0; i < found.size(); ++i) {
      series->lpRestoredPositions[i] = found[i].position;
      series->lpRestoredEtalons[i] = found[i].etalon;
      series->lpRestoredCutBegin[i] = found[i].begin;
      series->lpRestoredCutEnd[i] = found[i].end;
    }
    return restoringError(*series);
  }
};

TEST_F(HandSeries, RestoringErrorComparesTheRebuiltSeriesWithThePureOne) {
  EXPECT_EQ(errorOf({}), 179);                                    // nothing found: the pure energy
  EXPECT_EQ(errorOf({{1, 1, 0, 3}, {6, 2, 0, 3}}), 49);           // both pulses exactly
  EXPECT_EQ(errorOf({{1, 1, 1, 2}, {6, 2, 0, 3}}), 1 + 16 + 49);  // only the kept part models
  EXPECT_EQ(errorOf({{1, 0, 0, 3}, {6, 2, 0, 3}}), 30 + 49);      // no such etalon: zeros
  EXPECT_EQ(errorOf({{1, 1, 0, 3}, {7, 2, 0, 3}}), 25 + 100 + 100 + 100 + 25 + 49);  // one sample late
}

TEST_F(HandSeries, RestoringErrorSkipsAPulseLyingBehindAnEarlierOne) {
  EXPECT_EQ(errorOf({{6, 2, 0, 3}, {1, 1, 0, 3}}), 30 + 49);
  // A pulse reaching past the end of the series models only what lies inside it.
  EXPECT_EQ(errorOf({{1, 1, 0, 3}, {6, 2, 0, 3}, {10, 1, 0, 3}}), 1 + 25);
}

// The rebuilding walk sample by sample: the model is the current found pulse's etalon sample
// inside its kept part, the walk moves to the next pulse at the current one's last sample, and a
// pulse lying wholly behind the walk is passed over.
int64_t walkedError(const SeriesHeader& s) {
  int64_t sum = 0;
  uint16_t i = 0;
  for (int64_t t = 0; t < s.dwSeriesSize; ++t) {
    while (i < s.wRestoredQuantity && s.lpRestoredPositions[i] + s.wImpulseSize - 1 < t) ++i;
    int64_t model = 0;
    if (i < s.wRestoredQuantity) {
      const int64_t start = s.lpRestoredPositions[i];
      const int64_t index = t - start;
      const int16_t e = s.lpRestoredEtalons[i];
      if (index >= 0 && index < s.wImpulseSize && e >= 1 && e <= s.wEtalonsQuantity &&
          index >= s.lpRestoredCutBegin[i] && index <= s.lpRestoredCutEnd[i] &&
          index < s.lpPulsesList[e - 1]->wSize) {
        model = s.lpPulsesList[e - 1]->lpData[index];
      }
      if (t == start + s.wImpulseSize - 1) ++i;
    }
    sum += (s.lpPureData[t] - model) * (s.lpPureData[t] - model);
  }
  return sum;
}

TEST_F(HandSeries, RestoringErrorEqualsTheSampleBySampleWalkOnRandomAnswers) {
  std::mt19937 rng(7);
  for (int round = 0; round < scaledCount(2000); ++round) {
    for (int t = 0; t < 12; ++t) series->lpPureData[t] = static_cast<int16_t>(rng() % 41) - 20;
    std::vector<FoundPulse> found(rng() % 4);
    int16_t position = static_cast<int16_t>(rng() % 5) - 3;
    for (FoundPulse& f : found) {
      f.position = position;
      f.etalon = static_cast<int16_t>(rng() % 4);  // 0 and 3 name no etalon
      f.begin = static_cast<int16_t>(rng() % 5) - 1;
      f.end = static_cast<int16_t>(rng() % 6) - 1;
      position = static_cast<int16_t>(position + static_cast<int16_t>(rng() % 9) -
                                      2);  // overlaps and steps back too
    }
    const int64_t fast = errorOf(found);
    ASSERT_EQ(fast, walkedError(*series)) << "round " << round;
  }
}

TEST(PositionError, UsesOnlyThePulsesBothKnowAndRoundsTheScaledValue) {
  const int16_t truth[] = {10, 50, 90, 130};
  const int16_t found[] = {11, 50, 93, 100};
  // H over the first two pulses = 1: (4 + 256) / 8 = 32.
  EXPECT_EQ(scaledPositionError(4, 2, truth, found), 32);
  // H over three pulses = 1 + 9 = 10 (the fourth lies beyond the chain found).
  EXPECT_EQ(scaledPositionError(3, 4, truth, found), (3 + 2560) / 6);
  // 128 x 1 / 3 = 42.67 rounds to 43.
  EXPECT_EQ(scaledPositionError(3, 1, truth, found), 43);
  EXPECT_EQ(scaledPositionError(0, 4, truth, found), 0);
  EXPECT_EQ(scaledPositionError(4, 0, truth, found), 0);
}

TEST(PositionError, DoesNotWrapForFarMisses) {
  std::vector<int16_t> truth(30, 0);
  std::vector<int16_t> found(30, 30000);
  const int64_t h = int64_t{30} * 30000 * 30000;
  EXPECT_EQ(scaledPositionError(30, 30, truth.data(), found.data()), (30 + 256 * h) / 60);
  EXPECT_GT(scaledPositionError(30, 30, truth.data(), found.data()), std::numeric_limits<int32_t>::max());
}

TEST(CellResults, RoundTheMeanAndSaturateToTheCell) {
  EXPECT_EQ(meanRestoringError(5, 2), 3);  // 2.5 rounds up
  EXPECT_EQ(meanRestoringError(1, 4), 0);  // 0.25 rounds down
  EXPECT_EQ(meanRestoringError(700, 100), 7);
  EXPECT_EQ(meanRestoringError(5, 0), 0);
  EXPECT_EQ(meanRestoringError(int64_t{1} << 40, 1), std::numeric_limits<int32_t>::max());
  EXPECT_EQ(cellPositionError(255), 1);
  EXPECT_EQ(cellPositionError(256), 2);
  EXPECT_EQ(cellPositionError(int64_t{1} << 50), std::numeric_limits<int32_t>::max());
}

}  // namespace
