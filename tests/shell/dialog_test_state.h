#pragma once
#include <vector>

#include "display/app_state.h"
#include "platform/headless_window.h"
#include "platform/window_procedure.h"

// An application state as the window start-up leaves it (required list [1] of capacity
// 20, etalon sequences of 30 entries all 1, the alphabet built), released on destruction.
struct StartedState {
  HeadlessWindow window;
  AppState state;
  explicit StartedState(int32_t width = 1024, int32_t height = 768);
  ~StartedState();
};

// A window procedure that serves the dialog commands and records every other command.
struct DialogCommandProcedure : WindowProcedure {
  AppState& state;
  std::vector<uint16_t> otherCommands;
  explicit DialogCommandProcedure(AppState& s) : state(s) {}
  bool onCreate(Window&) override { return true; }
  void onDestroy(Window&) override {}
  // Paints a small pattern: a black frame and a red block on white.
  void onPaint(Window&, Surface& surface, const Region&) override;
  void onCommand(Window& window, uint16_t id) override;
  void onKeyDown(Window&, uint32_t) override {}
  void onMouseMove(Window&, int16_t, int16_t, uint32_t) override {}
  void onLButtonDown(Window&, bool, int16_t, int16_t, uint32_t) override {}
  void onLButtonUp(Window&, int16_t, int16_t, uint32_t) override {}
};
