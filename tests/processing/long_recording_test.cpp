#include "processing/long_recording.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "platform/headless_window.h"
#include "processing/chain_pass.h"
#include "processing/chains_header.h"
#include "processing/long_position_sets.h"
#include "processing/position_sets.h"
#include "processing/processor_speeds.h"
#include "processing/recognition.h"
#include "processing/unfixed_detection.h"
#include "signal/pulse_bounds.h"
#include "signal/series_header.h"
#include "tests/support/made_recordings.h"
#include "tests/support/reference_long.h"
#include "tests/support/series_factory.h"
#include "tests/support/test_scale.h"

namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();

bool inRanges(const std::vector<PositionRange>& ranges, int64_t p) {
  for (const PositionRange& r : ranges)
    if (p >= r.first && p <= r.last) return true;
  return false;
}

bool inSet(const IntervalSet& s, int64_t p) {
  for (int k = 0; k < s.count; ++k)
    if (p >= s.starts[k] && p <= s.ends[k]) return true;
  return false;
}

// The closed form of the sets holds the same positions as the sets built pulse count by pulse
// count, including distances where the ranges of neighbouring pulses never join (tmin = tmax)
// and etalons longer than tmin.
TEST(LongPositionSetsTest, ClosedFormHoldsTheSamePositionsAsEveryPulseCount) {
  std::mt19937 rng(20);
  for (int trial = 0; trial < scaledCount(600); ++trial) {
    const int n = std::uniform_int_distribution<int>(1, 30)(rng);
    const int tmin = std::uniform_int_distribution<int>(trial % 4 == 0 ? 1 : n, n + 60)(rng);
    const int tmax = tmin + std::uniform_int_distribution<int>(0, trial % 3 == 0 ? 3 : 150)(rng);
    const int size = std::uniform_int_distribution<int>(n, 2500)(rng);
    PositionSets sets;
    ASSERT_TRUE(buildPositionSets(
        sets, static_cast<uint32_t>(size), static_cast<uint16_t>(n), static_cast<uint16_t>(tmin),
        static_cast<uint16_t>(tmax),
        seriesMinPulses(static_cast<uint32_t>(size), static_cast<uint16_t>(n), static_cast<uint16_t>(tmax)),
        maxPulsesFor(static_cast<uint32_t>(size), static_cast<uint16_t>(n), static_cast<uint16_t>(tmin))));
    const LongPositionSets wide = longPositionSets(size, n, tmin, tmax);
    // A full set of the workbench loses the intervals that do not fit: it then holds a part
    // of the positions.
    const bool full = sets.first->count == sets.first->capacity ||
                      sets.later->count == sets.later->capacity || sets.last->count == sets.last->capacity;
    for (int p = 0; full && p <= size - n; ++p) {
      ASSERT_TRUE(!inSet(*sets.first, p) || inRanges(wide.first, p));
      ASSERT_TRUE(!inSet(*sets.later, p) || inRanges(wide.later, p));
      ASSERT_TRUE(!inSet(*sets.last, p) || inRanges(wide.last, p));
    }
    for (int p = 0; !full && p <= size - n; ++p) {
      ASSERT_EQ(inRanges(wide.first, p), inSet(*sets.first, p)) << "first p " << p << " trial " << trial;
      ASSERT_EQ(inRanges(wide.later, p), inSet(*sets.later, p)) << "later p " << p << " trial " << trial;
      ASSERT_EQ(inRanges(wide.last, p), inSet(*sets.last, p)) << "last p " << p << " trial " << trial;
    }
    freePositionSets(sets);
  }
}

// Whether the sets the workbench's solver walks (the three sets, their union and the three
// roles, each of capacity wMaxPulses) hold every position they should: where they lose
// intervals to their capacity the workbench answers a narrower question.
bool workbenchSetsComplete(const SeriesHeader& s, uint16_t tmin, uint16_t tmax) {
  PositionSets sets;
  if (!buildPositionSets(sets, s.dwSeriesSize, s.wImpulseSize, tmin, tmax, s.wMinPulses, s.wMaxPulses))
    return false;
  IntervalSet *firstOnly = nullptr, *firstAndLater = nullptr, *laterOnly = nullptr;
  const bool split = splitPositionSets(sets, firstOnly, firstAndLater, laterOnly);
  IntervalSet* either = copyIntervalSet(nullptr, sets.first);
  addIntervalSet(either, sets.later);
  const LongPositionSets wide = longPositionSets(s.dwSeriesSize, s.wImpulseSize, tmin, tmax);
  bool same = split && either != nullptr;
  for (int64_t p = 0; same && p <= int64_t{s.dwSeriesSize} - s.wImpulseSize; ++p) {
    same = inSet(*sets.first, p) == inRanges(wide.first, p) &&
           inSet(*sets.later, p) == inRanges(wide.later, p) &&
           inSet(*sets.last, p) == inRanges(wide.last, p) &&
           inSet(*either, p) == (inRanges(wide.first, p) || inRanges(wide.later, p)) &&
           inSet(*firstOnly, p) == inRanges(wide.firstOnly, p) &&
           inSet(*firstAndLater, p) == inRanges(wide.firstAndLater, p) &&
           inSet(*laterOnly, p) == inRanges(wide.laterOnly, p);
  }
  for (IntervalSet* set : {firstOnly, firstAndLater, laterOnly, either}) freeIntervalSet(set);
  freePositionSets(sets);
  return same;
}

LongRequest requestFor(const SeriesHeader& s, const TestAlphabet& alphabet, const std::vector<uint16_t>& list,
                       uint16_t tmin, uint16_t tmax, LongTask task) {
  LongRequest r;
  r.samples = s.lpNoisyData;
  r.size = s.dwSeriesSize;
  for (uint16_t number : list) {
    r.etalons.push_back(alphabet.pulses[number - 1].lpData);
    r.etalonNumbers.push_back(number);
  }
  r.n = s.wImpulseSize;
  r.tmin = tmin;
  r.tmax = tmax;
  r.task = task;
  r.margins = false;
  return r;
}

// Whether no chain of the series can leave the range where the 32-bit criteria and their
// starting values behave as exact sums: the longest chain times the largest score magnitude.
bool criteriaStayExact(const SeriesHeader& s, const TestAlphabet& alphabet, const std::vector<uint16_t>& list,
                       uint16_t tmin) {
  const int64_t n = s.wImpulseSize;
  const int64_t top = int64_t{s.dwSeriesSize} - n;
  int64_t largest = 0;
  for (int64_t p = 0; p <= top; ++p)
    for (uint16_t number : list) {
      const int16_t* e = alphabet.pulses[number - 1].lpData;
      int64_t v = 0;
      for (int64_t i = 0; i < n; ++i) v += int64_t{e[i]} * (e[i] - 2 * int64_t{s.lpNoisyData[p + i]});
      largest = std::max(largest, std::abs(v));
    }
  return (top / tmin + 1) * largest < 9999999;
}

std::vector<int64_t> restoredPositions(const SeriesHeader& s) {
  return std::vector<int64_t>(s.lpRestoredPositions, s.lpRestoredPositions + s.wRestoredQuantity);
}

std::vector<int32_t> restoredEtalons(const SeriesHeader& s) {
  return std::vector<int32_t>(s.lpRestoredEtalons, s.lpRestoredEtalons + s.wRestoredQuantity);
}

enum class Compared { kDetect, kJoint, kRecognize };

// Runs `cases` random unknown-number series of whole pulses through the solver of the
// workbench and the long path and expects the same answer wherever the 32-bit criteria stay
// exact: positions, etalons, whole kept parts, the chain's value and the recognized etalon.
void runAgainstWorkbench(Compared what, int cases, unsigned seed) {
  std::mt19937 rng(seed);
  // Small amplitudes keep most series inside the exact range; one alphabet of another length.
  TestAlphabet alphabet20(20, 20, 24);
  TestAlphabet alphabet9(20, 9, 40);
  RandomSeeds seeds = randomSeeds(rng);
  HeadlessWindow window;
  int compared = 0;
  for (int c = 0; c < cases; ++c) {
    TestAlphabet& alphabet = c % 5 == 4 ? alphabet9 : alphabet20;
    const int listSize = what == Compared::kDetect ? 1 : 1 + c % 4;
    std::vector<uint16_t> list;
    for (int i = 0; i < listSize; ++i)
      list.push_back(static_cast<uint16_t>(std::uniform_int_distribution<int>(1, 20)(rng)));
    RandomSeriesOptions options;
    options.seriesType = 4;
    options.required = list;
    options.singleEtalon = what == Compared::kRecognize;
    options.noiseLevel =
        static_cast<int16_t>(c % 7 == 0 ? 0 : std::uniform_int_distribution<int>(1, 12)(rng));
    options.maxSeriesSize = c % 10 == 0 ? 2400 : (c % 3 == 0 ? 90 : 400);
    RandomSeriesParams params;
    SeriesPtr series = makeRandomSeries(rng, alphabet, seeds, options, &params);
    if (!criteriaStayExact(*series, alphabet, list, params.tmin) ||
        !workbenchSetsComplete(*series, params.tmin, params.tmax))
      continue;
    ++compared;

    ChainsHeader* chains =
        getChainsHeader(window, 4, static_cast<uint16_t>(series->wPulsesCapacity), nullptr);
    const LongTask task = what == Compared::kRecognize ? LongTask::kRecognize : LongTask::kDetect;
    LongAnswer answer;
    std::string error;
    ASSERT_TRUE(solveLongRecording(requestFor(*series, alphabet, list, params.tmin, params.tmax, task),
                                   answer, error))
        << error;
    int64_t result = 0;
    if (what == Compared::kRecognize)
      result = recognizeUnfixedPulses(window, alphabet.pulses, static_cast<uint16_t>(list.size()),
                                      list.data(), params.tmin, params.tmax, 100, chains, series.get());
    else
      result = detectUnfixedPulses(window, alphabet.pulses, static_cast<uint16_t>(list.size()), list.data(),
                                   params.tmin, params.tmax, 100, chains, series.get());
    ASSERT_TRUE(window.messages().empty());
    const std::string where = "case " + std::to_string(c) + " N " + std::to_string(params.seriesSize) +
                              " tmin " + std::to_string(params.tmin) + " tmax " +
                              std::to_string(params.tmax) + " n " + std::to_string(series->wImpulseSize) +
                              " values " + std::to_string(answer.criterion) + " " +
                              std::to_string(chains->distance[0]);
    const bool workbenchFound = what == Compared::kRecognize ? result != 65535 : chains->wPretenders > 0;
    ASSERT_EQ(answer.found, workbenchFound) << where;
    if (answer.found) {
      ASSERT_EQ(answer.positions, restoredPositions(*series)) << where;
      ASSERT_EQ(answer.etalons, restoredEtalons(*series)) << where;
      for (int j = 0; j < series->wRestoredQuantity; ++j) {
        ASSERT_EQ(series->lpRestoredCutBegin[j], 0) << where;
        ASSERT_EQ(series->lpRestoredCutEnd[j], series->wImpulseSize - 1) << where;
      }
      ASSERT_EQ(answer.criterion, chains->distance[0]) << where;
      if (what == Compared::kRecognize) {
        ASSERT_EQ(answer.recognized, result) << where;
      }
    }
    freeChainsHeader(window, chains);
  }
  // The exact range must hold the bulk of the series, or the comparison says little.
  EXPECT_GE(compared, cases * 8 / 10);
}

TEST(LongRecordingDifferentialTest, DetectionEqualsTheWorkbenchSolver) {
  runAgainstWorkbench(Compared::kDetect, scaledCount(1500), 201);
}

TEST(LongRecordingDifferentialTest, JointDetectionEqualsTheWorkbenchSolver) {
  runAgainstWorkbench(Compared::kJoint, scaledCount(1000), 202);
}

TEST(LongRecordingDifferentialTest, RecognitionEqualsTheWorkbenchSolver) {
  runAgainstWorkbench(Compared::kRecognize, scaledCount(1000), 203);
}

std::vector<int32_t> numbersOf(const std::vector<int32_t>& indexes) {
  std::vector<int32_t> v;
  for (int32_t i : indexes) v.push_back(i + 1);
  return v;
}

// The long path's answers without margins on one thread and on two, into answers; each must
// be the literal solver's: found or not, criterion, positions and etalons.
void expectLiteralAnswers(const std::vector<int16_t>& x, const std::vector<std::vector<int16_t>>& etalons,
                          int32_t tmin, int32_t tmax, const ReferenceLongAnswer& expected,
                          const std::string& where, std::vector<LongAnswer>& answers) {
  for (int threads : {1, 2}) {
    LongRequest r = plainRequest(x, etalons, tmin, tmax);
    r.threads = threads;
    r.margins = false;
    LongAnswer& answer = answers.emplace_back();
    std::string error;
    ASSERT_TRUE(solveLongRecording(r, answer, error)) << error;
    const std::string at = where + ", threads " + std::to_string(threads);
    ASSERT_EQ(answer.found, expected.found) << at;
    EXPECT_EQ(answer.criterion, expected.criterion) << at;
    EXPECT_EQ(answer.positions, expected.positions) << at;
    EXPECT_EQ(answer.etalons, numbersOf(expected.etalons)) << at;
  }
}

// Beyond the workbench's 32,767 samples, at full 16-bit amplitude (scores far beyond 32 bits),
// the long path equals the literal solver; one and two threads of the matching step agree.
TEST(LongRecordingReferenceTest, LongRecordingsEqualTheLiteralSolver) {
  std::mt19937 rng(204);
  struct Case {
    int64_t size;
    int n, tmin, tmax, etalons, noise;
  };
  const Case cases[] = {{100000, 20, 40, 181, 1, 9000},
                        {120000, 64, 108, 540, 2, 12000},
                        {100003, 20, 40, 181, 3, 20000},
                        {131076, 9, 9, 9, 1, 3000}};
  for (const Case& k : cases) {
    std::vector<std::vector<int16_t>> etalons{halfSine(k.n, 30000), fullSine(k.n, 25000),
                                              halfSine(k.n, -20000)};
    etalons.resize(static_cast<size_t>(k.etalons));
    const Planted planted = plant(rng, k.size, etalons, k.tmin, k.tmax, k.noise);
    const ReferenceLongAnswer expected = referenceLongDetect(planted.x, etalons, k.tmin, k.tmax, -1);
    ASSERT_TRUE(expected.found);
    std::vector<LongAnswer> answers;
    expectLiteralAnswers(planted.x, etalons, k.tmin, k.tmax, expected, "N " + std::to_string(k.size),
                         answers);
    for (const LongAnswer& answer : answers) EXPECT_GT(std::abs(answer.criterion), int64_t{1} << 32);
  }
}

// The chain is traced back through the values alone: where several predecessors tie (silence,
// a constant, an exact period, samples of one or two steps, identical etalons) the traced
// chain still takes the lowest one, as the literal solver's links do, on one thread and on two
// (whose second walk starts in the middle).
TEST(LongRecordingReferenceTest, TiedPredecessorsTraceAsTheLiteralSolver) {
  std::mt19937 rng(209);
  struct Case {
    int n, tmin, tmax, etalons;
    int shape;  // 0 silence, 1 a constant, 2 an exact period, 3 steps of -1 .. 1, 4 pulses in steps
  };
  const Case cases[] = {{20, 40, 181, 1, 0}, {10, 20, 50, 1, 1}, {20, 40, 181, 2, 2},
                        {12, 13, 40, 1, 3},  {16, 30, 90, 2, 4}, {5, 5, 9, 1, 3}};
  const int64_t size = 140000;  // past eight chunks: two threads walk from the middle too
  for (size_t c = 0; c < std::size(cases); ++c) {
    const Case& k = cases[c];
    // Two identical etalons tie at every start: the earlier one names the pulse.
    std::vector<std::vector<int16_t>> etalons(static_cast<size_t>(k.etalons), halfSine(k.n, 3));
    std::vector<int16_t> x(static_cast<size_t>(size), static_cast<int16_t>(k.shape == 1 ? 2 : 0));
    std::uniform_int_distribution<int> step(-1, 1);
    if (k.shape == 3 || k.shape == 4)
      for (int16_t& v : x) v = static_cast<int16_t>(step(rng));
    if (k.shape == 2 || k.shape == 4)
      for (int64_t p = 0; p + k.n <= size; p += k.shape == 2 ? k.tmax : k.tmin + k.tmin / 2)
        for (int i = 0; i < k.n; ++i) x[static_cast<size_t>(p + i)] = etalons[0][static_cast<size_t>(i)];
    const ReferenceLongAnswer expected = referenceLongDetect(x, etalons, k.tmin, k.tmax, -1);
    std::vector<LongAnswer> answers;
    expectLiteralAnswers(x, etalons, k.tmin, k.tmax, expected, "case " + std::to_string(c), answers);
  }
}

// Whether 32 bits hold a correlation follows the recording's largest sample wherever it lies:
// here only its last pulse is loud, far past what 32 bits hold, behind a million quiet samples
// whose peak two threads take by halves.
TEST(LongRecordingReferenceTest, ALoudPulseAtTheEndIsMatchedInFull) {
  std::mt19937 rng(211);
  std::vector<int16_t> x((size_t{1} << 20) + 5);
  std::uniform_int_distribution<int> quiet(-3, 3);
  for (int16_t& v : x) v = static_cast<int16_t>(quiet(rng));
  std::fill(x.end() - 20, x.end(), int16_t{32767});
  const std::vector<std::vector<int16_t>> etalons{halfSine(20, 30000)};
  const ReferenceLongAnswer expected = referenceLongDetect(x, etalons, 40, 181, -1);
  ASSERT_TRUE(expected.found);
  ASSERT_EQ(expected.positions.back(), static_cast<int64_t>(x.size()) - 20);
  std::vector<LongAnswer> answers;
  expectLiteralAnswers(x, etalons, 40, 181, expected, "a loud end", answers);
}

// A thread keeps its walks' working rows for the next walk: answers after walks of other
// shapes (a wider window, rows too large to keep, breaks) are those of a thread that never
// walked before.
TEST(LongRecordingTest, KeptWorkingRowsLeaveNoTrace) {
  std::mt19937 rng(210);
  const std::vector<std::vector<int16_t>> etalons{halfSine(20, 3000)};
  const Planted small = plant(rng, 60000, etalons, 40, 181, 900);
  const Planted wide = plant(rng, 300000, etalons, 200, 2000, 900);
  const Planted huge = plant(rng, 1300000, etalons, 300000, 600000, 900);
  auto solveSmall = [&](double penalty) {
    LongRequest r = plainRequest(small.x, etalons, 40, 181);
    r.threads = 1;
    r.breakPenalty = penalty;
    LongAnswer answer;
    std::string error;
    EXPECT_TRUE(solveLongRecording(r, answer, error)) << error;
    return answer;
  };
  auto inFreshThread = [&](double penalty) {
    LongAnswer answer;
    std::thread([&] { answer = solveSmall(penalty); }).join();
    return answer;
  };
  for (const Planted* before : {&wide, &huge, &small}) {
    LongRequest r = plainRequest(before->x, etalons,
                                 before == &huge   ? 300000
                                 : before == &wide ? 200
                                                   : 40,
                                 before == &huge   ? 600000
                                 : before == &wide ? 2000
                                                   : 181);
    r.threads = 1;
    r.breakPenalty = before == &small ? 0.5 : kInf;
    LongAnswer answer;
    std::string error;
    ASSERT_TRUE(solveLongRecording(r, answer, error)) << error;
    for (double penalty : {kInf, 0.5}) {
      const LongAnswer after = solveSmall(penalty), fresh = inFreshThread(penalty);
      EXPECT_EQ(after.positions, fresh.positions);
      EXPECT_EQ(after.criterion, fresh.criterion);
      EXPECT_EQ(after.margins, fresh.margins);
    }
  }
}

// An answer solved into again holds the new answer alone, on rows larger, smaller or as large
// as the ones it kept from before, whatever the task before: as a fresh answer would, and
// empty after a refused request.
TEST(LongRecordingTest, AnAnswerSolvedIntoAgainHoldsTheNewAnswerAlone) {
  std::mt19937 rng(211);
  const std::vector<std::vector<int16_t>> pair{halfSine(20, 3000), halfSine(20, -2500)};
  const std::vector<std::vector<int16_t>> one{pair[0]};
  const Planted wide = plant(rng, 400000, pair, 40, 181, 900);
  const Planted sparse = plant(rng, 300000, one, 400, 1800, 900);
  LongRequest joint = plainRequest(wide.x, pair, 40, 181);
  LongRequest recognize = plainRequest(wide.x, pair, 40, 181, LongTask::kRecognize);
  LongRequest single = plainRequest(sparse.x, one, 400, 1800);
  single.breakPenalty = 0.5;
  LongRequest noMargins = joint;
  noMargins.margins = false;
  auto expectSame = [](const LongAnswer& a, const LongAnswer& b, const char* what) {
    EXPECT_EQ(a.positions, b.positions) << what;
    EXPECT_EQ(a.etalons, b.etalons) << what;
    EXPECT_EQ(a.margins, b.margins) << what;
    EXPECT_EQ(a.found, b.found) << what;
    EXPECT_EQ(a.criterion, b.criterion) << what;
    EXPECT_EQ(a.recognized, b.recognized) << what;
    EXPECT_EQ(a.candidateCriteria, b.candidateCriteria) << what;
    EXPECT_EQ(a.candidateFound, b.candidateFound) << what;
  };
  for (const int threads : {1, 2}) {
    LongAnswer kept;
    std::string error;
    const std::pair<const LongRequest*, const char*> order[] = {
        {&joint, "joint"},           {&single, "single after joint"}, {&joint, "joint after single"},
        {&recognize, "recognition"}, {&noMargins, "no margins"},      {&joint, "joint again"}};
    for (const auto& [request, what] : order) {
      LongRequest r = *request;
      r.threads = threads;
      ASSERT_TRUE(solveLongRecording(r, kept, error)) << error;
      LongAnswer fresh;
      ASSERT_TRUE(solveLongRecording(r, fresh, error)) << error;
      ASSERT_FALSE(fresh.positions.empty()) << what;
      expectSame(kept, fresh, what);
    }
    LongRequest refused = joint;
    refused.tmin = 0;
    EXPECT_FALSE(solveLongRecording(refused, kept, error));
    expectSame(kept, LongAnswer{}, "refused");
  }
}

// Two threads give the one thread's answer, margins included: on noisy recordings, where the
// second thread's values from the middle on meet the true ones, and on recordings where they
// may never meet (silence, a constant, an exact period, a stretch of silence across the
// middle), with and without breaks, for detection, joint detection and recognition.
TEST(LongRecordingThreadsTest, TwoThreadsGiveTheOneThreadAnswer) {
  std::mt19937 rng(208);
  struct Case {
    int64_t size;
    int n, tmin, tmax, etalons, noise;
    double penalty;
    int shape;  // 0 planted pulses, 1 silence, 2 a constant, 3 an exact period, 4 silence in the middle
    LongTask task;
  };
  constexpr double kNoBreaks = std::numeric_limits<double>::infinity();
  const Case cases[] = {
      {300000, 20, 40, 181, 1, 900, kNoBreaks, 0, LongTask::kDetect},
      {280000, 20, 40, 181, 1, 900, 0.5, 0, LongTask::kDetect},
      {262200, 16, 30, 90, 3, 2000, kNoBreaks, 0, LongTask::kDetect},
      {270000, 12, 25, 60, 2, 700, 0.0, 0, LongTask::kRecognize},
      {200000, 20, 40, 181, 1, 0, kNoBreaks, 1, LongTask::kDetect},
      {200000, 20, 40, 181, 1, 0, 0.25, 1, LongTask::kDetect},
      {200000, 10, 20, 50, 1, 0, kNoBreaks, 2, LongTask::kDetect},
      {210000, 20, 40, 181, 1, 0, kNoBreaks, 3, LongTask::kDetect},
      {300000, 20, 40, 181, 1, 300, 1.0, 4, LongTask::kDetect},
      {300000, 20, 40, 181, 1, 300, kNoBreaks, 4, LongTask::kDetect},
  };
  for (size_t c = 0; c < std::size(cases); ++c) {
    const Case& k = cases[c];
    std::vector<std::vector<int16_t>> etalons{halfSine(k.n, 3000), fullSine(k.n, 2500), halfSine(k.n, -2000)};
    etalons.resize(static_cast<size_t>(k.etalons));
    Planted planted;
    if (k.shape == 0 || k.shape == 4)
      planted = k.shape == 0 ? plant(rng, k.size, etalons, k.tmin, k.tmax, k.noise)
                             : plant(rng, k.size, etalons, k.tmin, k.tmax, k.noise, k.size / 2 - 5000,
                                     k.size / 2 + 5000);
    else
      planted.x.assign(static_cast<size_t>(k.size), static_cast<int16_t>(k.shape == 2 ? 700 : 0));
    if (k.shape == 3)
      for (int64_t p = 0; p + k.n <= k.size; p += k.tmax)
        for (int i = 0; i < k.n; ++i)
          planted.x[static_cast<size_t>(p + i)] = etalons[0][static_cast<size_t>(i)];
    LongAnswer one;
    std::string error;
    LongRequest r = plainRequest(planted.x, etalons, k.tmin, k.tmax, k.task);
    r.breakPenalty = k.penalty;
    r.threads = 1;
    ASSERT_TRUE(solveLongRecording(r, one, error)) << error;
    // The threads meet at different moments from run to run, and the second one starts
    // where the first one's share ends: as the processors' speeds give it, the least, the
    // middle and the most.
    r.threads = 2;
    const double shares[] = {0, kLeastShare, 0.5, 1 - kLeastShare};
    for (int run = 0; run < 4; ++run) {
      r.firstThreadShare = shares[run];
      LongAnswer two;
      ASSERT_TRUE(solveLongRecording(r, two, error)) << error;
      const std::string where = "case " + std::to_string(c) + ", run " + std::to_string(run);
      ASSERT_EQ(two.found, one.found) << where;
      EXPECT_EQ(two.criterion, one.criterion) << where;
      EXPECT_EQ(two.positions, one.positions) << where;
      EXPECT_EQ(two.etalons, one.etalons) << where;
      EXPECT_EQ(two.margins, one.margins) << where;
      EXPECT_EQ(two.recognized, one.recognized) << where;
      EXPECT_EQ(two.candidateCriteria, one.candidateCriteria) << where;
    }
  }
}

// The request's answers on one thread and on two.
void solveOnOneAndTwo(LongRequest r, LongAnswer& one, LongAnswer& two) {
  std::string error;
  r.threads = 1;
  ASSERT_TRUE(solveLongRecording(r, one, error)) << error;
  r.threads = 2;
  ASSERT_TRUE(solveLongRecording(r, two, error)) << error;
}

// On two threads the margins of the first pulses join the first thread's backward values, up
// to the end of the stretch the threads compare, with the second thread's after it. The first
// pulse stands alone, a break before the second, which starts a train to the end at that end of
// the stretch or a position either side: the best answer without the first pulse starts there.
TEST(LongRecordingThreadsTest, MarginsJoinWhereTheComparedValuesEnd) {
  const int n = 20;
  const int64_t size = 300000, top = size - n;
  const std::vector<std::vector<int16_t>> etalons{halfSine(n, 3000)};
  const int64_t end = comparedEnd(passMiddle(top), top);  // a backward pass position
  std::mt19937 rng(211);
  for (double penalty : {0.0, 0.5}) {
    for (int64_t offset = -2; offset <= 2; ++offset) {
      const int64_t first = top - (end + offset) - 1000;
      std::vector<int16_t> x(static_cast<size_t>(size), 0);
      std::vector<int64_t> planted{first};
      for (int64_t p = first + 1000; p <= top; p += std::uniform_int_distribution<int64_t>(100, 170)(rng))
        planted.push_back(p);
      for (int64_t p : planted)
        for (int i = 0; i < n; ++i)
          x[static_cast<size_t>(p + i)] = static_cast<int16_t>(
              etalons[0][static_cast<size_t>(i)] + std::uniform_int_distribution<int>(-50, 50)(rng));
      LongRequest r = plainRequest(x, etalons, 40, 181, LongTask::kDetect);
      r.breakPenalty = penalty;
      r.firstThreadShare = 0.5;
      LongAnswer one, two;
      ASSERT_NO_FATAL_FAILURE(solveOnOneAndTwo(r, one, two));
      const std::string where = "penalty " + std::to_string(penalty) + ", offset " + std::to_string(offset);
      ASSERT_EQ(one.positions, planted) << where;
      EXPECT_EQ(two.positions, one.positions) << where;
      EXPECT_EQ(two.margins, one.margins) << where;
    }
  }
}

// An answer of more than 32,768 pulses has its rows made on two threads at once: they hold
// what one thread makes, for detection and joint detection, with and without breaks.
TEST(LongRecordingThreadsTest, RowsOfManyPulsesAreTheOneThreadRows) {
  std::mt19937 rng(212);
  const std::vector<std::vector<int16_t>> etalons{halfSine(16, 3000), fullSine(16, 2500)};
  const Planted planted = plant(rng, int64_t{1} << 21, etalons, 40, 60, 600);
  for (const size_t count : {1, 2}) {
    const std::vector<std::vector<int16_t>> used(etalons.begin(),
                                                 etalons.begin() + static_cast<ptrdiff_t>(count));
    for (const double penalty : {kInf, 0.5}) {
      LongRequest r = plainRequest(planted.x, used, 40, 60, LongTask::kDetect);
      r.breakPenalty = penalty;
      LongAnswer one, two;
      ASSERT_NO_FATAL_FAILURE(solveOnOneAndTwo(r, one, two));
      ASSERT_GT(one.positions.size(), 32768u) << count << " etalons, penalty " << penalty;
      EXPECT_EQ(two.positions, one.positions);
      EXPECT_EQ(two.etalons, one.etalons);
      EXPECT_EQ(two.margins, one.margins);
      EXPECT_EQ(one.margins.size(), one.positions.size());
      EXPECT_EQ(one.etalons.size(), one.positions.size());
    }
  }
}

// With breaks the long path equals the literal solver on small series with all kinds of
// penalties; a finite penalty larger than any chain gives the answer without breaks.
TEST(LongRecordingBreaksTest, BreaksEqualTheLiteralSolver) {
  std::mt19937 rng(205);
  for (int trial = 0; trial < scaledCount(300); ++trial) {
    const int n = std::uniform_int_distribution<int>(3, 12)(rng);
    const int tmin = std::uniform_int_distribution<int>(n, n + 20)(rng);
    const int tmax = tmin + std::uniform_int_distribution<int>(0, 40)(rng);
    const int64_t size = std::uniform_int_distribution<int64_t>(n, 700)(rng);
    std::vector<std::vector<int16_t>> etalons{halfSine(n, 200), fullSine(n, 150)};
    etalons.resize(static_cast<size_t>(1 + trial % 2));
    const int64_t quietFrom = std::uniform_int_distribution<int64_t>(0, size)(rng);
    const Planted planted =
        plant(rng, size, etalons, tmin, tmax, 60 + trial % 5 * 40, quietFrom, quietFrom + 3 * tmax);
    const double penalties[] = {0.0, 0.25, 1.0, 3.0};
    const double penalty = penalties[trial % 4];
    LongRequest r = plainRequest(planted.x, etalons, tmin, tmax);
    r.breakPenalty = penalty;
    r.margins = false;
    LongAnswer answer;
    std::string error;
    ASSERT_TRUE(solveLongRecording(r, answer, error)) << error;
    int64_t energy = 0;
    for (const auto& e : etalons) {
      int64_t s = 0;
      for (int16_t v : e) s += int64_t{v} * v;
      energy = std::max(energy, s);
    }
    const auto cost = static_cast<int64_t>(std::ceil(penalty * static_cast<double>(energy)));
    const ReferenceLongAnswer expected = referenceLongDetect(planted.x, etalons, tmin, tmax, cost);
    ASSERT_TRUE(answer.found);
    ASSERT_EQ(answer.criterion, expected.criterion) << "trial " << trial;
    ASSERT_EQ(answer.positions, expected.positions) << "trial " << trial;
    ASSERT_EQ(answer.etalons, numbersOf(expected.etalons)) << "trial " << trial;
    for (size_t k = 1; k < answer.positions.size(); ++k)
      ASSERT_GE(answer.positions[k] - answer.positions[k - 1], tmin);
  }
}

// A silent stretch longer than tmax is answered without pulses once breaks are allowed, and a
// recording without any pulse gives an empty answer with penalty 0; without breaks the chain
// must bridge the stretch with pulses that are not there.
TEST(LongRecordingBreaksTest, SilenceIsAnsweredWithoutPulses) {
  std::mt19937 rng(206);
  const std::vector<std::vector<int16_t>> etalons{halfSine(20, 1000)};
  const Planted planted = plant(rng, 20000, etalons, 40, 181, 40, 8000, 12000);
  LongRequest r = plainRequest(planted.x, etalons, 40, 181);
  r.breakPenalty = 0;
  LongAnswer answer;
  std::string error;
  ASSERT_TRUE(solveLongRecording(r, answer, error)) << error;
  EXPECT_EQ(answer.positions, planted.origins);
  for (int64_t p : answer.positions) EXPECT_TRUE(p + 20 <= 8000 || p > 12000) << p;

  LongRequest strict = plainRequest(planted.x, etalons, 40, 181);
  LongAnswer bridged;
  ASSERT_TRUE(solveLongRecording(strict, bridged, error)) << error;
  int inside = 0;
  for (int64_t p : bridged.positions) inside += p > 8000 && p + 20 < 12000;
  EXPECT_GE(inside, 4000 / 181);

  const std::vector<int16_t> silent(50000, 0);
  LongRequest none = plainRequest(silent, etalons, 40, 181);
  none.breakPenalty = 0;
  LongAnswer empty;
  ASSERT_TRUE(solveLongRecording(none, empty, error)) << error;
  EXPECT_TRUE(empty.found);
  EXPECT_TRUE(empty.positions.empty());
  EXPECT_EQ(empty.criterion, 0);
  EXPECT_TRUE(empty.margins.empty());
}

// Margins: the literal value (the best answer with the zone around the pulse forbidden) on
// small series, with and without breaks; a pulse with a twin of equal fit has margin 0, a clear
// pulse a large one.
TEST(LongRecordingMarginsTest, MarginsEqualTheLiteralForbiddenZoneAnswer) {
  std::mt19937 rng(207);
  for (int trial = 0; trial < scaledCount(120); ++trial) {
    const int n = std::uniform_int_distribution<int>(4, 12)(rng);
    const int tmin = std::uniform_int_distribution<int>(n, n + 15)(rng);
    const int tmax = tmin + std::uniform_int_distribution<int>(0, 50)(rng);
    const int64_t size = std::uniform_int_distribution<int64_t>(2 * tmax, 600)(rng);
    const std::vector<std::vector<int16_t>> etalons{halfSine(n, 300)};
    const Planted planted = plant(rng, size, etalons, tmin, tmax, 80 + trial % 3 * 80);
    LongRequest r = plainRequest(planted.x, etalons, tmin, tmax);
    const bool breaks = trial % 2 == 1;
    if (breaks) r.breakPenalty = 0.5;
    LongAnswer answer;
    std::string error;
    ASSERT_TRUE(solveLongRecording(r, answer, error)) << error;
    if (!answer.found) continue;
    ASSERT_EQ(answer.margins.size(), answer.positions.size());
    int64_t energy = 0;
    for (int16_t v : etalons[0]) energy += int64_t{v} * v;
    const int64_t cost = breaks ? static_cast<int64_t>(std::ceil(0.5 * static_cast<double>(energy))) : -1;
    for (size_t k = 0; k < answer.positions.size(); ++k) {
      const int64_t p = answer.positions[k];
      const ReferenceLongAnswer avoiding =
          referenceLongDetect(planted.x, etalons, tmin, tmax, cost, p - n / 2, p + n / 2);
      const double expected = avoiding.found ? static_cast<double>(avoiding.criterion - answer.criterion) /
                                                   static_cast<double>(energy)
                                             : kInf;
      ASSERT_EQ(answer.margins[k], expected) << "trial " << trial << " pulse " << k;
    }
  }
}

TEST(LongRecordingMarginsTest, TwinHasNoMarginAndAClearPulseALargeOne) {
  const std::vector<int16_t> e = halfSine(10, 1000);
  std::vector<int16_t> x(400, 0);
  // A clear pulse at 50; at 200 two equally good places, 200 and 230 (both admissible).
  for (int i = 0; i < 10; ++i) {
    x[static_cast<size_t>(50 + i)] = e[static_cast<size_t>(i)];
    x[static_cast<size_t>(200 + i)] = e[static_cast<size_t>(i)];
    x[static_cast<size_t>(230 + i)] = e[static_cast<size_t>(i)];
  }
  const std::vector<std::vector<int16_t>> etalons{e};
  LongRequest r = plainRequest(x, etalons, 20, 400);
  r.breakPenalty = 0;
  LongAnswer answer;
  std::string error;
  ASSERT_TRUE(solveLongRecording(r, answer, error)) << error;
  ASSERT_EQ(answer.positions, (std::vector<int64_t>{50, 200, 230}));
  EXPECT_NEAR(answer.margins[0], 1.0, 1e-9);  // without it the answer loses exactly one energy
  // Dropping either twin costs one energy too, but an answer without the pulse at 200 can
  // still take 230; with Tmin 20 both twins fit, so each twin is clear here as well.
  EXPECT_NEAR(answer.margins[1], 1.0, 1e-9);

  // With Tmin 40 only one twin fits: dropping the one taken costs nothing.
  LongRequest one = plainRequest(x, etalons, 40, 400);
  one.breakPenalty = 0;
  ASSERT_TRUE(solveLongRecording(one, answer, error)) << error;
  ASSERT_EQ(answer.positions, (std::vector<int64_t>{50, 200}));
  EXPECT_NEAR(answer.margins[0], 1.0, 1e-9);
  EXPECT_EQ(answer.margins[1], 0.0);
}

// Requests the path cannot run name the limit and what to do.
TEST(LongRecordingTest, RefusalsNameTheLimit) {
  const std::vector<int16_t> x(100, 5);
  const std::vector<std::vector<int16_t>> e{halfSine(20, 100)};
  const std::vector<std::vector<int16_t>> tooLong{std::vector<int16_t>(101, 1)};
  std::string error;
  LongAnswer answer;
  LongRequest r = plainRequest(x, e, 0, 50);
  EXPECT_FALSE(solveLongRecording(r, answer, error));
  EXPECT_NE(error.find("Tmin"), std::string::npos);
  r = plainRequest(x, e, 40, 30);
  EXPECT_FALSE(solveLongRecording(r, answer, error));
  EXPECT_NE(error.find("Tmax"), std::string::npos);
  r = plainRequest(x, tooLong, 40, 130);
  EXPECT_FALSE(solveLongRecording(r, answer, error));
  EXPECT_NE(error.find("longer than the recording"), std::string::npos);
  r = plainRequest(x, e, 40, 50);
  r.breakPenalty = -1;
  EXPECT_FALSE(solveLongRecording(r, answer, error));
  EXPECT_NE(error.find("break penalty"), std::string::npos);
  r = plainRequest(x, e, 40, 50);
  r.size = int64_t{1} << 31;
  EXPECT_FALSE(solveLongRecording(r, answer, error));
  EXPECT_NE(error.find("2,147,483,647"), std::string::npos);
  // A message box through the sink.
  HeadlessWindow window;
  r = plainRequest(x, e, 0, 50);
  EXPECT_FALSE(solveLongRecording(window, r, answer));
  ASSERT_EQ(window.messages().size(), 1u);
}

}  // namespace
