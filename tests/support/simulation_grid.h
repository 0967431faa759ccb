#pragma once
#include <cstddef>
#include <cstdint>

#include "files/simulation_result.h"

// A simulation result without cells, of the workbench's start settings (series 1200 long, Tmin
// 40, Tmax 181, 20 etalons of 20 samples, amplitude 128, etalon 1 required, one repeat), on a
// grid of `pulses` pulse counts counting up from `firstPulses` (wrapping past 32767) and
// `levels` noise levels `levelStep` apart from `firstLevel`: the run a shard file describes.
SimulationResult simulationGrid(size_t pulses, int16_t firstPulses, size_t levels, int16_t firstLevel,
                                int16_t levelStep);
