#pragma once
#include "batch/answer_plot_output.h"
#include "batch/exit_status.h"
#include "batch/options.h"

// Each command starts from a fresh workbench (every random source at its initial value,
// the alphabet and the first series made as at the workbench's start), prints its result
// on standard output and its messages on standard error, and returns the exit status.

// Prints the etalons built with the given amplitude, count and length.
int runAlphabet(const AlphabetOptions& options);

// Makes one series, adds noise and prints the series header.
int runSeries(const SeriesSettings& settings);

// Makes a series as runSeries does, runs the solver the workbench chooses for the task and
// series type, and prints the series, the answer and the ranked chains; with plot.file it also
// draws the series, the pulses found and the true ones into that picture.
int runProcess(const ProcessSettings& settings, const PlotRequest& plot = {});
