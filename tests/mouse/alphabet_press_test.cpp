#include <gtest/gtest.h>

#include "display/internal_commands.h"
#include "shell/command_ids.h"
#include "signal/series_header.h"
#include "tests/mouse/mouse_fixture.h"

namespace {

const Rect& cell(const AppState& s, int32_t etalon) { return s.layout.etalonCellRect[etalon - 1]; }

}  // namespace

TEST(AlphabetPress, DetectionKeepsExactlyOneEtalonSelected) {
  MouseBench wb;
  ASSERT_EQ(wb.state.viewState, 5);
  wb.click(cell(wb.state, 3));
  EXPECT_EQ(wb.selected(), (std::vector<int32_t>{3}));
  EXPECT_EQ(wb.required(), (std::vector<int32_t>{3}));
  EXPECT_EQ(wb.state.detectionEtalonUsed, 3);
  EXPECT_EQ(wb.state.previousEtalon, 1);
  // Pressing the selected etalon again leaves it selected.
  wb.click(cell(wb.state, 3));
  EXPECT_EQ(wb.selected(), (std::vector<int32_t>{3}));
  EXPECT_EQ(wb.state.previousEtalon, 3);
  wb.click(cell(wb.state, 20));
  EXPECT_EQ(wb.selected(), (std::vector<int32_t>{20}));
  EXPECT_EQ(wb.state.viewState, 5);
  EXPECT_EQ(wb.press(cell(wb.state, 7)), (Commands{CM_REDRAW_ETALON_CELLS}));
}

TEST(AlphabetPress, OtherTasksToggleAndSelectAllFollowsTheImage) {
  MouseBench wb;
  wb.window.menuCommand(kMenuRecognition);
  wb.click(cell(wb.state, 2));
  wb.click(cell(wb.state, 5));
  EXPECT_EQ(wb.required(), (std::vector<int32_t>{1, 2, 5}));
  wb.click(cell(wb.state, 1));
  EXPECT_EQ(wb.required(), (std::vector<int32_t>{2, 5}));

  // Two of twenty selected: the button shows Select All and selects every etalon.
  wb.window.invalidateAll(true);
  wb.window.pump();
  ASSERT_EQ(wb.state.layout.selectAllShown, 1);
  const Rect button = wb.state.layout.selectAllButtonRectCopy;
  EXPECT_EQ(wb.press(button), (Commands{CM_REDRAW_WORK_AREA_AND_BUTTONS}));
  ASSERT_EQ(wb.state.requiredCount, 20);
  for (int32_t k = 0; k < 20; ++k) EXPECT_EQ(wb.state.requiredList[k], k + 1);
  wb.window.invalidateAll(true);
  wb.window.pump();

  // The image now reads Unselect All, and the press follows the image.
  EXPECT_EQ(wb.state.layout.selectAllShown, 0);
  const Image& unselect = wb.procedure.bitmaps().unselectAll;
  int32_t same = 0;
  for (int32_t y = 0; y < unselect.height; ++y)
    for (int32_t x = 0; x < unselect.width; ++x)
      same += wb.window.pixel(button.left + x, button.top + y) == unselect.at(x, y) ? 1 : 0;
  EXPECT_EQ(same, unselect.width * unselect.height);
  wb.click(button);
  EXPECT_EQ(wb.state.requiredCount, 0);
  EXPECT_TRUE(wb.selected().empty());
  EXPECT_EQ(wb.state.viewState, 5);
}

TEST(AlphabetPress, SelectAllIsNoTargetUnderDetection) {
  MouseBench wb;
  wb.window.menuCommand(kMenuRecognition);
  wb.window.invalidateAll(true);
  wb.window.pump();
  const Rect button = wb.state.layout.selectAllButtonRectCopy;
  wb.window.menuCommand(kMenuDetection);
  EXPECT_EQ(wb.press(button), (Commands{CM_NOTHING}));
  EXPECT_EQ(wb.selected(), (std::vector<int32_t>{1}));
}

TEST(AlphabetPress, NextWithoutEtalonsKeepsTheAlphabetView) {
  MouseBench wb;
  wb.window.menuCommand(kMenuRecognition);
  wb.click(cell(wb.state, 1));  // the only selected etalon is deselected
  ASSERT_TRUE(wb.selected().empty());
  const int paints = wb.window.paintCount();
  EXPECT_EQ(wb.press(wb.state.layout.nextButtonRect), (Commands{CM_NOTHING}));
  EXPECT_EQ(wb.state.viewState, 5);
  EXPECT_EQ(wb.state.requiredCount, 0);
  EXPECT_EQ(wb.window.paintCount(), paints);
}

TEST(AlphabetPress, NextStartsARunWithTheSelectedEtalons) {
  MouseBench wb;
  wb.window.menuCommand(kMenuRecognition);
  wb.click(cell(wb.state, 4));
  wb.click(cell(wb.state, 1));
  const uint16_t noise = wb.state.lpCutOffSeriesHeader->wNoiseLevel;
  EXPECT_EQ(noise, 0);
  wb.click(wb.state.layout.nextButtonRect);
  EXPECT_EQ(wb.state.viewState, 6);
  EXPECT_EQ(wb.state.repaintButtonColumn, 0);  // consumed by the repaint of the run
  const SeriesHeader& series = *wb.state.lpCutOffSeriesHeader;
  EXPECT_EQ(series.wNoiseLevel, 20);
  for (int32_t i = 0; i < series.wImpulseQuantity; ++i) EXPECT_EQ(series.lpEtalonNumbers[i], 4);
  EXPECT_TRUE(wb.window.messages().empty());
}

TEST(AlphabetPress, NextWithATupleSeriesAndNoSubsetOpensTheSubsetView) {
  MouseBench wb;
  wb.window.menuCommand(kMenuFixedTuples);
  wb.window.menuCommand(kMenuDetection);
  ASSERT_EQ(wb.state.effectiveTaskType, 36);
  EXPECT_EQ(wb.press(wb.state.layout.nextButtonRect), (Commands{kMenuSelectSetOfPulses}));
  EXPECT_EQ(wb.state.viewState, 9);
}

TEST(AlphabetPress, PressesOnNothingAndDoubleClicks) {
  MouseBench wb;
  const Rect& a = cell(wb.state, 1);
  const Rect& b = cell(wb.state, 2);
  // The gap between two cells.
  CommandRecorder recorder;
  mousePress(recorder, wb.state, 0, (a.right + b.left) / 2, (a.top + a.bottom) / 2);
  EXPECT_EQ(recorder.commands, (Commands{CM_NOTHING}));
  EXPECT_EQ(wb.selected(), (std::vector<int32_t>{1}));

  // A double click arrives as a press with its flag set and acts alike.
  const Point p = centre(cell(wb.state, 9));
  wb.procedure.onLButtonDown(wb.window, true, static_cast<int16_t>(p.x), static_cast<int16_t>(p.y),
                             kMkLButton);
  EXPECT_EQ(wb.selected(), (std::vector<int32_t>{9}));
}

TEST(ChoicePress, SeriesLengthStartsARunWithNewBounds) {
  MouseBench wb;
  const Rect item = wb.state.layout.choiceItemRect[0][1];  // 600
  EXPECT_EQ(wb.press(item), (Commands{CM_NEXT_DATA}));
  EXPECT_EQ(wb.state.dwSeriesSize, 600u);
  EXPECT_EQ(wb.state.wMinPulses, 3);   // (600 - 1 + 20) / 181
  EXPECT_EQ(wb.state.wMaxPulses, 15);  // (600 - 20 + 40) / 40
  EXPECT_EQ(wb.state.wPulsesRequested, 9);
  EXPECT_EQ(wb.state.repaintSeriesSizePanel, 1);
  EXPECT_EQ(wb.state.repaintButtonColumn, 1);
  EXPECT_EQ(wb.state.seriesSizeChoice.selected, 2);
  EXPECT_EQ(wb.state.viewState, 6);

  // Through the window the run happens and the new series is drawn.
  MouseBench run;
  run.click(item);
  EXPECT_EQ(run.state.lpCutOffSeriesHeader->dwSeriesSize, 600u);
  EXPECT_EQ(run.state.dwSeriesSizeUsed, 600u);
  EXPECT_EQ(run.state.viewState, 6);
  EXPECT_EQ(run.state.repaintSeriesSizePanel, 0);
  // The same entry again: no panel repaint is asked for.
  EXPECT_EQ(run.press(run.state.layout.choiceItemRect[0][1]), (Commands{CM_NEXT_DATA}));
  EXPECT_EQ(run.state.repaintSeriesSizePanel, 0);
  EXPECT_EQ(run.state.repaintButtonColumn, 0);  // already in the result view
}

TEST(ChoicePress, NoiseLevelStartsARun) {
  MouseBench wb;
  wb.click(wb.state.layout.choiceItemRect[1][2]);
  EXPECT_EQ(wb.state.noiseLevel, 50);
  EXPECT_EQ(wb.state.noiseLevelUsed, 50);
  EXPECT_EQ(wb.state.lpCutOffSeriesHeader->wNoiseLevel, 50);
  EXPECT_EQ(wb.state.noiseLevelChoice.selected, 3);
  EXPECT_EQ(wb.state.viewState, 6);
  EXPECT_EQ(wb.press(wb.state.layout.choiceItemRect[1][0]), (Commands{CM_NEXT_DATA}));
  EXPECT_EQ(wb.state.repaintNoisePanel, 1);
}

TEST(ChoicePress, WithoutRequiredEtalonsOnlyTheChoiceChanges) {
  MouseBench wb;
  wb.window.menuCommand(kMenuRecognition);
  wb.click(cell(wb.state, 1));
  ASSERT_EQ(wb.state.requiredCount, 0);
  EXPECT_EQ(wb.press(wb.state.layout.choiceItemRect[1][1]), (Commands{CM_APPLY_CHOICES}));
  EXPECT_EQ(wb.state.noiseLevelChoice.selected, 2);
  EXPECT_EQ(wb.state.noiseLevel, 20);
  EXPECT_EQ(wb.state.viewState, 5);
}

TEST(ChoicePress, TheLostDataPanelReactsOnlyForCutOffSeries) {
  MouseBench wb;
  // Series type 1 has no third panel: where it would be, nothing happens.
  wb.window.menuCommand(kMenuFixedCutOff);
  wb.window.invalidateAll(true);
  wb.window.pump();
  ASSERT_EQ(wb.state.layout.choicePanelCount, 3);
  const Rect item = wb.state.layout.choiceItemRect[2][2];  // 50
  for (uint16_t type : {uint16_t{1}, uint16_t{4}, uint16_t{36}, uint16_t{40}}) {
    wb.state.seriesType = type;
    EXPECT_EQ(wb.press(item), (Commands{CM_NOTHING})) << type;
    EXPECT_EQ(wb.state.lostLevel, 0);
  }
  for (uint16_t type : {uint16_t{2}, uint16_t{8}}) {
    wb.state.seriesType = type;
    wb.state.lostLevelChoice.selected = 1;
    wb.state.viewState = 5;
    EXPECT_EQ(wb.press(item), (Commands{CM_NEXT_DATA})) << type;
    EXPECT_EQ(wb.state.lostLevel, 50);
    EXPECT_EQ(wb.state.makingLevel, 50);
    EXPECT_EQ(wb.state.processingLevel, 50);
    EXPECT_EQ(wb.state.repaintLostPanel, 1);
    EXPECT_EQ(wb.state.repaintButtonColumn, 1);
    EXPECT_EQ(wb.state.lostLevelChoice.selected, 3);
    EXPECT_EQ(wb.state.viewState, 6);
  }
}

TEST(ResultPress, RestartReturnsToTheAlphabetOrTheSubsetView) {
  MouseBench wb;
  wb.click(wb.state.layout.nextButtonRect);
  ASSERT_EQ(wb.state.viewState, 6);
  const Rect restart = wb.state.layout.restartButtonRect;
  EXPECT_EQ(wb.press(restart), (Commands{CM_REDRAW_WORK_AREA_AND_BUTTONS}));
  EXPECT_EQ(wb.state.viewState, 5);
  EXPECT_EQ(wb.state.repaintButtonColumn, 1);
  wb.state.viewState = 6;
  wb.state.seriesType = 40;
  EXPECT_EQ(wb.press(restart), (Commands{kMenuSelectSetOfPulses}));
  EXPECT_EQ(wb.state.viewState, 9);
  wb.state.viewState = 6;
  EXPECT_EQ(wb.press(wb.state.layout.exitButtonRect), (Commands{CM_EXIT}));
}
