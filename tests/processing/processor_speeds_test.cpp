#include "processing/processor_speeds.h"

#include <gtest/gtest.h>

#include <cmath>

// A pass's share follows the rates its processors last showed, within bounds, and is even for
// processors never measured, the same processor twice, or rates that say nothing.
TEST(ProcessorSpeedsTest, ShareFollowsTheRecordedRates) {
  recordProcessorRates(SplitWork::kValuesKept, 202, 1.2e8, 203, 1.0e8);
  EXPECT_NEAR(processorShare(SplitWork::kValuesKept, 202, 203), 1.2 / 2.2, 1e-12);
  EXPECT_NEAR(processorShare(SplitWork::kValuesKept, 203, 202), 1.0 / 2.2, 1e-12);
  // A pair measured later changes what its processors show beside any other.
  recordProcessorRates(SplitWork::kValuesKept, 203, 2.0e8, 204, 2.0e8);
  EXPECT_NEAR(processorShare(SplitWork::kValuesKept, 203, 204), 0.5, 1e-12);
  EXPECT_NEAR(processorShare(SplitWork::kValuesKept, 202, 203), (1.2 / 1.1) / (1.2 / 1.1 + 1.0), 1e-12);

  recordProcessorRates(SplitWork::kValuesKept, 200, 3.0e8, 201, 1.0e8);
  EXPECT_EQ(processorShare(SplitWork::kValuesKept, 200, 201), 1 - kLeastShare);
  EXPECT_EQ(processorShare(SplitWork::kValuesKept, 201, 200), kLeastShare);

  EXPECT_EQ(processorShare(SplitWork::kValuesKept, 205, 206), 0.5);  // never measured
  EXPECT_EQ(processorShare(SplitWork::kValuesKept, 200, 200), 0.5);
  EXPECT_EQ(processorShare(SplitWork::kValuesKept, -1, 200), 0.5);
  EXPECT_EQ(processorShare(SplitWork::kValuesKept, 200, 100000), 0.5);
  recordProcessorRates(SplitWork::kValuesKept, 207, 0.0, 208, 1.0e8);
  recordProcessorRates(SplitWork::kValuesKept, 209, std::nan(""), 210, 1.0e8);
  recordProcessorRates(SplitWork::kValuesKept, 211, 1.0e8, 211, 2.0e8);
  EXPECT_EQ(processorShare(SplitWork::kValuesKept, 207, 208), 0.5);
  EXPECT_EQ(processorShare(SplitWork::kValuesKept, 209, 210), 0.5);
  EXPECT_EQ(processorShare(SplitWork::kValuesKept, 211, 200), 0.5);

  // A share a request fixes holds, within the same bounds.
  EXPECT_EQ(callerShare(0.5, SplitWork::kValuesKept), 0.5);
  EXPECT_EQ(callerShare(0.9, SplitWork::kValuesHandedOver), 1 - kLeastShare);
  EXPECT_EQ(callerShare(0.1, SplitWork::kValuesKept), kLeastShare);
  const double measured = callerShare(0, SplitWork::kValuesHandedOver);
  EXPECT_TRUE(measured >= kLeastShare && measured <= 1 - kLeastShare) << measured;
}

// Each kind of work keeps rates of its own (the threads' parts cost differently in each); a
// work never measured on a pair takes another work's.
TEST(ProcessorSpeedsTest, EachWorkHasItsOwnRates) {
  recordProcessorRates(SplitWork::kValuesKept, 220, 1.0e8, 221, 1.0e8);
  EXPECT_NEAR(processorShare(SplitWork::kValuesKept, 220, 221), 0.5, 1e-12);
  EXPECT_NEAR(processorShare(SplitWork::kValuesHandedOver, 220, 221), 0.5, 1e-12);
  recordProcessorRates(SplitWork::kValuesHandedOver, 220, 1.0e8, 221, 1.5e8);
  EXPECT_NEAR(processorShare(SplitWork::kValuesHandedOver, 220, 221), 1.0 / 2.5, 1e-12);
  EXPECT_NEAR(processorShare(SplitWork::kValuesKept, 220, 221), 0.5, 1e-12);

  recordProcessorRates(SplitWork::kValuesHandedOver, 222, 3.0e8, 223, 1.0e8);
  EXPECT_EQ(processorShare(SplitWork::kValuesKept, 222, 223), 1 - kLeastShare);
  EXPECT_EQ(processorShare(SplitWork::kValuesKept, 224, 225), 0.5);
}
