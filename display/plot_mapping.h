#pragma once
#include <cstdint>

// Integer mappings of the plots, computed in 64 bits and truncating toward zero as the
// drawing rules ask.

// x of sample i of a series (or etalon) of `count` samples over a span of `span` pixels:
// i * span / (count - 1). A series of one sample (or none) has nothing to spread over:
// every sample then maps to 0.
inline int32_t spreadX(int64_t i, int64_t span, int64_t count) {
  if (count < 2) return 0;
  return static_cast<int32_t>(i * span / (count - 1));
}

// y of value v in a band of `height` pixels whose bottom edge is -scale and top edge +scale:
// height - (v + scale) * height / (2 * scale), relative to the band's top. A zero scale puts
// every value on the middle line.
inline int32_t valueY(int64_t v, int64_t scale, int64_t height) {
  if (scale == 0) return static_cast<int32_t>(height / 2);
  return static_cast<int32_t>(height - (v + scale) * height / (2 * scale));
}
