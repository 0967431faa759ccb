#include "signal/series_maker.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "platform/message_recorder.h"
#include "signal/pulse_bounds.h"
#include "signal/random_source.h"
#include "signal/selected_subsets.h"
#include "signal/series_header.h"
#include "tests/support/series_factory.h"
#include "tests/support/test_scale.h"

namespace {

int64_t energy(const PulseHeader& p, int32_t first, int32_t last) {
  int64_t e = 0;
  for (int32_t i = first; i <= last; ++i) e += int64_t{p.lpData[i]} * p.lpData[i];
  return e;
}

struct Made {
  SeriesPtr series;
  std::vector<uint16_t> sequence;
};

// Makes a series with the default alphabet and fresh seeds unless given.
Made make(MessageRecorder& w, TestAlphabet& a, RandomSeeds& seeds, uint32_t n, uint16_t tmin, uint16_t tmax,
          uint16_t q, uint16_t level, std::vector<uint16_t> sequence = {}) {
  if (sequence.empty()) sequence.assign(std::max<size_t>(q, 1), 1);
  SeriesHeader* h = getCutOffSeries(w, a.count, a.pulses, a.length, tmin, tmax, n, q, sequence.data(),
                                    a.amplitude, level, nullptr, seeds);
  return Made{SeriesPtr(h), sequence};
}

}  // namespace

TEST(MakeExtSeries, RandomAdmissibleSeriesKeepEveryPlacementRule) {
  TestAlphabet a;
  MessageRecorder w;
  std::mt19937 rng(2024);
  const int rounds = scaledCount(3000);
  for (int round = 0; round < rounds; ++round) {
    RandomSeeds seeds = randomSeeds(rng);
    const RandomSeeds before = seeds;
    // Distances include etalons longer than Tmin (overlapping pulses) as long as L <= Tmax.
    const uint16_t l = a.length;
    const uint16_t tmin = static_cast<uint16_t>(std::uniform_int_distribution<int>(1, 120)(rng));
    const uint16_t tmax =
        static_cast<uint16_t>(std::max<int>(std::uniform_int_distribution<int>(tmin, tmin + 150)(rng), l));
    const uint32_t n = std::uniform_int_distribution<uint32_t>(l, 1500)(rng);
    const uint16_t wMin = seriesMinPulses(n, l, tmax);
    const uint16_t wMax = maxPulsesFor(n, l, tmin);
    if (wMax < wMin) continue;
    const uint16_t q = static_cast<uint16_t>(std::uniform_int_distribution<int>(wMin, wMax)(rng));
    const uint16_t level = round % 3 == 0
                               ? uint16_t{100}
                               : static_cast<uint16_t>(std::uniform_int_distribution<int>(0, 99)(rng));
    std::vector<uint16_t> sequence(q);
    for (uint16_t& e : sequence) e = static_cast<uint16_t>(std::uniform_int_distribution<int>(1, 20)(rng));
    Made m = make(w, a, seeds, n, tmin, tmax, q, level, sequence);
    ASSERT_TRUE(m.series);
    ASSERT_TRUE(w.messages().empty()) << w.messages()[0].text;
    const SeriesHeader& h = *m.series;
    ASSERT_EQ(h.wImpulseQuantity, q);
    ASSERT_EQ(h.dwSeriesSize, n);
    ASSERT_EQ(h.lpFirstPulse, &a.pulses[sequence[0] - 1]);

    // Replay of the placement order: the anchor is the first draw of the positions seed.
    uint16_t positions = before.seedPositions;
    const int32_t k0 = (uniformRandom(positions) >> 2) % q;
    std::vector<int32_t> order;
    for (int32_t k = k0; k < q; ++k) order.push_back(k);
    for (int32_t k = k0 - 1; k >= 0; --k) order.push_back(k);
    std::vector<int16_t> pure(n, 0);

    for (int32_t k : order) {
      const int32_t p = h.lpPositions[k];
      const int32_t lo = std::max<int32_t>(k * tmin, static_cast<int32_t>(n) - tmax * (q - k));
      const int32_t hi =
          std::min<int32_t>((k + 1) * tmax - l, static_cast<int32_t>(n) - l - tmin * (q - k - 1));
      ASSERT_EQ(h.lpLowBounds[k], lo);
      ASSERT_EQ(h.lpHighBounds[k], hi);
      ASSERT_GE(p, lo);
      ASSERT_LE(p, hi);
      ASSERT_GE(p, 0);
      ASSERT_LE(p + l, static_cast<int32_t>(n));
      ASSERT_EQ(h.lpEtalonNumbers[k], sequence[k]);
      ASSERT_EQ(h.lpRestoredPositions[k], -1);
      ASSERT_EQ(h.lpRestoredEtalons[k], 0);
      const PulseHeader& pulse = a.pulses[sequence[k] - 1];
      const int32_t first = h.lpCutBegin[k];
      const int32_t last = h.lpCutEnd[k];
      ASSERT_LE(0, first);
      ASSERT_LE(first, last);
      ASSERT_LT(last, l);
      const int64_t total = energy(pulse, 0, l - 1);
      if (level >= 100) {
        ASSERT_EQ(first, 0);
        ASSERT_EQ(last, l - 1);
      } else if (total > 0) {
        ASSERT_GT(energy(pulse, first, last), level * total / 100) << "pulse " << k << " level " << level;
      }
      for (int32_t i = first; i <= last; ++i) pure[p + i] = pulse.lpData[i];
    }
    for (int32_t k = 1; k < q; ++k) {
      ASSERT_GE(h.lpPositions[k] - h.lpPositions[k - 1], tmin);
      ASSERT_LE(h.lpPositions[k] - h.lpPositions[k - 1], tmax);
    }
    ASSERT_TRUE(std::equal(pure.begin(), pure.end(), h.lpPureData)) << "round " << round;

    // Three draws per pulse (origin, cut begin, cut end), the anchor draw besides.
    uint16_t cutBegin = before.seedCutBegin;
    uint16_t cutEnd = before.seedCutEnd;
    for (int32_t k = 0; k < q; ++k) {
      uniformRandom(positions);
      uniformRandom(cutBegin);
      uniformRandom(cutEnd);
    }
    ASSERT_EQ(seeds.seedPositions, positions);
    ASSERT_EQ(seeds.seedCutBegin, cutBegin);
    ASSERT_EQ(seeds.seedCutEnd, cutEnd);

    // The noisy series is the pure one plus the drawn noise.
    const int16_t sigma = static_cast<int16_t>(round % 70);
    addNoise(w, sigma, a.amplitude, m.series.get(), seeds.seedNoise);
    uint16_t noise = before.seedNoise;
    for (uint32_t i = 0; i < n; ++i)
      ASSERT_EQ(h.lpNoisyData[i], static_cast<int16_t>(pure[i] + gaussRandomStepwise(noise, 0, sigma)));
    ASSERT_EQ(seeds.seedNoise, noise);
    ASSERT_EQ(h.wNoiseLevel, sigma);
  }
}

TEST(MakeExtSeries, FreshSeedsReproduceTheWholeSeries) {
  TestAlphabet a;
  MessageRecorder w;
  std::vector<int16_t> first;
  for (int run = 0; run < 2; ++run) {
    RandomSeeds seeds;
    std::vector<uint16_t> seq(30);
    for (size_t i = 0; i < seq.size(); ++i) seq[i] = static_cast<uint16_t>(1 + i % 10);
    Made m = make(w, a, seeds, 1200, 40, 181, 18, 60, seq);
    addNoise(w, 20, 128, m.series.get(), seeds.seedNoise);
    std::vector<int16_t> all(m.series->lpNoisyData, m.series->lpNoisyData + 1200);
    all.insert(all.end(), m.series->lpCutBegin, m.series->lpCutBegin + 18);
    if (run == 0)
      first = all;
    else
      EXPECT_EQ(all, first);
  }
}

TEST(MakeExtSeries, WholePulsesAtFullLevelAndSeedsStillAdvance) {
  TestAlphabet a;
  MessageRecorder w;
  RandomSeeds seeds;
  Made m = make(w, a, seeds, 1200, 40, 181, 18, 100);
  for (int k = 0; k < 18; ++k) {
    EXPECT_EQ(m.series->lpCutBegin[k], 0);
    EXPECT_EQ(m.series->lpCutEnd[k], 19);
  }
  uint16_t begin = RandomSeeds{}.seedCutBegin;
  for (int k = 0; k < 18; ++k) uniformRandom(begin);
  EXPECT_EQ(seeds.seedCutBegin, begin);
  EXPECT_EQ(m.series->wFirstKeptDefault, 0);
  EXPECT_EQ(m.series->wLastKeptDefault, 19);
}

TEST(MakeExtSeries, SkippingTheDrawsLeavesTheSeedsOfAMadeSeries) {
  TestAlphabet a;
  MessageRecorder w;
  RandomSeeds made;
  for (uint16_t q : {uint16_t{6}, uint16_t{18}, uint16_t{26}}) {
    RandomSeeds skipped = made;
    make(w, a, made, 1200, 40, 181, q, 60);
    skipSeriesDraws(q, skipped);
    EXPECT_EQ(skipped.seedPositions, made.seedPositions);
    EXPECT_EQ(skipped.seedCutBegin, made.seedCutBegin);
    EXPECT_EQ(skipped.seedCutEnd, made.seedCutEnd);
  }
}

TEST(MakeExtSeries, PulseCountOutsideTheBoundsIsRefusedWithTheOldValuesShown) {
  TestAlphabet a;
  MessageRecorder w;
  RandomSeeds seeds;
  // Bounds 6 and 30 for the start settings; both ends are accepted.
  Made m = make(w, a, seeds, 1200, 40, 181, 6, 100);
  ASSERT_TRUE(w.messages().empty());
  std::vector<uint16_t> seq(31, 1);
  SeriesHeader* h = getCutOffSeries(w, 20, a.pulses, 20, 40, 181, 1200, 30, seq.data(), 128, 100,
                                    m.series.release(), seeds);
  m.series.reset(h);
  ASSERT_TRUE(w.messages().empty());
  EXPECT_EQ(h->wImpulseQuantity, 30);

  const RandomSeeds before = seeds;
  const std::vector<int16_t> pure(h->lpPureData, h->lpPureData + 1200);
  // Series of 600 samples: bounds 3 and 15, the header still holds the previous series.
  EXPECT_EQ(makeExtSeries(w, 20, a.pulses, 20, 40, 181, 600, 16, seq.data(), 128, 100, h, seeds), 0);
  ASSERT_EQ(w.messages().size(), 1u);
  EXPECT_EQ(w.messages()[0].text,
            "Несовместимые входные параметры!\n\ndwSeriesSize: 600 [1200]\nwImpulseSize: 20 [20]\n"
            "wMinPulses: 3 [6]\nwMaxPulses: 15 [30]\nwImpulseQuantity: 16\n\n");
  EXPECT_EQ(w.messages()[0].caption, " makeExtSeries ");
  EXPECT_EQ(w.messages()[0].style & kMbIconMask, kMbIconWarning);
  EXPECT_EQ(h->wImpulseQuantity, 30);
  EXPECT_TRUE(std::equal(pure.begin(), pure.end(), h->lpPureData));
  EXPECT_EQ(seeds.seedPositions, before.seedPositions);
}

TEST(MakeExtSeries, EmptyPlacementWindowsAreRefusedBeforeAnyDraw) {
  TestAlphabet a;
  struct Case {
    uint32_t n;
    uint16_t tmin, tmax, q;
    const char* what;
  };
  const Case cases[] = {
      {1200, 0, 181, 10, "Tmin 0"},
      {1200, 40, 0, 10, "Tmax 0"},
      {1200, 0, 0, 1, "both 0"},
      {1200, 51, 50, 24, "Tmin above Tmax"},
      {100, 10, 15, 7, "Tmax below the etalon length"},
      {10, 40, 181, 1, "etalon longer than the series"},
      {40000, 40, 181, 800, "origins beyond 16 bits"},
  };
  for (const Case& c : cases) {
    MessageRecorder w;
    RandomSeeds seeds;
    const RandomSeeds before = seeds;
    std::vector<uint16_t> seq(std::max<int>(c.q, 1), 1);
    SeriesHeader* h =
        getCutOffSeries(w, 20, a.pulses, 20, c.tmin, c.tmax, c.n, c.q, seq.data(), 128, 100, nullptr, seeds);
    SeriesPtr owned(h);
    ASSERT_TRUE(h != nullptr) << c.what;
    ASSERT_EQ(w.messages().size(), 1u) << c.what;
    EXPECT_EQ(w.messages()[0].caption, " makeExtSeries ") << c.what;
    EXPECT_EQ(w.messages()[0].text.rfind("Несовместимые входные параметры!\n\n", 0), 0u) << c.what;
    EXPECT_EQ(h->wImpulseQuantity, 0) << c.what;
    EXPECT_EQ(seeds.seedPositions, before.seedPositions) << c.what;
    EXPECT_EQ(seeds.seedCutBegin, before.seedCutBegin) << c.what;
  }
}

TEST(MakeExtSeries, BadEtalonNumbersBecomeOneInSequenceAndSeries) {
  TestAlphabet a;
  MessageRecorder w;
  RandomSeeds seeds;
  std::vector<uint16_t> seq = {0, 65535, 21, 20, 3, 0x8000};
  Made m = make(w, a, seeds, 300, 40, 60, 6, 100, seq);
  ASSERT_TRUE(w.messages().empty());
  EXPECT_EQ(m.sequence, (std::vector<uint16_t>{1, 1, 1, 20, 3, 1}));
  EXPECT_EQ(std::vector<int16_t>(m.series->lpEtalonNumbers, m.series->lpEtalonNumbers + 6),
            (std::vector<int16_t>{1, 1, 1, 20, 3, 1}));
}

TEST(MakeExtSeries, EtalonsWithoutSamplesPlaceZeros) {
  TestAlphabet a;
  MessageRecorder w;
  RandomSeeds seeds;
  PulseHeader empty[kAlphabetRecords];
  for (uint16_t i = 0; i < 20; ++i) empty[i].wNumber = static_cast<uint16_t>(i + 1);
  std::vector<uint16_t> seq(10, 4);
  SeriesPtr s(getCutOffSeries(w, 20, empty, 20, 40, 181, 1200, 10, seq.data(), 128, 50, nullptr, seeds));
  ASSERT_TRUE(w.messages().empty());
  EXPECT_TRUE(std::all_of(s->lpPureData, s->lpPureData + 1200, [](int16_t v) { return v == 0; }));
}

TEST(SeriesAllocation, UnallocatableLengthGivesTheMessagesAndNull) {
  TestAlphabet a;
  MessageRecorder w;
  RandomSeeds seeds;
  Made m = make(w, a, seeds, 1200, 40, 181, 18, 100);
  std::vector<uint16_t> seq(30, 1);
  // The header given in is released: nothing leaks.
  SeriesHeader* h = getCutOffSeries(w, 20, a.pulses, 20, 40, 181, 4000000000u, 18, seq.data(), 128, 100,
                                    m.series.release(), seeds);
  EXPECT_EQ(h, nullptr);
  ASSERT_EQ(w.messages().size(), 2u);
  EXPECT_EQ(w.messages()[0].text, "Нет памяти для newSeriesHeader->lpPureData!");
  EXPECT_EQ(w.messages()[0].caption, " getExtSeriesHeader ");
  EXPECT_EQ(w.messages()[1].text, "Не могу выделить память для lpSeriesHeader!");
  EXPECT_EQ(w.messages()[1].caption, " getCutOffSeries ");
  EXPECT_EQ(w.messages()[1].style & kMbIconMask, kMbIconWarning);
}

TEST(SeriesHeaderStorage, GrowsOnlyWhenNeededAndKeepsTheSubset) {
  MessageRecorder w;
  SeriesHeader* h = getCutOffSeriesHeader(w, 20, 20, 40, 181, 600, nullptr);
  ASSERT_NE(h, nullptr);
  SeriesPtr owned(h);
  EXPECT_EQ(h->dwReservedSize, 600u);
  EXPECT_EQ(h->wPulsesCapacity, 15);
  EXPECT_EQ(h->wMinPulses, 3);
  EXPECT_EQ(h->lpNoisyData, h->lpPureData + 600);
  EXPECT_EQ(h->lpEtalonNumbers, h->lpPureData + 1200);
  EXPECT_EQ(h->lpRestoredTupleLast, h->lpPureData + 1200 + 12 * 15);
  const int32_t subset[] = {3, 5, 7};
  setSubset(w, subset, 3, kSubsetComplete, 2, h);
  const int16_t* block = h->lpPureData;

  // Smaller needs reuse the block.
  ASSERT_EQ(getCutOffSeriesHeader(w, 20, 20, 40, 181, 200, h), h);
  EXPECT_EQ(h->lpPureData, block);
  EXPECT_EQ(h->dwSeriesSize, 200u);
  EXPECT_EQ(h->dwReservedSize, 600u);

  // A longer series reallocates; the subset moves along.
  ASSERT_EQ(getCutOffSeriesHeader(w, 20, 20, 40, 181, 1200, h), h);
  EXPECT_EQ(h->dwReservedSize, 1200u);
  EXPECT_EQ(h->wPulsesCapacity, 30);
  ASSERT_EQ(h->wSubsetSize, 3);
  EXPECT_EQ(std::vector<int16_t>(h->lpSubset, h->lpSubset + 3), (std::vector<int16_t>{3, 5, 7}));
  EXPECT_EQ(h->wSubsetMode, kSubsetComplete);
  EXPECT_EQ(h->wSubsetPosition, 2);

  // A subset that no longer fits the new tables is dropped rather than read past them.
  const std::vector<int32_t> many(30, 4);
  setSubset(w, many.data(), 30, kSubsetComplete, 1, h);
  ASSERT_EQ(h->wSubsetSize, 30);
  ASSERT_EQ(getCutOffSeriesHeader(w, 20, 20, 400, 1000, 4000, h), h);
  EXPECT_EQ(h->wPulsesCapacity, 10);
  EXPECT_EQ(h->wSubsetSize, 0);
  EXPECT_TRUE(w.messages().empty());
}

TEST(RandomCountSeries, DrawsTheCountWithinTheBounds) {
  TestAlphabet a;
  MessageRecorder w;
  RandomSeeds seeds;
  std::vector<uint16_t> seq(30, 2);
  SeriesHeader* h = nullptr;
  std::vector<int> seen(31, 0);
  for (int i = 0; i < 200; ++i) {
    uint16_t count = seeds.seedPulseCount;
    const uint16_t expected = static_cast<uint16_t>(6 + (uniformRandom(count) >> 2) % 25);
    h = getRandomCountSeries(w, 20, a.pulses, 20, 40, 181, 1200, seq.data(), 128, 100, h, seeds);
    ASSERT_NE(h, nullptr);
    ASSERT_EQ(h->wImpulseQuantity, expected);
    ASSERT_EQ(seeds.seedPulseCount, count);
    seen[expected]++;
  }
  EXPECT_GT(std::count_if(seen.begin(), seen.end(), [](int c) { return c > 0; }), 20);
  // No admissible count: a message, the header released, null.
  h = getRandomCountSeries(w, 20, a.pulses, 20, 100, 50, 1200, seq.data(), 128, 100, h, seeds);
  EXPECT_EQ(h, nullptr);
  ASSERT_EQ(w.messages().size(), 1u);
  EXPECT_EQ(w.messages()[0].caption, " getRandomCountSeries ");
}

TEST(AddNoise, LevelZeroCopiesAndSeriesMadeInTurnGetDifferentNoise) {
  TestAlphabet a;
  MessageRecorder w;
  RandomSeeds seeds;
  Made m = make(w, a, seeds, 600, 40, 181, 8, 100);
  SeriesHeader& h = *m.series;
  uint16_t stepped = seeds.seedNoise;
  for (int i = 0; i < 600 * 12; ++i) uniformRandom(stepped);
  addNoise(w, 0, 128, &h, seeds.seedNoise);
  EXPECT_TRUE(std::equal(h.lpPureData, h.lpPureData + 600, h.lpNoisyData));
  EXPECT_EQ(seeds.seedNoise, stepped);
  addNoise(w, 30, 128, &h, seeds.seedNoise);
  const std::vector<int16_t> firstNoise(h.lpNoisyData, h.lpNoisyData + 600);
  addNoise(w, 30, 128, &h, seeds.seedNoise);
  EXPECT_NE(std::vector<int16_t>(h.lpNoisyData, h.lpNoisyData + 600), firstNoise);
  // Large noise wraps in 16 bits rather than clipping.
  addNoise(w, 32767, 128, &h, seeds.seedNoise);
  EXPECT_TRUE(
      std::any_of(h.lpNoisyData, h.lpNoisyData + 600, [](int16_t v) { return v > 30000 || v < -30000; }));
  addNoise(w, 10, 128, nullptr, seeds.seedNoise);
}
