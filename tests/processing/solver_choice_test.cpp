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

}  // namespace
