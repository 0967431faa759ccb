#pragma once
#include <cstdint>
#include <vector>

#include "processing/fragment_matcher.h"

struct PulseHeader;
struct IntervalSet;

// The matching step shared by every solver: how well a part of an etalon fits the series
// at a start position.
//
// Running energies of an etalon s of n samples: P[0] = 0, P[i+1] = P[i] + s[i]^2, so
// P[n] is the etalon's energy. A kept part [b, e] qualifies when it holds strictly more
// energy than the threshold level x P[n] / 100; the whole etalon always qualifies.

// Fills energies[0 .. n] with the running energies of the n samples s.
void etalonsPartialEnergy(const int16_t* s, uint16_t n, int32_t* energies);

// level x energy / 100, truncating toward zero.
int32_t energyThreshold(uint16_t level, int32_t energy);

// Sum over i = b..e of s[i] x (s[i] - 2 x[p+i]), in 32-bit two's-complement arithmetic:
// the squared distance of the kept part to the samples under it minus their energy.
int32_t fragmentScore(const int16_t* s, const int16_t* x, int32_t p, int32_t b, int32_t e);

// Prepares the matcher for the etalons list[0 .. count-1] (1-based numbers into alphabet)
// of n samples at the given level, over the series x of size samples. Returns false when
// the list is empty, a number lies outside 1 .. etalonsQuantity, or an etalon has fewer
// than n samples. May throw std::bad_alloc.
bool prepareFragmentMatcher(FragmentMatcher& matcher, const PulseHeader* alphabet, uint16_t etalonsQuantity,
                            uint16_t count, const uint16_t* list, uint16_t n, uint16_t level,
                            const int16_t* x, uint32_t size);

// Best-fragment search at position p (0 <= p <= size - n): for each etalon in list order the
// whole pulse, then every qualifying kept part by ascending begin and end; a candidate
// replaces the current best only when strictly lower, the first etalon's whole pulse
// being taken unconditionally.
FragmentChoice bestFragmentAt(FragmentMatcher& matcher, const int16_t* x, int32_t p);

// bestFragmentAt for every position first .. last (inclusive, within the series), written
// to out[0 .. last-first].
void bestFragmentsOver(FragmentMatcher& matcher, const int16_t* x, int32_t first, int32_t last,
                       FragmentChoice* out);

// bestFragmentsOver for every interval of the set, written to fragments[position]. Returns
// false (nothing more written) when a position lies beyond the table.
bool bestFragmentsOverSet(FragmentMatcher& matcher, const int16_t* x, const IntervalSet& set,
                          std::vector<FragmentChoice>& fragments);
