#pragma once
#include <cstdint>
#include <vector>

class Window;
struct AppState;

// What a full paint of the state would show in the three parts of the window that commands
// change without always asking for a repaint: the button column (which buttons, where, which
// image), the choice panels (which panels, their entries and dots) and the view (which view
// and the settings it is drawn from). Two equal values draw the same there.
struct ShownScreen {
  std::vector<int64_t> buttons;
  std::vector<int64_t> panels;
  std::vector<int64_t> view;
};

// The parts of the screen the state shows now, for the window's current client rectangle.
ShownScreen shownScreen(const Window& window, const AppState& state);

// Invalidates (erasing) every part whose shown value differs between `before` and `after`,
// so that a control drawn is always the one a click there reaches.
void invalidateChangedParts(Window& window, const AppState& state, const ShownScreen& before,
                            const ShownScreen& after);

// Checks the menu items of the task type and the series type in use (16 and 32, the types of
// a user-edited sequence, show as 1 and 4) and unchecks the others of their groups, so that
// the check marks show the state after commands that change a type without its menu item.
void checkMenuItemsOfState(Window& window, const AppState& state);
