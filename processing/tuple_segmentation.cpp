#include "processing/tuple_segmentation.h"

uint16_t segmentTuples(uint16_t count, uint32_t tupleSize, uint32_t phase, int16_t* firsts, int16_t* lasts) {
  if (count == 0 || tupleSize == 0) return 0;
  uint32_t first = 1;
  // The first tuple begins with member `phase`, so it holds only the members phase .. K-1.
  uint32_t length = tupleSize - phase % tupleSize;
  uint16_t tuples = 0;
  while (first <= count) {
    uint32_t last = first + length - 1;
    if (last > count) last = count;
    firsts[tuples] = static_cast<int16_t>(first);
    lasts[tuples] = static_cast<int16_t>(last);
    ++tuples;
    first = last + 1;
    length = tupleSize;
  }
  return tuples;
}
