#include "processing/pulse_margins.h"

#include <algorithm>
#include <atomic>
#include <deque>
#include <limits>

#include "processing/long_recording_work.h"
#include "processing/minima_scans.h"
#include "processing/prefetch_streams.h"
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

// The pieces of the backward pass, mirrored: pass position i is start position top - i, and
// its value the best chain that continues from a pulse there to the end, its score included.
std::vector<Piece> backwardPieces(const MarginInput& in) {
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
  return pieces;
}

// The smallest of v[0 .. count - 1] (count >= 1).
DETECTION_VECTOR_CLONES
Value lowestOf(const Value* v, int64_t count) {
  Value m = v[0];
  for (int64_t i = 1; i < count; ++i) m = v[i] < m ? v[i] : m;
  return m;
}

// The smallest sum(a[i], b[-i] + shift) over i < count, or "no answer".
DETECTION_VECTOR_CLONES
Value lowestSumAgainst(const Value* a, const Value* b, Value shift, int64_t count) {
  Value m = C::kInfinity;
  for (int64_t i = 0; i < count; ++i) {
    const Value x = a[i], y = b[-i] + shift;
    const Value s = x >= C::kAccepted || y >= C::kAccepted ? C::kInfinity : x + y;
    m = s < m ? s : m;
  }
  return m;
}

// Window minima of the jumps over one zone, reused from pulse to pulse.
struct JumpScratch {
  std::vector<Value> minima;
  std::vector<Value> tail;  // suffix minima of the forward values the last windows reach
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
  // Windows [max(0, q - tmax), lastM]: suffix minima of the forward values.
  const int64_t tailFrom = std::max(firstQ, slideTo + 1);
  if (tailFrom <= lastQ) {
    const int64_t lowest = std::max<int64_t>(0, tailFrom - tmax);
    const auto reach = static_cast<size_t>(lastM - lowest + 1);
    if (s.tail.size() < reach) s.tail.resize(reach);
    suffixMinimaOfValues(F + lowest, lastM - lowest + 1, s.tail.data());
    for (int64_t q = tailFrom; q <= lastQ; ++q)
      w[q - firstQ] = s.tail[static_cast<size_t>(std::max<int64_t>(0, q - tmax) - lowest)];
  }
  return s.minima.data();
}

bool inRanges(const std::vector<PositionRange>& ranges, int64_t p) {
  auto it = std::upper_bound(ranges.begin(), ranges.end(), p,
                             [](int64_t v, const PositionRange& r) { return v < r.first; });
  return it != ranges.begin() && std::prev(it)->last >= p;
}

// Backward values by pass position: values[i - base] + shift.
struct BackwardSource {
  const Value* values = nullptr;
  int64_t base = 0;
  Value shift = 0;
  Value at(int64_t i) const { return values[i - base] + shift; }
};

// The margins, pulse by pulse as the backward values come, from the last pulse to the first.
// Pulse k needs the backward values up to pass position top - (p + h + 1) (its window of
// jumps lies in the tmax positions before) and three running minima of them up to there.
class MarginStream {
 public:
  MarginStream(const MarginInput& in, const Value* forward, const std::vector<int64_t>& positions,
               std::vector<double>& margins)
      : in_(in),
        F_(forward),
        positions_(positions),
        margins_(margins),
        top_(in.size - in.n),
        h_(in.n / 2),
        breaks_(in.breakCost >= 0),
        lastFloor_(std::max<int64_t>(0, in.size - in.tmax)),
        firstCeiling_(in.tmax - in.n),
        headFrom_(std::max<int64_t>(0, top_ - std::max<int64_t>(-1, firstCeiling_))),
        next_(static_cast<int64_t>(positions.size()) - 1) {
    const auto count = static_cast<int64_t>(positions.size());
    perPulse_.resize(5 * count);
    before_ = perPulse_.data();
    prefixF_ = before_ + count;
    after_ = prefixF_ + count;
    suffixG_ = after_ + count;
    jumps_ = suffixG_ + count;
    sweepForward();
  }

  // The backward values are known up to pass position last (and the tmax + 1 before the
  // positions this call has not seen): every pulse that needs no later one gets its margin.
  void take(const BackwardSource& g, int64_t last) {
    for (; next_ >= 0 && needsUpTo(next_) <= last; --next_) {
      ahead_.before(F_, positions_[static_cast<size_t>(next_)], 4 * in_.tmax);
      runningMinima(g, next_);
      margins_[static_cast<size_t>(next_)] = marginOf(g, next_, scratch_);
    }
    // Later pulses need none of these again but the running minima (the plain one may still
    // be asked for up to tmax positions back).
    advanceAfter(g, last);
    if (breaks_) advancePlain(g, last - in_.tmax);
  }

  // On the second thread, once its pass is done and until stop: the jumps over the zones of
  // the first pulses from its own values (by pass position, from `from` on), unshifted. Where
  // the first thread later finds those values to be the true ones less a constant, the jumps
  // are that constant less than the true ones.
  void speculate(const Value* values, int64_t from, const std::atomic<bool>& stop) {
    JumpScratch scratch;
    const BackwardSource g{values, 0, 0};
    const auto count = static_cast<int64_t>(positions_.size());
    for (int64_t k = 0; k < count && !stop.load(std::memory_order_relaxed); ++k) {
      // Its jumps read the tmax values up to needsUpTo(k).
      if (needsUpTo(k) - in_.tmax < from) break;
      jumps_[k] = jumpsOf(g, k, scratch);
      speculated_ = k + 1;
    }
  }

  // Every remaining pulse from the source, the running minima first, then the pulses whose
  // jumps the second thread has made, and the rest on two threads.
  void finish(const BackwardSource& g) {
    const int64_t last = next_;
    for (int64_t k = last; k >= 0; --k) runningMinima(g, k);
    next_ = -1;
    if (last < 0) return;
    // Every remaining pulse reads only values the source holds shifted to the true ones.
    const int64_t ready = std::min(speculated_, last + 1);
    for (int64_t k = 0; k < ready; ++k) {
      const Value jumps = jumps_[k] >= C::kInfinity ? C::kInfinity : jumps_[k] + g.shift;
      margins_[static_cast<size_t>(k)] = marginFrom(std::min(restOf(k), jumps));
    }
    auto part = [&](int64_t from, int64_t to) {
      JumpScratch scratch;
      DescendingStream<Value> ahead;
      AscendingStream<Value> aheadG;  // the stored backward values, 4 tmax deep
      for (int64_t k = from; k >= to; --k) {
        ahead.before(F_, positions_[static_cast<size_t>(k)], 4 * in_.tmax);
        const int64_t i = needsUpTo(k);
        aheadG.upTo(g.values, std::max<int64_t>(0, i - in_.tmax), std::min(top_, i + 4 * in_.tmax));
        margins_[static_cast<size_t>(k)] = marginOf(g, k, scratch);
      }
    };
    if (in_.threads < 2 || last - ready < 4096) {
      part(last, ready);
      return;
    }
    const int64_t half = ready + (last - ready) / 2;
    inParallel([&] { part(last, half + 1); }, [&] { part(half, ready); });
  }

 private:
  // The pass position of the last backward value pulse k needs.
  int64_t needsUpTo(int64_t k) const { return top_ - (positions_[static_cast<size_t>(k)] + h_ + 1); }

  // Below lastFloor no chain may end without a break, and the last set lies within the last
  // tmax positions: a range test there, none below.
  Value endCost(int64_t m) const {
    if (breaks_) return m >= lastFloor_ ? 0 : in_.breakCost;
    return m >= lastFloor_ && inRanges(in_.sets->last, m) ? 0 : C::kInfinity;
  }
  // Above firstCeiling no chain may start without a break; the first set lies below it.
  Value startCost(int64_t q) const {
    if (breaks_) return q <= firstCeiling_ ? 0 : in_.breakCost;
    return q <= firstCeiling_ && inRanges(in_.sets->first, q) ? 0 : C::kInfinity;
  }

  // Ascending sweeps over the forward values: the best answer ending before each zone (the
  // smallest value below lastFloor plus a break, the tail with its end costs), and with breaks
  // the smallest value up to p + h - tmax (where the breaks over the zone begin to matter).
  void sweepForward() {
    const int64_t lastFloor = lastFloor_;
    Value tailBest = C::kInfinity, low = C::kInfinity, plain = C::kInfinity;
    int64_t m = lastFloor, lowNext = 0, plainNext = 0;
    for (size_t k = 0; k < positions_.size(); ++k) {
      const int64_t p = positions_[k];
      for (; m <= p - h_ - 1; ++m) tailBest = std::min(tailBest, sum(F_[m], endCost(m)));
      before_[k] = tailBest;
      if (!breaks_) continue;
      const int64_t lowTo = std::min(p - h_ - 1, lastFloor - 1);
      for (; lowNext <= lowTo; ++lowNext) low = std::min(low, F_[lowNext]);
      before_[k] = std::min(before_[k], sum(lowTo < 0 ? C::kInfinity : low, in_.breakCost));
      const int64_t plainTo = std::min(p + h_ - in_.tmax, p - h_ - 1);
      for (; plainNext <= plainTo; ++plainNext) plain = std::min(plain, F_[plainNext]);
      prefixF_[k] = plainTo < 0 ? C::kInfinity : plain;
    }
  }

  // The running minima of the backward values up to pass position i: below headFrom (starts
  // after the first pulses' positions, with a break) and from there on with their start
  // costs.
  void advanceAfter(const BackwardSource& g, int64_t i) {
    // Without breaks only the starts within firstCeiling count.
    if (!breaks_) afterNext_ = std::max(afterNext_, std::min(headFrom_, i + 1));
    const int64_t lowTo = std::min(i, headFrom_ - 1);
    if (afterNext_ <= lowTo) {
      low_ = std::min(low_, lowestOf(g.values + (afterNext_ - g.base), lowTo - afterNext_ + 1) + g.shift);
      afterNext_ = lowTo + 1;
    }
    for (; afterNext_ <= i; ++afterNext_)
      head_ = std::min(head_, sum(g.at(afterNext_), startCost(top_ - afterNext_)));
  }
  void advancePlain(const BackwardSource& g, int64_t i) {
    if (plainNext_ > i) return;
    plain_ = std::min(plain_, lowestOf(g.values + (plainNext_ - g.base), i - plainNext_ + 1) + g.shift);
    plainNext_ = i + 1;
  }

  // The best answer starting after pulse k's zone, and with breaks the smallest backward value
  // from max(p + h + 1, p - h + tmax) on.
  void runningMinima(const BackwardSource& g, int64_t k) {
    const int64_t p = positions_[static_cast<size_t>(k)];
    advanceAfter(g, needsUpTo(k));
    after_[k] = head_;
    if (!breaks_) return;
    if (low_ < C::kInfinity) after_[k] = std::min(after_[k], sum(low_, in_.breakCost));
    const int64_t plainTo = top_ - std::max(p + h_ + 1, p - h_ + in_.tmax);
    advancePlain(g, plainTo);
    suffixG_[k] = plainTo < 0 ? C::kInfinity : plain_;
  }

  // Pulse k's margin from the sweeps and the jumps over its zone.
  double marginOf(const BackwardSource& g, int64_t k, JumpScratch& scratch) const {
    return marginFrom(std::min(restOf(k), jumpsOf(g, k, scratch)));
  }

  double marginFrom(Value best) const {
    return best >= C::kAccepted ? std::numeric_limits<double>::infinity()
                                : static_cast<double>(best - in_.criterion) / static_cast<double>(in_.energy);
  }

  // The best answer avoiding pulse k's zone that does not jump over it: ending before it,
  // starting after it, and with breaks breaking over it.
  Value restOf(int64_t k) const {
    const int64_t p = positions_[static_cast<size_t>(k)];
    Value best = std::min(before_[k], after_[k]);
    if (!breaks_) return best;
    best = std::min(best, in_.breakCost);
    const int64_t lastM = p - h_ - 1;
    Value localF = prefixF_[k];
    for (int64_t m = std::max<int64_t>(0, std::min(p + h_ - in_.tmax, lastM) + 1); m <= lastM; ++m)
      localF = std::min(localF, F_[m]);
    return std::min(best, sum(sum(localF, in_.breakCost), suffixG_[k]));
  }

  // The best answer jumping over pulse k's zone, from m <= p - h - 1 to q >= p + h + 1 within
  // tmin .. tmax, or with breaks over a longer gap to q within tmax of the zone; "no answer"
  // when there is none. Valid sums stay far below "no answer" whatever the source's shift.
  Value jumpsOf(const BackwardSource& g, int64_t k, JumpScratch& scratch) const {
    const int64_t p = positions_[static_cast<size_t>(k)];
    auto G = [&](int64_t q) { return g.at(top_ - q); };
    Value best = C::kInfinity;
    const int64_t lastM = p - h_ - 1;
    const int64_t firstQ = p + h_ + 1;
    const int64_t lastQ = std::min(top_, lastM + in_.tmax);
    if (lastM < 0 || firstQ > lastQ) return best;
    const Value* w = jumpWindowMinima(F_, lastM, firstQ, lastQ, in_.tmin, in_.tmax, scratch);
    auto take = [&](int64_t from, int64_t to) {
      if (from <= to)
        best = std::min(best, lowestSumAgainst(w + (from - firstQ), g.values + (top_ - from - g.base),
                                               g.shift, to - from + 1));
    };
    if (breaks_) {
      take(firstQ, lastQ);
      // A break from the best pulse up to q - tmax - 1 to q.
      Value localF = prefixF_[k];
      int64_t localTo = std::max<int64_t>(-1, std::min(p + h_ - in_.tmax, lastM));
      for (int64_t q = firstQ; q <= lastQ; ++q) {
        for (; localTo < q - in_.tmax - 1;) localF = std::min(localF, F_[++localTo]);
        if (q - in_.tmax - 1 >= 0) best = std::min(best, sum(sum(localF, in_.breakCost), G(q)));
      }
    } else {
      const std::vector<PositionRange>& later = in_.sets->later;
      auto j = std::partition_point(later.begin(), later.end(),
                                    [&](const PositionRange& r) { return r.last < firstQ; });
      for (; j != later.end() && j->first <= lastQ; ++j)
        take(std::max(j->first, firstQ), std::min(j->last, lastQ));
    }
    return best;
  }

  const MarginInput& in_;
  const Value* F_;
  const std::vector<int64_t>& positions_;
  std::vector<double>& margins_;
  const int64_t top_, h_;
  const bool breaks_;
  const int64_t lastFloor_;  // start positions from here on may be last
  const int64_t firstCeiling_;
  const int64_t headFrom_;  // pass positions from here on are starts within firstCeiling
  int64_t next_;            // the next pulse to take, from the last one down
  // Five values a pulse, in memory that is not cleared first (every entry is written before
  // it is read; unused entries without breaks are never read).
  UninitializedArray<Value> perPulse_;
  Value *before_ = nullptr, *prefixF_ = nullptr, *after_ = nullptr, *suffixG_ = nullptr, *jumps_ = nullptr;
  DescendingStream<Value> ahead_;  // the forward values below the pulses, 4 tmax deep
  int64_t speculated_ = 0;         // pulses 0 .. speculated_ - 1 have their jumps made by the second thread
  int64_t afterNext_ = 0, plainNext_ = 0;
  Value low_ = C::kInfinity, head_ = C::kInfinity, plain_ = C::kInfinity;
  JumpScratch scratch_;
};

}  // namespace

std::vector<double> pulseMargins(const MarginInput& in, const Value* forward,
                                 const std::vector<int64_t>& positions, const MarginScores& scores,
                                 Value* secondThread) {
  std::vector<double> margins(positions.size(), 0.0);
  if (positions.empty()) return margins;
  const int64_t top = in.size - in.n;
  MarginStream stream(in, forward, positions, margins);
  const std::vector<Piece> pieces = backwardPieces(in);
  ChainPassInput pass;
  pass.pieces = &pieces;
  pass.top = top;
  pass.tmin = in.tmin;
  pass.tmax = in.tmax;
  pass.breakCost = in.breakCost;
  pass.threads = secondThread != nullptr ? in.threads : 1;
  // Pass position i is start position top - i: the scores in forward order, reversed.
  pass.scores = [&](int64_t first, int64_t count, Value* out, ScoreRows& rows) {
    if (rows.order.size() < static_cast<size_t>(count)) rows.order.resize(static_cast<size_t>(count));
    scores(top - first - count + 1, count, rows.order.data(), rows);
    for (int64_t i = 0; i < count; ++i) out[i] = rows.order[static_cast<size_t>(count - 1 - i)];
  };
  pass.handOver = [&](const Value* values, int64_t base, int64_t, int64_t last) {
    stream.take(BackwardSource{values, base, 0}, last);
  };
  pass.handOverShifted = [&](const Value* values, int64_t, Value shift) {
    stream.finish(BackwardSource{values, 0, shift});
  };
  pass.idle = [&](const Value* values, int64_t from, const std::atomic<bool>& stop) {
    stream.speculate(values, from, stop);
  };
  runChainPass(pass, secondThread, nullptr);
  return margins;
}
