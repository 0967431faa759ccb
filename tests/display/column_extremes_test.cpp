#include "display/column_extremes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <limits>
#include <vector>

namespace {

// The extremes by brute force: every sample goes to the column whose x it falls in when the
// samples are laid over the columns as equal fractions, sample i covering [i, i+1) * C / n.
std::vector<ColumnExtremes> bruteForce(const std::vector<int16_t>& s, size_t columns) {
  const size_t n = s.size();
  std::vector<ColumnExtremes> out(columns);
  std::vector<bool> seen(columns, false);
  for (size_t i = 0; i < n; ++i) {
    // Sample i starts at x = i * C / n; its column is the last c with c * n / C <= i.
    size_t c = 0;
    while (c + 1 < columns && (c + 1) * n / columns <= i) ++c;
    if (!seen[c]) {
      out[c] = ColumnExtremes{s[i], s[i]};
      seen[c] = true;
    } else {
      out[c].low = std::min(out[c].low, s[i]);
      out[c].high = std::max(out[c].high, s[i]);
    }
  }
  for (size_t c = 0; c < columns; ++c) {
    if (seen[c]) continue;
    const int16_t v = s[c * n / columns];
    out[c] = ColumnExtremes{v, v};
  }
  return out;
}

TEST(ColumnExtremes, HandComputedRuns) {
  // Seven samples over three columns: runs [0, 2), [2, 4), [4, 7).
  const std::vector<int16_t> s = {5, -3, 7, 7, -32768, 32767, 0};
  const std::vector<ColumnExtremes> expected = {{-3, 5}, {7, 7}, {-32768, 32767}};
  EXPECT_EQ(columnExtremes(s, 3), expected);
  // One column holds everything; as many columns as samples give each sample its own.
  EXPECT_EQ(columnExtremes(s, 1), (std::vector<ColumnExtremes>{{-32768, 32767}}));
  const std::vector<ColumnExtremes> each = columnExtremes(s, s.size());
  ASSERT_EQ(each.size(), s.size());
  for (size_t i = 0; i < s.size(); ++i) EXPECT_EQ(each[i], (ColumnExtremes{s[i], s[i]})) << i;
}

TEST(ColumnExtremes, FewerSamplesThanColumnsLeavesNoColumnEmpty) {
  // Two samples over five columns: firsts 0, 0, 0, 1, 1, so columns 0, 1 and 3 have empty runs.
  const std::vector<int16_t> s = {10, -10};
  const std::vector<ColumnExtremes> expected = {{10, 10}, {10, 10}, {10, 10}, {-10, -10}, {-10, -10}};
  EXPECT_EQ(columnExtremes(s, 5), expected);
  EXPECT_TRUE(columnExtremes({}, 5).empty());
  EXPECT_TRUE(columnExtremes(s, 0).empty());
}

TEST(ColumnExtremes, AgreesWithBruteForceOnEverySmallShape) {
  uint32_t state = 12345;
  for (size_t n = 1; n <= 40; ++n) {
    std::vector<int16_t> s(n);
    for (auto& v : s) {
      state = state * 214013u + 2531011u;
      v = static_cast<int16_t>(static_cast<int32_t>((state >> 16) & 0x7FFF) - 16384);
    }
    for (size_t columns = 1; columns <= 50; ++columns) {
      SCOPED_TRACE(testing::Message() << n << " samples, " << columns << " columns");
      EXPECT_EQ(columnExtremes(s, columns), bruteForce(s, columns));
      for (uint64_t i = 0; i < n; ++i) {
        const uint64_t c = columnOfSample(i, n, columns);
        ASSERT_LT(c, columns);
        EXPECT_LE(columnFirstSample(c, n, columns), i);
        if (c + 1 < columns) {
          EXPECT_GT(columnFirstSample(c + 1, n, columns), i);
        }
      }
    }
  }
}

TEST(ColumnExtremes, PositionsOfHugeRecordingsDoNotOverflow) {
  // A recording of 2^62 samples over 8192 columns: the products exceed 64 bits.
  const uint64_t n = uint64_t{1} << 62, columns = 8192;
  EXPECT_EQ(columnFirstSample(columns, n, columns), n);
  EXPECT_EQ(columnFirstSample(1, n, columns), n / columns);
  EXPECT_EQ(columnOfSample(n - 1, n, columns), columns - 1);
  EXPECT_EQ(columnOfSample(n / columns, n, columns), 1u);
  EXPECT_EQ(columnOfSample(n / columns - 1, n, columns), 0u);
  const uint64_t odd = std::numeric_limits<uint64_t>::max() - 6;
  EXPECT_EQ(columnFirstSample(3, odd, 7), odd / 7 * 3 + (odd % 7) * 3 / 7);
  EXPECT_EQ(columnOfSample(odd - 1, odd, 7), 6u);
}

}  // namespace
