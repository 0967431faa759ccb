#include "platform/message_recorder.h"

int unattendedAnswer(uint32_t style) { return (style & kMbButtonMask) == kMbYesNo ? kIdYes : kIdOk; }

int MessageRecorder::messageBox(const std::string& text, const std::string& caption, uint32_t style) {
  messages_.push_back({text, caption, style});
  return unattendedAnswer(style);
}

void MessageRecorder::replay(MessageSink& sink) const {
  for (const Message& m : messages_) sink.messageBox(m.text, m.caption, m.style);
}
