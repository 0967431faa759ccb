#include <gtest/gtest.h>

#include <vector>

#include "processing/chains_header.h"
#include "processing/fixed_detection.h"
#include "processing/fixed_tuples.h"
#include "processing/recognition.h"
#include "processing/unfixed_detection.h"
#include "processing/unfixed_tuples.h"
#include "settings/setting_rules.h"
#include "shell/command_dispatcher.h"
#include "shell/command_ids.h"
#include "signal/sequence_random.h"
#include "signal/series_header.h"
#include "simulation/series_copy.h"
#include "tests/shell/workbench_fixture.h"

namespace {

void requireEtalons(AppState& s, std::initializer_list<uint16_t> numbers) {
  for (uint16_t& flag : s.etalonSelected) flag = 0;
  for (uint16_t n : numbers) s.etalonSelected[n - 1] = 1;
  requiredListFromState(s);
}

// The solver the dispatcher is expected to pick, run on a private copy of the series.
using ExpectedSolver = void (*)(Window&, AppState&, ChainsHeader*, SeriesHeader*);

void expectSameChains(const ChainsHeader& a, const ChainsHeader& b) {
  ASSERT_EQ(a.wPretenders, b.wPretenders);
  EXPECT_EQ(a.wSeekingPulsesQuantity, b.wSeekingPulsesQuantity);
  for (int i = 0; i < a.wPretenders; ++i) {
    EXPECT_EQ(a.distance[i], b.distance[i]) << i;
    ASSERT_EQ(a.chainLength[i], b.chainLength[i]) << i;
    for (int j = 0; j < a.chainLength[i]; ++j) {
      EXPECT_EQ(a.positionsList[i][j], b.positionsList[i][j]);
      EXPECT_EQ(a.pulsesList[i][j], b.pulsesList[i][j]);
      EXPECT_EQ(a.cutOffBeginList[i][j], b.cutOffBeginList[i][j]);
      EXPECT_EQ(a.cutOffEndList[i][j], b.cutOffEndList[i][j]);
    }
  }
}

}  // namespace

TEST(SequenceRandom, PublishedSequenceFromStateOne) {
  uint32_t state = 1;
  const int32_t expected[] = {41, 18467, 6334, 26500, 19169, 15724, 11478, 29358, 26962, 24464};
  for (int32_t value : expected) EXPECT_EQ(nextSequenceRandom(state), value);
}

TEST(ProcessingRun, SameDataAfterStartProcessesTheNoiselessSeries) {
  Workbench wb;
  ASSERT_TRUE(wb.created);
  const uint16_t seed = wb.state.seeds.seedNoise;
  std::vector<int16_t> truth(wb.state.lpCutOffSeriesHeader->lpPositions,
                             wb.state.lpCutOffSeriesHeader->lpPositions + 18);
  ASSERT_TRUE(wb.window.menuCommand(kMenuProcessingSameData));
  const AppState& s = wb.state;
  EXPECT_EQ(s.seeds.seedNoise, seed);  // no noise was added
  EXPECT_EQ(s.viewState, 6);
  EXPECT_EQ(s.resultKind, 1);
  const SeriesHeader& series = *s.lpCutOffSeriesHeader;
  // Without noise the pulses are found where they are.
  ASSERT_EQ(series.wRestoredQuantity, 18);
  for (int i = 0; i < 18; ++i) EXPECT_EQ(series.lpRestoredPositions[i], truth[i]);
  EXPECT_EQ(s.lpChainsHeader->wInfoLevel, 2);
  EXPECT_EQ(s.lpChainsHeader->wTaskType, 1);
  EXPECT_EQ(s.lpChainsHeader->wSeriesType, 1);
  EXPECT_TRUE(wb.window.messages().empty());
}

TEST(ProcessingRun, NextDataDrawsASequenceMakesNoisyDataAndShowsTheResult) {
  Workbench wb;
  ASSERT_TRUE(wb.created);
  AppState& s = wb.state;
  // Joint detection draws every pulse from the list with the dispatcher's generator.
  requireEtalons(s, {2, 5, 7});
  ASSERT_TRUE(wb.window.menuCommand(kMenuJointDetection));
  const uint16_t seed = s.seeds.seedNoise;
  ASSERT_TRUE(wb.window.menuCommand(kMenuProcessingNextData));
  uint32_t generator = 1;
  const uint16_t list[3] = {2, 5, 7};
  for (int k = 0; k < 30; ++k) {
    const uint16_t expected = list[(nextSequenceRandom(generator) >> 3) % 3];
    EXPECT_EQ(s.etalonSequence[k], expected) << k;
  }
  EXPECT_EQ(s.sequenceRandomState, generator);
  EXPECT_NE(s.seeds.seedNoise, seed);
  const SeriesHeader& series = *s.lpCutOffSeriesHeader;
  EXPECT_EQ(series.wNoiseLevel, 20);
  for (int i = 0; i < series.wImpulseQuantity; ++i) EXPECT_EQ(series.lpEtalonNumbers[i], s.etalonSequence[i]);
  EXPECT_EQ(s.viewState, 6);
  EXPECT_EQ(s.lpChainsHeader->wTaskType, 4);
  EXPECT_GT(series.wRestoredQuantity, 0);

  // Detection repeats one etalon: the first one drawn.
  ASSERT_TRUE(wb.window.menuCommand(kMenuRepeatRecognition));
  for (int i = 1; i < s.lpCutOffSeriesHeader->wImpulseQuantity; ++i)
    EXPECT_EQ(s.lpCutOffSeriesHeader->lpEtalonNumbers[i], s.lpCutOffSeriesHeader->lpEtalonNumbers[0]);
  EXPECT_EQ(s.taskType, 2);
  EXPECT_EQ(s.lpChainsHeader->wTaskType, 2);
}

TEST(ProcessingRun, NextDataCopiesEveryRequestIntoItsUsedValue) {
  Workbench wb;
  AppState& s = wb.state;
  s.dwSeriesSize = 600;
  s.noiseLevel = 35;
  s.wPulsesRequested = 99;  // outside the bounds: the midpoint is used
  s.lostLevel = 25;
  s.makingLevel = s.processingLevel = 75;
  s.seriesType = 2;
  ASSERT_TRUE(wb.window.menuCommand(kMenuProcessingNextData));
  EXPECT_EQ(s.dwSeriesSizeUsed, 600u);
  EXPECT_EQ(s.wMinPulses, (600u + 19) / 181);
  EXPECT_EQ(s.wMaxPulses, (600u - 20 + 40) / 40);
  EXPECT_EQ(s.wPulsesUsed, (3 + 15) / 2);
  EXPECT_EQ(s.noiseLevelUsed, 35);
  EXPECT_EQ(s.lostLevelUsed, 25);
  EXPECT_EQ(s.makingLevelUsed, 75);
  EXPECT_EQ(s.processingLevelUsed, 75);
  EXPECT_EQ(s.lpCutOffSeriesHeader->dwSeriesSize, 600u);
  EXPECT_EQ(s.lpCutOffSeriesHeader->wImpulseQuantity, 9);
  EXPECT_EQ(s.lpChainsHeader->wProcessingEnergyLevel, 75);
}

// Every pair of effective task and series type runs the solver of its table, with the
// arguments in the right order: the result equals that solver's on a copy of the series.
TEST(ProcessingRun, SolverOfEveryTaskAndSeriesType) {
  struct Case {
    uint16_t taskItem, seriesItem;
    ExpectedSolver solver;
  };
  auto detectFixed = [](Window& w, AppState& s, ChainsHeader* c, SeriesHeader* x) {
    detectFixedPulses(w, s.etalonAlphabet, s.requiredCount, s.requiredList, s.wTmin, s.wTmax,
                      static_cast<uint16_t>(s.processingLevelUsed), c, x);
  };
  auto detectUnfixed = [](Window& w, AppState& s, ChainsHeader* c, SeriesHeader* x) {
    detectUnfixedPulses(w, s.etalonAlphabet, s.requiredCount, s.requiredList, s.wTmin, s.wTmax,
                        static_cast<uint16_t>(s.processingLevelUsed), c, x);
  };
  auto recognizeFixed = [](Window& w, AppState& s, ChainsHeader* c, SeriesHeader* x) {
    recognizeFixedPulses(w, s.etalonAlphabet, s.requiredCount, s.requiredList, s.wTmin, s.wTmax,
                         static_cast<uint16_t>(s.processingLevelUsed), c, x);
  };
  auto recognizeUnfixed = [](Window& w, AppState& s, ChainsHeader* c, SeriesHeader* x) {
    recognizeUnfixedPulses(w, s.etalonAlphabet, s.requiredCount, s.requiredList, s.wTmin, s.wTmax,
                           static_cast<uint16_t>(s.processingLevelUsed), c, x);
  };
  auto tuplesDetectFixed = [](Window& w, AppState& s, ChainsHeader* c, SeriesHeader* x) {
    detectFixedTuples(w, s.etalonAlphabet, s.selectedSubsetCount, s.selectedSubset, s.subsetProceeding,
                      s.wTmin, s.wTmax, static_cast<uint16_t>(s.processingLevelUsed), c, x);
  };
  auto tuplesDetectUnfixed = [](Window& w, AppState& s, ChainsHeader* c, SeriesHeader* x) {
    int32_t verbose = 0;
    detectUnfixedTuples(w, s.etalonAlphabet, s.selectedSubsetCount, s.selectedSubset, s.subsetProceeding,
                        s.wTmin, s.wTmax, static_cast<uint16_t>(s.processingLevelUsed), c, x, verbose);
  };
  auto tuplesRecognizeFixed = [](Window& w, AppState& s, ChainsHeader* c, SeriesHeader* x) {
    recognizeFixedTuples(w, s.etalonAlphabet, s.selectedSubsetArraySize, s.reservedSubsetList,
                         s.reservedSubsetCount, s.subsetProceeding, s.wTmin, s.wTmax,
                         static_cast<uint16_t>(s.processingLevelUsed), c, x);
  };
  auto tuplesRecognizeUnfixed = [](Window& w, AppState& s, ChainsHeader* c, SeriesHeader* x) {
    int32_t verbose = 0;
    recognizeUnfixedTuples(w, s.etalonAlphabet, s.selectedSubsetArraySize, s.reservedSubsetList,
                           s.reservedSubsetCount, s.subsetProceeding, s.wTmin, s.wTmax,
                           static_cast<uint16_t>(s.processingLevelUsed), c, x, verbose);
  };
  std::vector<Case> cases;
  for (uint16_t task : {kMenuDetection, kMenuJointDetection, kMenuSeriesProcessing}) {
    cases.push_back({task, kMenuFixedWhole, detectFixed});
    cases.push_back({task, kMenuFixedCutOff, detectFixed});
    cases.push_back({task, kMenuUnfixedWhole, detectUnfixed});
    cases.push_back({task, kMenuUnfixedCutOff, detectUnfixed});
  }
  cases.push_back({kMenuRecognition, kMenuFixedWhole, recognizeFixed});
  cases.push_back({kMenuRecognition, kMenuFixedCutOff, recognizeFixed});
  cases.push_back({kMenuRecognition, kMenuUnfixedWhole, recognizeUnfixed});
  cases.push_back({kMenuRecognition, kMenuUnfixedCutOff, recognizeUnfixed});
  cases.push_back({kMenuDetection, kMenuFixedTuples, tuplesDetectFixed});
  cases.push_back({kMenuDetection, kMenuUnfixedTuples, tuplesDetectUnfixed});
  cases.push_back({kMenuRecognition, kMenuFixedTuples, tuplesRecognizeFixed});
  cases.push_back({kMenuRecognition, kMenuUnfixedTuples, tuplesRecognizeUnfixed});

  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "task item " << c.taskItem << ", series item " << c.seriesItem);
    Workbench wb;
    AppState& s = wb.state;
    s.dwSeriesSize = 600;
    setSubsets(s, {1, 3}, {{1, 3}, {2, 4, 1}});
    ASSERT_TRUE(wb.window.menuCommand(c.seriesItem));
    ASSERT_TRUE(wb.window.menuCommand(c.taskItem));
    requireEtalons(s, {1, 3});
    if (c.seriesItem == kMenuFixedCutOff || c.seriesItem == kMenuUnfixedCutOff) {
      s.lostLevel = 25;
      s.makingLevel = s.processingLevel = 75;
    }
    ASSERT_TRUE(wb.window.menuCommand(kMenuProcessingNextData));
    ASSERT_TRUE(wb.window.messages().empty()) << wb.window.messages()[0].text;

    SeriesHeader* copy = getCutOffSeriesHeader(wb.window, s.wEtalonsQuantity, s.wImpulseSize, s.wTmin,
                                               s.wTmax, s.dwSeriesSizeUsed, nullptr);
    ASSERT_NE(copy, nullptr);
    ASSERT_TRUE(copySeriesContents(*s.lpCutOffSeriesHeader, *copy));
    ChainsHeader* chains = getChainsHeader(wb.window, 10, s.wChainsMaxPulses, nullptr);
    c.solver(wb.window, s, chains, copy);
    expectSameChains(*s.lpChainsHeader, *chains);
    EXPECT_EQ(s.lpCutOffSeriesHeader->wRestoredQuantity, copy->wRestoredQuantity);
    EXPECT_EQ(s.viewState, 6);
    freeChainsHeader(wb.window, chains);
    freeSeriesHeader(wb.window, copy);
  }
}

TEST(ProcessingRun, TupleDetectionWithoutASubsetOpensTheSubsetView) {
  Workbench wb;
  AppState& s = wb.state;
  ASSERT_TRUE(wb.window.menuCommand(kMenuFixedTuples));
  const uint16_t before = s.lpChainsHeader->wInfoLevel;
  ASSERT_TRUE(wb.window.menuCommand(kMenuProcessingNextData));
  EXPECT_EQ(s.effectiveTaskType, 36);
  EXPECT_EQ(s.viewState, 9);  // the subset view, no result
  EXPECT_EQ(s.lpChainsHeader->wInfoLevel, before);
  EXPECT_TRUE(wb.window.messages().empty());
}

TEST(ProcessingRun, MissingSeriesMakesCommandsDeclineQuietly) {
  Workbench wb;
  AppState& s = wb.state;
  s.dwSeriesSize = 4000000000u;  // cannot be allocated: the series maker fails
  ASSERT_TRUE(wb.window.menuCommand(kMenuProcessingNextData));
  ASSERT_FALSE(wb.window.messages().empty());
  EXPECT_EQ(wb.window.messages().back().text, "Не могу создать ряд!");
  EXPECT_EQ(wb.window.messages().back().caption, "CM_INFO");
  EXPECT_EQ(s.lpCutOffSeriesHeader, nullptr);
  EXPECT_EQ(s.viewState, 5);
  wb.window.clearMessages();
  for (uint16_t id : {kMenuProcessingSameData, kMenuMoreDetails, kMenuDebuggingRepeat})
    ASSERT_TRUE(wb.window.menuCommand(id));
  wb.internal(CM_ADD_NOISE);
  wb.internal(CM_PROCESS);
  EXPECT_TRUE(wb.window.messages().empty());
  EXPECT_EQ(s.viewState, 5);
  // The result view without a series paints without trouble.
  s.viewState = 6;
  wb.window.invalidateAll(true);
  EXPECT_TRUE(wb.window.pump());
  // A sound size makes the series again.
  s.dwSeriesSize = 1200;
  ASSERT_TRUE(wb.window.menuCommand(kMenuProcessingNextData));
  EXPECT_NE(s.lpCutOffSeriesHeader, nullptr);
  EXPECT_TRUE(wb.window.messages().empty());
}

TEST(ProcessingRun, NoRequiredEtalonStopsTheRunBeforeDrawing) {
  Workbench wb;
  AppState& s = wb.state;
  requireEtalons(s, {});
  const uint32_t generator = s.sequenceRandomState;
  ASSERT_TRUE(wb.window.menuCommand(kMenuProcessingNextData));
  EXPECT_EQ(s.sequenceRandomState, generator);
  EXPECT_EQ(s.viewState, 5);
  EXPECT_TRUE(wb.window.messages().empty());
}

TEST(ProcessingRun, StampFailureIsReported) {
  Workbench wb;
  AppState& s = wb.state;
  freeChainsHeader(wb.window, s.lpChainsHeader);
  s.lpChainsHeader = nullptr;
  ASSERT_TRUE(wb.window.menuCommand(kMenuProcessingSameData));
  ASSERT_FALSE(wb.window.messages().empty());
  EXPECT_EQ(wb.window.messages().back().text, "Ошибка addToChainsHeader!");
  EXPECT_EQ(wb.window.messages().back().caption, " About ChainsHeader ");
  EXPECT_EQ(s.viewState, 5);
}

TEST(MenuCommands, SeriesTypeChecksAndLevels) {
  Workbench wb;
  AppState& s = wb.state;
  const uint16_t items[6] = {kMenuFixedWhole,    kMenuUnfixedWhole, kMenuFixedCutOff,
                             kMenuUnfixedCutOff, kMenuFixedTuples,  kMenuUnfixedTuples};
  const uint16_t types[6] = {1, 4, 2, 8, 36, 40};
  for (int i = 0; i < 6; ++i) {
    ASSERT_TRUE(wb.window.menuCommand(items[i]));
    EXPECT_EQ(s.seriesType, types[i]);
    for (int j = 0; j < 6; ++j) EXPECT_EQ(wb.window.isMenuItemChecked(items[j]), i == j) << i << " " << j;
  }
  // A cut-off type keeps the lost level as chosen; a whole-pulse type resets it.
  s.lostLevelChoice.selected = 3;
  s.lostLevel = s.lostLevelUsed = 50;
  s.makingLevel = s.processingLevel = s.makingLevelUsed = s.processingLevelUsed = 50;
  s.dialogMakingLevel = s.dialogProcessingLevel = 50;
  ASSERT_TRUE(wb.window.menuCommand(kMenuUnfixedCutOff));
  EXPECT_EQ(s.lostLevel, 50);
  EXPECT_EQ(s.makingLevelUsed, 50);
  ASSERT_TRUE(wb.window.menuCommand(kMenuUnfixedTuples));
  EXPECT_EQ(s.lostLevelChoice.selected, 1);
  EXPECT_EQ(s.lostLevel, 0);
  EXPECT_EQ(s.lostLevelUsed, 0);
  for (int16_t level : {s.makingLevel, s.makingLevelUsed, s.dialogMakingLevel, s.processingLevel,
                        s.processingLevelUsed, s.dialogProcessingLevel})
    EXPECT_EQ(level, 100);
  // The effective task waits for the next run.
  EXPECT_EQ(s.effectiveTaskType, 1);
}

TEST(MenuCommands, TaskTypeChecksAndEffectiveTask) {
  Workbench wb;
  AppState& s = wb.state;
  const uint16_t items[4] = {kMenuDetection, kMenuRecognition, kMenuJointDetection, kMenuSeriesProcessing};
  const uint16_t tasks[4] = {1, 2, 4, 64};
  for (int i = 0; i < 4; ++i) {
    ASSERT_TRUE(wb.window.menuCommand(items[i]));
    EXPECT_EQ(s.taskType, tasks[i]);
    EXPECT_EQ(s.effectiveTaskType, tasks[i]);
    for (int j = 0; j < 4; ++j) EXPECT_EQ(wb.window.isMenuItemChecked(items[j]), i == j);
  }
  // Detection keeps only the detection etalon in the list.
  requireEtalons(s, {1, 4, 9});
  s.detectionEtalonUsed = 4;
  ASSERT_TRUE(wb.window.menuCommand(kMenuDetection));
  ASSERT_EQ(s.requiredCount, 1);
  EXPECT_EQ(s.requiredList[0], 4);
  // On tuple series detection and recognition become 36 and 40, and the list stays.
  ASSERT_TRUE(wb.window.menuCommand(kMenuFixedTuples));
  requireEtalons(s, {1, 4, 9});
  ASSERT_TRUE(wb.window.menuCommand(kMenuDetection));
  EXPECT_EQ(s.effectiveTaskType, 36);
  EXPECT_EQ(s.requiredCount, 3);
  ASSERT_TRUE(wb.window.menuCommand(kMenuRecognition));
  EXPECT_EQ(s.effectiveTaskType, 40);
}

// The case and repeat commands change a type without its menu item; the check marks follow.
TEST(MenuCommands, CaseAndRepeatCommandsMoveTheCheckMarksToTheTypesInUse) {
  Workbench wb;
  AppState& s = wb.state;
  ASSERT_TRUE(wb.window.menuCommand(kMenuFixedCutOff));
  ASSERT_TRUE(wb.window.menuCommand(kMenuUnfixedCase));
  EXPECT_EQ(s.seriesType, 4);
  EXPECT_FALSE(wb.window.isMenuItemChecked(kMenuFixedCutOff));
  EXPECT_TRUE(wb.window.isMenuItemChecked(kMenuUnfixedWhole));
  EXPECT_EQ(s.viewState, 6);
  ASSERT_TRUE(wb.window.menuCommand(kMenuFixedCase));
  EXPECT_EQ(s.seriesType, 1);
  EXPECT_FALSE(wb.window.isMenuItemChecked(kMenuUnfixedWhole));
  EXPECT_TRUE(wb.window.isMenuItemChecked(kMenuFixedWhole));

  ASSERT_TRUE(wb.window.menuCommand(kMenuRepeatJoint));
  EXPECT_EQ(s.taskType, 4);
  EXPECT_EQ(s.effectiveTaskType, 4);
  EXPECT_FALSE(wb.window.isMenuItemChecked(kMenuDetection));
  EXPECT_TRUE(wb.window.isMenuItemChecked(kMenuJointDetection));
  ASSERT_TRUE(wb.window.menuCommand(kMenuRepeatSeriesProcessing));
  EXPECT_EQ(s.taskType, 64);
  EXPECT_FALSE(wb.window.isMenuItemChecked(kMenuJointDetection));
  EXPECT_TRUE(wb.window.isMenuItemChecked(kMenuSeriesProcessing));
}

TEST(MenuCommands, SameDataUsesTheNewSeriesTypeOnTheOldSeries) {
  Workbench wb;
  AppState& s = wb.state;
  ASSERT_TRUE(wb.window.menuCommand(kMenuProcessingNextData));
  const uint16_t pulses = s.lpCutOffSeriesHeader->wImpulseQuantity;
  ASSERT_TRUE(wb.window.menuCommand(kMenuUnfixedWhole));
  ASSERT_TRUE(wb.window.menuCommand(kMenuProcessingSameData));
  EXPECT_EQ(s.lpCutOffSeriesHeader->wImpulseQuantity, pulses);
  EXPECT_EQ(s.lpChainsHeader->wSeriesType, 4);
  EXPECT_EQ(s.lpChainsHeader->wSeekingPulsesQuantity, s.lpCutOffSeriesHeader->wRestoredQuantity);
}

TEST(MenuCommands, TypeMoreDetailsRepaintsWithoutErasing) {
  Workbench wb;
  AppState& s = wb.state;
  ASSERT_TRUE(wb.window.menuCommand(kMenuProcessingNextData));
  const Rect area = s.layout.workArea;
  // A mark inside the work area where the result view draws nothing survives the repaint.
  const int32_t x = area.right - 3, y = area.bottom - 3;
  ASSERT_EQ(wb.window.pixel(x, y), kWhite);
  wb.window.sendCommand(kMenuTypeMoreDetails);
  EXPECT_EQ(s.typeDetails, 1);
  EXPECT_FALSE(wb.window.pendingErase());
  EXPECT_EQ(wb.window.pendingRegion().bounds(), viewArea(s.layout));  // the outline right of and below it too
  EXPECT_TRUE(wb.window.pump());
  EXPECT_EQ(s.typeDetails, 0);
  // A normal run erases.
  wb.window.sendCommand(kMenuProcessingNextData);
  EXPECT_TRUE(wb.window.pendingErase());
  wb.window.pump();
}

// The result view is the only one that clears the flag: in any other view the command does
// not set it, so the next run still erases the view it replaces.
TEST(MenuCommands, TypeMoreDetailsOutsideTheResultViewLeavesTheNextRunErasing) {
  Workbench wb;
  AppState& s = wb.state;
  ASSERT_EQ(s.viewState, 5);
  ASSERT_TRUE(wb.window.menuCommand(kMenuTypeMoreDetails));
  EXPECT_EQ(s.typeDetails, 0);
  wb.window.sendCommand(kMenuProcessingNextData);
  EXPECT_TRUE(wb.window.pendingErase());
  wb.window.pump();
  EXPECT_EQ(s.viewState, 6);
  // With the charts shown neither.
  s.resultKind = 2;
  ASSERT_TRUE(wb.window.menuCommand(kMenuTypeMoreDetails));
  EXPECT_EQ(s.typeDetails, 0);
}

TEST(MenuCommands, NothingCommandsChangeNothing) {
  Workbench wb;
  const int paints = wb.window.paintCount();
  ASSERT_TRUE(wb.window.menuCommand(kMenuElseCreateSeries));
  wb.internal(CM_NOTHING);
  wb.internal(217);
  wb.internal(12345);
  EXPECT_EQ(wb.window.paintCount(), paints);
  EXPECT_EQ(wb.state.viewState, 5);
  EXPECT_TRUE(wb.window.messages().empty());
}

TEST(InternalCommands, ApplyChoicesAndRepaintRegions) {
  Workbench wb;
  AppState& s = wb.state;
  s.seriesSizeChoice.selected = 1;
  s.noiseLevelChoice.selected = 3;
  s.lostLevelChoice.selected = 2;
  wb.window.sendCommand(CM_APPLY_CHOICES);
  EXPECT_EQ(s.dwSeriesSize, 200u);
  EXPECT_EQ(s.wMinPulses, 1);
  EXPECT_EQ(s.wMaxPulses, 5);
  EXPECT_EQ(s.wPulsesRequested, 3);
  EXPECT_EQ(s.noiseLevel, 50);
  EXPECT_EQ(s.lostLevel, 25);
  EXPECT_EQ(s.makingLevel, 75);
  EXPECT_EQ(s.processingLevel, 75);
  EXPECT_EQ(s.dwSeriesSizeUsed, 1200u);  // applies from the next run only
  EXPECT_EQ(wb.window.pendingRegion().bounds(), wb.window.clientRect());
  EXPECT_TRUE(wb.window.pendingErase());
  wb.window.pump();

  // The cells of the new and the previous detection etalon, grown by 1 and 3.
  s.previousEtalon = 1;
  s.detectionEtalonUsed = 2;
  wb.window.sendCommand(CM_REDRAW_ETALON_CELLS);
  const Rect c1 = s.layout.etalonCellRect[0], c2 = s.layout.etalonCellRect[1];
  EXPECT_TRUE(wb.window.pendingRegion().contains(c2.left - 1, c2.top - 1));
  EXPECT_TRUE(wb.window.pendingRegion().contains(c2.right + 2, c2.bottom + 2));
  EXPECT_FALSE(wb.window.pendingRegion().contains(c2.right + 3, c2.top));
  EXPECT_TRUE(wb.window.pendingRegion().contains(c1.left, c1.top));
  wb.window.pump();

  // The button column grown by one, and its flag cleared.
  s.repaintButtonColumn = 1;
  wb.window.sendCommand(CM_REDRAW_WORK_AREA_AND_BUTTONS);
  const Rect column = s.layout.buttonColumnRect;
  EXPECT_TRUE(wb.window.pendingRegion().contains(column.right, column.bottom));
  EXPECT_EQ(s.repaintButtonColumn, 0);
  wb.window.pump();

  wb.window.sendCommand(CM_REDRAW_WORK_AREA_NO_ERASE);
  EXPECT_FALSE(wb.window.pendingErase());
  EXPECT_TRUE(wb.window.pendingRegion().contains(s.layout.workArea.left, s.layout.workArea.top - 10));
  wb.window.pump();
}
