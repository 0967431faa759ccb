#pragma once
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "platform/message_recorder.h"
#include "platform/window.h"

// The window of the command-line companion: it has no screen, so every message box of
// the libraries becomes lines on standard error (or the given stream): "[caption] text",
// or the text alone when there is no caption. A box is answered unattended (OK, or Yes
// for a yes/no question). Every box is also kept, so that
// a caller (the Python module) can hand it on; a null stream prints nothing.
class StderrWindow : public Window {
 public:
  explicit StderrWindow(std::FILE* out = stderr) : out_(out) {}

  int messageBox(const std::string& text, const std::string& caption, uint32_t style) override;
  // Hands the step to `steps` (when set) and gives its answer; true without it.
  bool keepGoing(const char* unit, uint64_t done, uint64_t total) override;

  // What a long loop of the libraries reports to (progress lines, a stop request).
  std::function<bool(const char* unit, uint64_t done, uint64_t total)> steps;

  // Number of message boxes shown so far.
  int messageCount() const { return static_cast<int>(recorder_.messages().size()); }
  // The boxes shown so far, in order.
  const std::vector<MessageRecorder::Message>& messages() const { return recorder_.messages(); }

 private:
  std::FILE* out_;
  MessageRecorder recorder_;
};

// The lines a message box becomes: "[caption] text" (the text alone without a caption),
// trailing line breaks of the text dropped, ending with one line break.
std::string messageLines(const std::string& text, const std::string& caption);
