#include "processing/position_sets.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace {

using Intervals = std::vector<std::pair<int, int>>;

Intervals held(const IntervalSet* s) {
  Intervals r;
  for (int k = 0; k < s->count; ++k) r.emplace_back(s->starts[k], s->ends[k]);
  return r;
}

// 100 samples, etalons of 10, distances 20 .. 40: two to five pulses. Worked by hand from
// the admissible ranges of every pulse of every count.
TEST(PositionSetsTest, RolesOfAWorkedExample) {
  PositionSets sets;
  ASSERT_TRUE(buildPositionSets(sets, 100, 10, 20, 40, 2, 5));
  EXPECT_EQ(held(sets.first), (Intervals{{0, 30}}));
  EXPECT_EQ(held(sets.later), (Intervals{{20, 90}}));
  EXPECT_EQ(held(sets.last), (Intervals{{60, 90}}));
  IntervalSet *firstOnly = nullptr, *both = nullptr, *laterOnly = nullptr;
  ASSERT_TRUE(splitPositionSets(sets, firstOnly, both, laterOnly));
  EXPECT_EQ(held(firstOnly), (Intervals{{0, 19}}));
  EXPECT_EQ(held(both), (Intervals{{20, 30}}));
  EXPECT_EQ(held(laterOnly), (Intervals{{31, 90}}));
  freeIntervalSet(firstOnly);
  freeIntervalSet(both);
  freeIntervalSet(laterOnly);
  freePositionSets(sets);
  EXPECT_EQ(sets.first, nullptr);
  freePositionSets(sets);  // releasing twice is harmless
}

// Distances shorter than the etalon give negative upper bounds: those intervals are empty,
// never wrapped around to large positions.
TEST(PositionSetsTest, NegativeUpperBoundsGiveEmptyIntervals) {
  PositionSets sets;
  ASSERT_TRUE(buildPositionSets(sets, 100, 20, 10, 15, 7, 9));
  EXPECT_EQ(sets.first->count, 0);
  for (int k = 0; k < sets.later->count; ++k) EXPECT_LE(sets.later->ends[k], 80);
  for (int k = 0; k < sets.last->count; ++k) EXPECT_LE(sets.last->ends[k], 80);
  freePositionSets(sets);

  // A series shorter than its etalon has no start position at all.
  ASSERT_TRUE(buildPositionSets(sets, 10, 20, 5, 30, 1, 1));
  EXPECT_EQ(sets.first->count + sets.later->count + sets.last->count, 0);
  freePositionSets(sets);
}

}  // namespace
