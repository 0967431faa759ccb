// Simulation results as files: what is written reads back, the dealing of cells to shards,
// and the refusals of the reader.
#include "files/simulation_result.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>

#include "platform/message_recorder.h"
#include "simulation/rest_err_header.h"

namespace {

SimulationResult sample() {
  SimulationResult r;
  r.run.taskType = 40;
  r.run.effectiveTaskType = 40;
  r.run.seriesType = 36;
  r.run.seriesSize = 300;
  r.run.tmin = 40;
  r.run.tmax = 100;
  r.run.impulseSize = 20;
  r.run.etalons = 20;
  r.run.amplitude = 128;
  r.run.makingLevel = 90;
  r.run.processingLevel = 80;
  r.run.required = {1, 4};
  r.run.subsets = {{1, 2}, {3, 4, 5}};
  r.run.subsetMode = 4;
  r.run.subsetPosition = 1;
  r.run.pulseValues = {2, 3};
  r.run.noiseLevels = {0, 30, 60};
  r.run.repeats = 7;
  for (uint32_t c = 0; c < 6; ++c)
    r.cells.push_back(SimulationCell{c, int32_t(1000 * c), -int32_t(c), int32_t(c % 2)});
  r.startTime = 1700000000;
  r.endTime = 1700000725;
  return r;
}

TEST(SimulationResultFile, WhatIsWrittenReadsBackAndGivesTheErrorTables) {
  const SimulationResult r = sample();
  SimulationResult back;
  std::string error;
  ASSERT_TRUE(parseSimulationResult(simulationResultJson(r), "r.json", back, error)) << error;
  EXPECT_EQ(back.run, r.run);
  EXPECT_EQ(back.cells, r.cells);
  EXPECT_EQ(back.endTime, r.endTime);
  EXPECT_EQ(simulationCsv(back),
            "noise_level,pulses,restoring_error,position_error,recognition_errors\n"
            "0,2,0,0,0\n0,3,3000,-3,1\n30,2,1000,-1,1\n30,3,4000,-4,0\n60,2,2000,-2,0\n60,3,5000,-5,1\n");
  MessageRecorder window;
  RestErrHeader* errors = errorsOfResult(window, back, nullptr);
  ASSERT_NE(errors, nullptr);
  EXPECT_EQ(errors->ifComplete, 1);
  EXPECT_EQ(errors->wTaskType, 40);
  EXPECT_EQ(errors->wMakingEnergyLevel, 90);
  EXPECT_EQ(errors->lpErrors[1][1], 4000);  // level 30, 3 pulses: cell 1 x 3 + 1
  EXPECT_EQ(errors->lpFragmentErrors[2][0], -2);
  EXPECT_EQ(cellsOfErrors(*errors), r.cells);
  freeRestErrHeader(window, errors);
  // A different run has a different fingerprint.
  SimulationRun other = r.run;
  other.repeats = 8;
  EXPECT_NE(simulationRunFingerprint(other), simulationRunFingerprint(r.run));
}

TEST(SimulationResultFile, ShardsGetEveryPulseCountAndAlmostEqualShares) {
  // 25 pulse counts x 29 levels, the default grid, in 7 shards.
  const uint32_t levels = 29, cells = 25 * levels, shards = 7;
  std::vector<uint32_t> count(shards + 1, 0);
  std::vector<uint64_t> pulseWork(shards + 1, 0);
  for (uint32_t c = 0; c < cells; ++c) {
    const uint32_t k = shardOfCell(c, shards);
    ASSERT_GE(k, 1u);
    ASSERT_LE(k, shards);
    ++count[k];
    pulseWork[k] += 6 + c / levels;  // the work of a cell grows with its pulse count
  }
  const auto [least, most] = std::minmax_element(count.begin() + 1, count.end());
  EXPECT_LE(*most - *least, 1u);
  const auto [lightest, heaviest] = std::minmax_element(pulseWork.begin() + 1, pulseWork.end());
  EXPECT_LT(double(*heaviest - *lightest), 0.02 * double(*heaviest));
  EXPECT_EQ(shardOfCell(5, 1), 1u);
}

TEST(SimulationResultFile, HostileTextIsRefusedWithTheFileNamed) {
  const std::string good = simulationResultJson(sample());
  const auto refusal = [](const std::string& text) {
    SimulationResult r;
    std::string error;
    EXPECT_FALSE(parseSimulationResult(text, "x.json", r, error));
    EXPECT_EQ(error.rfind("\"x.json\": ", 0), 0u) << error;
    return error;
  };
  EXPECT_NE(refusal("").find("empty"), std::string::npos);
  EXPECT_NE(refusal(good.substr(0, good.size() - 3)).find("truncated"), std::string::npos);
  EXPECT_NE(refusal(std::string(100000, '[')).find("nested"), std::string::npos);
  EXPECT_NE(refusal("[1,2]").find("not a simulation result"), std::string::npos);
  std::string version = good;
  version.replace(version.find("\"version\": 1"), 12, "\"version\": 2");
  EXPECT_NE(refusal(version).find("version 2"), std::string::npos);
  std::string edited = good;
  edited.replace(edited.find("\"repeats\": 7"), 12, "\"repeats\": 9");
  EXPECT_NE(refusal(edited).find("edited"), std::string::npos);
  EXPECT_NE(
      refusal("{\"format\": \"detection-workbench simulation result\", \"version\": 1}").find("checksum"),
      std::string::npos);
  SimulationResult r;
  std::string error;
  EXPECT_FALSE(readSimulationResult("/nonexistent-folder/r.json", r, error));
  EXPECT_NE(error.find("/nonexistent-folder/r.json"), std::string::npos);
}

}  // namespace
