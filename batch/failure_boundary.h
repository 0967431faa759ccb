#pragma once
#include <functional>

// Scopes are per thread: commands may run on several threads at once (the Python module), each
// naming its own work.

// What the companion is making right now, named in the message when memory runs out
// ("the series", "the JSON document"). Scopes nest; the innermost one is named.
class Making {
 public:
  explicit Making(const char* what);
  ~Making();
  Making(const Making&) = delete;
  Making& operator=(const Making&) = delete;

  // The innermost scope's words, or "the output" outside every scope.
  static const char* current();

 private:
  const char* what_;
  const Making* outer_;
  int exceptionsAtStart_;
};

// Keeps a block of address space back for the clean-up after memory ran out and installs the
// new_handler that gives it back: the first failed allocation frees the block and throws
// std::bad_alloc, and every new scope takes the block back first. For the companion's main
// only; without it scopes change no process-wide state.
void holdMemoryReserve();

// Runs body and returns its exit status. An exception that leaves it becomes one line on
// standard error and exit status 1: "detection-batch: memory ran out while making <what>"
// for std::bad_alloc and std::length_error, "detection-batch: <what()>" for any other
// std::exception, "detection-batch: unexpected failure" for anything else.
int runGuarded(const std::function<int()>& body);
