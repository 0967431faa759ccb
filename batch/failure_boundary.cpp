#include "batch/failure_boundary.h"

#include <atomic>
#include <cstdio>
#include <exception>
#include <new>
#include <stdexcept>
#include <string>

#include "batch/checked_output.h"
#include "batch/exit_status.h"

namespace {

// Scopes belong to the thread that opens them: the Python module runs commands on several
// threads at once, each with its own stack of scopes.
thread_local const Making* innermost = nullptr;
// The innermost scope that an exception left: scopes end before a handler runs, so the one
// being unwound records itself.
thread_local const char* leftByException = nullptr;

void say(const std::string& line) {
  std::fputs(("detection-batch: " + oneLine(line) + "\n").c_str(), stderr);
  std::fflush(stderr);
}

// Address space held back for the clean-up after memory ran out. Destroying a large JSON
// value allocates (its elements are moved to a temporary stack), and an allocation that fails
// inside a destructor terminates the program; so the first failure gives this block back and
// throws, and the unwinding that follows finds room.
constexpr size_t kMemoryReserve = size_t{2} << 20;
// The simulation's workers may run out of memory at the same time as each other.
std::atomic<char*> memoryReserve{nullptr};
// Whether the program holds a reserve at all: only the companion's main asks for one
// (holdMemoryReserve); a library user such as the Python module keeps its own new_handler.
std::atomic<bool> reserveHeld{false};

void onMemoryShortage() {
  delete[] memoryReserve.exchange(nullptr);
  std::set_new_handler(nullptr);
  throw std::bad_alloc();
}

// Takes the reserve back when an earlier shortage used it (the libraries answer a failed
// allocation with a message and go on); false when it cannot be had.
bool armMemoryReserve() {
  if (memoryReserve.load() == nullptr) {
    char* reserve = new (std::nothrow) char[kMemoryReserve];
    if (reserve == nullptr) return false;
    delete[] memoryReserve.exchange(reserve);
  }
  std::set_new_handler(onMemoryShortage);
  return true;
}

}  // namespace

void holdMemoryReserve() {
  reserveHeld.store(true);
  armMemoryReserve();
}

Making::Making(const char* what)
    : what_(what), outer_(innermost), exceptionsAtStart_(std::uncaught_exceptions()) {
  // In the companion each new piece of work starts with the reserve in hand, or does not start.
  if (reserveHeld.load() && !armMemoryReserve()) {
    if (leftByException == nullptr) leftByException = what;
    throw std::bad_alloc();
  }
  innermost = this;
}

Making::~Making() {
  if (std::uncaught_exceptions() > exceptionsAtStart_ && leftByException == nullptr) leftByException = what_;
  innermost = outer_;
}

const char* Making::current() { return innermost != nullptr ? innermost->what_ : "the output"; }

int runGuarded(const std::function<int()>& body) {
  leftByException = nullptr;
  if (reserveHeld.load()) armMemoryReserve();
  // The memory message is composed from fixed words only: after bad_alloc nothing is made.
  const auto made = [] { return leftByException != nullptr ? leftByException : Making::current(); };
  try {
    return body();
  } catch (const std::bad_alloc&) {
    std::fprintf(stderr, "detection-batch: memory ran out while making %s\n", made());
  } catch (const std::length_error&) {
    std::fprintf(stderr, "detection-batch: memory ran out while making %s\n", made());
  } catch (const std::exception& e) {
    try {
      say(e.what());
    } catch (...) {
      std::fputs("detection-batch: unexpected failure\n", stderr);
    }
  } catch (...) {
    std::fputs("detection-batch: unexpected failure\n", stderr);
  }
  std::fflush(stderr);
  leftByException = nullptr;
  return kExitFailed;
}
