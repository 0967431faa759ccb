#pragma once
// One pass of the long-recording chain values over every start position 0 .. top, piece by
// piece in ascending position, on one thread or two.
//
// With two threads the second one starts in the middle of the recording (at the chunk where
// both should finish together, see firstShare) as if nothing came before (chains may start
// there at no cost for the first tmax positions), while the first one works from the start.
// Chains in noise forget where they came from: after a stretch the values the second thread
// made differ from the true ones by one constant and pick the same predecessors. The first
// thread goes on past the middle, comparing, until a stretch of tmax + 1 positions (and, with
// breaks, the running minimum behind them) agrees up to one constant c and every later choice
// of the second thread between a new start and a predecessor stays the same under c; from
// there on the values are the second thread's plus c and its links stand. Otherwise the first
// thread computes everything itself. Either way the result is the one thread's, value for
// value and link for link, once c is added: the pass leaves that to its readers (KeptValues),
// as adding it to millions of values would be one more trip through memory.
//
// The first part runs on the side thread (processing/side_thread.h) and the second on the
// calling one when the pass keeps its values, the other way round when it hands them over:
// the start of the recording is then the side thread's in both passes.
#include <cstdint>
#include <functional>
#include <vector>

#include "processing/long_position_sets.h"

// The values a pass kept, as they are read: from `from` on the stored ones are the true ones
// less `shift` (the second thread's, see above), each of them a chain's value.
struct KeptValues {
  const int64_t* value = nullptr;
  int64_t from = INT64_MAX;
  int64_t shift = 0;
  int64_t at(int64_t p) const { return p >= from ? value[p] + shift : value[p]; }
};

// What a pass that keeps its values tells its caller: from where the stored values are the
// true ones less a shift, and on two threads where the second part began and whether the
// calling thread ran it (which memory each thread touched first, see ChainWork).
struct PassOutcome {
  int64_t shiftFrom = INT64_MAX;
  int64_t shift = 0;
  int64_t secondFrom = -1;
  bool secondOnCaller = false;
};

// Working rows of one thread's scores.
struct ScoreRows {
  std::vector<uint32_t> narrow;
  std::vector<int64_t> wide;
  std::vector<int64_t> order;
};

// Scores of positions first .. first + count - 1 of the pass into out, with a thread's rows.
using PassScores = std::function<void(int64_t first, int64_t count, int64_t* out, ScoreRows& rows)>;

// A pass that keeps only its latest values hands them over chunk by chunk: positions first ..
// last at values[p - base], with the 2 tmax + 2 positions before first still there.
using PassValues = std::function<void(const int64_t* values, int64_t base, int64_t first, int64_t last)>;

// On two threads, once the values after `last` are known to be the second thread's plus
// shift: the second thread's values of positions base .. end - 1 (the ones the threads
// compared) are in values[p - base], the later ones it has handed over through `side`, and
// nothing after `last` is handed over.
using PassShifted =
    std::function<void(const int64_t* values, int64_t base, int64_t end, int64_t last, int64_t shift)>;

struct ChainPassInput {
  const std::vector<Piece>* pieces = nullptr;  // ascending, within 0 .. top
  int64_t top = -1;
  int64_t tmin = 1;
  int64_t tmax = 1;
  int64_t breakCost = -1;  // -1: no breaks
  PassScores scores;
  int threads = 1;
  // Set all three to keep only the latest values (without links): every value is handed over
  // once, through handOver or, on two threads, handOverShifted. The second thread then hands
  // its own values over through `side` as it makes them, chunk by chunk from the middle on
  // (the true ones less a constant once the threads agree, which only the first thread learns),
  // and keeps the first kComparedChunks chunks of them for the comparison.
  PassValues handOver;
  PassShifted handOverShifted;
  PassValues side;
  // On two threads, the first thread's share of the positions (0: where the processors the
  // threads run on should finish together, from their recorded speeds; see
  // processing/processor_speeds.h). The answer does not depend on it.
  double firstShare = 0;
};

// Values of positions 0 .. top (and links when link is not null); positions outside every
// piece get "no value yet" and the outside mark. Returns where the stored values are the true
// ones less a shift (see KeptValues); the links are the true ones throughout. Handing the
// values over, value and link must be null. May throw std::bad_alloc.
PassOutcome runChainPass(const ChainPassInput& input, int64_t* value, int32_t* link);

// Positions a pass takes at once: small enough for the caches.
constexpr int64_t kPassChunk = int64_t{1} << 14;

// Handing values over on two threads: the chunks from the middle on within which the threads
// must agree; otherwise the first thread makes every value itself.
constexpr int64_t kComparedChunks = 4;

// Whether work over positions 0 .. top is long enough to split between two threads (a pass
// also needs tmax within a quarter chunk, see runChainPass).
inline bool longEnoughToSplit(int64_t top) { return top + 1 >= 8 * kPassChunk; }

// Where a second thread begins a pass over positions 0 .. top, when it may (see runChainPass):
// the chunk boundary that leaves the first thread `share` of the chunks, rounded down.
inline int64_t passMiddle(int64_t top, double share = 0.5) {
  const int64_t chunks = (top + kPassChunk) / kPassChunk;
  return static_cast<int64_t>(static_cast<double>(chunks) * share) * kPassChunk;
}

// The end of the positions the threads compare when the second one starts at middle.
inline int64_t comparedEnd(int64_t middle, int64_t top) {
  return top + 1 - middle <= kComparedChunks * kPassChunk ? top + 1 : middle + kComparedChunks * kPassChunk;
}
