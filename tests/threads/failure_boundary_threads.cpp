// Two calls of the Python module at once, as far as the failure boundary sees them: each thread
// opens the scopes a run opens, fails inside some of them and is answered by the boundary, while
// the other does the same. Built with ThreadSanitizer, which fails the test on any data race; the
// checks below fail it when a thread sees the other's scope or a call leaves a new_handler behind.
#include <atomic>
#include <cstdio>
#include <new>
#include <stdexcept>
#include <string>
#include <thread>

#include "batch/exit_status.h"
#include "batch/failure_boundary.h"

namespace {

std::atomic<int> failures{0};
std::atomic<int> ready{0};

void expect(bool condition, const char* what, int round) {
  if (condition) return;
  if (failures.fetch_add(1) < 10) std::fprintf(stderr, "round %d: %s\n", round, what);
}

// One call: a run of the series, its answer as a document, and every 64th time a shortage while
// making the document, which the boundary must turn into status 1.
void moduleCalls(const char* series, const char* document) {
  ready.fetch_add(1);
  while (ready.load() < 2) std::this_thread::yield();
  for (int round = 0; round < 4000; ++round) {
    const bool fail = round % 64 == 0;
    const int status = runGuarded([&]() -> int {
      const Making outer(series);
      expect(std::string(Making::current()) == series, "the thread's own series scope", round);
      {
        const Making inner(document);
        expect(std::string(Making::current()) == document, "the thread's own document scope", round);
        if (fail) throw std::length_error("too long");
      }
      expect(std::string(Making::current()) == series, "back in the series scope", round);
      return kExitOk;
    });
    expect(status == (fail ? kExitFailed : kExitOk), "the status of the call", round);
    expect(std::string(Making::current()) == "the output", "no scope left open", round);
    expect(std::get_new_handler() == nullptr, "no new_handler installed by a library call", round);
  }
}

}  // namespace

int main() {
  std::thread first(moduleCalls, "the series", "the JSON document");
  std::thread second(moduleCalls, "the alphabet", "the CSV table");
  first.join();
  second.join();
  const int failed = failures.load();
  std::printf("%d passed, %d failed\n", failed == 0 ? 1 : 0, failed == 0 ? 0 : 1);
  return failed == 0 ? 0 : 1;
}
