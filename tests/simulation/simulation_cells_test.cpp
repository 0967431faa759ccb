// Cells computed alone: a run that computes only some cells gives those cells exactly as the
// whole run does, whatever the task, the subset draws and the number of threads, and leaves the
// seeds where the whole run leaves them.
#include <gtest/gtest.h>

#include <vector>

#include "signal/selected_subsets.h"
#include "tests/simulation/simulation_fixture.h"
#include "tests/support/reference_simulation.h"

namespace {

struct Case {
  const char* name;
  uint16_t seriesType;
  uint16_t taskType;
  std::vector<uint16_t> required;
  std::vector<int32_t> subset = {};
  uint16_t subsetMode = kSubsetComplete;
  std::vector<std::vector<int32_t>> selected = {};
};

struct Cells {
  int result = 0;
  std::vector<int32_t> restoring, position, recognition;
  std::vector<uint16_t> seeds;
};

// shards 0: the plain one-trial-after-another loop.
Cells runCells(const Case& c, unsigned threads, uint32_t shards, uint32_t shard) {
  SimulationRig rig(400, 40, 100);
  rig.required = c.required;
  rig.settings.workerThreads = threads;
  if (!c.selected.empty()) {
    std::vector<int32_t> sizes;
    std::vector<const int32_t*> rows;
    for (const auto& s : c.selected) {
      sizes.push_back(static_cast<int32_t>(s.size()));
      rows.push_back(s.data());
    }
    addSomeSelectedSubsetToSeriesHeader(rig.window, sizes.data(), rows.data(),
                                        static_cast<int32_t>(rows.size()), 10, 10, 1, c.subsetMode, 1,
                                        rig.series);
  } else if (!c.subset.empty()) {
    setSubset(rig.window, c.subset.data(), static_cast<int32_t>(c.subset.size()), c.subsetMode, 1,
              rig.series);
  }
  if (shards > 1) rig.settings.computeCell = [=](uint32_t cell) { return cell % shards == shard; };
  Cells out;
  // 37 trials: two batches per cell on one worker, one on two.
  if (!rig.grid(4, 3, 3, 0, 20, 3, 37)) return out;
  if (shards == 0) {
    addInitRestErrHeader(rig.window, c.seriesType, c.taskType, 100, 100, rig.errors);
    out.result = referenceStatCutoffTrawling(rig.window, rig.errors, 20, rig.alphabet.pulses,
                                             static_cast<uint16_t>(rig.required.size()), rig.required.data(),
                                             c.seriesType, c.taskType, 100, 100, rig.series, rig.seeds, 128,
                                             1, productionSolvers());
  } else {
    out.result = rig.run(c.seriesType, c.taskType);
  }
  out.restoring = rig.table(rig.errors->lpErrors);
  out.position = rig.table(rig.errors->lpFragmentErrors);
  out.recognition = rig.table(rig.errors->lpRecognitionErrors);
  const RandomSeeds& s = rig.seeds;
  out.seeds = {s.seedPositions,    s.seedCutBegin,       s.seedCutEnd,
               s.seedSubsetSingle, s.seedSubsetMultiple, s.seedNoise};
  return out;
}

TEST(SimulationCells, CellsComputedAloneEqualTheWholeRun) {
  const std::vector<Case> cases = {
      {"detection", 1, 1, {1}},
      {"recognition", 4, 2, {5, 9, 2}},
      {"joint detection, multiple random subset", 8, 4, {2, 7}, {3, 4}, kSubsetMultipleRandom},
      {"series processing, single random subset", 1, 64, {4}, {6, 7}, kSubsetSingleRandom},
      {"tuple detection", 40, 36, {1}, {2, 6}, kSubsetShiftedComplete},
      {"tuple recognition", 36, 40, {1}, {}, kSubsetMultipleRandom, {{1, 2}, {3, 4, 5}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Cells whole = runCells(c, 1, 1, 0);
    ASSERT_EQ(whole.result, 1);
    const Cells plain = runCells(c, 1, 0, 0);
    EXPECT_EQ(plain.restoring, whole.restoring);
    EXPECT_EQ(plain.position, whole.position);
    EXPECT_EQ(plain.recognition, whole.recognition);
    EXPECT_EQ(plain.seeds, whole.seeds);
    for (unsigned threads : {1u, 2u}) {
      const uint32_t shards = 4;
      for (uint32_t shard = 0; shard < shards; ++shard) {
        const Cells part = runCells(c, threads, shards, shard);
        EXPECT_EQ(part.result, 1);
        EXPECT_EQ(part.seeds, whole.seeds);
        for (size_t cell = shard; cell < whole.restoring.size(); cell += shards) {
          // Tables are read level by level; cells are numbered pulse count by pulse count.
          const size_t levels = 3, pulses = 3;
          const size_t at = (cell % levels) * pulses + cell / levels;
          EXPECT_EQ(part.restoring[at], whole.restoring[at]) << "cell " << cell;
          EXPECT_EQ(part.position[at], whole.position[at]) << "cell " << cell;
          EXPECT_EQ(part.recognition[at], whole.recognition[at]) << "cell " << cell;
        }
      }
    }
  }
}

}  // namespace
