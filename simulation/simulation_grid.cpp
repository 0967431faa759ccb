#include "simulation/simulation_grid.h"

#include <cstdio>

#include "platform/message_sink.h"
#include "processing/working_limits.h"
#include "signal/pulse_bounds.h"

static std::string format(const char* pattern, long a, long b = 0, long c = 0, long d = 0) {
  char text[256];
  std::snprintf(text, sizeof text, pattern, a, b, c, d);
  return text;
}

std::string seriesShapeProblem(uint32_t seriesSize, uint16_t impulseSize, uint16_t tmin, uint16_t tmax) {
  if (tmin == 0) return "Tmin must be at least 1.";
  if (tmax < tmin) return format("Tmax (%ld) must not be below Tmin (%ld).", tmax, tmin);
  if (impulseSize == 0) return "The etalon length must be at least 1.";
  if (seriesSize < impulseSize) {
    return format("The series length (%ld) must not be below the etalon length (%ld).", seriesSize,
                  impulseSize);
  }
  if (seriesSize > kMaxSolverSeriesSize) {
    return format("The series length (%ld) must not exceed %ld samples.", seriesSize, kMaxSolverSeriesSize);
  }
  return {};
}

std::string pulseCountProblem(uint32_t seriesSize, uint16_t impulseSize, uint16_t tmin, uint16_t tmax,
                              uint16_t pulses) {
  const uint16_t low = seriesMinPulses(seriesSize, impulseSize, tmax);
  const uint16_t high = maxPulsesFor(seriesSize, impulseSize, tmin);
  if (pulses < low || pulses > high) {
    return format("The pulse count %ld lies outside the admissible range %ld..%ld.", pulses, low, high);
  }
  return {};
}

uint16_t simulationPulseSteps(const SimulationGrid& g) {
  if (g.maxPulses < g.minPulses) return 0;
  const uint32_t step = g.pulsesIncrement == 0 ? 1u : g.pulsesIncrement;
  return static_cast<uint16_t>((static_cast<uint32_t>(g.maxPulses) - g.minPulses) / step + 1u);
}

std::string simulationGridProblem(const SimulationGrid& g) {
  if (g.repeats == 0) return "The number of repeats must be at least 1.";
  if (g.noiseSteps == 0) return "The number of noise steps must be at least 1.";
  if (g.maxPulses < g.minPulses) {
    return format("The pulse range from %ld to %ld is inverted.", g.minPulses, g.maxPulses);
  }
  std::string problem = seriesShapeProblem(g.seriesSize, g.impulseSize, g.tmin, g.tmax);
  if (!problem.empty()) return problem;
  problem = pulseCountProblem(g.seriesSize, g.impulseSize, g.tmin, g.tmax, g.minPulses);
  if (problem.empty()) problem = pulseCountProblem(g.seriesSize, g.impulseSize, g.tmin, g.tmax, g.maxPulses);
  if (!problem.empty()) return problem;
  const uint64_t lastLevel = g.noiseInitialLevel + uint64_t{g.noiseSteps - 1u} * g.noiseIncrement;
  if (lastLevel > 32767) {
    return format("The last noise level (%ld) must not exceed 32767.", static_cast<long>(lastLevel));
  }
  return {};
}

int validateSimulationGrid(MessageSink& window, const SimulationGrid& grid) {
  const std::string problem = simulationGridProblem(grid);
  if (problem.empty()) return 1;
  window.messageBox(problem, " Simulation parameters ", kMbOk | kMbIconWarning);
  return 0;
}
