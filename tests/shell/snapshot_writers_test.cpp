#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "shell/bmp_writer.h"
#include "shell/pcx_writer.h"

namespace {

uint32_t read32(const std::vector<uint8_t>& v, size_t at) {
  return v[at] | (v[at + 1] << 8) | (v[at + 2] << 16) | (static_cast<uint32_t>(v[at + 3]) << 24);
}
uint32_t read16(const std::vector<uint8_t>& v, size_t at) { return v[at] | (v[at + 1] << 8); }

// A small screen image with distinct colours in every corner and white elsewhere.
Image sampleImage(int32_t w, int32_t h) {
  Image image;
  resizeImage(image, w, h, kWhite);
  for (int32_t y = 0; y < h; ++y)
    for (int32_t x = 0; x < w; ++x)
      if ((x * 7 + y * 3) % 5 == 0)
        image.at(x, y) = rgb(static_cast<uint8_t>(x * 9), static_cast<uint8_t>(y * 13), 77);
  image.at(0, 0) = rgb(255, 0, 0);
  image.at(w - 1, 0) = rgb(0, 255, 0);
  image.at(0, h - 1) = rgb(0, 0, 255);
  image.at(w - 1, h - 1) = kBlack;
  return image;
}

bool toolPresent(const char* tool) {
  const std::string command = std::string("command -v ") + tool + " >/dev/null 2>&1";
  return std::system(command.c_str()) == 0;
}

std::string tempPath(const std::string& suffix) {
  return testing::TempDir() + "snap_" + std::to_string(getpid()) + suffix;
}

void writeFile(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// Reads a binary PPM (P6, maxval 255) written by an independent converter.
bool readPpm(const std::string& path, Image& image) {
  std::ifstream in(path, std::ios::binary);
  std::string magic;
  int w = 0, h = 0, maxval = 0;
  in >> magic >> w >> h >> maxval;
  if (magic != "P6" || maxval != 255 || w <= 0 || h <= 0) return false;
  in.get();
  resizeImage(image, w, h, kBlack);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      unsigned char c[3];
      if (!in.read(reinterpret_cast<char*>(c), 3)) return false;
      image.at(x, y) = rgb(c[0], c[1], c[2]);
    }
  return true;
}

Image convertWith(const char* tool, const std::string& file) {
  const std::string ppm = file + ".ppm";
  const std::string command = std::string(tool) + " '" + file + "' > '" + ppm + "' 2>/dev/null";
  EXPECT_EQ(std::system(command.c_str()), 0) << command;
  Image image;
  EXPECT_TRUE(readPpm(ppm, image));
  std::remove(ppm.c_str());
  std::remove(file.c_str());
  return image;
}

std::vector<uint8_t> concat(const BmpParts& parts) {
  std::vector<uint8_t> file = parts.fileHeader;
  file.insert(file.end(), parts.infoHeader.begin(), parts.infoHeader.end());
  file.insert(file.end(), parts.pixels.begin(), parts.pixels.end());
  return file;
}

}  // namespace

TEST(BmpWriter, DepthRoundingAndTableSize) {
  EXPECT_EQ(bmpRoundedDepth(1), 1);
  EXPECT_EQ(bmpRoundedDepth(2), 4);
  EXPECT_EQ(bmpRoundedDepth(5), 8);
  EXPECT_EQ(bmpRoundedDepth(15), 16);
  EXPECT_EQ(bmpRoundedDepth(24), 24);
  EXPECT_EQ(bmpRoundedDepth(32), 32);
  EXPECT_EQ(bmpColourCount(8), 256u);
  EXPECT_EQ(bmpColourCount(4), 16u);
  EXPECT_EQ(bmpColourCount(16), 0u);
  EXPECT_EQ(bmpColourCount(32), 0u);
  EXPECT_EQ(bmpInfoHeader(5, 5, 8).size(), 40u + 1024u);
}

TEST(BmpWriter, HeaderFieldsOf32BitImageWithWidthNotMultipleOf8) {
  const Image image = sampleImage(10, 3);
  BmpParts parts;
  ASSERT_TRUE(encodeBmp(image, 32, parts));
  // S = ((10 + 7) / 8) * 3 * 32 = 192, more than the 3 rows of 40 bytes retrieved.
  ASSERT_EQ(parts.pixels.size(), 192u);
  EXPECT_EQ(parts.fileHeader[0], 'B');
  EXPECT_EQ(parts.fileHeader[1], 'M');
  EXPECT_EQ(read32(parts.fileHeader, 2), 54u + 192u);
  EXPECT_EQ(read32(parts.fileHeader, 6), 0u);
  EXPECT_EQ(read32(parts.fileHeader, 10), 54u);
  ASSERT_EQ(parts.infoHeader.size(), 40u);
  EXPECT_EQ(read32(parts.infoHeader, 0), 40u);
  EXPECT_EQ(read32(parts.infoHeader, 4), 10u);
  EXPECT_EQ(read32(parts.infoHeader, 8), 3u);
  EXPECT_EQ(read16(parts.infoHeader, 12), 1u);
  EXPECT_EQ(read16(parts.infoHeader, 14), 32u);
  EXPECT_EQ(read32(parts.infoHeader, 16), 0u);
  EXPECT_EQ(read32(parts.infoHeader, 20), 192u);
  EXPECT_EQ(read32(parts.infoHeader, 32), 0u);
  // Rows are bottom-up: the first pixel stored is the bottom-left one (blue), as B, G, R, 0.
  EXPECT_EQ(parts.pixels[0], 255);
  EXPECT_EQ(parts.pixels[1], 0);
  EXPECT_EQ(parts.pixels[2], 0);
  // The surplus after the 120 bytes of rows is zero.
  for (size_t i = 120; i < parts.pixels.size(); ++i) ASSERT_EQ(parts.pixels[i], 0) << i;
}

TEST(BmpWriter, RefusesUnsupportedDepthAndEmptyImage) {
  BmpParts parts;
  EXPECT_FALSE(encodeBmp(sampleImage(4, 4), 8, parts));
  EXPECT_FALSE(encodeBmp(Image{}, 32, parts));
  EXPECT_TRUE(parts.fileHeader.empty());
}

TEST(BmpWriter, IndependentReaderSeesTheSamePixels) {
  if (!toolPresent("bmptopnm")) GTEST_SKIP() << "bmptopnm (netpbm) is not installed";
  for (uint16_t depth : {uint16_t{32}, uint16_t{24}}) {
    for (int32_t width : {1, 8, 13, 33}) {
      const Image image = sampleImage(width, 7);
      BmpParts parts;
      ASSERT_TRUE(encodeBmp(image, depth, parts));
      const std::string path = tempPath(".bmp");
      writeFile(path, concat(parts));
      const Image back = convertWith("bmptopnm", path);
      ASSERT_EQ(back.width, image.width);
      ASSERT_EQ(back.height, image.height);
      EXPECT_EQ(back.pixels, image.pixels) << "depth " << depth << " width " << width;
    }
  }
}

TEST(PcxWriter, HeaderFields) {
  const std::vector<uint8_t> h = pcxHeader(100, 40, rgb(250, 240, 230));
  ASSERT_EQ(h.size(), 128u);
  EXPECT_EQ(h[0], 10);
  EXPECT_EQ(h[1], 5);
  EXPECT_EQ(h[2], 1);
  EXPECT_EQ(h[3], 1);
  EXPECT_EQ(read16(h, 4), 0u);
  EXPECT_EQ(read16(h, 6), 0u);
  EXPECT_EQ(read16(h, 8), 99u);
  EXPECT_EQ(read16(h, 10), 39u);
  EXPECT_EQ(read16(h, 12), 640u);
  EXPECT_EQ(read16(h, 14), 480u);
  EXPECT_EQ(h[16] | h[17] | h[18], 0);
  EXPECT_EQ(h[19], 250);
  EXPECT_EQ(h[20], 240);
  EXPECT_EQ(h[21], 230);
  for (int i = 22; i < 64; ++i) EXPECT_EQ(h[i], 0) << i;
  EXPECT_EQ(h[64], 0);
  EXPECT_EQ(h[65], 1);
  EXPECT_EQ(read16(h, 66), 16u);  // 100 pixels round up to 128: 16 bytes
  EXPECT_EQ(read16(h, 68), 1u);
  for (int i = 70; i < 128; ++i) EXPECT_EQ(h[i], 0) << i;
  EXPECT_EQ(pcxBytesPerLine(32), 4);
  EXPECT_EQ(pcxBytesPerLine(33), 8);
}

TEST(PcxWriter, RunLengthCodes) {
  std::vector<uint8_t> out;
  // 64 equal bytes: a full run of 63, then the last byte alone.
  const std::vector<uint8_t> sixtyFour(64, 0x12);
  pcxEncodeLine(sixtyFour.data(), sixtyFour.size(), out);
  EXPECT_EQ(out, (std::vector<uint8_t>{0xFF, 0x12, 0x12}));

  // Exactly 63 equal bytes: one full run and nothing after it (no phantom 64th byte).
  out.clear();
  const std::vector<uint8_t> sixtyThree(63, 0xFF);
  pcxEncodeLine(sixtyThree.data(), sixtyThree.size(), out);
  EXPECT_EQ(out, (std::vector<uint8_t>{0xFF, 0xFF}));

  // A single byte with both top bits set needs a count; one without stands alone.
  out.clear();
  const std::vector<uint8_t> mixed{0xC5, 0x01, 0x01, 0x02, 0x80};
  pcxEncodeLine(mixed.data(), mixed.size(), out);
  EXPECT_EQ(out, (std::vector<uint8_t>{0xC1, 0xC5, 0xC2, 0x01, 0x02, 0x80}));

  // 127 equal bytes: two full runs and one byte; the worst case stays within 2P bytes.
  out.clear();
  const std::vector<uint8_t> many(127, 0xF0);
  pcxEncodeLine(many.data(), many.size(), out);
  EXPECT_EQ(out, (std::vector<uint8_t>{0xFF, 0xF0, 0xFF, 0xF0, 0xC1, 0xF0}));
  out.clear();
  std::vector<uint8_t> alternating(40);
  for (size_t i = 0; i < alternating.size(); ++i) alternating[i] = i % 2 ? 0xC0 : 0xFF;
  pcxEncodeLine(alternating.data(), alternating.size(), out);
  EXPECT_EQ(out.size(), 80u);
}

TEST(PcxWriter, BackgroundIsBitOneAndPaddingIsOne) {
  Image image;
  resizeImage(image, 10, 1, kWhite);
  image.at(0, 0) = kBlack;
  image.at(9, 0) = rgb(1, 2, 3);
  std::vector<uint8_t> packed(4);
  pcxPackRow(image.pixels.data(), 10, kWhite, 4, packed.data());
  EXPECT_EQ(packed, (std::vector<uint8_t>{0x7F, 0xBF, 0xFF, 0xFF}));
}

TEST(PcxWriter, IndependentReaderSeesBackgroundAndInk) {
  if (!toolPresent("pcxtoppm")) GTEST_SKIP() << "pcxtoppm (netpbm) is not installed";
  for (int32_t width : {1, 31, 32, 70, 600}) {
    Image image = sampleImage(width, 9);
    const std::vector<uint8_t> file = encodePcx(image, kWhite);
    ASSERT_FALSE(file.empty());
    const std::string path = tempPath(".pcx");
    writeFile(path, file);
    const Image back = convertWith("pcxtoppm", path);
    ASSERT_EQ(back.width, image.width);
    ASSERT_EQ(back.height, image.height);
    for (int32_t y = 0; y < image.height; ++y)
      for (int32_t x = 0; x < image.width; ++x)
        ASSERT_EQ(back.at(x, y), image.at(x, y) == kWhite ? kWhite : kBlack)
            << x << "," << y << " w " << width;
  }
}
