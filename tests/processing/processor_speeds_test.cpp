#include "processing/processor_speeds.h"

#include <gtest/gtest.h>

#include <cmath>

#if defined(__linux__)
#include <sched.h>
#endif

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

#if defined(__linux__)
// The side thread's share mirrors the caller's: measured, it is the other processor's share
// beside the caller's; fixed, it is the same bounded share.
TEST(ProcessorSpeedsTest, TheSideThreadsShareIsTheOtherProcessors) {
  EXPECT_EQ(sideShare(0.5, SplitWork::kValuesKept), 0.5);
  EXPECT_EQ(sideShare(0.9, SplitWork::kValuesKept), 1 - kLeastShare);
  cpu_set_t before;
  ASSERT_EQ(sched_getaffinity(0, sizeof before, &before), 0);
  int pair[2] = {-1, -1};
  for (int cpu = 0, found = 0; cpu < CPU_SETSIZE && found < 2; ++cpu)
    if (CPU_ISSET(cpu, &before)) pair[found++] = cpu;
  if (pair[1] < 0) GTEST_SKIP() << "one processor only";
  cpu_set_t two;
  CPU_ZERO(&two);
  CPU_SET(pair[0], &two);
  CPU_SET(pair[1], &two);
  ASSERT_EQ(sched_setaffinity(0, sizeof two, &two), 0);
  recordProcessorRates(SplitWork::kValuesKept, pair[0], 3.0e8, pair[1], 2.0e8);
  // The thread may move between the two: only answers taken on one processor count.
  bool checked = false;
  for (int attempt = 0; attempt < 100 && !checked; ++attempt) {
    const int mine = currentProcessor();
    const double caller = callerShare(0, SplitWork::kValuesKept);
    const double side = sideShare(0, SplitWork::kValuesKept);
    if (currentProcessor() != mine) continue;
    const double expected = mine == pair[0] ? 0.6 : 0.4;
    EXPECT_NEAR(caller, expected, 1e-12);
    EXPECT_NEAR(side, 1 - expected, 1e-12);
    checked = true;
  }
  EXPECT_TRUE(checked);
  sched_setaffinity(0, sizeof before, &before);
}
#endif
