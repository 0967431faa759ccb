#include "files/stop_signals.h"

#include <unistd.h>

#include <atomic>
#include <csignal>
#include <cstring>

namespace {

// The handler reads these and nothing else: fixed arrays, lock-free atomics, unlink(2) and
// the resetting of the signal's action, all safe in a signal handler.
constexpr int kSlots = 64;
constexpr size_t kPathBytes = 4096;
enum : int { kFree = 0, kFilling = 1, kListed = 2 };
std::atomic<int> slotState[kSlots];
char slotPath[kSlots][kPathBytes];
std::atomic<int> stopRequests{0};
std::atomic<int> requestedBy{0};
static_assert(std::atomic<int>::is_always_lock_free);

void removeListedFiles() {
  for (int i = 0; i < kSlots; ++i) {
    if (slotState[i].load() == kListed) ::unlink(slotPath[i]);
  }
}

extern "C" void onStopSignal(int signal) {
  if (stopRequests.load() > 0) {
    int none = 0;
    if (requestedBy.compare_exchange_strong(none, signal)) return;
  }
  removeListedFiles();
  std::signal(signal, SIG_DFL);
  std::raise(signal);
}

void handle(int signal) {
  struct sigaction previous {};
  if (sigaction(signal, nullptr, &previous) == 0 && previous.sa_handler == SIG_IGN) return;
  struct sigaction action {};
  action.sa_handler = onStopSignal;
  sigemptyset(&action.sa_mask);
  sigaction(signal, &action, nullptr);
}

}  // namespace

void installStopSignals() {
  handle(SIGINT);
  handle(SIGTERM);
  std::signal(SIGXFSZ, SIG_IGN);
}

int listTemporaryFile(const char* path) {
  const size_t length = std::strlen(path);
  if (length >= kPathBytes) return -1;
  for (int i = 0; i < kSlots; ++i) {
    int expected = kFree;
    if (!slotState[i].compare_exchange_strong(expected, kFilling)) continue;
    std::memcpy(slotPath[i], path, length + 1);
    slotState[i].store(kListed);
    return i;
  }
  return -1;
}

void unlistTemporaryFile(int slot) {
  if (slot >= 0 && slot < kSlots) slotState[slot].store(kFree);
}

StopRequest::StopRequest() {
  if (stopRequests.fetch_add(1) == 0) requestedBy.store(0);
}

StopRequest::~StopRequest() { stopRequests.fetch_sub(1); }

int StopRequest::signal() const { return requestedBy.load(); }

int requestedStopSignal() { return stopRequests.load() > 0 ? requestedBy.load() : 0; }
