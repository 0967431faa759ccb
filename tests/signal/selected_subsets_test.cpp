#include "signal/selected_subsets.h"

#include <gtest/gtest.h>

#include <vector>

#include "platform/message_recorder.h"
#include "signal/required_list.h"
#include "signal/series_header.h"
#include "tests/support/series_factory.h"

namespace {

SeriesPtr header(uint32_t n = 1200) {
  MessageRecorder w;
  return SeriesPtr(getCutOffSeriesHeader(w, 20, 20, 40, 181, n, nullptr));
}

std::vector<int16_t> currentSubset(const SeriesHeader& h) {
  return std::vector<int16_t>(h.lpSubset, h.lpSubset + h.wSubsetSize);
}

}  // namespace

TEST(RequiredList, BuildsOneToNAndConvertsToAndFromFlags) {
  MessageRecorder w;
  uint16_t* list = getRequiredList(w, 20, nullptr);
  ASSERT_NE(list, nullptr);
  for (uint16_t i = 0; i < 20; ++i) EXPECT_EQ(list[i], i + 1);
  list = getRequiredList(w, 3, list);  // the old list is released first
  EXPECT_EQ(std::vector<uint16_t>(list, list + 3), (std::vector<uint16_t>{1, 2, 3}));
  freeRequiredList(list);

  uint16_t flags[20];
  const uint16_t chosen[] = {7, 2, 19, 2, 0, 25};
  requiredFlagsFromList(chosen, 6, flags, 20);
  std::vector<uint16_t> expected(20, 0);
  expected[1] = expected[6] = expected[18] = 1;
  EXPECT_EQ(std::vector<uint16_t>(flags, flags + 20), expected);

  uint16_t back[20] = {};
  EXPECT_EQ(requiredListFromFlags(flags, 20, back, 20), 3);
  EXPECT_EQ(std::vector<uint16_t>(back, back + 3), (std::vector<uint16_t>{2, 7, 19}));
  // A list shorter than the selection is filled up to its capacity.
  EXPECT_EQ(requiredListFromFlags(flags, 20, back, 2), 2);
  EXPECT_TRUE(w.messages().empty());
}

TEST(SetSubset, TruncatesToMaxPulsesAndKeepsLowSixteenBits) {
  MessageRecorder w;
  SeriesPtr h = header(200);  // at most 5 pulses
  const int32_t entries[] = {65539, 2, -1, 4, 5, 6, 7};
  EXPECT_EQ(setSubset(w, entries, 7, 3, 2, h.get()), 1);
  EXPECT_EQ(currentSubset(*h), (std::vector<int16_t>{3, 2, -1, 4, 5}));
  EXPECT_EQ(h->wSubsetMode, 3);
  EXPECT_EQ(h->wSubsetPosition, 2);
  EXPECT_EQ(setSubset(w, entries, 2, 1, 1, nullptr), 1);
}

TEST(SelectedSubsets, StoresRowsAndChoosesTheCurrentSubset) {
  MessageRecorder w;
  SeriesPtr h = header();
  const int32_t r0[] = {1, 2};
  const int32_t r1[] = {3, 4, 5};
  const int32_t r2[] = {6};
  const int32_t* rows[] = {r0, r1, r2};
  const int32_t sizes[] = {2, 3, 1};

  ASSERT_EQ(addSomeSelectedSubsetToSeriesHeader(w, sizes, rows, 3, 10, 10, 2, 4, 1, h.get()), 1);
  EXPECT_EQ(h->wSelectedSubsets, 3);
  EXPECT_EQ(h->wReservedSubsets, 10);
  EXPECT_EQ(h->wReservedSubsetItems, 10);
  EXPECT_EQ(h->selectedSubsetList[0], h->selectedSubsetSize + 10);
  EXPECT_EQ(h->selectedSubsetList[2], h->selectedSubsetSize + 30);
  EXPECT_EQ(h->selectedSubsetSize[1], 3);
  EXPECT_EQ(std::vector<int16_t>(h->selectedSubsetList[1], h->selectedSubsetList[1] + 3),
            (std::vector<int16_t>{3, 4, 5}));
  EXPECT_EQ(currentSubset(*h), (std::vector<int16_t>{3, 4, 5}));
  EXPECT_EQ(h->wSubsetMode, 4);

  // Chosen numbers 0 or above the count take the last subset; smaller reservations reuse storage.
  const int16_t* block = h->selectedSubsetSize;
  ASSERT_EQ(addSomeSelectedSubsetToSeriesHeader(w, sizes, rows, 3, 5, 5, 0, 2, 3, h.get()), 1);
  EXPECT_EQ(h->selectedSubsetSize, block);
  EXPECT_EQ(currentSubset(*h), (std::vector<int16_t>{6}));
  EXPECT_EQ(h->wSubsetPosition, 3);
  ASSERT_EQ(addSomeSelectedSubsetToSeriesHeader(w, sizes, rows, 2, 10, 10, 7, 2, 3, h.get()), 1);
  EXPECT_EQ(currentSubset(*h), (std::vector<int16_t>{3, 4, 5}));
  // A larger reservation reallocates.
  ASSERT_EQ(addSomeSelectedSubsetToSeriesHeader(w, sizes, rows, 3, 12, 10, 1, 2, 3, h.get()), 1);
  EXPECT_EQ(h->wReservedSubsets, 12);
  EXPECT_EQ(h->selectedSubsetList[1][2], 5);
  EXPECT_TRUE(w.messages().empty());
}

TEST(SelectedSubsets, RefusesWhatDoesNotFitWithoutChangingTheHeader) {
  MessageRecorder w;
  SeriesPtr h = header();
  const int32_t r0[] = {1, 2, 3, 4};
  const int32_t* rows[] = {r0, r0};
  const int32_t sizes[] = {4, 4};
  EXPECT_EQ(addSomeSelectedSubsetToSeriesHeader(w, sizes, rows, 0, 10, 10, 1, 4, 1, h.get()), 0);
  EXPECT_EQ(addSomeSelectedSubsetToSeriesHeader(w, sizes, rows, 2, 10, 10, 1, 4, 1, nullptr), 1);
  // Rows longer than the reserved items, or more subsets than reserved rows.
  EXPECT_EQ(addSomeSelectedSubsetToSeriesHeader(w, sizes, rows, 2, 10, 3, 1, 4, 1, h.get()), 0);
  EXPECT_EQ(addSomeSelectedSubsetToSeriesHeader(w, sizes, rows, 2, 1, 10, 1, 4, 1, h.get()), 0);
  EXPECT_EQ(h->selectedSubsetSize, nullptr);
  EXPECT_EQ(h->wSubsetSize, 0);
}
