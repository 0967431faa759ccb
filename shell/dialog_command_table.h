#pragma once
#include <cstdint>

class Window;
struct AppState;

// Runs the command `id` when it is one of the menu commands of dialog_commands.h,
// CM_SIMULATION_SETUP or CM_SERIES_DIALOG, through the function that serves it; false
// (nothing done) otherwise.
bool runDialogCommand(Window& window, AppState& state, uint16_t id);
