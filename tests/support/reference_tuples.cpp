#include "tests/support/reference_tuples.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <vector>

#include "platform/message_sink.h"
#include "processing/chains_header.h"
#include "processing/interval_set.h"
#include "processing/matching_step.h"
#include "signal/pulse_header.h"
#include "signal/series_header.h"

namespace {

int32_t add32(int32_t a, int32_t b) {
  return static_cast<int32_t>(static_cast<uint32_t>(a) + static_cast<uint32_t>(b));
}
int32_t sub32(int32_t a, int32_t b) {
  return static_cast<int32_t>(static_cast<uint32_t>(a) - static_cast<uint32_t>(b));
}

// One tuple member: its samples, running energies and threshold.
struct Member {
  int32_t number = 0;
  const int16_t* s = nullptr;
  std::vector<int32_t> P;
  int32_t T = 0;
};

Member makeMember(const PulseHeader* alphabet, int32_t number, uint16_t n, uint16_t level) {
  Member m;
  m.number = number;
  m.s = alphabet[number - 1].lpData;
  m.P.assign(n + 1u, 0);
  for (int i = 0; i < n; ++i) m.P[i + 1] = add32(m.P[i], static_cast<int32_t>(m.s[i]) * m.s[i]);
  m.T = energyThreshold(level, m.P[n]);
  return m;
}

struct Fragment {
  int32_t score = 0;
  int32_t b = 0;
  int32_t e = 0;
};

// Best-fragment search over a list of one etalon: the whole pulse, then every qualifying part
// by ascending begin and end, each scored by a direct sum.
Fragment bestFragment(const Member& m, uint16_t n, const int16_t* x, int32_t p) {
  Fragment best{fragmentScore(m.s, x, p, 0, n - 1), 0, n - 1};
  const int32_t E = m.P[n];
  for (int32_t b = 0; b < n; ++b) {
    if (sub32(E, m.P[b]) <= m.T) continue;
    for (int32_t e = b; e < n; ++e) {
      if (sub32(m.P[e + 1], m.P[b]) <= m.T) continue;
      const int32_t S = fragmentScore(m.s, x, p, b, e);
      if (S < best.score) best = Fragment{S, b, e};
    }
  }
  return best;
}

bool validTuple(const PulseHeader* alphabet, const SeriesHeader* series, int32_t K, const int32_t* tuple) {
  if (K < 1 || tuple == nullptr) return false;
  for (int32_t i = 0; i < K; ++i) {
    if (tuple[i] < 1 || tuple[i] > kAlphabetRecords || tuple[i] > series->wEtalonsQuantity) return false;
    const PulseHeader& h = alphabet[tuple[i] - 1];
    if (h.lpData == nullptr || h.wSize < series->wImpulseSize) return false;
  }
  return true;
}

// The series can be processed: it holds its samples and bounds, is at most 32,767 samples
// long, and its per-pulse tables hold `pulses` entries.
bool validSeries(const PulseHeader* alphabet, const SeriesHeader* series, int32_t pulses) {
  return alphabet != nullptr && series != nullptr && series->lpNoisyData != nullptr &&
         series->lpLowBounds != nullptr && series->dwSeriesSize <= 32767 &&
         series->dwSeriesSize <= series->dwReservedSize && pulses <= series->wPulsesCapacity &&
         series->wImpulseSize > 0;
}

struct Chain {
  bool found = false;
  int32_t value = 0;
  std::vector<int32_t> etalons, positions, begins, ends;
  std::vector<int16_t> firsts, lasts;
};

void segment(Chain& c, int32_t K, int32_t phase) {
  const int32_t Q = static_cast<int32_t>(c.positions.size());
  c.firsts.clear();
  c.lasts.clear();
  int32_t first = 1;
  int32_t last = K - phase < Q ? K - phase : Q;
  while (first <= Q) {
    c.firsts.push_back(static_cast<int16_t>(first));
    c.lasts.push_back(static_cast<int16_t>(last));
    first = last + 1;
    last = first + K - 1 < Q ? first + K - 1 : Q;
  }
}

void writeChain(SeriesHeader& s, const Chain& c) {
  if (!c.found) {
    s.wRestoredQuantity = 0;
    s.wRestoredTuples = 0;
    return;
  }
  const size_t P = c.positions.size();
  s.wRestoredQuantity = static_cast<uint16_t>(P);
  for (size_t j = 0; j < P; ++j) {
    s.lpRestoredPositions[j] = static_cast<int16_t>(c.positions[j]);
    s.lpRestoredEtalons[j] = static_cast<int16_t>(c.etalons[j]);
    s.lpRestoredCutBegin[j] = static_cast<int16_t>(c.begins[j]);
    s.lpRestoredCutEnd[j] = static_cast<int16_t>(c.ends[j]);
  }
  s.wRestoredTuples = static_cast<int16_t>(c.firsts.size());
  for (size_t t = 0; t < c.firsts.size(); ++t) {
    s.lpRestoredTupleFirst[t] = c.firsts[t];
    s.lpRestoredTupleLast[t] = c.lasts[t];
  }
}

int insert(ChainsHeader* h, const Chain& c, ChainRowCopy copy) {
  return insertChain(*h, c.value, static_cast<uint16_t>(c.positions.size()), c.etalons.data(),
                     c.positions.data(), c.begins.data(), c.ends.data(), copy);
}

// ---------------------------------------------------------------- known number of pulses

// One tuple in one phase over the bounds lo[k] .. hi[k]: forward pass, last pulse, backward
// pass, cut into tuples.
Chain fixedPhase(const std::vector<Member>& members, int32_t m, int32_t Q, int32_t N, uint16_t n,
                 int32_t Tmin, int32_t Tmax, const std::vector<int64_t>& lo, const std::vector<int64_t>& hi,
                 const int16_t* x) {
  const int32_t K = static_cast<int32_t>(members.size());
  Chain c;
  if (Q == 0) return c;
  std::vector<std::vector<int32_t>> D(Q, std::vector<int32_t>(N, 0));
  std::vector<std::vector<int32_t>> B(Q, std::vector<int32_t>(N, 0));
  std::vector<std::vector<int32_t>> E(Q, std::vector<int32_t>(N, 0));
  for (int32_t k = 0; k < Q; ++k) {
    const Member& mem = members[(m + k) % K];
    for (int64_t p = lo[k]; p <= hi[k]; ++p) {
      int32_t Bv = 0;
      if (k > 0) {
        Bv = 999999;
        for (int64_t l = p - Tmax; l <= p - Tmin; ++l) {
          if (l < lo[k - 1] || l > hi[k - 1]) continue;
          if (D[k - 1][l] < Bv) Bv = D[k - 1][l];
        }
      }
      const Fragment f = bestFragment(mem, n, x, static_cast<int32_t>(p));
      D[k][p] = add32(Bv, f.score);
      B[k][p] = f.b;
      E[k][p] = f.e;
    }
  }
  int32_t best = 9999999;
  int64_t last = -1;
  for (int64_t p = lo[Q - 1]; p <= hi[Q - 1]; ++p) {
    if (D[Q - 1][p] < best) {
      best = D[Q - 1][p];
      last = p;
    }
  }
  if (last < 0) return c;
  std::vector<int64_t> pos(Q);
  pos[Q - 1] = last;
  for (int32_t j = Q - 2; j >= 0; --j) {
    int32_t cur = 999999;
    int64_t sel = -1;
    for (int64_t l = pos[j + 1] - Tmax; l <= pos[j + 1] - Tmin; ++l) {
      if (l < lo[j] || l > hi[j]) continue;
      if (D[j][l] < cur) {
        cur = D[j][l];
        sel = l;
      }
    }
    if (sel < 0) return c;
    pos[j] = sel;
  }
  c.found = true;
  c.value = best;
  for (int32_t j = 0; j < Q; ++j) {
    c.etalons.push_back(members[(m + j) % K].number);
    c.positions.push_back(static_cast<int32_t>(pos[j]));
    c.begins.push_back(B[j][pos[j]]);
    c.ends.push_back(E[j][pos[j]]);
  }
  segment(c, K, m);
  return c;
}

}  // namespace

int referenceDetectFixedTuples(MessageSink&, const PulseHeader* alphabet, int32_t K, const int32_t* tuple,
                               uint16_t subsetProceeding, uint16_t tmin, uint16_t tmax, uint16_t level,
                               ChainsHeader* chains, SeriesHeader* series) {
  if (!validSeries(alphabet, series, series == nullptr ? 0 : series->wImpulseQuantity)) return 0;
  const uint16_t n = series->wImpulseSize;
  const int32_t N = static_cast<int32_t>(series->dwSeriesSize);
  const int32_t Q = series->wImpulseQuantity;
  if (!validTuple(alphabet, series, K, tuple)) return 0;
  if (chains != nullptr && chains->wMaxPulses < Q) return 0;

  std::vector<int64_t> lo(Q), hi(Q);
  for (int32_t k = 0; k < Q; ++k) {
    const int64_t a = N - int64_t{tmax} * (Q - k), b = int64_t{tmin} * k;
    lo[k] = a > b ? a : b;
    const int64_t c = int64_t{tmax} * (k + 1) - n, d = N - n - int64_t{tmin} * (Q - k - 1);
    hi[k] = c < d ? c : d;
  }
  std::vector<Member> members;
  for (int32_t i = 0; i < K; ++i) members.push_back(makeMember(alphabet, tuple[i], n, level));
  if (chains != nullptr)
    clearChainsForRun(*chains, static_cast<uint16_t>(Q), static_cast<uint16_t>(Q), static_cast<uint16_t>(Q));

  const int32_t phases = subsetProceeding == 1 ? 1 : K;
  Chain best;
  int32_t bestValue = 9999999;
  for (int32_t m = 0; m < phases; ++m) {
    Chain c = fixedPhase(members, m, Q, N, n, tmin, tmax, lo, hi, series->lpNoisyData);
    if (!c.found) continue;
    if (chains != nullptr) insert(chains, c, ChainRowCopy::kNewChainLength);
    if (c.value < bestValue) {
      bestValue = c.value;
      best = c;
    }
  }
  writeChain(*series, best);
  return 1;
}

int32_t referenceRecognizeFixedTuples(MessageSink&, const PulseHeader* alphabet, const int32_t* sizes,
                                      const int32_t* const* subsets, int32_t count, uint16_t subsetProceeding,
                                      uint16_t tmin, uint16_t tmax, uint16_t level, ChainsHeader* chains,
                                      SeriesHeader* series) {
  if (!validSeries(alphabet, series, series == nullptr ? 0 : series->wImpulseQuantity)) return 0;
  const uint16_t n = series->wImpulseSize;
  const int32_t N = static_cast<int32_t>(series->dwSeriesSize);
  const int32_t Q = series->wImpulseQuantity;
  if (count < 1 || sizes == nullptr || subsets == nullptr) return 0;
  for (int32_t i = 0; i < count; ++i)
    if (!validTuple(alphabet, series, sizes[i], subsets[i])) return 0;
  if (chains != nullptr && chains->wMaxPulses < Q) return 0;

  std::vector<int64_t> lo(Q), hi(Q);
  for (int32_t k = 0; k < Q; ++k) {
    lo[k] = series->lpLowBounds[k] < 0 ? 0 : series->lpLowBounds[k];
    hi[k] = series->lpHighBounds[k] > N - n ? N - n : series->lpHighBounds[k];
  }
  if (chains != nullptr)
    clearChainsForRun(*chains, static_cast<uint16_t>(Q), static_cast<uint16_t>(Q), static_cast<uint16_t>(Q));

  Chain best;
  int32_t bestValue = 9999999;
  int32_t bestSubset = 0;
  for (int32_t i = 0; i < count; ++i) {
    std::vector<Member> members;
    for (int32_t j = 0; j < sizes[i]; ++j) members.push_back(makeMember(alphabet, subsets[i][j], n, level));
    const int32_t phases = subsetProceeding == 1 ? 1 : sizes[i];
    for (int32_t m = 0; m < phases; ++m) {
      Chain c = fixedPhase(members, m, Q, N, n, tmin, tmax, lo, hi, series->lpNoisyData);
      if (!c.found) continue;
      if (c.value < bestValue) {
        bestValue = c.value;
        best = c;
        bestSubset = i + 1;
      }
      if (chains != nullptr && insert(chains, c, ChainRowCopy::kNewChainLength) == 0)
        chains->wSeekingPulsesQuantity = static_cast<uint16_t>(Q);
    }
  }
  writeChain(*series, best);
  series->wRecognizedSubset = static_cast<int16_t>(bestSubset);
  if (chains != nullptr) chains->wSeekingPulsesQuantity = static_cast<uint16_t>(Q);
  return bestSubset;
}

// ---------------------------------------------------------------- unknown number of pulses

namespace {

// Appends printf-style text to a 5,000-character buffer, never past its end.
struct DumpBuffer {
  char text[5000] = {0};
  size_t used = 0;
  void add(const char* format, ...) {
    if (used + 1 >= sizeof text) return;
    va_list args;
    va_start(args, format);
    const int w = std::vsnprintf(text + used, sizeof text - used, format, args);
    va_end(args);
    if (w < 0) return;
    used += static_cast<size_t>(w);
    if (used > sizeof text - 1) used = sizeof text - 1;
  }
};

void dumpSet(DumpBuffer& d, const IntervalSet* set, const std::vector<int32_t>& G,
             const std::vector<int32_t>& pred) {
  int32_t smallest = 0;
  bool any = false;
  for (int i = 0; i < set->count; ++i)
    for (int32_t p = set->starts[i]; p <= set->ends[i]; ++p)
      if (!any || G[p] < smallest) {
        smallest = G[p];
        any = true;
      }
  for (int i = 0; i < set->count; ++i)
    for (int32_t p = set->starts[i]; p <= set->ends[i]; ++p) {
      if (G[p] < 0 && G[p] == smallest)
        d.add(" %d", G[p]);
      else if (G[p] < 0)
        d.add(" -");
      else
        d.add(" +");
      if (pred[p] >= 0) d.add("[%d]", pred[p]);
    }
}

void dumpIntervals(DumpBuffer& d, const IntervalSet* set) {
  for (int i = 0; i < set->count; ++i) d.add(" [%d..%d] ", set->starts[i], set->ends[i]);
}

struct Sets {
  IntervalSet* first = nullptr;
  IntervalSet* later = nullptr;
  IntervalSet* last = nullptr;
  IntervalSet* firstOnly = nullptr;
  IntervalSet* both = nullptr;
  IntervalSet* laterOnly = nullptr;
  ~Sets() {
    for (IntervalSet* s : {first, later, last, firstOnly, both, laterOnly}) freeIntervalSet(s);
  }
};

void addBounded(IntervalSet* set, int64_t lo, int64_t hi) {
  if (hi < 0 || hi < lo) return;
  addInterval(set, static_cast<uint16_t>(lo), static_cast<uint16_t>(hi));
}

void buildSets(Sets& s, int64_t N, int64_t n, int64_t Tmin, int64_t Tmax, int32_t Jmin, int32_t Jmax) {
  const uint16_t cap = static_cast<uint16_t>(Jmax);
  s.first = getIntervalSet(nullptr, cap);
  s.later = getIntervalSet(nullptr, cap);
  s.last = getIntervalSet(nullptr, cap);
  for (int64_t J = Jmin; J <= Jmax; ++J) {
    addBounded(s.first, std::max<int64_t>(0, N - Tmax * J), std::min(Tmax - n, N - n - Tmin * (J - 1)));
    for (int64_t k = 1; k <= J - 1; ++k)
      addBounded(s.later, std::max(N - Tmax * (J - k), Tmin * k),
                 std::min(Tmax * (k + 1) - n, N - n - Tmin * (J - k - 1)));
    addBounded(s.last, std::max(N - Tmax, Tmin * (J - 1)), std::min(N - n, Tmax * J - n));
  }
  s.firstOnly = copyIntervalSet(nullptr, s.first);
  cutIntervalSet(s.firstOnly, s.later);
  s.both = copyIntervalSet(nullptr, s.first);
  intersectIntervalSet(s.both, s.later);
  s.laterOnly = copyIntervalSet(nullptr, s.later);
  cutIntervalSet(s.laterOnly, s.first);
}

struct Layers {
  std::vector<std::vector<int32_t>> G, pred, et, bg, en;
};

// One tuple: the layer tables over the three kinds of positions, the end, the chain.
Chain unfixedTuple(MessageSink& window, const std::vector<Member>& members, const Sets& sets, int32_t Jmax,
                   int32_t N, uint16_t n, int32_t Tmin, int32_t Tmax, const int16_t* x, int32_t INF,
                   bool verbose) {
  Chain c;
  const int32_t K = static_cast<int32_t>(members.size());
  const int32_t A = K < Jmax ? K : Jmax;
  if (A < 1 || N < n) return c;
  const int32_t positions = N - n + 1;
  Layers L;
  L.G.assign(A, std::vector<int32_t>(positions, INF));
  L.pred.assign(A, std::vector<int32_t>(positions, INF));
  L.et.assign(A, std::vector<int32_t>(positions, 0));
  L.bg.assign(A, std::vector<int32_t>(positions, 0));
  L.en.assign(A, std::vector<int32_t>(positions, n - 1));

  // Positions that can only start a chain.
  for (int i = 0; i < sets.firstOnly->count; ++i)
    for (int32_t p = sets.firstOnly->starts[i]; p <= sets.firstOnly->ends[i]; ++p) {
      const Fragment f = bestFragment(members[0], n, x, p);
      L.G[0][p] = f.score;
      L.pred[0][p] = -1;
      L.et[0][p] = members[0].number - 1;
      L.bg[0][p] = f.b;
      L.en[0][p] = f.e;
    }
  if (verbose) {
    DumpBuffer d;
    d.add("omega_minus - omega_tilda: ");
    dumpIntervals(d, sets.firstOnly);
    d.add("\n");
    dumpSet(d, sets.firstOnly, L.G[0], L.pred[0]);
    d.add("\n ");
    window.messageBox(d.text, " About TuplesDetection ", kMbOk);
  }

  // Positions that can be first or later.
  for (int i = 0; i < sets.both->count; ++i)
    for (int32_t p = sets.both->starts[i]; p <= sets.both->ends[i]; ++p)
      for (int32_t l = 0; l < A; ++l) {
        const Fragment f = bestFragment(members[l], n, x, p);
        L.et[l][p] = members[l].number - 1;
        L.bg[l][p] = f.b;
        L.en[l][p] = f.e;
        const int32_t src = l == 0 ? A - 1 : l - 1;
        int32_t mn = 0, arg = -2;
        for (int32_t m = p - Tmax; m <= p - Tmin; ++m) {
          if (m < 0) continue;
          if (L.G[src][m] < mn) {
            mn = L.G[src][m];
            arg = m;
          }
        }
        if (mn < 0) {
          L.G[l][p] = add32(mn, f.score);
          L.pred[l][p] = arg;
        } else if (l == 0) {
          L.G[l][p] = f.score;
          L.pred[l][p] = -1;
        } else {
          L.G[l][p] = INF;
          L.pred[l][p] = -2;
        }
      }
  if (verbose) {
    DumpBuffer d;
    d.add("omega_minus x omega_tilda: ");
    dumpIntervals(d, sets.both);
    d.add("\n");
    for (int32_t l = 0; l < A; ++l) {
      d.add("l=%d\n ", l + 1);
      dumpSet(d, sets.both, L.G[l], L.pred[l]);
      d.add("\n ");
    }
    window.messageBox(d.text, " About TuplesDetection ", kMbOk);
  }

  // Positions that can only be later pulses.
  for (int i = 0; i < sets.laterOnly->count; ++i)
    for (int32_t p = sets.laterOnly->starts[i]; p <= sets.laterOnly->ends[i]; ++p)
      for (int32_t l = 0; l < A; ++l) {
        const Fragment f = bestFragment(members[l], n, x, p);
        L.et[l][p] = members[l].number - 1;
        L.bg[l][p] = f.b;
        L.en[l][p] = f.e;
        const int32_t src = l == 0 ? A - 1 : l - 1;
        int32_t mn = INF, arg = -2;
        for (int32_t m = p - Tmax; m <= p - Tmin; ++m) {
          if (m < 0) continue;
          if (L.G[src][m] < mn) {
            mn = L.G[src][m];
            arg = m;
          }
        }
        L.G[l][p] = add32(mn, f.score);
        L.pred[l][p] = arg;
      }

  // End of the chain.
  int32_t best = INF, endP = -1, endL = 0;
  for (int i = 0; i < sets.last->count; ++i)
    for (int32_t p = sets.last->starts[i]; p <= sets.last->ends[i]; ++p)
      for (int32_t l = 0; l < A; ++l)
        if (L.G[l][p] < best) {
          best = L.G[l][p];
          endP = p;
          endL = l;
        }
  if (endP < 0) return c;

  // Count, then fill from the last pulse backward.
  int32_t count = 0;
  for (int32_t p = endP, l = endL; p >= 0; l = (l + A - 1) % A) {
    if (p >= positions || ++count > Jmax) return c;
    p = L.pred[l][p];
  }
  c.positions.assign(count, 0);
  c.etalons.assign(count, 0);
  c.begins.assign(count, 0);
  c.ends.assign(count, 0);
  for (int32_t j = count - 1, p = endP, l = endL; j >= 0; --j) {
    c.positions[j] = p;
    c.etalons[j] = L.et[l][p] + 1;
    c.begins[j] = L.bg[l][p];
    c.ends[j] = L.en[l][p];
    p = L.pred[l][p];
    l = (l + A - 1) % A;
  }
  c.found = true;
  c.value = best;
  segment(c, K, 0);
  return c;
}

int32_t unfixedRun(MessageSink& window, const PulseHeader* alphabet, const int32_t* sizes,
                   const int32_t* const* subsets, int32_t count, uint16_t tmin, uint16_t tmax, uint16_t level,
                   ChainsHeader* chains, SeriesHeader* series, int32_t& verbose, int32_t INF,
                   bool recognize) {
  if (!validSeries(alphabet, series, series == nullptr ? 0 : series->wMaxPulses)) return 0;
  const uint16_t n = series->wImpulseSize;
  const int32_t N = static_cast<int32_t>(series->dwSeriesSize);
  const int32_t Jmax = series->wMaxPulses;
  if (count < 1 || sizes == nullptr || subsets == nullptr) return 0;
  for (int32_t i = 0; i < count; ++i)
    if (!validTuple(alphabet, series, sizes[i], subsets[i])) return 0;
  if (chains != nullptr && chains->wMaxPulses < Jmax) return 0;

  if (chains != nullptr) clearChainsForRun(*chains, 0, 0, static_cast<uint16_t>(Jmax));
  Sets sets;
  buildSets(sets, N, n, tmin, tmax, series->wMinPulses, Jmax);

  Chain best;
  int32_t bestValue = INF, bestSubset = 0;
  for (int32_t i = 0; i < count; ++i) {
    std::vector<Member> members;
    for (int32_t j = 0; j < sizes[i]; ++j) members.push_back(makeMember(alphabet, subsets[i][j], n, level));
    Chain c =
        unfixedTuple(window, members, sets, Jmax, N, n, tmin, tmax, series->lpNoisyData, INF, verbose != 0);
    if (!c.found) continue;
    if (c.value < bestValue) {
      bestValue = c.value;
      best = c;
      bestSubset = i + 1;
    }
    if (chains != nullptr) insert(chains, c, ChainRowCopy::kOwnLength);
  }
  writeChain(*series, best);
  if (recognize) series->wRecognizedSubset = static_cast<int16_t>(bestSubset);
  if (chains != nullptr) chains->wSeekingPulsesQuantity = static_cast<uint16_t>(best.positions.size());
  verbose = 0;
  return recognize ? bestSubset : 1;
}

}  // namespace

int referenceDetectUnfixedTuples(MessageSink& window, const PulseHeader* alphabet, int32_t K,
                                 const int32_t* tuple, uint16_t, uint16_t tmin, uint16_t tmax, uint16_t level,
                                 ChainsHeader* chains, SeriesHeader* series, int32_t& verboseTuples) {
  const int32_t* rows[1] = {tuple};
  return unfixedRun(window, alphabet, &K, rows, 1, tmin, tmax, level, chains, series, verboseTuples, 99999999,
                    false);
}

int32_t referenceRecognizeUnfixedTuples(MessageSink& window, const PulseHeader* alphabet,
                                        const int32_t* sizes, const int32_t* const* subsets, int32_t count,
                                        uint16_t, uint16_t tmin, uint16_t tmax, uint16_t level,
                                        ChainsHeader* chains, SeriesHeader* series, int32_t& verboseTuples) {
  return unfixedRun(window, alphabet, sizes, subsets, count, tmin, tmax, level, chains, series, verboseTuples,
                    999999999, true);
}
