// detection-batch chart writes, pixel for pixel, the view the headless window draws for the
// same result with the same glyphs (the chart with its frame and the caption above it); both
// files are read back by Qt's own image readers.
#include <gtest/gtest.h>

#include <QtGui/QImage>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "display/app_state.h"
#include "display/layout.h"
#include "platform/dialog_ids.h"
#include "platform/headless_window.h"
#include "platform/qt/qt_glyph_source.h"
#include "shell/main_window.h"
#include "shell/simulation_result_command.h"
#include "tests/qt/qt_application.h"

namespace {

int run(const std::string& command) { return std::system((command + " 2>/dev/null").c_str()); }

TEST(ChartCommand, ImageEqualsTheChartAreaOfTheHeadlessWindow) {
  using namespace chart_settings_dialog;
  ensureApplication();
  const std::string exe = DETECTION_BATCH_EXE;
  const std::string dir = ::testing::TempDir();
  const std::string result = dir + "chart-result.json";
  ASSERT_EQ(run(exe +
                " simulate --length 300 --pulses-from 2 --pulses-to 4 --noise-steps 4 --noise-step 20 "
                "--repeats 3 --json " +
                result + " >/dev/null"),
            0);
  const int32_t width = 1100, height = 900;
  const std::string png = dir + "chart.png", bmp = dir + "chart.bmp";
  const std::string size = " --width " + std::to_string(width) + " --height " + std::to_string(height);
  ASSERT_EQ(run(exe + " chart --input " + result + " --errors detection --output " + png + size), 0);
  ASSERT_EQ(run(exe + " chart --input " + result + " --errors detection --output " + bmp + size), 0);

  const QtGlyphSource glyphs;
  auto state = std::make_unique<AppState>();
  HeadlessWindow window(width, height, glyphs);
  MainWindow procedure(*state);
  ASSERT_TRUE(window.create(procedure));
  window.queueOpenFileName(result);
  window.queueDialog(DialogScript{kTemplate, {}}.click(kDetectionError).click(kComponentwise));
  ASSERT_TRUE(window.menuCommand(kCmOpenSimulationResult));
  ASSERT_EQ(state->resultKind, 2);
  // The view: the work area with the caption of its frame above it and its outline right of and
  // below it (exclusive right and bottom edges).
  const Rect area = viewArea(state->layout);
  ASSERT_LT(area.top, state->layout.workArea.top);

  for (const std::string& file : {png, bmp}) {
    SCOPED_TRACE(file);
    const QImage image(QString::fromStdString(file));
    ASSERT_FALSE(image.isNull());
    ASSERT_EQ(image.width(), area.right - area.left);
    ASSERT_EQ(image.height(), area.bottom - area.top);
    int differences = 0;
    for (int32_t y = 0; y < image.height(); ++y) {
      for (int32_t x = 0; x < image.width(); ++x) {
        const QRgb p = image.pixel(x, y);
        const Color shown = window.pixel(area.left + x, area.top + y);
        differences += rgb(static_cast<uint8_t>(qRed(p)), static_cast<uint8_t>(qGreen(p)),
                           static_cast<uint8_t>(qBlue(p))) != shown;
      }
    }
    EXPECT_EQ(differences, 0);
    // The caption of the frame stands whole in the picture: the top row is blank and the text
    // reaches above the frame's top line.
    int topRow = 0, caption = 0;
    for (int32_t x = 0; x < image.width(); ++x) {
      topRow += image.pixel(x, 0) != qRgb(255, 255, 255);
      for (int32_t y = 1; y < state->layout.workArea.top - area.top; ++y)
        caption += image.pixel(x, y) != qRgb(255, 255, 255);
    }
    EXPECT_EQ(topRow, 0);
    EXPECT_GT(caption, 20);
  }
  window.close();
}

TEST(ChartCommand, SaysNothingOnStandardErrorWithoutASession) {
  const std::string exe = DETECTION_BATCH_EXE;
  const std::string dir = ::testing::TempDir();
  const std::string result = dir + "chart-quiet.json", err = dir + "chart-quiet.err";
  ASSERT_EQ(run(exe + " simulate --length 300 --noise-steps 2 --repeats 2 --json " + result + " >/dev/null"),
            0);
  ASSERT_EQ(std::system(("env -u XDG_RUNTIME_DIR " + exe + " chart --input " + result + " --output " + dir +
                         "chart-quiet.png 2>" + err)
                            .c_str()),
            0);
  std::FILE* f = std::fopen(err.c_str(), "rb");
  ASSERT_NE(f, nullptr);
  std::string text;
  for (int c = std::fgetc(f); c != EOF; c = std::fgetc(f)) text += static_cast<char>(c);
  std::fclose(f);
  EXPECT_EQ(text, "");
}

TEST(ChartCommand, RefusesWhatItCannotDraw) {
  const std::string exe = DETECTION_BATCH_EXE;
  const std::string dir = ::testing::TempDir();
  EXPECT_EQ(run(exe + " chart --input " + dir + "nothing.json --output " + dir + "x.gif") >> 8, 2);
  EXPECT_EQ(run(exe + " chart --input " + dir + "nothing.json --output " + dir + "x.png") >> 8, 1);
}

}  // namespace
