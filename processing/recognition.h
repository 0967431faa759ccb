#pragma once
#include <cstdint>

class MessageSink;
struct PulseHeader;
struct ChainsHeader;
struct SeriesHeader;

// Recognition with a known number Q of pulses: for each candidate etalon of the list the
// known-number detection with that etalon alone; every chain goes into the chains header,
// ranked. Returns the number of the etalon whose chain is strictly best (the earlier wins
// ties) and writes that chain into the series with wRestoredQuantity = Q. Returns -1 when
// memory is short (message shown), when the run is refused without a message (as for
// detectFixedPulses) or when no etalon gives a chain below 999,999,999; in the last case
// the series reports zero pulses.
int32_t recognizeFixedPulses(MessageSink& window, const PulseHeader* alphabet, uint16_t etalonCount,
                             const uint16_t* etalonList, uint16_t tmin, uint16_t tmax, uint16_t level,
                             ChainsHeader* chains, SeriesHeader* series);

// Recognition with an unknown number of pulses: for each candidate etalon the position-set
// dynamic programming with that etalon alone; every chain goes into the chains header,
// ranked, and the series receives the chain ranked first. Returns the number of the first
// etalon with the strictly smallest chain value below 9,999,999, 65,535 when there is
// none, and 0 when memory is short (message shown) or the run is refused without a message
// (no chains header, no series, an invalid etalon list, rows shorter than wMaxPulses, a
// series longer than 32,767 samples).
uint16_t recognizeUnfixedPulses(MessageSink& window, const PulseHeader* alphabet, uint16_t etalonCount,
                                const uint16_t* etalonList, uint16_t tmin, uint16_t tmax, uint16_t level,
                                ChainsHeader* chains, SeriesHeader* series);
