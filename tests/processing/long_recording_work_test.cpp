#include "processing/long_recording_work.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <numeric>
#include <vector>

// Mapping memory ahead (and asking for huge pages within it) is advice about pages, never about
// what they hold: rows of every size keep what was written, before and after, whatever their
// place in the pages.
TEST(LongRecordingWorkTest, MappingAheadKeepsWhatTheMemoryHolds) {
  for (const size_t count : {size_t{100}, size_t{70000}, size_t{600000}, size_t{1200001}}) {
    std::vector<int64_t> row(count);
    std::iota(row.begin(), row.end(), int64_t{-7});
    prefaultForWriting(row.data(), row.size() * sizeof(int64_t));
    for (size_t i = 0; i < count; i += 997) ASSERT_EQ(row[i], static_cast<int64_t>(i) - 7) << count;
    ASSERT_EQ(row.back(), static_cast<int64_t>(count) - 8);
    // Unaligned starts and lengths, inside the row.
    prefaultForWriting(reinterpret_cast<char*>(row.data()) + 3, count * sizeof(int64_t) / 2 + 5);
    for (size_t i = 0; i < count; i += 991) ASSERT_EQ(row[i], static_cast<int64_t>(i) - 7) << count;
  }
  prefaultForWriting(nullptr, 1 << 24);  // nothing to map: nothing happens

  // A row made afresh holds exactly its values, whatever it held before.
  std::vector<double> margins(5, 9.5);
  fillAnswerRow(margins, 900000, 0.25);
  ASSERT_EQ(margins.size(), 900000u);
  EXPECT_EQ(margins.front(), 0.25);
  EXPECT_EQ(margins.back(), 0.25);
  std::vector<int64_t> positions{1, 2, 3};
  reserveAnswerRow(positions, 700000);
  EXPECT_TRUE(positions.empty());
  EXPECT_GE(positions.capacity(), 700000u);
}
