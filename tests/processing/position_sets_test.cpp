#include "processing/position_sets.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
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

namespace {

// Every interval of every pulse count added one by one, as the sets are defined.
IntervalSet* literalSet(int role, int64_t size, int64_t n, int64_t t0, int64_t t1, int jmin, int jmax) {
  IntervalSet* s = getIntervalSet(nullptr, static_cast<uint16_t>(jmax));
  auto add = [s](int64_t lo, int64_t hi) {
    if (hi < 0 || lo > hi) return;
    addInterval(s, static_cast<uint16_t>(lo < 0 ? 0 : lo), static_cast<uint16_t>(hi));
  };
  for (int64_t j = jmin; j <= jmax; ++j) {
    if (role == 0) add(std::max<int64_t>(0, size - t1 * j), std::min(t1 - n, size - n - t0 * (j - 1)));
    for (int64_t k = 1; role == 1 && k <= j - 1; ++k)
      add(std::max(size - t1 * (j - k), t0 * k), std::min(t1 * (k + 1) - n, size - n - t0 * (j - k - 1)));
    if (role == 2) add(std::max(size - t1, t0 * (j - 1)), std::min(size - n, t1 * j - n));
  }
  return s;
}

}  // namespace

// The sets equal the literal unions, also where a set of capacity maxPulses overflows and
// loses intervals (tight distances, many counts).
TEST(PositionSetsTest, SetsEqualTheLiteralUnions) {
  std::mt19937 rng(5);
  for (int trial = 0; trial < 2000; ++trial) {
    const int n = std::uniform_int_distribution<int>(1, 20)(rng);
    const int t0 = std::uniform_int_distribution<int>(n, 40)(rng);
    const int t1 = t0 + std::uniform_int_distribution<int>(0, trial % 2 == 0 ? 3 : 60)(rng);
    const int size = std::uniform_int_distribution<int>(n, 1500)(rng);
    const int jmin = std::max(1, (size + n - 1) / t1);
    const int jmax = std::max(jmin, (size - n + t0) / t0);
    PositionSets sets;
    ASSERT_TRUE(buildPositionSets(sets, static_cast<uint32_t>(size), static_cast<uint16_t>(n),
                                  static_cast<uint16_t>(t0), static_cast<uint16_t>(t1),
                                  static_cast<uint16_t>(jmin), static_cast<uint16_t>(jmax)));
    const IntervalSet* built[] = {sets.first, sets.later, sets.last};
    for (int role = 0; role < 3; ++role) {
      IntervalSet* literal = literalSet(role, size, n, t0, t1, jmin, jmax);
      EXPECT_EQ(held(built[role]), held(literal)) << "trial " << trial << " role " << role;
      freeIntervalSet(literal);
    }
    freePositionSets(sets);
  }
}
