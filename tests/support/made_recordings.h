#pragma once
// Made recordings for the tests of the long-recording path: etalon shapes, pulses planted in
// Gaussian noise, and the plain request over them.
#include <cstdint>
#include <random>
#include <vector>

#include "processing/long_recording.h"

// A half (positive for amplitude > 0) or a whole period of a sine over n samples.
std::vector<int16_t> halfSine(int n, double amplitude);
std::vector<int16_t> fullSine(int n, double amplitude);

// Pulses of randomly chosen etalons every tmin .. tmax samples (the first within tmax - n of
// the start), none overlapping silentFrom .. silentTo, in Gaussian noise of the given
// deviation, clamped to 16 bits; origins are where they start.
struct Planted {
  std::vector<int16_t> x;
  std::vector<int64_t> origins;
};
Planted plant(std::mt19937& rng, int64_t size, const std::vector<std::vector<int16_t>>& etalons, int64_t tmin,
              int64_t tmax, int noise, int64_t silentFrom = 0, int64_t silentTo = -1);

// The request for x with the etalons numbered 1, 2, ... and everything else as it comes.
LongRequest plainRequest(const std::vector<int16_t>& x, const std::vector<std::vector<int16_t>>& etalons,
                         int32_t tmin, int32_t tmax, LongTask task = LongTask::kDetect);
