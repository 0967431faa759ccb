#pragma once
#include <deque>
#include <string>
#include <vector>

#include "platform/window.h"

// A window without a display: records every message box and answers it from a
// queue the caller fills (OK, or Yes for a yes/no box, when the queue is empty).
class HeadlessWindow : public Window {
 public:
  struct Message {
    std::string text;
    std::string caption;
    uint32_t style = 0;
  };

  int messageBox(const std::string& text, const std::string& caption, uint32_t style) override;

  void queueAnswer(int answer) { answers_.push_back(answer); }
  const std::vector<Message>& messages() const { return messages_; }
  void clearMessages() { messages_.clear(); }

 private:
  std::vector<Message> messages_;
  std::deque<int> answers_;
};
