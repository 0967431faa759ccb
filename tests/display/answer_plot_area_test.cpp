// The picture of an answer drawn into a part of a larger surface (the window's long view) is
// the picture drawn alone, moved there, and touches nothing outside its area; its legend says
// how many samples each column holds.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

#include "display/answer_plot.h"
#include "display/column_extremes.h"
#include "platform/glyph_source.h"
#include "platform/surface.h"

namespace {

Image whiteImage(int32_t width, int32_t height, Color fill = kWhite) {
  return Image{width, height,
               std::vector<Color>(static_cast<size_t>(width) * static_cast<size_t>(height), fill)};
}

TEST(AnswerPlotArea, APictureInAnAreaIsThePictureAloneMovedThere) {
  std::mt19937 rng(3);
  std::vector<int16_t> samples(50000);
  for (int16_t& v : samples) v = static_cast<int16_t>(static_cast<int>(rng() % 201) - 100);
  AnswerPlot plot;
  plot.samples = samples;
  plot.title = "a recording";
  plot.columnNote = true;
  for (int64_t p = 100; p < 50000; p += 4000) plot.found.push_back(PulseSpan{p, 20});

  const int32_t w = 900, h = 300;
  Image alone = whiteImage(w, h);
  Surface a(alone, fixedGlyphSource());
  drawAnswerPlot(a, plot);

  // The area inside a larger image that is grey around it: the grey must stay.
  const Color grey = rgb(200, 200, 200);
  Image big = whiteImage(w + 70, h + 50, grey);
  const Rect area{40, 30, 40 + w, 30 + h};
  for (int32_t y = area.top; y < area.bottom; ++y)
    for (int32_t x = area.left; x < area.right; ++x) big.at(x, y) = kWhite;
  Surface b(big, fixedGlyphSource());
  drawAnswerPlotIn(b, area, plot);
  for (int32_t y = 0; y < big.height; ++y)
    for (int32_t x = 0; x < big.width; ++x) {
      const bool inside = x >= area.left && x < area.right && y >= area.top && y < area.bottom;
      const Color expected = inside ? alone.at(x - area.left, y - area.top) : grey;
      ASSERT_EQ(big.at(x, y), expected) << "at " << x << "," << y;
    }
}

TEST(AnswerPlotArea, TheLegendSaysHowManySamplesEachColumnHolds) {
  EXPECT_EQ(samplesPerColumnText(100000, 1000), "100 samples a column");
  EXPECT_EQ(samplesPerColumnText(100000, 1212), "82 to 83 samples a column");
  EXPECT_EQ(samplesPerColumnText(1001, 1000), "1 to 2 samples a column");
  EXPECT_EQ(samplesPerColumnText(1000, 1000), "");  // no column holds more than one sample
  EXPECT_EQ(samplesPerColumnText(10, 1000), "");
  EXPECT_EQ(samplesPerColumnText(10, 0), "");
  // The counts agree with the columns the extremes are taken over.
  for (const uint64_t n : {100000u, 33333u, 2147483647u}) {
    const uint64_t columns = 1212;
    uint64_t fewest = n, most = 0;
    for (uint64_t c = 0; c < columns; ++c) {
      const uint64_t run = columnFirstSample(c + 1, n, columns) - columnFirstSample(c, n, columns);
      fewest = std::min(fewest, run);
      most = std::max(most, run);
    }
    const std::string expected =
        fewest == most ? std::to_string(most) + " samples a column"
                       : std::to_string(fewest) + " to " + std::to_string(most) + " samples a column";
    EXPECT_EQ(samplesPerColumnText(n, columns), expected) << n;
  }
}

// An area too small for the strip draws the two lines of text only (the window's clip keeps
// a long line inside its view).
TEST(AnswerPlotArea, ASmallAreaDrawsTheTextsOnly) {
  std::vector<int16_t> samples(40000, 5);
  AnswerPlot plot;
  plot.samples = samples;
  plot.title = "t";
  Image image = whiteImage(400, 300);
  Surface s(image, fixedGlyphSource());
  const Rect area{0, 0, 300, 150};
  drawAnswerPlotIn(s, area, plot);
  bool text = false;
  for (int32_t y = 0; y < image.height; ++y) {
    for (int32_t x = 0; x < image.width; ++x) {
      if (y >= 60) {
        ASSERT_EQ(image.at(x, y), kWhite) << x << "," << y;
      } else {
        text = text || image.at(x, y) != kWhite;
      }
    }
  }
  EXPECT_TRUE(text);
}

}  // namespace
