#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "platform/window.h"

// A window that only keeps the message boxes shown to it, answering each with OK (Yes for a
// yes/no box), so that work done away from the calling thread can have its messages shown later,
// in order, by the owning window.
class MessageRecorder : public Window {
 public:
  struct Message {
    std::string text;
    std::string caption;
    uint32_t style = 0;
  };

  int messageBox(const std::string& text, const std::string& caption, uint32_t style) override;

  const std::vector<Message>& messages() const { return messages_; }
  void clear() { messages_.clear(); }
  // Shows every kept message in the given window, in the order they came.
  void replay(Window& window) const;

 private:
  std::vector<Message> messages_;
};
