#pragma once
#include <cstdint>

class MessageSink;
struct PulseHeader;
struct ChainsHeader;
struct SeriesHeader;

// Detection (or joint detection and identification) of the known number Q =
// wImpulseQuantity of pulses in the noisy series: for every pulse its start position, the
// best-fitting etalon of etalonList[0 .. etalonCount-1] (1-based numbers) and the kept part,
// by dynamic programming over pulse index and position within the series' per-pulse bounds.
// Writes wRestoredQuantity and the restored lists of the series; a given chains header is
// cleared and receives the chain. When no chain can be formed (an empty admissible range or
// no value below the starting ones) the run reports zero pulses and inserts nothing.
// Returns 1 on success; 0 when memory is short (message shown) or the run is refused
// without a message (no series, an empty or invalid etalon list, a chains header with rows
// shorter than Q, a series longer than 32,767 samples); nothing is written then.
int detectFixedPulses(MessageSink& window, const PulseHeader* alphabet, uint16_t etalonCount,
                      const uint16_t* etalonList, uint16_t tmin, uint16_t tmax, uint16_t level,
                      ChainsHeader* chains, SeriesHeader* series);
