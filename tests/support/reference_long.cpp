#include "tests/support/reference_long.h"

#include <algorithm>
#include <cstddef>

using std::size_t;

namespace {

constexpr int64_t kNone = int64_t{1} << 61;
constexpr int64_t kAccepted = int64_t{1} << 60;

// Marks [lo, hi] (clipped to 0 .. top) in a difference array.
void mark(std::vector<int64_t>& diff, int64_t lo, int64_t hi, int64_t top) {
  if (lo < 0) lo = 0;
  if (hi > top) hi = top;
  if (hi < lo) return;
  diff[static_cast<size_t>(lo)] += 1;
  diff[static_cast<size_t>(hi + 1)] -= 1;
}

std::vector<bool> members(const std::vector<int64_t>& diff, int64_t top) {
  std::vector<bool> in(static_cast<size_t>(top + 1));
  int64_t run = 0;
  for (int64_t p = 0; p <= top; ++p) {
    run += diff[static_cast<size_t>(p)];
    in[static_cast<size_t>(p)] = run > 0;
  }
  return in;
}

}  // namespace

ReferenceLongAnswer referenceLongDetect(const std::vector<int16_t>& x,
                                        const std::vector<std::vector<int16_t>>& etalons, int64_t tmin,
                                        int64_t tmax, int64_t breakCost, int64_t forbidFrom,
                                        int64_t forbidTo) {
  ReferenceLongAnswer answer;
  const int64_t size = static_cast<int64_t>(x.size());
  const int64_t n = static_cast<int64_t>(etalons[0].size());
  const int64_t top = size - n;
  if (top < 0) return answer;
  // Pulse-count bounds of every series.
  int64_t jmin = (size + n - 1) / tmax;
  if (jmin == 0) jmin = 1;
  const int64_t jmax = (size - n + tmin) / tmin;
  std::vector<int64_t> dFirst(static_cast<size_t>(top + 2)), dLater(dFirst), dLast(dFirst);
  for (int64_t j = jmin; j <= jmax; ++j) {
    mark(dFirst, std::max<int64_t>(0, size - tmax * j), std::min(tmax - n, size - n - tmin * (j - 1)), top);
    for (int64_t k = 1; k <= j - 1; ++k)
      mark(dLater, std::max(size - tmax * (j - k), tmin * k),
           std::min(tmax * (k + 1) - n, size - n - tmin * (j - k - 1)), top);
    mark(dLast, std::max(size - tmax, tmin * (j - 1)), std::min(size - n, tmax * j - n), top);
  }
  const bool breaks = breakCost >= 0;
  std::vector<bool> first = members(dFirst, top), later = members(dLater, top), last = members(dLast, top);

  // Scores: the energy minus twice the correlation, the lowest over the etalons.
  std::vector<int64_t> score(static_cast<size_t>(top + 1));
  std::vector<int32_t> chosen(static_cast<size_t>(top + 1));
  for (int64_t p = 0; p <= top; ++p) {
    for (size_t t = 0; t < etalons.size(); ++t) {
      int64_t s = 0;
      for (int64_t i = 0; i < n; ++i) {
        const int64_t e = etalons[t][static_cast<size_t>(i)];
        s += e * (e - 2 * int64_t{x[static_cast<size_t>(p + i)]});
      }
      if (t == 0 || s < score[static_cast<size_t>(p)]) {
        score[static_cast<size_t>(p)] = s;
        chosen[static_cast<size_t>(p)] = static_cast<int32_t>(t);
      }
    }
    if (p >= forbidFrom && p <= forbidTo) score[static_cast<size_t>(p)] = kNone;
  }

  std::vector<int64_t> value(static_cast<size_t>(top + 1), kNone), pred(static_cast<size_t>(top + 1), -3);
  auto extend = [&](int64_t p, int64_t start) {
    int64_t best = start, at = -2;
    for (int64_t m = p - tmax; m <= p - tmin; ++m)
      if (m >= 0 && value[static_cast<size_t>(m)] < best) {
        best = value[static_cast<size_t>(m)];
        at = m;
      }
    if (breaks) {
      int64_t far = kNone, farAt = -1;
      for (int64_t m = 0; m <= p - tmax - 1; ++m)
        if (farAt < 0 || value[static_cast<size_t>(m)] < far) {
          far = value[static_cast<size_t>(m)];
          farAt = m;
        }
      if (farAt >= 0 && far + breakCost < best) {
        best = far + breakCost;
        at = farAt;
      }
    }
    value[static_cast<size_t>(p)] = best + score[static_cast<size_t>(p)];
    pred[static_cast<size_t>(p)] = at;
  };
  if (breaks) {
    for (int64_t p = 0; p <= top; ++p) extend(p, p <= tmax - n ? 0 : breakCost);
  } else {
    for (int64_t p = 0; p <= top; ++p)
      if (first[p] && !later[p]) {
        value[static_cast<size_t>(p)] = score[static_cast<size_t>(p)];
        pred[static_cast<size_t>(p)] = -1;
      }
    for (int64_t p = 0; p <= top; ++p)
      if (first[p] && later[p]) extend(p, 0);
    for (int64_t p = 0; p <= top; ++p)
      if (!first[p] && later[p]) extend(p, kNone);
  }

  int64_t best = breaks ? breakCost : kNone, end = -1;
  for (int64_t p = 0; p <= top; ++p) {
    int64_t v = value[static_cast<size_t>(p)];
    if (breaks) {
      if (p < size - tmax) v += breakCost;
    } else if (!last[p]) {
      continue;
    }
    if (v < best) {
      best = v;
      end = p;
    }
  }
  if (breaks) {
    answer.found = true;
  } else {
    answer.found = end >= 0 && best < kAccepted;
    if (!answer.found) return answer;
  }
  answer.criterion = best;
  for (int64_t p = end; p >= 0 && p <= top; p = pred[static_cast<size_t>(p)]) {
    answer.positions.insert(answer.positions.begin(), p);
    answer.etalons.insert(answer.etalons.begin(), chosen[static_cast<size_t>(p)]);
  }
  return answer;
}

ReferenceLongAnswer referenceLongKnownDetect(const std::vector<int16_t>& x,
                                             const std::vector<std::vector<int16_t>>& etalons, int64_t q,
                                             int64_t tmin, int64_t tmax) {
  ReferenceLongAnswer answer;
  const int64_t size = static_cast<int64_t>(x.size());
  const int64_t n = static_cast<int64_t>(etalons[0].size());
  const int64_t top = size - n;
  if (top < 0 || q < 1) return answer;
  std::vector<int64_t> lo(static_cast<size_t>(q)), hi(static_cast<size_t>(q));
  for (int64_t j = 0; j < q; ++j) {
    lo[static_cast<size_t>(j)] = std::max<int64_t>(0, std::max(j * tmin, size - tmax * (q - j)));
    hi[static_cast<size_t>(j)] = std::min(top, std::min((j + 1) * tmax - n, size - n - tmin * (q - j - 1)));
  }
  auto scoreAt = [&](int64_t p, int32_t& which) {
    int64_t best = 0;
    for (size_t t = 0; t < etalons.size(); ++t) {
      int64_t v = 0;
      for (int64_t i = 0; i < n; ++i) {
        const int64_t s = etalons[t][static_cast<size_t>(i)];
        v += s * (s - 2 * int64_t{x[static_cast<size_t>(p + i)]});
      }
      if (t == 0 || v < best) {
        best = v;
        which = static_cast<int32_t>(t);
      }
    }
    return best;
  };
  // D[j] indexed by start position (only the range of pulse j is filled).
  std::vector<std::vector<int64_t>> d(static_cast<size_t>(q),
                                      std::vector<int64_t>(static_cast<size_t>(top + 1)));
  for (int64_t j = 0; j < q; ++j) {
    const auto k = static_cast<size_t>(j);
    for (int64_t p = lo[k]; p <= hi[k]; ++p) {
      int32_t which = 0;
      const int64_t s = scoreAt(p, which);
      if (j == 0) {
        d[k][static_cast<size_t>(p)] = s;
        continue;
      }
      int64_t b = 999999;
      for (int64_t l = std::max(p - tmax, lo[k - 1]); l <= std::min(p - tmin, hi[k - 1]); ++l)
        b = std::min(b, d[k - 1][static_cast<size_t>(l)]);
      d[k][static_cast<size_t>(p)] = b + s;
    }
  }
  const auto last = static_cast<size_t>(q - 1);
  int64_t best = 9999999, at = -1;
  for (int64_t p = lo[last]; p <= hi[last]; ++p)
    if (d[last][static_cast<size_t>(p)] < best) {
      best = d[last][static_cast<size_t>(p)];
      at = p;
    }
  if (at < 0) return answer;
  std::vector<int64_t> positions(static_cast<size_t>(q));
  positions[last] = at;
  for (int64_t j = q - 2; j >= 0; --j) {
    const auto k = static_cast<size_t>(j);
    int64_t m = 999999999, l = -1;
    for (int64_t p = std::max(positions[k + 1] - tmax, lo[k]); p <= std::min(positions[k + 1] - tmin, hi[k]);
         ++p)
      if (d[k][static_cast<size_t>(p)] < m) {
        m = d[k][static_cast<size_t>(p)];
        l = p;
      }
    if (l < 0) return answer;
    positions[k] = l;
  }
  answer.found = true;
  answer.criterion = best;
  answer.positions = positions;
  for (const int64_t p : positions) {
    int32_t which = 0;
    scoreAt(p, which);
    answer.etalons.push_back(which);
  }
  return answer;
}
