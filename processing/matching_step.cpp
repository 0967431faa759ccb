#include "processing/matching_step.h"

#include <cstddef>

#include "processing/fragment_rows.h"
#include "processing/interval_set.h"
#include "processing/whole_correlation.h"
#include "processing/window_minima.h"
#include "signal/pulse_header.h"

void etalonsPartialEnergy(const int16_t* s, uint16_t n, int32_t* energies) {
  // Summed in unsigned arithmetic: the 32-bit two's-complement sum without signed overflow.
  uint32_t sum = 0;
  energies[0] = 0;
  for (uint16_t i = 0; i < n; ++i) {
    sum += static_cast<uint32_t>(int32_t{s[i]} * int32_t{s[i]});
    energies[i + 1] = static_cast<int32_t>(sum);
  }
}

int32_t energyThreshold(uint16_t level, int32_t energy) {
  // Formed in 64 bits: the same value as the 32-bit product whenever that fits.
  return static_cast<int32_t>(int64_t{level} * int64_t{energy} / 100);
}

int32_t fragmentScore(const int16_t* s, const int16_t* x, int32_t p, int32_t b, int32_t e) {
  uint32_t sum = 0;
  for (int32_t i = b; i <= e; ++i) {
    const int32_t si = s[i];
    sum += static_cast<uint32_t>(si) * static_cast<uint32_t>(si - 2 * int32_t{x[p + i]});
  }
  return static_cast<int32_t>(sum);
}

namespace {

// a - b in 32-bit two's-complement arithmetic.
inline int32_t wrapDiff(int32_t a, int32_t b) {
  return static_cast<int32_t>(static_cast<uint32_t>(a) - static_cast<uint32_t>(b));
}

}  // namespace

bool prepareFragmentMatcher(FragmentMatcher& matcher, const PulseHeader* alphabet, uint16_t etalonsQuantity,
                            uint16_t count, const uint16_t* list, uint16_t n, uint16_t level,
                            const int16_t* x, uint32_t size) {
  if (alphabet == nullptr || list == nullptr || count == 0) return false;
  matcher.n = n;
  matcher.etalons.assign(count, MatchEtalon{});
  matcher.partsPossible = false;
  int64_t maxS = 0;
  for (uint16_t t = 0; t < count; ++t) {
    const uint16_t number = list[t];
    if (number < 1 || number > etalonsQuantity) return false;
    const PulseHeader& pulse = alphabet[number - 1];
    if (pulse.lpData == nullptr || pulse.wSize < n) return false;
    MatchEtalon& m = matcher.etalons[t];
    m.samples = pulse.lpData;
    m.alphabetIndex = number - 1;
    m.energies.assign(n + 1u, 0);
    etalonsPartialEnergy(m.samples, n, m.energies.data());
    m.threshold = energyThreshold(level, m.energies[n]);
    // Starts whose remaining energy exceeds the threshold form a prefix 0 .. firstNoStart-1
    // while the running energies do not wrap (checked through exactShortcut below).
    m.firstNoStart = 0;
    while (m.firstNoStart < n && wrapDiff(m.energies[n], m.energies[m.firstNoStart]) > m.threshold)
      ++m.firstNoStart;
    m.firstEnd.assign(m.firstNoStart, 0);
    for (int32_t b = 0; b < m.firstNoStart; ++b) {
      int32_t e = b;
      while (e < n - 1 && wrapDiff(m.energies[e + 1], m.energies[b]) <= m.threshold) ++e;
      m.firstEnd[b] = e;
    }
    for (uint16_t i = 0; i < n; ++i) {
      const int64_t v = m.samples[i] < 0 ? -int64_t{m.samples[i]} : int64_t{m.samples[i]};
      if (v > maxS) maxS = v;
    }
  }
  // The extremes of the series first (a plain loop the compiler vectorises), then the largest
  // magnitude.
  int16_t lowest = 0;
  int16_t highest = 0;
  for (uint32_t i = 0; i < size; ++i) {
    lowest = x[i] < lowest ? x[i] : lowest;
    highest = x[i] > highest ? x[i] : highest;
  }
  const int64_t maxX = -int64_t{lowest} > int64_t{highest} ? -int64_t{lowest} : int64_t{highest};
  // Every running value below stays within +-bound; below 2^30 their differences cannot
  // leave 32 bits, the energies are monotone and a suffix minimum finds the literal best.
  const int64_t bound = int64_t{n} * maxS * (maxS + 2 * maxX);
  matcher.exactShortcut = bound < (int64_t{1} << 30);
  for (MatchEtalon& m : matcher.etalons) {
    bool parts = false;
    for (int32_t b = 0; b < n && !parts; ++b) parts = wrapDiff(m.energies[n], m.energies[b]) > m.threshold;
    m.hasParts = parts;
    if (parts) matcher.partsPossible = true;
  }
  matcher.prefix.assign(n + 1u, 0);
  matcher.suffixMin.assign(n + 2u, 0);
  matcher.suffixArg.assign(n + 2u, 0);
  return true;
}

namespace {

// Offers the whole pulse and every qualifying kept part of etalon t at position p to `best`.
void matchEtalonAt(FragmentMatcher& mt, std::size_t t, const int16_t* x, int32_t p, FragmentChoice& best,
                   bool unconditional) {
  const MatchEtalon& m = mt.etalons[t];
  const int32_t n = mt.n;
  const int16_t* s = m.samples;
  const int16_t* xp = x + p;
  // Running correlation C[i] = sum of s[k] x[p+k] for k < i, kept as F[i] = P[i] - 2 C[i]:
  // the score of [b, e] is F[e+1] - F[b] in 32-bit two's-complement arithmetic.
  int32_t* f = mt.prefix.data();
  uint32_t c = 0;
  f[0] = 0;
  for (int32_t i = 0; i < n; ++i) {
    c += static_cast<uint32_t>(int32_t{s[i]} * int32_t{xp[i]});
    f[i + 1] = static_cast<int32_t>(static_cast<uint32_t>(m.energies[i + 1]) - 2u * c);
  }
  const int32_t whole = f[n];
  if (unconditional || whole < best.score) best = FragmentChoice{whole, m.alphabetIndex, 0, n - 1};
  if (!m.hasParts) return;
  if (mt.exactShortcut) {
    // Suffix minima of F over indexes 1 .. n, the lowest index winning ties.
    int32_t* sm = mt.suffixMin.data();
    int32_t* sa = mt.suffixArg.data();
    suffixArgMin(f, 1, n, sm, sa);
    for (int32_t b = 0; b < m.firstNoStart; ++b) {
      const int32_t at = m.firstEnd[b] + 1;
      const int32_t score = sm[at] - f[b];
      if (score < best.score) best = FragmentChoice{score, m.alphabetIndex, b, sa[at] - 1};
    }
    return;
  }
  // Values may wrap: test every start and end as they come.
  const int32_t* pe = m.energies.data();
  for (int32_t b = 0; b < n; ++b) {
    if (wrapDiff(pe[n], pe[b]) <= m.threshold) continue;
    for (int32_t e = b; e < n; ++e) {
      if (wrapDiff(pe[e + 1], pe[b]) <= m.threshold) continue;
      const int32_t score = wrapDiff(f[e + 1], f[b]);
      if (score < best.score) best = FragmentChoice{score, m.alphabetIndex, b, e};
    }
  }
}

}  // namespace

FragmentChoice bestFragmentAt(FragmentMatcher& matcher, const int16_t* x, int32_t p) {
  FragmentChoice best;
  for (std::size_t t = 0; t < matcher.etalons.size(); ++t) matchEtalonAt(matcher, t, x, p, best, t == 0);
  return best;
}

void bestFragmentsOver(FragmentMatcher& matcher, const int16_t* x, int32_t first, int32_t last,
                       FragmentChoice* out) {
  if (last < first) return;
  const std::size_t width = static_cast<std::size_t>(last - first) + 1;
  const int32_t n = matcher.n;
  for (std::size_t t = 0; t < matcher.etalons.size(); ++t) {
    const MatchEtalon& m = matcher.etalons[t];
    if (m.hasParts) {
      if (matcher.exactShortcut) {
        offerKeptPartsOver(matcher, t, x, first, last, out);
        continue;
      }
      for (std::size_t q = 0; q < width; ++q)
        matchEtalonAt(matcher, t, x, first + static_cast<int32_t>(q), out[q], t == 0);
      continue;
    }
    // Whole pulses only: a short correlation per position over contiguous samples.
    if (matcher.corr.size() < width) matcher.corr.resize(width);
    uint32_t* corr = matcher.corr.data();
    wholeCorrelations(m.samples, n, x + first, width, corr);
    const uint32_t energy = static_cast<uint32_t>(m.energies[n]);
    for (std::size_t q = 0; q < width; ++q) {
      const int32_t whole = static_cast<int32_t>(energy - 2u * corr[q]);
      if (t == 0 || whole < out[q].score) out[q] = FragmentChoice{whole, m.alphabetIndex, 0, n - 1};
    }
  }
}

bool bestFragmentsOverSet(FragmentMatcher& matcher, const int16_t* x, const IntervalSet& set,
                          std::vector<FragmentChoice>& fragments) {
  for (uint16_t k = 0; k < set.count; ++k) {
    const int32_t first = set.starts[k];
    const int32_t last = set.ends[k];
    if (static_cast<std::size_t>(last) >= fragments.size()) return false;
    bestFragmentsOver(matcher, x, first, last, fragments.data() + first);
  }
  return true;
}
