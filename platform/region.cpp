#include "platform/region.h"

#include <algorithm>

namespace {
bool holds(const Rect& outer, const Rect& inner) {
  return outer.left <= inner.left && outer.top <= inner.top && outer.right >= inner.right &&
         outer.bottom >= inner.bottom;
}
}  // namespace

void Region::add(const Rect& r) {
  if (r.right <= r.left || r.bottom <= r.top) return;
  for (const Rect& have : rects)
    if (holds(have, r)) return;
  std::erase_if(rects, [&](const Rect& have) { return holds(r, have); });
  rects.push_back(r);
}

void Region::intersect(const Rect& b) {
  std::vector<Rect> kept;
  for (const Rect& r : rects) {
    Rect c{std::max(r.left, b.left), std::max(r.top, b.top), std::min(r.right, b.right),
           std::min(r.bottom, b.bottom)};
    if (c.right > c.left && c.bottom > c.top) kept.push_back(c);
  }
  rects.swap(kept);
}

bool Region::contains(int32_t x, int32_t y) const {
  for (const Rect& r : rects)
    if (x >= r.left && x < r.right && y >= r.top && y < r.bottom) return true;
  return false;
}

Rect Region::bounds() const {
  if (rects.empty()) return {};
  Rect b = rects.front();
  for (const Rect& r : rects) {
    b.left = std::min(b.left, r.left);
    b.top = std::min(b.top, r.top);
    b.right = std::max(b.right, r.right);
    b.bottom = std::max(b.bottom, r.bottom);
  }
  return b;
}
