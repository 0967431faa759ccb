#pragma once
#include <cstdint>

// A rectangle in signed 32-bit pixels: left, top, right, bottom.
struct Rect {
  int32_t left = 0;
  int32_t top = 0;
  int32_t right = 0;
  int32_t bottom = 0;

  int32_t width() const { return right - left; }
  int32_t height() const { return bottom - top; }
  // Hit tests include all four edges.
  bool contains(int32_t x, int32_t y) const { return x >= left && x <= right && y >= top && y <= bottom; }
  bool operator==(const Rect&) const = default;
};

struct Point {
  int32_t x = 0;
  int32_t y = 0;
  bool operator==(const Point&) const = default;
};
