#include "display/layout.h"

#include <gtest/gtest.h>

TEST(EtalonGrid, ShapeHoldsEveryEtalonWithFewestRows) {
  struct Case {
    int32_t n, columns, rows;
  } cases[] = {{1, 2, 1}, {2, 2, 1}, {3, 3, 2}, {6, 3, 2}, {7, 4, 3}, {12, 4, 3}, {13, 5, 4}, {20, 5, 4}};
  for (const Case& c : cases) {
    int32_t columns = 0, rows = 0;
    etalonGridShape(c.n, columns, rows);
    EXPECT_EQ(columns, c.columns) << c.n;
    EXPECT_EQ(rows, c.rows) << c.n;
  }
}

// A 1280 x 1000 client with a 15-pixel line: every rectangle worked out by hand.
TEST(ScreenLayout, DetectionLayoutOfAKnownClient) {
  ScreenLayout layout;
  computeScreenLayout(layout, Rect{0, 0, 1279, 999}, 15, 20, 1, 1);
  EXPECT_EQ(layout.exitButtonRect, (Rect{1125, 957, 1268, 988}));
  EXPECT_EQ(layout.nextButtonRect, (Rect{1125, 915, 1268, 946}));
  // Detection shows no select-all button: Restart takes its place.
  EXPECT_EQ(layout.restartButtonRect, (Rect{1125, 873, 1268, 904}));
  EXPECT_EQ(layout.selectAllButtonRect, Rect{});
  EXPECT_EQ(layout.buttonColumnRect, (Rect{1125, 831, 1268, 904}));

  // cellWidth = (1125 - 10 - 9 - 60) / 5 = 209; cellHeight = (999 - 10 - 9 - 50) / 4 = 232.
  EXPECT_EQ(layout.cellWidth, 209);
  EXPECT_EQ(layout.cellHeight, 232);
  EXPECT_EQ(layout.cellPlotWidth, 199);
  EXPECT_EQ(layout.cellPlotHeight, 222);
  EXPECT_EQ(layout.workArea, (Rect{10, 10, 10 + 209 * 5 + 60 - 1, 10 + 232 * 4 + 50 - 1}));
  EXPECT_EQ(layout.etalonCellRect[0], (Rect{20, 20, 228, 251}));
  EXPECT_EQ(layout.etalonCellRect[4], (Rect{20 + 4 * 219, 20, 20 + 4 * 219 + 208, 251}));
  EXPECT_EQ(layout.etalonCellRect[5], (Rect{20, 262, 228, 493}));
  EXPECT_EQ(layout.etalonCellRect[19], (Rect{896, 20 + 3 * 242, 1104, 20 + 3 * 242 + 231}));
  // Every cell lies inside the work area, which ends at least 10 pixels left of the buttons.
  for (const Rect& cell : layout.etalonCellRect) {
    EXPECT_GE(cell.left, layout.workArea.left);
    EXPECT_LE(cell.right, layout.workArea.right);
    EXPECT_LE(cell.bottom, layout.workArea.bottom);
  }
  EXPECT_LE(layout.workArea.right + 10, layout.exitButtonRect.left);

  ASSERT_EQ(layout.choicePanelCount, 2);
  EXPECT_EQ(layout.choicePanel[0], (Rect{1124, 10, 1269, 100}));
  EXPECT_EQ(layout.choicePanel[1], (Rect{1124, 115, 1269, 205}));
}

TEST(ScreenLayout, SelectAllButtonAndThirdPanelFollowTheTypes) {
  ScreenLayout layout;
  computeScreenLayout(layout, Rect{0, 0, 1279, 999}, 15, 20, 2, 8);
  EXPECT_EQ(layout.selectAllButtonRect, (Rect{1125, 873, 1268, 904}));
  EXPECT_EQ(layout.selectAllButtonRectCopy, layout.selectAllButtonRect);
  EXPECT_EQ(layout.restartButtonRect, (Rect{1125, 831, 1268, 862}));
  EXPECT_EQ(layout.buttonColumnRect, (Rect{1125, 789, 1268, 904}));
  ASSERT_EQ(layout.choicePanelCount, 3);
  EXPECT_EQ(layout.choicePanel[2], (Rect{1124, 220, 1269, 310}));

  // Tuple detection hides the button again but keeps its last rectangle.
  computeScreenLayout(layout, Rect{0, 0, 1279, 999}, 15, 20, 36, 36);
  EXPECT_EQ(layout.selectAllButtonRect, (Rect{1125, 873, 1268, 904}));
  EXPECT_EQ(layout.restartButtonRect, (Rect{1125, 873, 1268, 904}));
  EXPECT_EQ(layout.choicePanelCount, 2);
  for (uint16_t type : {1, 4, 36, 40, 16}) {
    computeScreenLayout(layout, Rect{0, 0, 1279, 999}, 15, 20, 4, type);
    EXPECT_EQ(layout.choicePanelCount, 2) << type;
  }
  computeScreenLayout(layout, Rect{0, 0, 1279, 999}, 15, 20, 4, 2);
  EXPECT_EQ(layout.choicePanelCount, 3);
}

TEST(ScreenLayout, ChoiceItemsStepByOneAndAHalfLines) {
  Rect items[3];
  choiceItemRects(Rect{1124, 10, 1269, 100}, 15, 3, items);
  // x = 1134, first y = 10 + 7 + 15 = 32, step 22, width 146 - 20.
  EXPECT_EQ(items[0], (Rect{1134, 32, 1260, 53}));
  EXPECT_EQ(items[1], (Rect{1134, 54, 1260, 75}));
  EXPECT_EQ(items[2], (Rect{1134, 76, 1260, 97}));
}

TEST(ScreenLayout, TinyClientDoesNotCrash) {
  ScreenLayout layout;
  computeScreenLayout(layout, Rect{0, 0, 50, 40}, 15, 20, 1, 1);
  // Sizes wrap in 16 bits; nothing else is promised but that the call returns.
  EXPECT_EQ(layout.gridColumns, 5);
}
