#include "processing/pulse_margins.h"

#include <algorithm>
#include <deque>
#include <limits>
#include <utility>

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

// The smallest sum(a[i] + aShift, b[-i] + bShift) over i < count, or "no answer" (an a[i] of
// "no answer" stays one whatever aShift).
DETECTION_VECTOR_CLONES
Value lowestSumAgainst(const Value* a, Value aShift, const Value* b, Value bShift, int64_t count) {
  Value m = C::kInfinity;
  for (int64_t i = 0; i < count; ++i) {
    const Value x = a[i], y = b[-i] + bShift;
    const Value s = x >= C::kAccepted || y >= C::kAccepted ? C::kInfinity : x + aShift + y;
    m = s < m ? s : m;
  }
  return m;
}

// Window minima of the jumps over one zone, reused from pulse to pulse.
struct JumpScratch {
  std::vector<Value> minima;
  std::vector<Value> forward;  // the forward values a zone's windows read, as read (KeptValues::at)
  std::vector<Value> tail;     // suffix minima of the forward values the last windows reach
  std::deque<int64_t> window;
};

// For every q of firstQ .. lastQ, the smallest forward value F[m - origin] over the admissible
// predecessors m of q before the zone: max(0, q - tmax) <= m <= min(q - tmin, lastM), or "no
// answer" when there is none. Reads positions max(0, firstQ - tmax) .. lastM. Returns minima
// indexed by q - firstQ.
//
// While q - tmin <= lastM the windows slide; when they are not wider apart than their width
// they share a core, and each is the core, a part left of it that shrinks and a part right of
// it that grows. Beyond that every window ends at lastM: a suffix minimum.
const Value* jumpWindowMinima(const Value* F, int64_t origin, int64_t lastM, int64_t firstQ, int64_t lastQ,
                              int64_t tmin, int64_t tmax, JumpScratch& s) {
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
      const Value core = lowestOf(F + (coreFirst - origin), coreLast - coreFirst + 1);
      Value left = C::kInfinity;
      int64_t x = coreFirst;
      for (int64_t q = slideTo; q >= slideFrom; --q) {
        for (; x > lo(q);) left = std::min(left, F[--x - origin]);
        w[q - firstQ] = std::min(core, left);
      }
      Value right = C::kInfinity;
      int64_t y = coreLast;
      for (int64_t q = slideFrom; q <= slideTo; ++q) {
        for (; y < q - tmin;) right = std::min(right, F[++y - origin]);
        w[q - firstQ] = std::min(w[q - firstQ], right);
      }
    } else {
      // Windows narrower than their spread: a queue of increasing values.
      std::deque<int64_t>& window = s.window;
      window.clear();
      int64_t pushed = lo(slideFrom);
      for (int64_t q = slideFrom; q <= slideTo; ++q) {
        for (; pushed <= q - tmin; ++pushed) {
          while (!window.empty() && F[window.back() - origin] >= F[pushed - origin]) window.pop_back();
          window.push_back(pushed);
        }
        while (window.front() < q - tmax) window.pop_front();
        w[q - firstQ] = F[window.front() - origin];
      }
    }
  }
  // Windows [max(0, q - tmax), lastM]: suffix minima of the forward values.
  const int64_t tailFrom = std::max(firstQ, slideTo + 1);
  if (tailFrom <= lastQ) {
    const int64_t lowest = std::max<int64_t>(0, tailFrom - tmax);
    const auto reach = static_cast<size_t>(lastM - lowest + 1);
    if (s.tail.size() < reach) s.tail.resize(reach);
    suffixMinimaOfValues(F + (lowest - origin), lastM - lowest + 1, s.tail.data());
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

// A value of the second thread's made true: the same constant added to every value keeps
// "no answer".
Value shifted(Value v, Value shift) { return v >= C::kAccepted ? C::kInfinity : v + shift; }

// Running minima of the backward values from a pass position on: with breaks the plain ones
// below headFrom (`low`) and of all (`plain`), and the ones with their start costs from
// headFrom on (`head`).
struct RunningMinima {
  int64_t afterNext = 0, plainNext = 0;  // the next positions they take
  Value low = C::kInfinity, head = C::kInfinity, plain = C::kInfinity;
};

// The margins, pulse by pulse as the backward values come, from the last pulse to the first.
// Pulse k needs the backward values up to pass position top - (p + h + 1) (its window of
// jumps lies in the tmax positions before) and three running minima of them up to there.
//
// On two threads the second one makes, from its own values, everything of the pulses whose
// jumps read only values from the middle on that needs them: their jumps, and the running
// minima from the end of the compared positions on. Where the threads agree, the first one
// adds the constant to those and finishes the remaining pulses with its own running minima up
// to there.
class MarginStream {
 public:
  MarginStream(const MarginInput& in, const KeptValues& forward, const std::vector<int64_t>& positions,
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
        headFrom_(std::max<int64_t>(0, top_ - std::max<int64_t>(-1, firstCeiling_))) {
    first_.next = static_cast<int64_t>(positions.size()) - 1;
    const auto count = static_cast<int64_t>(positions.size());
    const bool two = in.threads >= 2;
    perPulse_.resize((two ? 8 : 4) * count);
    Value* row = perPulse_.data();
    auto nextRow = [&] { return std::exchange(row, row + count); };
    before_ = nextRow();
    prefixF_ = nextRow();
    after_ = nextRow();
    suffixG_ = nextRow();
    if (two) {
      jumps_ = nextRow();
      sideAfter_ = nextRow();
      sidePlain_ = nextRow();
      localF_ = nextRow();
    }
    sweepForward();
  }

  // The backward values are known up to pass position last (and the tmax + 1 before the
  // positions this call has not seen): every pulse that needs no later one gets its margin.
  void take(const BackwardSource& g, int64_t last) {
    PulseWalk& w = first_;
    for (; w.next >= 0 && needsUpTo(w.next) <= last; --w.next) {
      const int64_t k = w.next;
      w.ahead.before(F_.value, positions_[static_cast<size_t>(k)], 4 * in_.tmax);
      runningMinima(w.minima, g, k, last, after_[k], suffixG_[k]);
      margins_[static_cast<size_t>(k)] =
          marginFrom(std::min(restOf(k, localFOf(k)), jumpsOf(g, k, w.scratch)));
    }
    // Later pulses need none of these again but the running minima (the plain one may still
    // be asked for up to tmax positions back).
    advanceAfter(w.minima, g, last);
    if (breaks_) advancePlain(w.minima, g, last - in_.tmax);
  }

  // On the second thread: its own values (by pass position), known up to last.
  void side(const BackwardSource& g, int64_t first, int64_t last) {
    PulseWalk& w = second_;
    if (w.next == kNotStarted) {
      // Its first values, from the middle on: pulses reading any value before are the first
      // thread's, and the running minima begin where the compared values end.
      // The last pulse with needsUpTo - tmax >= first: at p <= top - h - 1 - tmax - first.
      const int64_t highest = top_ - h_ - 1 - in_.tmax - first;
      w.next = std::upper_bound(positions_.begin(), positions_.end(), highest) - positions_.begin() - 1;
      w.minima.afterNext = w.minima.plainNext = comparedEnd(first, top_);
    }
    for (; w.next >= 0 && needsUpTo(w.next) <= last; --w.next) {
      const int64_t k = w.next;
      w.ahead.before(F_.value, positions_[static_cast<size_t>(k)], 4 * in_.tmax);
      runningMinima(w.minima, g, k, last, sideAfter_[k], sidePlain_[k]);
      jumps_[k] = jumpsOf(g, k, w.scratch);
      if (breaks_) localF_[k] = localFOf(k);
    }
    advanceAfter(w.minima, g, last);
    if (breaks_) advancePlain(w.minima, g, last - in_.tmax);
  }

  // On two threads, once the second thread is done: every remaining pulse, from the compared
  // values (shifted to the true ones) up to end - 1 and the second thread's work after.
  void finish(const BackwardSource& g, int64_t end) {
    for (; first_.next >= 0; --first_.next) {
      const int64_t k = first_.next;
      Value after = C::kInfinity, suffix = C::kInfinity;
      runningMinima(first_.minima, g, k, end - 1, after, suffix);
      after_[k] = std::min(after, shifted(sideAfter_[k], g.shift));
      if (breaks_) suffixG_[k] = std::min(suffix, shifted(sidePlain_[k], g.shift));
      margins_[static_cast<size_t>(k)] =
          marginFrom(std::min(restOf(k, breaks_ ? localF_[k] : C::kInfinity), shifted(jumps_[k], g.shift)));
    }
  }

 private:
  static constexpr int64_t kNotStarted = std::numeric_limits<int64_t>::min();

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
      for (; m <= p - h_ - 1; ++m) tailBest = std::min(tailBest, sum(F_.at(m), endCost(m)));
      before_[k] = tailBest;
      if (!breaks_) continue;
      const int64_t lowTo = std::min(p - h_ - 1, lastFloor - 1);
      for (; lowNext <= lowTo; ++lowNext) low = std::min(low, F_.at(lowNext));
      before_[k] = std::min(before_[k], sum(lowTo < 0 ? C::kInfinity : low, in_.breakCost));
      const int64_t plainTo = std::min(p + h_ - in_.tmax, p - h_ - 1);
      for (; plainNext <= plainTo; ++plainNext) plain = std::min(plain, F_.at(plainNext));
      prefixF_[k] = plainTo < 0 ? C::kInfinity : plain;
    }
  }

  // The running minima of the backward values up to pass position i: below headFrom (starts
  // after the first pulses' positions, with a break) and from there on with their start
  // costs.
  void advanceAfter(RunningMinima& r, const BackwardSource& g, int64_t i) const {
    // Without breaks only the starts within firstCeiling count.
    if (!breaks_) r.afterNext = std::max(r.afterNext, std::min(headFrom_, i + 1));
    const int64_t lowTo = std::min(i, headFrom_ - 1);
    if (r.afterNext <= lowTo) {
      r.low = std::min(r.low, lowestOf(g.values + (r.afterNext - g.base), lowTo - r.afterNext + 1) + g.shift);
      r.afterNext = lowTo + 1;
    }
    for (; r.afterNext <= i; ++r.afterNext)
      r.head = std::min(r.head, sum(g.at(r.afterNext), startCost(top_ - r.afterNext)));
  }
  void advancePlain(RunningMinima& r, const BackwardSource& g, int64_t i) const {
    if (r.plainNext > i) return;
    r.plain = std::min(r.plain, lowestOf(g.values + (r.plainNext - g.base), i - r.plainNext + 1) + g.shift);
    r.plainNext = i + 1;
  }

  // From running minima taken up to pulse k's bounds (at most `limit`): the best answer
  // starting after its zone, and with breaks the smallest backward value from max(p + h + 1,
  // p - h + tmax) on.
  void runningMinima(RunningMinima& r, const BackwardSource& g, int64_t k, int64_t limit, Value& after,
                     Value& suffix) const {
    const int64_t p = positions_[static_cast<size_t>(k)];
    advanceAfter(r, g, std::min(needsUpTo(k), limit));
    after = r.head;
    if (!breaks_) return;
    if (r.low < C::kInfinity) after = std::min(after, sum(r.low, in_.breakCost));
    const int64_t plainTo = top_ - std::max(p + h_ + 1, p - h_ + in_.tmax);
    advancePlain(r, g, std::min(plainTo, limit));
    suffix = plainTo < 0 ? C::kInfinity : r.plain;
  }

  double marginFrom(Value best) const {
    return best >= C::kAccepted ? std::numeric_limits<double>::infinity()
                                : static_cast<double>(best - in_.criterion) / static_cast<double>(in_.energy);
  }

  // With breaks, the smallest forward value up to p + h - tmax and on to the zone.
  Value localFOf(int64_t k) const {
    if (!breaks_) return C::kInfinity;
    const int64_t p = positions_[static_cast<size_t>(k)];
    const int64_t lastM = p - h_ - 1;
    Value localF = prefixF_[k];
    for (int64_t m = std::max<int64_t>(0, std::min(p + h_ - in_.tmax, lastM) + 1); m <= lastM; ++m)
      localF = std::min(localF, F_.at(m));
    return localF;
  }

  // The best answer avoiding pulse k's zone that does not jump over it: ending before it,
  // starting after it, and with breaks breaking over it.
  Value restOf(int64_t k, Value localF) const {
    Value best = std::min(before_[k], after_[k]);
    if (!breaks_) return best;
    best = std::min(best, in_.breakCost);
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
    // The windows read the forward values from reach to lastM: as stored below the shift's
    // start, less the shift throughout above it (added to the sums), shifted into a copy across it.
    const int64_t reach = std::max<int64_t>(0, firstQ - in_.tmax);
    const Value* F = F_.value;
    int64_t origin = 0;
    Value fShift = 0;
    if (reach >= F_.from) {
      fShift = F_.shift;
    } else if (lastM >= F_.from) {
      scratch.forward.resize(static_cast<size_t>(lastM - reach + 1));
      for (int64_t m = reach; m <= lastM; ++m) scratch.forward[static_cast<size_t>(m - reach)] = F_.at(m);
      F = scratch.forward.data();
      origin = reach;
    }
    const Value* w = jumpWindowMinima(F, origin, lastM, firstQ, lastQ, in_.tmin, in_.tmax, scratch);
    auto take = [&](int64_t from, int64_t to) {
      if (from <= to)
        best = std::min(best, lowestSumAgainst(w + (from - firstQ), fShift, g.values + (top_ - from - g.base),
                                               g.shift, to - from + 1));
    };
    if (breaks_) {
      take(firstQ, lastQ);
      // A break from the best pulse up to q - tmax - 1 to q.
      Value localF = prefixF_[k];
      int64_t localTo = std::max<int64_t>(-1, std::min(p + h_ - in_.tmax, lastM));
      for (int64_t q = firstQ; q <= lastQ; ++q) {
        for (; localTo < q - in_.tmax - 1;) localF = std::min(localF, F_.at(++localTo));
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
  const KeptValues F_;
  const std::vector<int64_t>& positions_;
  std::vector<double>& margins_;
  const int64_t top_, h_;
  const bool breaks_;
  const int64_t lastFloor_;  // start positions from here on may be last
  const int64_t firstCeiling_;
  const int64_t headFrom_;  // pass positions from here on are starts within firstCeiling
  // Four values a pulse (eight on two threads), in memory that is not cleared first (every
  // entry is written before it is read; unused entries without breaks are never read).
  UninitializedArray<Value> perPulse_;
  Value *before_ = nullptr, *prefixF_ = nullptr, *after_ = nullptr, *suffixG_ = nullptr;
  // The second thread's, unshifted: the jumps, the running minima and the local forward minimum.
  Value *jumps_ = nullptr, *sideAfter_ = nullptr, *sidePlain_ = nullptr, *localF_ = nullptr;
  // What one thread changes as it takes the pulses, from the last one down, on cache lines of
  // its own (the two threads take theirs at once): the first thread's and the second one's.
  struct alignas(64) PulseWalk {
    int64_t next = kNotStarted;     // the next pulse to take
    DescendingStream<Value> ahead;  // the forward values below the pulses, 4 tmax deep
    RunningMinima minima;
    JumpScratch scratch;
  };
  PulseWalk first_, second_;
};

}  // namespace

void pulseMargins(const MarginInput& in, const KeptValues& forward, const std::vector<int64_t>& positions,
                  const MarginScores& scores, std::vector<double>& margins) {
  if (margins.size() != positions.size()) fillAnswerRow(margins, positions.size(), 0.0);
  if (positions.empty()) return;
  const int64_t top = in.size - in.n;
  // The pulses' rows are mapped first: the side thread's processor wakes meanwhile.
  if (in.threads >= 2 && longEnoughToSplit(top)) wakeSideThread();
  MarginStream stream(in, forward, positions, margins);
  const std::vector<Piece> pieces = backwardPieces(in);
  ChainPassInput pass;
  pass.pieces = &pieces;
  pass.top = top;
  pass.tmin = in.tmin;
  pass.tmax = in.tmax;
  pass.breakCost = in.breakCost;
  pass.threads = in.threads;
  pass.firstShare = in.firstShare;
  // Pass position i is start position top - i: the scores in forward order, reversed.
  pass.scores = [&](int64_t first, int64_t count, Value* out, ScoreRows& rows) {
    if (rows.order.size() < static_cast<size_t>(count)) rows.order.resize(static_cast<size_t>(count));
    scores(top - first - count + 1, count, rows.order.data(), rows);
    for (int64_t i = 0; i < count; ++i) out[i] = rows.order[static_cast<size_t>(count - 1 - i)];
  };
  pass.handOver = [&](const Value* values, int64_t base, int64_t, int64_t last) {
    stream.take(BackwardSource{values, base, 0}, last);
  };
  pass.handOverShifted = [&](const Value* values, int64_t base, int64_t end, int64_t, Value shift) {
    stream.finish(BackwardSource{values, base, shift}, end);
  };
  pass.side = [&](const Value* values, int64_t base, int64_t first, int64_t last) {
    stream.side(BackwardSource{values, base, 0}, first, last);
  };
  runChainPass(pass, nullptr, nullptr);
}
