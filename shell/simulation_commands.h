#pragma once

class Window;
struct AppState;
struct SeriesHeader;

// " Statistical Simulation": set-up, the parameter message, the records, the run (with a
// progress box that can cancel it), then the charts are shown.
void commandStatisticalSimulation(Window& window, AppState& state);
// " Show Statistical Simulation": the chart dialog (113, or 114 for recognition) and the
// chart view; nothing before a complete simulation.
void commandShowStatisticalSimulation(Window& window, AppState& state);
// Shows the chart of the simulation record as after a run: the chart settings dialog (114 for
// recognition, 113 otherwise), then the chart in the result view.
void showStatisticalChart(Window& window, AppState& state, bool recognition);

// Keeps a copy of the series a finished simulation's chart describes (lpSimulationSeries), so
// that the chart stays that run's whatever later runs do to the current series. When no copy
// can be had (a message has been shown) the chart reads the current series.
void keepSimulationSeries(Window& window, AppState& state, const SeriesHeader& series);
