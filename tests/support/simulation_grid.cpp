#include "tests/support/simulation_grid.h"

SimulationResult simulationGrid(size_t pulses, int16_t firstPulses, size_t levels, int16_t firstLevel,
                                int16_t levelStep) {
  SimulationResult r;
  r.run.seriesSize = 1200;
  r.run.tmin = 40;
  r.run.tmax = 181;
  r.run.impulseSize = 20;
  r.run.etalons = 20;
  r.run.amplitude = 128;
  r.run.required = {1};
  r.run.repeats = 1;
  for (size_t j = 0; j < pulses; ++j)
    r.run.pulseValues.push_back(static_cast<int16_t>((firstPulses + static_cast<int64_t>(j)) % 32768));
  for (size_t k = 0; k < levels; ++k)
    r.run.noiseLevels.push_back(static_cast<int16_t>(firstLevel + static_cast<int64_t>(k) * levelStep));
  return r;
}
