#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "platform/message_sink.h"

// One message box as it was shown.
struct RecordedMessage {
  std::string text;
  std::string caption;
  uint32_t style = 0;
};

// The answer of a run nobody watches: the one a user who reads the box and goes on would give,
// OK, or Yes for a yes/no question. Every place that answers boxes by itself uses it.
int unattendedAnswer(uint32_t style);

// A sink that only keeps the message boxes shown to it, answering each unattended, so that
// work done away from the calling thread (or without any window) can have its messages shown
// later, in order, by the owner, or read by a test.
class MessageRecorder : public MessageSink {
 public:
  using Message = RecordedMessage;

  int messageBox(const std::string& text, const std::string& caption, uint32_t style) override;

  const std::vector<Message>& messages() const { return messages_; }
  void clear() { messages_.clear(); }
  // Shows every kept message in the given sink, in the order they came.
  void replay(MessageSink& sink) const;

 private:
  std::vector<Message> messages_;
};
