#include "processing/long_position_sets.h"

#include <algorithm>

namespace {

// Appends [lo, hi] to ascending ranges, joining it with the last one when they overlap or
// touch.
void append(std::vector<PositionRange>& ranges, int64_t lo, int64_t hi) {
  if (hi < lo) return;
  if (!ranges.empty() && lo <= ranges.back().last + 1) {
    ranges.back().last = std::max(ranges.back().last, hi);
    return;
  }
  ranges.push_back(PositionRange{lo, hi});
}

// Neighbouring ranges of consecutive pulse indexes k and k + 1 touch once
// (tmax - tmin) x (k + 1) >= n - 1, and then every further pair does.
bool rangesJoin(int64_t k, int64_t n, int64_t tmin, int64_t tmax) { return (tmax - tmin) * (k + 1) >= n - 1; }

// Union over a = from, from + 1, ... of [tmin a, tmax (a + 1) - n], within 0 .. top.
std::vector<PositionRange> pulsesBefore(int64_t from, int64_t top, int64_t n, int64_t tmin, int64_t tmax) {
  std::vector<PositionRange> out;
  for (int64_t a = from; tmin * a <= top; ++a) {
    // From here on the ranges join up to the last start position.
    if (tmax >= tmin && rangesJoin(a, n, tmin, tmax)) {
      append(out, tmin * a, top);
      break;
    }
    append(out, tmin * a, std::min(top, tmax * (a + 1) - n));
  }
  return out;
}

// Union over b = 0, 1, ... of [N - tmax (b + 1), N - n - tmin b], within 0 .. N - n.
std::vector<PositionRange> pulsesAfter(int64_t size, int64_t n, int64_t tmin, int64_t tmax) {
  std::vector<PositionRange> descending;
  auto add = [&descending](int64_t lo, int64_t hi) {
    if (hi < lo) return;
    if (!descending.empty() && hi >= descending.back().first - 1)
      descending.back().first = std::min(descending.back().first, lo);
    else
      descending.push_back(PositionRange{lo, hi});
  };
  for (int64_t b = 0; size - n - tmin * b >= 0; ++b) {
    const int64_t hi = size - n - tmin * b;
    // From here on the ranges join down to position 0.
    if (tmax >= tmin && rangesJoin(b, n, tmin, tmax)) {
      add(0, hi);
      break;
    }
    const int64_t lo = std::max<int64_t>(0, size - tmax * (b + 1));
    add(lo, hi);
    if (lo == 0) break;
  }
  return std::vector<PositionRange>(descending.rbegin(), descending.rend());
}

}  // namespace

std::vector<PositionRange> intersectRanges(const std::vector<PositionRange>& a,
                                           const std::vector<PositionRange>& b) {
  std::vector<PositionRange> out;
  size_t i = 0, j = 0;
  while (i < a.size() && j < b.size()) {
    const int64_t lo = std::max(a[i].first, b[j].first);
    const int64_t hi = std::min(a[i].last, b[j].last);
    if (lo <= hi) out.push_back(PositionRange{lo, hi});
    if (a[i].last < b[j].last)
      ++i;
    else
      ++j;
  }
  return out;
}

std::vector<PositionRange> subtractRanges(const std::vector<PositionRange>& a,
                                          const std::vector<PositionRange>& b) {
  std::vector<PositionRange> out;
  size_t j = 0;
  for (const PositionRange& r : a) {
    int64_t lo = r.first;
    while (j < b.size() && b[j].last < lo) ++j;
    size_t k = j;
    while (lo <= r.last && k < b.size() && b[k].first <= r.last) {
      if (b[k].first > lo) out.push_back(PositionRange{lo, b[k].first - 1});
      lo = std::max(lo, b[k].last + 1);
      ++k;
    }
    if (lo <= r.last) out.push_back(PositionRange{lo, r.last});
  }
  return out;
}

LongPositionSets longPositionSets(int64_t size, int64_t n, int64_t tmin, int64_t tmax) {
  LongPositionSets s;
  const int64_t top = size - n;  // the last start position
  if (top < 0 || tmin < 1) return s;
  const std::vector<PositionRange> after = pulsesAfter(size, n, tmin, tmax);
  const std::vector<PositionRange> firstPulse{PositionRange{0, std::min(top, tmax - n)}};
  s.first = intersectRanges(firstPulse, after);
  s.later = intersectRanges(pulsesBefore(1, top, n, tmin, tmax), after);
  const std::vector<PositionRange> lastPulse{PositionRange{std::max<int64_t>(0, size - tmax), top}};
  s.last = intersectRanges(lastPulse, pulsesBefore(0, top, n, tmin, tmax));
  s.firstOnly = subtractRanges(s.first, s.later);
  s.firstAndLater = intersectRanges(s.first, s.later);
  s.laterOnly = subtractRanges(s.later, s.first);
  return s;
}

std::vector<Piece> forwardPieces(const LongPositionSets& sets, int64_t top, int64_t tmax, int64_t n,
                                 int64_t breakCost) {
  std::vector<Piece> pieces;
  if (breakCost >= 0) {
    const int64_t firstEnd = std::min(top, tmax - n);
    if (firstEnd >= 0) pieces.push_back(Piece{PositionRange{0, firstEnd}, PieceRole::kStartsOrContinues, 0});
    const int64_t laterStart = std::max<int64_t>(0, firstEnd + 1);
    if (laterStart <= top)
      pieces.push_back(Piece{PositionRange{laterStart, top}, PieceRole::kStartsOrContinues, breakCost});
    return pieces;
  }
  for (const PositionRange& r : sets.firstOnly) pieces.push_back(Piece{r, PieceRole::kStartsOnly, 0});
  for (const PositionRange& r : sets.firstAndLater)
    pieces.push_back(Piece{r, PieceRole::kStartsOrContinues, 0});
  for (const PositionRange& r : sets.laterOnly)
    pieces.push_back(Piece{r, PieceRole::kContinuesOnly, WideCriteria::kInfinity});
  std::sort(pieces.begin(), pieces.end(),
            [](const Piece& a, const Piece& b) { return a.range.first < b.range.first; });
  return pieces;
}
