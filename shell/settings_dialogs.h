#pragma once

class Window;
struct AppState;

// Dialog 111 "Subset settings": subset employment, init position and proceeding.
int runSubsetSettingsDialog(Window& window, AppState& state);

// Dialog 112 "Drawing settings": the four drawing check boxes and the tuple highlight mode.
int runDrawingSettingsDialog(Window& window, AppState& state);

// Dialog 113 (or 114 when `recognition`, which adds "recognition error" and "bounds incl."):
// handling case, view case and the fixed upper bound of the charts.
int runChartSettingsDialog(Window& window, AppState& state, bool recognition);
