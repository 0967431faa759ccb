#pragma once
#include <cstdint>

class Window;
struct AppState;

// The window's command handler: runs the menu command or internal command `id` (the low
// 16 bits of the command message). Unknown ids do nothing. Failures are reported in
// message boxes and end the command; commands that need the current series do nothing
// while there is none.
void dispatchCommand(Window& window, AppState& state, uint16_t id);

// The steps of a processing run, each continuing into the next as one run, from the step
// `id` (CM_NEXT_DATA, CM_MAKE_SERIES, CM_MAKE_SERIES_KEEP_SEQUENCE, CM_ADD_NOISE,
// CM_PROCESS or CM_REDRAW_RESULT) to the repaint, unless a step stops it.
void runProcessingFrom(Window& window, AppState& state, uint16_t id);
