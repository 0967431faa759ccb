#include "processing/pulse_margins.h"

#include <algorithm>
#include <deque>
#include <limits>

#include "processing/long_recording_work.h"
#include "processing/side_thread.h"
#include "processing/vector_clones.h"

namespace {

using C = WideCriteria;
using Value = int64_t;

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
void backwardValues(const MarginInput& in, const MarginScores& scores, Value* back) {
  const int64_t top = in.size - in.n;
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
  ChainPassInput pass;
  pass.pieces = &pieces;
  pass.top = top;
  pass.tmin = in.tmin;
  pass.tmax = in.tmax;
  pass.breakCost = in.breakCost;
  pass.threads = in.threads;
  // Pass position i is start position top - i: the scores in forward order, reversed.
  pass.scores = [&](int64_t first, int64_t count, Value* out, ScoreRows& rows) {
    if (rows.order.size() < static_cast<size_t>(count)) rows.order.resize(static_cast<size_t>(count));
    scores(top - first - count + 1, count, rows.order.data(), rows);
    for (int64_t i = 0; i < count; ++i) out[i] = rows.order[static_cast<size_t>(count - 1 - i)];
  };
  runChainPass(pass, back, nullptr);
}

// The smallest of v[0 .. count - 1] (count >= 1).
DETECTION_VECTOR_CLONES
Value lowestOf(const Value* v, int64_t count) {
  Value m = v[0];
  for (int64_t i = 1; i < count; ++i) m = v[i] < m ? v[i] : m;
  return m;
}

// The smallest sum(a[i], b[-i]) over i < count, or "no answer".
DETECTION_VECTOR_CLONES
Value lowestSumAgainst(const Value* a, const Value* b, int64_t count) {
  Value m = C::kInfinity;
  for (int64_t i = 0; i < count; ++i) {
    const Value x = a[i], y = b[-i];
    const Value s = x >= C::kAccepted || y >= C::kAccepted ? C::kInfinity : x + y;
    m = s < m ? s : m;
  }
  return m;
}

// Window minima of the jumps over one zone, reused from pulse to pulse.
struct JumpScratch {
  std::vector<Value> minima;
  std::deque<int64_t> window;
};

// For every q of firstQ .. lastQ, the smallest forward value F[m] over the admissible
// predecessors m of q before the zone: max(0, q - tmax) <= m <= min(q - tmin, lastM), or "no
// answer" when there is none. Returns minima indexed by q - firstQ.
//
// While q - tmin <= lastM the windows slide; when they are not wider apart than their width
// they share a core, and each is the core, a part left of it that shrinks and a part right of
// it that grows. Beyond that every window ends at lastM: a suffix minimum.
const Value* jumpWindowMinima(const Value* F, int64_t lastM, int64_t firstQ, int64_t lastQ, int64_t tmin,
                              int64_t tmax, JumpScratch& s) {
  const size_t count = static_cast<size_t>(lastQ - firstQ + 1);
  if (s.minima.size() < count) s.minima.resize(count);
  Value* w = s.minima.data();  // indexed by q - firstQ
  auto lo = [tmax](int64_t q) { return std::max<int64_t>(0, q - tmax); };
  const int64_t slideTo = std::min(lastQ, lastM + tmin);  // the last q whose window slides
  const int64_t slideFrom = std::max(firstQ, tmin);       // the first q with any predecessor
  for (int64_t q = firstQ; q < slideFrom && q <= lastQ; ++q) w[q - firstQ] = C::kInfinity;
  if (slideFrom <= slideTo) {
    const int64_t coreFirst = lo(slideTo), coreLast = slideFrom - tmin;
    if (coreFirst <= coreLast) {
      const Value core = lowestOf(F + coreFirst, coreLast - coreFirst + 1);
      Value left = C::kInfinity;
      int64_t x = coreFirst;
      for (int64_t q = slideTo; q >= slideFrom; --q) {
        for (; x > lo(q);) left = std::min(left, F[--x]);
        w[q - firstQ] = std::min(core, left);
      }
      Value right = C::kInfinity;
      int64_t y = coreLast;
      for (int64_t q = slideFrom; q <= slideTo; ++q) {
        for (; y < q - tmin;) right = std::min(right, F[++y]);
        w[q - firstQ] = std::min(w[q - firstQ], right);
      }
    } else {
      // Windows narrower than their spread: a queue of increasing values.
      std::deque<int64_t>& window = s.window;
      window.clear();
      int64_t pushed = lo(slideFrom);
      for (int64_t q = slideFrom; q <= slideTo; ++q) {
        for (; pushed <= q - tmin; ++pushed) {
          while (!window.empty() && F[window.back()] >= F[pushed]) window.pop_back();
          window.push_back(pushed);
        }
        while (window.front() < q - tmax) window.pop_front();
        w[q - firstQ] = F[window.front()];
      }
    }
  }
  // Windows [max(0, q - tmax), lastM], q descending: one more forward value each.
  Value tail = C::kInfinity;
  for (int64_t m = lastM; m > lastQ - tmax && m >= 0; --m) tail = std::min(tail, F[m]);
  for (int64_t q = lastQ; q > slideTo && q >= firstQ; --q) {
    if (q - tmax >= 0) tail = std::min(tail, F[q - tmax]);
    w[q - firstQ] = tail;
  }
  return s.minima.data();
}

// The smallest of values[0 .. i] for ascending i (none: "no answer").
class RunningMinimum {
 public:
  explicit RunningMinimum(const Value* values) : values_(values) {}
  Value upTo(int64_t i) {
    Value m = min_;
    for (; next_ <= i; ++next_) m = std::min(m, values_[next_]);
    min_ = m;
    return i < 0 ? C::kInfinity : m;
  }

 private:
  const Value* values_;
  int64_t next_ = 0;
  Value min_ = C::kInfinity;
};

bool inRanges(const std::vector<PositionRange>& ranges, int64_t p) {
  auto it = std::upper_bound(ranges.begin(), ranges.end(), p,
                             [](int64_t v, const PositionRange& r) { return v < r.first; });
  return it != ranges.begin() && std::prev(it)->last >= p;
}

}  // namespace

std::vector<double> pulseMargins(const MarginInput& in, const Value* forward,
                                 const std::vector<int64_t>& positions, const MarginScores& scores,
                                 Value* back) {
  const size_t count = positions.size();
  std::vector<double> margins(count, 0.0);
  if (count == 0) return margins;
  const int64_t top = in.size - in.n;
  const bool breaks = in.breakCost >= 0;
  backwardValues(in, scores, back);
  auto F = [&](int64_t m) { return forward[m]; };
  auto G = [&](int64_t q) { return back[top - q]; };
  const int64_t h = in.n / 2;
  // Below lastFloor no chain may end without a break, and the last set lies within the last
  // tmax positions: a range test there, none below.
  const int64_t lastFloor = std::max<int64_t>(0, in.size - in.tmax);
  auto endCost = [&](int64_t m) -> Value {
    if (breaks) return m >= lastFloor ? 0 : in.breakCost;
    return m >= lastFloor && inRanges(in.sets->last, m) ? 0 : C::kInfinity;
  };
  // Above firstCeiling no chain may start without a break; the first set lies below it.
  const int64_t firstCeiling = in.tmax - in.n;
  auto startCost = [&](int64_t q) -> Value {
    if (breaks) return q <= firstCeiling ? 0 : in.breakCost;
    return q <= firstCeiling && inRanges(in.sets->first, q) ? 0 : C::kInfinity;
  };

  // Ascending sweeps: the best answer ending before each zone (the smallest forward value
  // below lastFloor plus a break, the tail with its end costs), and the smallest forward value
  // up to p + h - tmax (where the breaks over the zone begin to matter).
  // Four values a pulse, in memory that is not cleared first (every entry is written before
  // it is read; unused entries without breaks are never read).
  UninitializedArray<Value> perPulse;
  perPulse.resize(4 * static_cast<int64_t>(count));
  Value* before = perPulse.data();
  Value* prefixF = before + count;
  Value* after = prefixF + count;
  Value* suffixG = after + count;
  {
    RunningMinimum low(forward), plain(forward);
    Value tailBest = C::kInfinity;
    int64_t m = lastFloor;
    for (size_t k = 0; k < count; ++k) {
      const int64_t p = positions[k];
      for (; m <= p - h - 1; ++m) tailBest = std::min(tailBest, sum(F(m), endCost(m)));
      before[k] = tailBest;
      if (breaks) {
        before[k] = std::min(before[k], sum(low.upTo(std::min(p - h - 1, lastFloor - 1)), in.breakCost));
        prefixF[k] = plain.upTo(std::min(p + h - in.tmax, p - h - 1));
      }
    }
  }
  // Descending sweeps: the best answer starting after each zone, and the smallest backward value
  // from max(p + h + 1, p - h + tmax) on.
  {
    RunningMinimum high(back), plain(back);
    Value headBest = C::kInfinity;
    int64_t q = std::min(top, firstCeiling);
    for (size_t k = count; k-- > 0;) {
      const int64_t p = positions[k];
      for (; q >= p + h + 1; --q) headBest = std::min(headBest, sum(G(q), startCost(q)));
      after[k] = headBest;
      if (breaks) {
        // Positions from `from` on are mirrored positions up to top - from.
        after[k] =
            std::min(after[k], sum(high.upTo(top - std::max(p + h + 1, firstCeiling + 1)), in.breakCost));
        suffixG[k] = plain.upTo(top - std::max(p + h + 1, p - h + in.tmax));
      }
    }
  }
  // Every pulse's margin on its own: the pulses k0 .. k1 - 1 on one thread.
  auto marginsOf = [&](size_t k0, size_t k1) {
    JumpScratch scratch;
    // The first range of the later set that may hold a q of the pulse.
    size_t laterAt = 0;
    if (!breaks && k0 < k1) {
      const std::vector<PositionRange>& later = in.sets->later;
      const int64_t firstQ = positions[k0] + h + 1;
      laterAt =
          static_cast<size_t>(std::partition_point(later.begin(), later.end(),
                                                   [&](const PositionRange& r) { return r.last < firstQ; }) -
                              later.begin());
    }
    for (size_t k = k0; k < k1; ++k) {
      const int64_t p = positions[k];
      Value best = std::min(before[k], after[k]);
      if (breaks) best = std::min(best, in.breakCost);
      // Jumps over the zone from m <= p - h - 1 to q >= p + h + 1 within tmin .. tmax; with
      // breaks, longer ones too.
      const int64_t lastM = p - h - 1;
      const int64_t firstQ = p + h + 1;
      const int64_t lastQ = std::min(top, lastM + in.tmax);
      if (lastM >= 0 && firstQ <= lastQ) {
        const Value* w = jumpWindowMinima(forward, lastM, firstQ, lastQ, in.tmin, in.tmax, scratch);
        auto take = [&](int64_t from, int64_t to) {
          if (from <= to)
            best = std::min(best, lowestSumAgainst(w + (from - firstQ), &back[top - from], to - from + 1));
        };
        if (breaks) {
          take(firstQ, lastQ);
        } else {
          const std::vector<PositionRange>& later = in.sets->later;
          while (laterAt < later.size() && later[laterAt].last < firstQ) ++laterAt;
          for (size_t j = laterAt; j < later.size() && later[j].first <= lastQ; ++j)
            take(std::max(later[j].first, firstQ), std::min(later[j].last, lastQ));
        }
        if (breaks) {
          // A break from the best pulse up to q - tmax - 1 to q.
          Value localF = prefixF[k];
          int64_t localTo = std::max<int64_t>(-1, std::min(p + h - in.tmax, lastM));
          for (int64_t q = firstQ; q <= lastQ; ++q) {
            for (; localTo < q - in.tmax - 1;) localF = std::min(localF, F(++localTo));
            if (q - in.tmax - 1 >= 0) best = std::min(best, sum(sum(localF, in.breakCost), G(q)));
          }
        }
      }
      if (breaks) {
        Value localF = prefixF[k];
        for (int64_t m = std::max<int64_t>(0, std::min(p + h - in.tmax, lastM) + 1); m <= lastM; ++m)
          localF = std::min(localF, F(m));
        best = std::min(best, sum(sum(localF, in.breakCost), suffixG[k]));
      }
      margins[k] = best >= C::kAccepted
                       ? std::numeric_limits<double>::infinity()
                       : static_cast<double>(best - in.criterion) / static_cast<double>(in.energy);
    }
  };
  if (in.threads < 2 || count < 4096) {
    marginsOf(0, count);
    return margins;
  }
  inParallel([&] { marginsOf(0, count / 2); }, [&] { marginsOf(count / 2, count); });
  return margins;
}
