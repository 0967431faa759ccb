#pragma once
// SIGINT and SIGTERM in a program that writes files: every temporary file an AtomicFile holds
// is listed here while it exists, and a program that calls installStopSignals() removes them
// all when one of these signals ends it. A run that can stop between steps (a simulation
// between cells) holds a StopRequest: while one exists, the first signal only asks it to stop
// and the run ends itself; a second signal ends the program at once.
//
// Library code never installs handlers by itself: the companion installs them in main, and
// a host such as the Python interpreter keeps its own.

// Installs the handlers of SIGINT and SIGTERM (a signal ignored at start, as under nohup, stays
// ignored) and ignores SIGXFSZ, so that a file-size limit makes a write fail with EFBIG and
// the writer reports it like any other write error.
void installStopSignals();

// Lists a temporary file (a path of at most 4095 bytes; longer ones are not listed) to be
// removed when a signal ends the program; returns its slot, or -1 when it is not listed.
int listTemporaryFile(const char* path);
// Takes the file of a slot off the list (nothing for -1).
void unlistTemporaryFile(int slot);

// While one exists, the first SIGINT or SIGTERM is only recorded.
class StopRequest {
 public:
  StopRequest();
  ~StopRequest();
  StopRequest(const StopRequest&) = delete;
  StopRequest& operator=(const StopRequest&) = delete;
  // The signal that asked the run to stop, or 0.
  int signal() const;
  bool stopped() const { return signal() != 0; }
};

// The signal a StopRequest recorded, or 0 (none exists, or no signal came): for code that
// waits on a stream and must not wait on after a run was asked to stop.
int requestedStopSignal();
