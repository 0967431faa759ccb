#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <random>
#include <vector>

#include "platform/message_recorder.h"
#include "signal/random_seeds.h"
#include "signal/series_header.h"
#include "signal/series_maker.h"
#include "tests/support/series_factory.h"

namespace {

using Series = std::unique_ptr<SeriesHeader, SeriesHeaderDeleter>;

Series header(MessageRecorder& window, uint16_t length, uint16_t tmin, uint16_t tmax, uint32_t size) {
  return Series(getCutOffSeriesHeader(window, 20, length, tmin, tmax, size, nullptr));
}

}  // namespace

// A user's series gets the origin ranges the series maker gives a made series of the same
// sizes, so that the known-number solvers search the same places; the samples are the given ones.
TEST(GivenSeries, KnownCountGetsTheMakersRangesAndTheSamples) {
  TestAlphabet alphabet;
  std::mt19937 rng(11);
  for (int round = 0; round < 60; ++round) {
    MessageRecorder window;
    const auto tmin = static_cast<uint16_t>(20 + rng() % 30);
    const auto tmax = static_cast<uint16_t>(tmin + rng() % 40);
    const auto size = static_cast<uint32_t>(200 + rng() % 600);
    Series made = header(window, 20, tmin, tmax, size);
    const uint16_t q =
        static_cast<uint16_t>(made->wMinPulses + rng() % (made->wMaxPulses - made->wMinPulses + 1));
    std::vector<uint16_t> sequence(made->wMaxPulses + 1u, 1);
    RandomSeeds seeds;
    ASSERT_EQ(makeExtSeries(window, 20, alphabet.pulses, 20, tmin, tmax, size, q, sequence.data(), 128, 100,
                            made.get(), seeds),
              1);

    std::vector<int16_t> samples(size);
    for (auto& v : samples) v = static_cast<int16_t>(static_cast<int32_t>(rng() % 2001) - 1000);
    Series given = header(window, 20, tmin, tmax, size);
    ASSERT_EQ(
        setGivenSeries(window, samples.data(), size, 20, alphabet.pulses, 20, tmin, tmax, q, given.get()), 1);
    EXPECT_TRUE(window.messages().empty());
    EXPECT_EQ(given->wImpulseQuantity, q);
    EXPECT_EQ(given->wMinPulses, made->wMinPulses);
    EXPECT_EQ(given->wMaxPulses, made->wMaxPulses);
    for (uint16_t k = 0; k < q; ++k) {
      ASSERT_EQ(given->lpLowBounds[k], made->lpLowBounds[k]) << k;
      ASSERT_EQ(given->lpHighBounds[k], made->lpHighBounds[k]) << k;
      ASSERT_EQ(given->lpPositions[k], -1);
      ASSERT_EQ(given->lpCutEnd[k], 19);
    }
    EXPECT_TRUE(std::equal(samples.begin(), samples.end(), given->lpNoisyData));
  }
}

// An unknown count stores no pulses; a count outside the admissible range is refused with the
// series maker's message and leaves the header's sizes alone.
TEST(GivenSeries, UnknownCountAndRefusals) {
  TestAlphabet alphabet;
  MessageRecorder window;
  std::vector<int16_t> samples(300, 7);
  Series given = header(window, 20, 40, 60, 300);
  ASSERT_EQ(setGivenSeries(window, samples.data(), 300, 20, alphabet.pulses, 20, 40, 60, 0, given.get()), 1);
  EXPECT_EQ(given->wImpulseQuantity, 0);
  EXPECT_EQ(given->lpNoisyData[299], 7);

  given->dwSeriesSize = 123;
  EXPECT_EQ(setGivenSeries(window, samples.data(), 300, 20, alphabet.pulses, 20, 40, 60, 50, given.get()), 0);
  ASSERT_EQ(window.messages().size(), 1u);
  EXPECT_EQ(window.messages()[0].caption, " makeExtSeries ");
  EXPECT_EQ(given->dwSeriesSize, 123u);

  // A header sized for a shorter series cannot take the samples.
  Series small = header(window, 20, 40, 60, 100);
  EXPECT_EQ(setGivenSeries(window, samples.data(), 300, 20, alphabet.pulses, 20, 40, 60, 6, small.get()), 0);
  EXPECT_EQ(window.messages().size(), 2u);
  EXPECT_EQ(setGivenSeries(window, samples.data(), 300, 20, alphabet.pulses, 20, 40, 60, 6, nullptr), 0);
}
