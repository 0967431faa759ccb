#pragma once
// The File menu's commands for the user's own files: "Open series...", "Open etalons..." and
// "Save series as...", and what keeps an opened series and opened etalons in use.
#include <cstddef>
#include <cstdint>

class Window;
struct AppState;

// Runs the file command id (kMenuOpenSeries, kMenuOpenEtalons, kMenuSaveSeries or
// CM_RESTORE_ALPHABET); false for any other id. A file that cannot be used is reported in a
// message box naming it and the reason, and leaves the series and the alphabet as they were.
// "Use as etalon": samples first..last of the opened recording, at the recording's own
// factor, become etalon 1 (the other etalons resampled to their length), etalon 1 becomes the
// required list, and the recording is processed again. False when nothing changed (after a
// message when the stretch cannot be an etalon).
bool useStretchAsEtalon(Window& window, AppState& state, size_t first, size_t last);

bool runFileCommand(Window& window, AppState& state, uint16_t id);
