#include "platform/bmp_decode.h"

#include <gtest/gtest.h>

#include <vector>

#include "platform/resources.h"

namespace {

void put16(std::vector<uint8_t>& v, uint32_t x) { v.push_back(x & 0xFF), v.push_back((x >> 8) & 0xFF); }
void put32(std::vector<uint8_t>& v, uint32_t x) { put16(v, x & 0xFFFF), put16(v, x >> 16); }

// A 24-bit file of 3 x 2 pixels written by hand; `height` negative for top-down rows.
std::vector<uint8_t> tiny24(int32_t height) {
  std::vector<uint8_t> f{'B', 'M'};
  put32(f, 54 + 16), put32(f, 0), put32(f, 54);
  put32(f, 40), put32(f, 3), put32(f, static_cast<uint32_t>(height)), put16(f, 1), put16(f, 24);
  for (int i = 0; i < 6; ++i) put32(f, 0);
  // row stored first: (1,2,3) (4,5,6) (7,8,9), padding to 12 bytes; then (10,11,12) ...
  for (int row = 0; row < 2; ++row) {
    for (int x = 0; x < 3; ++x) {
      const uint8_t base = static_cast<uint8_t>(row * 9 + x * 3 + 1);
      f.push_back(base + 2), f.push_back(base + 1), f.push_back(base);  // blue, green, red
    }
    for (int pad = 0; pad < 3; ++pad) f.push_back(0);
  }
  return f;
}

TEST(BmpDecode, ReadsRowsBottomUpOrTopDown) {
  Image img;
  auto f = tiny24(2);
  ASSERT_TRUE(decodeBmp(f.data(), f.size(), img));
  EXPECT_EQ(img.at(0, 1), rgb(1, 2, 3));
  EXPECT_EQ(img.at(2, 1), rgb(7, 8, 9));
  EXPECT_EQ(img.at(0, 0), rgb(10, 11, 12));
  auto g = tiny24(-2);
  ASSERT_TRUE(decodeBmp(g.data(), g.size(), img));
  EXPECT_EQ(img.at(0, 0), rgb(1, 2, 3));
}

TEST(BmpDecode, RefusesEveryTruncationAndBrokenHeaders) {
  const ResourceBytes r = bitmapResource(kBitmapNext);
  std::vector<uint8_t> f(r.data, r.data + r.size);
  Image img;
  for (size_t n = 0; n < f.size(); ++n) {
    EXPECT_FALSE(decodeBmp(f.data(), n, img)) << n;
    EXPECT_TRUE(img.empty());
  }
  EXPECT_TRUE(decodeBmp(f.data(), f.size(), img));

  auto bad = f;
  bad[30] = 1;  // compressed
  EXPECT_FALSE(decodeBmp(bad.data(), bad.size(), img));
  bad = f;
  bad[46] = 2;  // two colours, but the pixels use more
  EXPECT_FALSE(decodeBmp(bad.data(), bad.size(), img));
  bad = f;
  bad[21] = 0x7F;  // a huge width
  EXPECT_FALSE(decodeBmp(bad.data(), bad.size(), img));
  EXPECT_FALSE(decodeBmp(nullptr, 100, img));
}

}  // namespace
