#include "simulation/message_recorder.h"

int MessageRecorder::messageBox(const std::string& text, const std::string& caption, uint32_t style) {
  messages_.push_back({text, caption, style});
  return (style & kMbButtonMask) == kMbYesNo ? kIdYes : kIdOk;
}

void MessageRecorder::replay(Window& window) const {
  for (const Message& m : messages_) window.messageBox(m.text, m.caption, m.style);
}
