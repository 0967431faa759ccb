#pragma once
#include <cstdint>

#include "signal/series_header.h"

class MessageSink;
struct PulseHeader;
struct RandomSeeds;

// Makes a new series of pulseCount pulses in the given header (or a new one): obtains
// the header, then runs makeExtSeries. Returns the header whatever makeExtSeries
// returned, or null (after a message) when no header could be had.
SeriesHeader* getCutOffSeries(MessageSink& window, uint16_t etalonsQuantity, PulseHeader* alphabet,
                              uint16_t impulseSize, uint16_t tmin, uint16_t tmax, uint32_t seriesSize,
                              uint16_t pulseCount, uint16_t* etalonSequence, int16_t amplitude,
                              uint16_t savedLevel, SeriesHeader* header, RandomSeeds& seeds);

// Fills the header with a series of pulseCount pulses built from etalonSequence (which
// it rewrites in place: the subset is imposed, bad numbers become 1). Returns 1, or 0
// after a message when the parameters are not admissible (no draw happens then) or
// storage is exhausted.
int makeExtSeries(MessageSink& window, uint16_t etalonsQuantity, PulseHeader* alphabet, uint16_t impulseSize,
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
int setGivenSeries(MessageSink& window, const int16_t* samples, uint32_t seriesSize, uint16_t etalonsQuantity,
                   PulseHeader* alphabet, uint16_t impulseSize, uint16_t tmin, uint16_t tmax,
                   uint16_t pulseCount, SeriesHeader* header);

// Draws the number of pulses from seeds.seedPulseCount and calls getCutOffSeries.
// Returns null without a message (header untouched) when no count is admissible.
SeriesHeader* getRandomCountSeries(MessageSink& window, uint16_t etalonsQuantity, PulseHeader* alphabet,
                                   uint16_t impulseSize, uint16_t tmin, uint16_t tmax, uint32_t seriesSize,
                                   uint16_t* etalonSequence, int16_t amplitude, uint16_t savedLevel,
                                   SeriesHeader* header, RandomSeeds& seeds);

// lpNoisyData = lpPureData + Gaussian noise of the given level drawn from seed (12 steps
// per sample); sets wNoiseLevel. The amplitude does not affect the result. A null
// header is left alone.
void addNoise(MessageSink& window, int16_t noiseLevel, int16_t amplitude, SeriesHeader* header,
              uint16_t& seed);

// Generator steps addNoise draws for a series of the given number of samples.
constexpr uint64_t noiseDraws(uint32_t seriesSize) { return 12 * uint64_t{seriesSize}; }
