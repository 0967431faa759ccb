// Detection of a known number of pulses on the long path: the known-number solvers' chain search
// with 64-bit criteria. It equals the workbench's solver on every series both accept whose
// 32-bit sums stay exact, and the literal reference beyond 32,767 samples at full amplitude.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "platform/headless_window.h"
#include "processing/chains_header.h"
#include "processing/fixed_detection.h"
#include "processing/long_recording.h"
#include "signal/series_header.h"
#include "tests/support/made_recordings.h"
#include "tests/support/reference_long.h"
#include "tests/support/series_factory.h"
#include "tests/support/test_scale.h"

namespace {

// Whether every sum of the workbench's 32-bit search stays exact: q pulses of the largest score
// magnitude, on top of the starting value a window without a predecessor gives.
bool sumsStayExact(const SeriesHeader& s, const TestAlphabet& alphabet, const std::vector<uint16_t>& list) {
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
  return int64_t{s.wImpulseQuantity} * largest < 100000000;
}

void compareWithWorkbench(bool joint, int cases, unsigned seed) {
  std::mt19937 rng(seed);
  TestAlphabet alphabet20(20, 20, 24);
  TestAlphabet alphabet9(20, 9, 40);
  RandomSeeds seeds = randomSeeds(rng);
  HeadlessWindow window;
  int compared = 0, found = 0;
  for (int c = 0; c < cases; ++c) {
    TestAlphabet& alphabet = c % 5 == 4 ? alphabet9 : alphabet20;
    std::vector<uint16_t> list;
    for (int i = 0, count = joint ? 1 + c % 4 : 1; i < count; ++i)
      list.push_back(static_cast<uint16_t>(std::uniform_int_distribution<int>(1, 20)(rng)));
    RandomSeriesOptions options;
    options.seriesType = 1;
    options.required = list;
    options.noiseLevel =
        static_cast<int16_t>(c % 7 == 0 ? 0 : std::uniform_int_distribution<int>(1, 12)(rng));
    options.maxSeriesSize = c % 10 == 0 ? 2400 : (c % 3 == 0 ? 90 : 400);
    RandomSeriesParams params;
    SeriesPtr series = makeRandomSeries(rng, alphabet, seeds, options, &params);
    if (series->wImpulseQuantity == 0 || !sumsStayExact(*series, alphabet, list)) continue;
    ++compared;

    LongRequest r;
    r.samples = series->lpNoisyData;
    r.size = series->dwSeriesSize;
    for (uint16_t number : list) {
      r.etalons.push_back(alphabet.pulses[number - 1].lpData);
      r.etalonNumbers.push_back(number);
    }
    r.n = series->wImpulseSize;
    r.tmin = params.tmin;
    r.tmax = params.tmax;
    r.pulses = series->wImpulseQuantity;
    r.margins = false;
    LongAnswer answer;
    std::string error;
    ASSERT_TRUE(solveLongRecording(r, answer, error)) << error;

    ChainsHeader* chains =
        getChainsHeader(window, 4, static_cast<uint16_t>(series->wPulsesCapacity), nullptr);
    ASSERT_EQ(detectFixedPulses(window, alphabet.pulses, static_cast<uint16_t>(list.size()), list.data(),
                                params.tmin, params.tmax, 100, chains, series.get()),
              1);
    ASSERT_TRUE(window.messages().empty());
    const std::string where = "case " + std::to_string(c) + " N " + std::to_string(params.seriesSize) +
                              " q " + std::to_string(series->wImpulseQuantity) + " tmin " +
                              std::to_string(params.tmin) + " tmax " + std::to_string(params.tmax) + " n " +
                              std::to_string(series->wImpulseSize);
    ASSERT_EQ(answer.found, series->wRestoredQuantity > 0) << where;
    if (!answer.found) {
      EXPECT_TRUE(answer.positions.empty());
      freeChainsHeader(window, chains);
      continue;
    }
    ++found;
    ASSERT_EQ(answer.positions, std::vector<int64_t>(series->lpRestoredPositions,
                                                     series->lpRestoredPositions + series->wRestoredQuantity))
        << where;
    ASSERT_EQ(answer.etalons, std::vector<int32_t>(series->lpRestoredEtalons,
                                                   series->lpRestoredEtalons + series->wRestoredQuantity))
        << where;
    ASSERT_EQ(answer.criterion, chains->distance[0]) << where;
    EXPECT_TRUE(answer.margins.empty());
    freeChainsHeader(window, chains);
  }
  EXPECT_GE(compared, cases * 8 / 10);
  EXPECT_GE(found, compared * 8 / 10);
}

TEST(LongKnownNumberDifferentialTest, DetectionEqualsTheWorkbenchSolver) {
  compareWithWorkbench(false, scaledCount(1500), 301);
}

TEST(LongKnownNumberDifferentialTest, JointDetectionEqualsTheWorkbenchSolver) {
  compareWithWorkbench(true, scaledCount(1000), 302);
}

// Beyond 32,767 samples at full amplitude (scores far beyond 32 bits), with one and with three
// etalons, narrow and wide distances, and q at the ends of its admissible range: the long path
// equals the literal reference, with one and two threads of the matching step.
TEST(LongKnownNumberReferenceTest, LongRecordingsEqualTheLiteralSolver) {
  std::mt19937 rng(303);
  struct Case {
    int64_t size;
    int n, tmin, tmax, etalons, noise;
    int64_t pulses;  // 0: a random count of the admissible range
  };
  const Case cases[] = {{40000, 20, 1000, 1100, 1, 9000, 0},
                        {33001, 16, 600, 800, 3, 15000, 0},
                        {36000, 24, 900, 900, 2, 4000, 39},  // tmin = tmax: ranges of one start
                        {34000, 20, 1500, 2400, 1, 20000, 15}};
  for (const Case& k : cases) {
    std::vector<std::vector<int16_t>> etalons{halfSine(k.n, 30000), halfSine(k.n, -25000),
                                              halfSine(k.n, 12000)};
    etalons.resize(static_cast<size_t>(k.etalons));
    std::vector<int16_t> x(static_cast<size_t>(k.size));
    std::normal_distribution<double> g(0.0, k.noise);
    for (int16_t& v : x) v = static_cast<int16_t>(std::lround(std::clamp(g(rng), -32767.0, 32767.0)));
    const int64_t fewest = std::max<int64_t>(1, (k.size + k.n - 1) / k.tmax),
                  most = (k.size - k.n + k.tmin) / k.tmin;
    const int64_t q = k.pulses > 0 ? k.pulses : std::uniform_int_distribution<int64_t>(fewest, most)(rng);
    // Plant q pulses at admissible starts: pulse j at its range's low end plus a step.
    for (int64_t j = 0, p = std::max<int64_t>(0, k.size - int64_t{k.tmax} * q); j < q; ++j, p += k.tmin) {
      const auto& e = etalons[static_cast<size_t>(j) % etalons.size()];
      for (int i = 0; i < k.n && p + i < k.size; ++i)
        x[static_cast<size_t>(p + i)] = static_cast<int16_t>(
            std::clamp<int>(x[static_cast<size_t>(p + i)] + e[static_cast<size_t>(i)], -32767, 32767));
    }
    const ReferenceLongAnswer expected = referenceLongKnownDetect(x, etalons, q, k.tmin, k.tmax);
    for (int threads : {1, 2}) {
      LongRequest r = plainRequest(x, etalons, k.tmin, k.tmax);
      r.pulses = q;
      r.threads = threads;
      LongAnswer answer;
      std::string error;
      ASSERT_TRUE(solveLongRecording(r, answer, error)) << error;
      const std::string where = "N " + std::to_string(k.size) + " q " + std::to_string(q);
      ASSERT_EQ(answer.found, expected.found) << where;
      if (!expected.found) continue;
      EXPECT_EQ(answer.criterion, expected.criterion) << where;
      EXPECT_EQ(answer.positions, expected.positions) << where;
      std::vector<int32_t> numbers;
      for (int32_t t : expected.etalons) numbers.push_back(t + 1);
      EXPECT_EQ(answer.etalons, numbers) << where;
      EXPECT_GT(std::abs(answer.criterion), int64_t{1} << 32) << where;
      EXPECT_EQ(static_cast<int64_t>(answer.positions.size()), q);
    }
  }
}

// What cannot be answered is refused naming the limit: too many pulses for the length, a
// known number with breaks or recognition, and work beyond the values kept.
TEST(LongKnownNumberTest, RefusalsNameTheLimit) {
  std::vector<int16_t> x(100000, 0);
  const std::vector<std::vector<int16_t>> etalons{halfSine(20, 1000)};
  LongRequest r = plainRequest(x, etalons, 40, 181);
  r.pulses = 2500;
  EXPECT_EQ(longRequestProblem(r), "");
  // The most pulses leave each 21 starts: 40 j .. 40 j + 20.
  EXPECT_EQ(longKnownNumberValues(r.size, r.n, r.tmin, r.tmax, 2500), 2500u * 21u);
  // One pulse must start within Tmax of both ends: none can.
  EXPECT_EQ(longKnownNumberValues(r.size, r.n, r.tmin, r.tmax, 1), 0u);
  r.pulses = 2501;
  EXPECT_EQ(longRequestProblem(r),
            "2501 pulses of 20 samples do not fit into 100000 samples with Tmin 40: at most 2500");
  r.pulses = 1500;
  r.breakPenalty = 2;
  EXPECT_EQ(longRequestProblem(r), "breaks apply to an unknown number of pulses only");
  r.breakPenalty = INFINITY;
  r.task = LongTask::kRecognize;
  EXPECT_EQ(longRequestProblem(r), "a known number of pulses is answered for detection only");
  r.task = LongTask::kDetect;
  x.resize(2000000);
  r.samples = x.data();
  r.size = static_cast<int64_t>(x.size());
  r.pulses = 20000;
  const std::string problem = longRequestProblem(r);
  EXPECT_NE(problem.find("more than the 134,217,728 it keeps"), std::string::npos) << problem;
  EXPECT_GT(longKnownNumberValues(r.size, r.n, r.tmin, r.tmax, r.pulses), kMaxLongKnownValues);
  LongAnswer answer;
  std::string error;
  EXPECT_FALSE(solveLongRecording(r, answer, error));
  EXPECT_EQ(error, problem);
}

}  // namespace
