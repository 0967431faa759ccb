#include "batch/simulation_files.h"

#include "batch/options.h"
#include "simulation/rest_err_header.h"

SimulationRun simulationRunOf(const SimulateSettings& m, const RestErrHeader& errors) {
  const ProcessSettings& p = m.process;
  SimulationRun r;
  r.taskType = p.taskType;
  r.effectiveTaskType = p.effectiveTaskType;
  r.seriesType = p.seriesType;
  r.seriesSize = p.series.length;
  r.tmin = p.series.tmin;
  r.tmax = p.series.tmax;
  r.impulseSize = kBatchImpulseSize;
  r.etalons = kBatchEtalons;
  r.amplitude = kBatchAmplitude;
  r.makingLevel = p.series.makingLevel;
  r.processingLevel = p.processingLevel;
  r.required = p.required;
  r.subset = p.series.subset;
  r.subsetMode = p.series.subsetMode;
  r.subsetPosition = p.series.subsetPosition;
  r.subsets = p.subsets;
  r.proceeding = p.proceeding;
  r.pulseValues.assign(errors.wPulseValues, errors.wPulseValues + errors.wVariousPulses);
  r.noiseLevels.assign(errors.lpNoiseLevel, errors.lpNoiseLevel + errors.wNoiseLevels);
  r.repeats = errors.repeats;
  return r;
}
