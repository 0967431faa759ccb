// A picture written as PNG reads back pixel for pixel, and a file that is no PNG reads as
// nothing (the guide's picture tool compares what the program draws with committed files).
#include "platform/qt/qt_image.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/image.h"
#include "tests/files/independent_writer.h"
#include "tests/qt/qt_application.h"

namespace {

TEST(QtImage, PngFilesReadBackAsTheyWereDrawnAndOthersAsNothing) {
  ensureApplication();
  Image drawn;
  ASSERT_TRUE(resizeImage(drawn, 7, 3, kWhite));
  for (int32_t y = 0; y < drawn.height; ++y)
    for (int32_t x = 0; x < drawn.width; ++x)
      drawn.at(x, y) =
          rgb(static_cast<uint8_t>(37 * x), static_cast<uint8_t>(90 * y), static_cast<uint8_t>(x ^ y));
  const std::string dir = ::testing::TempDir();
  const std::string png = dir + "qt-image.png";
  writeBytes(png, pngBytes(drawn));
  Image read;
  ASSERT_TRUE(readPngFile(png, read));
  EXPECT_EQ(read.width, 7);
  EXPECT_EQ(read.height, 3);
  EXPECT_EQ(read.pixels, drawn.pixels);

  const std::string text = dir + "qt-image-not.png";
  writeBytes(text, "not a picture\n");
  EXPECT_FALSE(readPngFile(text, read));
  EXPECT_TRUE(read.empty());
  EXPECT_FALSE(readPngFile(dir + "qt-image-missing.png", read));
}

}  // namespace
