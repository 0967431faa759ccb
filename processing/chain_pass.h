#pragma once
// One pass of the long-recording chain values over every start position 0 .. top, piece by
// piece in ascending position, on one thread or two.
//
// With two threads the second one starts in the middle of the recording as if nothing came
// before (chains may start there at no cost for the first tmax positions), while the first
// one works from the start. Chains in noise forget where they came from: after a stretch the
// values the second thread made differ from the true ones by one constant and pick the same
// predecessors. The first thread goes on past the middle, comparing, until a stretch of tmax +
// 1 positions (and, with breaks, the running minimum behind them) agrees up to one constant c
// and every later choice of the second thread between a new start and a predecessor stays the
// same under c; from there on the values are the second thread's plus c and its links stand.
// Otherwise the first thread computes everything itself. Either way the result is the one
// thread's, value for value and link for link.
#include <atomic>
#include <cstdint>
#include <functional>
#include <vector>

#include "processing/long_position_sets.h"

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
// shift: those are in values[p], and nothing after `last` is handed over.
using PassShifted = std::function<void(const int64_t* values, int64_t last, int64_t shift)>;

// On two threads, handing values over: work the second thread may do once its walk is done,
// while the first one goes on, on the values it wrote (by position, from `from` on). It returns
// soon after stop is set, and what it leaves is read only after it has returned.
using PassIdle = std::function<void(const int64_t* values, int64_t from, const std::atomic<bool>& stop)>;

struct ChainPassInput {
  const std::vector<Piece>* pieces = nullptr;  // ascending, within 0 .. top
  int64_t top = -1;
  int64_t tmin = 1;
  int64_t tmax = 1;
  int64_t breakCost = -1;  // -1: no breaks
  PassScores scores;
  int threads = 1;
  // Set both to keep only the latest values (without links): every value is handed over
  // once, through handOver or, on two threads, handOverShifted. The second thread then
  // writes its values from the middle on into the array runChainPass gets.
  PassValues handOver;
  PassShifted handOverShifted;
  PassIdle idle;  // optional
};

// Values of positions 0 .. top (and links when link is not null); positions outside every
// piece get "no value yet" and the outside mark. Handing the values over, value is only the
// second thread's (top + 1 entries; may be null on one thread) and link must be null. May
// throw std::bad_alloc.
void runChainPass(const ChainPassInput& input, int64_t* value, int32_t* link);

// Positions a pass takes at once: small enough for the caches.
constexpr int64_t kPassChunk = int64_t{1} << 14;
