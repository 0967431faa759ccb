#pragma once
#include <cstdint>

#include "display/layout.h"
#include "platform/geometry.h"
#include "platform/image.h"

class Window;
class Surface;
struct AppState;

// The five button images of the button column, 144 x 32 each, loaded at start-up.
struct ButtonBitmaps {
  Image restart;      // ButtonStart, resource 103
  Image exit;         // ButtonExit, 102
  Image next;         // IDB_BITMAP1, 101
  Image selectAll;    // IDB_BITMAP5, 109
  Image unselectAll;  // IDB_BITMAP4, 108
};

// The paint handler: recomputes the layout from the client rectangle and the font, draws
// the view of viewState, the buttons of the button column and the choice panels. Clears
// typeDetails after a result view. Never fails.
void paintMainWindow(Window& window, Surface& surface, AppState& state, const ButtonBitmaps& bitmaps);

// Draws one choice panel: its frame with the title across the top line, one circle and
// value (" %5d ") per entry and a dot in the selected entry's circle (black when `current`
// equals the selected value, grey otherwise; an index outside 1..count shows the first
// entry). Records the entries' hit rectangles in items[0 .. count-1]. Returns 1.
int drawChoicePanel(Window& window, Surface& surface, int32_t lineHeight, const Rect& panel, Rect* items,
                    const char* title, int32_t count, const int32_t* values, int32_t selected,
                    int32_t current);

// The layout a paint of `state` would compute for the window's current client rectangle,
// with the line height of the last paint.
ScreenLayout layoutForClient(const Window& window, const AppState& state);

// Whether the select-all button shows Select All (1) rather than Unselect All (0): at most
// half of the etalons are selected.
int32_t selectAllCaption(const AppState& state);
