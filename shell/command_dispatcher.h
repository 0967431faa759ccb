#pragma once
#include <cstdint>

class Window;
struct AppState;

// The window's command handler: runs the menu command or internal command `id` (the low
// 16 bits of the command message). Unknown ids do nothing. Failures are reported in
// message boxes and end the command; commands that need the current series do nothing
// while there is none.
void dispatchCommand(Window& window, AppState& state, uint16_t id);
