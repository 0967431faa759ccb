#pragma once
#include <cstdint>
#include <string>

#include "platform/geometry.h"

// Style flags of a message box: buttons in the low nibble, icon in the next one.
enum : uint32_t {
  kMbOk = 0x00,
  kMbOkCancel = 0x01,
  kMbYesNo = 0x04,
  kMbIconStop = 0x10,
  kMbIconQuestion = 0x20,
  kMbIconWarning = 0x30,  // the exclamation mark
  kMbIconInformation = 0x40,
  kMbButtonMask = 0x0F,
  kMbIconMask = 0xF0,
};

// Answers of a message box.
enum : int { kIdOk = 1, kIdCancel = 2, kIdYes = 6, kIdNo = 7 };

// The services the system needs from the window that owns an operation.
// Every operation of the system takes the owning Window first, for its message boxes.
class Window {
 public:
  virtual ~Window() = default;

  // Shows a modal message box; an empty caption means none. Returns the button pressed.
  virtual int messageBox(const std::string& text, const std::string& caption, uint32_t style) = 0;
};
