#pragma once
#include <cstdint>

class Window;
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
SeriesHeader* getCutOffSeriesHeader(Window& window, uint16_t etalonsQuantity, uint16_t impulseSize,
                                    uint16_t tmin, uint16_t tmax, uint32_t seriesSize, SeriesHeader* header);

// Makes a new series of pulseCount pulses in the given header (or a new one): obtains
// the header, then runs makeExtSeries. Returns the header whatever makeExtSeries
// returned, or null (after a message) when no header could be had.
SeriesHeader* getCutOffSeries(Window& window, uint16_t etalonsQuantity, PulseHeader* alphabet,
                              uint16_t impulseSize, uint16_t tmin, uint16_t tmax, uint32_t seriesSize,
                              uint16_t pulseCount, uint16_t* etalonSequence, int16_t amplitude,
                              uint16_t savedLevel, SeriesHeader* header, RandomSeeds& seeds);

// Fills the header with a series of pulseCount pulses built from etalonSequence (which
// it rewrites in place: the subset is imposed, bad numbers become 1). Returns 1, or 0
// after a message when the parameters are not admissible (no draw happens then) or
// storage is exhausted.
int makeExtSeries(Window& window, uint16_t etalonsQuantity, PulseHeader* alphabet, uint16_t impulseSize,
                  uint16_t tmin, uint16_t tmax, uint32_t seriesSize, uint16_t pulseCount,
                  uint16_t* etalonSequence, int16_t amplitude, uint16_t savedLevel, SeriesHeader* header,
                  RandomSeeds& seeds);

// The part of makeExtSeries that works on the etalon sequence alone: imposes the header's
// current subset on the first pulseCount entries (drawing from the subset seeds as its mode
// says) and turns numbers outside 1..etalonsQuantity into 1. makeExtSeries does exactly this
// once it has accepted its parameters.
void prepareEtalonSequence(const SeriesHeader& header, uint16_t etalonsQuantity, uint16_t pulseCount,
                           uint16_t* etalonSequence, RandomSeeds& seeds);

// Advances the seeds of pulse origins and cuts by what makeExtSeries draws for a series of
// pulseCount pulses once its sequence is prepared (the anchor and one origin per pulse, one
// first and one last kept sample per pulse), without making the series.
void skipSeriesDraws(uint16_t pulseCount, RandomSeeds& seeds);

// Puts a series the user brings (16-bit samples) into a header obtained with
// getCutOffSeriesHeader for its size, etalon length and distances, as the solvers read it:
// the samples (pure and noisy alike), sizes and distances, and for a known number of pulses
// (pulseCount > 0) the admissible origin range of every pulse. There is no truth: every true
// origin is -1, every true etalon 0, and the cut-offs keep whole etalons. pulseCount 0 stands
// for an unknown number (wImpulseQuantity 0). The etalon list points at the first
// etalonsQuantity records of alphabet. Returns 1, or 0 after the series maker's message when
// the count or the distances admit no placement or the header is too small.
int setGivenSeries(Window& window, const int16_t* samples, uint32_t seriesSize, uint16_t etalonsQuantity,
                   PulseHeader* alphabet, uint16_t impulseSize, uint16_t tmin, uint16_t tmax,
                   uint16_t pulseCount, SeriesHeader* header);

// Draws the number of pulses from seeds.seedPulseCount and calls getCutOffSeries.
// Returns null without a message (header untouched) when no count is admissible.
SeriesHeader* getRandomCountSeries(Window& window, uint16_t etalonsQuantity, PulseHeader* alphabet,
                                   uint16_t impulseSize, uint16_t tmin, uint16_t tmax, uint32_t seriesSize,
                                   uint16_t* etalonSequence, int16_t amplitude, uint16_t savedLevel,
                                   SeriesHeader* header, RandomSeeds& seeds);

// lpNoisyData = lpPureData + Gaussian noise of the given level drawn from seed (12 steps
// per sample); sets wNoiseLevel. The amplitude does not affect the result. A null
// header is left alone.
void addNoise(Window& window, int16_t noiseLevel, int16_t amplitude, SeriesHeader* header, uint16_t& seed);

// Generator steps addNoise draws for a series of the given number of samples.
constexpr uint64_t noiseDraws(uint32_t seriesSize) { return 12 * uint64_t{seriesSize}; }

// Releases everything the header owns and the header. Accepts null; returns 1.
int freeSeriesHeader(Window& window, SeriesHeader* header);
