#include <gtest/gtest.h>

#include <vector>

#include "platform/message_recorder.h"
#include "signal/random_source.h"
#include "signal/selected_subsets.h"
#include "signal/series_header.h"
#include "signal/series_maker.h"
#include "tests/support/series_factory.h"

namespace {

// Makes a series of q pulses (all etalon 9 before the subset is imposed) with the given
// subset, mode and position; returns the sequence after construction.
std::vector<uint16_t> imposed(TestAlphabet& a, RandomSeeds& seeds, uint16_t q, std::vector<int32_t> subset,
                              uint16_t mode, uint16_t position) {
  MessageRecorder w;
  // Tmin = Tmax = 40 with 40q samples admits exactly q pulses.
  const uint32_t n = 40u * q;
  SeriesPtr s(getCutOffSeriesHeader(w, 20, 20, 40, 40, n, nullptr));
  setSubset(w, subset.data(), static_cast<int32_t>(subset.size()), mode, position, s.get());
  std::vector<uint16_t> seq(q, 9);
  getCutOffSeries(w, 20, a.pulses, 20, 40, 40, n, q, seq.data(), 128, 100, s.get(), seeds);
  EXPECT_TRUE(w.messages().empty());
  EXPECT_EQ(std::vector<int16_t>(s->lpEtalonNumbers, s->lpEtalonNumbers + q),
            std::vector<int16_t>(seq.begin(), seq.end()));
  return seq;
}

}  // namespace

TEST(SubsetModes, FixedAndCompleteModesWriteFromThePosition) {
  TestAlphabet a;
  RandomSeeds seeds;
  EXPECT_EQ(imposed(a, seeds, 8, {3, 4}, kSubsetSingleFixed, 3),
            (std::vector<uint16_t>{9, 9, 3, 4, 9, 9, 9, 9}));
  EXPECT_EQ(imposed(a, seeds, 8, {3, 4, 5}, kSubsetSingleFixed, 7),
            (std::vector<uint16_t>{9, 9, 9, 9, 9, 9, 3, 4}));
  EXPECT_EQ(imposed(a, seeds, 7, {3, 4}, kSubsetComplete, 1), (std::vector<uint16_t>{3, 4, 3, 4, 3, 4, 3}));
  EXPECT_EQ(imposed(a, seeds, 7, {3, 4, 5}, kSubsetComplete, 3),
            (std::vector<uint16_t>{9, 9, 3, 4, 5, 3, 4}));
  // Unknown modes impose nothing; position 0 is taken as the first position.
  EXPECT_EQ(imposed(a, seeds, 4, {3, 4}, 9, 1), (std::vector<uint16_t>{9, 9, 9, 9}));
  EXPECT_EQ(imposed(a, seeds, 4, {3, 4}, kSubsetSingleFixed, 0), (std::vector<uint16_t>{3, 4, 9, 9}));
  EXPECT_EQ(seeds.seedSubsetSingle, RandomSeeds{}.seedSubsetSingle);
  EXPECT_EQ(seeds.seedSubsetMultiple, RandomSeeds{}.seedSubsetMultiple);
}

TEST(SubsetModes, SingleRandomShiftsOnceWithinTheRange) {
  TestAlphabet a;
  RandomSeeds seeds;
  for (int round = 0; round < 50; ++round) {
    uint16_t replay = seeds.seedSubsetSingle;
    const int offset = (uniformRandom(replay) >> 1) % (10 - 1 - 3 + 1);  // R = Q - P - K + 1 = 7
    std::vector<uint16_t> expected(10, 9);
    for (int j = 0; j < 3; ++j) expected[1 + offset + j] = static_cast<uint16_t>(5 + j);
    ASSERT_EQ(imposed(a, seeds, 10, {5, 6, 7}, kSubsetSingleRandom, 2), expected);
    ASSERT_EQ(seeds.seedSubsetSingle, replay);
  }
  // With no room to shift (R <= 0) it behaves as the fixed mode and draws nothing.
  const uint16_t before = seeds.seedSubsetSingle;
  EXPECT_EQ(imposed(a, seeds, 4, {5, 6, 7}, kSubsetSingleRandom, 3), (std::vector<uint16_t>{9, 9, 5, 6}));
  EXPECT_EQ(seeds.seedSubsetSingle, before);
}

TEST(SubsetModes, MultipleRandomRepeatsUntilTheSequenceIsCovered) {
  TestAlphabet a;
  RandomSeeds seeds;
  for (int round = 0; round < 50; ++round) {
    uint16_t replay = seeds.seedSubsetMultiple;
    std::vector<uint16_t> expected(12, 9);
    const int range = 12 - 0 - 2 + 1;
    int p = 0;
    do {
      p += (uniformRandom(replay) >> 1) % range;
      for (int j = 0; j < 2 && p < 12; ++j) expected[p++] = static_cast<uint16_t>(1 + j);
    } while (p < 12);
    ASSERT_EQ(imposed(a, seeds, 12, {1, 2}, kSubsetMultipleRandom, 1), expected);
    ASSERT_EQ(seeds.seedSubsetMultiple, replay);
  }
}

TEST(SubsetModes, ShiftedCompleteStartsAtARandomPhase) {
  TestAlphabet a;
  RandomSeeds seeds;
  for (int round = 0; round < 30; ++round) {
    uint16_t replay = seeds.seedSubsetSingle;
    const int phase = (uniformRandom(replay) >> 1) % 3;
    std::vector<uint16_t> expected(8);
    for (int i = 0; i < 8; ++i) expected[i] = static_cast<uint16_t>(11 + (phase + i) % 3);
    ASSERT_EQ(imposed(a, seeds, 8, {11, 12, 13}, kSubsetShiftedComplete, 1), expected);
  }
  // A one-etalon subset makes it the complete mode.
  EXPECT_EQ(imposed(a, seeds, 5, {6}, kSubsetShiftedComplete, 2),
            imposed(a, seeds, 5, {6}, kSubsetComplete, 2));
}

TEST(SubsetModes, SubsetNumbersOutsideTheAlphabetBecomeOne) {
  TestAlphabet a;
  RandomSeeds seeds;
  EXPECT_EQ(imposed(a, seeds, 4, {0, 25, -3}, kSubsetComplete, 1), (std::vector<uint16_t>{1, 1, 1, 1}));
}
