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

#if defined(__linux__)
#include <sys/mman.h>

#include <cerrno>

namespace {

// Whether every 4 KB page of memory .. memory + bytes is unmapped.
bool nothingMapped(const char* memory, size_t bytes) {
  unsigned char resident = 0;
  for (size_t at = 0; at < bytes; at += 4096) {
    // mincore on a page that is no longer mapped fails with ENOMEM.
    if (mincore(const_cast<char*>(memory + at), 4096, &resident) == 0 || errno != ENOMEM) return false;
  }
  return true;
}

}  // namespace

// Working memory given back in two parts, one of them by the side thread: wherever the parts
// meet and whichever the side thread takes, every page of it is unmapped afterwards and
// nothing else is, and a small array (not mapped apart) is given back whole.
TEST(LongRecordingWorkTest, MemoryGivenBackApartIsAllGivenBackAndNothingElse) {
  constexpr size_t kMiB = size_t{1} << 20;
  for (const bool sideBelow : {false, true}) {
    for (const size_t bytes : {size_t{300000}, 5 * kMiB + 123, 8 * kMiB}) {
      for (const size_t cut : {size_t{0}, size_t{1}, kMiB + 5, 2 * kMiB, bytes - 1, bytes, 3 * bytes}) {
        char* memory = static_cast<char*>(allocateWorkingMemory(bytes));
        char* neighbour = static_cast<char*>(allocateWorkingMemory(bytes));
        for (size_t at = 0; at < bytes; at += 4096) memory[at] = neighbour[at] = 1;
        releaseWorkingMemoryApart(memory, bytes, cut, sideBelow);
        EXPECT_TRUE(nothingMapped(memory, (bytes + 2 * kMiB - 1) / (2 * kMiB) * (2 * kMiB)))
            << bytes << " bytes, cut at " << cut << ", side thread below it " << sideBelow;
        // The other mapping is whole.
        for (size_t at = 0; at < bytes; at += 4096) ASSERT_EQ(neighbour[at], 1) << bytes << " " << cut;
        neighbour[bytes - 1] = 2;
        releaseWorkingMemory(neighbour, bytes);
      }
    }
    UninitializedArray<int64_t> small;
    small.resize(1000);
    small[999] = 5;
    small.releaseApart(10, sideBelow);
    EXPECT_EQ(small.data(), nullptr);
    EXPECT_EQ(small.size(), 0);
  }
}
#endif
