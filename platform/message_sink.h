#pragma once
// The one service the numeric kernels (signal/, processing/, simulation/, files/) need from
// whatever runs them: a place to report a failure or a diagnostic as a message box, and for a
// long loop a place to say how far it is and to hear that it should stop. The window
// implements it; the companion writes the messages to standard error and the Python module turns
// them into exceptions and warnings. A kernel that takes a MessageSink can be compiled and tested
// without any window.

#include <cstdint>
#include <string>

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

class MessageSink {
 public:
  virtual ~MessageSink() = default;
  // Shows `text` under `caption` (empty: none) with the buttons and icon of `style`, and gives
  // the button pressed.
  virtual int messageBox(const std::string& text, const std::string& caption, uint32_t style) = 0;
  // Called by a long kernel loop after each of its steps: `done` of `total` steps, counted in
  // `unit` ("subsets"). False asks the kernel to stop early; it then gives up as after a
  // refusal. The call changes no result; the default only goes on.
  virtual bool keepGoing(const char* unit, uint64_t done, uint64_t total) {
    (void)unit, (void)done, (void)total;
    return true;
  }
};
