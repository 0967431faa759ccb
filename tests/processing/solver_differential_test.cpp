#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "platform/message_recorder.h"
#include "processing/chains_header.h"
#include "processing/fixed_detection.h"
#include "processing/recognition.h"
#include "processing/unfixed_detection.h"
#include "signal/series_header.h"
#include "tests/support/reference_detection.h"
#include "tests/support/series_factory.h"
#include "tests/support/test_scale.h"

namespace {

// What a solver leaves behind: its result, the restored fields of the series and every
// field and stored value of the chains header.
struct Outcome {
  int64_t result = 0;
  std::vector<int32_t> series;
  std::vector<int32_t> chains;
  bool operator==(const Outcome&) const = default;
};

std::vector<int32_t> restoredFields(const SeriesHeader& s) {
  std::vector<int32_t> v{s.wRestoredQuantity};
  for (const int16_t* t :
       {s.lpRestoredPositions, s.lpRestoredEtalons, s.lpRestoredCutBegin, s.lpRestoredCutEnd})
    v.insert(v.end(), t, t + s.wPulsesCapacity);
  return v;
}

void setRestoredFields(SeriesHeader& s, const std::vector<int32_t>& v) {
  s.wRestoredQuantity = static_cast<uint16_t>(v[0]);
  size_t k = 1;
  for (int16_t* t : {s.lpRestoredPositions, s.lpRestoredEtalons, s.lpRestoredCutBegin, s.lpRestoredCutEnd})
    for (int i = 0; i < s.wPulsesCapacity; ++i) t[i] = static_cast<int16_t>(v[k++]);
}

std::vector<int32_t> chainsFields(const ChainsHeader& h) {
  std::vector<int32_t> v{h.wMaxSize, h.wPretenders, h.wMaxPulses, h.wQuanPulses, h.wSeekingPulsesQuantity};
  v.insert(v.end(), h.distance, h.distance + 2 * h.wMaxSize);
  v.insert(v.end(), h.pulsesList[0], h.pulsesList[0] + 4 * h.wMaxSize * h.wMaxPulses);
  return v;
}

// A header holding leftovers of an earlier run, the same for both solvers.
ChainsHeader* staleHeader(MessageSink& w, std::mt19937& rng, uint16_t slots, uint16_t pulses) {
  ChainsHeader* h = getChainsHeader(w, slots, pulses, nullptr);
  std::uniform_int_distribution<int> junk(-50, 500);
  for (int i = 0; i < 2 * slots; ++i) h->distance[i] = junk(rng);
  for (int i = 0; i < 4 * slots * pulses; ++i) h->pulsesList[0][i] = static_cast<int16_t>(junk(rng));
  for (int i = 0; i < slots; ++i) h->chainLength[i] = std::uniform_int_distribution<int>(0, pulses)(rng);
  h->wPretenders = static_cast<uint16_t>(std::uniform_int_distribution<int>(0, slots)(rng));
  return h;
}

enum class Solver { kDetectFixed, kDetectUnfixed, kRecognizeFixed, kRecognizeUnfixed };

using SolverFn = int64_t (*)(MessageSink&, const PulseHeader*, uint16_t, const uint16_t*, uint16_t, uint16_t,
                             uint16_t, ChainsHeader*, SeriesHeader*);

template <auto F>
int64_t call(MessageSink& w, const PulseHeader* a, uint16_t l, const uint16_t* list, uint16_t t0, uint16_t t1,
             uint16_t level, ChainsHeader* c, SeriesHeader* s) {
  return F(w, a, l, list, t0, t1, level, c, s);
}

struct Pair {
  SolverFn production;
  SolverFn reference;
};

Pair solverPair(Solver s) {
  switch (s) {
    case Solver::kDetectFixed:
      return {call<detectFixedPulses>, call<referenceDetectFixedPulses>};
    case Solver::kDetectUnfixed:
      return {call<detectUnfixedPulses>, call<referenceDetectUnfixedPulses>};
    case Solver::kRecognizeFixed:
      return {call<recognizeFixedPulses>, call<referenceRecognizeFixedPulses>};
    default:
      return {call<recognizeUnfixedPulses>, call<referenceRecognizeUnfixedPulses>};
  }
}

// Runs `cases` random series through the production solver and its reference and expects
// identical outcomes. Series types, levels, lists, noise and sizes vary from case to case.
void runDifferential(Solver solver, const std::vector<uint16_t>& seriesTypes, int cases, unsigned seed) {
  std::mt19937 rng(seed);
  TestAlphabet alphabet20(20, 20, 128);
  TestAlphabet alphabet6(20, 6, 100);
  RandomSeeds seeds = randomSeeds(rng);
  const uint16_t levels[] = {100, 75, 50, 0};
  const Pair pair = solverPair(solver);
  MessageRecorder window;
  for (int c = 0; c < cases; ++c) {
    TestAlphabet& alphabet = c % 5 == 4 ? alphabet6 : alphabet20;
    const uint16_t level = levels[c % 4];
    const uint16_t listSize = static_cast<uint16_t>(1 + (c / 4) % 4);
    std::vector<uint16_t> list;
    for (int i = 0; i < listSize; ++i)
      list.push_back(static_cast<uint16_t>(std::uniform_int_distribution<int>(1, 20)(rng)));
    RandomSeriesOptions options;
    options.seriesType = seriesTypes[static_cast<size_t>(c) % seriesTypes.size()];
    options.required = list;
    // Noiseless series now and then: flat stretches give many equal values, so the tie rules
    // of every search decide the outcome.
    if (c % 7 == 0) options.noiseLevel = 0;
    // Mostly small series; now and then one of default size with a short list at the
    // higher levels, to keep the literal reference affordable.
    const bool large = c % 16 <= 1;
    options.maxSeriesSize = large ? 1200 : (c % 3 == 0 ? 70 : 160);
    RandomSeriesParams params;
    SeriesPtr series = makeRandomSeries(rng, alphabet, seeds, options, &params);
    const std::vector<int32_t> initial = restoredFields(*series);

    const uint16_t slots = static_cast<uint16_t>(std::uniform_int_distribution<int>(1, 5)(rng));
    const uint16_t pulses =
        static_cast<uint16_t>(series->wMaxPulses + std::uniform_int_distribution<int>(0, 2)(rng));
    std::mt19937 junk(rng());
    std::mt19937 sameJunk = junk;
    ChainsHeader* mine = staleHeader(window, junk, slots, pulses);
    ChainsHeader* theirs = staleHeader(window, sameJunk, slots, pulses);

    Outcome produced, expected;
    produced.result = pair.production(window, alphabet.pulses, listSize, list.data(), params.tmin,
                                      params.tmax, level, mine, series.get());
    produced.series = restoredFields(*series);
    produced.chains = chainsFields(*mine);
    setRestoredFields(*series, initial);
    expected.result = pair.reference(window, alphabet.pulses, listSize, list.data(), params.tmin, params.tmax,
                                     level, theirs, series.get());
    expected.series = restoredFields(*series);
    expected.chains = chainsFields(*theirs);
    freeChainsHeader(window, mine);
    freeChainsHeader(window, theirs);

    ASSERT_TRUE(window.messages().empty()) << window.messages()[0].text;
    ASSERT_EQ(produced.result, expected.result) << "case " << c;
    ASSERT_EQ(produced.series, expected.series)
        << "case " << c << " type " << options.seriesType << " level " << level << " N " << params.seriesSize;
    ASSERT_EQ(produced.chains, expected.chains) << "case " << c;
  }
}

TEST(SolverDifferentialTest, DetectFixedPulsesEqualsReference) {
  runDifferential(Solver::kDetectFixed, {1, 2, 16}, scaledCount(500), 11);
}

TEST(SolverDifferentialTest, DetectUnfixedPulsesEqualsReference) {
  runDifferential(Solver::kDetectUnfixed, {4, 8, 32}, scaledCount(500), 12);
}

TEST(SolverDifferentialTest, RecognizeFixedPulsesEqualsReference) {
  runDifferential(Solver::kRecognizeFixed, {1, 2, 16}, scaledCount(500), 13);
}

TEST(SolverDifferentialTest, RecognizeUnfixedPulsesEqualsReference) {
  runDifferential(Solver::kRecognizeUnfixed, {4, 8, 32}, scaledCount(500), 14);
}

}  // namespace
