#include "processing/fixed_chain_search.h"

#include <cstddef>

#include "processing/window_minima.h"
#include "processing/working_limits.h"

uint64_t fixedChainWorkValues(uint16_t q, const int32_t* lo, const int32_t* hi) {
  uint64_t total = 0;
  for (uint16_t j = 0; j < q; ++j)
    if (lo[j] <= hi[j]) total += static_cast<uint64_t>(hi[j] - lo[j]) + 1;
  return total;
}

bool searchFixedChain(FixedChainWork& work, uint16_t q, const int32_t* lo, const int32_t* hi, int32_t tmin,
                      int32_t tmax, const int32_t* const* scoreOfPulse, const FixedChainStarts& starts,
                      int32_t* positions, int32_t& value) {
  if (q == 0) return false;
  work.offset.resize(q + 1u);
  uint32_t total = 0;
  int32_t widest = 0;
  for (uint16_t j = 0; j < q; ++j) {
    work.offset[j] = total;
    const int32_t width = lo[j] <= hi[j] ? hi[j] - lo[j] + 1 : 0;
    total += static_cast<uint32_t>(width);
    if (width > widest) widest = width;
  }
  work.offset[q] = total;
  if (work.d.size() < total) work.d.resize(total);
  if (work.window.size() < 2 * static_cast<std::size_t>(widest))
    work.window.resize(2 * static_cast<std::size_t>(widest));
  int32_t* d = work.d.data();
  int32_t* scratch = work.window.data();

  // Forward pass.
  for (uint16_t j = 0; j < q; ++j) {
    if (lo[j] > hi[j]) continue;
    int32_t* row = d + work.offset[j];
    const int32_t* score = scoreOfPulse[j];
    if (j == 0) {
      for (int32_t p = lo[0]; p <= hi[0]; ++p) row[p - lo[0]] = score[p];
      continue;
    }
    // B of every position: the window minima of pulse j-1's row, then the scores added.
    clippedWindowMinima(d + work.offset[j - 1], lo[j - 1], hi[j - 1], lo[j], hi[j], tmin, tmax,
                        starts.forward, scratch, row);
    for (int32_t p = lo[j]; p <= hi[j]; ++p) row[p - lo[j]] = wrapAdd(row[p - lo[j]], score[p]);
  }

  // Backward pass.
  const uint16_t lastPulse = static_cast<uint16_t>(q - 1);
  if (lo[lastPulse] > hi[lastPulse]) return false;
  const int32_t* lastRow = d + work.offset[lastPulse];
  int32_t best = starts.last;
  int32_t at = -1;
  for (int32_t p = lo[lastPulse]; p <= hi[lastPulse]; ++p) {
    if (lastRow[p - lo[lastPulse]] < best) {
      best = lastRow[p - lo[lastPulse]];
      at = p;
    }
  }
  if (at < 0) return false;
  // Positions are written only once the whole chain is known.
  std::vector<int32_t>& trace = work.window;
  if (trace.size() < q) trace.resize(q);
  trace[lastPulse] = at;
  for (int32_t j = lastPulse - 1; j >= 0; --j) {
    const int32_t next = trace[static_cast<std::size_t>(j) + 1];
    int32_t from = next - tmax;
    int32_t to = next - tmin;
    if (from < lo[j]) from = lo[j];
    if (to > hi[j]) to = hi[j];
    const int32_t* row = d + work.offset[j];
    int32_t m = starts.backward;
    int32_t l = -1;
    for (int32_t k = from; k <= to; ++k) {
      if (row[k - lo[j]] < m) {
        m = row[k - lo[j]];
        l = k;
      }
    }
    if (l < 0) return false;
    trace[static_cast<std::size_t>(j)] = l;
  }
  for (uint16_t j = 0; j < q; ++j) positions[j] = trace[j];
  value = best;
  return true;
}
