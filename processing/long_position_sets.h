#pragma once
// Where the pulses of a chain may start in a recording of any length, with the pulse-count
// bounds every series gets (at least (N + n - 1) / tmax pulses, at most (N - n + tmin) / tmin):
// the same first, later and last positions as the unknown-number solvers build interval by
// interval for every pulse count, computed from their closed form in time linear in N / tmin.
//
// A position p can hold pulse a (0-based) of a chain with b pulses after it when
//   tmin x a <= p <= tmax x (a + 1) - n   and   N - tmax x (b + 1) <= p <= N - n - tmin x b;
// every (a, b) meeting both gives a pulse count a + b + 1 within the bounds, so the first set
// is a = 0 with any b, the later set any a >= 1 with any b, and the last set b = 0 with any a.
#include <cstdint>
#include <vector>

#include "processing/chain_kernel.h"

// The three sets and the three roles the values are computed over, as sorted disjoint ranges.
struct LongPositionSets {
  std::vector<PositionRange> first, later, last;
  std::vector<PositionRange> firstOnly, firstAndLater, laterOnly;
};

// The sets of a recording of size samples with etalons of n samples (1 <= n, 1 <= tmin).
// May throw std::bad_alloc.
LongPositionSets longPositionSets(int64_t size, int64_t n, int64_t tmin, int64_t tmax);

// Set operations on sorted disjoint ranges.
std::vector<PositionRange> intersectRanges(const std::vector<PositionRange>& a,
                                           const std::vector<PositionRange>& b);
std::vector<PositionRange> subtractRanges(const std::vector<PositionRange>& a,
                                          const std::vector<PositionRange>& b);

// How the positions of a piece take their value.
enum class PieceRole : uint8_t {
  kStartsOnly,         // the score: a chain starts here
  kStartsOrContinues,  // the smallest of `start` and the window (and breaks), plus the score
  kContinuesOnly,      // the window only (from "no value yet")
};

struct Piece {
  PositionRange range;
  PieceRole role = PieceRole::kStartsOnly;
  int64_t start = 0;
};

// The pieces of a forward pass in ascending position. Without breaks (breakCost < 0) the three
// roles of the sets; with breaks every position starts or continues a chain, a start after
// the first pulses' positions (beyond tmax - n) costing breakCost.
std::vector<Piece> forwardPieces(const LongPositionSets& sets, int64_t top, int64_t tmax, int64_t n,
                                 int64_t breakCost);
