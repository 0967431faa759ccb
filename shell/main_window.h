#pragma once
#include <cstdint>

#include "display/internal_commands.h"
#include "display/paint.h"
#include "platform/window_procedure.h"

struct AppState;

// The main window of the workbench: start-up, message routing and clean-up over one
// application state, which the caller owns (the program one, tests fresh ones).
class MainWindow : public WindowProcedure {
 public:
  explicit MainWindow(AppState& state) : state_(state) {}

  // Loads the button bitmaps (a missing one is fatal: "Fatal Error" and false), builds the
  // alphabet, the required list, the settings, the chains header and the first series
  // (no noise, no processing) and creates the parameter edit control.
  bool onCreate(Window& window) override;
  // Releases every record, table and bitmap of the state.
  void onDestroy(Window& window) override;
  void onPaint(Window& window, Surface& surface, const Region& invalid) override;
  void onCommand(Window& window, uint16_t id) override;
  // Only the virtual-key codes 0 and 1 (which no key produces) repaint the client area.
  void onKeyDown(Window& window, uint32_t key) override;
  void onMouseMove(Window& window, int16_t x, int16_t y, uint32_t keys) override;
  void onLButtonDown(Window& window, bool doubleClick, int16_t x, int16_t y, uint32_t keys) override;
  void onLButtonUp(Window& window, int16_t x, int16_t y, uint32_t keys) override;

  const ButtonBitmaps& bitmaps() const { return bitmaps_; }

 private:
  // Brackets every message from outside: when the outermost one ends, the parts of the
  // screen whose content the message changed are invalidated.
  class EventScope;

  int eventDepth_ = 0;
  bool destroyed_ = false;
  AppState& state_;
  ButtonBitmaps bitmaps_;
};
