#include "processing/fragment_rows.h"

#include <cstdint>
#include <cstring>
#include <vector>

#include "processing/fragment_matcher.h"
#include "processing/vector_clones.h"

namespace {

constexpr int32_t kBlock = 128;  // positions handled together

// The etalon's samples are taken from the last to the first. With D[r] = sum over k >= r of
// s[k] x[p+k] (the correlation of the etalon's tail from r) and G[r] = 2 D[r] - (E - P[r]),
// G[r] = F[r] - F[n] where F[i] = P[i] - 2 C[i] and C[i] is the correlation of the first i
// samples. The part [b, e] scores F[e+1] - F[b] = G[e+1] - G[b]: the best end of a begin b is
// the lowest row of the smallest G at or above firstEnd[b] + 1, and the whole pulse scores
// F[n] = E - 2 D[0]. One downward sweep thus gives the suffix minima and then the begins.

// d[q] += s x[q]: the running correlation of one more etalon sample (16-bit operands).
void addProducts(int16_t s, const int16_t* __restrict x, uint32_t* __restrict d) {
  for (int32_t q = 0; q < kBlock; ++q) d[q] += static_cast<uint32_t>(int32_t{s} * int32_t{x[q]});
}

// Row r of G joins the suffix minima m (with their rows); coming downwards, a lower row wins
// ties.
void joinSuffix(const uint32_t* __restrict d, uint32_t rest, int32_t r, int32_t* __restrict m,
                int32_t* __restrict mRow) {
  for (int32_t q = 0; q < kBlock; ++q) {
    const int32_t g = static_cast<int32_t>(2u * d[q] - rest);
    const bool take = g <= m[q];
    m[q] = take ? g : m[q];
    mRow[q] = take ? r : mRow[q];
  }
}

// Offers the best part beginning at b, its end from the suffix minima sm kept for b; coming
// downwards, a lower begin wins ties.
void offerBegin(const uint32_t* __restrict d, uint32_t rest, const int32_t* __restrict sm, int32_t b,
                int32_t* __restrict best, int32_t* __restrict bestB) {
  for (int32_t q = 0; q < kBlock; ++q) {
    const uint32_t g = 2u * d[q] - rest;
    const int32_t score = static_cast<int32_t>(static_cast<uint32_t>(sm[q]) - g);
    const bool take = score <= best[q];
    best[q] = take ? score : best[q];
    bestB[q] = take ? b : bestB[q];
  }
}

}  // namespace

// The rows are plain loops over 32-bit lanes.
DETECTION_VECTOR_CLONES
void offerKeptPartsOver(FragmentMatcher& matcher, std::size_t t, const int16_t* x, int32_t first,
                        int32_t last, FragmentChoice* out) {
  if (last < first) return;
  const MatchEtalon& m = matcher.etalons[t];
  const int32_t n = matcher.n;
  const int32_t begins = m.firstNoStart;
  const uint32_t energy = static_cast<uint32_t>(m.energies[n]);
  // The rows at which a begin's suffix minima are kept (firstEnd[b] + 1, not decreasing in b):
  // group[r] numbers them, -1 elsewhere; groupOf[b] is the group of begin b.
  std::vector<int32_t> group(static_cast<std::size_t>(n) + 1, -1);
  std::vector<int32_t> groupOf(static_cast<std::size_t>(begins));
  int32_t groups = 0;
  int32_t lowestRow = n;
  for (int32_t b = begins - 1; b >= 0; --b) {
    const int32_t at = m.firstEnd[b] + 1;
    if (group[at] < 0) group[at] = groups++;
    groupOf[b] = group[at];
    if (at < lowestRow) lowestRow = at;
  }

  // Scratch kept in the matcher between calls; every value read below is written first.
  std::vector<int32_t>& work = matcher.rowsF;
  std::vector<int32_t>& keptMin = matcher.rowsMin;
  std::vector<int32_t>& keptRow = matcher.rowsArg;
  std::vector<int16_t>& xb = matcher.blockSamples;
  if (work.size() < 5u * kBlock) work.resize(5u * kBlock);
  const std::size_t kept = static_cast<std::size_t>(groups > 0 ? groups : 1) * kBlock;
  if (keptMin.size() < kept) keptMin.resize(kept);
  if (keptRow.size() < kept) keptRow.resize(kept);
  if (xb.size() < static_cast<std::size_t>(kBlock) + n) xb.resize(static_cast<std::size_t>(kBlock) + n);
  uint32_t* d = reinterpret_cast<uint32_t*>(work.data());
  int32_t* sm = work.data() + kBlock;
  int32_t* smRow = work.data() + 2 * kBlock;
  int32_t* best = work.data() + 3 * kBlock;
  int32_t* bestB = work.data() + 4 * kBlock;

  for (int32_t base = first; base <= last; base += kBlock) {
    const int32_t width = last - base + 1 < kBlock ? last - base + 1 : kBlock;
    // The samples under the block; positions past `last` see zeros and are not reported.
    const int32_t used = width + n - 1;
    std::memcpy(xb.data(), x + base, static_cast<std::size_t>(used) * sizeof(int16_t));
    for (int32_t i = used; i < kBlock + n; ++i) xb[i] = 0;

    for (int32_t q = 0; q < kBlock; ++q) {
      d[q] = 0;
      sm[q] = 0;  // G[n] = 0
      smRow[q] = n;
      best[q] = INT32_MAX;
      bestB[q] = 0;
    }
    auto keep = [&](int32_t r) {
      const std::size_t at = static_cast<std::size_t>(group[r]) * kBlock;
      std::memcpy(keptMin.data() + at, sm, kBlock * sizeof(int32_t));
      std::memcpy(keptRow.data() + at, smRow, kBlock * sizeof(int32_t));
    };
    if (group[n] >= 0) keep(n);
    for (int32_t r = n - 1; r >= 0; --r) {
      addProducts(m.samples[r], xb.data() + r, d);
      const uint32_t rest = energy - static_cast<uint32_t>(m.energies[r]);
      if (r >= lowestRow) {
        joinSuffix(d, rest, r, sm, smRow);
        if (group[r] >= 0) keep(r);
      }
      if (r < begins)
        offerBegin(d, rest, keptMin.data() + static_cast<std::size_t>(groupOf[r]) * kBlock, r, best, bestB);
    }

    // The whole pulse first, then the best begin (the lowest of equal scores) when strictly lower.
    FragmentChoice* o = out + (base - first);
    for (int32_t q = 0; q < width; ++q) {
      const int32_t whole = static_cast<int32_t>(energy - 2u * d[q]);
      if (t == 0 || whole < o[q].score) o[q] = FragmentChoice{whole, m.alphabetIndex, 0, n - 1};
      if (begins > 0 && best[q] < o[q].score) {
        const int32_t b = bestB[q];
        const int32_t row = keptRow[static_cast<std::size_t>(groupOf[b]) * kBlock + q];
        o[q] = FragmentChoice{best[q], m.alphabetIndex, b, row - 1};
      }
    }
  }
}
