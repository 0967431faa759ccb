#pragma once
#include <vector>

#include "platform/geometry.h"

// A set of pixels as a union of rectangles whose right and bottom edges are exclusive
// (the rectangle {0, 0, 2, 1} holds the pixels (0, 0) and (1, 0)).
struct Region {
  std::vector<Rect> rects;

  bool empty() const { return rects.empty(); }
  // Adds `r`; an empty or inverted rectangle adds nothing.
  void add(const Rect& r);
  // Keeps only the part inside `bounds`.
  void intersect(const Rect& bounds);
  void clear() { rects.clear(); }
  // Whether the pixel (x, y) belongs to the region.
  bool contains(int32_t x, int32_t y) const;
  // The smallest rectangle (exclusive edges) holding the region; all zero when empty.
  Rect bounds() const;
};
