#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "processing/matching_step.h"
#include "tests/support/series_factory.h"
#include "tests/support/test_scale.h"

// The position-parallel search over a range (blocks of positions, several etalons offering in
// turn) gives at every position what the search at that position alone gives.
TEST(FragmentRows, RangeSearchEqualsTheSearchAtEachPosition) {
  std::mt19937 rng(31);
  TestAlphabet alphabet;
  for (int trial = 0; trial < scaledCount(60); ++trial) {
    const uint32_t size = std::uniform_int_distribution<uint32_t>(20, 900)(rng);
    std::vector<int16_t> x(size);
    const int spread = std::uniform_int_distribution<int>(0, 2)(rng) == 0 ? 3 : 300;
    for (int16_t& v : x) v = static_cast<int16_t>(std::uniform_int_distribution<int>(-spread, spread)(rng));
    std::vector<uint16_t> list(std::uniform_int_distribution<size_t>(1, 3)(rng));
    for (uint16_t& e : list) e = static_cast<uint16_t>(std::uniform_int_distribution<int>(1, 20)(rng));
    const uint16_t level = static_cast<uint16_t>(std::uniform_int_distribution<int>(0, 100)(rng));
    FragmentMatcher ranged, single;
    ASSERT_TRUE(prepareFragmentMatcher(ranged, alphabet.pulses, 20, static_cast<uint16_t>(list.size()),
                                       list.data(), 20, level, x.data(), size));
    ASSERT_TRUE(prepareFragmentMatcher(single, alphabet.pulses, 20, static_cast<uint16_t>(list.size()),
                                       list.data(), 20, level, x.data(), size));
    const int32_t last = static_cast<int32_t>(size) - 20;
    const int32_t first = std::uniform_int_distribution<int32_t>(0, last)(rng);
    std::vector<FragmentChoice> out(static_cast<size_t>(last - first + 1));
    bestFragmentsOver(ranged, x.data(), first, last, out.data());
    for (int32_t p = first; p <= last; ++p) {
      const FragmentChoice c = bestFragmentAt(single, x.data(), p);
      const FragmentChoice& r = out[p - first];
      ASSERT_EQ(r.score, c.score) << "trial " << trial << " p " << p;
      ASSERT_EQ(r.etalonIndex, c.etalonIndex) << "trial " << trial << " p " << p;
      ASSERT_EQ(r.begin, c.begin) << "trial " << trial << " p " << p;
      ASSERT_EQ(r.end, c.end) << "trial " << trial << " p " << p;
    }
  }
}
