#include "processing/window_minima.h"

void clippedWindowMinima(const int32_t* v, int32_t vlo, int32_t vhi, int32_t first, int32_t last,
                         int32_t tmin, int32_t tmax, int32_t start, int32_t* scratch, int32_t* out) {
  const int32_t width = vhi - vlo + 1;
  if (width <= 0 || tmax < tmin) {
    for (int32_t p = first; p <= last; ++p) out[p - first] = start;
    return;
  }
  // A window never holds more than min(tmax - tmin + 1, width) values.
  const int64_t span = int64_t{tmax} - tmin + 1;
  const int32_t w = span < width ? static_cast<int32_t>(span) : width;
  int32_t* g = scratch;          // minimum from its block's start up to i
  int32_t* h = scratch + width;  // minimum from i up to its block's end
  for (int32_t s = 0; s < width; s += w) {
    const int32_t e = (width - s > w ? s + w : width) - 1;
    g[s] = v[s];
    for (int32_t i = s + 1; i <= e; ++i) g[i] = v[i] < g[i - 1] ? v[i] : g[i - 1];
    h[e] = v[e];
    for (int32_t i = e - 1; i >= s; --i) h[i] = v[i] < h[i + 1] ? v[i] : h[i + 1];
  }
  int32_t blockOfB = 0;  // start of the block holding the window's right end
  for (int32_t p = first; p <= last; ++p) {
    int64_t a = int64_t{p} - tmax - vlo;
    int64_t b = int64_t{p} - tmin - vlo;
    if (a < 0) a = 0;
    if (b > width - 1) b = width - 1;
    int32_t m = start;
    if (a <= b) {
      const int32_t ia = static_cast<int32_t>(a);
      const int32_t ib = static_cast<int32_t>(b);
      while (ib >= blockOfB + w) blockOfB += w;
      // Across two blocks: the tail of a's block and the head of b's. Inside one block the
      // window starts at the block (g) or ends at the clipped end of the row (h).
      int32_t x;
      if (ia < blockOfB)
        x = h[ia] < g[ib] ? h[ia] : g[ib];
      else
        x = ia == blockOfB ? g[ib] : h[ia];
      if (x < m) m = x;
    }
    out[p - first] = m;
  }
}

void startSlidingArgMin(SlidingArgMin& w, const int32_t* v, int32_t* storage, int32_t length, int32_t tmin,
                        int32_t tmax) {
  w.v = v;
  w.prefixValue = storage;
  w.prefixAt = storage + length;
  w.suffixValue = storage + 2 * static_cast<int64_t>(length);
  w.suffixAt = storage + 3 * static_cast<int64_t>(length);
  const int64_t span = int64_t{tmax} - tmin + 1;
  w.block = span < 1 ? 1 : (span > length ? (length > 0 ? length : 1) : static_cast<int32_t>(span));
  w.next = 0;
  w.blockStart = 0;
}

void takeSlidingArgMin(SlidingArgMin& w, int32_t to) {
  const int32_t* v = w.v;
  for (int32_t i = w.next; i <= to; ++i) {
    if (i - w.blockStart == w.block) {
      // The block before i is complete: its suffix minima, the lowest position winning ties.
      const int32_t s = w.blockStart;
      w.suffixValue[i - 1] = v[i - 1];
      w.suffixAt[i - 1] = i - 1;
      for (int32_t k = i - 2; k >= s; --k) {
        const bool take = v[k] <= w.suffixValue[k + 1];
        w.suffixValue[k] = take ? v[k] : w.suffixValue[k + 1];
        w.suffixAt[k] = take ? k : w.suffixAt[k + 1];
      }
      w.blockStart = i;
    }
    if (i == w.blockStart) {
      w.prefixValue[i] = v[i];
      w.prefixAt[i] = i;
      continue;
    }
    // Selections rather than branches: the comparison follows the data.
    const bool take = v[i] < w.prefixValue[i - 1];
    w.prefixValue[i] = take ? v[i] : w.prefixValue[i - 1];
    w.prefixAt[i] = take ? i : w.prefixAt[i - 1];
  }
  if (to >= w.next) w.next = to + 1;
}
