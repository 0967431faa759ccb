#include "processing/pulse_margins.h"

#include <algorithm>
#include <deque>
#include <limits>

#include "processing/long_recording_work.h"

namespace {

using C = WideCriteria;
using Value = int64_t;

constexpr int64_t kChunk = int64_t{1} << 15;

// Ranges of positions mirrored: p becomes top - p, in ascending order.
std::vector<PositionRange> mirrored(const std::vector<PositionRange>& ranges, int64_t top) {
  std::vector<PositionRange> out;
  for (auto it = ranges.rbegin(); it != ranges.rend(); ++it)
    out.push_back(PositionRange{top - it->last, top - it->first});
  return out;
}

// Bounds a sum to "no answer".
Value sum(Value a, Value b) { return a >= C::kAccepted || b >= C::kAccepted ? C::kInfinity : a + b; }

// The backward values, mirrored: back[top - p] is the best chain that continues from a pulse at
// p to the end, p's score included.
UninitializedArray<Value> backwardValues(const MarginInput& in, const MarginScores& scores) {
  const int64_t top = in.size - in.n;
  UninitializedArray<Value> back;
  back.resize(top + 1);
  std::vector<Piece> pieces;
  if (in.breakCost >= 0) {
    // Mirrored, ending late enough is starting early enough.
    LongPositionSets none;
    pieces = forwardPieces(none, top, in.tmax, in.n, in.breakCost);
  } else {
    // A pulse may continue to the end when it may be last; after it come later pulses only.
    std::vector<PositionRange> either = in.sets->first;
    either.insert(either.end(), in.sets->later.begin(), in.sets->later.end());
    std::sort(either.begin(), either.end(), [](auto& a, auto& b) { return a.first < b.first; });
    std::vector<PositionRange> joined;
    for (const PositionRange& r : either) {
      if (!joined.empty() && r.first <= joined.back().last + 1)
        joined.back().last = std::max(joined.back().last, r.last);
      else
        joined.push_back(r);
    }
    for (const PositionRange& r : mirrored(intersectRanges(joined, in.sets->last), top))
      pieces.push_back(Piece{r, PieceRole::kStartsOrContinues, 0});
    for (const PositionRange& r : mirrored(subtractRanges(joined, in.sets->last), top))
      pieces.push_back(Piece{r, PieceRole::kContinuesOnly, C::kInfinity});
    std::sort(pieces.begin(), pieces.end(), [](auto& a, auto& b) { return a.range.first < b.range.first; });
  }
  WindowExtension<C> started, continued;
  started.begin(in.tmin, in.tmax, 0);
  continued.begin(in.tmin, in.tmax, C::kInfinity);
  if (in.breakCost >= 0) started.allowBreaks(in.breakCost);
  std::vector<Value> forwardOrder(static_cast<size_t>(kChunk)), mirroredOrder(static_cast<size_t>(kChunk));
  size_t next = 0;
  for (int64_t c0 = 0; c0 <= top; c0 += kChunk) {
    const int64_t c1 = std::min(top, c0 + kChunk - 1);
    const int64_t count = c1 - c0 + 1;
    std::fill(back.data() + c0, back.data() + c1 + 1, C::kInfinity);
    scores(top - c1, count, forwardOrder.data());
    for (int64_t i = 0; i < count; ++i)
      mirroredOrder[static_cast<size_t>(i)] = forwardOrder[static_cast<size_t>(count - 1 - i)];
    while (next < pieces.size() && pieces[next].range.first <= c1) {
      const Piece& piece = pieces[next];
      const int64_t a = std::max(piece.range.first, c0);
      const int64_t b = std::min(piece.range.last, c1);
      const Value* s = mirroredOrder.data() + (a - c0);
      if (piece.role == PieceRole::kContinuesOnly) {
        continued.extend(back.data(), nullptr, a, b, s);
      } else {
        started.setStart(piece.start);
        started.extend(back.data(), nullptr, a, b, s);
      }
      if (piece.range.last > c1) break;
      ++next;
    }
  }
  return back;
}

bool inRanges(const std::vector<PositionRange>& ranges, int64_t p) {
  auto it = std::upper_bound(ranges.begin(), ranges.end(), p,
                             [](int64_t v, const PositionRange& r) { return v < r.first; });
  return it != ranges.begin() && std::prev(it)->last >= p;
}

}  // namespace

std::vector<double> pulseMargins(const MarginInput& in, const Value* forward,
                                 const std::vector<int64_t>& positions, const MarginScores& scores) {
  const size_t count = positions.size();
  std::vector<double> margins(count, 0.0);
  if (count == 0) return margins;
  const int64_t top = in.size - in.n;
  const bool breaks = in.breakCost >= 0;
  const UninitializedArray<Value> back = backwardValues(in, scores);
  auto F = [&](int64_t m) { return forward[m]; };
  auto G = [&](int64_t q) { return back[top - q]; };
  // The last set lies within the last tmax positions: a range test there, none below.
  const int64_t lastFloor = in.size - in.tmax;
  auto endCost = [&](int64_t m) -> Value {
    if (breaks) return m >= lastFloor ? 0 : in.breakCost;
    return m >= lastFloor && inRanges(in.sets->last, m) ? 0 : C::kInfinity;
  };
  // The first set lies within the first tmax - n + 1 positions.
  auto startCost = [&](int64_t q) -> Value {
    if (breaks) return q <= in.tmax - in.n ? 0 : in.breakCost;
    return q <= in.tmax - in.n && inRanges(in.sets->first, q) ? 0 : C::kInfinity;
  };
  auto continues = [&](int64_t q) { return breaks || inRanges(in.sets->later, q); };
  const int64_t h = in.n / 2;

  // Ascending sweeps: the best answer ending before each zone, and the smallest forward value
  // up to p + h - tmax (where the breaks over the zone begin to matter).
  std::vector<Value> before(count), prefixF(count);
  {
    Value endBest = C::kInfinity, plainBest = C::kInfinity;
    int64_t m = 0, f = 0;
    for (size_t k = 0; k < count; ++k) {
      const int64_t p = positions[k];
      for (; m <= p - h - 1; ++m) endBest = std::min(endBest, sum(F(m), endCost(m)));
      for (; f <= std::min(p + h - in.tmax, p - h - 1); ++f) plainBest = std::min(plainBest, F(f));
      before[k] = endBest;
      prefixF[k] = plainBest;
    }
  }
  // Descending sweeps: the best answer starting after each zone, and the smallest backward value
  // from max(p + h + 1, p - h + tmax) on.
  std::vector<Value> after(count), suffixG(count);
  {
    Value startBest = C::kInfinity, plainBest = C::kInfinity;
    int64_t q = top, g = top;
    for (size_t k = count; k-- > 0;) {
      const int64_t p = positions[k];
      for (; q >= p + h + 1; --q) startBest = std::min(startBest, sum(G(q), startCost(q)));
      for (; g >= std::max(p + h + 1, p - h + in.tmax); --g) plainBest = std::min(plainBest, G(g));
      after[k] = startBest;
      suffixG[k] = plainBest;
    }
  }
  std::deque<int64_t> window;
  for (size_t k = 0; k < count; ++k) {
    const int64_t p = positions[k];
    Value best = std::min(before[k], after[k]);
    if (breaks) best = std::min(best, in.breakCost);
    // Jumps over the zone from m to q within tmin .. tmax; with breaks, longer ones too.
    window.clear();
    int64_t pushed = std::max<int64_t>(0, p + h + 1 - in.tmax);
    Value localF = prefixF[k];
    int64_t localTo = std::max<int64_t>(-1, std::min(p + h - in.tmax, p - h - 1));
    for (int64_t q = p + h + 1; q <= std::min(top, p - h - 1 + in.tmax); ++q) {
      const int64_t upper = std::min(q - in.tmin, p - h - 1);
      for (; pushed <= upper; ++pushed) {
        while (!window.empty() && F(window.back()) >= F(pushed)) window.pop_back();
        window.push_back(pushed);
      }
      while (!window.empty() && window.front() < q - in.tmax) window.pop_front();
      if (continues(q) && !window.empty()) best = std::min(best, sum(F(window.front()), G(q)));
      if (breaks) {
        for (; localTo < q - in.tmax - 1;) localF = std::min(localF, F(++localTo));
        if (q - in.tmax - 1 >= 0) best = std::min(best, sum(sum(localF, in.breakCost), G(q)));
      }
    }
    if (breaks) {
      for (; localTo < p - h - 1;) localF = std::min(localF, F(++localTo));
      best = std::min(best, sum(sum(localF, in.breakCost), suffixG[k]));
    }
    margins[k] = best >= C::kAccepted
                     ? std::numeric_limits<double>::infinity()
                     : static_cast<double>(best - in.criterion) / static_cast<double>(in.energy);
  }
  return margins;
}
