#include "simulation/rest_err_header.h"

#include <gtest/gtest.h>

#include "platform/message_recorder.h"

namespace {

struct HeaderFixture : ::testing::Test {
  MessageRecorder window;
  RestErrHeader* header = nullptr;
  ~HeaderFixture() override { freeRestErrHeader(window, header); }
};

// Every table's rows follow each other in the cell array, rows of `pulses` cells, tables of
// `levels` rows.
void expectRowLayout(const RestErrHeader& h, uint16_t pulses, uint16_t levels) {
  int32_t** const tables[kRestErrTables] = {h.lpErrors,         h.lpFragmentErrors,
                                            h.lpReservedErrors, h.lpRecognitionErrors,
                                            h.lpSpareErrors1,   h.lpSpareErrors2};
  for (int t = 0; t < kRestErrTables; ++t) {
    ASSERT_EQ(tables[t], h.rowBlock.get() + t * levels);
    for (int r = 0; r < levels; ++r) EXPECT_EQ(tables[t][r], h.cellBlock.get() + (t * levels + r) * pulses);
  }
  EXPECT_EQ(h.lpNoiseLevel, h.valueBlock.get());
  EXPECT_EQ(h.wPulseValues, h.valueBlock.get() + levels);
}

TEST_F(HeaderFixture, GrowsOnlyWhenACapacityIsShort) {
  header = getRestErrHeader(window, 3, 10, 100, nullptr);
  ASSERT_NE(header, nullptr);
  EXPECT_EQ(header->wReservedPulses, 3);
  EXPECT_EQ(header->wReservedLevels, 10);
  EXPECT_EQ(header->ifComplete, 0);
  EXPECT_EQ(header->wInfoLevel, 0);
  expectRowLayout(*header, 3, 10);

  // More pulse counts but fewer levels: rebuilt at exactly the request.
  header = getRestErrHeader(window, 5, 6, 50, header);
  ASSERT_NE(header, nullptr);
  EXPECT_EQ(header->wReservedPulses, 5);
  EXPECT_EQ(header->wReservedLevels, 6);
  EXPECT_EQ(header->wVariousPulses, 5);
  EXPECT_EQ(header->wNoiseLevels, 6);
  EXPECT_EQ(header->repeats, 50);
  expectRowLayout(*header, 5, 6);
  EXPECT_EQ(initRestErrHeader(window, 5, 6, 1, 6, 0, 5, 50, header), 1);

  // Smaller on both counts: the storage and its row layout stay.
  const int32_t* cells = header->cellBlock.get();
  header->lpErrors[2][4] = 77;
  header->lpSpareErrors2[5][4] = 99;
  header = getRestErrHeader(window, 3, 4, 7, header);
  ASSERT_NE(header, nullptr);
  EXPECT_EQ(header->cellBlock.get(), cells);
  EXPECT_EQ(header->wReservedPulses, 5);
  EXPECT_EQ(header->wReservedLevels, 6);
  EXPECT_EQ(header->wVariousPulses, 3);
  EXPECT_EQ(header->wNoiseLevels, 4);
  expectRowLayout(*header, 5, 6);
  // Only the first 6 x P x M cells are cleared.
  EXPECT_EQ(header->lpErrors[2][4], 0);
  EXPECT_EQ(header->lpSpareErrors2[5][4], 99);
  EXPECT_TRUE(window.messages().empty());
}

TEST_F(HeaderFixture, GridValuesFollowFirstPlusIndexTimesStep) {
  header = getRestErrHeader(window, 4, 3, 10, nullptr);
  ASSERT_NE(header, nullptr);
  header->lpErrors[1][2] = 5;
  header->lpFragmentErrors[1][2] = 6;
  header->ifComplete = 1;
  ASSERT_EQ(initRestErrHeader(window, 4, 6, 2, 3, 10, 5, 10, header), 1);
  EXPECT_EQ(header->ifComplete, 0);
  const int16_t pulses[] = {6, 8, 10, 12};
  const int16_t levels[] = {10, 15, 20};
  for (int i = 0; i < 4; ++i) EXPECT_EQ(header->wPulseValues[i], pulses[i]);
  for (int l = 0; l < 3; ++l) EXPECT_EQ(header->lpNoiseLevel[l], levels[l]);
  EXPECT_EQ(header->lpErrors[1][2], 0);
  EXPECT_EQ(header->lpFragmentErrors[1][2], 6);  // the other tables are the driver's to fill

  ASSERT_EQ(initRestErrHeader(window, 4, 9, 0, 3, 20, 0, 10, header), 1);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(header->wPulseValues[i], 9);
  for (int l = 0; l < 3; ++l) EXPECT_EQ(header->lpNoiseLevel[l], 20);

  // 16-bit arithmetic: 32760 + 2 x 5 wraps like the stored value does.
  ASSERT_EQ(initRestErrHeader(window, 1, 1, 0, 3, 32760, 5, 10, header), 1);
  EXPECT_EQ(header->lpNoiseLevel[2], static_cast<int16_t>(32770 - 65536));
}

TEST_F(HeaderFixture, InitRefusesCountsAboveTheCapacityAndLeavesTheHeader) {
  EXPECT_EQ(initRestErrHeader(window, 1, 1, 1, 1, 0, 1, 1, nullptr), 0);
  header = getRestErrHeader(window, 4, 3, 10, nullptr);
  ASSERT_NE(header, nullptr);
  EXPECT_EQ(initRestErrHeader(window, 5, 6, 1, 3, 0, 5, 10, header), 0);
  EXPECT_EQ(initRestErrHeader(window, 4, 6, 1, 4, 0, 5, 10, header), 0);
  EXPECT_EQ(header->wVariousPulses, 4);
  EXPECT_EQ(header->wPulseValues[0], 0);
  ASSERT_EQ(window.messages().size(), 3u);
  EXPECT_EQ(window.messages()[0].text, "Не определен lpErrorHeader!");
  EXPECT_EQ(window.messages()[0].caption, " initRestErrHeader ");
  EXPECT_EQ(window.messages()[1].text, "Неверно задан wVariousPulsesNumber!");
  EXPECT_EQ(window.messages()[2].text, "Неверно задан wNoiseLevels!");
}

TEST_F(HeaderFixture, ATooLargeGridFailsLikeExhaustedMemoryAndReleasesTheHeader) {
  header = getRestErrHeader(window, 3, 3, 10, nullptr);
  ASSERT_NE(header, nullptr);
  // The header passed in is released on failure (the sanitizer build sees a leak otherwise).
  header = getRestErrHeader(window, 65535, 65535, 10, header);
  EXPECT_EQ(header, nullptr);
  ASSERT_EQ(window.messages().size(), 1u);
  EXPECT_EQ(window.messages()[0].text, "Нет памяти для newRestErrorHeader->lpErrors[]!");
  EXPECT_EQ(window.messages()[0].caption, " getRestErrHeader ");
}

TEST_F(HeaderFixture, StampCarriesTheTextsOfKnownCodesOnly) {
  EXPECT_EQ(addInitRestErrHeader(window, 1, 1, 100, 100, nullptr), 0);
  ASSERT_EQ(window.messages().size(), 1u);
  EXPECT_EQ(window.messages()[0].text, "Не определен lpErrorHeader!");
  EXPECT_EQ(window.messages()[0].caption, " addInitRestErrHeader ");

  header = getRestErrHeader(window, 1, 1, 1, nullptr);
  ASSERT_EQ(addInitRestErrHeader(window, 40, 4, 75, 50, header), 1);
  EXPECT_EQ(header->wInfoLevel, 2);
  EXPECT_STREQ(header->seriesTypeName, "unknown number of whole pulses tuples");
  EXPECT_STREQ(header->taskName, "joint detection and identification");
  EXPECT_EQ(header->wMakingEnergyLevel, 75);
  EXPECT_EQ(header->wProcessingEnergyLevel, 50);

  ASSERT_EQ(addInitRestErrHeader(window, 16, 64, 100, 100, header), 1);
  EXPECT_EQ(header->seriesTypeName, nullptr);
  EXPECT_EQ(header->taskName, nullptr);
  ASSERT_EQ(addInitRestErrHeader(window, 2, 32, 100, 100, header), 1);
  EXPECT_STREQ(header->seriesTypeName, "known number of cut-off pulses");
  EXPECT_STREQ(header->taskName, "blind detection");
  ASSERT_EQ(addInitRestErrHeader(window, 8, 16, 100, 100, header), 1);
  EXPECT_STREQ(header->taskName, "joint detection and estimation");
  ASSERT_EQ(addInitRestErrHeader(window, 36, 36, 100, 100, header), 1);
  EXPECT_STREQ(header->taskName, "detection");
  EXPECT_EQ(freeRestErrHeader(window, nullptr), 1);
}

}  // namespace
