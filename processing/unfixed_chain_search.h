#pragma once
#include <cstdint>
#include <vector>

#include "processing/chain_kernel.h"
#include "processing/interval_set.h"

// The dynamic programming of the unknown-number solvers over precomputed scores: one value
// per start position, the best chain whose last pulse starts there. Positions that can only
// start a chain take their score; positions that can start or continue one extend the
// smallest negative value of the window [p - tmax, p - tmin] (or start anew); positions that
// can only continue extend the smallest value of the window, starting from 99,999,999. Ties
// go to the lowest position; values not computed yet count as 99,999,999.

// Starting value of every position's value and of the searches over the sets.
constexpr int32_t kUnfixedInfinity = 99999999;

// Predecessor marks: the pulse starts a chain (-1 for a first-only position, -2 otherwise).
constexpr int32_t kStartsChain = kChainStartMark;
constexpr int32_t kNoPredecessor = kNoPredecessorMark;
static_assert(kUnfixedInfinity == WrappingCriteria::kInfinity);

// The three role sets the values are computed over, in this order.
struct UnfixedRoles {
  IntervalSet* firstOnly = nullptr;
  IntervalSet* firstAndLater = nullptr;
  IntervalSet* laterOnly = nullptr;
};

// Working storage for positionsCount positions, reused between runs.
struct UnfixedWork {
  std::vector<int32_t> value;
  std::vector<int32_t> pred;
  WindowExtension<WrappingCriteria> extension;  // the window minima of one role
};

// The ranges of the set, in order.
std::vector<PositionRange> rangesOf(const IntervalSet& set);

// Sizes the work for positionsCount positions. May throw std::bad_alloc.
void prepareUnfixedWork(UnfixedWork& work, uint32_t positionsCount);

// Computes value and pred of every position of the three sets from score (indexed by
// position; positions outside the sets keep 99,999,999 and no predecessor). The work may
// come from an earlier run over the same sets. tmin >= 1.
void computeUnfixedValues(UnfixedWork& work, const UnfixedRoles& roles, const int32_t* score, int32_t tmin,
                          int32_t tmax);

// The lowest position of the set with the smallest value below start; false when none.
bool pickChainEnd(const UnfixedWork& work, const IntervalSet& lastSet, int32_t start, int32_t& position,
                  int32_t& value);

// Follows the predecessor links from `end` while they name a position: returns the number
// of pulses and, when
// positions is not null, writes their positions first to last (count entries).
uint32_t traceUnfixedChain(const UnfixedWork& work, int32_t end, int32_t* positions);
