// The screen after the command sequences users reported: it shows the state the clicks act
// on, descriptions never print a placeholder, and lengths the solvers cannot take are refused
// where they are typed.
#include <gtest/gtest.h>

#include <string>

#include "display/internal_commands.h"
#include "display/result_view.h"
#include "platform/dialog_ids.h"
#include "shell/command_ids.h"
#include "shell/dialog_commands.h"
#include "signal/series_header.h"
#include "tests/shell/workbench_fixture.h"

namespace {

// Whether the screen equals a full repaint of the same state; repaints in full either way.
bool screenIsFullRepaint(Workbench& wb) {
  const Image before = wb.window.clientImage();
  wb.window.invalidateAll(true);
  wb.window.pump();
  return before.pixels == wb.window.clientImage().pixels;
}

Point centre(const Rect& r) { return Point{(r.left + r.right) / 2, (r.top + r.bottom) / 2}; }

}  // namespace

TEST(ScreenState, TaskChangeRedrawsTheButtonColumn) {
  Workbench wb;
  AppState& s = wb.state;
  // Right after start the first run shows Restart at once.
  ASSERT_TRUE(wb.window.menuCommand(kMenuProcessingNextData));
  EXPECT_TRUE(screenIsFullRepaint(wb));

  ASSERT_TRUE(wb.window.menuCommand(kMenuRecognition));
  EXPECT_TRUE(screenIsFullRepaint(wb));  // Select All appears now, not at the next click
  const Point next = centre(s.layout.nextButtonRect);
  wb.window.click(next.x, next.y);
  ASSERT_TRUE(wb.window.menuCommand(kMenuDetection));
  ASSERT_TRUE(wb.window.menuCommand(kMenuProcessingNextData));
  EXPECT_TRUE(screenIsFullRepaint(wb));
  // Where Select All was drawn, Restart is drawn and restarts.
  const Point restart = centre(s.layout.restartButtonRect);
  const uint16_t selected = s.etalonSelected[1];
  wb.window.click(restart.x, restart.y);
  EXPECT_EQ(s.viewState, 5);
  EXPECT_EQ(s.etalonSelected[1], selected);
  EXPECT_TRUE(screenIsFullRepaint(wb));
}

TEST(ScreenState, LostDataLevelPanelFollowsTheSeriesType) {
  Workbench wb;
  AppState& s = wb.state;
  ASSERT_TRUE(wb.window.menuCommand(kMenuUnfixedCutOff));
  EXPECT_TRUE(screenIsFullRepaint(wb));
  ASSERT_TRUE(wb.window.menuCommand(kMenuProcessingNextData));
  EXPECT_EQ(s.layout.choicePanelCount, 3);
  EXPECT_TRUE(screenIsFullRepaint(wb));
  ASSERT_TRUE(wb.window.menuCommand(kMenuFixedTuples));
  EXPECT_TRUE(screenIsFullRepaint(wb));  // the panel is gone at once
  ASSERT_TRUE(wb.window.menuCommand(kMenuFixedCutOff));
  wb.window.queueDialog(DialogScript{series_parameters_dialog::kTemplate, {}});
  wb.window.queueDialog(DialogScript{series_structure_dialog::kTemplate, {}});
  ASSERT_TRUE(wb.window.menuCommand(kCmCreateSeries));
  EXPECT_TRUE(screenIsFullRepaint(wb));
}

// Series processing and a series made from an edited sequence have no names in the record; the
// description names them by their menu and by the kind they are processed as.
TEST(ScreenState, MissingDescriptionsPrintAsNothing) {
  Workbench wb;
  AppState& s = wb.state;
  ASSERT_TRUE(wb.window.menuCommand(kMenuRepeatSeriesProcessing));
  std::vector<std::string> lines = resultHeaderLines(s.lpChainsHeader, *s.lpCutOffSeriesHeader, s.wAmplitude);
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines[0], " series processing for series with known number of whole pulses ");

  ASSERT_TRUE(wb.window.menuCommand(kMenuRepeatDetection));
  wb.window.queueDialog(DialogScript{series_parameters_dialog::kTemplate, {}});
  wb.window.queueDialog(DialogScript{series_structure_dialog::kTemplate, {}});
  ASSERT_TRUE(wb.window.menuCommand(kCmCreateSeries));
  ASSERT_EQ(s.seriesType, 16);
  lines = resultHeaderLines(s.lpChainsHeader, *s.lpCutOffSeriesHeader, s.wAmplitude);
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines[0], " detection for series with known number of whole pulses ");
  for (const std::string& line : lines) EXPECT_EQ(line.find("(null)"), std::string::npos) << line;
}

TEST(ScreenState, SeriesLongerThanTheSolversTakeIsRefusedInTheDialog) {
  Workbench wb;
  AppState& s = wb.state;
  for (const char* length : {"32768", "40000", "1000000"}) {
    wb.window.clearMessages();
    const size_t dialogs = wb.window.dialogs().size();
    wb.window.queueDialog(DialogScript{series_parameters_dialog::kTemplate, {}}.type(
        series_parameters_dialog::kSamplesLength, length));
    ASSERT_TRUE(wb.window.menuCommand(kCmCreateSeries));
    ASSERT_FALSE(wb.window.messages().empty()) << length;
    EXPECT_EQ(wb.window.messages()[0].text, "Длина серии должна быть от 20 до 32767!") << length;
    EXPECT_EQ(wb.window.dialogs().size(), dialogs + 1) << length;  // dialog 106 never opened
    EXPECT_EQ(s.dwSeriesSize, 1200u);
    EXPECT_EQ(s.viewState, 5);
  }
  // The longest the solvers take passes the dialog.
  wb.window.clearMessages();
  wb.window.queueDialog(DialogScript{series_parameters_dialog::kTemplate, {}}.type(
      series_parameters_dialog::kSamplesLength, "32767"));
  wb.window.queueDialog(DialogScript{series_structure_dialog::kTemplate, {}}.click(kIdCancel));
  ASSERT_TRUE(wb.window.menuCommand(kCmCreateSeries));
  EXPECT_TRUE(wb.window.messages().empty());
  EXPECT_EQ(wb.window.dialogs().back().templateId, series_structure_dialog::kTemplate);
}
