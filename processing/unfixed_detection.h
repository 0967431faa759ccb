#pragma once
#include <cstdint>

class MessageSink;
struct PulseHeader;
struct ChainsHeader;
struct SeriesHeader;

// Detection (or joint detection and identification) of an unknown number of pulses,
// between wMinPulses and wMaxPulses of the series: one value per position, the best chain
// ending with a pulse starting there, over the first, later and last position sets.
// Writes wRestoredQuantity and the restored lists; a given chains header is cleared,
// receives the chain and gets wSeekingPulsesQuantity = its length. When no chain is
// accepted the run reports zero pulses and inserts nothing.
// Returns 1 on success; 0 when memory is short (message shown) or the run is refused
// without a message (no series, an empty or invalid etalon list, a chains header with rows
// shorter than wMaxPulses, a series longer than 32,767 samples); nothing is written then.
int detectUnfixedPulses(MessageSink& window, const PulseHeader* alphabet, uint16_t etalonCount,
                        const uint16_t* etalonList, uint16_t tmin, uint16_t tmax, uint16_t level,
                        ChainsHeader* chains, SeriesHeader* series);
