#include <gtest/gtest.h>

#include "display/result_view.h"
#include "processing/chains_header.h"
#include "settings/setting_rules.h"
#include "shell/command_ids.h"
#include "signal/selected_subsets.h"
#include "signal/series_header.h"
#include "tests/shell/workbench_fixture.h"

namespace {

// Counts the pixels of `colour` inside r (exclusive right and bottom).
int countColour(const HeadlessWindow& window, const Rect& r, Color colour) {
  int n = 0;
  for (int32_t y = r.top; y < r.bottom; ++y)
    for (int32_t x = r.left; x < r.right; ++x) n += window.pixel(x, y) == colour ? 1 : 0;
  return n;
}

}  // namespace

TEST(ResultPaint, DetectionRunDrawsStripsButtonsAndPanels) {
  Workbench wb;
  AppState& s = wb.state;
  ASSERT_TRUE(wb.window.menuCommand(kMenuProcessingNextData));
  // The next full paint also shows the Restart button of the result view.
  wb.window.invalidateAll(true);
  wb.window.pump();
  const ResultGeometry g = resultGeometry(s.layout.workArea, s.layout.lineHeight, s.requiredCount, false);
  // The noisy strip holds the blue polyline; the pulse strips do not.
  EXPECT_GT(countColour(wb.window, g.strip(1), rgb(0, 0, 255)), 500);
  EXPECT_EQ(countColour(wb.window, g.strip(0), rgb(0, 0, 255)), 0);
  // Shading and detection marks put black pixels into the true-pulse strip.
  EXPECT_GT(countColour(wb.window, g.strip(0), kBlack), 1000);
  const Rect restart = s.layout.restartButtonRect;
  EXPECT_EQ(wb.window.pixel(restart.left + 2, restart.top + 2), rgb(192, 192, 192));

  // Without shading and highlights far fewer black pixels remain.
  const int before = countColour(wb.window, g.strip(0), kBlack);
  s.drawShadedPulses = 0;
  s.drawHighlightDetectedPulses = 0;
  wb.window.invalidateAll(true);
  wb.window.pump();
  EXPECT_LT(countColour(wb.window, g.strip(0), kBlack), before / 2);
}

TEST(ResultPaint, TupleRunsShowThePatternTuples) {
  Workbench wb;
  AppState& s = wb.state;
  setSubsets(s, {2, 9, 11}, {{2, 9, 11}, {4, 5}});
  ASSERT_TRUE(wb.window.menuCommand(kMenuFixedTuples));
  for (uint16_t& flag : s.etalonSelected) flag = 0;
  for (uint16_t n : {2, 4, 5, 9, 11}) s.etalonSelected[n - 1] = 1;
  requiredListFromState(s);
  setSubset(wb.window, s.selectedSubset, s.selectedSubsetCount, s.subsetEmployment, s.subsetInitPosition,
            s.lpCutOffSeriesHeader);
  ASSERT_TRUE(wb.window.menuCommand(kMenuProcessingNextData));
  ASSERT_EQ(s.viewState, 6);
  ASSERT_EQ(s.lpChainsHeader->wSeriesType, 36);
  const SeriesHeader& series = *s.lpCutOffSeriesHeader;
  ASSERT_GT(series.wRestoredTuples, 0);
  // Detected pulses are listed by tuple.
  const std::vector<ResultTextLine> lines = resultTextLines(wb.window, s.lpChainsHeader, series, 15);
  EXPECT_NE(lines[0].left.find(":  {"), std::string::npos) << lines[0].left;
  EXPECT_NE(lines[0].left.find("} "), std::string::npos);

  // Recognition among the reserved subsets records a row rectangle per pattern tuple.
  addSomeSelectedSubsetToSeriesHeader(wb.window, s.selectedSubsetArraySize, s.reservedSubsetList,
                                      s.reservedSubsetCount, s.reservedSubsetCapacity, s.subsetCapacity, 1,
                                      s.subsetEmployment, s.subsetInitPosition, s.lpCutOffSeriesHeader);
  ASSERT_TRUE(wb.window.menuCommand(kMenuRecognition));
  ASSERT_TRUE(wb.window.menuCommand(kMenuProcessingNextData));
  ASSERT_EQ(s.lpChainsHeader->wTaskType, 40);
  ASSERT_EQ(s.lpCutOffSeriesHeader->wSelectedSubsets, 2);
  for (int i = 0; i < 2; ++i) {
    const Rect row = s.subsetRowRect[i];
    EXPECT_GT(row.right, row.left) << i;
    EXPECT_GE(row.left, s.layout.workArea.left);
    EXPECT_LE(row.bottom, s.layout.workArea.bottom);
  }
  EXPECT_EQ(s.subsetRowRect[1].top - s.subsetRowRect[0].top,
            s.subsetRowRect[0].bottom - s.subsetRowRect[0].top);
  EXPECT_EQ(s.subsetRowRect[2], Rect{});
}
