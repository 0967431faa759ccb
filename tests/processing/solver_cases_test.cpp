#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <random>
#include <vector>

#include "platform/message_recorder.h"
#include "processing/chains_header.h"
#include "processing/fixed_detection.h"
#include "processing/recognition.h"
#include "processing/unfixed_detection.h"
#include "signal/pulse_bounds.h"
#include "signal/series_header.h"
#include "tests/support/series_factory.h"
#include "tests/support/test_scale.h"

namespace {

// A series assembled by hand: samples, per-pulse bounds and restored tables owned here.
struct HandSeries {
  std::vector<int16_t> noisy;
  std::vector<int16_t> tables;
  SeriesHeader header;

  HandSeries(std::vector<int16_t> samples, uint16_t n, uint16_t q, uint16_t tmin, uint16_t tmax,
             uint16_t capacity = 0)
      : noisy(std::move(samples)) {
    const uint32_t size = static_cast<uint32_t>(noisy.size());
    if (capacity == 0) capacity = std::max<uint16_t>(q, maxPulsesFor(size, n, tmin));
    tables.assign(6u * capacity, 7);
    SeriesHeader& h = header;
    h.dwReservedSize = h.dwSeriesSize = size;
    h.lpNoisyData = h.lpPureData = noisy.data();
    h.wImpulseSize = n;
    h.wImpulseQuantity = q;
    h.wTmin = tmin;
    h.wTmax = tmax;
    h.wMinPulses = seriesMinPulses(size, n, tmax);
    h.wMaxPulses = maxPulsesFor(size, n, tmin);
    h.wPulsesCapacity = capacity;
    h.wEtalonsQuantity = kAlphabetRecords;
    int16_t* t = tables.data();
    for (int16_t** field : {&h.lpLowBounds, &h.lpHighBounds, &h.lpRestoredPositions, &h.lpRestoredEtalons,
                            &h.lpRestoredCutBegin, &h.lpRestoredCutEnd}) {
      *field = t;
      t += capacity;
    }
    for (int32_t k = 0; k < q; ++k) {
      const int32_t N = static_cast<int32_t>(size);
      h.lpLowBounds[k] = static_cast<int16_t>(std::max(k * tmin, N - tmax * (q - k)));
      h.lpHighBounds[k] = static_cast<int16_t>(std::min((k + 1) * tmax - n, N - n - tmin * (q - k - 1)));
    }
  }
};

struct HandAlphabet {
  std::vector<std::vector<int16_t>> samples;
  PulseHeader pulses[kAlphabetRecords];
  HandAlphabet() { samples.reserve(kAlphabetRecords); }
  void set(int number, std::vector<int16_t> s) {
    samples.push_back(std::move(s));
    pulses[number - 1].lpData = samples.back().data();
    pulses[number - 1].wSize = static_cast<uint16_t>(samples.back().size());
  }
};

struct ChainsOwner {
  MessageRecorder window;
  ChainsHeader* h;
  ChainsOwner(uint16_t slots, uint16_t pulses) : h(getChainsHeader(window, slots, pulses, nullptr)) {}
  ~ChainsOwner() { freeChainsHeader(window, h); }
};

// The smallest score of any etalon of the list and any admissible kept part at p.
int32_t exhaustiveBestScore(const PulseHeader* alphabet, const std::vector<uint16_t>& list, int32_t n,
                            uint16_t level, const int16_t* x, int32_t p) {
  int32_t best = 0;
  bool any = false;
  for (uint16_t number : list) {
    const int16_t* s = alphabet[number - 1].lpData;
    int64_t energy = 0;
    for (int32_t i = 0; i < n; ++i) energy += int64_t{s[i]} * s[i];
    const int64_t threshold = level * energy / 100;
    for (int32_t b = 0; b < n; ++b)
      for (int32_t e = b; e < n; ++e) {
        int64_t part = 0;
        int64_t score = 0;
        for (int32_t i = b; i <= e; ++i) {
          part += int64_t{s[i]} * s[i];
          score += int64_t{s[i]} * (s[i] - 2 * x[p + i]);
        }
        if (!(b == 0 && e == n - 1) && part <= threshold) continue;
        if (!any || score < best) best = static_cast<int32_t>(score);
        any = true;
      }
  }
  return best;
}

// On small series the criterion found is the minimum over every admissible placement of
// the pulses with the best fragment at each, and the chain reported attains it.
TEST(SolverCasesTest, DetectFixedPulsesFindsTheExhaustiveMinimum) {
  std::mt19937 rng(5);
  TestAlphabet alphabet(20, 12, 128);
  RandomSeeds seeds = randomSeeds(rng);
  const uint16_t levels[] = {100, 75, 50, 0};
  int checked = 0;
  for (int c = 0; checked < scaledCount(150); ++c) {
    ASSERT_LT(c, 10000);
    std::vector<uint16_t> list;
    const int listSize = 1 + c % 3;
    for (int i = 0; i < listSize; ++i)
      list.push_back(static_cast<uint16_t>(std::uniform_int_distribution<int>(1, 20)(rng)));
    RandomSeriesOptions options;
    options.seriesType = c % 2 == 0 ? 1 : 2;
    options.required = list;
    options.maxSeriesSize = 100;
    RandomSeriesParams params;
    SeriesPtr series = makeRandomSeries(rng, alphabet, seeds, options, &params);
    const int32_t q = series->wImpulseQuantity;
    if (q > 3) continue;  // drawn again: the oracle enumerates up to three pulses
    ++checked;
    const uint16_t level = levels[c % 4];
    const int32_t n = series->wImpulseSize;
    ChainsOwner chains(1, series->wMaxPulses);
    ASSERT_EQ(detectFixedPulses(chains.window, alphabet.pulses, static_cast<uint16_t>(list.size()),
                                list.data(), params.tmin, params.tmax, level, chains.h, series.get()),
              1);
    std::vector<int32_t> score(series->dwSeriesSize, 0);
    for (int32_t p = 0; p + n <= static_cast<int32_t>(series->dwSeriesSize); ++p)
      score[p] = exhaustiveBestScore(alphabet.pulses, list, n, level, series->lpNoisyData, p);
    int64_t best = INT64_MAX;
    std::function<void(int32_t, int32_t, int64_t)> place = [&](int32_t k, int32_t previous, int64_t sum) {
      if (k == q) {
        best = std::min(best, sum);
        return;
      }
      for (int32_t p = series->lpLowBounds[k]; p <= series->lpHighBounds[k]; ++p) {
        if (k > 0 && (p - previous < params.tmin || p - previous > params.tmax)) continue;
        place(k + 1, p, sum + score[p]);
      }
    };
    place(0, 0, 0);
    ASSERT_NE(best, INT64_MAX);
    ASSERT_EQ(chains.h->wPretenders, 1);
    EXPECT_EQ(chains.h->distance[0], best) << "case " << c;
    ASSERT_EQ(series->wRestoredQuantity, q);
    int64_t sum = 0;
    for (int32_t k = 0; k < q; ++k) {
      const int32_t p = series->lpRestoredPositions[k];
      EXPECT_GE(p, series->lpLowBounds[k]);
      EXPECT_LE(p, series->lpHighBounds[k]);
      if (k > 0) {
        EXPECT_GE(p - series->lpRestoredPositions[k - 1], params.tmin);
        EXPECT_LE(p - series->lpRestoredPositions[k - 1], params.tmax);
      }
      sum += score[p];
    }
    EXPECT_EQ(sum, best);
  }
}

// Without noise, at level 100 and with one etalon, the pulses are found exactly.
TEST(SolverCasesTest, NoiselessWholePulsesAreRecoveredExactly) {
  std::mt19937 rng(8);
  TestAlphabet alphabet(20, 20, 128);
  RandomSeeds seeds = randomSeeds(rng);
  for (int c = 0; c < 40; ++c) {
    const bool unknown = c % 2 == 1;
    RandomSeriesOptions options;
    options.seriesType = unknown ? 4 : 1;
    options.required = {3};
    options.noiseLevel = 0;
    RandomSeriesParams params;
    SeriesPtr series = makeRandomSeries(rng, alphabet, seeds, options, &params);
    ChainsOwner chains(2, series->wMaxPulses);
    const uint16_t list[] = {3};
    const auto solver = unknown ? detectUnfixedPulses : detectFixedPulses;
    ASSERT_EQ(solver(chains.window, alphabet.pulses, 1, list, params.tmin, params.tmax, 100, chains.h,
                     series.get()),
              1);
    ASSERT_EQ(series->wRestoredQuantity, series->wImpulseQuantity) << "case " << c;
    for (int k = 0; k < series->wImpulseQuantity; ++k) {
      EXPECT_EQ(series->lpRestoredPositions[k], series->lpPositions[k]);
      EXPECT_EQ(series->lpRestoredEtalons[k], 3);
      EXPECT_EQ(series->lpRestoredCutBegin[k], 0);
      EXPECT_EQ(series->lpRestoredCutEnd[k], 19);
    }
    EXPECT_EQ(chains.h->wPretenders, 1);
    EXPECT_EQ(chains.h->chainLength[0], series->wImpulseQuantity);
    EXPECT_EQ(chains.h->wSeekingPulsesQuantity, series->wImpulseQuantity);
  }
}

TEST(SolverCasesTest, EqualValuesChooseTheLowestPositionAndTheEarlierEtalon) {
  HandAlphabet a;
  a.set(1, {4, 4, 4});
  a.set(2, {4, 4, 4});
  // A flat series: every position scores the same, so the lowest admissible ones win.
  HandSeries s(std::vector<int16_t>(40, 1), 3, 1, 5, 40);
  ChainsOwner chains(3, 4);
  const uint16_t both[] = {2, 1};
  ASSERT_EQ(detectFixedPulses(chains.window, a.pulses, 2, both, 5, 40, 100, chains.h, &s.header), 1);
  EXPECT_EQ(s.header.wRestoredQuantity, 1);
  EXPECT_EQ(s.header.lpRestoredPositions[0], s.header.lpLowBounds[0]);
  EXPECT_EQ(s.header.lpRestoredEtalons[0], 2);
  EXPECT_EQ(chains.h->distance[0], 48 - 24);

  EXPECT_EQ(recognizeFixedPulses(chains.window, a.pulses, 2, both, 5, 40, 100, chains.h, &s.header), 2);
  EXPECT_EQ(chains.h->wPretenders, 2);
  EXPECT_EQ(chains.h->pulsesList[0][0], 2);
  EXPECT_EQ(chains.h->pulsesList[1][0], 1);
  EXPECT_EQ(s.header.lpRestoredEtalons[0], 2);
}

// Recognition keeps one chain per etalon, ranked, each with one etalon number throughout;
// the unknown-number recogniser reports the chain ranked first.
TEST(SolverCasesTest, RecognitionRanksOneChainPerEtalon) {
  std::mt19937 rng(21);
  TestAlphabet alphabet(20, 20, 128);
  RandomSeeds seeds = randomSeeds(rng);
  const std::vector<uint16_t> list = {5, 3, 7, 9};
  for (int c = 0; c < 12; ++c) {
    const bool unknown = c % 2 == 1;
    RandomSeriesOptions options;
    options.seriesType = unknown ? 4 : 1;
    options.required = {list[static_cast<size_t>(c) % list.size()]};
    options.noiseLevel = 10;
    RandomSeriesParams params;
    SeriesPtr series = makeRandomSeries(rng, alphabet, seeds, options, &params);
    const uint16_t slots = static_cast<uint16_t>(2 + c % 4);
    ChainsOwner chains(slots, series->wMaxPulses);
    const int64_t r =
        unknown ? int64_t{recognizeUnfixedPulses(chains.window, alphabet.pulses, 4, list.data(), params.tmin,
                                                 params.tmax, 100, chains.h, series.get())}
                : int64_t{recognizeFixedPulses(chains.window, alphabet.pulses, 4, list.data(), params.tmin,
                                               params.tmax, 100, chains.h, series.get())};
    EXPECT_EQ(r, options.required[0]) << "case " << c;
    ASSERT_EQ(chains.h->wPretenders, std::min<int>(4, slots));
    for (int i = 0; i < chains.h->wPretenders; ++i) {
      if (i > 0) {
        EXPECT_LE(chains.h->distance[i - 1], chains.h->distance[i]);
      }
      for (int j = 1; j < chains.h->chainLength[i]; ++j)
        EXPECT_EQ(chains.h->pulsesList[i][j], chains.h->pulsesList[i][0]);
    }
    EXPECT_EQ(chains.h->pulsesList[0][0], r);
    ASSERT_EQ(series->wRestoredQuantity, chains.h->chainLength[0]);
    for (int j = 0; j < series->wRestoredQuantity; ++j) {
      EXPECT_EQ(series->lpRestoredPositions[j], chains.h->positionsList[0][j]);
      EXPECT_EQ(series->lpRestoredEtalons[j], r);
    }
  }
}

TEST(SolverCasesTest, RunsWithoutAChainReportNoPulses) {
  HandAlphabet a;
  a.set(1, {4, 4, 4});
  const uint16_t list[] = {1};
  // Distances no gap can satisfy: every backward window is empty.
  HandSeries s(std::vector<int16_t>(60, 1), 3, 3, 10, 25);
  ChainsOwner chains(2, 8);
  ASSERT_EQ(detectFixedPulses(chains.window, a.pulses, 1, list, 30, 20, 100, chains.h, &s.header), 1);
  EXPECT_EQ(s.header.wRestoredQuantity, 0);
  EXPECT_EQ(chains.h->wPretenders, 0);
  EXPECT_EQ(chains.h->wQuanPulses, 3);
  EXPECT_EQ(recognizeFixedPulses(chains.window, a.pulses, 1, list, 30, 20, 100, chains.h, &s.header), -1);
  EXPECT_EQ(s.header.wRestoredQuantity, 0);

  // No pulse count is admissible (fewest above most): all three position sets are empty.
  HandSeries u(std::vector<int16_t>(60, 1), 3, 3, 10, 25);
  u.header.wMinPulses = 9;
  chains.h->chainLength[0] = 3;  // stale
  ASSERT_EQ(detectUnfixedPulses(chains.window, a.pulses, 1, list, 10, 25, 100, chains.h, &u.header), 1);
  EXPECT_EQ(u.header.wRestoredQuantity, 0);
  EXPECT_EQ(chains.h->wSeekingPulsesQuantity, 0);
  EXPECT_EQ(recognizeUnfixedPulses(chains.window, a.pulses, 1, list, 10, 25, 100, chains.h, &u.header),
            65535);
  EXPECT_EQ(u.header.wRestoredQuantity, 0);
  EXPECT_EQ(chains.h->wPretenders, 0);
  EXPECT_TRUE(chains.window.messages().empty());
}

TEST(SolverCasesTest, UnusableInputIsRefusedWithoutWriting) {
  HandAlphabet a;
  a.set(1, {4, 4, 4});
  HandSeries s(std::vector<int16_t>(60, 1), 3, 3, 10, 25);
  const uint16_t good[] = {1};
  const uint16_t unknownEtalon[] = {2};
  const uint16_t zero[] = {0};
  MessageRecorder w;
  ChainsOwner small(2, 2);  // rows shorter than the three pulses
  ChainsOwner fine(2, 8);
  fine.h->wPretenders = 2;

  EXPECT_EQ(detectFixedPulses(w, a.pulses, 1, good, 10, 25, 100, small.h, &s.header), 0);
  EXPECT_EQ(recognizeFixedPulses(w, a.pulses, 1, good, 10, 25, 100, small.h, &s.header), -1);
  EXPECT_EQ(detectUnfixedPulses(w, a.pulses, 1, good, 10, 25, 100, small.h, &s.header), 0);
  EXPECT_EQ(recognizeUnfixedPulses(w, a.pulses, 1, good, 10, 25, 100, small.h, &s.header), 0);
  EXPECT_EQ(recognizeUnfixedPulses(w, a.pulses, 1, good, 10, 25, 100, nullptr, &s.header), 0);
  EXPECT_EQ(detectFixedPulses(w, a.pulses, 1, good, 10, 25, 100, fine.h, nullptr), 0);
  EXPECT_EQ(detectUnfixedPulses(w, a.pulses, 1, good, 10, 25, 100, fine.h, nullptr), 0);
  EXPECT_EQ(detectFixedPulses(w, a.pulses, 1, unknownEtalon, 10, 25, 100, fine.h, &s.header), 0);
  EXPECT_EQ(detectUnfixedPulses(w, a.pulses, 1, zero, 10, 25, 100, fine.h, &s.header), 0);
  EXPECT_EQ(recognizeFixedPulses(w, a.pulses, 0, good, 10, 25, 100, fine.h, &s.header), -1);
  EXPECT_EQ(recognizeUnfixedPulses(w, a.pulses, 1, zero, 10, 25, 100, fine.h, &s.header), 0);
  // A zero distance would let a chain revisit its own position.
  EXPECT_EQ(detectUnfixedPulses(w, a.pulses, 1, good, 0, 25, 100, fine.h, &s.header), 0);
  EXPECT_EQ(s.header.lpRestoredPositions[0], 7);
  EXPECT_EQ(s.header.wRestoredQuantity, 0);
  EXPECT_EQ(fine.h->wPretenders, 2);
  EXPECT_TRUE(w.messages().empty());
}

// A header without chain slots takes no chain; the series still gets the answer.
TEST(SolverCasesTest, HeaderWithoutSlotsTakesNoChain) {
  std::mt19937 rng(3);
  TestAlphabet alphabet(20, 20, 128);
  RandomSeeds seeds = randomSeeds(rng);
  const uint16_t list[] = {4, 6};
  for (int c = 0; c < 4; ++c) {
    RandomSeriesOptions options;
    options.seriesType = c < 2 ? 1 : 4;
    options.required = {4};
    options.noiseLevel = 5;
    RandomSeriesParams params;
    SeriesPtr series = makeRandomSeries(rng, alphabet, seeds, options, &params);
    ChainsOwner chains(0, series->wMaxPulses);
    int64_t r = 0;
    switch (c) {
      case 0:
        r = detectFixedPulses(chains.window, alphabet.pulses, 2, list, params.tmin, params.tmax, 100,
                              chains.h, series.get());
        break;
      case 1:
        r = recognizeFixedPulses(chains.window, alphabet.pulses, 2, list, params.tmin, params.tmax, 100,
                                 chains.h, series.get());
        break;
      case 2:
        r = detectUnfixedPulses(chains.window, alphabet.pulses, 2, list, params.tmin, params.tmax, 100,
                                chains.h, series.get());
        break;
      default:
        r = recognizeUnfixedPulses(chains.window, alphabet.pulses, 2, list, params.tmin, params.tmax, 100,
                                   chains.h, series.get());
        break;
    }
    EXPECT_EQ(r, c == 1 || c == 3 ? 4 : 1) << "solver " << c;
    EXPECT_EQ(chains.h->wPretenders, 0);
    // Only the unknown-number recogniser reads its answer back from the header.
    EXPECT_EQ(series->wRestoredQuantity, c == 3 ? 0 : series->wImpulseQuantity);
  }
}

TEST(SolverCasesTest, WorkingTablesBeyondMemoryShowTheMessage) {
  HandAlphabet a;
  a.set(1, {4, 4});
  // 1,500 pulses over 32,000 samples need far more than a sane working block.
  HandSeries s(std::vector<int16_t>(32000, 1), 2, 1500, 20, 40);
  const uint16_t list[] = {1};
  MessageRecorder w;
  EXPECT_EQ(detectFixedPulses(w, a.pulses, 1, list, 20, 40, 100, nullptr, &s.header), 0);
  EXPECT_EQ(recognizeFixedPulses(w, a.pulses, 1, list, 20, 40, 100, nullptr, &s.header), -1);
  ASSERT_EQ(w.messages().size(), 2u);
  EXPECT_EQ(w.messages()[0].text, "Нет памяти для ppDw[m]!");
  EXPECT_EQ(w.messages()[0].caption, "");
  EXPECT_EQ(w.messages()[1].text, "Нет памяти для indexes!");
  EXPECT_EQ(s.header.lpRestoredPositions[0], 7);
}

}  // namespace
