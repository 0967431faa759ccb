#pragma once
#include <cstdint>

class MessageSink;
struct PulseHeader;
struct ChainsHeader;
struct SeriesHeader;

// Tuples with an unknown number of pulses (between wMinPulses and wMaxPulses of the series).
// Pulse k of a chain carries tuple member k mod K; the dynamic programming keeps one layer per
// member (A = min(K, wMaxPulses) layers) over the first, later and last position sets, and a
// chain always begins with member 1. subsetProceeding is accepted without effect.
// While verboseTuples is not 0 every tuple processed shows two dumps of its tables (caption
// " About TuplesDetection "); a successful run clears verboseTuples.
// After every subset the solver asks window.keepGoing; when it answers false the
// run stops and returns 0 without writing into the series (the chains header may hold the
// chains found so far). Asking changes no result.

// Detection of the known tuple tuple[0 .. tupleSize-1] (1-based etalon numbers). Writes the
// chain found and its cut into tuples into the series; a given chains header is cleared,
// receives the chain and gets wSeekingPulsesQuantity = its pulse count. When no chain is
// accepted the series reports zero pulses and zero tuples and nothing is inserted.
// Returns 1 on success; 0 when memory is short (message shown) or the run is refused without
// a message (no series or alphabet, an empty tuple, a member that is no etalon of the
// alphabet, a series the solvers do not accept, a chains header with rows shorter than
// wMaxPulses); nothing is written then and verboseTuples is kept.
int detectUnfixedTuples(MessageSink& window, const PulseHeader* alphabet, int32_t tupleSize,
                        const int32_t* tuple, uint16_t subsetProceeding, uint16_t tmin, uint16_t tmax,
                        uint16_t level, ChainsHeader* chains, SeriesHeader* series, int32_t& verboseTuples);

// Recognition among subsetCount candidate subsets (subset i has subsetSizes[i] members
// subsets[i][..]): the same run for every subset; each chain goes into the chains header,
// ranked, and the strictly best one (the earlier subset wins ties) is written into the series
// with its tuples and wRecognizedSubset. Returns the 1-based number of the winning subset; 0
// when no subset gave a chain (the series then reports zero pulses, zero tuples and subset 0),
// when memory is short (message shown) or when the run is refused without a message (as for
// detectUnfixedTuples, or any subset unusable).
int32_t recognizeUnfixedTuples(MessageSink& window, const PulseHeader* alphabet, const int32_t* subsetSizes,
                               const int32_t* const* subsets, int32_t subsetCount, uint16_t subsetProceeding,
                               uint16_t tmin, uint16_t tmax, uint16_t level, ChainsHeader* chains,
                               SeriesHeader* series, int32_t& verboseTuples);
