// `process` runs the solver the workbench chooses for the task and series type; its chains
// and answer must be those of the solver called directly on the series it printed.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "batch_runner.h"
#include "platform/headless_window.h"
#include "processing/chains_header.h"
#include "processing/fixed_detection.h"
#include "processing/fixed_tuples.h"
#include "processing/recognition.h"
#include "processing/solver_choice.h"
#include "processing/unfixed_detection.h"
#include "processing/unfixed_tuples.h"
#include "signal/series_header.h"
#include "tests/support/series_factory.h"

namespace {

std::vector<int> ints(const nlohmann::json& array) { return array.get<std::vector<int>>(); }

void copyInto(int16_t* target, const nlohmann::json& values) {
  for (size_t i = 0; i < values.size(); ++i) target[i] = values[i].get<int16_t>();
}

// A series header holding what `process` printed about its series.
SeriesHeader* seriesFromJson(Window& window, const nlohmann::json& doc) {
  SeriesHeader* series =
      getCutOffSeriesHeader(window, 20, 20, doc["wTmin"], doc["wTmax"], doc["dwSeriesSize"], nullptr);
  if (series == nullptr) return nullptr;
  series->wImpulseSize = doc["wImpulseSize"];
  series->wImpulseQuantity = doc["wImpulseQuantity"];
  series->wNoiseLevel = doc["wNoiseLevel"];
  copyInto(series->lpPureData, doc["lpPureData"]);
  copyInto(series->lpNoisyData, doc["lpNoisyData"]);
  copyInto(series->lpPositions, doc["lpPositions"]);
  copyInto(series->lpLowBounds, doc["lpLowBounds"]);
  copyInto(series->lpHighBounds, doc["lpHighBounds"]);
  copyInto(series->lpEtalonNumbers, doc["lpEtalonNumbers"]);
  copyInto(series->lpCutBegin, doc["lpCutBegin"]);
  copyInto(series->lpCutEnd, doc["lpCutEnd"]);
  return series;
}

struct DirectRun {
  std::vector<uint16_t> required = {};
  std::vector<int32_t> tuple = {};
  std::vector<std::vector<int32_t>> subsets = {};
  uint16_t tmin = 40, tmax = 181, level = 100, proceeding = 1;
};

int64_t callSolver(SolverRole role, Window& window, const PulseHeader* alphabet, const DirectRun& d,
                   ChainsHeader* chains, SeriesHeader* series) {
  const auto count = static_cast<uint16_t>(d.required.size());
  std::vector<int32_t> sizes;
  std::vector<const int32_t*> rows;
  for (const auto& subset : d.subsets) {
    sizes.push_back(static_cast<int32_t>(subset.size()));
    rows.push_back(subset.data());
  }
  const auto k = static_cast<int32_t>(d.tuple.size());
  const auto n = static_cast<int32_t>(d.subsets.size());
  int32_t verbose = 0;
  switch (role) {
    case SolverRole::kDetectFixedPulses:
      return detectFixedPulses(window, alphabet, count, d.required.data(), d.tmin, d.tmax, d.level, chains,
                               series);
    case SolverRole::kDetectUnfixedPulses:
      return detectUnfixedPulses(window, alphabet, count, d.required.data(), d.tmin, d.tmax, d.level, chains,
                                 series);
    case SolverRole::kRecognizeFixedPulses:
      return recognizeFixedPulses(window, alphabet, count, d.required.data(), d.tmin, d.tmax, d.level, chains,
                                  series);
    case SolverRole::kRecognizeUnfixedPulses:
      return recognizeUnfixedPulses(window, alphabet, count, d.required.data(), d.tmin, d.tmax, d.level,
                                    chains, series);
    case SolverRole::kDetectFixedTuples:
      return detectFixedTuples(window, alphabet, k, d.tuple.data(), d.proceeding, d.tmin, d.tmax, d.level,
                               chains, series);
    case SolverRole::kDetectUnfixedTuples:
      return detectUnfixedTuples(window, alphabet, k, d.tuple.data(), d.proceeding, d.tmin, d.tmax, d.level,
                                 chains, series, verbose);
    case SolverRole::kRecognizeFixedTuples:
      return recognizeFixedTuples(window, alphabet, sizes.data(), rows.data(), n, d.proceeding, d.tmin,
                                  d.tmax, d.level, chains, series);
    case SolverRole::kRecognizeUnfixedTuples:
      return recognizeUnfixedTuples(window, alphabet, sizes.data(), rows.data(), n, d.proceeding, d.tmin,
                                    d.tmax, d.level, chains, series, verbose);
  }
  return 0;
}

struct Case {
  std::vector<std::string> args;
  const char* solver;  // the workbench's choice for the task and series type
  DirectRun direct;
};

TEST(BatchProcess, ReportsTheChainsOfTheChosenSolverCalledDirectly) {
  const Case cases[] = {
      {{"process"}, "detectFixedPulses", {.required = {1}}},
      {{"process", "--task", "joint", "--series-type", "8", "--required", "1,3,5", "--making-level", "75",
        "--processing-level", "75", "--length", "600"},
       "detectUnfixedPulses",
       {.required = {1, 3, 5}, .level = 75}},
      {{"process", "--task", "recognition", "--series-type", "2", "--required", "2,4,7", "--making-level",
        "80", "--processing-level", "60", "--length", "500", "--pulses", "6", "--noise", "35"},
       "recognizeFixedPulses",
       {.required = {2, 4, 7}, .level = 60}},
      {{"process", "--task", "recognition", "--series-type", "4", "--required", "5,6", "--length", "700",
        "--tmin", "30", "--tmax", "120"},
       "recognizeUnfixedPulses",
       {.required = {5, 6}, .tmin = 30, .tmax = 120}},
      {{"process", "--task", "series", "--series-type", "1", "--required", "1,2", "--length", "400"},
       "detectFixedPulses",
       {.required = {1, 2}}},
      {{"process", "--task", "detection", "--series-type", "36", "--subset", "1,3,5", "--proceeding", "2",
        "--length", "800"},
       "detectFixedTuples",
       {.required = {1}, .tuple = {1, 3, 5}, .proceeding = 2}},
      {{"process", "--task", "tuples-detection", "--series-type", "40", "--subset", "2,4", "--length", "600"},
       "detectUnfixedTuples",
       {.required = {1}, .tuple = {2, 4}}},
      {{"process", "--task", "tuples-recognition", "--series-type", "36", "--subsets", "1,2,3;4,5;6,7,8",
        "--subset", "4,5", "--proceeding", "2", "--length", "600"},
       "recognizeFixedTuples",
       {.required = {1}, .subsets = {{1, 2, 3}, {4, 5}, {6, 7, 8}}, .proceeding = 2}},
      {{"process", "--task", "recognition", "--series-type", "40", "--subsets", "1,2;3,4,5", "--length",
        "600"},
       "recognizeUnfixedTuples",
       {.required = {1}, .subsets = {{1, 2}, {3, 4, 5}}}},
  };
  const TestAlphabet alphabet;
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.args));
    const BatchResult run = runBatch(c.args);
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    const nlohmann::json doc = parseOutput(run);
    ASSERT_EQ(doc["solver"], c.solver);

    HeadlessWindow window;
    SeriesHeader* series = seriesFromJson(window, doc);
    ASSERT_NE(series, nullptr);
    ChainsHeader* chains =
        getChainsHeader(window, 10, static_cast<uint16_t>(std::max<int>(30, series->wMaxPulses)), nullptr);
    ASSERT_NE(chains, nullptr);
    SolverRole role = SolverRole::kDetectFixedPulses;
    for (int r = 0; r <= static_cast<int>(SolverRole::kRecognizeUnfixedTuples); ++r) {
      if (std::string(solverRoleName(static_cast<SolverRole>(r))) == c.solver)
        role = static_cast<SolverRole>(r);
    }
    const int64_t result = callSolver(role, window, alphabet.pulses, c.direct, chains, series);
    EXPECT_EQ(doc["solverResult"], result);
    EXPECT_TRUE(window.messages().empty());

    ASSERT_EQ(doc["chains"].size(), chains->wPretenders);
    ASSERT_GT(chains->wPretenders, 0);
    for (uint16_t i = 0; i < chains->wPretenders; ++i) {
      const nlohmann::json& chain = doc["chains"][i];
      EXPECT_EQ(chain["distance"], chains->distance[i]) << "chain " << i;
      ASSERT_EQ(chain["pulses"].size(), static_cast<size_t>(chains->chainLength[i])) << "chain " << i;
      for (int32_t j = 0; j < chains->chainLength[i]; ++j) {
        const nlohmann::json& pulse = chain["pulses"][j];
        EXPECT_EQ(pulse["etalon"], chains->pulsesList[i][j]);
        EXPECT_EQ(pulse["position"], chains->positionsList[i][j]);
        EXPECT_EQ(pulse["begin"], chains->cutOffBeginList[i][j]);
        EXPECT_EQ(pulse["end"], chains->cutOffEndList[i][j]);
      }
    }
    EXPECT_EQ(doc["wSeekingPulsesQuantity"], chains->wSeekingPulsesQuantity);
    const int found = series->wRestoredQuantity;
    EXPECT_EQ(doc["wRestoredQuantity"], found);
    EXPECT_EQ(ints(doc["lpRestoredPositions"]),
              std::vector<int>(series->lpRestoredPositions, series->lpRestoredPositions + found));
    EXPECT_EQ(ints(doc["lpRestoredEtalons"]),
              std::vector<int>(series->lpRestoredEtalons, series->lpRestoredEtalons + found));
    EXPECT_EQ(ints(doc["lpRestoredCutBegin"]),
              std::vector<int>(series->lpRestoredCutBegin, series->lpRestoredCutBegin + found));
    EXPECT_EQ(ints(doc["lpRestoredCutEnd"]),
              std::vector<int>(series->lpRestoredCutEnd, series->lpRestoredCutEnd + found));
    const int tuples = std::max<int>(0, series->wRestoredTuples);
    EXPECT_EQ(doc["wRestoredTuples"], series->wRestoredTuples);
    EXPECT_EQ(ints(doc["lpRestoredTupleFirst"]),
              std::vector<int>(series->lpRestoredTupleFirst, series->lpRestoredTupleFirst + tuples));
    EXPECT_EQ(ints(doc["lpRestoredTupleLast"]),
              std::vector<int>(series->lpRestoredTupleLast, series->lpRestoredTupleLast + tuples));
    EXPECT_EQ(doc["wRecognizedSubset"], series->wRecognizedSubset);
    freeChainsHeader(window, chains);
    freeSeriesHeader(window, series);
  }
}

// Without --sequence a run draws the sequence from the required list as the workbench's
// " Processing Next Data " does; detection and recognition repeat its first etalon.
TEST(BatchProcess, DrawsTheEtalonSequenceFromTheRequiredList) {
  const BatchResult joint = runBatch({"process", "--task", "joint", "--required", "2,5,9", "--noise", "0"});
  ASSERT_EQ(joint.status, 0) << joint.err;
  const auto etalons = ints(parseOutput(joint)["lpEtalonNumbers"]);
  // The dispatcher's generator from state 1 gives 41, 18467, 6334, 26500, 19169, ...;
  // entry k is required[(value >> 3) mod 3].
  const std::vector<int> expected = {9, 5, 9, 2, 9};
  ASSERT_GE(etalons.size(), expected.size());
  EXPECT_EQ(std::vector<int>(etalons.begin(), etalons.begin() + 5), expected);

  const BatchResult recognition = runBatch({"process", "--task", "recognition", "--required", "2,5,9"});
  ASSERT_EQ(recognition.status, 0) << recognition.err;
  const nlohmann::json doc = parseOutput(recognition);
  EXPECT_EQ(ints(doc["lpEtalonNumbers"]), std::vector<int>(doc["wImpulseQuantity"].get<size_t>(), 9));
  // At noise 20 the recognised etalon of whole pulses is the one the series is made of.
  EXPECT_EQ(doc["solverResult"], 9);
}

}  // namespace
