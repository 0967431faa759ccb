#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

// A colour as 0x00RRGGBB.
using Color = uint32_t;

constexpr Color rgb(uint8_t r, uint8_t g, uint8_t b) {
  return (static_cast<Color>(r) << 16) | (static_cast<Color>(g) << 8) | static_cast<Color>(b);
}
constexpr uint8_t redOf(Color c) { return static_cast<uint8_t>((c >> 16) & 0xFF); }
constexpr uint8_t greenOf(Color c) { return static_cast<uint8_t>((c >> 8) & 0xFF); }
constexpr uint8_t blueOf(Color c) { return static_cast<uint8_t>(c & 0xFF); }

constexpr Color kBlack = rgb(0, 0, 0);
constexpr Color kWhite = rgb(255, 255, 255);

// The largest image side accepted; larger requests are refused.
constexpr int32_t kMaxImageSide = 16384;

// A 32-bit pixel image, rows top-down, one Color per pixel.
struct Image {
  int32_t width = 0;
  int32_t height = 0;
  std::vector<Color> pixels;

  bool empty() const { return width <= 0 || height <= 0; }
  bool inside(int32_t x, int32_t y) const { return x >= 0 && y >= 0 && x < width && y < height; }
  // The pixel at (x, y); the caller checks inside().
  Color at(int32_t x, int32_t y) const {
    return pixels[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)];
  }
  Color& at(int32_t x, int32_t y) {
    return pixels[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)];
  }
};

// Gives the image to `w` x `h` pixels all of colour `fill`. Fails (false, image left empty) when a
// side is negative or above kMaxImageSide, or memory runs out.
bool resizeImage(Image& image, int32_t w, int32_t h, Color fill);
