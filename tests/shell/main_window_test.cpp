#include <gtest/gtest.h>

#include "display/layout.h"
#include "platform/resources.h"
#include "processing/chains_header.h"
#include "shell/command_ids.h"
#include "signal/series_header.h"
#include "tests/shell/workbench_fixture.h"

TEST(MainWindowStart, EstablishesTheStartSettingsAndTheFirstSeries) {
  Workbench wb;
  ASSERT_TRUE(wb.created);
  const AppState& s = wb.state;
  EXPECT_TRUE(wb.window.messages().empty());
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
  EXPECT_EQ(s.lostLevelChoice.selected, 1);
  EXPECT_EQ(s.makingLevelUsed, 100);
  EXPECT_EQ(s.processingLevelUsed, 100);
  EXPECT_EQ(s.taskType, 1);
  EXPECT_EQ(s.effectiveTaskType, 1);
  EXPECT_EQ(s.seriesType, 1);
  EXPECT_EQ(s.viewState, 5);
  ASSERT_EQ(s.requiredCount, 1);
  EXPECT_EQ(s.requiredCapacity, 20);
  EXPECT_EQ(s.requiredList[0], 1);
  EXPECT_EQ(s.etalonSelected[0], 1);
  EXPECT_EQ(s.etalonSelected[1], 0);
  ASSERT_EQ(s.etalonSequenceCapacity, 30);
  for (uint16_t k = 0; k < 30; ++k) EXPECT_EQ(s.etalonSequence[k], 1);

  // Menu check marks: task Detection and series type 1 only.
  EXPECT_TRUE(wb.window.isMenuItemChecked(kMenuDetection));
  EXPECT_TRUE(wb.window.isMenuItemChecked(kMenuFixedWhole));
  for (uint16_t id : {kMenuRecognition, kMenuJointDetection, kMenuSeriesProcessing, kMenuUnfixedWhole,
                      kMenuFixedCutOff, kMenuUnfixedCutOff, kMenuFixedTuples, kMenuUnfixedTuples})
    EXPECT_FALSE(wb.window.isMenuItemChecked(id)) << id;

  // The first series: 18 pulses of etalon 1, no noise yet, nothing detected, a fresh
  // chains header.
  ASSERT_NE(s.lpCutOffSeriesHeader, nullptr);
  const SeriesHeader& series = *s.lpCutOffSeriesHeader;
  EXPECT_EQ(series.dwSeriesSize, 1200u);
  EXPECT_EQ(series.wImpulseQuantity, 18);
  EXPECT_EQ(series.wNoiseLevel, 0);
  for (int i = 0; i < 18; ++i) EXPECT_EQ(series.lpEtalonNumbers[i], 1);
  ASSERT_NE(s.lpChainsHeader, nullptr);
  EXPECT_EQ(s.lpChainsHeader->wMaxSize, 10);
  EXPECT_EQ(s.lpChainsHeader->wMaxPulses, 30);
  EXPECT_EQ(s.lpChainsHeader->wInfoLevel, 0);
  EXPECT_EQ(s.seeds.seedNoise, 10597);

  EXPECT_TRUE(wb.window.editControl().exists);
  EXPECT_EQ(wb.window.editControl().id, kTminEditId);
  EXPECT_EQ(wb.window.editControl().text, "Tmin Text");
  EXPECT_EQ(wb.window.editControl().place, Rect{});
}

TEST(MainWindowStart, FirstPaintLaysOutTheAlphabetView) {
  Workbench wb;
  ASSERT_TRUE(wb.created);
  EXPECT_EQ(wb.window.paintCount(), 1);
  const ScreenLayout& layout = wb.state.layout;
  // The layout formulas for a 1280 x 1000 client: cellWidth = (1126 - 10 - 9 - 60) / 5,
  // cellHeight = (1000 - 10 - 9 - 50) / 4.
  EXPECT_GT(layout.lineHeight, 0);
  EXPECT_EQ(layout.cellWidth, 209);
  EXPECT_EQ(layout.cellHeight, 232);
  EXPECT_EQ(layout.etalonCellRect[0], (Rect{20, 20, 228, 251}));
  EXPECT_EQ(layout.etalonCellRect[7], (Rect{20 + 2 * 219, 20 + 242, 20 + 2 * 219 + 208, 20 + 242 + 231}));
  EXPECT_EQ(layout.workArea, (Rect{10, 10, 1114, 987}));
  EXPECT_EQ(layout.nextButtonRect, (Rect{1126, 916, 1269, 947}));
  EXPECT_EQ(layout.exitButtonRect, (Rect{1126, 958, 1269, 989}));
  EXPECT_EQ(layout.choicePanelCount, 2);

  // The Next and Exit bitmaps sit at their rectangles; detection shows no select-all button.
  Image next;
  ASSERT_TRUE(wb.window.loadBitmap(kBitmapNext, next));
  for (int32_t y = 0; y < next.height; y += 7)
    for (int32_t x = 0; x < next.width; x += 11)
      ASSERT_EQ(wb.window.pixel(1126 + x, 916 + y), next.at(x, y)) << x << "," << y;
  EXPECT_EQ(wb.window.pixel(1126 + 70, 874 + 16), kWhite);

  // The selected etalon 1 has a grey frame three pixels thick, etalon 2 a thin darker one.
  for (int32_t d = -1; d <= 1; ++d) EXPECT_EQ(wb.window.pixel(100, 20 + d), rgb(163, 163, 163)) << d;
  EXPECT_EQ(wb.window.pixel(20 + 219 + 100, 20), rgb(127, 127, 127));
  EXPECT_EQ(wb.window.pixel(20 + 219 + 100, 21), kWhite);
  // Etalon 1 (twenty 60s) is blue, etalon 2 navy.
  bool blue = false, navy = false;
  for (int32_t y = 20; y < 250; ++y) {
    blue = blue || wb.window.pixel(120, y) == rgb(0, 0, 255);
    navy = navy || wb.window.pixel(20 + 219 + 100, y) == rgb(0, 0, 127);
  }
  EXPECT_TRUE(blue);
  EXPECT_TRUE(navy);

  // The series-length panel marks 1200 in black: the value in use.
  const Rect item = layout.choiceItemRect[0][2];
  const int32_t cx = item.left + layout.lineHeight / 2, cy = item.top + layout.lineHeight / 2;
  EXPECT_EQ(wb.window.pixel(cx, cy), kBlack);
}

TEST(MainWindowStart, MissingBitmapIsFatal) {
  struct Case {
    uint16_t id;
    const char* text;
  } cases[] = {{kBitmapRestart, "No Bitmap <ButtonStart>"},
               {kBitmapExit, "No Bitmap <ButtonExit>"},
               {kBitmapNext, "No Bitmap <IDB_BITMAP1>"},
               {kBitmapSelectAll, "No Bitmap <IDB_BITMAP5>"},
               {kBitmapUnselectAll, "No Bitmap <IDB_BITMAP4>"}};
  for (const Case& c : cases) {
    auto state = std::make_unique<AppState>();
    HeadlessWindow window;
    window.failBitmap(c.id);
    MainWindow procedure(*state);
    EXPECT_FALSE(window.create(procedure));
    ASSERT_EQ(window.messages().size(), 1u);
    EXPECT_EQ(window.messages()[0].text, c.text);
    EXPECT_EQ(window.messages()[0].caption, "Fatal Error");
    EXPECT_EQ(window.messages()[0].style, kMbOk);
    // Nothing was built before the bitmaps.
    EXPECT_EQ(state->lpCutOffSeriesHeader, nullptr);
    EXPECT_EQ(state->requiredList, nullptr);
  }
}

TEST(MainWindowMessages, KeysExitAndCleanUp) {
  Workbench wb;
  ASSERT_TRUE(wb.created);
  const int paints = wb.window.paintCount();
  wb.window.keyDown('A');
  wb.window.keyDown(13);
  EXPECT_EQ(wb.window.paintCount(), paints);
  wb.window.keyDown(1);
  EXPECT_EQ(wb.window.paintCount(), paints + 1);

  EXPECT_TRUE(wb.window.menuCommand(kMenuExit));
  EXPECT_TRUE(wb.window.destroyed());
  const AppState& s = wb.state;
  EXPECT_EQ(s.lpCutOffSeriesHeader, nullptr);
  EXPECT_EQ(s.lpChainsHeader, nullptr);
  EXPECT_EQ(s.requiredList, nullptr);
  EXPECT_EQ(s.etalonSequence, nullptr);
  EXPECT_EQ(s.etalonSequenceCapacity, 0);
  EXPECT_EQ(s.etalonAlphabet[0].lpData, nullptr);

  // CM_EXIT closes as well.
  Workbench other;
  other.internal(CM_EXIT);
  EXPECT_TRUE(other.window.destroyed());
}

// A client far too small for the grid and the strips paints without trouble in every view.
TEST(MainWindowMessages, TinyClientPaintsEveryView) {
  Workbench wb;
  ASSERT_TRUE(wb.window.menuCommand(kMenuProcessingNextData));
  for (int32_t view : {5, 6}) {
    wb.state.viewState = view;
    for (auto size : {std::pair{200, 150}, std::pair{40, 30}, std::pair{1, 1}}) {
      wb.window.resize(size.first, size.second);
      EXPECT_TRUE(wb.window.pump()) << view << " " << size.first;
    }
  }
  wb.window.resize(1280, 1000);
  EXPECT_TRUE(wb.window.pump());
  EXPECT_EQ(wb.state.layout.cellWidth, 209);
}
