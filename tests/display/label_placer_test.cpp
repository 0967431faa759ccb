#include "display/label_placer.h"

#include <gtest/gtest.h>

// Position labels four samples apart on a long strip: only those clear of the labels drawn
// before them are drawn, at their own places.
TEST(LabelPlacer, LeavesOutLabelsThatWouldOverprint) {
  LabelPlacer row;
  EXPECT_TRUE(row.place(Rect{100, 50, 123, 62}));   // "102("
  EXPECT_FALSE(row.place(Rect{104, 50, 127, 62}));  // "106(" would overprint it
  EXPECT_FALSE(row.place(Rect{123, 50, 146, 62}));  // touching its last column still overprints
  EXPECT_TRUE(row.place(Rect{124, 50, 147, 62}));   // the next free place
  EXPECT_TRUE(row.place(Rect{100, 63, 123, 75}));   // the line below is free
}

// Curve labels piled at a chart's right edge: one per free line.
TEST(LabelPlacer, StackedLabelsKeepOnePerLine) {
  LabelPlacer column;
  int drawn = 0;
  for (int32_t y : {200, 201, 205, 212, 213, 226, 240})
    drawn += column.place(Rect{600, y, 620, y + 12}) ? 1 : 0;
  EXPECT_EQ(drawn, 4);  // at 200, 213, 226 and 240
}
