#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "platform/message_recorder.h"
#include "processing/chains_header.h"
#include "processing/fixed_tuples.h"
#include "processing/unfixed_tuples.h"
#include "signal/pulse_bounds.h"
#include "signal/series_header.h"
#include "signal/series_maker.h"
#include "tests/support/reference_tuples.h"
#include "tests/support/series_factory.h"
#include "tests/support/test_scale.h"

namespace {

// Everything a tuple solver may write: its result, the restored fields of the series (whole
// tables, which start from the same marks), the whole chains header and the messages shown.
struct Outcome {
  int32_t result = 0;
  int32_t verboseAfter = 0;
  uint16_t restored = 0;
  int16_t tuples = 0;
  int16_t recognized = 0;
  std::vector<int16_t> tables;
  uint16_t counters[5] = {};
  std::vector<int32_t> distances;
  std::vector<int16_t> rows;
  std::vector<std::string> messages;

  bool operator==(const Outcome&) const = default;
};

void markSeries(SeriesHeader& s) {
  s.wRestoredQuantity = 777;
  s.wRestoredTuples = 555;
  s.wRecognizedSubset = -9;
  for (int16_t* t : {s.lpRestoredPositions, s.lpRestoredEtalons, s.lpRestoredCutBegin, s.lpRestoredCutEnd,
                     s.lpRestoredTupleFirst, s.lpRestoredTupleLast})
    for (int i = 0; i < s.wPulsesCapacity; ++i) t[i] = -7;
}

Outcome capture(int32_t result, int32_t verbose, const SeriesHeader& s, const ChainsHeader& c,
                const MessageRecorder& w) {
  Outcome o;
  o.result = result;
  o.verboseAfter = verbose;
  o.restored = s.wRestoredQuantity;
  o.tuples = s.wRestoredTuples;
  o.recognized = s.wRecognizedSubset;
  for (const int16_t* t : {s.lpRestoredPositions, s.lpRestoredEtalons, s.lpRestoredCutBegin,
                           s.lpRestoredCutEnd, s.lpRestoredTupleFirst, s.lpRestoredTupleLast})
    o.tables.insert(o.tables.end(), t, t + s.wPulsesCapacity);
  const uint16_t counters[5] = {c.wMaxSize, c.wPretenders, c.wMaxPulses, c.wQuanPulses,
                                c.wSeekingPulsesQuantity};
  std::copy(counters, counters + 5, o.counters);
  o.distances.assign(c.distance, c.distance + 2 * c.wMaxSize);  // distance and chainLength
  o.rows.assign(c.pulsesList[0], c.pulsesList[0] + 4 * c.wMaxSize * c.wMaxPulses);
  for (const auto& m : w.messages()) o.messages.push_back(m.caption + "|" + m.text);
  return o;
}

enum class Solver { kDetectFixed, kRecognizeFixed, kDetectUnfixed, kRecognizeUnfixed };

struct Case {
  std::vector<std::vector<int32_t>> subsets;
  uint16_t proceeding = 1;
  uint16_t tmin = 0;
  uint16_t tmax = 0;
  uint16_t level = 100;
  int32_t verbose = 0;
  uint16_t chainSlots = 10;
};

Outcome runOne(Solver solver, bool reference, const Case& k, const PulseHeader* a, SeriesHeader& s) {
  MessageRecorder w;
  ChainsHeader* c = getChainsHeader(w, k.chainSlots, s.wMaxPulses, nullptr);
  markSeries(s);
  std::vector<int32_t> sizes;
  std::vector<const int32_t*> rows;
  for (const auto& t : k.subsets) {
    sizes.push_back(static_cast<int32_t>(t.size()));
    rows.push_back(t.data());
  }
  const int32_t count = static_cast<int32_t>(k.subsets.size());
  int32_t verbose = k.verbose;
  int32_t r = 0;
  switch (solver) {
    case Solver::kDetectFixed:
      r = reference
              ? referenceDetectFixedTuples(w, a, sizes[0], rows[0], k.proceeding, k.tmin, k.tmax, k.level, c,
                                           &s)
              : detectFixedTuples(w, a, sizes[0], rows[0], k.proceeding, k.tmin, k.tmax, k.level, c, &s);
      break;
    case Solver::kRecognizeFixed:
      r = reference ? referenceRecognizeFixedTuples(w, a, sizes.data(), rows.data(), count, k.proceeding,
                                                    k.tmin, k.tmax, k.level, c, &s)
                    : recognizeFixedTuples(w, a, sizes.data(), rows.data(), count, k.proceeding, k.tmin,
                                           k.tmax, k.level, c, &s);
      break;
    case Solver::kDetectUnfixed:
      r = reference ? referenceDetectUnfixedTuples(w, a, sizes[0], rows[0], k.proceeding, k.tmin, k.tmax,
                                                   k.level, c, &s, verbose)
                    : detectUnfixedTuples(w, a, sizes[0], rows[0], k.proceeding, k.tmin, k.tmax, k.level, c,
                                          &s, verbose);
      break;
    case Solver::kRecognizeUnfixed:
      r = reference ? referenceRecognizeUnfixedTuples(w, a, sizes.data(), rows.data(), count, k.proceeding,
                                                      k.tmin, k.tmax, k.level, c, &s, verbose)
                    : recognizeUnfixedTuples(w, a, sizes.data(), rows.data(), count, k.proceeding, k.tmin,
                                             k.tmax, k.level, c, &s, verbose);
      break;
  }
  Outcome o = capture(r, verbose, s, *c, w);
  freeChainsHeader(w, c);
  return o;
}

// A random tuple: usually built around the subset the series was made with, so that the
// solvers meet both fitting and unfitting patterns.
std::vector<int32_t> randomTuple(std::mt19937& rng, const std::vector<int32_t>& made) {
  std::uniform_int_distribution<int> size(1, 4), etalon(1, 20), coin(0, 2);
  std::vector<int32_t> t;
  if (!made.empty() && coin(rng) > 0) {
    t = made;
    const size_t shift = std::uniform_int_distribution<size_t>(0, made.size() - 1)(rng);
    std::rotate(t.begin(), t.begin() + static_cast<long>(shift), t.end());
    return t;
  }
  const int k = size(rng);
  for (int i = 0; i < k; ++i) t.push_back(etalon(rng));
  return t;
}

std::string describe(Solver solver, const Case& k, const SeriesHeader& s) {
  std::string d =
      "solver " + std::to_string(static_cast<int>(solver)) + " N=" + std::to_string(s.dwSeriesSize) +
      " Q=" + std::to_string(s.wImpulseQuantity) + " J=" + std::to_string(s.wMinPulses) + ".." +
      std::to_string(s.wMaxPulses) + " T=" + std::to_string(k.tmin) + ".." + std::to_string(k.tmax) +
      " level=" + std::to_string(k.level) + " proceeding=" + std::to_string(k.proceeding) + " tuples:";
  for (const auto& t : k.subsets) {
    d += " {";
    for (int32_t e : t) d += std::to_string(e) + ",";
    d += "}";
  }
  return d;
}

// Runs every solver on random tuple series and compares production and reference.
void differential(uint32_t seed, int series, uint32_t maxSize, int verboseEvery) {
  std::mt19937 rng(seed);
  TestAlphabet alphabet;
  const uint16_t levels[] = {100, 75, 50, 0};
  for (int i = 0; i < series; ++i) {
    RandomSeeds seeds = randomSeeds(rng);
    RandomSeriesOptions options;
    options.seriesType = i % 2 ? 40 : 36;
    options.maxSeriesSize = maxSize;
    RandomSeriesParams params;
    SeriesPtr s = makeRandomSeries(rng, alphabet, seeds, options, &params);
    for (Solver solver :
         {Solver::kDetectFixed, Solver::kRecognizeFixed, Solver::kDetectUnfixed, Solver::kRecognizeUnfixed}) {
      Case k;
      k.level = levels[std::uniform_int_distribution<int>(0, 3)(rng)];
      k.proceeding = static_cast<uint16_t>(std::uniform_int_distribution<int>(1, 2)(rng));
      k.tmin = params.tmin;
      k.tmax = params.tmax;
      k.chainSlots = static_cast<uint16_t>(std::uniform_int_distribution<int>(1, 10)(rng));
      k.verbose = verboseEvery > 0 && i % verboseEvery == 0 ? 1 : 0;
      const bool recognize = solver == Solver::kRecognizeFixed || solver == Solver::kRecognizeUnfixed;
      const int subsets = recognize ? std::uniform_int_distribution<int>(1, 4)(rng) : 1;
      for (int t = 0; t < subsets; ++t) k.subsets.push_back(randomTuple(rng, params.subset));
      const Outcome produced = runOne(solver, false, k, alphabet.pulses, *s);
      const Outcome expected = runOne(solver, true, k, alphabet.pulses, *s);
      ASSERT_TRUE(produced == expected) << describe(solver, k, *s) << " series " << i << " seed " << seed;
    }
  }
}

}  // namespace

TEST(TupleSolversDifferential, SmallSeriesMatchTheReference) { differential(2024, scaledCount(120), 300, 5); }

TEST(TupleSolversDifferential, DefaultSizeSeriesMatchTheReference) {
  differential(77, scaledCount(16), 1200, 0);
}

TEST(TupleSolversDifferential, TightDistancesMatchTheReference) {
  // Tmin close to Tmax and short series: narrow start ranges, empty windows, few layers.
  std::mt19937 rng(5);
  TestAlphabet alphabet;
  for (int i = 0; i < scaledCount(80); ++i) {
    RandomSeeds seeds = randomSeeds(rng);
    RandomSeriesOptions options;
    options.seriesType = 40;
    options.maxSeriesSize = 160;
    RandomSeriesParams params;
    SeriesPtr s = makeRandomSeries(rng, alphabet, seeds, options, &params);
    Case k;
    k.subsets = {randomTuple(rng, params.subset), randomTuple(rng, {})};
    k.level = i % 3 == 0 ? 0 : 100;
    k.proceeding = 2;
    // Solver distances that differ from the series' own.
    k.tmin = static_cast<uint16_t>(std::uniform_int_distribution<int>(1, 60)(rng));
    k.tmax = static_cast<uint16_t>(k.tmin + std::uniform_int_distribution<int>(-5, 30)(rng));
    k.verbose = i % 4 == 0;
    for (Solver solver :
         {Solver::kDetectFixed, Solver::kRecognizeFixed, Solver::kDetectUnfixed, Solver::kRecognizeUnfixed}) {
      Case one = k;
      if (solver == Solver::kDetectFixed || solver == Solver::kDetectUnfixed) one.subsets.resize(1);
      const Outcome produced = runOne(solver, false, one, alphabet.pulses, *s);
      const Outcome expected = runOne(solver, true, one, alphabet.pulses, *s);
      ASSERT_TRUE(produced == expected) << describe(solver, one, *s) << " series " << i;
    }
  }
}

TEST(TupleSolversDifferential, ExtremeAmplitudesMatchTheReference) {
  // Etalons and samples near the 16-bit limits: energies and criteria wrap around in 32 bits,
  // and the kept-part search cannot take its shortcut.
  std::mt19937 rng(9);
  std::uniform_int_distribution<int> sample(-32768, 32767);
  std::vector<std::vector<int16_t>> data(kAlphabetRecords, std::vector<int16_t>(20));
  PulseHeader pulses[kAlphabetRecords];
  for (int e = 0; e < kAlphabetRecords; ++e) {
    for (int16_t& v : data[e]) v = static_cast<int16_t>(sample(rng));
    pulses[e].lpData = data[e].data();
    pulses[e].wSize = pulses[e].wReservedSize = 20;
    pulses[e].wNumber = static_cast<uint16_t>(e + 1);
  }
  for (int i = 0; i < scaledCount(24); ++i) {
    MessageRecorder w;
    RandomSeeds seeds = randomSeeds(rng);
    uint32_t size = 0;
    uint16_t tmin = 0, tmax = 0, wMin = 0, wMax = 0;
    do {
      randomDistances(rng, 20, 260, size, tmin, tmax);
      wMin = seriesMinPulses(size, 20, tmax);
      wMax = maxPulsesFor(size, 20, tmin);
    } while (wMax < wMin);
    std::vector<uint16_t> seq(wMax, 1);
    for (uint16_t& e : seq) e = static_cast<uint16_t>(std::uniform_int_distribution<int>(1, 20)(rng));
    const uint16_t q = static_cast<uint16_t>(std::uniform_int_distribution<int>(wMin, wMax)(rng));
    SeriesPtr s(
        getCutOffSeries(w, 20, pulses, 20, tmin, tmax, size, q, seq.data(), 128, 100, nullptr, seeds));
    ASSERT_TRUE(s);
    for (uint32_t k = 0; k < size; ++k) s->lpNoisyData[k] = static_cast<int16_t>(sample(rng));
    Case k;
    k.subsets = {randomTuple(rng, {}), randomTuple(rng, {})};
    k.level = static_cast<uint16_t>(std::uniform_int_distribution<int>(0, 100)(rng));
    k.proceeding = 2;
    k.tmin = tmin;
    k.tmax = tmax;
    for (Solver solver :
         {Solver::kDetectFixed, Solver::kRecognizeFixed, Solver::kDetectUnfixed, Solver::kRecognizeUnfixed}) {
      const Outcome produced = runOne(solver, false, k, pulses, *s);
      const Outcome expected = runOne(solver, true, k, pulses, *s);
      ASSERT_TRUE(produced == expected) << describe(solver, k, *s) << " series " << i;
    }
  }
}
