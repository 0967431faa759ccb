#pragma once
// SIGINT and SIGTERM during a long run of the companion: the first asks the run to stop at its
// next step (the command then removes its temporary files, leaves its targets as they were and
// says so in one line); a second one removes the temporary files itself and ends the program
// at once.
#include <csignal>
#include <initializer_list>

class AtomicFile;

class StopSignals {
 public:
  // Catches both signals until destroyed; the temporary files of `files` (at most three) are
  // the ones a second signal removes.
  explicit StopSignals(std::initializer_list<const AtomicFile*> files = {});
  ~StopSignals();
  StopSignals(const StopSignals&) = delete;
  StopSignals& operator=(const StopSignals&) = delete;

  // True once a signal asked to stop.
  bool stopped() const;
  // "SIGINT" or "SIGTERM": the signal that asked to stop.
  const char* signalName() const;

 private:
  struct sigaction previousInt_ {};
  struct sigaction previousTerm_ {};
};
