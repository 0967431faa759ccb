#include "processing/chain_pass.h"

#include <algorithm>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <system_error>
#include <thread>

#include "processing/chain_kernel.h"
#include "processing/side_thread.h"

namespace {

using C = WideCriteria;
using Value = C::Value;
using Link = C::Link;
using Kernel = WindowExtension<C>;
using Closeness = Kernel::Closeness;

// One thread's walk over the pieces, chunk by chunk, from its floor on.
class Walker {
 public:
  // warmUntil: below it positions that may only continue a chain may also start one at no
  // cost (a walk that begins in the middle); from it on, with `measure`, the closeness of the
  // choices is kept chunk by chunk.
  Walker(const ChainPassInput& in, Value* value, Link* link, int64_t floor, int64_t warmUntil, bool measure)
      : in_(in), value_(value), link_(link), marked_(floor), warmUntil_(warmUntil), measure_(measure) {
    started_.begin(in.tmin, in.tmax, 0, floor);
    continued_.begin(in.tmin, in.tmax, C::kInfinity, floor);
    if (in.breakCost >= 0) {
      started_.allowBreaks(in.breakCost);
      continued_.allowBreaks(in.breakCost);
    }
    const std::vector<Piece>& pieces = *in.pieces;
    while (next_ < pieces.size() && pieces[next_].range.last < floor) ++next_;
    score_.resize(static_cast<size_t>(std::min(kPassChunk, in.top + 1)));
  }

  // Positions c0 .. c1, all of one chunk.
  void chunk(int64_t c0, int64_t c1) {
    in_.scores(c0, c1 - c0 + 1, score_.data(), rows_);
    const std::vector<Piece>& pieces = *in_.pieces;
    while (next_ < pieces.size() && pieces[next_].range.first <= c1) {
      const Piece& piece = pieces[next_];
      const int64_t a = std::max(piece.range.first, c0);
      const int64_t b = std::min(piece.range.last, c1);
      markUpTo(a);
      marked_ = std::max(marked_, b + 1);
      const int64_t warmLast = std::min(b, warmUntil_ - 1);
      if (a <= warmLast) run(piece, a, warmLast, c0, true);
      const int64_t rest = std::max(a, warmUntil_);
      if (rest <= b) {
        if (measure_ && !measuring_) {
          started_.trackCloseness();
          continued_.trackCloseness();
          measuring_ = true;
        }
        run(piece, rest, b, c0, false);
      }
      if (piece.range.last > c1) break;
      ++next_;
    }
    if (next_ == pieces.size() || pieces[next_].range.first > c1) markUpTo(c1 + 1);
  }

  // The closeness of the choices made since the last call.
  Closeness takeCloseness() {
    Closeness c = started_.takeCloseness();
    c.add(continued_.takeCloseness());
    return c;
  }

 private:
  void run(const Piece& piece, int64_t a, int64_t b, int64_t c0, bool warm) {
    const Value* s = score_.data() + (a - c0);
    switch (piece.role) {
      case PieceRole::kStartsOnly:
        for (int64_t p = a; p <= b; ++p) {
          value_[p] = s[p - a];
          if (link_ != nullptr) link_[p] = kChainStartMark;
        }
        break;
      case PieceRole::kStartsOrContinues:
        started_.setStart(piece.start);
        started_.extend(value_, link_, a, b, s);
        break;
      case PieceRole::kContinuesOnly:
        if (warm) {
          started_.setStart(0);
          started_.extend(value_, link_, a, b, s);
        } else {
          continued_.extend(value_, link_, a, b, s);
        }
        break;
    }
  }

  void markUpTo(int64_t end) {
    if (end <= marked_) return;
    std::fill(value_ + marked_, value_ + end, C::kInfinity);
    if (link_ != nullptr) std::fill(link_ + marked_, link_ + end, kOutsideMark);
    marked_ = end;
  }

  const ChainPassInput& in_;
  Value* value_;
  Link* link_;
  Kernel started_, continued_;
  std::vector<Value> score_;
  ScoreRows rows_;
  size_t next_ = 0;
  int64_t marked_;
  int64_t warmUntil_;
  bool measure_;
  bool measuring_ = false;
};

void walkAll(const ChainPassInput& in, Value* value, Link* link) {
  Walker walker(in, value, link, 0, 0, false);
  for (int64_t c0 = 0; c0 <= in.top; c0 += kPassChunk)
    walker.chunk(c0, std::min(in.top, c0 + kPassChunk - 1));
}

// Where the second thread may begin, or -1: a chunk boundary in the middle, with every
// position from there on in a piece whose values move with a shift of all earlier ones (no
// gaps, no positions that only start chains), and room for the stretches to meet.
int64_t middleOf(const ChainPassInput& in) {
  if (in.threads < 2 || in.tmax > kPassChunk / 4 || in.top + 1 < 8 * kPassChunk) return -1;
  const int64_t chunks = (in.top + kPassChunk) / kPassChunk;
  const int64_t middle = chunks / 2 * kPassChunk;
  int64_t covered = middle;
  for (const Piece& piece : *in.pieces) {
    if (piece.range.last < middle) continue;
    if (piece.role == PieceRole::kStartsOnly || piece.range.first > covered) return -1;
    covered = piece.range.last + 1;
  }
  return covered > in.top ? middle : -1;
}

// What the second thread has done, shared with the first.
struct Progress {
  std::mutex mutex;
  std::condition_variable changed;
  int64_t doneBelow = 0;  // positions below are final
  bool finished = false;
  bool failed = false;
  std::vector<Closeness> closeness;  // per chunk from the middle on

  void waitFor(int64_t position) {
    std::unique_lock<std::mutex> lock(mutex);
    changed.wait(lock, [&] { return finished || doneBelow >= position; });
  }
};

// The first thread's comparison of its true values with the second thread's, position by
// position from the middle on.
class Agreement {
 public:
  Agreement(const ChainPassInput& in, const Value* value, int64_t middle) : in_(in), middle_(middle) {
    if (in.breakCost >= 0)
      for (int64_t p = 0; p < middle; ++p) trueMin_ = std::min(trueMin_, value[p]);
  }

  // Position p: its true value and link, and the second thread's.
  void add(int64_t p, Value truth, Link trueLink, Value guess, Link guessLink) {
    const Value shift = truth - guess;
    if (trueLink != guessLink) {
      runStart_ = -1;
    } else if (runStart_ < 0 || shift != shift_) {
      runStart_ = p;
      shift_ = shift;
      trueMinBefore_ = trueMin_;
      guessMinBefore_ = guessMin_;
    }
    trueMin_ = std::min(trueMin_, truth);
    guessMin_ = std::min(guessMin_, guess);
  }

  // Whether every position after `last` takes the second thread's value plus shift() and its
  // link, given the closeness of its later choices.
  bool holdsAfter(int64_t last, const Value* value, const Closeness& later) const {
    if (runStart_ < 0 || last - runStart_ < in_.tmax) return false;
    if (in_.breakCost >= 0) {
      // The smallest value behind the next windows lies in the stretch, for both threads.
      Value stretchMin = C::kInfinity;
      for (int64_t p = runStart_; p <= last - in_.tmax; ++p) stretchMin = std::min(stretchMin, value[p]);
      if (!(stretchMin < trueMinBefore_) || !(stretchMin - shift_ < guessMinBefore_)) return false;
    }
    return later.keepsChoicesUnder(shift_);
  }

  Value shift() const { return shift_; }

 private:
  const ChainPassInput& in_;
  int64_t middle_;
  int64_t runStart_ = -1;
  Value shift_ = 0;
  Value trueMin_ = C::kInfinity, guessMin_ = C::kInfinity;
  Value trueMinBefore_ = C::kInfinity, guessMinBefore_ = C::kInfinity;
};

// Adds shift to value[first .. last], on two threads when there is much to add.
void addShift(Value* value, int64_t first, int64_t last, Value shift) {
  auto add = [=](int64_t a, int64_t b) {
    for (int64_t p = a; p <= b; ++p) value[p] += shift;
  };
  if (last - first < 4 * kPassChunk) {
    add(first, last);
    return;
  }
  const int64_t half = first + (last - first) / 2;
  inParallel([&] { add(first, half); }, [&] { add(half + 1, last); });
}

void walkTwoThreads(const ChainPassInput& in, Value* value, Link* link, int64_t middle) {
  Progress progress;
  progress.doneBelow = middle;
  std::thread second;
  try {
    second = std::thread([&] {
      try {
        Walker guess(in, value, link, middle, middle + in.tmax, true);
        for (int64_t c0 = middle; c0 <= in.top; c0 += kPassChunk) {
          const int64_t c1 = std::min(in.top, c0 + kPassChunk - 1);
          guess.chunk(c0, c1);
          const Closeness c = guess.takeCloseness();
          std::lock_guard<std::mutex> lock(progress.mutex);
          progress.closeness.push_back(c);
          progress.doneBelow = c1 + 1;
          progress.changed.notify_all();
        }
      } catch (...) {
        std::lock_guard<std::mutex> lock(progress.mutex);
        progress.failed = true;
      }
      std::lock_guard<std::mutex> lock(progress.mutex);
      progress.finished = true;
      progress.changed.notify_all();
    });
  } catch (const std::system_error&) {
    // No second thread: the one thread's walk.
    walkAll(in, value, link);
    return;
  }
  try {
    Walker truth(in, value, link, 0, 0, false);
    for (int64_t c0 = 0; c0 < middle; c0 += kPassChunk) truth.chunk(c0, c0 + kPassChunk - 1);
    Agreement agreement(in, value, middle);
    std::vector<Value> guessValue(static_cast<size_t>(kPassChunk));
    std::vector<Link> guessLink(static_cast<size_t>(kPassChunk), kOutsideMark);
    bool agreed = false;
    for (int64_t c0 = middle; c0 <= in.top && !agreed; c0 += kPassChunk) {
      const int64_t c1 = std::min(in.top, c0 + kPassChunk - 1);
      // The second thread reads up to 2 tmax + 1 positions back: it must be past them.
      progress.waitFor(std::min(in.top + 1, c1 + 2 * in.tmax + 2));
      const auto count = static_cast<size_t>(c1 - c0 + 1);
      std::copy(value + c0, value + c1 + 1, guessValue.begin());
      if (link != nullptr) std::copy(link + c0, link + c1 + 1, guessLink.begin());
      truth.chunk(c0, c1);
      for (size_t i = 0; i < count; ++i) {
        const int64_t p = c0 + static_cast<int64_t>(i);
        agreement.add(p, value[p], link != nullptr ? link[p] : kOutsideMark, guessValue[i], guessLink[i]);
      }
      if (c1 == in.top) break;
      progress.waitFor(in.top + 1);
      Closeness later;
      {
        std::lock_guard<std::mutex> lock(progress.mutex);
        if (progress.failed) continue;
        for (size_t k = static_cast<size_t>((c1 + 1 - middle) / kPassChunk); k < progress.closeness.size();
             ++k)
          later.add(progress.closeness[k]);
      }
      if (agreement.holdsAfter(c1, value, later)) {
        addShift(value, c1 + 1, in.top, agreement.shift());
        agreed = true;
      }
    }
  } catch (...) {
    second.join();
    throw;
  }
  second.join();
}

}  // namespace

void runChainPass(const ChainPassInput& in, int64_t* value, int32_t* link) {
  if (in.top < 0) return;
  const int64_t middle = middleOf(in);
  if (middle < 0) {
    walkAll(in, value, link);
    return;
  }
  walkTwoThreads(in, value, link, middle);
}
