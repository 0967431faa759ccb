#pragma once
#include <cstdint>

// Smallest values over sliding windows of a row of criterion values: for p = first .. last,
// out[p - first] = the smallest of start and the values v[l] (v indexed from vlo) over
// l in [p - tmax, p - tmin] clipped to [vlo, vhi]; `start` when that window is empty.
// Prefix and suffix minima inside blocks of tmax - tmin + 1 values make every window two
// lookups, without branches on the data. scratch must hold 2 x (vhi - vlo + 1) values.
void clippedWindowMinima(const int32_t* v, int32_t vlo, int32_t vhi, int32_t first, int32_t last,
                         int32_t tmin, int32_t tmax, int32_t start, int32_t* scratch, int32_t* out);

// The same for values of type V and positions of type I: the function above is its 32-bit
// instance, the known-number search of long recordings its 64-bit one.
template <class V, class I>
void clippedWindowMinimaOf(const V* v, I vlo, I vhi, I first, I last, I tmin, I tmax, V start, V* scratch,
                           V* out) {
  const I width = vhi - vlo + 1;
  if (width <= 0 || tmax < tmin) {
    for (I p = first; p <= last; ++p) out[p - first] = start;
    return;
  }
  // A window never holds more than min(tmax - tmin + 1, width) values.
  const int64_t span = int64_t{tmax} - tmin + 1;
  const I w = span < width ? static_cast<I>(span) : width;
  V* g = scratch;          // minimum from its block's start up to i
  V* h = scratch + width;  // minimum from i up to its block's end
  for (I s = 0; s < width; s += w) {
    const I e = (width - s > w ? s + w : width) - 1;
    g[s] = v[s];
    for (I i = s + 1; i <= e; ++i) g[i] = v[i] < g[i - 1] ? v[i] : g[i - 1];
    h[e] = v[e];
    for (I i = e - 1; i >= s; --i) h[i] = v[i] < h[i + 1] ? v[i] : h[i + 1];
  }
  I blockOfB = 0;  // start of the block holding the window's right end
  for (I p = first; p <= last; ++p) {
    int64_t a = int64_t{p} - tmax - vlo;
    int64_t b = int64_t{p} - tmin - vlo;
    if (a < 0) a = 0;
    if (b > width - 1) b = width - 1;
    V m = start;
    if (a <= b) {
      const I ia = static_cast<I>(a);
      const I ib = static_cast<I>(b);
      while (ib >= blockOfB + w) blockOfB += w;
      // Across two blocks: the tail of a's block and the head of b's. Inside one block the
      // window starts at the block (g) or ends at the clipped end of the row (h).
      V x;
      if (ia < blockOfB)
        x = h[ia] < g[ib] ? h[ia] : g[ib];
      else
        x = ia == blockOfB ? g[ib] : h[ia];
      if (x < m) m = x;
    }
    out[p - first] = m;
  }
}

// Suffix minima of v over [lo, hi], lowest position winning ties: minValue[k] is the smallest of
// v[k .. hi] and minAt[k] its lowest position, for k = hi down to lo. Selections rather than
// branches: the comparisons follow noisy data.
inline void suffixArgMin(const int32_t* v, int32_t lo, int32_t hi, int32_t* minValue, int32_t* minAt) {
  int32_t value = v[hi];
  int32_t at = hi;
  for (int32_t k = hi; k >= lo; --k) {
    const bool take = v[k] <= value;
    value = take ? v[k] : value;
    at = take ? k : at;
    minValue[k] = value;
    minAt[k] = at;
  }
}

// Window minima with their positions over a row whose values become final in ascending order
// of position, for windows [p - tmax, p - tmin] (positions >= 0) that slide right as p grows.
// The lowest position wins ties. Prefix minima are kept as the values arrive and the suffix
// minima of a block of tmax - tmin + 1 positions once the block is complete, so a window is
// two lookups whatever the data.
struct SlidingArgMin {
  const int32_t* v = nullptr;
  int32_t* prefixValue = nullptr;
  int32_t* prefixAt = nullptr;
  int32_t* suffixValue = nullptr;
  int32_t* suffixAt = nullptr;
  int32_t block = 1;
  int32_t next = 0;        // first position not taken in yet
  int32_t blockStart = 0;  // start of the block holding position next - 1
  int32_t lookStart = 0;   // start of the block holding the right end of the last window read
};

// Starts the windows over the row v of `length` values; storage holds 4 x length values.
// Requires tmin <= tmax.
void startSlidingArgMin(SlidingArgMin& w, const int32_t* v, int32_t* storage, int32_t length, int32_t tmin,
                        int32_t tmax);

// Takes in the positions up to `to` (their values must be final; to < length).
void takeSlidingArgMin(SlidingArgMin& w, int32_t to);

// The smallest value below `start` in p's window and its position; minimum = start and
// at = -2 when the window holds none. p never decreases between calls, and every position
// up to p - tmin holds its final value.
inline void slidingArgMin(SlidingArgMin& w, int32_t p, int32_t tmin, int32_t tmax, int32_t start,
                          int32_t& minimum, int32_t& at) {
  minimum = start;
  at = -2;
  const int32_t b = p - tmin;
  if (b < 0) return;
  const int32_t a = p - tmax < 0 ? 0 : p - tmax;
  if (w.next <= b) takeSlidingArgMin(w, b);
  int32_t value;
  int32_t where;
  if (a < w.blockStart && w.prefixValue[b] < w.suffixValue[a]) {
    value = w.prefixValue[b];
    where = w.prefixAt[b];
  } else if (a < w.blockStart) {
    value = w.suffixValue[a];
    where = w.suffixAt[a];
  } else {
    // Inside one block the window begins at the block's start.
    value = w.prefixValue[b];
    where = w.prefixAt[b];
  }
  if (value < start) {
    minimum = value;
    at = where;
  }
}

// Window minima and their positions for every p = first .. last at once, as slidingArgMin
// would give them one by one: minimum[p - first] and at[p - first]. Ranges follow each other
// in ascending order; every position up to `ready` (last - tmin <= ready < length) holds its
// final value, and all of them are taken in, so the prefix and suffix minima are built in runs
// even where `ready` lies in a block past the windows'.
void slidingArgMinRange(SlidingArgMin& w, int32_t first, int32_t last, int32_t tmin, int32_t tmax,
                        int32_t start, int32_t ready, int32_t* minimum, int32_t* at);
