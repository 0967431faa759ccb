#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "processing/chain_kernel.h"
#include "processing/window_minima.h"

// The dynamic programming of the known-number solvers, over precomputed scores: pulse j may
// start at positions lo[j] .. hi[j] (already within 0 .. N - n; lo > hi means none), and
// neighbouring starts lie tmin .. tmax apart. A chain's value is the sum of the scores of
// its pulses, pulse j at position p scoring scoreOfPulse[j][p].
//
// Forward pass: D[0][p] = score; for j > 0, D[j][p] = B + score with B the smallest
// D[j-1][l] below forwardStart over the window [p - tmax, p - tmin] within pulse j-1's range
// (B = forwardStart when none is smaller). The last pulse takes the lowest position with the
// smallest D below lastStart; every earlier pulse the lowest position of its window with the
// smallest D below backwardStart.
//
// Written once for both worlds (processing/chain_kernel.h): the workbench's series with 32-bit
// wrapping criteria and 16-bit positions, and recordings of any length with 64-bit criteria.

template <class V>
struct FixedChainStartsOf {
  V forward = 0;
  V last = 0;
  V backward = 0;
};
using FixedChainStarts = FixedChainStartsOf<int32_t>;

// Working storage, reused between runs so that a run allocates only when it needs more.
template <class V, class I>
struct FixedChainWorkOf {
  std::vector<V> d;              // the rows of D, row j holding hi[j] - lo[j] + 1 values
  std::vector<uint64_t> offset;  // start of each row in d
  std::vector<V> window;         // block minima of the previous row (2 x the widest range)
  std::vector<I> trace;          // the positions of the chain, last to first
};
using FixedChainWork = FixedChainWorkOf<int32_t, int32_t>;

// Values the work needs for q pulses with the given ranges (to be checked before running).
template <class I>
uint64_t fixedChainWorkValuesOf(int64_t q, const I* lo, const I* hi) {
  uint64_t total = 0;
  for (int64_t j = 0; j < q; ++j)
    if (lo[j] <= hi[j]) total += static_cast<uint64_t>(hi[j] - lo[j]) + 1;
  return total;
}
uint64_t fixedChainWorkValues(uint16_t q, const int32_t* lo, const int32_t* hi);

// Runs both passes with the criteria C (WrappingCriteria or WideCriteria) and positions of type
// I. Returns true and fills positions[0 .. q-1] and value when a chain exists; false
// (positions untouched) when a range is empty or nothing lies below a starting value. May throw
// std::bad_alloc.
template <class C, class I>
bool searchFixedChainOf(FixedChainWorkOf<typename C::Value, I>& work, int64_t q, const I* lo, const I* hi,
                        I tmin, I tmax, const typename C::Value* const* scoreOfPulse,
                        const FixedChainStartsOf<typename C::Value>& starts, I* positions,
                        typename C::Value& value) {
  using V = typename C::Value;
  if (q <= 0) return false;
  const auto count = static_cast<size_t>(q);
  work.offset.resize(count + 1);
  uint64_t total = 0;
  I widest = 0;
  for (size_t j = 0; j < count; ++j) {
    work.offset[j] = total;
    const I width = lo[j] <= hi[j] ? hi[j] - lo[j] + 1 : 0;
    total += static_cast<uint64_t>(width);
    if (width > widest) widest = width;
  }
  work.offset[count] = total;
  if (work.d.size() < total) work.d.resize(static_cast<size_t>(total));
  if (work.window.size() < 2 * static_cast<size_t>(widest))
    work.window.resize(2 * static_cast<size_t>(widest));
  V* d = work.d.data();
  V* scratch = work.window.data();

  // Forward pass.
  for (size_t j = 0; j < count; ++j) {
    if (lo[j] > hi[j]) continue;
    V* row = d + work.offset[j];
    const V* score = scoreOfPulse[j];
    if (j == 0) {
      for (I p = lo[0]; p <= hi[0]; ++p) row[p - lo[0]] = score[p];
      continue;
    }
    // B of every position: the window minima of pulse j-1's row, then the scores added.
    clippedWindowMinimaOf<V, I>(d + work.offset[j - 1], lo[j - 1], hi[j - 1], lo[j], hi[j], tmin, tmax,
                                starts.forward, scratch, row);
    for (I p = lo[j]; p <= hi[j]; ++p) row[p - lo[j]] = C::add(row[p - lo[j]], score[p]);
  }

  // Backward pass.
  const size_t lastPulse = count - 1;
  if (lo[lastPulse] > hi[lastPulse]) return false;
  const V* lastRow = d + work.offset[lastPulse];
  V best = starts.last;
  I at = -1;
  for (I p = lo[lastPulse]; p <= hi[lastPulse]; ++p) {
    if (lastRow[p - lo[lastPulse]] < best) {
      best = lastRow[p - lo[lastPulse]];
      at = p;
    }
  }
  if (at < 0) return false;
  // Positions are written only once the whole chain is known.
  std::vector<I>& trace = work.trace;
  if (trace.size() < count) trace.resize(count);
  trace[lastPulse] = at;
  for (int64_t j = static_cast<int64_t>(lastPulse) - 1; j >= 0; --j) {
    const auto k = static_cast<size_t>(j);
    const I next = trace[k + 1];
    I from = next - tmax;
    I to = next - tmin;
    if (from < lo[k]) from = lo[k];
    if (to > hi[k]) to = hi[k];
    const V* row = d + work.offset[k];
    V m = starts.backward;
    I l = -1;
    for (I p = from; p <= to; ++p) {
      if (row[p - lo[k]] < m) {
        m = row[p - lo[k]];
        l = p;
      }
    }
    if (l < 0) return false;
    trace[k] = l;
  }
  for (size_t j = 0; j < count; ++j) positions[j] = trace[j];
  value = best;
  return true;
}

// The workbench's instance: 32-bit wrapping criteria, 16-bit positions held in 32 bits.
bool searchFixedChain(FixedChainWork& work, uint16_t q, const int32_t* lo, const int32_t* hi, int32_t tmin,
                      int32_t tmax, const int32_t* const* scoreOfPulse, const FixedChainStarts& starts,
                      int32_t* positions, int32_t& value);
