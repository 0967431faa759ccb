#include <gtest/gtest.h>

#include "display/app_state.h"
#include "display/paint.h"
#include "display/series_strips.h"
#include "platform/headless_window.h"
#include "platform/surface.h"
#include "signal/series_header.h"

namespace {

struct Canvas {
  Image image;
  HeadlessWindow window;
  Surface surface;
  Canvas() : surface(image, fixedGlyphSource()) { resizeImage(image, 400, 300, kWhite); }
};

}  // namespace

TEST(ChoicePanel, DotShowsTheSelectionAndWhetherItIsInUse) {
  const int32_t values[3] = {200, 600, 1200};
  const Rect panel{100, 50, 245, 140};
  const int32_t lh = 15;
  struct Case {
    int32_t selected, current, dotted;
    Color colour;
  } cases[] = {{3, 1200, 2, kBlack},
               {2, 1200, 1, rgb(163, 163, 163)},
               {0, 200, 0, kBlack},
               {7, 600, 0, rgb(163, 163, 163)}};
  for (const Case& c : cases) {
    Canvas canvas;
    Rect items[3];
    EXPECT_EQ(drawChoicePanel(canvas.window, canvas.surface, lh, panel, items, " series length: ", 3, values,
                              c.selected, c.current),
              1);
    for (int i = 0; i < 3; ++i) {
      const Color centre = canvas.surface.getPixel(items[i].left + lh / 2, items[i].top + lh / 2);
      EXPECT_EQ(centre, i == c.dotted ? c.colour : kWhite) << c.selected << " entry " << i;
    }
    // The frame: left edge down to y + h, right edge at x + w.
    EXPECT_EQ(canvas.surface.getPixel(100, 100), kBlack);
    EXPECT_EQ(canvas.surface.getPixel(246, 100), kBlack);
    EXPECT_EQ(items[0].right, 110 + 146 - 20);
  }
}

TEST(SelectAllButton, CaptionFollowsTheSelectedHalf) {
  AppState state;
  for (uint16_t& flag : state.etalonSelected) flag = 0;
  EXPECT_EQ(selectAllCaption(state), 1);
  for (int i = 0; i < 10; ++i) state.etalonSelected[i] = 1;
  EXPECT_EQ(selectAllCaption(state), 1);  // exactly half: Select All
  state.etalonSelected[10] = 1;
  EXPECT_EQ(selectAllCaption(state), 0);
}

TEST(SeriesStrips, DetectedPulseMarksAndGuardedSeriesLength) {
  // A series of 101 samples with one detected pulse at 50, kept part 5..14, in a strip
  // 200 wide: sample i lies at x = 2i.
  int16_t positions[1] = {50}, etalons[1] = {0}, begins[1] = {5}, ends[1] = {14};
  SeriesHeader series;
  series.dwSeriesSize = 101;
  series.wImpulseSize = 20;
  series.wPulsesCapacity = 1;
  series.wRestoredQuantity = 1;
  series.lpRestoredPositions = positions;
  series.lpRestoredEtalons = etalons;
  series.lpRestoredCutBegin = begins;
  series.lpRestoredCutEnd = ends;
  Canvas canvas;
  const Rect strip{10, 20, 210, 80};  // h = 60, middle 50, dots while k < 20
  markDetectedPulses(canvas.window, canvas.surface, series, strip);
  auto black = [&](int32_t x, int32_t y) { return canvas.surface.getPixel(x, y) == kBlack; };
  EXPECT_TRUE(black(110, 50));
  EXPECT_TRUE(black(110, 32));
  EXPECT_TRUE(black(110, 68));
  EXPECT_FALSE(black(110, 51));
  EXPECT_FALSE(black(110, 28));  // nothing beyond the row the dots reached (k = 20)
  EXPECT_TRUE(black(112, 30));   // the box edges run along that row, every second column
  EXPECT_FALSE(black(113, 30));
  EXPECT_TRUE(black(112, 70));
  EXPECT_TRUE(black(10 + 138, 50));  // right side at (50 + 19) * 2
  EXPECT_TRUE(black(10 + 110, 50));  // kept part begins at 55
  EXPECT_TRUE(black(10 + 128, 50));  // and ends at 64

  // A series of one sample maps everything to the left edge instead of dividing by zero.
  series.dwSeriesSize = 1;
  Canvas single;
  markDetectedPulses(single.window, single.surface, series, strip);
  EXPECT_EQ(single.surface.getPixel(10, 50), kBlack);
  drawStripAxes(single.window, single.surface, strip.left, strip.top, strip.right, strip.bottom);
  EXPECT_EQ(single.surface.getPixel(200, 50), kBlack);
}
