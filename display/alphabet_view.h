#pragma once

class Window;
class Surface;
struct AppState;

// Draws the outline of `workArea` as four lines through its corners, the right and bottom
// sides one pixel outside it.
void drawWorkAreaOutline(Surface& surface, const AppState& state);

// The alphabet view: every etalon in its grid cell with " pulse n [energy]", its axis, zero
// line and waveform (blue and bold-framed when selected, navy otherwise). Cells too small
// to hold a plot are left empty. Returns 1.
int drawAlphabetView(Window& window, Surface& surface, const AppState& state);
