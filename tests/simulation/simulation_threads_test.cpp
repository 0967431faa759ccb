// The production solvers under the driver: a run solved by several threads gives exactly what
// the same run solved by one gives, and what the plain one-trial-after-another loop gives, for
// every task type.
#include <gtest/gtest.h>

#include <string>
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
  uint16_t level = 100;
  std::vector<int32_t> subset = {};  // the current subset (tuple tasks)
  uint16_t subsetMode = kSubsetComplete;
  std::vector<std::vector<int32_t>> selected = {};  // the selected subsets (task 40)
};

// Everything a run leaves behind that a later step could read.
struct Outcome {
  int result = 0;
  std::vector<std::vector<int32_t>> tables;
  std::vector<uint16_t> seeds;
  std::vector<std::vector<int16_t>> series;
  std::vector<int32_t> counts;
  std::vector<std::string> messages;
};

std::vector<int16_t> slice(const int16_t* data, size_t count) {
  return std::vector<int16_t>(data, data + count);
}

// threads 0 here: the plain reference loop.
Outcome runCase(const Case& c, unsigned threads) {
  SimulationRig rig(400, 40, 100);  // 4 to 10 pulses
  rig.required = c.required;
  rig.settings.workerThreads = threads;
  rig.settings.subsetProceeding = 2;
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
  Outcome o;
  if (!rig.grid(4, 4, 2, 0, 25, 2, 13)) return o;  // batches of 8 trials on one worker, 13 on three
  if (threads == 0) {
    addInitRestErrHeader(rig.window, c.seriesType, c.taskType, c.level, c.level, rig.errors);
    o.result = referenceStatCutoffTrawling(rig.window, rig.errors, 20, rig.alphabet.pulses,
                                           static_cast<uint16_t>(rig.required.size()), rig.required.data(),
                                           c.seriesType, c.taskType, c.level, c.level, rig.series, rig.seeds,
                                           128, 2, productionSolvers());
  } else {
    o.result = rig.run(c.seriesType, c.taskType, c.level, c.level);
  }
  const RestErrHeader& e = *rig.errors;
  for (int32_t** t : {e.lpErrors, e.lpFragmentErrors, e.lpReservedErrors, e.lpRecognitionErrors,
                      e.lpSpareErrors1, e.lpSpareErrors2}) {
    o.tables.push_back(rig.table(t));
  }
  const RandomSeeds& s = rig.seeds;
  o.seeds = {s.seedNoisePulses, s.seedPositions,    s.seedCutBegin,       s.seedCutEnd,
             s.seedPulseCount,  s.seedSubsetSingle, s.seedSubsetMultiple, s.seedNoise};
  const SeriesHeader& h = *rig.series;
  const size_t q = h.wImpulseQuantity;
  const size_t found = h.wRestoredQuantity;
  o.series = {slice(h.lpPureData, h.dwSeriesSize),
              slice(h.lpNoisyData, h.dwSeriesSize),
              slice(h.lpPositions, q),
              slice(h.lpEtalonNumbers, q),
              slice(h.lpCutBegin, q),
              slice(h.lpCutEnd, q),
              slice(h.lpRestoredPositions, found),
              slice(h.lpRestoredEtalons, found),
              slice(h.lpRestoredCutBegin, found),
              slice(h.lpRestoredCutEnd, found),
              slice(h.lpSubset, h.wSubsetSize),
              slice(h.lpRestoredTupleFirst, std::max(h.wRestoredTuples, int16_t{0})),
              slice(h.lpRestoredTupleLast, std::max(h.wRestoredTuples, int16_t{0}))};
  o.counts = {h.wImpulseQuantity,  h.wRestoredQuantity, h.wRestoredTuples,
              h.wRecognizedSubset, h.wSubsetSize,       e.ifComplete};
  for (const auto& m : rig.window.messages()) o.messages.push_back(m.caption + "|" + m.text);
  return o;
}

const std::vector<Case> kCases = {
    {"detection, whole", 1, 1, {1}},
    {"detection, cut-off", 2, 1, {3}, 75},
    {"detection, unknown number", 4, 1, {5}},
    {"joint detection, unknown cut-off", 8, 4, {2, 7}, 80},
    {"joint detection, known", 1, 4, {2, 7, 11}},
    {"recognition, known", 1, 2, {1, 3, 5}},
    {"recognition, unknown", 4, 2, {5, 9}},
    {"series processing", 1, 64, {4}},
    {"tuple detection, known", 36, 36, {1}, 100, {1, 5, 9}},
    {"tuple detection, unknown", 40, 36, {1}, 100, {2, 6}, kSubsetShiftedComplete},
    {"tuple recognition, known", 36, 40, {1}, 100, {}, kSubsetComplete, {{1, 2}, {3, 4, 5}}},
    {"tuple recognition, unknown", 40, 40, {1}, 100, {}, kSubsetComplete, {{6}, {7, 8}}},
};

TEST(SimulationThreads, SeveralWorkersGiveTheResultsOfOneAndOfThePlainLoop) {
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    const Outcome one = runCase(c, 1);
    const Outcome three = runCase(c, 3);
    const Outcome plain = runCase(c, 0);
    EXPECT_EQ(plain.result, 1);
    EXPECT_EQ(one.tables, plain.tables);
    EXPECT_EQ(one.seeds, plain.seeds);
    EXPECT_EQ(one.series, plain.series);
    EXPECT_EQ(one.counts, plain.counts);
    ASSERT_EQ(one.result, 1) << (one.messages.empty() ? "" : one.messages[0]);
    EXPECT_EQ(three.result, 1);
    EXPECT_EQ(one.tables, three.tables);
    EXPECT_EQ(one.seeds, three.seeds);
    EXPECT_EQ(one.series, three.series);
    EXPECT_EQ(one.counts, three.counts);
    EXPECT_EQ(one.messages, three.messages);
    // The grid is noisy enough that something was measured.
    int64_t total = 0;
    for (int32_t v : one.tables[0]) total += v;
    EXPECT_GT(total, 0);
  }
}

}  // namespace
