#include "processing/processor_speeds.h"

#include <gtest/gtest.h>

#include <cmath>

// A pass's share follows the rates its processors last showed, within bounds, and is even for
// processors never measured, the same processor twice, or rates that say nothing.
TEST(ProcessorSpeedsTest, ShareFollowsTheRecordedRates) {
  recordProcessorRates(202, 1.2e8, 203, 1.0e8);
  EXPECT_NEAR(processorShare(202, 203), 1.2 / 2.2, 1e-12);
  EXPECT_NEAR(processorShare(203, 202), 1.0 / 2.2, 1e-12);
  // A pair measured later changes what its processors show beside any other.
  recordProcessorRates(203, 2.0e8, 204, 2.0e8);
  EXPECT_NEAR(processorShare(203, 204), 0.5, 1e-12);
  EXPECT_NEAR(processorShare(202, 203), (1.2 / 1.1) / (1.2 / 1.1 + 1.0), 1e-12);

  recordProcessorRates(200, 3.0e8, 201, 1.0e8);
  EXPECT_EQ(processorShare(200, 201), 1 - kLeastShare);
  EXPECT_EQ(processorShare(201, 200), kLeastShare);

  EXPECT_EQ(processorShare(205, 206), 0.5);  // never measured
  EXPECT_EQ(processorShare(200, 200), 0.5);
  EXPECT_EQ(processorShare(-1, 200), 0.5);
  EXPECT_EQ(processorShare(200, 100000), 0.5);
  recordProcessorRates(207, 0.0, 208, 1.0e8);
  recordProcessorRates(209, std::nan(""), 210, 1.0e8);
  recordProcessorRates(211, 1.0e8, 211, 2.0e8);
  EXPECT_EQ(processorShare(207, 208), 0.5);
  EXPECT_EQ(processorShare(209, 210), 0.5);
  EXPECT_EQ(processorShare(211, 200), 0.5);

  // A share a request fixes holds, within the same bounds.
  EXPECT_EQ(callerShare(0.5), 0.5);
  EXPECT_EQ(callerShare(0.9), 1 - kLeastShare);
  EXPECT_EQ(callerShare(0.1), kLeastShare);
  const double measured = callerShare(0);
  EXPECT_TRUE(measured >= kLeastShare && measured <= 1 - kLeastShare) << measured;
}
