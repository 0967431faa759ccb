#include "processing/chains_header.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/message_recorder.h"

namespace {

struct ChainRows {
  std::vector<int32_t> etalons, positions, begins, ends;
};

ChainRows rowsOf(int count, int seed) {
  ChainRows r;
  for (int j = 0; j < count; ++j) {
    r.etalons.push_back(seed + j);
    r.positions.push_back(100 * seed + j);
    r.begins.push_back(j);
    r.ends.push_back(19 - j);
  }
  return r;
}

int insert(ChainsHeader& h, int32_t value, int count, int seed,
           ChainRowCopy copy = ChainRowCopy::kNewChainLength) {
  const ChainRows r = rowsOf(count, seed);
  return insertChain(h, value, static_cast<uint16_t>(count), r.etalons.data(), r.positions.data(),
                     r.begins.data(), r.ends.data(), copy);
}

class ChainsHeaderTest : public ::testing::Test {
 protected:
  void TearDown() override { freeChainsHeader(window, header); }
  MessageRecorder window;
  ChainsHeader* header = nullptr;
};

TEST_F(ChainsHeaderTest, BuildsRowsIntoOneBlockAndNeverShrinks) {
  header = getChainsHeader(window, 3, 5, nullptr);
  ASSERT_NE(header, nullptr);
  EXPECT_EQ(header->wMaxSize, 3);
  EXPECT_EQ(header->wMaxPulses, 5);
  EXPECT_EQ(header->chainLength, header->distance + 3);
  EXPECT_EQ(header->positionsList, header->pulsesList + 3);
  EXPECT_EQ(header->cutOffBeginList, header->pulsesList + 6);
  EXPECT_EQ(header->cutOffEndList, header->pulsesList + 9);
  for (int r = 0; r < 12; ++r) EXPECT_EQ(header->pulsesList[r], header->pulsesList[0] + 5 * r);
  for (int i = 0; i < 60; ++i) EXPECT_EQ(header->pulsesList[0][i], 0);
  EXPECT_EQ(header->wInfoLevel, 0);
  EXPECT_EQ(header->taskName, nullptr);

  insert(*header, 7, 5, 1);
  header->wQuanPulses = 4;
  header->wSeekingPulsesQuantity = 4;
  header->wInfoLevel = 2;
  int16_t* const block = header->pulsesList[0];
  // A smaller request keeps the tables and capacities, clears the counters and only the
  // first 2 x S and 4 x S x M values.
  header->pulsesList[0][4 * 1 * 2] = 99;  // beyond the first 4 x 1 x 2 values
  ChainsHeader* same = getChainsHeader(window, 1, 2, header);
  ASSERT_EQ(same, header);
  EXPECT_EQ(header->pulsesList[0], block);
  EXPECT_EQ(header->wMaxSize, 3);
  EXPECT_EQ(header->wMaxPulses, 5);
  EXPECT_EQ(header->wPretenders, 0);
  EXPECT_EQ(header->wQuanPulses, 0);
  EXPECT_EQ(header->wSeekingPulsesQuantity, 0);
  EXPECT_EQ(header->wInfoLevel, 2);
  EXPECT_EQ(header->distance[0], 0);
  for (int i = 0; i < 8; ++i) EXPECT_EQ(block[i], 0);
  EXPECT_EQ(block[8], 99);

  // More chains at an equal pulse count rebuilds everything at exactly the request.
  header = getChainsHeader(window, 4, 5, header);
  ASSERT_NE(header, nullptr);
  EXPECT_EQ(header->wMaxSize, 4);
  EXPECT_EQ(header->wMaxPulses, 5);
  for (int i = 0; i < 4 * 4 * 5; ++i) EXPECT_EQ(header->pulsesList[0][i], 0);
  for (int i = 0; i < 8; ++i) EXPECT_EQ(header->distance[i], 0);
  EXPECT_EQ(header->wInfoLevel, 2);  // the run description survives
  EXPECT_TRUE(window.messages().empty());
}

TEST_F(ChainsHeaderTest, MemoryFailureShowsTextReleasesHeaderAndReturnsNull) {
  header = getChainsHeader(window, 2, 2, nullptr);
  ASSERT_NE(header, nullptr);
  // 4 x 65535 x 65535 values are beyond any sane block: the storage block fails.
  ChainsHeader* result = getChainsHeader(window, 65535, 65535, header);
  header = nullptr;  // released by the failed call
  EXPECT_EQ(result, nullptr);
  ASSERT_EQ(window.messages().size(), 1u);
  EXPECT_EQ(window.messages()[0].text, "Нет памяти для newChainsHeader->pulsesList[0]!");
  EXPECT_EQ(window.messages()[0].caption, " getChainsHeader ");
}

TEST_F(ChainsHeaderTest, ZeroSizedHeaderIsUsableAndReleasable) {
  header = getChainsHeader(window, 0, 7, nullptr);
  ASSERT_NE(header, nullptr);
  EXPECT_EQ(header->wMaxPulses, 7);
  EXPECT_EQ(insert(*header, 1, 3, 1), -1);
  EXPECT_EQ(header->wPretenders, 0);
  EXPECT_NE(chainsHeaderText(*header).find("wMaxSize: 0\n"), std::string::npos);
}

TEST_F(ChainsHeaderTest, AddToChainsHeaderStampsTheRun) {
  header = getChainsHeader(window, 2, 2, nullptr);
  EXPECT_EQ(addToChainsHeader(window, 2, 4, 80, 75, header), 1);
  EXPECT_EQ(header->wInfoLevel, 2);
  EXPECT_STREQ(header->seriesTypeName, "known number of cut-off pulses");
  EXPECT_STREQ(header->taskName, "joint detection and identification");
  EXPECT_EQ(header->wMakingEnergyLevel, 80);
  EXPECT_EQ(header->wProcessingEnergyLevel, 75);
  EXPECT_EQ(addToChainsHeader(window, 40, 36, 100, 100, header), 1);
  EXPECT_STREQ(header->seriesTypeName, "unknown number of whole pulses tuples");
  EXPECT_STREQ(header->taskName, "detection");
  EXPECT_EQ(addToChainsHeader(window, 16, 64, 100, 100, header), 1);
  EXPECT_EQ(header->seriesTypeName, nullptr);
  EXPECT_EQ(header->taskName, nullptr);
  EXPECT_TRUE(window.messages().empty());

  EXPECT_EQ(addToChainsHeader(window, 1, 1, 100, 100, nullptr), 0);
  ASSERT_EQ(window.messages().size(), 1u);
  EXPECT_EQ(window.messages()[0].text, "Не определен lpChainsHeader!");
  EXPECT_EQ(window.messages()[0].caption, " addToChainsHeader ");
}

TEST_F(ChainsHeaderTest, InsertionRanksByValueKeepsArrivalOrderAndDropsTheWorst) {
  header = getChainsHeader(window, 3, 4, nullptr);
  EXPECT_EQ(insert(*header, 50, 2, 1), 0);
  EXPECT_EQ(insert(*header, 20, 2, 2), 0);
  EXPECT_EQ(insert(*header, 50, 2, 3), 2);  // equal values go behind
  EXPECT_EQ(header->wPretenders, 3);
  EXPECT_EQ(header->distance[0], 20);
  EXPECT_EQ(header->positionsList[1][0], 100);
  EXPECT_EQ(header->positionsList[2][0], 300);

  // Full: a chain equal to the worst changes nothing, a better one pushes the worst out.
  EXPECT_EQ(insert(*header, 50, 2, 4), -1);
  EXPECT_EQ(header->positionsList[2][0], 300);
  EXPECT_EQ(insert(*header, 30, 2, 5), 1);
  EXPECT_EQ(header->wPretenders, 3);
  EXPECT_EQ(header->distance[1], 30);
  EXPECT_EQ(header->distance[2], 50);
  EXPECT_EQ(header->positionsList[2][0], 100);
  EXPECT_EQ(header->positionsList[2][1], 101);
  EXPECT_EQ(header->pulsesList[1][1], 6);
  EXPECT_EQ(header->cutOffEndList[1][1], 18);

  // More pulses than a row holds: refused, nothing changes.
  EXPECT_EQ(insert(*header, 1, 5, 6), -1);
  EXPECT_EQ(header->distance[0], 20);
}

TEST_F(ChainsHeaderTest, MovedRowsAreCopiedOverTheChosenLength) {
  header = getChainsHeader(window, 3, 4, nullptr);
  insert(*header, 10, 4, 1);
  // The known-number variant copies only as many entries as the new chain has.
  insert(*header, 5, 1, 2, ChainRowCopy::kNewChainLength);
  EXPECT_EQ(header->positionsList[1][0], 100);
  EXPECT_EQ(header->positionsList[1][1], 0);
  EXPECT_EQ(header->chainLength[1], 4);

  freeChainsHeader(window, header);
  header = getChainsHeader(window, 3, 4, nullptr);
  insert(*header, 10, 4, 1, ChainRowCopy::kOwnLength);
  insert(*header, 5, 1, 2, ChainRowCopy::kOwnLength);
  for (int j = 0; j < 4; ++j) EXPECT_EQ(header->positionsList[1][j], 100 + j);
}

TEST_F(ChainsHeaderTest, ClearForRunZeroesDistancesAndLeadingEntriesOnly) {
  header = getChainsHeader(window, 2, 4, nullptr);
  insert(*header, 10, 4, 1);
  insert(*header, 20, 4, 2);
  EXPECT_FALSE(clearChainsForRun(*header, 5, 5, 5));
  EXPECT_EQ(header->wPretenders, 2);
  ASSERT_TRUE(clearChainsForRun(*header, 3, 2, 3));
  EXPECT_EQ(header->wPretenders, 0);
  EXPECT_EQ(header->wQuanPulses, 3);
  EXPECT_EQ(header->wSeekingPulsesQuantity, 2);
  EXPECT_EQ(header->distance[1], 0);
  EXPECT_EQ(header->chainLength[1], 4);
  EXPECT_EQ(header->positionsList[1][2], 0);
  EXPECT_EQ(header->positionsList[1][3], 203);
  EXPECT_EQ(header->cutOffEndList[0][3], 16);
}

TEST_F(ChainsHeaderTest, DumpListsEveryChainAndStaysInsideItsBuffer) {
  header = getChainsHeader(window, 2, 3, nullptr);
  insert(*header, -1300, 2, 1);
  header->wQuanPulses = 2;
  header->wSeekingPulsesQuantity = 2;
  EXPECT_EQ(chainsHeaderText(*header),
            "ChainsHeader:\nwMaxSize: 2\nwPretenders: 1\nwMaxPulses: 3\nwQuanPulses: 2\n"
            "wSeekingPulsesQuantity: 2\n 1. -1300 100 (1) [0 19] 101 (2) [1 18]\n");
  EXPECT_EQ(aboutChainsHeader(window, header), kIdOk);
  ASSERT_EQ(window.messages().size(), 1u);
  EXPECT_EQ(window.messages()[0].caption, "aboutChainsHeader Info");
  EXPECT_EQ(window.messages()[0].style, static_cast<uint32_t>(kMbOk));

  freeChainsHeader(window, header);
  header = getChainsHeader(window, 40, 60, nullptr);
  for (int c = 0; c < 40; ++c) insert(*header, c, 60, c + 1);
  const std::string text = chainsHeaderText(*header);
  EXPECT_EQ(text.size(), 2499u);
  EXPECT_EQ(text.substr(0, 13), "ChainsHeader:");
}

TEST_F(ChainsHeaderTest, FreeAcceptsNullAndHalfBuiltHeaders) {
  EXPECT_EQ(freeChainsHeader(window, nullptr), 1);
  ChainsHeader* bare = new ChainsHeader();
  EXPECT_EQ(freeChainsHeader(window, bare), 1);
}

}  // namespace
