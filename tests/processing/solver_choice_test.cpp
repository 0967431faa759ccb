// The solver of every pair of effective task type and series type, as the processing run
// and the simulation choose it.
#include "processing/solver_choice.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(SolverChoice, EveryTaskAndSeriesTypePairGetsItsSolver) {
  struct Row {
    uint16_t task;
    const char* bySeriesType[8];  // series types 1, 2, 4, 8, 16, 32, 36, 40
  };
  const uint16_t seriesTypes[8] = {1, 2, 4, 8, 16, 32, 36, 40};
  const Row rows[] = {
      {1,
       {"detectFixedPulses", "detectFixedPulses", "detectUnfixedPulses", "detectUnfixedPulses",
        "detectFixedPulses", "detectFixedPulses", "detectFixedPulses", "detectFixedPulses"}},
      {4,
       {"detectFixedPulses", "detectFixedPulses", "detectUnfixedPulses", "detectUnfixedPulses",
        "detectFixedPulses", "detectFixedPulses", "detectFixedPulses", "detectFixedPulses"}},
      {64,
       {"detectFixedPulses", "detectFixedPulses", "detectUnfixedPulses", "detectUnfixedPulses",
        "detectFixedPulses", "detectFixedPulses", "detectFixedPulses", "detectFixedPulses"}},
      {2,
       {"recognizeFixedPulses", "recognizeFixedPulses", "recognizeUnfixedPulses", "recognizeUnfixedPulses",
        "recognizeFixedPulses", "recognizeFixedPulses", "recognizeFixedPulses", "recognizeFixedPulses"}},
      {36,
       {"detectFixedTuples", "detectFixedTuples", "detectUnfixedTuples", "detectUnfixedTuples",
        "detectFixedTuples", "detectFixedTuples", "detectFixedTuples", "detectUnfixedTuples"}},
      {40,
       {"recognizeFixedTuples", "recognizeFixedTuples", "recognizeUnfixedTuples", "recognizeUnfixedTuples",
        "recognizeFixedTuples", "recognizeFixedTuples", "recognizeFixedTuples", "recognizeUnfixedTuples"}},
  };
  for (const Row& row : rows) {
    for (int i = 0; i < 8; ++i) {
      EXPECT_EQ(std::string(solverRoleName(solverFor(row.task, seriesTypes[i]))), row.bySeriesType[i])
          << "task " << row.task << ", series type " << seriesTypes[i];
    }
  }
}

// A series that gives no number of pulses (a recording of unknown count) is solved by the
// solver of the same task that finds the number; one that gives a number keeps the table's.
TEST(SolverChoice, ASeriesWithoutANumberGetsTheSolverThatFindsIt) {
  const uint16_t tasks[] = {1, 2, 4, 36, 40, 64};
  const uint16_t seriesTypes[] = {1, 2, 4, 8, 16, 32, 36, 40};
  for (uint16_t task : tasks) {
    for (uint16_t type : seriesTypes) {
      const SolverRole table = solverFor(task, type);
      EXPECT_EQ(solverForSeries(task, type, 18), table) << task << " " << type;
      const SolverRole alone = solverForSeries(task, type, 0);
      EXPECT_FALSE(solverNeedsPulseCount(alone)) << task << " " << type;
      if (!solverNeedsPulseCount(table)) {
        EXPECT_EQ(alone, table) << task << " " << type;
      }
    }
  }
  EXPECT_EQ(solverForSeries(4, 40, 0), SolverRole::kDetectUnfixedPulses);
  EXPECT_EQ(solverForSeries(2, 40, 0), SolverRole::kRecognizeUnfixedPulses);
  EXPECT_EQ(solverForSeries(36, 36, 0), SolverRole::kDetectUnfixedTuples);
  EXPECT_EQ(solverForSeries(40, 1, 0), SolverRole::kRecognizeUnfixedTuples);
  EXPECT_EQ(solverForSeries(64, 40, 12), SolverRole::kDetectFixedPulses);
}

}  // namespace
