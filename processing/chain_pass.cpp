#include "processing/chain_pass.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <exception>
#include <functional>
#include <mutex>
#include <type_traits>
#include <utility>
#include <vector>

#include "processing/chain_kernel.h"
#include "processing/huge_pages.h"
#include "processing/processor_speeds.h"
#include "processing/side_thread.h"

namespace {

using C = WideCriteria;
using Value = C::Value;
using Link = C::Link;
using Kernel = WindowExtension<C>;
using Closeness = Kernel::Closeness;

// The working rows of a walk: its latest values (when it keeps only those), its scores and
// the matching step's rows. A thread keeps two sets from walk to walk, up to kKeptRows values
// each, one for the walks it runs itself and one it lends to the side thread for its part of
// a pass: first touches of fresh memory are most of what a short recording costs, and on a
// long one they made the side thread's part a few percent slower.
struct WalkRows {
  std::vector<Value> buffer;
  std::vector<Value> compared;  // the second thread's first values, for the first one
  std::vector<Link> comparedLinks;
  std::vector<Value> score;
  ScoreRows rows;
  bool inUse = false;
};

constexpr size_t kKeptRows = size_t{1} << 20;

// Makes a row at least `size` values long.
void grow(std::vector<Value>& row, int64_t size) {
  if (row.size() < static_cast<size_t>(size)) row.resize(static_cast<size_t>(size));
}

// A walk's rows: a set the constructing thread keeps, or rows of its own when other walks
// of the thread have both sets. They may be used on another thread while this one waits.
// The kept ones are given back when the walk ends (or its start throws), any row too large
// to keep released.
class RowsOfWalk {
 public:
  RowsOfWalk() {
    thread_local WalkRows kept[2];
    for (WalkRows& set : kept)
      if (!set.inUse) {
        set.inUse = true;
        rows_ = &set;
        return;
      }
  }
  ~RowsOfWalk() {
    if (rows_ == &own_) return;
    auto trim = [](auto& row) {
      if (row.capacity() > kKeptRows) std::decay_t<decltype(row)>().swap(row);
    };
    trim(rows_->buffer);
    trim(rows_->compared);
    trim(rows_->comparedLinks);
    trim(rows_->score);
    trim(rows_->rows.narrow);
    trim(rows_->rows.wide);
    trim(rows_->rows.order);
    rows_->inUse = false;
  }
  RowsOfWalk(const RowsOfWalk&) = delete;
  RowsOfWalk& operator=(const RowsOfWalk&) = delete;
  WalkRows* operator->() { return rows_; }

 private:
  WalkRows own_;
  WalkRows* rows_ = &own_;
};

// One thread's walk over the pieces, chunk by chunk, from its floor on.
class Walker {
 public:
  // warmUntil: below it positions that may only continue a chain may also start one at no
  // cost (a walk that begins in the middle); from it on, with `measure`, the closeness of the
  // choices is kept chunk by chunk. value null: the walk keeps only its latest values, in a
  // buffer of its own (values()). The rows must outlive the walker.
  Walker(const ChainPassInput& in, Value* value, Link* link, int64_t floor, int64_t warmUntil, bool measure,
         RowsOfWalk& rows)
      : in_(in),
        value_(value),
        link_(link),
        rows_(rows),
        marked_(floor),
        warmUntil_(warmUntil),
        measure_(measure) {
    if (value_ == nullptr) {
      // The windows reach tmax + (tmax - tmin + 1) positions back; the readers of the values
      // as far again.
      keep_ = 2 * in.tmax + 2;
      bufferSize_ = kPassChunk + keep_;
      grow(rows_->buffer, bufferSize_);
      value_ = rows_->buffer.data();
      base_ = floor;
    }
    started_.begin(in.tmin, in.tmax, 0, floor);
    continued_.begin(in.tmin, in.tmax, C::kInfinity, floor);
    started_.setOrigin(base_);
    continued_.setOrigin(base_);
    if (in.breakCost >= 0) {
      started_.allowBreaks(in.breakCost);
      continued_.allowBreaks(in.breakCost);
    }
    const std::vector<Piece>& pieces = *in.pieces;
    while (next_ < pieces.size() && pieces[next_].range.last < floor) ++next_;
    grow(rows_->score, std::min(kPassChunk, in.top + 1));
  }

  // Positions c0 .. c1, all of one chunk.
  void chunk(int64_t c0, int64_t c1) {
    if (bufferSize_ > 0 && c1 - base_ >= bufferSize_) slide(c0);
    in_.scores(c0, c1 - c0 + 1, rows_->score.data(), rows_->rows);
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

  // Where the values are: position p at values()[p - base()].
  const Value* values() const { return value_; }
  int64_t base() const { return base_; }

  // The closeness of the choices made since the last call.
  Closeness takeCloseness() {
    Closeness c = started_.takeCloseness();
    c.add(continued_.takeCloseness());
    return c;
  }

 private:
  void run(const Piece& piece, int64_t a, int64_t b, int64_t c0, bool warm) {
    const Value* s = rows_->score.data() + (a - c0);
    switch (piece.role) {
      case PieceRole::kStartsOnly:
        for (int64_t p = a; p <= b; ++p) {
          value_[p - base_] = s[p - a];
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
    std::fill(value_ + (marked_ - base_), value_ + (end - base_), C::kInfinity);
    if (link_ != nullptr) std::fill(link_ + marked_, link_ + end, kOutsideMark);
    marked_ = end;
  }

  // Moves the kept positions before c0 to the buffer's start.
  void slide(int64_t c0) {
    const int64_t from = std::max(base_, c0 - keep_);
    std::copy(value_ + (from - base_), value_ + (c0 - base_), value_);
    base_ = from;
    started_.setOrigin(base_);
    continued_.setOrigin(base_);
  }

  const ChainPassInput& in_;
  Value* value_;
  Link* link_;
  RowsOfWalk& rows_;
  int64_t bufferSize_ = 0;  // keeping only the latest values: the positions the buffer holds
  int64_t base_ = 0;
  int64_t keep_ = 0;
  Kernel started_, continued_;
  size_t next_ = 0;
  int64_t marked_;
  int64_t warmUntil_;
  bool measure_;
  bool measuring_ = false;
};

void walkAll(const ChainPassInput& in, Value* value, Link* link) {
  const bool streaming = static_cast<bool>(in.handOver);
  RowsOfWalk rows;
  Walker walker(in, streaming ? nullptr : value, link, 0, 0, false, rows);
  for (int64_t c0 = 0; c0 <= in.top; c0 += kPassChunk) {
    const int64_t c1 = std::min(in.top, c0 + kPassChunk - 1);
    walker.chunk(c0, c1);
    if (streaming) in.handOver(walker.values(), walker.base(), c0, c1);
  }
}

// Whether the second thread may begin at middle: every position from there on in a piece whose
// values move with a shift of all earlier ones (no gaps, no positions that only start chains).
bool mayBeginAt(const ChainPassInput& in, int64_t middle) {
  int64_t covered = middle;
  for (const Piece& piece : *in.pieces) {
    if (piece.range.last < middle) continue;
    if (piece.role == PieceRole::kStartsOnly || piece.range.first > covered) return false;
    covered = piece.range.last + 1;
  }
  return covered > in.top;
}

// What a pass's threads do, for the rates of their processors.
SplitWork workOf(const ChainPassInput& in) {
  return in.handOver ? SplitWork::kValuesHandedOver : SplitWork::kValuesKept;
}

// Whether the side thread runs the first part of a pass (and the calling thread the second
// one): when the pass keeps its values. The values of the recording's start are then written
// by the processor that reads them later, as the walk down the chain and the margins' pass
// (which runs backwards over the recording) leave the start to the side thread: what another
// processor wrote lately, still in its cache, costs up to twice as much to read or write.
bool firstPartOnSide(const ChainPassInput& in) { return !in.handOver; }

// The first part's share of the positions: the first thread's as asked, else from the rates
// of the processors the parts run on.
double firstPartShare(const ChainPassInput& in) {
  return firstPartOnSide(in) ? sideShare(in.firstShare, workOf(in)) : callerShare(in.firstShare, workOf(in));
}

// A 2 MB page of the values is cleared at its first write, as much work as a few chunks: a
// second thread beginning inside one would clear it at its start, though the first thread
// writes the part below. Within this many positions below a page's start it begins there.
constexpr int64_t kPageStartReach = 2 * kPassChunk;

// The chunk boundary from middle up to kPageStartReach on where a page of value begins, or
// middle.
int64_t atPageStart(const Value* value, int64_t middle) {
  if (value == nullptr) return middle;
  const auto into = static_cast<int64_t>(reinterpret_cast<uintptr_t>(value + middle) % kHugePageBytes);
  if (into == 0 || into % static_cast<int64_t>(sizeof(Value)) != 0) return middle;
  const int64_t up = (static_cast<int64_t>(kHugePageBytes) - into) / static_cast<int64_t>(sizeof(Value));
  return up % kPassChunk == 0 && up <= kPageStartReach ? middle + up : middle;
}

// Where the second thread begins, or -1: the chunk boundary that gives the first thread its
// share (with a measured share, the start of a page of the values just above it) when it may
// begin there, else the middle one, with room for the stretches to meet.
int64_t middleOf(const ChainPassInput& in, const Value* value) {
  if (in.threads < 2 || in.tmax > kPassChunk / 4 || !longEnoughToSplit(in.top)) return -1;
  if (in.handOver && !in.side) return -1;
  const int64_t shared = passMiddle(in.top, firstPartShare(in));
  if (in.firstShare <= 0) {
    const int64_t pageStart = atPageStart(value, shared);
    if (pageStart != shared && pageStart + kComparedChunks * kPassChunk <= in.top &&
        mayBeginAt(in, pageStart))
      return pageStart;
  }
  for (const int64_t middle : {shared, passMiddle(in.top)})
    if (mayBeginAt(in, middle)) return middle;
  return -1;
}

// The threads usually agree within a few tmax of the middle: the first thread compares this
// many positions at a time in the first chunk rather than the whole chunk, whose values it
// would otherwise make again for nothing.
constexpr int64_t kComparedBlock = kPassChunk / 8;

// Long enough a pass to measure the processors by it.
constexpr int64_t kMeasuredFrom = 32 * kPassChunk;

// A thread's walk over its part, chunk by chunk: its processor at both ends and the time of
// every chunk. The typical chunk tells the processor's speed; the first touches of fresh
// memory that slow some chunks of a pass (a fault every huge page, fast or slow as the system
// has the memory at hand) say nothing of it.
class PartTiming {
 public:
  void begin(int64_t chunks) {
    seconds_.reserve(static_cast<size_t>(chunks));
    cpu_ = currentProcessor();
    last_ = std::chrono::steady_clock::now();
  }
  void lap() {
    const auto now = std::chrono::steady_clock::now();
    seconds_.push_back(std::chrono::duration<float>(now - last_).count());
    last_ = now;
  }
  void end() { stayed_ = cpu_ >= 0 && currentProcessor() == cpu_; }
  int cpu() const { return cpu_; }
  // Positions a second in the typical chunk, or 0 when the thread changed processors.
  double rate() {
    if (!stayed_ || seconds_.empty()) return 0;
    const auto middle = seconds_.begin() + static_cast<std::ptrdiff_t>(seconds_.size() / 2);
    std::nth_element(seconds_.begin(), middle, seconds_.end());
    return *middle > 0 ? static_cast<double>(kPassChunk) / *middle : 0;
  }

 private:
  std::vector<float> seconds_;
  std::chrono::steady_clock::time_point last_;
  int cpu_ = -1;
  bool stayed_ = false;
};

// The rates of the threads that kept to a processor each, for the passes after.
void recordRates(SplitWork work, PartTiming& first, PartTiming& second) {
  if (first.cpu() != second.cpu())
    recordProcessorRates(work, first.cpu(), first.rate(), second.cpu(), second.rate());
}

// What the second thread has done, shared with the first.
struct Progress {
  std::mutex mutex;
  std::condition_variable changed;
  int64_t doneBelow = 0;  // positions below are final
  bool finished = false;  // its walk is over (and, handing values over, its share of the readers' work)
  bool failed = false;
  std::vector<Closeness> closeness;  // per chunk from the middle on

  void waitFor(int64_t position) {
    std::unique_lock<std::mutex> lock(mutex);
    changed.wait(lock, [&] { return finished || doneBelow >= position; });
  }
  void waitForEnd() {
    std::unique_lock<std::mutex> lock(mutex);
    changed.wait(lock, [&] { return finished; });
  }
};

// The first thread's comparison of its true values with the second thread's, position by
// position from the middle on.
class Agreement {
 public:
  explicit Agreement(const ChainPassInput& in) : in_(in) {}

  // A true value before the middle.
  void before(Value truth) { trueMin_ = std::min(trueMin_, truth); }

  // Position p from the middle on: its true value and link, and the second thread's.
  void add(int64_t p, Value truth, Link trueLink, Value guess, Link guessLink) {
    const Value shift = truth - guess;
    if (trueLink != guessLink) {
      runStart_ = -1;
    } else if (runStart_ < 0 || shift != shift_) {
      runStart_ = p;
      shift_ = shift;
      trueMinBefore_ = trueMin_;
      guessMinBefore_ = guessMin_;
      stretchMin_ = C::kInfinity;
      stretchTo_ = p - 1;
    }
    trueMin_ = std::min(trueMin_, truth);
    guessMin_ = std::min(guessMin_, guess);
  }

  // Whether every position after `last` takes the second thread's value plus shift() and its
  // link, given the closeness of its later choices; trueAt(p) gives the true value of a
  // position from last - tmax - kPassChunk on.
  template <class TrueAt>
  bool holdsAfter(int64_t last, const TrueAt& trueAt, const Closeness& later) {
    if (!mayHoldAfter(last)) return false;
    if (in_.breakCost >= 0) {
      // The smallest value behind the next windows lies in the stretch, for both threads.
      for (; stretchTo_ < last - in_.tmax; ++stretchTo_)
        stretchMin_ = std::min(stretchMin_, trueAt(stretchTo_ + 1));
      if (!(stretchMin_ < trueMinBefore_) || !(stretchMin_ - shift_ < guessMinBefore_)) return false;
    }
    return later.keepsChoicesUnder(shift_);
  }

  // Whether the positions compared so far, up to last, leave holdsAfter anything to decide.
  bool mayHoldAfter(int64_t last) const { return runStart_ >= 0 && last - runStart_ >= in_.tmax; }

  Value shift() const { return shift_; }

 private:
  const ChainPassInput& in_;
  int64_t runStart_ = -1;
  Value shift_ = 0;
  Value trueMin_ = C::kInfinity, guessMin_ = C::kInfinity;
  Value trueMinBefore_ = C::kInfinity, guessMinBefore_ = C::kInfinity;
  Value stretchMin_ = C::kInfinity;  // the true values runStart .. stretchTo
  int64_t stretchTo_ = -1;
};

PassOutcome walkTwoThreads(const ChainPassInput& in, Value* value, Link* link, int64_t middle) {
  // Handing its values over, the second thread keeps only the ones the threads compare.
  const bool streaming = static_cast<bool>(in.handOver);
  const int64_t compareEnd = streaming ? comparedEnd(middle, in.top) : in.top + 1;
  const bool firstOnSide = firstPartOnSide(in);
  // Rows the calling thread keeps, warm from earlier passes: its own set for the part it runs,
  // the one it lends for the side thread's, so that each set stays with one processor.
  RowsOfWalk callerRows, sideRows;
  RowsOfWalk& guessRows = firstOnSide ? callerRows : sideRows;
  RowsOfWalk& truthRows = firstOnSide ? sideRows : callerRows;
  // Written by the second thread before it reports the chunk done.
  if (streaming) grow(guessRows->compared, compareEnd - middle);
  Value* const compared = guessRows->compared.data();
  Progress progress;
  progress.doneBelow = middle;
  PartTiming firstTiming, secondTiming;
  // Never throws: a failure tells the first part, which then makes every value itself.
  auto secondPart = [&] {
    try {
      secondTiming.begin((in.top - middle) / kPassChunk + 1);
      Walker guess(in, streaming ? nullptr : value, link, middle, middle + in.tmax, true, guessRows);
      for (int64_t c0 = middle; c0 <= in.top; c0 += kPassChunk) {
        const int64_t c1 = std::min(in.top, c0 + kPassChunk - 1);
        guess.chunk(c0, c1);
        if (streaming)
          for (int64_t p = c0; p < std::min(c1 + 1, compareEnd); ++p)
            compared[static_cast<size_t>(p - middle)] = guess.values()[p - guess.base()];
        const Closeness c = guess.takeCloseness();
        {
          std::lock_guard<std::mutex> lock(progress.mutex);
          progress.closeness.push_back(c);
          progress.doneBelow = c1 + 1;
          progress.changed.notify_all();
        }
        if (streaming) in.side(guess.values(), guess.base(), c0, c1);
        secondTiming.lap();
      }
      secondTiming.end();
    } catch (...) {
      std::lock_guard<std::mutex> lock(progress.mutex);
      progress.failed = true;
    }
    std::lock_guard<std::mutex> lock(progress.mutex);
    progress.finished = true;
    progress.changed.notify_all();
  };
  PassOutcome kept;
  kept.secondFrom = middle;
  kept.secondOnCaller = firstOnSide;
  auto firstPart = [&] {
    // Streaming, the first thread keeps only its latest values and hands them over; the
    // second thread's stay in `value`, or those it compares in `compared`.
    Walker truth(in, streaming ? nullptr : value, link, 0, 0, false, truthRows);
    Agreement agreement(in);
    auto trueAt = [&](int64_t p) { return truth.values()[p - truth.base()]; };
    firstTiming.begin(middle / kPassChunk);
    for (int64_t c0 = 0; c0 < middle; c0 += kPassChunk) {
      const int64_t c1 = c0 + kPassChunk - 1;
      truth.chunk(c0, c1);
      if (in.breakCost >= 0)
        for (int64_t p = c0; p <= c1; ++p) agreement.before(trueAt(p));
      if (streaming) in.handOver(truth.values(), truth.base(), c0, c1);
      firstTiming.lap();
    }
    firstTiming.end();
    // The second thread's values of a compared chunk: the ones it kept, or a copy where the
    // true values overwrite them; its links, a copy. In rows the thread keeps: fresh memory
    // here, a fault every 4 KB, cost a few tenths of a millisecond every pass.
    if (!streaming) grow(truthRows->compared, kPassChunk);
    truthRows->comparedLinks.assign(static_cast<size_t>(kPassChunk), kOutsideMark);
    Value* const guessValue = truthRows->compared.data();
    Link* const guessLink = truthRows->comparedLinks.data();
    bool comparing = true;
    for (int64_t c0 = middle, c1 = 0; c0 <= in.top; c0 = c1 + 1) {
      // The first chunk from the middle a block at a time, the rest a chunk at a time (should
      // the threads not agree there, as many checks as before).
      const int64_t chunkLast = (c0 / kPassChunk + 1) * kPassChunk - 1;
      const bool byBlocks = comparing && c0 < middle + kPassChunk;
      c1 = std::min({in.top, chunkLast, c0 + (byBlocks ? kComparedBlock : kPassChunk) - 1});
      const auto count = static_cast<size_t>(c1 - c0 + 1);
      comparing = comparing && c1 < compareEnd;
      const Value* guessed = guessValue;
      if (comparing && streaming) {
        progress.waitFor(c1 + 1);
        guessed = compared + (c0 - middle);
      } else if (comparing) {
        // The true values go where the second thread's are, which it reads up to 2 tmax + 1
        // positions back: it must be past them.
        progress.waitFor(std::min(in.top + 1, c1 + 2 * in.tmax + 2));
        std::copy(value + c0, value + c1 + 1, guessValue);
        if (link != nullptr) std::copy(link + c0, link + c1 + 1, guessLink);
      }
      truth.chunk(c0, c1);
      if (streaming) in.handOver(truth.values(), truth.base(), c0, c1);
      if (!comparing || c1 == in.top) continue;
      for (size_t i = 0; i < count; ++i) {
        const int64_t p = c0 + static_cast<int64_t>(i);
        agreement.add(p, trueAt(p), link != nullptr ? link[p] : kOutsideMark, guessed[i], guessLink[i]);
      }
      if (!agreement.mayHoldAfter(c1)) {
        // Nothing to decide yet: on to the next chunk while the second thread still walks.
        std::lock_guard<std::mutex> lock(progress.mutex);
        comparing = !progress.failed;
        continue;
      }
      // Whether it holds depends on every later choice of the second thread.
      progress.waitForEnd();
      Closeness later;
      bool failed = false;
      {
        std::lock_guard<std::mutex> lock(progress.mutex);
        failed = progress.failed;
        // From the chunk holding c1 + 1 on: its choices before it too, which only asks more.
        for (size_t k = static_cast<size_t>((c1 + 1 - middle) / kPassChunk); k < progress.closeness.size();
             ++k)
          later.add(progress.closeness[k]);
      }
      if (!failed && agreement.holdsAfter(c1, trueAt, later)) {
        if (streaming) {
          in.handOverShifted(compared, middle, compareEnd, c1, agreement.shift());
        } else {
          kept.shiftFrom = c1 + 1;
          kept.shift = agreement.shift();
        }
        break;
      }
      comparing = comparing && !failed;
    }
  };
  // The part on the side thread hands what it throws over (only the first part may throw).
  std::function<void()> callerPart = firstPart, sidePart = secondPart;
  if (firstOnSide) std::swap(callerPart, sidePart);
  std::exception_ptr failure;
  SideTask side;
  if (!side.start([&] {
        try {
          sidePart();
        } catch (...) {
          failure = std::current_exception();
        }
      })) {
    // No second thread: the one thread's walk.
    walkAll(in, value, link);
    return {};
  }
  try {
    callerPart();
  } catch (...) {
    side.join();
    throw;
  }
  side.join();
  if (failure) std::rethrow_exception(failure);
  if (in.top + 1 >= kMeasuredFrom && !progress.failed) recordRates(workOf(in), firstTiming, secondTiming);
  return kept;
}

}  // namespace

PassOutcome runChainPass(const ChainPassInput& in, int64_t* value, int32_t* link) {
  if (in.top < 0) return {};
  const int64_t middle = middleOf(in, value);
  if (middle < 0) {
    walkAll(in, value, link);
    return {};
  }
  return walkTwoThreads(in, value, link, middle);
}
