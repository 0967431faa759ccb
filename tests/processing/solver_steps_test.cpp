// The tuple solvers report every subset (every phase of a tuple detection) to the window and
// stop when it says so; the reports change no result.
#include <gtest/gtest.h>

#include <cstdint>
#include <stdexcept>
#include <string>
#include <tuple>
#include <vector>

#include "platform/headless_window.h"
#include "processing/chains_header.h"
#include "processing/fixed_tuples.h"
#include "processing/unfixed_tuples.h"
#include "signal/series_header.h"
#include "signal/series_maker.h"
#include "tests/support/series_factory.h"

namespace {

using Step = std::tuple<std::string, uint64_t, uint64_t>;

// A window that records the steps and answers false from step `stopAt` (1-based) on.
class StepWindow : public HeadlessWindow {
 public:
  uint64_t stopAt = UINT64_MAX;
  std::vector<Step> steps;
  bool keepGoing(const char* unit, uint64_t done, uint64_t total) override {
    steps.emplace_back(unit, done, total);
    return steps.size() < stopAt;
  }
};

// A noiseless series of q pulses made from the tuple, starting at the given phase.
struct Made {
  TestAlphabet alphabet{20, 20, 128};
  RandomSeeds seeds;
  SeriesPtr series;
  Made(const std::vector<int32_t>& tuple, int32_t phase, uint16_t q) {
    HeadlessWindow w;
    std::vector<uint16_t> seq(q);
    for (int32_t k = 0; k < q; ++k) seq[k] = static_cast<uint16_t>(tuple[(phase + k) % tuple.size()]);
    series.reset(
        getCutOffSeries(w, 20, alphabet.pulses, 20, 40, 181, 1200, q, seq.data(), 128, 100, nullptr, seeds));
    if (!series) throw std::runtime_error("series refused");
  }
};

// What a solver wrote: its answer in the series and its ranked chains.
struct Answer {
  int32_t returned = 0;
  std::vector<int16_t> positions;
  std::vector<int16_t> etalons;
  int16_t subset = 0;
  std::vector<int32_t> distances;
  bool operator==(const Answer&) const = default;
};

const std::vector<int32_t> kA{5, 9}, kB{3, 7, 12}, kC{3, 12, 7};
const int32_t kSizes[] = {2, 3, 3};
const int32_t* const kRows[] = {kA.data(), kB.data(), kC.data()};

enum class Solver { kDetectFixed, kDetectUnfixed, kRecognizeFixed, kRecognizeUnfixed };

Answer solve(Window& w, Solver solver, uint16_t proceeding) {
  Made m(kB, 1, 15);
  SeriesHeader& s = *m.series;
  s.wRestoredQuantity = 321;  // a value no run writes: shows whether the answer was written
  s.wRecognizedSubset = -5;
  HeadlessWindow own;
  ChainsHeader* chains = getChainsHeader(own, 10, s.wMaxPulses, nullptr);
  int32_t verbose = 0;
  Answer a;
  switch (solver) {
    case Solver::kDetectFixed:
      a.returned =
          detectFixedTuples(w, m.alphabet.pulses, 3, kB.data(), proceeding, 40, 181, 100, chains, &s);
      break;
    case Solver::kDetectUnfixed:
      a.returned = detectUnfixedTuples(w, m.alphabet.pulses, 3, kB.data(), proceeding, 40, 181, 100, chains,
                                       &s, verbose);
      break;
    case Solver::kRecognizeFixed:
      a.returned =
          recognizeFixedTuples(w, m.alphabet.pulses, kSizes, kRows, 3, proceeding, 40, 181, 100, chains, &s);
      break;
    case Solver::kRecognizeUnfixed:
      a.returned = recognizeUnfixedTuples(w, m.alphabet.pulses, kSizes, kRows, 3, proceeding, 40, 181, 100,
                                          chains, &s, verbose);
      break;
  }
  const uint16_t written = s.wRestoredQuantity == 321 ? 0 : s.wRestoredQuantity;
  a.positions.assign(s.lpRestoredPositions, s.lpRestoredPositions + written);
  a.etalons.assign(s.lpRestoredEtalons, s.lpRestoredEtalons + written);
  a.subset = s.wRecognizedSubset;
  if (s.wRestoredQuantity == 321) a.positions.push_back(321);
  for (uint16_t i = 0; i < chains->wPretenders; ++i) a.distances.push_back(chains->distance[i]);
  freeChainsHeader(own, chains);
  return a;
}

TEST(SolverSteps, EverySubsetOrPhaseIsReportedAndTheAnswerIsTheSame) {
  const struct {
    Solver solver;
    uint16_t proceeding;
    std::vector<Step> steps;
  } cases[] = {
      {Solver::kDetectFixed, 2, {{"phases", 1, 3}, {"phases", 2, 3}, {"phases", 3, 3}}},
      {Solver::kDetectFixed, 1, {{"phases", 1, 1}}},
      {Solver::kDetectUnfixed, 1, {{"subsets", 1, 1}}},
      {Solver::kRecognizeFixed, 2, {{"subsets", 1, 3}, {"subsets", 2, 3}, {"subsets", 3, 3}}},
      {Solver::kRecognizeUnfixed, 1, {{"subsets", 1, 3}, {"subsets", 2, 3}, {"subsets", 3, 3}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.solver));
    HeadlessWindow plain;
    StepWindow watched;
    const Answer expected = solve(plain, c.solver, c.proceeding);
    ASSERT_NE(expected.returned, 0);
    ASSERT_NE(expected.positions, std::vector<int16_t>{321});
    EXPECT_EQ(solve(watched, c.solver, c.proceeding), expected);
    EXPECT_EQ(watched.steps, c.steps);
    EXPECT_TRUE(watched.messages().empty());
  }
}

TEST(SolverSteps, AStopEndsTheRunWithoutWritingTheAnswer) {
  for (const Solver solver :
       {Solver::kDetectFixed, Solver::kRecognizeFixed, Solver::kRecognizeUnfixed, Solver::kDetectUnfixed}) {
    SCOPED_TRACE(static_cast<int>(solver));
    StepWindow stopping;
    stopping.stopAt = 1;
    const Answer stopped = solve(stopping, solver, 2);
    EXPECT_EQ(stopped.returned, 0);
    EXPECT_EQ(stopped.positions, std::vector<int16_t>{321});  // nothing written into the series
    EXPECT_EQ(stopped.subset, -5);
    EXPECT_EQ(stopping.steps.size(), 1u);
    EXPECT_TRUE(stopping.messages().empty());
  }
}

}  // namespace
