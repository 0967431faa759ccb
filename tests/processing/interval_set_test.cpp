#include "processing/interval_set.h"

#include <gtest/gtest.h>

#include <bitset>
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

IntervalSet* make(const Intervals& intervals, uint16_t capacity = 10) {
  IntervalSet* s = getIntervalSet(nullptr, capacity);
  for (auto [a, b] : intervals) addInterval(s, static_cast<uint16_t>(a), static_cast<uint16_t>(b));
  return s;
}

struct SetHolder {
  IntervalSet* s;
  explicit SetHolder(IntervalSet* set) : s(set) {}
  ~SetHolder() { freeIntervalSet(s); }
};

TEST(IntervalSetTest, AddMergesOverlapsAndKeepsOrder) {
  struct Case {
    Intervals before;
    std::pair<int, int> added;
    Intervals after;
  } cases[] = {
      {{{0, 2}, {5, 10}, {20, 30}}, {8, 22}, {{0, 2}, {5, 30}}},
      {{{5, 10}, {20, 30}}, {12, 15}, {{5, 10}, {12, 15}, {20, 30}}},
      {{{5, 10}, {20, 30}}, {3, 15}, {{3, 15}, {20, 30}}},
      {{{5, 10}, {20, 30}}, {3, 25}, {{3, 30}}},
      {{{5, 10}, {20, 30}}, {3, 7}, {{3, 10}, {20, 30}}},
      {{{5, 10}, {20, 30}, {40, 50}}, {0, 60}, {{0, 60}}},
      {{{5, 10}}, {11, 12}, {{5, 10}, {11, 12}}},  // touching intervals stay apart
      {{{5, 10}}, {65535, 65535}, {{5, 10}, {65535, 65535}}},
  };
  for (const Case& c : cases) {
    SetHolder h(make(c.before));
    EXPECT_EQ(addInterval(h.s, static_cast<uint16_t>(c.added.first), static_cast<uint16_t>(c.added.second)),
              1);
    EXPECT_EQ(held(h.s), c.after) << c.added.first << ".." << c.added.second;
  }
}

TEST(IntervalSetTest, CutShortensSplitsAndRemoves) {
  struct Case {
    Intervals before;
    std::pair<int, int> cut;
    Intervals after;
  } cases[] = {
      {{{10, 20}}, {12, 15}, {{10, 11}, {16, 20}}},
      {{{10, 20}}, {0, 100}, {}},
      {{{5, 10}, {20, 30}}, {30, 40}, {{5, 10}, {20, 29}}},
      {{{5, 10}, {20, 30}, {40, 50}}, {25, 27}, {{5, 10}, {20, 24}, {28, 30}, {40, 50}}},
      {{{5, 10}, {20, 30}, {40, 50}}, {8, 45}, {{5, 7}, {46, 50}}},
      {{{0, 10}}, {0, 0}, {{1, 10}}},
      {{{5, 10}}, {11, 19}, {{5, 10}}},
  };
  for (const Case& c : cases) {
    SetHolder h(make(c.before));
    EXPECT_EQ(cutInterval(h.s, static_cast<uint16_t>(c.cut.first), static_cast<uint16_t>(c.cut.second)), 1);
    EXPECT_EQ(held(h.s), c.after) << c.cut.first << ".." << c.cut.second;
  }
}

TEST(IntervalSetTest, ClipIntersectAndDifference) {
  SetHolder a(make({{5, 10}, {20, 30}, {40, 50}}));
  SetHolder b(copyIntervalSet(nullptr, a.s));
  EXPECT_EQ(clipIntervalSet(a.s, 8, 45), 1);
  EXPECT_EQ(held(a.s), (Intervals{{8, 10}, {20, 30}, {40, 45}}));
  EXPECT_EQ(clipIntervalSet(b.s, 12, 18), 1);
  EXPECT_TRUE(held(b.s).empty());

  SetHolder c(make({{0, 100}}));
  SetHolder d(make({{5, 10}, {20, 30}}));
  SetHolder empty(getIntervalSet(nullptr, 4));
  EXPECT_EQ(cutIntervalSet(d.s, empty.s), 1);
  EXPECT_EQ(held(d.s), (Intervals{{5, 10}, {20, 30}}));
  EXPECT_EQ(intersectIntervalSet(c.s, d.s), 1);
  EXPECT_EQ(held(c.s), (Intervals{{5, 10}, {20, 30}}));
  EXPECT_EQ(intersectIntervalSet(c.s, empty.s), 1);
  EXPECT_TRUE(held(c.s).empty());
  // A set combined with itself.
  EXPECT_EQ(intersectIntervalSet(d.s, d.s), 1);
  EXPECT_EQ(held(d.s), (Intervals{{5, 10}, {20, 30}}));
  EXPECT_EQ(addIntervalSet(d.s, d.s), 1);
  EXPECT_EQ(held(d.s), (Intervals{{5, 10}, {20, 30}}));
  EXPECT_EQ(cutIntervalSet(d.s, d.s), 1);
  EXPECT_TRUE(held(d.s).empty());
}

TEST(IntervalSetTest, RefusalsLeaveTheSetAsItWas) {
  EXPECT_EQ(addInterval(nullptr, 1, 2), 0);
  EXPECT_EQ(cutInterval(nullptr, 1, 2), 0);
  EXPECT_EQ(clipIntervalSet(nullptr, 1, 2), 0);
  EXPECT_EQ(copyIntervalSet(nullptr, nullptr), nullptr);
  SetHolder s(make({{5, 10}, {20, 30}}, 2));
  EXPECT_EQ(addInterval(s.s, 9, 3), 0);
  EXPECT_EQ(cutInterval(s.s, 9, 3), 0);
  EXPECT_EQ(clipIntervalSet(s.s, 9, 3), 0);
  EXPECT_EQ(addIntervalSet(s.s, nullptr), 0);
  EXPECT_EQ(intersectIntervalSet(s.s, nullptr), 0);
  // Full: a third interval and a split are refused; a merge still works.
  EXPECT_EQ(addInterval(s.s, 40, 50), 0);
  EXPECT_EQ(cutInterval(s.s, 7, 8), 0);
  EXPECT_EQ(held(s.s), (Intervals{{5, 10}, {20, 30}}));
  EXPECT_EQ(addInterval(s.s, 8, 12), 1);
  EXPECT_EQ(held(s.s), (Intervals{{5, 12}, {20, 30}}));
}

TEST(IntervalSetTest, GetKeepsALargerCapacityAndEmpties) {
  IntervalSet* s = make({{1, 2}, {4, 5}}, 8);
  uint16_t* storage = s->starts;
  s = getIntervalSet(s, 3);
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(s->capacity, 8);
  EXPECT_EQ(s->starts, storage);
  EXPECT_EQ(s->count, 0);
  EXPECT_EQ(s->starts[0], 0);
  EXPECT_EQ(s->ends[1], 0);
  s = getIntervalSet(s, 20);
  EXPECT_EQ(s->capacity, 20);
  EXPECT_EQ(s->ends, s->starts + 20);
  EXPECT_EQ(freeIntervalSet(s), nullptr);
  EXPECT_EQ(freeIntervalSet(nullptr), nullptr);
}

// Every operation against a plain membership model on a small universe; the invariants
// (sorted, disjoint, start <= end) hold after every step.
TEST(IntervalSetTest, RandomOperationsMatchAMembershipModel) {
  constexpr int kUniverse = 64;
  std::mt19937 rng(2024);
  std::uniform_int_distribution<int> pos(0, kUniverse - 1);
  auto model = [](const IntervalSet* s) {
    std::bitset<kUniverse> m;
    for (int k = 0; k < s->count; ++k)
      for (int p = s->starts[k]; p <= s->ends[k]; ++p) m.set(static_cast<size_t>(p));
    return m;
  };
  auto randomSet = [&] {
    IntervalSet* s = getIntervalSet(nullptr, 64);
    const int n = std::uniform_int_distribution<int>(0, 5)(rng);
    for (int i = 0; i < n; ++i) {
      int a = pos(rng), b = pos(rng);
      if (a > b) std::swap(a, b);
      addInterval(s, static_cast<uint16_t>(a), static_cast<uint16_t>(b));
    }
    return s;
  };
  for (int round = 0; round < 3000; ++round) {
    SetHolder a(randomSet());
    SetHolder b(randomSet());
    const auto ma = model(a.s);
    const auto mb = model(b.s);
    int lo = pos(rng), hi = pos(rng);
    if (lo > hi) std::swap(lo, hi);
    std::bitset<kUniverse> range;
    for (int p = lo; p <= hi; ++p) range.set(static_cast<size_t>(p));
    std::bitset<kUniverse> expected;
    switch (round % 5) {
      case 0:
        addIntervalSet(a.s, b.s);
        expected = ma | mb;
        break;
      case 1:
        cutIntervalSet(a.s, b.s);
        expected = ma & ~mb;
        break;
      case 2:
        intersectIntervalSet(a.s, b.s);
        expected = ma & mb;
        break;
      case 3:
        clipIntervalSet(a.s, static_cast<uint16_t>(lo), static_cast<uint16_t>(hi));
        expected = ma & range;
        break;
      default:
        cutInterval(a.s, static_cast<uint16_t>(lo), static_cast<uint16_t>(hi));
        expected = ma & ~range;
        break;
    }
    ASSERT_EQ(model(a.s), expected) << "round " << round;
    for (int k = 0; k < a.s->count; ++k) {
      ASSERT_LE(a.s->starts[k], a.s->ends[k]);
      if (k > 0) {
        ASSERT_GT(a.s->starts[k], a.s->ends[k - 1]);
      }
    }
    EXPECT_EQ(intervalSetPositions(*a.s), expected.count());
  }
}

}  // namespace
