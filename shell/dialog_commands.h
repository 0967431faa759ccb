#pragma once
#include <cstdint>

class Window;
struct AppState;
struct SeriesHeader;

// The commands that open the parameter dialogs, switch to the parameter or subset view,
// save the window image, and set up, run and show a statistical simulation. Each takes the
// window and the application state; commands that continue a processing run or redraw
// send the dispatcher's internal commands to the window.

// Menu commands served here (besides CM_SIMULATION_SETUP and CM_SERIES_DIALOG).
enum : uint16_t {
  kCmCreateSeries = 40001,
  kCmNewPulses = 40002,
  kCmSaveImage = 40003,
  kCmStatisticalSimulation = 40012,
  kCmShowStatisticalSimulation = 40015,
  kCmSelectSetOfPulses = 40016,
  kCmSubsetSettings = 40029,
  kCmDrawingSettings = 40030,
  kCmViewSeriesParameters = 40031,
};

// Runs the command `id` when it is one of the above, CM_SIMULATION_SETUP or CM_SERIES_DIALOG;
// false (nothing done) otherwise.
bool runDialogCommand(Window& window, AppState& state, uint16_t id);

// " Create series... ": dialogs 105 and 106, then the series is made from the edited
// sequence (CM_MAKE_SERIES_KEEP_SEQUENCE). Stops after Cancel, or after a message when the
// sequences or the chains header cannot be grown.
void commandCreateSeries(Window& window, AppState& state);
// CM_SERIES_DIALOG: repairs an empty required list and an unselected detection etalon,
// then opens dialog 105.
void commandSeriesDialog(Window& window, AppState& state);
// " New pulses... ": dialog 107, then numbers above the alphabet are repaired and the
// flags rebuilt from the list.
void commandNewPulses(Window& window, AppState& state);
// " View series parameters...": the parameter view.
void commandViewSeriesParameters(Window& window, AppState& state);
// " Select set of pulses": the subset view.
void commandSelectSetOfPulses(Window& window, AppState& state);
// " Save image as...": MakeSnapshot; its failure is reported.
void commandSaveImage(Window& window, AppState& state);
// " Subset settings ...": dialog 111, then the subset is applied to the current series
// (nothing when there is none).
void commandSubsetSettings(Window& window, AppState& state);
// " Drawing settings ...": dialog 112.
void commandDrawingSettings(Window& window, AppState& state);
// CM_SIMULATION_SETUP: dialogs 105 and 110 and the simulation grid.
void commandSimulationSetup(Window& window, AppState& state);
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
