#pragma once
// The File menu's commands for the user's own files: "Open series...", "Open etalons..." and
// "Save series as...", and what keeps an opened series and opened etalons in use.
#include <cstdint>

class Window;
struct AppState;

// Runs the file command id (kMenuOpenSeries, kMenuOpenEtalons, kMenuSaveSeries or
// CM_RESTORE_ALPHABET); false for any other id. A file that cannot be used is reported in a
// message box naming it and the reason, and leaves the series and the alphabet as they were.
bool runFileCommand(Window& window, AppState& state, uint16_t id);
