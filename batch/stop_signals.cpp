#include "batch/stop_signals.h"

#include <unistd.h>

#include <cstring>
#include <string>

#include "files/atomic_file.h"

namespace {

volatile std::sig_atomic_t stopSignal = 0;
constexpr int kStopFiles = 3;
char temporaryToRemove[kStopFiles][4096] = {};

extern "C" void onStopSignal(int signal) {
  if (stopSignal == 0) {
    stopSignal = signal;
    return;
  }
  for (int i = 0; i < kStopFiles; ++i) {
    if (temporaryToRemove[i][0] != '\0') ::unlink(temporaryToRemove[i]);
  }
  std::signal(signal, SIG_DFL);
  std::raise(signal);
}

}  // namespace

StopSignals::StopSignals(std::initializer_list<const AtomicFile*> files) {
  stopSignal = 0;
  int slot = 0;
  for (const AtomicFile* file : files) {
    const std::string& path = file->temporaryPath();
    if (slot < kStopFiles && path.size() < sizeof temporaryToRemove[slot]) {
      std::memcpy(temporaryToRemove[slot++], path.c_str(), path.size() + 1);
    }
  }
  struct sigaction action {};
  action.sa_handler = onStopSignal;
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, &previousInt_);
  sigaction(SIGTERM, &action, &previousTerm_);
}

StopSignals::~StopSignals() {
  sigaction(SIGINT, &previousInt_, nullptr);
  sigaction(SIGTERM, &previousTerm_, nullptr);
  for (int i = 0; i < kStopFiles; ++i) temporaryToRemove[i][0] = '\0';
}

bool StopSignals::stopped() const { return stopSignal != 0; }

const char* StopSignals::signalName() const { return stopSignal == SIGTERM ? "SIGTERM" : "SIGINT"; }
