#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "platform/message_recorder.h"
#include "processing/chains_header.h"
#include "processing/fixed_detection.h"
#include "processing/fixed_tuples.h"
#include "processing/tuple_dump.h"
#include "processing/tuple_segmentation.h"
#include "processing/unfixed_detection.h"
#include "processing/unfixed_tuples.h"
#include "signal/pulse_bounds.h"
#include "signal/series_header.h"
#include "signal/series_maker.h"
#include "tests/support/series_factory.h"

namespace {

// A series header over test-owned storage, with the per-pulse bounds of q pulses.
struct HandSeries {
  std::vector<int16_t> x;
  std::vector<std::vector<int16_t>> tables;
  SeriesHeader h;

  HandSeries(std::vector<int16_t> samples, uint16_t n, uint16_t q, uint16_t tmin, uint16_t tmax,
             uint16_t capacity = 0)
      : x(std::move(samples)), tables(9) {
    const uint32_t N = static_cast<uint32_t>(x.size());
    h.dwReservedSize = h.dwSeriesSize = N;
    h.lpNoisyData = h.lpPureData = x.data();
    h.wImpulseSize = n;
    h.wImpulseQuantity = q;
    h.wEtalonsQuantity = kAlphabetRecords;
    h.wTmin = tmin;
    h.wTmax = tmax;
    h.wMinPulses = seriesMinPulses(N, n, tmax);
    h.wMaxPulses = maxPulsesFor(N, n, tmin);
    uint16_t cap = capacity;
    if (cap < q) cap = q;
    if (cap < h.wMaxPulses) cap = h.wMaxPulses;
    h.wPulsesCapacity = cap;
    for (auto& t : tables) t.assign(cap, 0);
    h.lpLowBounds = tables[0].data();
    h.lpHighBounds = tables[1].data();
    h.lpRestoredPositions = tables[2].data();
    h.lpRestoredEtalons = tables[3].data();
    h.lpRestoredCutBegin = tables[4].data();
    h.lpRestoredCutEnd = tables[5].data();
    h.lpRestoredTupleFirst = tables[6].data();
    h.lpRestoredTupleLast = tables[7].data();
    h.lpPositions = tables[8].data();
    for (int32_t k = 0; k < q; ++k) {
      const int32_t lo = std::max<int32_t>(static_cast<int32_t>(N) - tmax * (q - k), tmin * k);
      const int32_t hi =
          std::min<int32_t>(tmax * (k + 1) - n, static_cast<int32_t>(N) - n - tmin * (q - k - 1));
      tables[0][k] = static_cast<int16_t>(lo);
      tables[1][k] = static_cast<int16_t>(hi);
    }
  }
  HandSeries(const HandSeries&) = delete;
  HandSeries& operator=(const HandSeries&) = delete;

  std::vector<int16_t> positions() const {
    return {h.lpRestoredPositions, h.lpRestoredPositions + h.wRestoredQuantity};
  }
  std::vector<int16_t> etalons() const {
    return {h.lpRestoredEtalons, h.lpRestoredEtalons + h.wRestoredQuantity};
  }
  std::vector<std::pair<int16_t, int16_t>> tuples() const {
    std::vector<std::pair<int16_t, int16_t>> t;
    for (int i = 0; i < h.wRestoredTuples; ++i)
      t.emplace_back(h.lpRestoredTupleFirst[i], h.lpRestoredTupleLast[i]);
    return t;
  }
};

// An alphabet whose first records hold the given etalons (the others stay empty).
struct HandAlphabet {
  std::vector<std::vector<int16_t>> data;
  PulseHeader pulses[kAlphabetRecords];
  explicit HandAlphabet(std::vector<std::vector<int16_t>> etalons) : data(std::move(etalons)) {
    for (size_t i = 0; i < data.size(); ++i) {
      pulses[i].lpData = data[i].data();
      pulses[i].wSize = pulses[i].wReservedSize = static_cast<uint16_t>(data[i].size());
      pulses[i].wNumber = static_cast<uint16_t>(i + 1);
    }
  }
};

struct Chains {
  MessageRecorder w;
  ChainsHeader* h;
  Chains(uint16_t size, uint16_t pulses) : h(getChainsHeader(w, size, pulses, nullptr)) {}
  ~Chains() { freeChainsHeader(w, h); }
};

using Tuples = std::vector<std::pair<int16_t, int16_t>>;

// A noiseless series made by the series maker from an etalon sequence, with Tmin at least
// twice the etalon length: then no window of the series matches any etalon better than the
// pulse under it, and the true placement is the unique optimum of every tuple solver.
struct TruthSeries {
  TestAlphabet alphabet{20, 20, 128};
  RandomSeeds seeds;
  SeriesPtr series;
  TruthSeries(const std::vector<int32_t>& tuple, int32_t phase, uint16_t q, uint32_t size = 1200) {
    MessageRecorder w;
    std::vector<uint16_t> seq(q);
    for (int32_t k = 0; k < q; ++k) seq[k] = static_cast<uint16_t>(tuple[(phase + k) % tuple.size()]);
    series.reset(
        getCutOffSeries(w, 20, alphabet.pulses, 20, 40, 181, size, q, seq.data(), 128, 100, nullptr, seeds));
    if (!series || !w.messages().empty()) throw std::runtime_error("series refused");
  }
  int32_t trueValue() const {
    int32_t v = 0;
    for (int k = 0; k < series->wImpulseQuantity; ++k) {
      const PulseHeader& p = alphabet.pulses[series->lpEtalonNumbers[k] - 1];
      for (int i = 0; i < p.wSize; ++i) v -= int32_t{p.lpData[i]} * p.lpData[i];
    }
    return v;
  }
  void expectRecovered() const {
    ASSERT_EQ(series->wRestoredQuantity, series->wImpulseQuantity);
    for (int k = 0; k < series->wImpulseQuantity; ++k) {
      EXPECT_EQ(series->lpRestoredPositions[k], series->lpPositions[k]) << k;
      EXPECT_EQ(series->lpRestoredEtalons[k], series->lpEtalonNumbers[k]) << k;
      EXPECT_EQ(series->lpRestoredCutBegin[k], 0);
      EXPECT_EQ(series->lpRestoredCutEnd[k], 19);
    }
  }
};

Tuples restoredTuples(const SeriesHeader& s) {
  Tuples t;
  for (int i = 0; i < s.wRestoredTuples; ++i)
    t.emplace_back(s.lpRestoredTupleFirst[i], s.lpRestoredTupleLast[i]);
  return t;
}

}  // namespace

TEST(TupleSegmentation, FirstTupleIsShortenedByThePhase) {
  int16_t f[16], l[16];
  ASSERT_EQ(segmentTuples(7, 3, 1, f, l), 3);
  EXPECT_EQ((Tuples{{f[0], l[0]}, {f[1], l[1]}, {f[2], l[2]}}), (Tuples{{1, 2}, {3, 5}, {6, 7}}));
  ASSERT_EQ(segmentTuples(6, 3, 0, f, l), 2);
  EXPECT_EQ((Tuples{{f[0], l[0]}, {f[1], l[1]}}), (Tuples{{1, 3}, {4, 6}}));
  // A phase longer than the chain: one tuple of the whole chain.
  ASSERT_EQ(segmentTuples(1, 4, 1, f, l), 1);
  EXPECT_EQ((Tuples{{f[0], l[0]}}), (Tuples{{1, 1}}));
  ASSERT_EQ(segmentTuples(2, 5, 0, f, l), 1);
  EXPECT_EQ((Tuples{{f[0], l[0]}}), (Tuples{{1, 2}}));
  // Size 1: one tuple per pulse.
  ASSERT_EQ(segmentTuples(4, 1, 0, f, l), 4);
  EXPECT_EQ(f[3], 4);
  EXPECT_EQ(l[3], 4);
  EXPECT_EQ(segmentTuples(0, 3, 0, f, l), 0);
  EXPECT_EQ(segmentTuples(5, 0, 0, f, l), 0);
}

TEST(FixedTuples, NoiselessSeriesIsRecoveredWithItsPhase) {
  const std::vector<int32_t> tuple{3, 7, 12};
  TruthSeries t(tuple, 1, 18);
  Chains c(10, t.series->wMaxPulses);
  MessageRecorder w;
  ASSERT_EQ(detectFixedTuples(w, t.alphabet.pulses, 3, tuple.data(), 2, 40, 181, 100, c.h, t.series.get()),
            1);
  t.expectRecovered();
  EXPECT_EQ(restoredTuples(*t.series),
            (Tuples{{1, 2}, {3, 5}, {6, 8}, {9, 11}, {12, 14}, {15, 17}, {18, 18}}));
  // One chain per phase, the true one first with the value of the exact match.
  EXPECT_EQ(c.h->wPretenders, 3);
  EXPECT_EQ(c.h->distance[0], t.trueValue());
  EXPECT_LE(c.h->distance[0], c.h->distance[1]);
  EXPECT_LE(c.h->distance[1], c.h->distance[2]);
  EXPECT_EQ(c.h->wQuanPulses, 18);
  EXPECT_EQ(c.h->wSeekingPulsesQuantity, 18);
  EXPECT_EQ(c.h->chainLength[0], 18);
  EXPECT_EQ(c.h->pulsesList[0][0], 7);
  EXPECT_EQ(c.h->pulsesList[0][2], 3);
  EXPECT_TRUE(w.messages().empty());
  t.series->wRestoredQuantity = 0;
  ASSERT_EQ(
      detectFixedTuples(w, t.alphabet.pulses, 3, tuple.data(), 2, 40, 181, 100, nullptr, t.series.get()), 1);
  t.expectRecovered();

  // "Complete" tries phase 0 only: one chain, and it cannot be the truth.
  ASSERT_EQ(detectFixedTuples(w, t.alphabet.pulses, 3, tuple.data(), 1, 40, 181, 100, c.h, t.series.get()),
            1);
  EXPECT_EQ(c.h->wPretenders, 1);
  EXPECT_GT(c.h->distance[0], t.trueValue());
  EXPECT_EQ(t.series->lpRestoredEtalons[0], 3);
  EXPECT_EQ(restoredTuples(*t.series).front(), (std::pair<int16_t, int16_t>{1, 3}));

  // A header holding fewer chains than phases keeps the best ones.
  Chains two(2, t.series->wMaxPulses);
  ASSERT_EQ(detectFixedTuples(w, t.alphabet.pulses, 3, tuple.data(), 2, 40, 181, 100, two.h, t.series.get()),
            1);
  EXPECT_EQ(two.h->wPretenders, 2);
  EXPECT_EQ(two.h->distance[0], t.trueValue());
}

TEST(FixedTuples, RecognitionFindsTheSubsetThatMadeTheSeries) {
  const std::vector<int32_t> a{5, 9}, b{3, 7, 12}, c3{3, 12, 7};
  TruthSeries t(b, 2, 15);
  const int32_t sizes[] = {2, 3, 3};
  const int32_t* rows[] = {a.data(), b.data(), c3.data()};
  Chains c(10, t.series->wMaxPulses);
  MessageRecorder w;
  ASSERT_EQ(recognizeFixedTuples(w, t.alphabet.pulses, sizes, rows, 3, 2, 40, 181, 100, c.h, t.series.get()),
            2);
  t.expectRecovered();
  EXPECT_EQ(t.series->wRecognizedSubset, 2);
  EXPECT_EQ(restoredTuples(*t.series).front(), (std::pair<int16_t, int16_t>{1, 1}));
  EXPECT_EQ(c.h->wPretenders, 8);  // 2 + 3 + 3 phases
  EXPECT_EQ(c.h->distance[0], t.trueValue());
  for (int i = 1; i < 8; ++i) EXPECT_LE(c.h->distance[i - 1], c.h->distance[i]);
  EXPECT_EQ(c.h->wSeekingPulsesQuantity, 15);
  // "Complete": one chain per subset, and phase 0 of subset 2 is not the truth.
  ASSERT_GT(recognizeFixedTuples(w, t.alphabet.pulses, sizes, rows, 3, 1, 40, 181, 100, c.h, t.series.get()),
            0);
  EXPECT_EQ(c.h->wPretenders, 3);
  EXPECT_GT(c.h->distance[0], t.trueValue());
}

TEST(FixedTuples, EqualPhasesReportTheLowerOne) {
  // The tuple (e, e) gives the same chain in both phases; phase 0 cuts it into pairs.
  const std::vector<int32_t> tuple{4, 4};
  TruthSeries t(tuple, 0, 9);
  Chains c(10, t.series->wMaxPulses);
  MessageRecorder w;
  ASSERT_EQ(detectFixedTuples(w, t.alphabet.pulses, 2, tuple.data(), 2, 40, 181, 100, c.h, t.series.get()),
            1);
  EXPECT_EQ(restoredTuples(*t.series), (Tuples{{1, 2}, {3, 4}, {5, 6}, {7, 8}, {9, 9}}));
  ASSERT_EQ(c.h->wPretenders, 2);
  EXPECT_EQ(c.h->distance[0], c.h->distance[1]);
}

TEST(FixedTuples, SizeOneMatchesTheKnownNumberDetector) {
  std::mt19937 rng(77);
  TestAlphabet alphabet;
  for (int trial = 0; trial < 12; ++trial) {
    RandomSeeds seeds = randomSeeds(rng);
    RandomSeriesOptions o;
    o.seriesType = trial % 2 ? 2 : 1;
    o.maxSeriesSize = 600;
    RandomSeriesParams p;
    SeriesPtr s = makeRandomSeries(rng, alphabet, seeds, o, &p);
    const int32_t etalon = 1 + trial % 20;
    const uint16_t level = trial % 3 == 0 ? 100 : 60;
    MessageRecorder w;
    Chains a(4, s->wMaxPulses), b(4, s->wMaxPulses);
    const uint16_t list[] = {static_cast<uint16_t>(etalon)};
    ASSERT_EQ(detectFixedPulses(w, alphabet.pulses, 1, list, p.tmin, p.tmax, level, a.h, s.get()), 1);
    const std::vector<int16_t> pos(s->lpRestoredPositions, s->lpRestoredPositions + s->wRestoredQuantity);
    const std::vector<int16_t> beg(s->lpRestoredCutBegin, s->lpRestoredCutBegin + s->wRestoredQuantity);
    ASSERT_EQ(detectFixedTuples(w, alphabet.pulses, 1, &etalon, 2, p.tmin, p.tmax, level, b.h, s.get()), 1);
    EXPECT_EQ(std::vector<int16_t>(s->lpRestoredPositions, s->lpRestoredPositions + s->wRestoredQuantity),
              pos);
    EXPECT_EQ(std::vector<int16_t>(s->lpRestoredCutBegin, s->lpRestoredCutBegin + s->wRestoredQuantity), beg);
    EXPECT_EQ(a.h->distance[0], b.h->distance[0]);
    EXPECT_EQ(s->wRestoredTuples, s->wRestoredQuantity);
  }
}

TEST(UnfixedTuples, NoiselessSeriesIsRecoveredFromTheFirstMember) {
  const std::vector<int32_t> tuple{3, 7, 12};
  TruthSeries t(tuple, 0, 20);
  Chains c(10, t.series->wMaxPulses);
  MessageRecorder w;
  int32_t verbose = 0;
  ASSERT_EQ(detectUnfixedTuples(w, t.alphabet.pulses, 3, tuple.data(), 2, 40, 181, 100, c.h, t.series.get(),
                                verbose),
            1);
  t.expectRecovered();
  EXPECT_EQ(t.series->wRestoredTuples, 7);
  EXPECT_EQ(restoredTuples(*t.series).back(), (std::pair<int16_t, int16_t>{19, 20}));
  EXPECT_EQ(c.h->wPretenders, 1);
  EXPECT_EQ(c.h->distance[0], t.trueValue());
  EXPECT_EQ(c.h->wSeekingPulsesQuantity, 20);
  EXPECT_EQ(c.h->wQuanPulses, 0);
  EXPECT_TRUE(w.messages().empty());

  // Without a chains header the series still receives the chain.
  t.series->wRestoredQuantity = 0;
  ASSERT_EQ(detectUnfixedTuples(w, t.alphabet.pulses, 3, tuple.data(), 2, 40, 181, 100, nullptr,
                                t.series.get(), verbose),
            1);
  t.expectRecovered();
}

TEST(UnfixedTuples, RecognitionRanksOneChainPerSubset) {
  const std::vector<int32_t> a{7, 3, 12}, b{3, 7, 12}, d{9};
  TruthSeries t(b, 0, 16);
  const int32_t sizes[] = {3, 3, 1};
  const int32_t* rows[] = {a.data(), b.data(), d.data()};
  Chains c(10, t.series->wMaxPulses);
  MessageRecorder w;
  int32_t verbose = 0;
  ASSERT_EQ(recognizeUnfixedTuples(w, t.alphabet.pulses, sizes, rows, 3, 1, 40, 181, 100, c.h, t.series.get(),
                                   verbose),
            2);
  t.expectRecovered();
  EXPECT_EQ(t.series->wRecognizedSubset, 2);
  EXPECT_EQ(c.h->wPretenders, 3);
  EXPECT_EQ(c.h->distance[0], t.trueValue());
  EXPECT_EQ(c.h->wSeekingPulsesQuantity, 16);
  EXPECT_EQ(c.h->pulsesList[0][1], 7);
  // Every chain begins with its subset's first member.
  for (int i = 0; i < 3; ++i) {
    const int16_t first = c.h->pulsesList[i][0];
    EXPECT_TRUE(first == 7 || first == 3 || first == 9);
  }
}

TEST(UnfixedTuples, SizeOneMatchesTheUnknownNumberDetector) {
  std::mt19937 rng(91);
  TestAlphabet alphabet;
  for (int trial = 0; trial < 12; ++trial) {
    RandomSeeds seeds = randomSeeds(rng);
    RandomSeriesOptions o;
    o.seriesType = trial % 2 ? 8 : 4;
    o.maxSeriesSize = 600;
    RandomSeriesParams p;
    SeriesPtr s = makeRandomSeries(rng, alphabet, seeds, o, &p);
    const int32_t etalon = 1 + (trial * 7) % 20;
    const uint16_t level = trial % 3 == 0 ? 100 : 50;
    MessageRecorder w;
    Chains a(4, s->wMaxPulses), b(4, s->wMaxPulses);
    const uint16_t list[] = {static_cast<uint16_t>(etalon)};
    ASSERT_EQ(detectUnfixedPulses(w, alphabet.pulses, 1, list, p.tmin, p.tmax, level, a.h, s.get()), 1);
    const std::vector<int16_t> pos(s->lpRestoredPositions, s->lpRestoredPositions + s->wRestoredQuantity);
    const std::vector<int16_t> end(s->lpRestoredCutEnd, s->lpRestoredCutEnd + s->wRestoredQuantity);
    int32_t verbose = 0;
    ASSERT_EQ(
        detectUnfixedTuples(w, alphabet.pulses, 1, &etalon, 1, p.tmin, p.tmax, level, b.h, s.get(), verbose),
        1);
    EXPECT_EQ(std::vector<int16_t>(s->lpRestoredPositions, s->lpRestoredPositions + s->wRestoredQuantity),
              pos);
    EXPECT_EQ(std::vector<int16_t>(s->lpRestoredCutEnd, s->lpRestoredCutEnd + s->wRestoredQuantity), end);
    EXPECT_EQ(a.h->distance[0], b.h->distance[0]);
    EXPECT_EQ(b.h->wSeekingPulsesQuantity, s->wRestoredQuantity);
    EXPECT_EQ(s->wRestoredTuples, s->wRestoredQuantity);
  }
}

TEST(UnfixedTuples, TupleLongerThanTheLargestCountUsesOneLayerPerPulse) {
  // 100 samples, etalons of 4, Tmin 40: at most 3 pulses, so a tuple of 5 gets 3 layers and a
  // chain always begins with member 1.
  HandAlphabet abc({{9, 9, 9, 9}, {9, -9, 9, -9}, {-9, -9, 9, 9}, {1, 2, 3, 4}, {4, 3, 2, 1}});
  std::vector<int16_t> x(100, 0);
  const int pos[] = {5, 50, 92};
  const int members[] = {2, 3, 4};
  for (int k = 0; k < 3; ++k)
    for (int i = 0; i < 4; ++i) x[pos[k] + i] = abc.data[members[k] - 1][i];
  HandSeries s(x, 4, 3, 40, 50);
  ASSERT_EQ(s.h.wMaxPulses, 3);
  const int32_t tuple[] = {2, 3, 4, 5, 1};
  Chains c(4, 3);
  MessageRecorder w;
  int32_t verbose = 0;
  ASSERT_EQ(detectUnfixedTuples(w, abc.pulses, 5, tuple, 2, 40, 50, 100, c.h, &s.h, verbose), 1);
  EXPECT_EQ(s.positions(), (std::vector<int16_t>{5, 50, 92}));
  EXPECT_EQ(s.etalons(), (std::vector<int16_t>{2, 3, 4}));
  EXPECT_EQ(s.tuples(), (Tuples{{1, 3}}));
}

TEST(UnfixedTuples, VerboseDumpsShowTheTablesAndAreSwitchedOff) {
  // Etalon (1, 1) over 0..7 with pulses at 0 and 4; Tmin 2, Tmax 4: first-only positions
  // 0..1, first-and-later 2, later-only 3..6, last 4..6. Scores at 0..6: -2 0 2 0 -2 0 2.
  HandAlphabet abc({{1, 1}});
  HandSeries s({1, 1, 0, 0, 1, 1, 0, 0}, 2, 2, 2, 4);
  const int32_t tuple[] = {1};
  Chains c(3, s.h.wMaxPulses);
  MessageRecorder w;
  int32_t verbose = 1;
  ASSERT_EQ(detectUnfixedTuples(w, abc.pulses, 1, tuple, 1, 2, 4, 100, c.h, &s.h, verbose), 1);
  EXPECT_EQ(verbose, 0);
  ASSERT_EQ(w.messages().size(), 2u);
  EXPECT_EQ(w.messages()[0].text, "omega_minus - omega_tilda:  [0..1] \n -2 +\n ");
  EXPECT_EQ(w.messages()[1].text, "omega_minus x omega_tilda:  [2..2] \nl=1\n  +[0]\n ");
  EXPECT_EQ(w.messages()[0].caption, " About TuplesDetection ");
  EXPECT_EQ(w.messages()[0].style, static_cast<uint32_t>(kMbOk));
  EXPECT_EQ(s.positions(), (std::vector<int16_t>{0, 4}));
  EXPECT_EQ(c.h->distance[0], -4);
  EXPECT_EQ(s.tuples(), (Tuples{{1, 1}, {2, 2}}));

  // Cleared flag: nothing shown. Recognition shows one pair per subset.
  ASSERT_EQ(detectUnfixedTuples(w, abc.pulses, 1, tuple, 1, 2, 4, 100, c.h, &s.h, verbose), 1);
  EXPECT_EQ(w.messages().size(), 2u);
  verbose = 1;
  const int32_t sizes[] = {1, 2};
  const int32_t pair[] = {1, 1};
  const int32_t* rows[] = {tuple, pair};
  EXPECT_EQ(recognizeUnfixedTuples(w, abc.pulses, sizes, rows, 2, 1, 2, 4, 100, c.h, &s.h, verbose), 1);
  EXPECT_EQ(w.messages().size(), 6u);
  EXPECT_EQ(verbose, 0);
  EXPECT_EQ(w.messages()[5].text.rfind("omega_minus x omega_tilda:  [2..2] \nl=1\n ", 0), 0u);
}

TEST(UnfixedTuples, LongDumpIsCutAtItsBuffer) {
  TestAlphabet alphabet;
  MessageRecorder w;
  RandomSeeds seeds;
  std::vector<uint16_t> seq(200, 1);
  SeriesPtr s(
      getCutOffSeries(w, 20, alphabet.pulses, 20, 20, 400, 8000, 100, seq.data(), 128, 100, nullptr, seeds));
  ASSERT_TRUE(s);
  const int32_t tuple[] = {1, 2, 3, 4};
  Chains c(2, s->wMaxPulses);
  int32_t verbose = 1;
  ASSERT_EQ(detectUnfixedTuples(w, alphabet.pulses, 4, tuple, 1, 20, 400, 100, c.h, s.get(), verbose), 1);
  ASSERT_EQ(w.messages().size(), 2u);
  EXPECT_EQ(w.messages()[1].text.size(), kTupleDumpLimit);
  EXPECT_EQ(w.messages()[1].text.rfind("omega_minus x omega_tilda: ", 0), 0u);
}

TEST(TupleSolvers, NoChainIsReportedAsZeroPulses) {
  HandAlphabet abc({{300, 300, 300, 300}});
  const int32_t tuple[] = {1};
  const int32_t sizes[] = {1};
  const int32_t* rows[] = {tuple};
  MessageRecorder w;
  {
    // Every score is 1,080,000: the last pulse is found below 9,999,999 but its backward
    // window holds nothing below 999,999.
    HandSeries s(std::vector<int16_t>(100, -300), 4, 2, 40, 60);
    s.h.wRestoredQuantity = 5;
    s.h.wRestoredTuples = 5;
    Chains c(3, s.h.wMaxPulses);
    ASSERT_EQ(detectFixedTuples(w, abc.pulses, 1, tuple, 1, 40, 60, 100, c.h, &s.h), 1);
    EXPECT_EQ(s.h.wRestoredQuantity, 0);
    EXPECT_EQ(s.h.wRestoredTuples, 0);
    EXPECT_EQ(c.h->wPretenders, 0);
    s.h.wRecognizedSubset = 3;
    EXPECT_EQ(recognizeFixedTuples(w, abc.pulses, sizes, rows, 1, 2, 40, 60, 100, c.h, &s.h), 0);
    EXPECT_EQ(s.h.wRecognizedSubset, 0);
    EXPECT_EQ(s.h.wRestoredQuantity, 0);
  }
  {
    // Tmin larger than the series allows: every start range and position set is empty.
    HandSeries s(std::vector<int16_t>(100, 5), 4, 2, 40, 60);
    Chains c(3, s.h.wMaxPulses);
    s.h.wRestoredQuantity = 5;
    ASSERT_EQ(detectFixedTuples(w, abc.pulses, 1, tuple, 2, 97, 99, 100, c.h, &s.h), 1);
    EXPECT_EQ(s.h.wRestoredQuantity, 0);
    int32_t verbose = 1;
    s.h.wRestoredQuantity = 5;
    ASSERT_EQ(detectUnfixedTuples(w, abc.pulses, 1, tuple, 2, 40, 3, 100, c.h, &s.h, verbose), 1);
    EXPECT_EQ(s.h.wRestoredQuantity, 0);
    EXPECT_EQ(s.h.wRestoredTuples, 0);
    EXPECT_EQ(c.h->wSeekingPulsesQuantity, 0);
    EXPECT_EQ(c.h->wPretenders, 0);
    EXPECT_EQ(verbose, 0);
    verbose = 0;
    s.h.wRecognizedSubset = 3;
    EXPECT_EQ(recognizeUnfixedTuples(w, abc.pulses, sizes, rows, 1, 2, 40, 3, 100, c.h, &s.h, verbose), 0);
    EXPECT_EQ(s.h.wRecognizedSubset, 0);
  }
  // The verbose run over empty sets still shows its two (empty) tables.
  ASSERT_EQ(w.messages().size(), 2u);
  EXPECT_EQ(w.messages()[0].text, "omega_minus - omega_tilda: \n\n ");
  EXPECT_EQ(w.messages()[1].text, "omega_minus x omega_tilda: \nl=1\n \n ");
}

TEST(TupleSolvers, UnusableInputIsRefusedWithoutWriting) {
  HandAlphabet abc({{1, 2, 3, 4}, {4, 3, 2, 1}});
  HandSeries s(std::vector<int16_t>(200, 1), 4, 3, 40, 80);
  s.h.wRestoredQuantity = 9;
  MessageRecorder w;
  int32_t verbose = 1;
  const int32_t bad[] = {1, 3};  // etalon 3 has no samples
  const int32_t zero[] = {0};
  const int32_t big[] = {21};
  const int32_t good[] = {1, 2};
  const int32_t sizes[] = {2, 2};
  const int32_t* rows[] = {good, bad};
  Chains small(3, 2);  // rows shorter than the pulse count
  for (const int32_t* t : {bad, zero, big}) {
    EXPECT_EQ(detectFixedTuples(w, abc.pulses, t == bad ? 2 : 1, t, 2, 40, 80, 100, nullptr, &s.h), 0);
    EXPECT_EQ(detectUnfixedTuples(w, abc.pulses, t == bad ? 2 : 1, t, 2, 40, 80, 100, nullptr, &s.h, verbose),
              0);
  }
  EXPECT_EQ(detectFixedTuples(w, abc.pulses, 0, good, 2, 40, 80, 100, nullptr, &s.h), 0);
  EXPECT_EQ(detectFixedTuples(w, abc.pulses, 2, good, 2, 40, 80, 100, nullptr, nullptr), 0);
  EXPECT_EQ(detectFixedTuples(w, nullptr, 2, good, 2, 40, 80, 100, nullptr, &s.h), 0);
  EXPECT_EQ(detectFixedTuples(w, abc.pulses, 2, good, 2, 40, 80, 100, small.h, &s.h), 0);
  EXPECT_EQ(detectUnfixedTuples(w, abc.pulses, 2, good, 2, 40, 80, 100, small.h, &s.h, verbose), 0);
  EXPECT_EQ(recognizeFixedTuples(w, abc.pulses, sizes, rows, 2, 2, 40, 80, 100, nullptr, &s.h), 0);
  EXPECT_EQ(recognizeUnfixedTuples(w, abc.pulses, sizes, rows, 2, 2, 40, 80, 100, nullptr, &s.h, verbose), 0);
  EXPECT_EQ(recognizeFixedTuples(w, abc.pulses, sizes, rows, 0, 2, 40, 80, 100, nullptr, &s.h), 0);
  EXPECT_EQ(s.h.wRestoredQuantity, 9);
  EXPECT_EQ(verbose, 1);
  EXPECT_EQ(small.h->wPretenders, 0);
  EXPECT_TRUE(w.messages().empty());
}

TEST(TupleSolvers, OversizedWorkShowsTheMemoryMessages) {
  HandAlphabet abc({{1, 2, 3, 4}});
  MessageRecorder w;
  {
    // 5,000 pulses over 32,767 samples with Tmin 1: the criterion rows exceed the limit.
    HandSeries s(std::vector<int16_t>(32767, 1), 4, 5000, 1, 32767);
    s.h.wRestoredQuantity = 9;
    const int32_t tuple[] = {1};
    const int32_t sizes[] = {1};
    const int32_t* rows[] = {tuple};
    EXPECT_EQ(detectFixedTuples(w, abc.pulses, 1, tuple, 2, 1, 32767, 100, nullptr, &s.h), 0);
    EXPECT_EQ(recognizeFixedTuples(w, abc.pulses, sizes, rows, 1, 2, 1, 32767, 100, nullptr, &s.h), 0);
    EXPECT_EQ(s.h.wRestoredQuantity, 9);
  }
  {
    // A tuple of 2,100 members over 2,100 admissible pulses: 2,100 layers of 32,764 positions.
    HandSeries s(std::vector<int16_t>(32767, 1), 4, 10, 15, 20);
    ASSERT_EQ(s.h.wMaxPulses, 2185);
    const std::vector<int32_t> tuple(2100, 1);
    int32_t verbose = 1;
    Chains c(2, s.h.wMaxPulses);
    c.h->wPretenders = 1;
    EXPECT_EQ(detectUnfixedTuples(w, abc.pulses, 2100, tuple.data(), 2, 15, 20, 100, c.h, &s.h, verbose), 0);
    EXPECT_EQ(verbose, 1);
    EXPECT_EQ(c.h->wPretenders, 1);
  }
  ASSERT_EQ(w.messages().size(), 3u);
  EXPECT_EQ(w.messages()[0].text, "Нет памяти для ppDw[m]!");
  EXPECT_EQ(w.messages()[1].text, "Нет памяти для ppDw[]!");
  EXPECT_EQ(w.messages()[2].text, "Нет памяти для G_on_layers!");
  for (const auto& m : w.messages()) {
    EXPECT_EQ(m.caption, "");
    EXPECT_EQ(m.style, static_cast<uint32_t>(kMbOk));
  }
}
