#pragma once
// The dynamic programming of the unknown-number solvers, written once for both worlds:
//
// - the workbench's own series: criteria are 32-bit two's-complement sums and "no value yet"
//   is 99,999,999 (WrappingCriteria);
// - a user's recording of any length: criteria are 64-bit sums that never wrap and "no value
//   yet" lies far beyond any chain (WideCriteria).
//
// One value per start position: the best chain whose last pulse starts there. Positions are
// walked in pieces of ascending position; a piece extends the smallest value of the window
// [p - tmax, p - tmin] below a starting value (the lowest position winning ties) by the
// piece's scores. The window minima come from blocks of the window's width w: a full window
// [a, a + w - 1] is the suffix of a's block and the prefix of the next one. Every position
// below p - tmin + 1 is final when p is reached (tmin >= 1), so a block's suffix minima are
// computed once, when first needed, and the prefix minima of the block holding the window's
// end grow with it. Only one block of suffix minima is alive at a time, so the working
// storage besides the values and links is 2 x w entries, whatever the length.
#include <algorithm>
#include <cstdint>
#include <limits>
#include <span>
#include <type_traits>
#include <vector>

#include "processing/minima_scans.h"
#include "processing/working_limits.h"

// A closed range of start positions.
struct PositionRange {
  int64_t first = 0;
  int64_t last = -1;
};

// Criteria of the workbench's own series.
struct WrappingCriteria {
  using Value = int32_t;
  using Link = int32_t;                         // a predecessor: a position or a mark
  static constexpr Value kInfinity = 99999999;  // "no value yet" and the later pulses' start
  static constexpr Value kAccepted = 9999999;   // a chain is accepted below this
  static Value add(Value a, Value b) { return wrapAdd(a, b); }
};

// Criteria of recordings of any length: 64-bit sums that never wrap. The callers check that
// the longest chain times the largest score magnitude stays below kAccepted (wideCriteriaFit),
// so a chain of real pulses always lies below kAccepted and anything built on kInfinity above.
struct WideCriteria {
  using Value = int64_t;
  using Link = int32_t;
  static constexpr Value kInfinity = int64_t{1} << 61;
  static constexpr Value kAccepted = int64_t{1} << 60;
  static Value add(Value a, Value b) { return a + b; }
};

// True when chains of at most maxPulses pulses, each scoring at most scoreBound in magnitude,
// keep every sum of the wide criteria exact and below kAccepted.
inline bool wideCriteriaFit(uint64_t maxPulses, uint64_t scoreBound) {
  return scoreBound == 0 || maxPulses <= (uint64_t{1} << 59) / scoreBound;
}

// Predecessor marks: the pulse starts a chain (-1 for a first-only position, -2 otherwise),
// and (-3) a position outside every role, never linked to.
constexpr int32_t kChainStartMark = -1;
constexpr int32_t kNoPredecessorMark = -2;
constexpr int32_t kOutsideMark = -3;

// a when take, else b, without a branch: the comparisons follow noisy data, and a compiler
// left to itself turns some of these selections into jumps that are mispredicted.
template <class T>
inline T pick(bool take, T a, T b) {
  using U = std::make_unsigned_t<T>;
  const U mask = U{0} - static_cast<U>(take);
  return static_cast<T>(static_cast<U>(b) ^ ((static_cast<U>(a) ^ static_cast<U>(b)) & mask));
}

// v held in a register: a value loaded whatever a later selection takes, so that the compiler
// cannot turn the selection into a branch around the load.
template <class T>
inline T loaded(T v) {
#if defined(__GNUC__)
  asm("" : "+r"(v));
#endif
  return v;
}

// The window minima of one role, fed piece by piece in ascending position.
template <class C>
class WindowExtension {
 public:
  using Value = typename C::Value;
  using Link = typename C::Link;

  // A fresh pass with windows [p - tmax, p - tmin] (tmin >= 1) and the given starting value.
  // Positions below floor do not exist for it: windows are cut there and the values below are
  // never read (a pass may start in the middle of a recording). May throw std::bad_alloc (2 x
  // (tmax - tmin + 1) entries).
  void begin(int64_t tmin, int64_t tmax, Value start, int64_t floor = 0) {
    floor_ = floor;
    origin_ = 0;
    tmin_ = tmin;
    tmax_ = tmax;
    w_ = tmax - tmin + 1;
    start_ = start;
    if (w_ > 0) {
      suffixMin_.resize(static_cast<size_t>(w_));
      suffixAt_.resize(static_cast<size_t>(w_));
    }
    suffixBlock_ = -1;
    prefixBlock_ = -1;
    prefixNext_ = 0;
    toBlock_ = 0;
    toBlockEnd_ = w_ - 1;
    fromBlock_ = 0;
    fromBlockEnd_ = w_ - 1;
    prefixMin_ = 0;
    prefixAt_ = -1;
    breaks_ = false;
    farNext_ = floor;
    farAt_ = -1;
    tracking_ = false;
  }

  // From the next piece on, chains may also start with the given value.
  void setStart(Value start) { start_ = start; }

  // From now on value[i] and link[i] hold position origin + i (a pass that keeps only its
  // latest positions moves them down and says so; every position the windows still reach,
  // the tmax + (tmax - tmin + 1) before the next one, must be kept).
  void setOrigin(int64_t origin) { origin_ = origin; }

  // Lets a chain break: a predecessor more than tmax before costs `cost` on top of its value.
  void allowBreaks(Value cost) {
    breaks_ = true;
    breakCost_ = cost;
  }

  // How close the choices between the starting value and the best predecessor came: d = start
  // - best predecessor's value at every position that has one; a chain starts anew where d
  // <= 0. Shifting every value by c keeps every choice when nearestAbove > c >= 0 or
  // nearestBelow <= c < 0.
  struct Closeness {
    Value nearestAbove = std::numeric_limits<Value>::max();  // the smallest d > 0
    Value nearestBelow = std::numeric_limits<Value>::min();  // the largest d <= 0
    void add(Value d) {
      if (d > 0)
        nearestAbove = d < nearestAbove ? d : nearestAbove;
      else
        nearestBelow = d > nearestBelow ? d : nearestBelow;
    }
    void add(const Closeness& o) {
      nearestAbove = o.nearestAbove < nearestAbove ? o.nearestAbove : nearestAbove;
      nearestBelow = o.nearestBelow > nearestBelow ? o.nearestBelow : nearestBelow;
    }
    bool keepsChoicesUnder(Value c) const { return c >= 0 ? nearestAbove > c : nearestBelow <= c; }
  };

  // From now on the choices are measured (takeCloseness hands them over and starts anew).
  void trackCloseness() {
    tracking_ = true;
    closeness_ = Closeness{};
  }
  Closeness takeCloseness() {
    const Closeness c = closeness_;
    closeness_ = Closeness{};
    return c;
  }

  // Positions first .. last, above every position of earlier pieces: value[p] = (window
  // minimum below the start, or the start) + score[p - first], link[p] = its position or -2
  // (link may be null: values only).
  void extend(Value* value, Link* link, int64_t first, int64_t last, const Value* score) {
    // A local copy: stores into value could otherwise be taken to change it.
    const int64_t origin = origin_;
    for (int64_t p = first; p <= last; ++p) {
      // Between block boundaries every position takes one new prefix entry, one suffix entry
      // and (with breaks) one new earlier position: those runs go without the bookkeeping.
      if (const int64_t run = steadyRun(p, last); run > 0) {
        steady(value, link, p, run, score + (p - first));
        p += run - 1;
        continue;
      }
      Value best = start_;
      int64_t at = kNoPredecessorMark;
      bool candidate = false;  // a predecessor exists
      Value nearest = 0;       // the best predecessor's value
      const int64_t to = p - tmin_;
      if (w_ > 0 && to >= floor_) {
        const int64_t from = p - tmax_ < floor_ ? floor_ : p - tmax_;
        while (to > toBlockEnd_) {
          ++toBlock_;
          toBlockEnd_ += w_;
        }
        while (from > fromBlockEnd_) {
          ++fromBlock_;
          fromBlockEnd_ += w_;
        }
        if (toBlock_ != prefixBlock_) {
          prefixBlock_ = toBlock_;
          prefixNext_ = std::max(floor_, toBlockEnd_ - w_ + 1);
          prefixMin_ = value[prefixNext_ - origin];
          prefixAt_ = prefixNext_;
          ++prefixNext_;
        }
        // Selections rather than branches: the comparisons follow noisy data.
        for (; prefixNext_ <= to; ++prefixNext_) {
          const Value v = value[prefixNext_ - origin];
          const bool take = v < prefixMin_;
          prefixMin_ = take ? v : prefixMin_;
          prefixAt_ = take ? prefixNext_ : prefixAt_;
        }
        Value windowMin = prefixMin_;
        int64_t windowAt = prefixAt_;
        // In one block the window starts at the block's start: the prefix is the window.
        if (fromBlock_ != toBlock_) {
          const int64_t blockFirst = fromBlockEnd_ - w_ + 1;
          if (fromBlock_ != suffixBlock_) {
            // Locals throughout: the stores below could otherwise be taken to change members.
            const int64_t blockLast = fromBlockEnd_, lowest = std::max(blockFirst, floor_);
            Value* suffixMin = suffixMin_.data();
            int64_t* suffixAt = suffixAt_.data();
            if constexpr (std::is_same_v<Value, int64_t>) {
              suffixMinima(value + (lowest - origin), blockLast - lowest + 1, lowest,
                           suffixMin + (lowest - blockFirst), suffixAt + (lowest - blockFirst));
            } else {
              const Value* v = value;
              Value runMin = v[blockLast - origin];
              int64_t runAt = blockLast;
              for (int64_t m = blockLast; m >= lowest; --m) {
                const Value x = v[m - origin];
                const bool take = x <= runMin;
                runMin = pick(take, x, runMin);
                runAt = pick(take, m, runAt);
                suffixMin[m - blockFirst] = runMin;
                suffixAt[m - blockFirst] = runAt;
              }
            }
            suffixBlock_ = fromBlock_;
          }
          const size_t k = static_cast<size_t>(from - blockFirst);
          const bool take = suffixMin_[k] <= windowMin;
          windowAt = pick(take, suffixAt_[k], windowAt);
          windowMin = pick(take, suffixMin_[k], windowMin);
        }
        const bool below = windowMin < best;
        at = below ? windowAt : at;
        best = below ? windowMin : best;
        candidate = true;
        nearest = windowMin;
      }
      if (breaks_) {
        // The smallest value up to p - tmax - 1, the lowest position winning ties.
        for (; farNext_ <= p - tmax_ - 1; ++farNext_) {
          if (farAt_ < 0 || value[farNext_ - origin] < farMin_) {
            farMin_ = value[farNext_ - origin];
            farAt_ = farNext_;
          }
        }
        if (farAt_ >= 0) {
          const Value viaBreak = C::add(farMin_, breakCost_);
          if (viaBreak < best) {
            best = viaBreak;
            at = farAt_;
          }
          nearest = candidate && nearest < viaBreak ? nearest : viaBreak;
          candidate = true;
        }
      }
      if (tracking_ && candidate) closeness_.add(start_ - nearest);
      value[p - origin] = C::add(best, score[p - first]);
      if (link != nullptr) link[p - origin] = static_cast<Link>(at);
    }
  }

 private:
  // How many positions from p on (at most up to last) are steady: the window [p - tmax, p -
  // tmin] lies past position 0, its ends stay in the blocks of the previous position, the
  // prefix minima reach up to p - tmin - 1, the suffix minima of the window's first block are
  // made, and with breaks every position up to p - tmax - 2 is in the running minimum.
  int64_t steadyRun(int64_t p, int64_t last) const {
    const int64_t to = p - tmin_, from = p - tmax_;
    if (w_ <= 0 || from < floor_ + 1 || prefixBlock_ != toBlock_ || prefixNext_ != to) return 0;
    if (to > toBlockEnd_ || to < toBlockEnd_ - w_ + 1 || from > fromBlockEnd_ ||
        from < fromBlockEnd_ - w_ + 1)
      return 0;
    if (fromBlock_ != toBlock_ && suffixBlock_ != fromBlock_) return 0;
    if (breaks_ && (farNext_ != from - 1 || farAt_ < 0)) return 0;
    return std::min({last - p + 1, toBlockEnd_ - to + 1, fromBlockEnd_ - from + 1});
  }

  void steady(Value* value, Link* link, int64_t p, int64_t run, const Value* score) {
    if (tracking_)
      steadyWith<true>(value, link, p, run, score);
    else
      steadyWith<false>(value, link, p, run, score);
  }

  template <bool kTrack>
  void steadyWith(Value* value, Link* link, int64_t p, int64_t run, const Value* score) {
    const bool split = fromBlock_ != toBlock_;
    if (link == nullptr) {
      if (split)
        breaks_ ? steadyOf<true, true, false, kTrack>(value, link, p, run, score)
                : steadyOf<true, false, false, kTrack>(value, link, p, run, score);
      else
        breaks_ ? steadyOf<false, true, false, kTrack>(value, link, p, run, score)
                : steadyOf<false, false, false, kTrack>(value, link, p, run, score);
    } else {
      if (split)
        breaks_ ? steadyOf<true, true, true, kTrack>(value, link, p, run, score)
                : steadyOf<true, false, true, kTrack>(value, link, p, run, score);
      else
        breaks_ ? steadyOf<false, true, true, kTrack>(value, link, p, run, score)
                : steadyOf<false, false, true, kTrack>(value, link, p, run, score);
    }
  }

  // The steady positions first .. first + run - 1: the same comparisons as the general step.
  // Everything the loop reads of the members is copied first: its stores into value could
  // otherwise be taken to change them.
  template <bool kSplit, bool kBreaks, bool kLinks, bool kTrack>
  void steadyOf(Value* value, Link* link, int64_t first, int64_t run, const Value* score) {
    const int64_t origin = origin_, tmin = tmin_, tmax = tmax_;
    const Value* suffixMin = suffixMin_.data();
    const int64_t* suffixAt = suffixAt_.data();
    const Value breakCost = breakCost_;
    Closeness closeness = closeness_;
    Value prefixMin = prefixMin_;
    int64_t prefixAt = prefixAt_;
    Value farMin = farMin_;
    int64_t farAt = farAt_;
    const Value start = start_;
    const int64_t blockFirst = fromBlockEnd_ - w_ + 1;
    int64_t i = 0;
    if constexpr (!kBreaks && !kLinks && std::is_same_v<Value, int64_t>) {
      // Values only: eight positions at a time where the processor can (the positions of the
      // minima are not kept, a pass without links never reads them).
      i = steadyWindowValues(
          value + (first - tmin - origin), kSplit ? suffixMin + (first - tmax - blockFirst) : nullptr, score,
          value + (first - origin), run, tmin, start, prefixMin, kTrack ? &closeness.nearestAbove : nullptr,
          kTrack ? &closeness.nearestBelow : nullptr);
    }
    for (; i < run; ++i) {
      const int64_t p = first + i;
      const int64_t to = p - tmin;
      const Value v = value[to - origin];
      const bool takeV = v < prefixMin;
      prefixMin = pick(takeV, v, prefixMin);
      prefixAt = pick(takeV, to, prefixAt);
      Value windowMin = prefixMin;
      int64_t windowAt = prefixAt;
      if constexpr (kSplit) {
        const auto k = static_cast<size_t>(p - tmax - blockFirst);
        const Value sMin = suffixMin[k];
        const int64_t sAt = loaded(suffixAt[k]);
        const bool take = sMin <= windowMin;
        windowAt = pick(take, sAt, windowAt);
        windowMin = pick(take, sMin, windowMin);
      }
      const bool below = windowMin < start;
      Value best = pick(below, windowMin, start);
      int64_t at = pick(below, windowAt, int64_t{kNoPredecessorMark});
      Value nearest = windowMin;
      if constexpr (kBreaks) {
        const int64_t x = p - tmax - 1;
        const Value far = value[x - origin];
        const bool takeF = far < farMin;
        farMin = pick(takeF, far, farMin);
        farAt = pick(takeF, x, farAt);
        const Value viaBreak = C::add(farMin, breakCost);
        const bool broken = viaBreak < best;
        best = pick(broken, viaBreak, best);
        at = pick(broken, farAt, at);
        nearest = pick(viaBreak < nearest, viaBreak, nearest);
      }
      if constexpr (kTrack) closeness.add(start - nearest);
      value[p - origin] = C::add(best, score[i]);
      if constexpr (kLinks) link[p - origin] = static_cast<Link>(at);
    }
    const int64_t last = first + run - 1;
    closeness_ = closeness;
    prefixMin_ = prefixMin;
    prefixAt_ = prefixAt;
    prefixNext_ = last - tmin_ + 1;
    if constexpr (kBreaks) {
      farMin_ = farMin;
      farAt_ = farAt;
      farNext_ = last - tmax_;
    }
  }

  int64_t floor_ = 0;
  int64_t origin_ = 0;
  int64_t tmin_ = 1, tmax_ = 0, w_ = 0;
  Value start_ = 0;
  std::vector<Value> suffixMin_;
  std::vector<int64_t> suffixAt_;
  int64_t suffixBlock_ = -1, prefixBlock_ = -1, prefixNext_ = 0;
  int64_t toBlock_ = 0, toBlockEnd_ = 0, fromBlock_ = 0, fromBlockEnd_ = 0;
  Value prefixMin_ = 0;
  int64_t prefixAt_ = -1;
  bool breaks_ = false;
  Value breakCost_ = 0;
  int64_t farNext_ = 0;
  Value farMin_ = 0;
  int64_t farAt_ = -1;
  bool tracking_ = false;
  Closeness closeness_;
};

// Positions that can only start a chain: their value is their score, their link -1.
template <class C>
void startChains(typename C::Value* value, typename C::Link* link, int64_t first, int64_t last,
                 const typename C::Value* score) {
  for (int64_t p = first; p <= last; ++p) {
    value[p] = score[p - first];
    link[p] = kChainStartMark;
  }
}

// The lowest position of the ranges (within size positions) with the smallest value below
// start, the value of position p being valueAt(p); false when none.
template <class C, class ValueAt>
bool pickLowestEndOf(const ValueAt& valueAt, int64_t size, std::span<const PositionRange> ranges,
                     typename C::Value start, int64_t& position, typename C::Value& found) {
  typename C::Value best = start;
  int64_t at = -1;
  for (const PositionRange& r : ranges)
    for (int64_t p = r.first < 0 ? 0 : r.first; p <= r.last && p < size; ++p)
      if (const typename C::Value v = valueAt(p); v < best) {
        best = v;
        at = p;
      }
  if (at < 0) return false;
  position = at;
  found = best;
  return true;
}

// The same over value[p].
template <class C>
bool pickLowestEnd(const typename C::Value* value, int64_t size, std::span<const PositionRange> ranges,
                   typename C::Value start, int64_t& position, typename C::Value& found) {
  return pickLowestEndOf<C>([value](int64_t p) { return value[p]; }, size, ranges, start, position, found);
}

// Follows the links from `end` while they name a position (below size): the number of
// pulses, and when positions is not null their positions first to last.
template <class C>
uint64_t traceLinks(const typename C::Link* link, int64_t size, int64_t end, int64_t* positions) {
  auto linked = [size](int64_t p) { return p >= 0 && p < size; };
  uint64_t count = 0;
  for (int64_t p = end; linked(p); p = link[p]) ++count;
  if (positions != nullptr) {
    uint64_t k = count;
    for (int64_t p = end; linked(p); p = link[p]) positions[--k] = p;
  }
  return count;
}
