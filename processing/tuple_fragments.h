#pragma once
#include <cstdint>
#include <vector>

struct PulseHeader;

// The best fragments of the etalons that the tuples of one solver run use, at every start
// position 0 .. N - n of the series. A tuple member's fragment at a position does not depend
// on the pulse index, the phase or the subset, so each etalon is matched once per position
// and its row is shared by every pulse that carries it.
struct TupleFragments {
  int32_t positions = 0;                    // N - n + 1 start positions
  std::vector<int32_t> rowOf;               // per alphabet index: its row, or -1 when unused
  std::vector<std::vector<int32_t>> score;  // per row: best-fragment score at each position
  std::vector<std::vector<int32_t>> begin;  // per row: first kept sample of that fragment
  std::vector<std::vector<int32_t>> end;    // per row: last kept sample (inclusive)
};

// True when there is at least one subset, every subset has at least one member, and every
// member is the number of an etalon of the alphabet (1 .. etalonsQuantity, at most the 20
// records) with at least n samples.
bool tupleListUsable(const PulseHeader* alphabet, uint16_t etalonsQuantity, int32_t count,
                     const int32_t* sizes, const int32_t* const* subsets, uint16_t n);

// Number of distinct etalons the subsets use (the list must be usable).
int32_t tupleDistinctEtalons(int32_t count, const int32_t* sizes, const int32_t* const* subsets);

// 32-bit values the fragment rows of a run need.
uint64_t tupleFragmentValues(int32_t distinctEtalons, int32_t positions);

// Computes the rows of every etalon the subsets use over the series x of size samples
// (size >= n) at the given saved energy level. The list must be usable. May throw
// std::bad_alloc.
void computeTupleFragments(TupleFragments& fragments, const PulseHeader* alphabet, int32_t count,
                           const int32_t* sizes, const int32_t* const* subsets, uint16_t n, uint16_t level,
                           const int16_t* x, uint32_t size);
