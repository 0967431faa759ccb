// A picture written as PNG reads back pixel for pixel, and a file that is no PNG reads as
// nothing (the guide's picture tool compares what the program draws with committed files).
#include <gtest/gtest.h>

#include <QtWidgets/QApplication>
#include <fstream>
#include <string>

#include "platform/image.h"
#include "platform/qt/qt_image.h"

namespace {

void ensureApplication() {
  if (QApplication::instance() != nullptr) return;
  static int argc = 1;
  static char name[] = "test_qt";
  static char* argv[] = {name, nullptr};
  new QApplication(argc, argv);  // widgets of the other tests of this program need it
}

void writeBytes(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
}

TEST(QtImage, PngFilesReadBackAsTheyWereDrawnAndOthersAsNothing) {
  ensureApplication();
  Image drawn;
  ASSERT_TRUE(resizeImage(drawn, 7, 3, kWhite));
  for (int32_t y = 0; y < drawn.height; ++y)
    for (int32_t x = 0; x < drawn.width; ++x)
      drawn.at(x, y) = rgb(static_cast<uint8_t>(37 * x), static_cast<uint8_t>(90 * y), static_cast<uint8_t>(x ^ y));
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
