#include "platform/headless_window.h"

#include <gtest/gtest.h>

TEST(HeadlessWindow, RecordsMessagesAndAnswersFromItsQueue) {
  HeadlessWindow w;
  EXPECT_EQ(w.messageBox("a", " cap ", kMbOk | kMbIconWarning), kIdOk);
  EXPECT_EQ(w.messageBox("q", "", kMbYesNo | kMbIconQuestion), kIdYes);
  w.queueAnswer(kIdNo);
  EXPECT_EQ(w.messageBox("q2", "", kMbYesNo), kIdNo);
  ASSERT_EQ(w.messages().size(), 3u);
  EXPECT_EQ(w.messages()[0].text, "a");
  EXPECT_EQ(w.messages()[0].caption, " cap ");
  EXPECT_EQ(w.messages()[0].style & kMbIconMask, static_cast<uint32_t>(kMbIconWarning));
}

TEST(Rect, HitTestsIncludeAllFourEdges) {
  Rect r{10, 20, 30, 40};
  EXPECT_TRUE(r.contains(10, 20));
  EXPECT_TRUE(r.contains(30, 40));
  EXPECT_FALSE(r.contains(31, 40));
  EXPECT_FALSE(r.contains(10, 19));
}
