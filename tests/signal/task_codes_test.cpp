#include "signal/task_codes.h"

#include <gtest/gtest.h>

#include <string>

#include "signal/pulse_bounds.h"

namespace {
std::string text(const char* t) { return t == nullptr ? "<null>" : t; }
}  // namespace

TEST(TaskCodes, DescriptionTextsOfTheIrregularCodes) {
  // Codes 32, 8 and 16 describe differently in the two records; 64, 16 and 32 have none.
  EXPECT_EQ(text(chainsTaskText(32)), "detection");
  EXPECT_EQ(text(restErrTaskText(32)), "blind detection");
  EXPECT_EQ(text(chainsTaskText(8)), "<null>");
  EXPECT_EQ(text(restErrTaskText(16)), "joint detection and estimation");
  EXPECT_EQ(text(chainsTaskText(64)), "<null>");
  EXPECT_EQ(text(restErrTaskText(64)), "<null>");
  EXPECT_EQ(text(chainsTaskText(40)), "recognition");
  EXPECT_EQ(text(seriesTypeText(40)), "unknown number of whole pulses tuples");
  EXPECT_EQ(text(seriesTypeText(16)), "<null>");
}

TEST(TaskCodes, SetsAreValuesNotBits) {
  for (uint16_t t : {1, 2, 4, 8, 16, 32, 36, 40, 12, 44}) {
    EXPECT_EQ(isUnknownNumberSeries(t), t == 4 || t == 8 || t == 40) << t;
    EXPECT_EQ(isUnknownNumberPulseSeries(t), t == 4 || t == 8) << t;
    EXPECT_EQ(isTupleSeries(t), t == 36 || t == 40) << t;
    EXPECT_EQ(isCutOffSeries(t), t == 2 || t == 8) << t;
  }
  EXPECT_EQ(effectiveTaskTypeFor(1, 36), 36);
  EXPECT_EQ(effectiveTaskTypeFor(2, 40), 40);
  EXPECT_EQ(effectiveTaskTypeFor(1, 40), 36);
  EXPECT_EQ(effectiveTaskTypeFor(4, 36), 4);
  EXPECT_EQ(effectiveTaskTypeFor(2, 8), 2);
  EXPECT_EQ(effectiveTaskTypeFor(64, 1), 64);
}

TEST(TaskCodes, ChartKindTable) {
  EXPECT_EQ(chartKindFor(2, 1, 1), 2);
  EXPECT_EQ(chartKindFor(2, 2, 0), 3);
  EXPECT_EQ(chartKindFor(3, 1, 1), 12);
  EXPECT_EQ(chartKindFor(3, 2, 1), 13);
  EXPECT_EQ(chartKindFor(3, 1, 0), 4);
  EXPECT_EQ(chartKindFor(3, 7, 0), 5);
  EXPECT_EQ(chartKindFor(1, 1, 1), 0);
  EXPECT_EQ(chartKindFor(9, 2, 1), 1);
}

TEST(PulseBounds, CountsMidpointAndClamp) {
  EXPECT_EQ(minPulsesFor(1200, 20, 181), 6);
  EXPECT_EQ(maxPulsesFor(1200, 20, 40), 30);
  EXPECT_EQ(midpointPulses(6, 30), 18);
  EXPECT_EQ(minPulsesFor(200, 20, 181), 1);
  EXPECT_EQ(maxPulsesFor(200, 20, 40), 5);
  EXPECT_EQ(midpointPulses(1, 5), 3);
  EXPECT_EQ(minPulsesFor(100, 20, 181), 0);
  EXPECT_EQ(seriesMinPulses(100, 20, 181), 1);
  EXPECT_EQ(clampPulses(18, 6, 30), 18);
  EXPECT_EQ(clampPulses(30, 6, 30), 30);
  EXPECT_EQ(clampPulses(31, 6, 30), 18);
  EXPECT_EQ(clampPulses(5, 6, 30), 18);
  EXPECT_EQ(savedEnergyLevel(25), 75);
}

TEST(PulseBounds, GuardedDivisionsAndOutOfRangeQuotients) {
  EXPECT_EQ(minPulsesFor(1200, 20, 0), 0);
  EXPECT_EQ(maxPulsesFor(1200, 20, 0), 0);
  EXPECT_EQ(seriesMinPulses(1200, 20, 0), 1);
  // A series shorter than the etalon holds none, not a wrapped huge count.
  EXPECT_EQ(maxPulsesFor(5, 20, 10), 0);
  EXPECT_EQ(maxPulsesFor(10, 20, 10), 0);
  EXPECT_EQ(maxPulsesFor(20, 20, 10), 1);
  // Quotients beyond 16 bits saturate instead of wrapping to small numbers.
  EXPECT_EQ(maxPulsesFor(4000000000u, 20, 40), 65535);
  EXPECT_EQ(minPulsesFor(4294967295u, 20, 1), 65535);
}
