#pragma once
#include <cstdint>

class Window;
struct AppState;

// The left-button press (and double click, which acts alike) at client (x, y): hit-tests
// the rectangles of the last paint for the view of viewState (the parameter panel's own
// targets first in view 10), then the button column and the choice panels; changes the
// state and sends the window the internal command that runs or repaints what changed.
// A press on nothing sends CM_NOTHING. Never draws.
void mousePress(Window& window, AppState& state, int32_t doubleClick, int32_t x, int32_t y);
