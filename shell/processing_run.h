#pragma once
#include <cstdint>

class Window;
struct AppState;

// The steps of a processing run, each continuing into the next as one run, from the step
// `id` (CM_NEXT_DATA, CM_MAKE_SERIES, CM_MAKE_SERIES_KEEP_SEQUENCE, CM_ADD_NOISE,
// CM_PROCESS or CM_REDRAW_RESULT) to the repaint, unless a step stops it.
void runProcessingFrom(Window& window, AppState& state, uint16_t id);
