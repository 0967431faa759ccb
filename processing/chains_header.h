#pragma once
#include <cstdint>
#include <string>

class MessageSink;

// The ranked candidate chains of one processing run and the description of the run.
// A chain is an ordered list of pulses, each with its etalon number (1-based), its start
// position in the series and the kept part [begin, end] of its etalon. Chains are kept
// sorted by `distance`, lowest (best) first.
//
// Storage: `distance` and `chainLength` share one block of 2 x wMaxSize values;
// `pulsesList` is a table of 4 x wMaxSize row pointers whose second, third and fourth
// quarters are `positionsList`, `cutOffBeginList` and `cutOffEndList`; every row points
// into one block of 4 x wMaxSize x wMaxPulses values held in pulsesList[0].
struct ChainsHeader {
  uint16_t wMaxSize = 0;
  uint16_t wPretenders = 0;
  uint16_t wMaxPulses = 0;
  uint16_t wQuanPulses = 0;
  uint16_t wSeekingPulsesQuantity = 0;
  int32_t* distance = nullptr;
  int32_t* chainLength = nullptr;
  int16_t** pulsesList = nullptr;
  int16_t** positionsList = nullptr;
  int16_t** cutOffBeginList = nullptr;
  int16_t** cutOffEndList = nullptr;
  uint16_t wInfoLevel = 0;
  uint16_t wSeriesType = 0;
  uint16_t wTaskType = 0;
  const char* taskName = nullptr;
  const char* seriesTypeName = nullptr;
  uint16_t wMakingEnergyLevel = 0;
  uint16_t wProcessingEnergyLevel = 0;
};

// Creates (header null), grows or clears a header for maxChains chains of up to maxPulses
// pulses each. Never shrinks. Returns the header to use from then on, or null after a memory
// failure (message shown); a header passed in is released on failure.
ChainsHeader* getChainsHeader(MessageSink& window, uint16_t maxChains, uint16_t maxPulses,
                              ChainsHeader* header);

// Stamps the run description (codes, their names, energy levels) and sets wInfoLevel = 2.
// Returns 1, or 0 with a message when the header is null.
int addToChainsHeader(MessageSink& window, uint16_t seriesType, uint16_t taskType, uint16_t makingEnergyLevel,
                      uint16_t processingEnergyLevel, ChainsHeader* header);

// Releases whatever the header owns and the header; accepts null. Returns 1.
int freeChainsHeader(MessageSink& window, ChainsHeader* header);

// The text of the diagnostic dump, limited to what fits a 2,500-character buffer
// (at most 2,499 characters).
std::string chainsHeaderText(const ChainsHeader& header);

// Shows the diagnostic dump in a message box ("aboutChainsHeader Info", OK button) and
// returns the box's answer; a null header shows nothing and returns 0.
int aboutChainsHeader(MessageSink& window, const ChainsHeader* header);

// How insertChain copies the rows of the chains it moves down one rank: over the pulse
// count of the chain being inserted (the known-number solvers), or over each moved chain's
// own length (the unknown-number solvers).
enum class ChainRowCopy { kNewChainLength, kOwnLength };

// Inserts one chain ranked by value: behind every kept chain whose distance is <= value;
// when the header is full the worst chain drops out, and a chain not better than the worst
// kept one is not written. Returns the rank it took (0-based), or -1 when it was not written:
// not better than the worst of a full header, or a count above wMaxPulses (then nothing
// changes at all).
int insertChain(ChainsHeader& header, int32_t value, uint16_t count, const int32_t* etalons,
                const int32_t* positions, const int32_t* begins, const int32_t* ends, ChainRowCopy rowCopy);

// Prepares a header for a solver run: wPretenders = 0, wQuanPulses and
// wSeekingPulsesQuantity as given, every distance 0 and the first rowEntries entries of
// every slot's four rows 0 (chainLength is left as it was). Returns false, changing
// nothing, when the rows are shorter than rowEntries.
bool clearChainsForRun(ChainsHeader& header, uint16_t quanPulses, uint16_t seekingPulses,
                       uint16_t rowEntries);
