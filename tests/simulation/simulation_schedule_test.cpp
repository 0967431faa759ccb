// The driver with stand-in solvers: which series each trial gets, what is measured, how a run
// ends early.
#include <gtest/gtest.h>

#include <mutex>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "processing/chains_header.h"
#include "signal/random_source.h"
#include "signal/selected_subsets.h"
#include "signal/series_maker.h"
#include "tests/simulation/simulation_fixture.h"

namespace {

// What a stand-in solver saw of one trial.
struct Seen {
  std::vector<int16_t> etalons;  // the series' etalon numbers
  std::vector<uint16_t> list;    // the etalon list the solver was given
  std::vector<int16_t> subset;   // the series' current subset
};

enum class Answer { kTruth, kNothing, kLateByOne, kFailure };

struct Stand {
  std::mutex mutex;
  std::vector<Seen> seen;
  Answer answer = Answer::kTruth;
  uint16_t seeking = 0;    // wSeekingPulsesQuantity reported with kLateByOne
  int32_t recognized = 1;  // the subset a recogniser reports
};
Stand stand;

void answer(const uint16_t* list, uint16_t listSize, ChainsHeader* chains, SeriesHeader* s) {
  Seen seen;
  seen.etalons.assign(s->lpEtalonNumbers, s->lpEtalonNumbers + s->wImpulseQuantity);
  if (list != nullptr) seen.list.assign(list, list + listSize);
  seen.subset.assign(s->lpSubset, s->lpSubset + s->wSubsetSize);
  {
    std::lock_guard<std::mutex> lock(stand.mutex);
    stand.seen.push_back(std::move(seen));
  }
  const uint16_t q = s->wImpulseQuantity;
  s->wRestoredQuantity = stand.answer == Answer::kNothing ? 0 : q;
  chains->wSeekingPulsesQuantity = stand.answer == Answer::kLateByOne ? stand.seeking : s->wRestoredQuantity;
  for (uint16_t m = 0; m < q; ++m) {
    s->lpRestoredPositions[m] =
        static_cast<int16_t>(s->lpPositions[m] + (stand.answer == Answer::kLateByOne));
    s->lpRestoredEtalons[m] = s->lpEtalonNumbers[m];
    s->lpRestoredCutBegin[m] = s->lpCutBegin[m];
    s->lpRestoredCutEnd[m] = s->lpCutEnd[m];
  }
}

int pulses(MessageSink& w, const PulseHeader*, uint16_t n, const uint16_t* list, uint16_t, uint16_t, uint16_t,
           ChainsHeader* c, SeriesHeader* s) {
  if (stand.answer == Answer::kFailure) {
    w.messageBox("Нет памяти для ppDw!", "", kMbOk);
    return 0;
  }
  answer(list, n, c, s);
  return 1;
}
int32_t recognizePulses(MessageSink& w, const PulseHeader* a, uint16_t n, const uint16_t* list, uint16_t t1,
                        uint16_t t2, uint16_t l, ChainsHeader* c, SeriesHeader* s) {
  return pulses(w, a, n, list, t1, t2, l, c, s);
}
uint16_t recognizeUnfixed(MessageSink& w, const PulseHeader* a, uint16_t n, const uint16_t* list, uint16_t t1,
                          uint16_t t2, uint16_t l, ChainsHeader* c, SeriesHeader* s) {
  return static_cast<uint16_t>(pulses(w, a, n, list, t1, t2, l, c, s));
}
int tuples(MessageSink&, const PulseHeader*, int32_t, const int32_t*, uint16_t, uint16_t, uint16_t, uint16_t,
           ChainsHeader* c, SeriesHeader* s) {
  answer(nullptr, 0, c, s);
  return 1;
}
int tuplesVerbose(MessageSink& w, const PulseHeader* a, int32_t k, const int32_t* t, uint16_t p, uint16_t t1,
                  uint16_t t2, uint16_t l, ChainsHeader* c, SeriesHeader* s, int32_t&) {
  return tuples(w, a, k, t, p, t1, t2, l, c, s);
}
int32_t recognizeTuples(MessageSink&, const PulseHeader*, const int32_t*, const int32_t* const*, int32_t,
                        uint16_t, uint16_t, uint16_t, uint16_t, ChainsHeader* c, SeriesHeader* s) {
  answer(nullptr, 0, c, s);
  return stand.recognized;
}
int32_t recognizeTuplesVerbose(MessageSink& w, const PulseHeader* a, const int32_t* sizes,
                               const int32_t* const* rows, int32_t count, uint16_t p, uint16_t t1,
                               uint16_t t2, uint16_t l, ChainsHeader* c, SeriesHeader* s, int32_t&) {
  return recognizeTuples(w, a, sizes, rows, count, p, t1, t2, l, c, s);
}

const SimulationSolvers standIns = [] {
  SimulationSolvers s;
  s.detectFixedPulses = &pulses;
  s.detectUnfixedPulses = &pulses;
  s.recognizeFixedPulses = &recognizePulses;
  s.recognizeUnfixedPulses = &recognizeUnfixed;
  s.detectFixedTuples = &tuples;
  s.detectUnfixedTuples = &tuplesVerbose;
  s.recognizeFixedTuples = &recognizeTuples;
  s.recognizeUnfixedTuples = &recognizeTuplesVerbose;
  return s;
}();

// A series of 200 samples (1 to 5 pulses) or 1200 samples with Tmin 38 (6 to 32 pulses).
struct Schedule : ::testing::Test {
  void SetUp() override {
    stand.seen.clear();
    stand.answer = Answer::kTruth;
    stand.seeking = 0;
    stand.recognized = 1;
  }
  static void useStandIns(SimulationRig& rig) { rig.settings.solvers = &standIns; }
  static std::vector<int16_t> firstEtalons() {
    std::vector<int16_t> e;
    for (const Seen& s : stand.seen) e.push_back(s.etalons.at(0));
    return e;
  }
};

TEST_F(Schedule, DetectionUsesTheFirstRequiredEtalonAndLiftsTheSubsetForTheRun) {
  SimulationRig rig(200, 40, 181);
  useStandIns(rig);
  rig.required = {5, 3};
  const int32_t subset[] = {2, 2};
  setSubset(rig.window, subset, 2, kSubsetComplete, 1, rig.series);
  ASSERT_TRUE(rig.grid(2, 1, 2, 0, 10, 2, 3));
  ASSERT_EQ(rig.run(1, 1), 1);
  ASSERT_EQ(stand.seen.size(), 12u);
  for (const Seen& s : stand.seen) {
    for (int16_t e : s.etalons) EXPECT_EQ(e, 5);
    EXPECT_EQ(s.list, (std::vector<uint16_t>{5, 3}));  // the known-number detector gets the list itself
    EXPECT_TRUE(s.subset.empty());
  }
  EXPECT_EQ(rig.series->wSubsetSize, 2);
  EXPECT_EQ(rig.errors->ifComplete, 1);
  EXPECT_GT(rig.times.simulationStartTime, 0);
  EXPECT_GE(rig.times.simulationEndTime, rig.times.simulationStartTime);
  EXPECT_EQ(rig.table(rig.errors->lpErrors), std::vector<int32_t>(4, 0));
  EXPECT_EQ(rig.table(rig.errors->lpFragmentErrors), std::vector<int32_t>(4, 0));
  EXPECT_TRUE(rig.window.messages().empty());
}

TEST_F(Schedule, RecognitionRunsThroughTheRequiredListInBlocks) {
  SimulationRig rig(200, 40, 181);
  useStandIns(rig);
  rig.required = {3, 5, 7};
  ASSERT_TRUE(rig.grid(3, 1, 1, 20, 0, 1, 100));
  ASSERT_EQ(rig.run(1, 2), 1);
  ASSERT_EQ(stand.seen.size(), 100u);
  std::vector<int16_t> expected(100, 3);
  std::fill(expected.begin() + 33, expected.begin() + 66, 5);
  std::fill(expected.begin() + 66, expected.begin() + 99, 7);
  EXPECT_EQ(firstEtalons(), expected);
  for (const Seen& s : stand.seen) {
    EXPECT_EQ(s.etalons, std::vector<int16_t>(3, s.etalons[0]));
    // The recogniser gets the working sequence, n entries of it.
    EXPECT_EQ(s.list, std::vector<uint16_t>(3, static_cast<uint16_t>(s.etalons[0])));
  }
}

TEST_F(Schedule, JointDetectionUsesEveryCombinationInOdometerOrder) {
  SimulationRig rig(200, 40, 181);
  useStandIns(rig);
  rig.required = {4, 9};
  ASSERT_TRUE(rig.grid(3, 1, 1, 0, 0, 1, 64));  // D = 64 x 3 >> 3 = 24: a change every 8 trials
  ASSERT_EQ(rig.run(1, 4), 1);
  ASSERT_EQ(stand.seen.size(), 64u);
  std::set<std::vector<int16_t>> combinations;
  for (size_t l = 0; l < 64; ++l) {
    const size_t block = l / 8;
    const std::vector<int16_t> expected = {static_cast<int16_t>(block & 1 ? 9 : 4),
                                           static_cast<int16_t>(block & 2 ? 9 : 4),
                                           static_cast<int16_t>(block & 4 ? 9 : 4)};
    EXPECT_EQ(stand.seen[l].etalons, expected) << "trial " << l;
    combinations.insert(stand.seen[l].etalons);
  }
  EXPECT_EQ(combinations.size(), 8u);
}

TEST_F(Schedule, ThirtyOneOrMorePulsesChangeTheCombinationAtEveryTrial) {
  EXPECT_EQ(combinationStep(100, 3), 37);
  EXPECT_EQ(combinationStep(100, 20), 0);
  EXPECT_EQ(combinationStep(65535, 14), 55);
  EXPECT_EQ(combinationStep(65535, 31), 0);
  EXPECT_EQ(combinationStep(65535, 40), 0);

  SimulationRig rig(1200, 38, 181);
  useStandIns(rig);
  rig.required = {1, 2};
  ASSERT_TRUE(rig.grid(31, 1, 1, 0, 0, 1, 4));
  ASSERT_EQ(rig.run(1, 4), 1);
  ASSERT_EQ(stand.seen.size(), 4u);
  const int16_t firstThree[4][3] = {{2, 1, 1}, {1, 2, 1}, {2, 2, 1}, {1, 1, 2}};
  for (size_t l = 0; l < 4; ++l) {
    ASSERT_EQ(stand.seen[l].etalons.size(), 31u);
    EXPECT_EQ(std::vector<int16_t>(stand.seen[l].etalons.begin(), stand.seen[l].etalons.begin() + 3),
              std::vector<int16_t>(firstThree[l], firstThree[l] + 3));
    EXPECT_EQ(std::vector<int16_t>(stand.seen[l].etalons.begin() + 3, stand.seen[l].etalons.end()),
              std::vector<int16_t>(28, 1));
  }
}

TEST_F(Schedule, SeriesProcessingKeepsItsSequenceAndSubset) {
  SimulationRig rig(200, 40, 181);
  useStandIns(rig);
  rig.required = {6, 8};
  const int32_t subset[] = {2};
  setSubset(rig.window, subset, 1, kSubsetSingleFixed, 2, rig.series);
  ASSERT_TRUE(rig.grid(3, 1, 1, 0, 0, 1, 16));
  ASSERT_EQ(rig.run(1, 64), 1);
  for (const Seen& s : stand.seen) EXPECT_EQ(s.etalons, (std::vector<int16_t>{6, 2, 6}));
}

TEST_F(Schedule, TupleRecognitionCyclesTheSelectedSubsetsAndCountsMismatches) {
  SimulationRig rig(200, 40, 181);
  useStandIns(rig);
  const int32_t sizes[] = {2, 1};
  const int32_t first[] = {1, 2};
  const int32_t second[] = {3};
  const int32_t* rows[] = {first, second};
  ASSERT_EQ(addSomeSelectedSubsetToSeriesHeader(rig.window, sizes, rows, 2, 10, 5, 1, kSubsetComplete, 1,
                                                rig.series),
            1);
  ASSERT_EQ(rig.series->wSubsetSize, 2);
  ASSERT_TRUE(rig.grid(4, 1, 1, 0, 5, 2, 10));  // D = (2 + 20) / 4 = 5
  ASSERT_EQ(rig.run(36, 40), 1);
  ASSERT_EQ(stand.seen.size(), 20u);
  for (size_t l = 0; l < 20; ++l) {
    const bool firstSubset = l % 10 < 5;
    const std::vector<int16_t> subset = firstSubset ? std::vector<int16_t>{1, 2} : std::vector<int16_t>{3};
    EXPECT_EQ(stand.seen[l].subset, subset);
    const std::vector<int16_t> etalons =
        firstSubset ? std::vector<int16_t>{1, 2, 1, 2} : std::vector<int16_t>(4, 3);
    EXPECT_EQ(stand.seen[l].etalons, etalons);
  }
  // The stand-in always answers subset 1.
  EXPECT_EQ(rig.table(rig.errors->lpRecognitionErrors), (std::vector<int32_t>{5, 5}));
  // The subset size is given back; the last subset used stays in the series.
  EXPECT_EQ(rig.series->wSubsetSize, 2);
  EXPECT_EQ(rig.series->lpSubset[0], 3);
}

TEST_F(Schedule, TupleTasksWithoutASubsetAreRefused) {
  SimulationRig rig(200, 40, 181);
  useStandIns(rig);
  ASSERT_TRUE(rig.grid(3, 1, 1, 0, 0, 1, 4));
  EXPECT_EQ(rig.run(36, 36), 0);
  ASSERT_EQ(rig.window.messages().size(), 1u);
  EXPECT_EQ(rig.window.messages()[0].text, "Error: selected Subset is absence!");
  EXPECT_EQ(rig.window.messages()[0].caption, " About selectedSubset ");
  EXPECT_TRUE(stand.seen.empty());
  EXPECT_EQ(rig.errors->ifComplete, 0);
}

TEST_F(Schedule, MeasuresRestoringAndPositionErrors) {
  SimulationRig rig(200, 40, 181);
  useStandIns(rig);
  ASSERT_TRUE(rig.grid(2, 1, 2, 0, 0, 1, 10));
  stand.answer = Answer::kNothing;
  ASSERT_EQ(rig.run(1, 1), 1);
  // Nothing found: the energy of Q whole constant pulses (20 samples of 60).
  EXPECT_EQ(rig.table(rig.errors->lpErrors), (std::vector<int32_t>{2 * 72000, 3 * 72000}));
  EXPECT_EQ(rig.table(rig.errors->lpFragmentErrors), (std::vector<int32_t>{0, 0}));

  // Every pulse one sample late, but only the first 2 count: H = 2 per trial.
  stand.answer = Answer::kLateByOne;
  stand.seeking = 2;
  ASSERT_TRUE(rig.grid(2, 1, 2, 0, 0, 1, 10));
  ASSERT_EQ(rig.run(1, 1), 1);
  EXPECT_EQ(rig.table(rig.errors->lpFragmentErrors),
            (std::vector<int32_t>{10 * ((2 + 512) / 4) / 128, 10 * ((3 + 512) / 6) / 128}));
}

TEST_F(Schedule, EveryTrialAdvancesTheNoiseSeedAlsoAtLevelZero) {
  SimulationRig rig(200, 40, 181);
  useStandIns(rig);
  ASSERT_TRUE(rig.grid(3, 1, 1, 0, 0, 1, 3));
  ASSERT_EQ(rig.run(1, 1), 1);
  uint16_t expected = RandomSeeds{}.seedNoise;
  for (int i = 0; i < 12 * 200 * 3; ++i) uniformRandom(expected);
  EXPECT_EQ(rig.seeds.seedNoise, expected);
  // The header keeps the last trial's series and the answer to it.
  for (uint32_t t = 0; t < 200; ++t) EXPECT_EQ(rig.series->lpNoisyData[t], rig.series->lpPureData[t]);
  EXPECT_EQ(rig.series->wRestoredQuantity, 3);
  for (int m = 0; m < 3; ++m) EXPECT_EQ(rig.series->lpRestoredPositions[m], rig.series->lpPositions[m]);
}

TEST_F(Schedule, ASolverFailureEndsTheRunAfterShowingItsMessage) {
  SimulationRig rig(200, 40, 181);
  useStandIns(rig);
  rig.settings.workerThreads = 2;
  stand.answer = Answer::kFailure;
  ASSERT_TRUE(rig.grid(3, 1, 1, 0, 0, 2, 5));
  EXPECT_EQ(rig.run(1, 1), 0);
  EXPECT_EQ(rig.errors->ifComplete, 0);
  ASSERT_GE(rig.window.messages().size(), 2u);
  EXPECT_EQ(rig.window.messages()[0].text, "Нет памяти для ppDw!");
  EXPECT_EQ(rig.window.messages().back().text,
            "The solver failed in trial 1 (pulse count 3, noise level 0); the simulation stops.");
  EXPECT_EQ(rig.window.messages().back().caption, "statCutoffTrawling");
}

TEST_F(Schedule, AStopRequestEndsTheRunBetweenCellsAndTheObserverChangesNothing) {
  std::vector<std::pair<uint32_t, uint32_t>> progress;
  SimulationRig observed(200, 40, 181);
  useStandIns(observed);
  observed.settings.progress = [&](uint32_t done, uint32_t all) { progress.emplace_back(done, all); };
  ASSERT_TRUE(observed.grid(2, 1, 2, 0, 10, 3, 4));
  ASSERT_EQ(observed.run(1, 1), 1);
  ASSERT_EQ(progress.size(), 6u);
  EXPECT_EQ(progress.back(), std::make_pair(6u, 6u));

  SimulationRig plain(200, 40, 181);
  useStandIns(plain);
  ASSERT_TRUE(plain.grid(2, 1, 2, 0, 10, 3, 4));
  ASSERT_EQ(plain.run(1, 1), 1);
  EXPECT_EQ(plain.table(plain.errors->lpErrors), observed.table(observed.errors->lpErrors));
  EXPECT_EQ(plain.seeds.seedNoise, observed.seeds.seedNoise);

  SimulationRig stopped(200, 40, 181);
  useStandIns(stopped);
  uint32_t cells = 0;
  stopped.settings.progress = [&](uint32_t done, uint32_t) { cells = done; };
  stopped.settings.stopRequested = [&] { return cells >= 2; };
  ASSERT_TRUE(stopped.grid(2, 1, 2, 0, 10, 3, 4));
  EXPECT_EQ(stopped.run(1, 1), 0);
  EXPECT_EQ(cells, 2u);
  EXPECT_EQ(stopped.errors->ifComplete, 0);
  EXPECT_TRUE(stopped.window.messages().empty());
  EXPECT_EQ(stand.seen.size(), 24u + 24u + 8u);
}

TEST_F(Schedule, ASeriesThatCannotBeMadeEndsTheRunWithAClearMessage) {
  // Etalons longer than Tmax: the first pulse has no admissible origin.
  SimulationRig rig(200, 10, 15);
  useStandIns(rig);
  rig.settings.workerThreads = 2;
  ASSERT_TRUE(rig.grid(14, 1, 2, 0, 5, 2, 4));
  EXPECT_EQ(rig.run(1, 1), 0);
  EXPECT_EQ(rig.errors->ifComplete, 0);
  EXPECT_TRUE(stand.seen.empty());
  ASSERT_EQ(rig.window.messages().size(), 2u);
  EXPECT_EQ(rig.window.messages()[0].caption, " makeExtSeries ");
  EXPECT_EQ(rig.window.messages()[1].text,
            "The series could not be made in trial 1 (pulse count 14, noise level 0); the simulation stops.");
}

TEST_F(Schedule, RefusesWhatItCannotSimulateBeforeAnySeriesIsMade) {
  SimulationRig rig(200, 40, 181);
  useStandIns(rig);
  EXPECT_EQ(rig.run(1, 1), 0);  // no error header yet
  ASSERT_EQ(rig.window.messages().size(), 1u);
  EXPECT_EQ(rig.window.messages()[0].text, "Absence of RestoreErrorHeader!");
  EXPECT_EQ(rig.window.messages()[0].caption, "statCutoffTrawling");

  const RandomSeeds before = rig.seeds;
  const auto refusal = [&](uint16_t first, int32_t repeats, std::vector<uint16_t> required) {
    rig.window.clear();
    rig.required = std::move(required);
    EXPECT_TRUE(rig.grid(first, 1, 2, 0, 5, 2, repeats));
    EXPECT_EQ(rig.run(1, 1), 0);
    EXPECT_EQ(rig.errors->ifComplete, 0);
    return rig.window.messages().empty() ? std::string() : rig.window.messages()[0].text;
  };
  EXPECT_EQ(refusal(5, 10, {1}), "The pulse count 6 lies outside the admissible range 1..5.");
  EXPECT_EQ(refusal(0, 10, {1}), "The pulse count 0 lies outside the admissible range 1..5.");
  EXPECT_EQ(refusal(2, 0, {1}), "The number of repeats must lie in 1..65535.");
  EXPECT_EQ(refusal(2, 10, {}), "The required list is empty.");
  EXPECT_EQ(refusal(2, 10, {21}), "The required list names an etalon outside the alphabet.");
  SimulationSolvers detectorOnly;
  detectorOnly.detectFixedPulses = standIns.detectFixedPulses;
  rig.settings.solvers = &detectorOnly;
  rig.required = {1};
  ASSERT_TRUE(rig.grid(2, 1, 2, 0, 5, 2, 10));
  rig.window.clear();
  EXPECT_EQ(rig.run(1, 2), 0);
  ASSERT_EQ(rig.window.messages().size(), 1u);
  EXPECT_EQ(rig.window.messages()[0].text, "No solver is given for recognizeFixedPulses.");
  EXPECT_TRUE(stand.seen.empty());
  EXPECT_EQ(rig.seeds.seedPositions, before.seedPositions);
  EXPECT_EQ(rig.seeds.seedNoise, before.seedNoise);
}

}  // namespace
