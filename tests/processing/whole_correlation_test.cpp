#include "processing/whole_correlation.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

#include "tests/support/test_scale.h"

namespace {

// The paired vector loop and its plain tail give the same 32-bit wrapping sums as the literal
// sum, for odd and even etalon lengths, every width around the vector steps, and the extreme
// samples whose paired products wrap.
TEST(WholeCorrelationTest, EqualsTheLiteralSumAtEveryWidth) {
  std::mt19937 rng(31);
  for (int trial = 0; trial < scaledCount(400); ++trial) {
    const int n = std::uniform_int_distribution<int>(1, 70)(rng);
    const auto width =
        static_cast<size_t>(std::uniform_int_distribution<int>(0, trial % 4 == 0 ? 300 : 40)(rng));
    const bool extreme = trial % 5 == 0;
    std::uniform_int_distribution<int> sample(-32768, 32767);
    std::vector<int16_t> s(static_cast<size_t>(n)), x(width + static_cast<size_t>(n) - 1);
    for (int16_t& v : s) v = static_cast<int16_t>(extreme ? -32768 : sample(rng));
    for (int16_t& v : x) v = static_cast<int16_t>(extreme && rng() % 2 == 0 ? -32768 : sample(rng));
    std::vector<uint32_t> corr(width + 1, 0xDEADBEEFu);
    wholeCorrelations(s.data(), n, x.data(), width, corr.data());
    for (size_t q = 0; q < width; ++q) {
      uint32_t expected = 0;
      for (int i = 0; i < n; ++i)
        expected += static_cast<uint32_t>(int32_t{s[static_cast<size_t>(i)]} *
                                          int32_t{x[q + static_cast<size_t>(i)]});
      ASSERT_EQ(corr[q], expected) << "trial " << trial << " n " << n << " width " << width << " q " << q;
    }
    EXPECT_EQ(corr[width], 0xDEADBEEFu) << "written past the width";
  }
}

// The 64-bit sums: paired where no etalon value is -32768, plain where one is; exact at full
// 16-bit amplitude and every width.
TEST(WholeCorrelationTest, WideSumsAreExactAtFullAmplitude) {
  std::mt19937 rng(32);
  for (int trial = 0; trial < scaledCount(400); ++trial) {
    const int n = std::uniform_int_distribution<int>(1, 70)(rng);
    const auto width =
        static_cast<size_t>(std::uniform_int_distribution<int>(0, trial % 4 == 0 ? 300 : 40)(rng));
    std::uniform_int_distribution<int> sample(-32768, 32767);
    std::vector<int16_t> s(static_cast<size_t>(n)), x(width + static_cast<size_t>(n) - 1);
    for (int16_t& v : s)
      v = static_cast<int16_t>(trial % 3 == 0 ? (rng() % 2 == 0 ? 32767 : -32767) : sample(rng));
    if (trial % 7 == 0) s[static_cast<size_t>(n) / 2] = -32768;
    for (int16_t& v : x)
      v = static_cast<int16_t>(trial % 3 == 0 ? (rng() % 2 == 0 ? -32768 : 32767) : sample(rng));
    std::vector<int64_t> corr(width + 1, 77);
    wholeCorrelationsWide(s.data(), n, x.data(), width, corr.data());
    for (size_t q = 0; q < width; ++q) {
      int64_t expected = 0;
      for (int i = 0; i < n; ++i)
        expected += int64_t{s[static_cast<size_t>(i)]} * int64_t{x[q + static_cast<size_t>(i)]};
      ASSERT_EQ(corr[q], expected) << "trial " << trial << " n " << n << " width " << width << " q " << q;
    }
    EXPECT_EQ(corr[width], 77) << "written past the width";
  }
}

}  // namespace
