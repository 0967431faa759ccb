#include "shell/dialog_fields.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

TEST(DialogFields, IntegersReadLikeTheDialogsExpect) {
  EXPECT_EQ(parseDialogInt("1200"), 1200);
  EXPECT_EQ(parseDialogInt("   -40xyz"), -40);
  EXPECT_EQ(parseDialogInt("+7"), 7);
  EXPECT_EQ(parseDialogInt("abc"), 0);
  EXPECT_EQ(parseDialogInt(""), 0);
  EXPECT_EQ(parseDialogInt("-"), 0);
  // Too large: the low-order bits survive, and a 16-bit setting keeps its own low bits.
  EXPECT_EQ(parseDialogInt("4294967297"), 1);
  EXPECT_EQ(static_cast<uint16_t>(parseDialogInt("65537")), 1);
  size_t used = 0;
  parseDialogInt("  12,3", &used);
  EXPECT_EQ(used, 4u);
  parseDialogInt("  x", &used);
  EXPECT_EQ(used, 0u);
}

TEST(DialogFields, RealsReadAndShowWithFiveDigits) {
  EXPECT_DOUBLE_EQ(parseDialogReal("0.25"), 0.25);
  EXPECT_DOUBLE_EQ(parseDialogReal("  -1.5e2 and more"), -150.0);
  EXPECT_DOUBLE_EQ(parseDialogReal(".5"), 0.5);
  EXPECT_DOUBLE_EQ(parseDialogReal("x1"), 0.0);
  EXPECT_DOUBLE_EQ(parseDialogReal("inf"), 0.0);
  EXPECT_DOUBLE_EQ(parseDialogReal("nan"), 0.0);
  EXPECT_DOUBLE_EQ(parseDialogReal("1e999"), 0.0);
  EXPECT_EQ(formatDialogReal(0.25), "0.25");
  EXPECT_EQ(formatDialogReal(0.123456789), "0.12346");
  EXPECT_EQ(formatDialogReal(123456.0), "1.2346e+05");
  EXPECT_EQ(formatDialogReal(2.0), "2");
}

TEST(DialogFields, ListsWriteWithCommasAndReadBack) {
  const std::vector<uint16_t> values{1, 20, 3};
  EXPECT_EQ(formatDialogList(values.data(), values.size()), "1,20,3");
  EXPECT_EQ(formatDialogList(values.data(), 0), "");
  std::vector<uint16_t> back(5, 99);
  parseDialogList("1,20,3", back.data(), back.size());
  EXPECT_EQ(back, (std::vector<uint16_t>{1, 20, 3, 0, 0}));
  parseDialogList("4, 5 6 ,7,,8", back.data(), back.size());
  EXPECT_EQ(back, (std::vector<uint16_t>{4, 5, 6, 7, 0}));
  parseDialogList("x,2", back.data(), 2);
  EXPECT_EQ(back[0], 0);
  EXPECT_EQ(back[1], 2);
}

TEST(DialogFields, ListIsReadOnlyUpToItsNinetyNinthCharacter) {
  // Fifty "1," pairs: the 99th character is the fiftieth 1, the 100th its comma.
  std::string text;
  for (int i = 0; i < 60; ++i) text += "1,";
  std::vector<uint16_t> values(60, 7);
  parseDialogList(text, values.data(), values.size());
  for (size_t k = 0; k < 50; ++k) EXPECT_EQ(values[k], 1) << k;
  for (size_t k = 50; k < 60; ++k) EXPECT_EQ(values[k], 0) << k;
  // A number cut by the limit keeps only its digits before it.
  std::string cut(97, ' ');
  cut += "12345";
  uint16_t one = 0;
  parseDialogList(cut, &one, 1);
  EXPECT_EQ(one, 12);
}
