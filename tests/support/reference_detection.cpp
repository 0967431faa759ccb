#include "tests/support/reference_detection.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "processing/chains_header.h"
#include "processing/interval_set.h"
#include "signal/pulse_header.h"
#include "signal/series_header.h"

namespace {

int32_t add32(int32_t a, int32_t b) {
  return static_cast<int32_t>(static_cast<uint32_t>(a) + static_cast<uint32_t>(b));
}

// sum over i = b..e of s[i] (s[i] - 2 x[p+i]) in 32-bit two's complement.
int32_t score32(const int16_t* s, const int16_t* x, int32_t p, int32_t b, int32_t e) {
  uint32_t sum = 0;
  for (int32_t i = b; i <= e; ++i)
    sum +=
        static_cast<uint32_t>(int32_t{s[i]}) * static_cast<uint32_t>(int32_t{s[i]} - 2 * int32_t{x[p + i]});
  return static_cast<int32_t>(sum);
}

// P[0] = 0, P[i+1] = P[i] + s[i]^2.
std::vector<int32_t> partialEnergy(const int16_t* s, int32_t n) {
  std::vector<int32_t> pe(static_cast<std::size_t>(n) + 1, 0);
  for (int32_t i = 0; i < n; ++i) pe[i + 1] = add32(pe[i], int32_t{s[i]} * int32_t{s[i]});
  return pe;
}

int32_t diff32(int32_t a, int32_t b) {
  return static_cast<int32_t>(static_cast<uint32_t>(a) - static_cast<uint32_t>(b));
}

// The ranked insertion, step by step.
void insertRanked(ChainsHeader& h, int32_t value, int32_t count, const std::vector<int32_t>& et,
                  const std::vector<int32_t>& pos, const std::vector<int32_t>& beg,
                  const std::vector<int32_t>& end, bool ownLength) {
  int k = h.wPretenders;
  for (int i = 0; i < h.wPretenders; ++i)
    if (h.distance[i] > value) {
      k = i;
      break;
    }
  if (k < h.wPretenders) {
    const int last = h.wPretenders < h.wMaxSize ? h.wPretenders : h.wPretenders - 1;
    for (int l = last; l >= k + 1; --l) {
      h.distance[l] = h.distance[l - 1];
      h.chainLength[l] = h.chainLength[l - 1];
      const int over = ownLength ? h.chainLength[l - 1] : count;
      for (int j = 0; j < over; ++j) {
        h.pulsesList[l][j] = h.pulsesList[l - 1][j];
        h.positionsList[l][j] = h.positionsList[l - 1][j];
        h.cutOffBeginList[l][j] = h.cutOffBeginList[l - 1][j];
        h.cutOffEndList[l][j] = h.cutOffEndList[l - 1][j];
      }
    }
  }
  if (k < h.wMaxSize) {
    h.distance[k] = value;
    h.chainLength[k] = count;
    for (int j = 0; j < count; ++j) {
      h.pulsesList[k][j] = static_cast<int16_t>(et[j]);
      h.positionsList[k][j] = static_cast<int16_t>(pos[j]);
      h.cutOffBeginList[k][j] = static_cast<int16_t>(beg[j]);
      h.cutOffEndList[k][j] = static_cast<int16_t>(end[j]);
    }
    if (h.wPretenders < h.wMaxSize) ++h.wPretenders;
  }
}

void clearForRun(ChainsHeader& h, uint16_t quan, uint16_t seeking, int32_t entries) {
  h.wPretenders = 0;
  h.wQuanPulses = quan;
  h.wSeekingPulsesQuantity = seeking;
  for (int i = 0; i < h.wMaxSize; ++i) {
    h.distance[i] = 0;
    for (int j = 0; j < entries; ++j) {
      h.pulsesList[i][j] = 0;
      h.positionsList[i][j] = 0;
      h.cutOffBeginList[i][j] = 0;
      h.cutOffEndList[i][j] = 0;
    }
  }
}

void writeSeries(SeriesHeader& s, int32_t count, const std::vector<int32_t>& et,
                 const std::vector<int32_t>& pos, const std::vector<int32_t>& beg,
                 const std::vector<int32_t>& end) {
  s.wRestoredQuantity = static_cast<uint16_t>(count);
  for (int32_t j = 0; j < count; ++j) {
    s.lpRestoredPositions[j] = static_cast<int16_t>(pos[j]);
    s.lpRestoredEtalons[j] = static_cast<int16_t>(et[j]);
    s.lpRestoredCutBegin[j] = static_cast<int16_t>(beg[j]);
    s.lpRestoredCutEnd[j] = static_cast<int16_t>(end[j]);
  }
}

// lo[j], hi[j] of the series, limited to the start positions 0 .. N - n.
void ranges(const SeriesHeader& s, std::vector<int32_t>& lo, std::vector<int32_t>& hi) {
  const int32_t lastStart = static_cast<int32_t>(s.dwSeriesSize) - s.wImpulseSize;
  for (int j = 0; j < s.wImpulseQuantity; ++j) {
    lo.push_back(s.lpLowBounds[j] < 0 ? 0 : s.lpLowBounds[j]);
    hi.push_back(s.lpHighBounds[j] > lastStart ? lastStart : s.lpHighBounds[j]);
  }
}

// Forward and backward passes of the known-number detection with the given starting values.
// Returns false when no chain exists.
bool fixedPasses(const PulseHeader* alphabet, uint16_t L, const uint16_t* list, int32_t tmin, int32_t tmax,
                 uint16_t level, const SeriesHeader& s, int32_t forwardStart, int32_t lastStart,
                 int32_t backwardStart, int32_t& value, std::vector<int32_t>& et, std::vector<int32_t>& pos,
                 std::vector<int32_t>& beg, std::vector<int32_t>& end) {
  const int32_t Q = s.wImpulseQuantity;
  const int32_t N = static_cast<int32_t>(s.dwSeriesSize);
  const int32_t n = s.wImpulseSize;
  std::vector<int32_t> lo, hi;
  ranges(s, lo, hi);
  std::vector<std::vector<int32_t>> D(Q, std::vector<int32_t>(N, 0));
  std::vector<std::vector<int32_t>> Bg(Q, std::vector<int32_t>(N, 0)), En(Q, std::vector<int32_t>(N, 0)),
      Et(Q, std::vector<int32_t>(N, 0));
  for (int32_t j = 0; j < Q; ++j) {
    for (int32_t p = lo[j]; p <= hi[j]; ++p) {
      int32_t B = 0;
      if (j > 0) {
        B = forwardStart;
        for (int32_t l = p - tmax; l <= p - tmin; ++l)
          if (l >= lo[j - 1] && l <= hi[j - 1] && D[j - 1][l] < B) B = D[j - 1][l];
      }
      const ReferenceFragment f =
          referenceBestFragment(alphabet, L, list, static_cast<uint16_t>(n), level, s.lpNoisyData, p);
      D[j][p] = add32(B, f.score);
      Et[j][p] = f.etalonIndex;
      Bg[j][p] = f.begin;
      En[j][p] = f.end;
    }
  }
  if (Q == 0) return false;
  int32_t best = lastStart;
  int32_t at = -1;
  for (int32_t p = lo[Q - 1]; p <= hi[Q - 1]; ++p)
    if (D[Q - 1][p] < best) {
      best = D[Q - 1][p];
      at = p;
    }
  if (at < 0) return false;
  pos.assign(Q, 0);
  pos[Q - 1] = at;
  for (int32_t j = Q - 2; j >= 0; --j) {
    int32_t m = backwardStart;
    int32_t l0 = -1;
    for (int32_t l = pos[j + 1] - tmax; l <= pos[j + 1] - tmin; ++l)
      if (l >= lo[j] && l <= hi[j] && D[j][l] < m) {
        m = D[j][l];
        l0 = l;
      }
    if (l0 < 0) return false;
    pos[j] = l0;
  }
  et.assign(Q, 0);
  beg.assign(Q, 0);
  end.assign(Q, 0);
  for (int32_t j = 0; j < Q; ++j) {
    et[j] = Et[j][pos[j]] + 1;
    beg[j] = Bg[j][pos[j]];
    end[j] = En[j][pos[j]];
  }
  value = best;
  return true;
}

// The three position sets, built interval by interval for every pulse count.
struct Sets {
  IntervalSet* first = nullptr;
  IntervalSet* later = nullptr;
  IntervalSet* last = nullptr;
  ~Sets() {
    freeIntervalSet(first);
    freeIntervalSet(later);
    freeIntervalSet(last);
  }
};

void addSigned(IntervalSet* set, int64_t a, int64_t b) {
  if (b < 0 || a > b) return;
  if (a < 0) a = 0;
  addInterval(set, static_cast<uint16_t>(a), static_cast<uint16_t>(b > 65535 ? 65535 : b));
}

void buildSets(Sets& sets, const SeriesHeader& s, int64_t tmin, int64_t tmax) {
  const int64_t N = s.dwSeriesSize;
  const int64_t n = s.wImpulseSize;
  const uint16_t jmax = s.wMaxPulses;
  sets.first = getIntervalSet(nullptr, jmax);
  sets.later = getIntervalSet(nullptr, jmax);
  sets.last = getIntervalSet(nullptr, jmax);
  for (int64_t J = s.wMinPulses; J <= jmax; ++J) {
    addSigned(sets.first, std::max<int64_t>(0, N - tmax * J), std::min(tmax - n, N - n - tmin * (J - 1)));
    for (int64_t k = 1; k <= J - 1; ++k)
      addSigned(sets.later, std::max(N - tmax * (J - k), tmin * k),
                std::min(tmax * (k + 1) - n, N - n - tmin * (J - k - 1)));
    addSigned(sets.last, std::max(N - tmax, tmin * (J - 1)), std::min(N - n, tmax * J - n));
  }
}

template <typename F>
void walk(const IntervalSet* set, F f) {
  for (int k = 0; k < set->count; ++k)
    for (int32_t p = set->starts[k]; p <= set->ends[k]; ++p) f(p);
}

constexpr int32_t INF = 99999999;

// Steps 3 to 7 of the unknown-number detection over the etalon list; fills the arrays.
void unfixedValues(const PulseHeader* alphabet, uint16_t L, const uint16_t* list, int32_t tmin, int32_t tmax,
                   uint16_t level, const SeriesHeader& s, const Sets& sets, std::vector<int32_t>& score,
                   std::vector<int32_t>& value, std::vector<int32_t>& pred, std::vector<int32_t>& beg,
                   std::vector<int32_t>& end, std::vector<int32_t>& et) {
  const int32_t N = static_cast<int32_t>(s.dwSeriesSize);
  const int32_t n = s.wImpulseSize;
  score.assign(N, INF);
  value.assign(N, INF);
  pred.assign(N, INF);
  beg.assign(N, 0);
  et.assign(N, 0);
  end.assign(N, n - 1);
  IntervalSet* either = copyIntervalSet(nullptr, sets.first);
  addIntervalSet(either, sets.later);
  walk(either, [&](int32_t p) {
    const ReferenceFragment f =
        referenceBestFragment(alphabet, L, list, static_cast<uint16_t>(n), level, s.lpNoisyData, p);
    score[p] = f.score;
    et[p] = f.etalonIndex;
    beg[p] = f.begin;
    end[p] = f.end;
  });
  IntervalSet* firstOnly = copyIntervalSet(nullptr, sets.first);
  cutIntervalSet(firstOnly, sets.later);
  IntervalSet* both = copyIntervalSet(nullptr, sets.first);
  intersectIntervalSet(both, sets.later);
  IntervalSet* laterOnly = copyIntervalSet(nullptr, sets.later);
  cutIntervalSet(laterOnly, sets.first);
  walk(firstOnly, [&](int32_t p) {
    value[p] = score[p];
    pred[p] = -1;
  });
  walk(both, [&](int32_t p) {
    int32_t mn = 0;
    int32_t at = -2;
    for (int32_t m = p - tmax; m <= p - tmin; ++m)
      if (m >= 0 && value[m] < mn) {
        mn = value[m];
        at = m;
      }
    value[p] = add32(mn, score[p]);
    pred[p] = at;
  });
  walk(laterOnly, [&](int32_t p) {
    int32_t mn = INF;
    int32_t at = -2;
    for (int32_t m = p - tmax; m <= p - tmin; ++m)
      if (m >= 0 && value[m] < mn) {
        mn = value[m];
        at = m;
      }
    value[p] = add32(mn, score[p]);
    pred[p] = at;
  });
  freeIntervalSet(either);
  freeIntervalSet(firstOnly);
  freeIntervalSet(both);
  freeIntervalSet(laterOnly);
}

// The last-set position with the smallest value below start; -1 when none.
int32_t pickEnd(const Sets& sets, const std::vector<int32_t>& value, int32_t start, int32_t& best) {
  best = start;
  int32_t at = -1;
  walk(sets.last, [&](int32_t p) {
    if (p < static_cast<int32_t>(value.size()) && value[p] < best) {
      best = value[p];
      at = p;
    }
  });
  return at;
}

// Positions of the chain ending at `at`, first to last (a link to no position ends it).
std::vector<int32_t> chainTo(const std::vector<int32_t>& pred, int32_t at) {
  std::vector<int32_t> back;
  for (int32_t p = at; p >= 0 && p < static_cast<int32_t>(pred.size()); p = pred[p]) back.push_back(p);
  return std::vector<int32_t>(back.rbegin(), back.rend());
}

}  // namespace

ReferenceFragment referenceBestFragment(const PulseHeader* alphabet, uint16_t etalonCount,
                                        const uint16_t* etalonList, uint16_t n, uint16_t level,
                                        const int16_t* x, int32_t p) {
  ReferenceFragment best;
  for (int t = 0; t < etalonCount; ++t) {
    const int16_t* s = alphabet[etalonList[t] - 1].lpData;
    const std::vector<int32_t> P = partialEnergy(s, n);
    const int32_t E = P[n];
    const int32_t T = static_cast<int32_t>(int64_t{level} * E / 100);
    const int32_t W = score32(s, x, p, 0, n - 1);
    if (t == 0 || W < best.score) best = ReferenceFragment{W, etalonList[t] - 1, 0, n - 1};
    for (int32_t b = 0; b <= n - 1; ++b) {
      if (diff32(E, P[b]) <= T) continue;
      for (int32_t e = b; e <= n - 1; ++e) {
        if (diff32(P[e + 1], P[b]) <= T) continue;
        const int32_t S = score32(s, x, p, b, e);
        if (S < best.score) best = ReferenceFragment{S, etalonList[t] - 1, b, e};
      }
    }
  }
  return best;
}

int referenceDetectFixedPulses(MessageSink&, const PulseHeader* alphabet, uint16_t etalonCount,
                               const uint16_t* etalonList, uint16_t tmin, uint16_t tmax, uint16_t level,
                               ChainsHeader* chains, SeriesHeader* series) {
  const uint16_t Q = series->wImpulseQuantity;
  if (chains != nullptr) clearForRun(*chains, Q, Q, Q);
  int32_t value = 0;
  std::vector<int32_t> et, pos, beg, end;
  if (!fixedPasses(alphabet, etalonCount, etalonList, tmin, tmax, level, *series, 999999, 9999999, 999999999,
                   value, et, pos, beg, end)) {
    series->wRestoredQuantity = 0;
    return 1;
  }
  writeSeries(*series, Q, et, pos, beg, end);
  if (chains != nullptr) insertRanked(*chains, value, Q, et, pos, beg, end, false);
  return 1;
}

int32_t referenceRecognizeFixedPulses(MessageSink&, const PulseHeader* alphabet, uint16_t etalonCount,
                                      const uint16_t* etalonList, uint16_t tmin, uint16_t tmax,
                                      uint16_t level, ChainsHeader* chains, SeriesHeader* series) {
  const uint16_t Q = series->wImpulseQuantity;
  if (chains != nullptr) clearForRun(*chains, Q, Q, Q);
  int32_t bestValue = 999999999;
  int32_t recognized = -1;
  std::vector<int32_t> bestPos, bestBeg, bestEnd;
  for (int t = 0; t < etalonCount; ++t) {
    int32_t value = 0;
    std::vector<int32_t> et, pos, beg, end;
    if (!fixedPasses(alphabet, 1, etalonList + t, tmin, tmax, level, *series, 999999999, 999999999, 999999999,
                     value, et, pos, beg, end))
      continue;
    if (chains != nullptr) insertRanked(*chains, value, Q, et, pos, beg, end, false);
    if (value < bestValue) {
      bestValue = value;
      recognized = etalonList[t];
      bestPos = pos;
      bestBeg = beg;
      bestEnd = end;
    }
  }
  if (recognized < 0) {
    series->wRestoredQuantity = 0;
    return -1;
  }
  writeSeries(*series, Q, std::vector<int32_t>(Q, recognized), bestPos, bestBeg, bestEnd);
  return recognized;
}

int referenceDetectUnfixedPulses(MessageSink&, const PulseHeader* alphabet, uint16_t etalonCount,
                                 const uint16_t* etalonList, uint16_t tmin, uint16_t tmax, uint16_t level,
                                 ChainsHeader* chains, SeriesHeader* series) {
  if (chains != nullptr) clearForRun(*chains, 0, 0, series->wMaxPulses);
  Sets sets;
  buildSets(sets, *series, tmin, tmax);
  std::vector<int32_t> score, value, pred, beg, end, et;
  unfixedValues(alphabet, etalonCount, etalonList, tmin, tmax, level, *series, sets, score, value, pred, beg,
                end, et);
  int32_t best = 0;
  const int32_t at = pickEnd(sets, value, INF, best);
  if (at < 0 || best >= 9999999) {
    series->wRestoredQuantity = 0;
    return 1;
  }
  const std::vector<int32_t> pos = chainTo(pred, at);
  std::vector<int32_t> cet, cbeg, cend;
  for (int32_t p : pos) {
    cet.push_back(et[p] + 1);
    cbeg.push_back(beg[p]);
    cend.push_back(end[p]);
  }
  const int32_t count = static_cast<int32_t>(pos.size());
  writeSeries(*series, count, cet, pos, cbeg, cend);
  if (chains != nullptr) {
    insertRanked(*chains, best, count, cet, pos, cbeg, cend, true);
    chains->wSeekingPulsesQuantity =
        chains->wPretenders > 0 ? static_cast<uint16_t>(chains->chainLength[0]) : 0;
  }
  return 1;
}

uint16_t referenceRecognizeUnfixedPulses(MessageSink&, const PulseHeader* alphabet, uint16_t etalonCount,
                                         const uint16_t* etalonList, uint16_t tmin, uint16_t tmax,
                                         uint16_t level, ChainsHeader* chains, SeriesHeader* series) {
  chains->wQuanPulses = series->wImpulseQuantity;
  chains->wSeekingPulsesQuantity = 0;
  chains->wPretenders = 0;
  Sets sets;
  buildSets(sets, *series, tmin, tmax);
  uint16_t recognized = 65535;
  int32_t bestValue = 9999999;
  for (int t = 0; t < etalonCount; ++t) {
    std::vector<int32_t> score, value, pred, beg, end, et;
    unfixedValues(alphabet, 1, etalonList + t, tmin, tmax, level, *series, sets, score, value, pred, beg, end,
                  et);
    int32_t v = 0;
    if (pickEnd(sets, value, INF, v) >= 0 && v < bestValue) {
      bestValue = v;
      recognized = etalonList[t];
    }
    const int32_t at = pickEnd(sets, value, 999999999, v);
    if (at < 0) continue;
    const std::vector<int32_t> pos = chainTo(pred, at);
    std::vector<int32_t> cet, cbeg, cend;
    for (int32_t p : pos) {
      cet.push_back(etalonList[t]);
      cbeg.push_back(beg[p]);
      cend.push_back(end[p]);
    }
    insertRanked(*chains, v, static_cast<int32_t>(pos.size()), cet, pos, cbeg, cend, true);
    chains->wSeekingPulsesQuantity =
        chains->wPretenders > 0 ? static_cast<uint16_t>(chains->chainLength[0]) : 0;
  }
  const int32_t count = chains->wPretenders > 0 ? chains->wSeekingPulsesQuantity : 0;
  std::vector<int32_t> et, pos, beg, end;
  for (int32_t j = 0; j < count; ++j) {
    et.push_back(chains->pulsesList[0][j]);
    pos.push_back(chains->positionsList[0][j]);
    beg.push_back(chains->cutOffBeginList[0][j]);
    end.push_back(chains->cutOffEndList[0][j]);
  }
  writeSeries(*series, count, et, pos, beg, end);
  return recognized;
}
