#include "processing/window_minima.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "tests/support/test_scale.h"

TEST(WindowMinima, EqualTheDirectScanOfEveryWindow) {
  std::mt19937 rng(11);
  std::uniform_int_distribution<int> value(-50, 50);
  for (int trial = 0; trial < scaledCount(3000); ++trial) {
    const int32_t vlo = std::uniform_int_distribution<int>(0, 40)(rng);
    const int32_t vhi = vlo + std::uniform_int_distribution<int>(-3, 60)(rng);
    std::vector<int32_t> v(vhi >= vlo ? vhi - vlo + 1 : 0);
    // Small values, so that windows hold ties and values at or above the starting value.
    for (int32_t& x : v) x = value(rng);
    const int32_t tmin = std::uniform_int_distribution<int>(0, 30)(rng);
    const int32_t tmax = tmin + std::uniform_int_distribution<int>(-4, 40)(rng);
    const int32_t first = std::uniform_int_distribution<int>(0, 80)(rng);
    const int32_t last = first + std::uniform_int_distribution<int>(-1, 90)(rng);
    const int32_t start = std::uniform_int_distribution<int>(-20, 60)(rng);
    std::vector<int32_t> scratch(2 * v.size() + 1), out(last >= first ? last - first + 1 : 0, 12345);
    clippedWindowMinima(v.data(), vlo, vhi, first, last, tmin, tmax, start, scratch.data(), out.data());
    for (int32_t p = first; p <= last; ++p) {
      int32_t m = start;
      for (int32_t l = p - tmax; l <= p - tmin; ++l)
        if (l >= vlo && l <= vhi && v[l - vlo] < m) m = v[l - vlo];
      ASSERT_EQ(out[p - first], m) << "trial " << trial << " p " << p;
    }
  }
}

TEST(WindowMinima, SlidingArgMinFindsTheLowestPositionOfTheSmallestValue) {
  std::mt19937 rng(12);
  std::uniform_int_distribution<int> value(-6, 6);  // many ties
  for (int trial = 0; trial < scaledCount(3000); ++trial) {
    const int32_t length = std::uniform_int_distribution<int>(1, 90)(rng);
    std::vector<int32_t> v(length);
    for (int32_t& x : v) x = value(rng);
    const int32_t tmin = std::uniform_int_distribution<int>(1, 25)(rng);
    const int32_t tmax = tmin + std::uniform_int_distribution<int>(0, 40)(rng);
    const int32_t start = std::uniform_int_distribution<int>(-3, 7)(rng);
    std::vector<int32_t> storage(4 * static_cast<size_t>(length));
    SlidingArgMin w;
    startSlidingArgMin(w, v.data(), storage.data(), length, tmin, tmax);
    // Ascending positions with gaps, as the solvers walk their sets.
    for (int32_t p = 0; p - tmin < length; p += std::uniform_int_distribution<int>(1, 3)(rng)) {
      int32_t minimum = 0, at = 0;
      slidingArgMin(w, p, tmin, tmax, start, minimum, at);
      int32_t m = start, where = -2;
      for (int32_t l = p - tmax; l <= p - tmin; ++l)
        if (l >= 0 && v[l] < m) {
          m = v[l];
          where = l;
        }
      ASSERT_EQ(minimum, m) << "trial " << trial << " p " << p;
      ASSERT_EQ(at, where) << "trial " << trial << " p " << p;
    }
  }
}

TEST(WindowMinima, RangesOfWindowsMatchTheDirectScan) {
  std::mt19937 rng(13);
  std::uniform_int_distribution<int> value(-6, 6);  // many ties
  for (int trial = 0; trial < scaledCount(3000); ++trial) {
    const int32_t length = std::uniform_int_distribution<int>(1, 90)(rng);
    std::vector<int32_t> v(length);
    for (int32_t& x : v) x = value(rng);
    const int32_t tmin = std::uniform_int_distribution<int>(1, 25)(rng);
    const int32_t tmax = tmin + std::uniform_int_distribution<int>(0, 40)(rng);
    const int32_t start = std::uniform_int_distribution<int>(-3, 7)(rng);
    std::vector<int32_t> storage(4 * static_cast<size_t>(length));
    SlidingArgMin w;
    startSlidingArgMin(w, v.data(), storage.data(), length, tmin, tmax);
    // Ascending ranges with gaps; positions are taken in beyond the last window's right end,
    // often into blocks past it.
    for (int32_t first = std::uniform_int_distribution<int>(0, 3)(rng); first - tmin < length;) {
      const int32_t last = first + std::uniform_int_distribution<int>(0, tmin - 1)(rng);
      if (last - tmin >= length) break;
      const int32_t lo = last - tmin < 0 ? 0 : last - tmin;
      const int32_t ready = std::uniform_int_distribution<int>(lo, length - 1)(rng);
      std::vector<int32_t> minimum(last - first + 1), at(last - first + 1);
      slidingArgMinRange(w, first, last, tmin, tmax, start, ready, minimum.data(), at.data());
      for (int32_t p = first; p <= last; ++p) {
        int32_t m = start, where = -2;
        for (int32_t l = p - tmax; l <= p - tmin; ++l)
          if (l >= 0 && v[l] < m) {
            m = v[l];
            where = l;
          }
        ASSERT_EQ(minimum[p - first], m) << "trial " << trial << " p " << p;
        ASSERT_EQ(at[p - first], where) << "trial " << trial << " p " << p;
      }
      first = last + std::uniform_int_distribution<int>(1, 4)(rng);
    }
  }
}
