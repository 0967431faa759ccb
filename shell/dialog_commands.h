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
