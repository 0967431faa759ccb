#include "platform/progress_estimate.h"

#include <gtest/gtest.h>

TEST(ProgressEstimate, TimeLeftAtTheSamePace) {
  // 253 of 725 cells in 10 s: 472 more at 253 per 10 s is 18.66 s, shown as 19 s.
  EXPECT_EQ(timeLeftText(10.0, 253, 725), "time left: about 0:19");
  EXPECT_EQ(timeLeftText(60.0, 1, 3), "time left: about 2:00");
  EXPECT_EQ(timeLeftText(3600.0, 1, 3), "time left: about 2:00:00");
  // Nothing to estimate from, or nothing left.
  EXPECT_EQ(timeLeftText(5.0, 0, 10), "");
  EXPECT_EQ(timeLeftText(5.0, 10, 10), "");
  EXPECT_EQ(timeLeftText(5.0, 11, 10), "");
  // A huge estimate is capped, never garbage.
  EXPECT_EQ(timeLeftText(1e12, 1, 4000000000u), "time left: about 99:59:59");
}
