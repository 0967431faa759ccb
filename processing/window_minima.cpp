#include "processing/window_minima.h"

void clippedWindowMinima(const int32_t* v, int32_t vlo, int32_t vhi, int32_t first, int32_t last,
                         int32_t tmin, int32_t tmax, int32_t start, int32_t* scratch, int32_t* out) {
  clippedWindowMinimaOf<int32_t, int32_t>(v, vlo, vhi, first, last, tmin, tmax, start, scratch, out);
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
  w.lookStart = 0;
}

void takeSlidingArgMin(SlidingArgMin& w, int32_t to) {
  // Locals, not the struct's fields: the stores into the tables could otherwise alias them.
  const int32_t* v = w.v;
  int32_t* prefixValue = w.prefixValue;
  int32_t* prefixAt = w.prefixAt;
  int32_t* suffixValue = w.suffixValue;
  int32_t* suffixAt = w.suffixAt;
  const int32_t block = w.block;
  int32_t blockStart = w.blockStart;
  int32_t i = w.next;
  while (i <= to) {
    if (i - blockStart == block) {
      // The block before i is complete: its suffix minima, the lowest position winning ties.
      suffixArgMin(v, blockStart, i - 1, suffixValue, suffixAt);
      blockStart = i;
    }
    if (i == blockStart) {
      prefixValue[i] = v[i];
      prefixAt[i] = i;
      ++i;
    }
    // Prefix minima up to the block's end or `to`; selections rather than branches, the
    // comparison follows the data.
    const int32_t blockEnd = blockStart + block - 1;
    const int32_t end = blockEnd < to ? blockEnd : to;
    int32_t value = prefixValue[i - 1];
    int32_t at = prefixAt[i - 1];
    for (; i <= end; ++i) {
      const bool take = v[i] < value;
      value = take ? v[i] : value;
      at = take ? i : at;
      prefixValue[i] = value;
      prefixAt[i] = at;
    }
  }
  w.blockStart = blockStart;
  if (to >= w.next) w.next = to + 1;
}

void slidingArgMinRange(SlidingArgMin& w, int32_t first, int32_t last, int32_t tmin, int32_t tmax,
                        int32_t start, int32_t ready, int32_t* minimum, int32_t* at) {
  if (last - tmin >= 0 && w.next <= last - tmin) takeSlidingArgMin(w, ready);
  const int32_t* prefixValue = w.prefixValue;
  const int32_t* prefixAt = w.prefixAt;
  const int32_t* suffixValue = w.suffixValue;
  const int32_t* suffixAt = w.suffixAt;
  const int32_t block = w.block;
  int32_t lookStart = w.lookStart;
  for (int32_t p = first; p <= last; ++p) {
    const int32_t k = p - first;
    minimum[k] = start;
    at[k] = -2;
    const int32_t b = p - tmin;
    if (b < 0) continue;
    const int32_t a = p - tmax < 0 ? 0 : p - tmax;
    while (b >= lookStart + block) lookStart += block;
    int32_t value;
    int32_t where;
    if (a < lookStart && prefixValue[b] < suffixValue[a]) {
      value = prefixValue[b];
      where = prefixAt[b];
    } else if (a < lookStart) {
      value = suffixValue[a];
      where = suffixAt[a];
    } else {
      value = prefixValue[b];
      where = prefixAt[b];
    }
    if (value < start) {
      minimum[k] = value;
      at[k] = where;
    }
  }
  w.lookStart = lookStart;
}
