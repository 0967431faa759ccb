// A shard file holds exactly the cells the dealing gives its shard: every shard of small grids
// reads back, and one cell more or fewer is refused, naming what the grid deals it.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "files/simulation_result.h"
#include "tests/support/simulation_grid.h"

namespace {

TEST(ShardCells, EveryShardHoldsExactlyWhatTheDealingGivesIt) {
  for (size_t pulses = 1; pulses <= 4; ++pulses) {
    for (size_t levels = 1; levels <= 5; ++levels) {
      for (uint32_t shards = 1; shards <= 9; ++shards) {
        for (uint32_t shard = 1; shard <= shards; ++shard) {
          SCOPED_TRACE(std::to_string(pulses) + "x" + std::to_string(levels) + " shard " +
                       std::to_string(shard) + "/" + std::to_string(shards));
          SimulationResult r = simulationGrid(pulses, 6, levels, 0, 5);
          r.shard = shard;
          r.shards = shards;
          for (uint32_t c = 0; c < r.run.cellCount(); ++c)
            if (shardOfCell(c, shards) == shard) r.cells.push_back({c, 1, 2, 3});
          SimulationResult back;
          std::string error;
          ASSERT_TRUE(parseSimulationResult(simulationResultJson(r), "s.json", back, error)) << error;
          EXPECT_EQ(back.cells, r.cells);
          const size_t dealt = r.cells.size();
          const std::string says = "shard " + std::to_string(shard) + " of " + std::to_string(shards) +
                                   " of a grid of " + std::to_string(r.run.cellCount()) + " cells (" +
                                   std::to_string(pulses) + " pulse counts x " + std::to_string(levels) +
                                   " noise levels) holds " + std::to_string(dealt);
          if (dealt > 0) {
            SimulationResult fewer = r;
            fewer.cells.pop_back();
            EXPECT_FALSE(parseSimulationResult(simulationResultJson(fewer), "s.json", back, error));
            EXPECT_NE(error.find(says), std::string::npos) << error;
          }
          // One cell more: another shard's cell, where there is one.
          for (uint32_t c = 0; c < r.run.cellCount(); ++c) {
            if (shardOfCell(c, shards) == shard) continue;
            SimulationResult more = r;
            more.cells.push_back({c, 1, 2, 3});
            std::sort(more.cells.begin(), more.cells.end(),
                      [](const SimulationCell& a, const SimulationCell& b) { return a.index < b.index; });
            EXPECT_FALSE(parseSimulationResult(simulationResultJson(more), "s.json", back, error));
            EXPECT_NE(error.find(says), std::string::npos) << error;
            break;
          }
        }
      }
    }
  }
}

}  // namespace
