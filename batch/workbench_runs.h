#pragma once
// The runs of the companion on a workbench the caller keeps: detection-batch starts a fresh
// workbench for every command, the Python module may keep one so that its random sources go
// on from call to call. Each run puts its result into a JSON document (or the error header)
// and leaves printing to the caller.
#include <cstdint>
#include <string>
#include <vector>

#include "batch/json_output.h"
#include "batch/options.h"
#include "processing/solver_choice.h"
#include "simulation/simulation_driver.h"

class Window;
struct WorkbenchStart;

// How a run ended. failure is a reason no message box gave (message boxes went to the
// workbench's window); empty when a box said it or when the run succeeded.
struct RunOutcome {
  bool ok = false;
  std::string failure;
};

// The user's own data a processing run works on instead of a made series: the 16-bit noisy
// samples, and (when etalonCount > 0) etalons that replace etalons 1..etalonCount of the
// alphabet, row-major, all of etalonLength samples. Etalons of another length than the
// alphabet's stand alone: only they can be required.
struct GivenData {
  std::vector<int16_t> series;
  std::vector<int16_t> etalons;
  size_t etalonCount = 0;
  size_t etalonLength = 0;
};

// Builds the etalons of the options from fresh seeds (the alphabet command: it does not touch
// a workbench); doc gets {"etalons": [...]}. Messages go to window.
RunOutcome alphabetRun(Window& window, const AlphabetOptions& options, OrderedJson& doc);

// Makes one series of the settings (sequence and subset as given) and adds the noise;
// doc gets the series header.
RunOutcome seriesRun(WorkbenchStart& start, const SeriesSettings& settings, OrderedJson& doc);

// Makes a series as seriesRun does (the sequence drawn from the required list when none is
// given), runs the solver the workbench chooses for the task and series type, and puts the
// solver, its return value, the series, the answer and the ranked chains into doc.
RunOutcome processRun(WorkbenchStart& start, const ProcessSettings& settings, OrderedJson& doc);

// Runs the solver of the task and series type on the given data (settings.series.length, its
// pulse count and its impulse size must describe it); doc gets the solver, its return value,
// the series' sizes, the answer and the ranked chains (no truth: there is none).
RunOutcome givenDataRun(WorkbenchStart& start, const ProcessSettings& settings, const GivenData& data,
                        OrderedJson& doc);

// Checks that the etalon numbers of the settings (required list, tuple, candidate subsets)
// name etalons the run has: 1..20, or 1..etalonCount when the given etalons stand alone.
// Throws OptionError naming the option.
void checkGivenEtalons(const ProcessSettings& settings, size_t etalonCount, size_t etalonLength);

// Runs the statistical simulation of the settings; progress, stopRequested and computeCell of
// `how` are passed on (its amplitude, proceeding and solvers are set here). The error header of
// the workbench holds the tables when the outcome is ok; timesOut, when given, the run's times.
RunOutcome simulationRun(WorkbenchStart& start, const SimulateSettings& settings, SimulationSettings how,
                         SimulationTimes* timesOut = nullptr);
