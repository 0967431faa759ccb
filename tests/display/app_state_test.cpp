#include "display/app_state.h"

#include <gtest/gtest.h>

#include <vector>

#include "platform/headless_window.h"
#include "settings/setting_rules.h"
#include "signal/required_list.h"

TEST(AppState, StartValues) {
  const AppState s;
  EXPECT_EQ(s.dwSeriesSize, 1200u);
  EXPECT_EQ(s.dwSeriesSizeUsed, 1200u);
  EXPECT_EQ(s.wTmin, 40);
  EXPECT_EQ(s.wTmax, 181);
  EXPECT_EQ(s.wMinPulses, 6);
  EXPECT_EQ(s.wMaxPulses, 30);
  EXPECT_EQ(s.wPulsesRequested, 18);
  EXPECT_EQ(s.wPulsesUsed, 18);
  EXPECT_EQ(s.noiseLevel, 20);
  EXPECT_EQ(s.lostLevel, 0);
  EXPECT_EQ(s.makingLevelUsed, 100);
  EXPECT_EQ(s.processingLevelUsed, 100);
  EXPECT_EQ(s.taskType, 1);
  EXPECT_EQ(s.effectiveTaskType, 1);
  EXPECT_EQ(s.seriesType, 1);
  EXPECT_EQ(s.viewState, 5);
  EXPECT_EQ(s.chartKind, 2);
  EXPECT_EQ(s.dialogPulses, 40);
  EXPECT_EQ(s.seriesSizeChoice.values[s.seriesSizeChoice.selected - 1], 1200);
  EXPECT_EQ(s.noiseLevelChoice.values[s.noiseLevelChoice.selected - 1], 20);
  EXPECT_EQ(s.lostLevelChoice.values[s.lostLevelChoice.selected - 1], 0);
  EXPECT_EQ(s.seeds.seedNoise, 10597);
  std::vector<uint16_t> flags(s.etalonSelected, s.etalonSelected + 20);
  std::vector<uint16_t> expected(20, 0);
  expected[0] = 1;
  EXPECT_EQ(flags, expected);
  EXPECT_EQ(s.lpCutOffSeriesHeader, nullptr);
  EXPECT_EQ(s.etalonAlphabet[19].lpData, nullptr);
}

TEST(AppState, DerivedBoundsFollowTheSeriesLength) {
  AppState s;
  resetPulseBounds(s);
  EXPECT_EQ(s.wMinPulses, 6);
  EXPECT_EQ(s.wMaxPulses, 30);
  EXPECT_EQ(s.wPulsesRequested, 18);
  s.dwSeriesSize = 200;
  resetPulseBounds(s);
  EXPECT_EQ(s.wMinPulses, 1);
  EXPECT_EQ(s.wMaxPulses, 5);
  EXPECT_EQ(s.wPulsesRequested, 3);
  s.wPulsesRequested = 9;
  clampPulsesUsed(s);
  EXPECT_EQ(s.wPulsesUsed, 3);
  s.wTmin = 0;
  resetPulseBounds(s);  // no division by zero
  EXPECT_EQ(s.wMaxPulses, 0);
}

TEST(AppState, LevelsAndEffectiveTask) {
  AppState s;
  setLostLevel(s, 25);
  EXPECT_EQ(s.makingLevel, 75);
  EXPECT_EQ(s.processingLevel, 75);
  EXPECT_EQ(s.makingLevelUsed, 100);  // the Used values change only when a series is made
  s.lostLevelChoice.selected = 2;
  resetLevelsForWholePulses(s);
  EXPECT_EQ(s.lostLevel, 0);
  EXPECT_EQ(s.lostLevelChoice.selected, 1);
  EXPECT_EQ(s.makingLevel, 100);
  EXPECT_EQ(s.dialogProcessingLevel, 100);

  s.seriesType = 40;
  s.taskType = 2;
  updateEffectiveTaskType(s);
  EXPECT_EQ(s.effectiveTaskType, 40);
  s.taskType = 1;
  updateEffectiveTaskType(s);
  EXPECT_EQ(s.effectiveTaskType, 36);
  s.handlingCase = 3;
  s.boundsIncluded = 0;
  updateChartKind(s);
  EXPECT_EQ(s.chartKind, 4);
}

TEST(AppState, RequiredListAndFlagsRoundTrip) {
  HeadlessWindow w(8, 8);
  AppState s;
  s.requiredCapacity = 20;
  s.requiredList = getRequiredList(w, 20, nullptr);
  s.requiredCount = 20;
  requiredFlagsFromState(s);
  EXPECT_EQ(std::vector<uint16_t>(s.etalonSelected, s.etalonSelected + 20), std::vector<uint16_t>(20, 1));
  for (uint16_t& f : s.etalonSelected) f = 0;
  s.etalonSelected[4] = s.etalonSelected[11] = 1;
  requiredListFromState(s);
  EXPECT_EQ(s.requiredCount, 2);
  EXPECT_EQ(std::vector<uint16_t>(s.requiredList, s.requiredList + 2), (std::vector<uint16_t>{5, 12}));
  freeRequiredList(s.requiredList);
  s.requiredList = nullptr;
  requiredListFromState(s);  // no list: nothing is written
  EXPECT_EQ(s.requiredCount, 0);
}
