#pragma once
#include <cstdint>
#include <memory>
#include <random>
#include <vector>

#include "signal/pulse_alphabet.h"
#include "signal/pulse_header.h"
#include "signal/random_seeds.h"
#include "signal/series_header.h"

// An alphabet of etalons built by makePulses, owning its storage.
struct TestAlphabet {
  PulseHeader pulses[kAlphabetRecords];
  uint16_t count = 0;
  uint16_t length = 0;
  int16_t amplitude = 0;

  // Builds count etalons of length samples; noise etalons draw from seeds (fresh seeds
  // when none are given).
  explicit TestAlphabet(uint16_t count = 20, uint16_t length = 20, int16_t amplitude = 128,
                        RandomSeeds* seeds = nullptr);
  ~TestAlphabet();
  TestAlphabet(const TestAlphabet&) = delete;
  TestAlphabet& operator=(const TestAlphabet&) = delete;
};

// A series header released by freeSeriesHeader when it goes out of scope.
struct SeriesHeaderDeleter {
  void operator()(SeriesHeader* header) const;
};
using SeriesPtr = std::unique_ptr<SeriesHeader, SeriesHeaderDeleter>;

// What a random series may look like.
struct RandomSeriesOptions {
  uint16_t seriesType = 1;         // 1, 2, 4, 8, 16, 32, 36 or 40
  std::vector<uint16_t> required;  // etalons the pulses are drawn from; empty: every etalon
  bool singleEtalon = false;       // every pulse the same (random) required etalon
  int16_t noiseLevel = -1;         // -1: a random level in 0 .. 60
  uint32_t maxSeriesSize = 1200;   // longest series drawn
};

// The parameters a random series was made with.
struct RandomSeriesParams {
  uint32_t seriesSize = 0;
  uint16_t tmin = 0;
  uint16_t tmax = 0;
  uint16_t pulses = 0;  // requested count (the drawn one for unknown-number types)
  uint16_t savedLevel = 100;
  int16_t noiseLevel = 0;
  std::vector<uint16_t> sequence;  // the etalon sequence after the series was made
  std::vector<int32_t> subset;     // the imposed subset of a tuple series (empty otherwise)
  uint16_t subsetMode = 0;
};

// Random admissible lengths and distances: alphabet length <= Tmin <= Tmax, and a series
// long enough for at least one pulse.
void randomDistances(std::mt19937& rng, uint16_t impulseSize, uint32_t maxSeriesSize, uint32_t& seriesSize,
                     uint16_t& tmin, uint16_t& tmax);

// Seeds drawn from rng.
RandomSeeds randomSeeds(std::mt19937& rng);

// Makes a random admissible series of the given type and adds noise: cut-off types get a
// saved energy level in 40 .. 99, unknown-number types draw their count, tuple types
// carry a random subset of 2 .. 4 required etalons in a random mode. Never null.
SeriesPtr makeRandomSeries(std::mt19937& rng, TestAlphabet& alphabet, RandomSeeds& seeds,
                           const RandomSeriesOptions& options = {}, RandomSeriesParams* params = nullptr);
