#pragma once
#include <cstdint>
#include <vector>

struct SeriesHeader;
struct ChainsHeader;

// True when the series can be processed at all: it exists, holds its noisy samples, is no
// longer than the solvers accept and its per-pulse tables hold at least `pulses` entries.
bool seriesUsable(const SeriesHeader* series, uint32_t pulses);

// Admissible start ranges of the series' Q pulses, lpLowBounds/lpHighBounds clipped to the
// start positions 0 .. N - n (lo > hi when a pulse has none).
void fixedPulseRanges(const SeriesHeader& series, std::vector<int32_t>& lo, std::vector<int32_t>& hi);

// The smallest span first .. last that covers every non-empty range lo[j] .. hi[j] of the
// q pulses; last < first when every range is empty.
void spanOfRanges(const std::vector<int32_t>& lo, const std::vector<int32_t>& hi, uint16_t q, int32_t& first,
                  int32_t& last);

// Writes a found chain of `count` pulses into the series' restored fields and
// wRestoredQuantity = count (the caller has checked the capacity).
void writeRestoredChain(SeriesHeader& series, uint16_t count, const int32_t* etalons,
                        const int32_t* positions, const int32_t* begins, const int32_t* ends);

// The most pulses a chain of an unknown-number run can hold: wMaxPulses of the series, or
// more when tmin is below the series' own distance.
uint32_t unfixedChainCapacity(const SeriesHeader& series, uint16_t tmin);

// True when an unknown-number run can go ahead: a usable series whose tables hold the
// longest chain, tmin >= 1, and a chains header (when given) with rows at least that long.
bool unfixedRunAcceptable(const SeriesHeader* series, uint16_t tmin, const ChainsHeader* chains);
