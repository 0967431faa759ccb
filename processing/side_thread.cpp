#include "processing/side_thread.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <new>
#include <system_error>
#include <utility>

#if defined(__unix__)
#include <pthread.h>
#include <signal.h>
#endif

namespace {

// How long the side thread waits for its next task before it ends.
constexpr auto kKeptFor = std::chrono::seconds(1);

// How long a thread stays awake for what it waits for before it sleeps: the parts of a
// computation follow each other within microseconds, and a processor that slept (a virtual
// one above all) takes tens of microseconds to wake, as much as a short part.
constexpr auto kAwakeFor = std::chrono::microseconds(200);

// Waits, awake, until flag is set or kAwakeFor has passed.
void awaitAwake(const std::atomic<bool>& flag) {
  const auto until = std::chrono::steady_clock::now() + kAwakeFor;
  while (!flag.load(std::memory_order_acquire)) {
    for (int i = 0; i < 32; ++i) {
#if defined(__x86_64__) || defined(__i386__)
      __builtin_ia32_pause();
#elif defined(__aarch64__)
      asm volatile("yield");
#endif
    }
    if (std::chrono::steady_clock::now() >= until) return;
  }
}

struct SideThread {
  std::mutex mutex;
  std::condition_variable changed;
  bool alive = false;    // a thread serves the tasks
  bool taken = false;    // a SideTask holds it, from its start to its join
  bool pending = false;  // task is given and not yet begun
  bool done = false;     // the task taken has run
  bool nudged = false;   // a task is about to come
  std::function<void()> task;
  // pending and done, for the threads that wait awake without the mutex
  std::atomic<bool> offered{false};
  std::atomic<bool> finished{false};
};

SideThread* sideThread = nullptr;
std::once_flag made;

// Never destroyed: at exit the thread may still be waiting on it. A child process made by
// fork has no side thread, whatever the parent's was doing: it starts afresh.
SideThread& side() {
  std::call_once(made, [] {
    sideThread = new SideThread;
#if defined(__unix__)
    pthread_atfork(nullptr, nullptr, [] { new (sideThread) SideThread; });
#endif
  });
  return *sideThread;
}

// Held while a helper thread is made, which inherits them blocked: signals meant for the program
// (a stop, say) reach the threads that wait for them, not a helper.
class SignalsHeld {
 public:
  SignalsHeld() {
#if defined(__unix__)
    sigset_t all;
    sigfillset(&all);
    pthread_sigmask(SIG_BLOCK, &all, &before_);
#endif
  }
  ~SignalsHeld() {
#if defined(__unix__)
    pthread_sigmask(SIG_SETMASK, &before_, nullptr);
#endif
  }
  SignalsHeld(const SignalsHeld&) = delete;
  SignalsHeld& operator=(const SignalsHeld&) = delete;

 private:
#if defined(__unix__)
  sigset_t before_;
#endif
};

void serve(SideThread& s) {
  std::unique_lock<std::mutex> lock(s.mutex);
  for (;;) {
    if (!s.pending) {
      lock.unlock();
      awaitAwake(s.offered);
      lock.lock();
    }
    if (!s.changed.wait_for(lock, kKeptFor, [&] { return s.pending || s.nudged; })) {
      s.alive = false;
      return;
    }
    s.nudged = false;
    if (!s.pending) continue;
    std::function<void()> task = std::move(s.task);
    s.task = nullptr;
    s.pending = false;
    s.offered.store(false, std::memory_order_relaxed);
    lock.unlock();
    task();
    task = nullptr;
    lock.lock();
    s.done = true;
    s.finished.store(true, std::memory_order_release);
    s.changed.notify_all();
  }
}

}  // namespace

bool SideTask::start(std::function<void()> task) {
  join();
  SideThread& s = side();
  {
    std::lock_guard<std::mutex> lock(s.mutex);
    bool ready = !s.taken;
    if (ready && !s.alive) {
      const SignalsHeld held;
      try {
        std::thread(serve, std::ref(s)).detach();
        s.alive = true;
      } catch (const std::system_error&) {
        ready = false;
      }
    }
    if (ready) {
      s.task = std::move(task);
      s.taken = true;
      s.pending = true;
      s.done = false;
      s.finished.store(false, std::memory_order_relaxed);
      s.offered.store(true, std::memory_order_release);
      onSideThread_ = true;
      s.changed.notify_all();
      return true;
    }
  }
  const SignalsHeld held;
  try {
    own_ = std::thread(std::move(task));
  } catch (const std::system_error&) {
    return false;
  }
  return true;
}

void wakeSideThread() {
  SideThread& s = side();
  std::lock_guard<std::mutex> lock(s.mutex);
  if (!s.alive || s.taken) return;
  s.nudged = true;
  s.changed.notify_all();
}

void SideTask::join() {
  if (onSideThread_) {
    SideThread& s = side();
    awaitAwake(s.finished);
    std::unique_lock<std::mutex> lock(s.mutex);
    s.changed.wait(lock, [&] { return s.done; });
    s.taken = false;
    onSideThread_ = false;
    return;
  }
  if (own_.joinable()) own_.join();
}
