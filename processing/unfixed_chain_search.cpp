#include "processing/unfixed_chain_search.h"

#include <cstddef>

#include "processing/window_minima.h"
#include "processing/working_limits.h"

void prepareUnfixedWork(UnfixedWork& work, uint32_t positionsCount) {
  work.value.assign(positionsCount, kUnfixedInfinity);
  work.pred.assign(positionsCount, kUnfixedInfinity);
  work.window.resize(positionsCount + 1u);
  work.windowValues.resize(positionsCount + 1u);
}

namespace {

// One role set, ascending: value[p] = (smallest value of the window [p - tmax, p - tmin]
// below `start`, the lowest position winning ties, or start) + score[p]; the predecessor is
// that position, or -2 when nothing lies below start.
//
// Window minima by blocks of the window's width w: a full window [a, a + w - 1] is the
// suffix of a's block and the prefix of the next one. Every position below p - tmin + 1 is
// final when p is reached (tmin >= 1), so a block's suffix minima are computed once, when
// first needed, and the prefix minima of the block holding the window's end grow with it.
void extendOver(UnfixedWork& work, const IntervalSet& set, const int32_t* score, int32_t tmin, int32_t tmax,
                int32_t start) {
  int32_t* value = work.value.data();
  int32_t* pred = work.pred.data();
  const int32_t w = tmax - tmin + 1;
  int32_t* suffixAt = work.window.data();
  int32_t* suffixMin = work.windowValues.data();
  int32_t suffixDone = -1;  // highest block whose suffix minima are known
  int32_t prefixBlock = -1;
  int32_t prefixNext = 0;  // next position to join the prefix
  // Blocks of the window's ends, advanced as the ends grow (no division per position).
  int32_t toBlock = 0;
  int32_t toBlockEnd = w - 1;
  int32_t fromBlock = 0;
  int32_t fromBlockEnd = w - 1;
  int32_t prefixMin = 0;
  int32_t prefixAt = -1;
  for (uint16_t k = 0; k < set.count; ++k) {
    for (int32_t p = set.starts[k]; p <= set.ends[k]; ++p) {
      int32_t best = start;
      int32_t at = kNoPredecessor;
      const int32_t to = p - tmin;
      if (w > 0 && to >= 0) {
        const int32_t from = p - tmax < 0 ? 0 : p - tmax;
        while (to > toBlockEnd) {
          ++toBlock;
          toBlockEnd += w;
        }
        while (from > fromBlockEnd) {
          ++fromBlock;
          fromBlockEnd += w;
        }
        if (toBlock != prefixBlock) {
          prefixBlock = toBlock;
          prefixNext = toBlockEnd - w + 1;
          prefixMin = value[prefixNext];
          prefixAt = prefixNext;
          ++prefixNext;
        }
        // Selections rather than branches: the comparisons follow noisy data.
        for (; prefixNext <= to; ++prefixNext) {
          const int32_t v = value[prefixNext];
          const bool take = v < prefixMin;
          prefixMin = take ? v : prefixMin;
          prefixAt = take ? prefixNext : prefixAt;
        }
        int32_t windowMin = prefixMin;
        int32_t windowAt = prefixAt;
        // In one block the window starts at the block's start: the prefix is the window.
        if (fromBlock != toBlock) {
          if (fromBlock > suffixDone) {
            suffixArgMin(value, fromBlockEnd - w + 1, fromBlockEnd, suffixMin, suffixAt);
            suffixDone = fromBlock;
          }
          const bool take = suffixMin[from] <= windowMin;
          windowAt = take ? suffixAt[from] : windowAt;
          windowMin = take ? suffixMin[from] : windowMin;
        }
        const bool below = windowMin < best;
        at = below ? windowAt : at;
        best = below ? windowMin : best;
      }
      value[p] = wrapAdd(best, score[p]);
      pred[p] = at;
    }
  }
}

}  // namespace

void computeUnfixedValues(UnfixedWork& work, const UnfixedRoles& roles, const int32_t* score, int32_t tmin,
                          int32_t tmax) {
  // Positions that can only continue a chain are computed last: until then they count with
  // their initial value, also when the work served an earlier run.
  const IntervalSet& laterOnly = *roles.laterOnly;
  for (uint16_t k = 0; k < laterOnly.count; ++k)
    for (int32_t p = laterOnly.starts[k]; p <= laterOnly.ends[k]; ++p)
      work.value[static_cast<uint32_t>(p)] = kUnfixedInfinity;
  const IntervalSet& firstOnly = *roles.firstOnly;
  for (uint16_t k = 0; k < firstOnly.count; ++k)
    for (int32_t p = firstOnly.starts[k]; p <= firstOnly.ends[k]; ++p) {
      work.value[static_cast<uint32_t>(p)] = score[p];
      work.pred[static_cast<uint32_t>(p)] = kStartsChain;
    }
  extendOver(work, *roles.firstAndLater, score, tmin, tmax, 0);
  extendOver(work, laterOnly, score, tmin, tmax, kUnfixedInfinity);
}

bool pickChainEnd(const UnfixedWork& work, const IntervalSet& lastSet, int32_t start, int32_t& position,
                  int32_t& value) {
  int32_t best = start;
  int32_t at = -1;
  const uint32_t size = static_cast<uint32_t>(work.value.size());
  for (uint16_t k = 0; k < lastSet.count; ++k)
    for (uint32_t p = lastSet.starts[k]; p <= lastSet.ends[k] && p < size; ++p)
      if (work.value[p] < best) {
        best = work.value[p];
        at = static_cast<int32_t>(p);
      }
  if (at < 0) return false;
  position = at;
  value = best;
  return true;
}

uint32_t traceUnfixedChain(const UnfixedWork& work, int32_t end, int32_t* positions) {
  // A link that names no position (a position outside every role keeps 99,999,999 as its
  // predecessor) ends the chain like a negative one.
  const int32_t size = static_cast<int32_t>(work.pred.size());
  auto linked = [size](int32_t p) { return p >= 0 && p < size; };
  uint32_t count = 0;
  for (int32_t p = end; linked(p); p = work.pred[static_cast<uint32_t>(p)]) ++count;
  if (positions != nullptr) {
    uint32_t k = count;
    for (int32_t p = end; linked(p); p = work.pred[static_cast<uint32_t>(p)]) positions[--k] = p;
  }
  return count;
}
