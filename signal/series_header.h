#pragma once
#include <cstdint>

class MessageSink;
struct PulseHeader;
struct RandomSeeds;

// One series: the noiseless and the noisy samples, the truth about every pulse, the
// answer of the last solver, the current subset and the selected subsets.
// A per-pulse table holds wPulsesCapacity signed 16-bit entries, the first
// wImpulseQuantity of them meaningful. lpPureData is the start of one owned block that
// also holds lpNoisyData and the 13 per-pulse tables, in the order of the fields below.
struct SeriesHeader {
  uint32_t dwReservedSize = 0;  // samples allocated for each of lpPureData and lpNoisyData
  uint32_t dwSeriesSize = 0;
  uint16_t wTmin = 0;
  uint16_t wTmax = 0;
  int16_t* lpPureData = nullptr;
  int16_t* lpNoisyData = nullptr;
  uint16_t wImpulseSize = 0;
  uint16_t wImpulseQuantity = 0;
  uint16_t wMaxPulses = 0;
  uint16_t wMinPulses = 0;
  int16_t wNoiseLevel = 0;
  int16_t wAmplitude = 0;
  int16_t* lpPositions = nullptr;          // origin of each pulse (index of etalon sample 0)
  int16_t* lpRestoredPositions = nullptr;  // origin found by a solver; -1 after construction
  int16_t* lpLowBounds = nullptr;          // lowest admissible origin of each pulse
  int16_t* lpHighBounds = nullptr;         // highest admissible origin of each pulse
  PulseHeader* lpFirstPulse = nullptr;     // alphabet record of the first pulse's etalon
  int16_t* lpEtalonNumbers = nullptr;      // 1-based etalon number of each pulse
  int16_t* lpRestoredEtalons = nullptr;    // etalon found by a solver; 0 after construction
  uint16_t wReservedEtalons = 0;           // capacity of lpPulsesList
  uint16_t wEtalonsQuantity = 0;           // entries of lpPulsesList in use
  uint16_t wPulsesCapacity = 0;            // entries of each per-pulse table
  PulseHeader** lpPulsesList = nullptr;    // entry i: alphabet record of etalon i+1 (not owned)
  uint16_t wRestoredQuantity = 0;
  int16_t wFirstKeptDefault = 0;
  int16_t wLastKeptDefault = 0;
  int16_t* lpCutBegin = nullptr;  // first kept sample of each pulse
  int16_t* lpCutEnd = nullptr;    // last kept sample of each pulse, inclusive
  int16_t* lpRestoredCutBegin = nullptr;
  int16_t* lpRestoredCutEnd = nullptr;
  int16_t* lpSubset = nullptr;   // the current subset (etalon numbers)
  uint16_t wSubsetSize = 0;      // 0: no subset
  uint16_t wSubsetMode = 0;      // 1 .. 5
  uint16_t wSubsetPosition = 0;  // 1-based position of the subset in the sequence
  int16_t wRestoredTuples = 0;
  int16_t* lpRestoredTupleFirst = nullptr;  // 1-based index (among found pulses) of a tuple's first pulse
  int16_t* lpRestoredTupleLast = nullptr;   // 1-based index of a tuple's last pulse
  uint16_t wReservedSubsets = 0;            // rows allocated in selectedSubsetList
  uint16_t wSelectedSubsets = 0;            // selected subsets stored
  uint16_t wReservedSubsetItems = 0;        // entries allocated per row
  int16_t wRecognizedSubset = 0;            // 1-based selected subset chosen by a tuples recogniser
  int16_t* selectedSubsetSize = nullptr;    // one block: the subset sizes, then the rows
  int16_t** selectedSubsetList = nullptr;   // row i points into the selectedSubsetSize block
};

// Subset employment modes (wSubsetMode).
enum : uint16_t {
  kSubsetSingleRandom = 1,
  kSubsetSingleFixed = 2,
  kSubsetMultipleRandom = 3,
  kSubsetComplete = 4,
  kSubsetShiftedComplete = 5,
};

// Largest number of samples (2N + 13 per-pulse entries) one series block may hold;
// larger requests are refused as an allocation failure.
constexpr uint64_t kMaxSeriesBlockSamples = uint64_t{1} << 26;

// Returns a header ready for makeExtSeries, reusing the given one (or null) and growing
// its storage when needed; the current subset survives. Returns null after a message
// when storage cannot be had; the given header has then been released.
SeriesHeader* getCutOffSeriesHeader(MessageSink& window, uint16_t etalonsQuantity, uint16_t impulseSize,
                                    uint16_t tmin, uint16_t tmax, uint32_t seriesSize, SeriesHeader* header);

// Releases everything the header owns and the header. Accepts null; returns 1.
int freeSeriesHeader(MessageSink& window, SeriesHeader* header);
