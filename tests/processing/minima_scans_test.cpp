#include "processing/minima_scans.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <limits>
#include <random>
#include <string>
#include <vector>

namespace {

// Every length from 1 to 70 and some longer ones (the vectors' eight lanes, the single values
// above and below them), values drawn from a few levels so that ties are everywhere, from the
// whole 64-bit range, and the largest value itself: the minima and their lowest positions
// are the literal ones from the top down, with and without the positions.
TEST(MinimaScansTest, EveryLengthTakesTheLowestPositionOfTheSmallestValue) {
  std::mt19937_64 rng(31);
  std::vector<int64_t> lengths;
  for (int64_t n = 1; n <= 70; ++n) lengths.push_back(n);
  for (int64_t n : {127, 128, 129, 142, 1000, 4097}) lengths.push_back(n);
  for (int64_t count : lengths) {
    for (int kind = 0; kind < 3; ++kind) {
      std::vector<int64_t> v(static_cast<size_t>(count));
      std::uniform_int_distribution<int64_t> few(-2, 2);
      for (int64_t& x : v)
        x = kind == 0   ? few(rng)
            : kind == 1 ? static_cast<int64_t>(rng())
                        : (few(rng) > 0 ? std::numeric_limits<int64_t>::max() : few(rng));
      const int64_t first = 1000 + count;
      std::vector<int64_t> min(v.size()), at(v.size()), valuesOnly(v.size());
      suffixMinima(v.data(), count, first, min.data(), at.data());
      suffixMinimaOfValues(v.data(), count, valuesOnly.data());
      for (int64_t i = 0; i < count; ++i) {
        int64_t best = v[static_cast<size_t>(i)], where = i;
        for (int64_t j = i + 1; j < count; ++j)
          if (v[static_cast<size_t>(j)] < best) {
            best = v[static_cast<size_t>(j)];
            where = j;
          }
        const std::string what =
            "count " + std::to_string(count) + " kind " + std::to_string(kind) + " at " + std::to_string(i);
        ASSERT_EQ(min[static_cast<size_t>(i)], best) << what;
        ASSERT_EQ(at[static_cast<size_t>(i)], first + where) << what;
        ASSERT_EQ(valuesOnly[static_cast<size_t>(i)], best) << what;
      }
    }
  }
}

// The steady stretch of a window pass: whatever part the vectors make (all but the last
// count % 8 positions, or nothing) equals the literal running minimum, with and without the
// suffix minima; the running minimum carries on from where they stopped, and so do the
// closest choices above and at or below 0.
TEST(MinimaScansTest, SteadyWindowValuesEqualTheRunningMinimum) {
  std::mt19937_64 rng(32);
  std::uniform_int_distribution<int64_t> few(-3, 3);
  for (int64_t count : {1, 7, 8, 9, 16, 23, 64, 301}) {
    for (bool withSuffix : {false, true}) {
      std::vector<int64_t> low(static_cast<size_t>(count)), suffix(low), score(low), out(low.size(), 99);
      for (size_t i = 0; i < low.size(); ++i) {
        low[i] = few(rng) * 1000;
        suffix[i] = few(rng) * 1000;
        score[i] = few(rng);
      }
      const int64_t start = 1000 * few(rng);
      int64_t prefixMin = 2000;
      int64_t above = 7000, below = -7000;
      const int64_t done = steadyWindowValues(low.data(), withSuffix ? suffix.data() : nullptr, score.data(),
                                              out.data(), count, 40, start, prefixMin, &above, &below);
      ASSERT_EQ(done % 8, 0);
      ASSERT_LE(done, count);
      int64_t run = 2000, nearestAbove = 7000, nearestBelow = -7000;
      for (int64_t i = 0; i < done; ++i) {
        const auto k = static_cast<size_t>(i);
        run = std::min(run, low[k]);
        const int64_t window = withSuffix ? std::min(run, suffix[k]) : run;
        const int64_t d = start - window;
        if (d > 0)
          nearestAbove = std::min(nearestAbove, d);
        else
          nearestBelow = std::max(nearestBelow, d);
        ASSERT_EQ(out[k], std::min(window, start) + score[k]) << count << " " << i;
      }
      EXPECT_EQ(prefixMin, run) << count;
      EXPECT_EQ(above, nearestAbove) << count;
      EXPECT_EQ(below, nearestBelow) << count;
      for (int64_t i = done; i < count; ++i) EXPECT_EQ(out[static_cast<size_t>(i)], 99);
    }
  }
  int64_t prefixMin = 0;
  std::vector<int64_t> v(16);
  // Positions fewer than eight apart depend on each other: the caller makes them.
  EXPECT_EQ(steadyWindowValues(v.data(), nullptr, v.data(), v.data(), 16, 7, 0, prefixMin), 0);
}

}  // namespace
