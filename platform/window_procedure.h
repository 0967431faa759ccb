#pragma once
#include <cstdint>

#include "platform/region.h"

class Window;
class Surface;

// Key state flags passed with mouse events.
enum : uint32_t { kMkLButton = 0x0001, kMkRButton = 0x0002, kMkShift = 0x0004, kMkControl = 0x0008 };

// What the main window does with its messages; the host (Qt or headless) calls these.
// Coordinates are client pixels as signed 16-bit values.
class WindowProcedure {
 public:
  virtual ~WindowProcedure() = default;
  // Start-up; false aborts the creation of the window.
  virtual bool onCreate(Window& window) = 0;
  // Clean-up; called once, when the window is destroyed.
  virtual void onDestroy(Window& window) = 0;
  // Paints into `surface`, which is clipped to `invalid`; the erased part is already white.
  virtual void onPaint(Window& window, Surface& surface, const Region& invalid) = 0;
  // A menu item or an internal command.
  virtual void onCommand(Window& window, uint16_t id) = 0;
  // A key press with its virtual-key code (letters and digits as their upper-case ASCII code).
  virtual void onKeyDown(Window& window, uint32_t key) = 0;
  virtual void onMouseMove(Window& window, int16_t x, int16_t y, uint32_t keys) = 0;
  // The left button pressed; the host sends double clicks as plain presses (doubleClick false).
  virtual void onLButtonDown(Window& window, bool doubleClick, int16_t x, int16_t y, uint32_t keys) = 0;
  virtual void onLButtonUp(Window& window, int16_t x, int16_t y, uint32_t keys) = 0;
};
