#include "processing/fragment_rows.h"

#include <vector>

#include "processing/matching_step.h"

namespace {

constexpr int32_t kBlock = 256;  // positions handled together

// Adds sample i of the etalon to the running correlations c and writes row i+1 of F.
void correlationRow(int32_t si, const int16_t* __restrict xi, uint32_t pi, uint32_t* __restrict c,
                    int32_t* __restrict fi) {
  for (int32_t q = 0; q < kBlock; ++q) {
    c[q] += static_cast<uint32_t>(si * int32_t{xi[q]});
    fi[q] = static_cast<int32_t>(pi - 2u * c[q]);
  }
}

// One row of suffix minima: the lower of row i and the minima above it, row i winning ties.
void suffixRow(const int32_t* __restrict fi, const int32_t* __restrict up, const int32_t* __restrict upArg,
               int32_t* __restrict si, int32_t* __restrict sai, int32_t i) {
  // Selections by mask (all ones when row i is taken) keep the loop free of branches.
  for (int32_t q = 0; q < kBlock; ++q) {
    const int32_t take = -static_cast<int32_t>(fi[q] <= up[q]);
    si[q] = (fi[q] & take) | (up[q] & ~take);
    sai[q] = (i & take) | (upArg[q] & ~take);
  }
}

// Offers the best part beginning at b (its end taken from the suffix minima of row at).
void offerBegin(const int32_t* __restrict fb, const int32_t* __restrict sat, const int32_t* __restrict aat,
                int32_t* __restrict best, int32_t* __restrict bestB, int32_t* __restrict bestE,
                int32_t* __restrict improved, int32_t b) {
  for (int32_t q = 0; q < kBlock; ++q) {
    const int32_t score = static_cast<int32_t>(static_cast<uint32_t>(sat[q]) - static_cast<uint32_t>(fb[q]));
    const int32_t take = -static_cast<int32_t>(score < best[q]);
    best[q] = (score & take) | (best[q] & ~take);
    bestB[q] = (b & take) | (bestB[q] & ~take);
    bestE[q] = ((aat[q] - 1) & take) | (bestE[q] & ~take);
    improved[q] |= take & 1;
  }
}

}  // namespace

void offerKeptPartsOver(FragmentMatcher& matcher, std::size_t t, const int16_t* x, int32_t first,
                        int32_t last, FragmentChoice* out) {
  if (last < first) return;
  const MatchEtalon& m = matcher.etalons[t];
  const int32_t n = matcher.n;
  const std::size_t rows = static_cast<std::size_t>(n) + 1;
  // Row i of f holds F[i] = P[i] - 2 C[i] of every position of the block, C[i] being the
  // running correlation over the first i samples; the part [b, e] scores F[e+1] - F[b].
  // Scratch kept in the matcher between calls; every value read below is written first.
  std::vector<int32_t>& f = matcher.rowsF;
  std::vector<int32_t>& sm = matcher.rowsMin;
  std::vector<int32_t>& sa = matcher.rowsArg;
  std::vector<int16_t>& xb = matcher.blockSamples;
  for (std::vector<int32_t>* v : {&f, &sm, &sa})
    if (v->size() < rows * kBlock) v->resize(rows * kBlock);
  if (xb.size() < static_cast<std::size_t>(kBlock) + n) xb.resize(static_cast<std::size_t>(kBlock) + n);
  // Suffix minima are needed from the lowest admissible end + 1 upward.
  int32_t lowestRow = n;
  for (int32_t b = 0; b < m.firstNoStart; ++b)
    if (m.firstEnd[b] + 1 < lowestRow) lowestRow = m.firstEnd[b] + 1;
  if (lowestRow < 1) lowestRow = 1;

  for (int32_t base = first; base <= last; base += kBlock) {
    const int32_t width = last - base + 1 < kBlock ? last - base + 1 : kBlock;
    // The samples under the block; positions past `last` see zeros and are not reported.
    const int32_t used = width + n - 1;
    for (int32_t i = 0; i < used; ++i) xb[i] = x[base + i];
    for (int32_t i = used; i < kBlock + n; ++i) xb[i] = 0;

    uint32_t c[kBlock];
    for (int32_t q = 0; q < kBlock; ++q) {
      c[q] = 0;
      f[q] = 0;
    }
    for (int32_t i = 0; i < n; ++i) {
      const int32_t si = m.samples[i];
      const int16_t* xi = xb.data() + i;
      const uint32_t pi = static_cast<uint32_t>(m.energies[i + 1]);
      correlationRow(si, xi, pi, c, f.data() + static_cast<std::size_t>(i + 1) * kBlock);
    }

    // Suffix minima of F over rows lowestRow .. n; the lowest row wins ties.
    const int32_t* fn = f.data() + static_cast<std::size_t>(n) * kBlock;
    int32_t* smn = sm.data() + static_cast<std::size_t>(n) * kBlock;
    int32_t* san = sa.data() + static_cast<std::size_t>(n) * kBlock;
    for (int32_t q = 0; q < kBlock; ++q) {
      smn[q] = fn[q];
      san[q] = n;
    }
    for (int32_t i = n - 1; i >= lowestRow; --i) {
      const int32_t* fi = f.data() + static_cast<std::size_t>(i) * kBlock;
      const int32_t* up = sm.data() + static_cast<std::size_t>(i + 1) * kBlock;
      const int32_t* upArg = sa.data() + static_cast<std::size_t>(i + 1) * kBlock;
      suffixRow(fi, up, upArg, sm.data() + static_cast<std::size_t>(i) * kBlock,
                sa.data() + static_cast<std::size_t>(i) * kBlock, i);
    }

    // The whole pulse first, then the best end of every admissible begin, in order.
    FragmentChoice* o = out + (base - first);
    int32_t best[kBlock], bestB[kBlock], bestE[kBlock], improved[kBlock];
    for (int32_t q = 0; q < width; ++q) {
      const bool take = t == 0 || fn[q] < o[q].score;
      best[q] = take ? fn[q] : o[q].score;
      bestB[q] = 0;
      bestE[q] = n - 1;
      improved[q] = take ? 1 : 0;
    }
    for (int32_t q = width; q < kBlock; ++q) best[q] = bestB[q] = bestE[q] = improved[q] = 0;
    for (int32_t b = 0; b < m.firstNoStart; ++b) {
      const int32_t at = m.firstEnd[b] + 1;
      const int32_t* fb = f.data() + static_cast<std::size_t>(b) * kBlock;
      const int32_t* sat = sm.data() + static_cast<std::size_t>(at) * kBlock;
      const int32_t* aat = sa.data() + static_cast<std::size_t>(at) * kBlock;
      offerBegin(fb, sat, aat, best, bestB, bestE, improved, b);
    }
    for (int32_t q = 0; q < width; ++q)
      if (improved[q]) o[q] = FragmentChoice{best[q], m.alphabetIndex, bestB[q], bestE[q]};
  }
}
