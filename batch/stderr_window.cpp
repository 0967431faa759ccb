#include "batch/stderr_window.h"

std::string messageLines(const std::string& text, const std::string& caption) {
  std::string body = text;
  while (!body.empty() && (body.back() == '\n' || body.back() == '\r')) body.pop_back();
  std::string lines;
  if (!caption.empty()) lines = "[" + caption + "] ";
  lines += body;
  lines += '\n';
  return lines;
}

int StderrWindow::messageBox(const std::string& text, const std::string& caption, uint32_t style) {
  const int answer = recorder_.messageBox(text, caption, style);
  if (out_ != nullptr) {
    const std::string lines = messageLines(text, caption);
    std::fwrite(lines.data(), 1, lines.size(), out_);
    std::fflush(out_);
  }
  return answer;
}

bool StderrWindow::keepGoing(const char* unit, uint64_t done, uint64_t total) {
  return !steps || steps(unit, done, total);
}
