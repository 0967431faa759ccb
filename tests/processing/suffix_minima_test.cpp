#include "processing/suffix_minima.h"

#include <gtest/gtest.h>

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
TEST(SuffixMinimaTest, EveryLengthTakesTheLowestPositionOfTheSmallestValue) {
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

}  // namespace
