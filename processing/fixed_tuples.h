#pragma once
#include <cstdint>

class MessageSink;
struct PulseHeader;
struct ChainsHeader;
struct SeriesHeader;

// Tuples with a known number Q = wImpulseQuantity of pulses: pulse k carries tuple member
// (phase + k) mod K. subsetProceeding 1 ("Complete") tries phase 0 only, any other value every
// phase 0 .. K-1.
// After every phase (detection) or subset (recognition) the solver asks window.keepGoing; when it answers
// false the run stops and returns 0 without writing into the series (the chains header may hold the chains
// found so far). Asking changes no result.

// Detection of the known tuple tuple[0 .. tupleSize-1] (1-based etalon numbers). For every
// phase tried the known-number dynamic programming runs with each pulse's etalon fixed by the
// tuple, over the start ranges the bounds of Q pulses give for tmin and tmax; each chain goes
// into the chains header (cleared first, when given), ranked, and the strictly best one (the
// lower phase wins ties) is written into the series with its cut into tuples. When no phase
// gives a chain the series reports zero pulses and zero tuples.
// Returns 1 on success; 0 when memory is short (message shown) or the run is refused without
// a message (no series or alphabet, an empty tuple, a member that is no etalon of the
// alphabet, a series the solvers do not accept, a chains header with rows shorter than Q);
// nothing is written then.
int detectFixedTuples(MessageSink& window, const PulseHeader* alphabet, int32_t tupleSize,
                      const int32_t* tuple, uint16_t subsetProceeding, uint16_t tmin, uint16_t tmax,
                      uint16_t level, ChainsHeader* chains, SeriesHeader* series);

// Recognition among subsetCount candidate subsets (subset i has subsetSizes[i] members
// subsets[i][..]): the same run for every subset and every phase tried, over the series' own
// per-pulse bounds. Every chain goes into the chains header, ranked; the strictly best one
// (the earlier subset and phase win ties) is written into the series with its tuples and
// wRecognizedSubset. Returns the 1-based number of the winning subset; 0 when no chain was
// found (the series then reports zero pulses, zero tuples and subset 0), when memory is short
// (message shown) or when the run is refused without a message (as for detectFixedTuples,
// or any subset unusable); nothing is written after a refusal or a memory failure.
int32_t recognizeFixedTuples(MessageSink& window, const PulseHeader* alphabet, const int32_t* subsetSizes,
                             const int32_t* const* subsets, int32_t subsetCount, uint16_t subsetProceeding,
                             uint16_t tmin, uint16_t tmax, uint16_t level, ChainsHeader* chains,
                             SeriesHeader* series);
