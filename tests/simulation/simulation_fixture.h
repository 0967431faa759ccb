#pragma once
#include <cstdint>
#include <vector>

#include "platform/message_recorder.h"
#include "signal/random_seeds.h"
#include "signal/series_header.h"
#include "simulation/production_solvers.h"
#include "simulation/rest_err_header.h"
#include "simulation/simulation_driver.h"
#include "tests/support/series_factory.h"

// Everything one simulation run needs, set up as the simulation command does: an alphabet of
// 20 etalons of 20 samples, fresh seeds, a series header prepared for the run's length and
// distances, and an error header with its grid.
struct SimulationRig {
  MessageRecorder window;
  TestAlphabet alphabet{20, 20, 128};
  RandomSeeds seeds;
  SeriesHeader* series = nullptr;
  RestErrHeader* errors = nullptr;
  SimulationTimes times;
  SimulationSettings settings;
  std::vector<uint16_t> required{1};

  SimulationRig(uint32_t seriesSize, uint16_t tmin, uint16_t tmax) {
    series = getCutOffSeriesHeader(window, 20, 20, tmin, tmax, seriesSize, nullptr);
  }
  ~SimulationRig() {
    freeSeriesHeader(window, series);
    freeRestErrHeader(window, errors);
  }
  SimulationRig(const SimulationRig&) = delete;
  SimulationRig& operator=(const SimulationRig&) = delete;

  // Pulse counts first, first + pulseStep, ... (pulseCount of them); levels likewise.
  bool grid(uint16_t firstPulses, uint16_t pulseStep, uint16_t pulseCount, uint16_t firstLevel,
            uint16_t levelStep, uint16_t levelCount, int32_t repeats) {
    errors = getRestErrHeader(window, pulseCount, levelCount, repeats, errors);
    return errors != nullptr && initRestErrHeader(window, pulseCount, firstPulses, pulseStep, levelCount,
                                                  firstLevel, levelStep, repeats, errors) == 1;
  }

  int run(uint16_t seriesType, uint16_t taskType, uint16_t makingLevel = 100,
          uint16_t processingLevel = 100) {
    return statCutoffTrawling(window, errors, 20, alphabet.pulses, static_cast<uint16_t>(required.size()),
                              required.data(), seriesType, taskType, makingLevel, processingLevel, series,
                              seeds, times, settings);
  }

  // The cells of one table, level by level.
  std::vector<int32_t> table(int32_t** rows) const {
    std::vector<int32_t> cells;
    for (uint16_t k = 0; k < errors->wNoiseLevels; ++k) {
      for (uint16_t j = 0; j < errors->wVariousPulses; ++j) cells.push_back(rows[k][j]);
    }
    return cells;
  }
};
