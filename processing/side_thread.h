#pragma once
// Two parts of one computation side by side: the second on a helper thread, the first on the
// calling one. What the helper throws is thrown again here once both are done, and when no
// thread can be started the second part runs after the first on the calling thread, so a
// helper never ends the program.
//
// The helper is the process's side thread, which waits a second for its next task before it
// ends: a new thread, with the first touches of its stack, costs up to a few tenths of a
// millisecond, as much as a short part of a pass. After a task it first waits awake for a
// fraction of a millisecond, as the caller does for the task's end: a sleeping processor takes
// tens of microseconds to wake. When a task of another caller holds it, a thread of the task's
// own takes over.
#include <exception>
#include <functional>
#include <thread>

// One task on a helper thread, waited for before the object goes.
class SideTask {
 public:
  SideTask() = default;
  SideTask(const SideTask&) = delete;
  SideTask& operator=(const SideTask&) = delete;
  ~SideTask() { join(); }

  // Starts task, which must not throw, on the side thread or on a thread of its own; false
  // (and nothing runs) when no thread can be had. May throw std::bad_alloc.
  bool start(std::function<void()> task);
  // Waits until the started task has run; nothing when none was started.
  void join();

 private:
  bool onSideThread_ = false;
  std::thread own_;
};

// Tells the side thread, when it sleeps, that a task is about to come: it wakes and stays
// awake a while, so that the task need not wait for its processor to wake.
void wakeSideThread();

template <class First, class Second>
void inParallel(First&& first, Second&& second) {
  std::exception_ptr failure;
  SideTask helper;
  const bool started = helper.start([&] {
    try {
      second();
    } catch (...) {
      failure = std::current_exception();
    }
  });
  if (!started) {
    first();
    second();
    return;
  }
  try {
    first();
  } catch (...) {
    helper.join();
    throw;
  }
  helper.join();
  if (failure) std::rethrow_exception(failure);
}
