#pragma once
// "Use as etalon": a drag over a stretch of the noisy strip of an opened recording, with Shift
// or Ctrl held, offers the stretch as etalon 1; the recording is then processed again with it.
#include <cstdint>

class Window;
struct AppState;

// A press with Shift or Ctrl on the noisy strip of an opened recording's result starts the
// drag; true when it did (the press is then the drag's, not a click).
bool beginEtalonDrag(AppState& state, int32_t x, int32_t y, uint32_t keys);

// The release of a drag begun by beginEtalonDrag: offers the samples under the dragged span
// as etalon 1 and, when the user accepts, puts them in and processes the series again. False
// when no drag was under way.
bool endEtalonDrag(Window& window, AppState& state, int32_t x);
