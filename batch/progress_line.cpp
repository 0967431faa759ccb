#include "batch/progress_line.h"

#include <unistd.h>

#include <cstdio>

ProgressLine::ProgressLine(std::string command, double quietSeconds, double everySeconds)
    : command_(std::move(command)),
      quietSeconds_(quietSeconds),
      everySeconds_(everySeconds),
      start_(std::chrono::steady_clock::now()),
      terminal_(isatty(STDERR_FILENO) == 1) {}

void ProgressLine::operator()(const char* unit, uint64_t done, uint64_t total) {
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
  const bool last = done >= total;
  if (seconds < quietSeconds_) return;
  if (shown_ && !last && seconds - lastShown_ < everySeconds_) return;
  std::fprintf(stderr, "%s%s: %llu of %llu %s, %.1f s%s", terminal_ ? "\r" : "", command_.c_str(),
               static_cast<unsigned long long>(done), static_cast<unsigned long long>(total), unit, seconds,
               terminal_ && !last ? "" : "\n");
  std::fflush(stderr);
  shown_ = true;
  open_ = terminal_ && !last;
  lastShown_ = seconds;
}

void ProgressLine::endLine() {
  if (!open_) return;
  std::fputc('\n', stderr);
  std::fflush(stderr);
  open_ = false;
}
