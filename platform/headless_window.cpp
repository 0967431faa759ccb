#include "platform/headless_window.h"

int HeadlessWindow::messageBox(const std::string& text, const std::string& caption, uint32_t style) {
  messages_.push_back({text, caption, style});
  if (!answers_.empty()) {
    int answer = answers_.front();
    answers_.pop_front();
    return answer;
  }
  return (style & kMbButtonMask) == kMbYesNo ? kIdYes : kIdOk;
}
