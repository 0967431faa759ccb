#pragma once
#include <cstdint>

class Window;
struct AppState;

// The press handling of the parameter panel's own targets (Cancel, OK, a pulse count, the
// four drag targets); false when the press hit none of them.
bool parameterPanelPress(Window& window, AppState& state, int32_t x, int32_t y);

// Pointer moves and the release in the parameter view (other views ignore them): a drag
// started by a press follows the pointer and the panel is redrawn partially; without a
// drag, hovering a target captures the mouse and shows a resize cursor.
void mouseMove(Window& window, AppState& state, int32_t x, int32_t y, uint32_t keys);
void mouseRelease(Window& window, AppState& state, int32_t x, int32_t y, uint32_t keys);

// Ends any drag and hover of the parameter panel: the saved cursor comes back and the mouse
// is released. Called when the parameter view is left.
void releaseParameterPointer(Window& window, AppState& state);
