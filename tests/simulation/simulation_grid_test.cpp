#include "simulation/simulation_grid.h"

#include <gtest/gtest.h>

#include "platform/message_recorder.h"

namespace {

TEST(SimulationGrid, TheStartSettingsAreAValidGridOf25PulseCounts) {
  const SimulationGrid grid;
  EXPECT_EQ(simulationGridProblem(grid), "");
  EXPECT_EQ(simulationPulseSteps(grid), 25);
  SimulationGrid zeroStep;
  zeroStep.pulsesIncrement = 0;
  EXPECT_EQ(simulationPulseSteps(zeroStep), 25);
  zeroStep.pulsesIncrement = 4;
  EXPECT_EQ(simulationPulseSteps(zeroStep), 7);
}

TEST(SimulationGrid, RefusesGridsThatCannotBeSimulated) {
  const auto problemWith = [](auto change) {
    SimulationGrid grid;
    change(grid);
    return simulationGridProblem(grid);
  };
  EXPECT_EQ(problemWith([](SimulationGrid& g) { g.repeats = 0; }),
            "The number of repeats must be at least 1.");
  EXPECT_EQ(problemWith([](SimulationGrid& g) { g.noiseSteps = 0; }),
            "The number of noise steps must be at least 1.");
  EXPECT_EQ(problemWith([](SimulationGrid& g) { g.minPulses = 12, g.maxPulses = 8; }),
            "The pulse range from 12 to 8 is inverted.");
  EXPECT_EQ(problemWith([](SimulationGrid& g) { g.tmin = 0; }), "Tmin must be at least 1.");
  EXPECT_EQ(problemWith([](SimulationGrid& g) { g.tmax = 30; }), "Tmax (30) must not be below Tmin (40).");
  EXPECT_EQ(problemWith([](SimulationGrid& g) { g.seriesSize = 40000; }),
            "The series length (40000) must not exceed 32767 samples.");
  EXPECT_EQ(problemWith([](SimulationGrid& g) { g.seriesSize = 10; }),
            "The series length (10) must not be below the etalon length (20).");
  EXPECT_EQ(problemWith([](SimulationGrid& g) { g.maxPulses = 31; }),
            "The pulse count 31 lies outside the admissible range 6..30.");
  EXPECT_EQ(problemWith([](SimulationGrid& g) { g.minPulses = 0; }),
            "The pulse count 0 lies outside the admissible range 6..30.");
  EXPECT_EQ(problemWith([](SimulationGrid& g) { g.noiseIncrement = 2000; }),
            "The last noise level (56000) must not exceed 32767.");
  // A series shorter than Tmax still holds one pulse: the lower bound is raised to 1.
  EXPECT_EQ(problemWith([](SimulationGrid& g) { g.seriesSize = 100, g.minPulses = 1, g.maxPulses = 3; }), "");
}

TEST(SimulationGrid, ValidationShowsTheProblem) {
  MessageRecorder window;
  SimulationGrid grid;
  EXPECT_EQ(validateSimulationGrid(window, grid), 1);
  EXPECT_TRUE(window.messages().empty());
  grid.repeats = 0;
  EXPECT_EQ(validateSimulationGrid(window, grid), 0);
  ASSERT_EQ(window.messages().size(), 1u);
  EXPECT_EQ(window.messages()[0].text, "The number of repeats must be at least 1.");
  EXPECT_EQ(window.messages()[0].caption, " Simulation parameters ");
}

}  // namespace
