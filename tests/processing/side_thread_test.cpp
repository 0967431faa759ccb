#include "processing/side_thread.h"

#include <gtest/gtest.h>
#include <pthread.h>
#include <signal.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <stdexcept>
#include <thread>
#include <vector>

namespace {

int threadsOfProcess() {
  int count = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator("/proc/self/task")) ++count;
  return count;
}

// Waits past the second the side thread waits for its next task, until the process has fewer
// threads than `before` (a loaded machine may end the thread late), for at most ten seconds;
// returns the count.
int threadsOnceTheSideThreadEnded(int before) {
  std::this_thread::sleep_for(std::chrono::milliseconds(1100));
  const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  int count = threadsOfProcess();
  while (count >= before && std::chrono::steady_clock::now() < until) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    count = threadsOfProcess();
  }
  return count;
}

}  // namespace

// The second part runs beside the first, its results are there once both are done, and what
// it throws is thrown to the caller after the first part has ended.
TEST(SideThreadTest, PartsRunSideBySideAndFailuresReachTheCaller) {
  for (int round = 0; round < 50; ++round) {
    std::vector<int> first(1000), second(1000);
    inParallel([&] { first.assign(1000, round); }, [&] { second.assign(1000, -round); });
    ASSERT_EQ(first, std::vector<int>(1000, round));
    ASSERT_EQ(second, std::vector<int>(1000, -round));
  }
  // Both parts meet halfway: they must really run at once.
  std::atomic<int> arrived{0};
  auto meet = [&] {
    ++arrived;
    while (arrived.load() < 2) std::this_thread::yield();
  };
  inParallel(meet, meet);
  EXPECT_EQ(arrived.load(), 2);

  bool firstEnded = false;
  EXPECT_THROW(inParallel([&] { firstEnded = true; }, [] { throw std::runtime_error("second part"); }),
               std::runtime_error);
  EXPECT_TRUE(firstEnded);
  EXPECT_THROW(inParallel([] { throw std::length_error("first part"); }, [] {}), std::length_error);
  // The side thread is free again after a failure.
  int after = 0;
  inParallel([] {}, [&] { after = 1; });
  EXPECT_EQ(after, 1);
}

// Callers on several threads at once: the side thread takes one task, the others get threads of
// their own, and every task runs exactly once.
TEST(SideThreadTest, CallersAtOnceEachGetTheirTaskRun) {
  std::atomic<int> runs{0};
  std::vector<std::thread> callers;
  for (int c = 0; c < 4; ++c)
    callers.emplace_back([&] {
      for (int i = 0; i < 200; ++i) {
        SideTask task;
        ASSERT_TRUE(task.start([&] { ++runs; }));
        task.join();
        task.join();  // a second wait returns at once
      }
    });
  for (std::thread& t : callers) t.join();
  EXPECT_EQ(runs.load(), 800);
}

// Helper threads take no signals, on the side thread or on threads of their own; the caller's
// mask stays as it was.
TEST(SideThreadTest, HelpersTakeNoSignals) {
  auto blocksStops = [] {
    sigset_t mask;
    pthread_sigmask(SIG_BLOCK, nullptr, &mask);
    return sigismember(&mask, SIGINT) == 1 && sigismember(&mask, SIGTERM) == 1;
  };
  ASSERT_FALSE(blocksStops());
  bool first = false, second = false;
  SideTask a, b;  // the second one, started while the first holds the side thread, gets a thread of its own
  ASSERT_TRUE(a.start([&] { first = blocksStops(); }));
  ASSERT_TRUE(b.start([&] { second = blocksStops(); }));
  a.join();
  b.join();
  EXPECT_TRUE(first);
  EXPECT_TRUE(second);
  EXPECT_FALSE(blocksStops());
}

// The side thread ends after a second without a task (a program that has done its work keeps
// no thread it did not start), and is started again when needed.
TEST(SideThreadTest, TheSideThreadEndsWhenIdleAndComesBack) {
  inParallel([] {}, [] {});
  const int idle = threadsOnceTheSideThreadEnded(threadsOfProcess());
  std::atomic<bool> ran{false};
  SideTask task;
  ASSERT_TRUE(task.start([&] { ran = true; }));
  task.join();
  EXPECT_TRUE(ran.load());
  EXPECT_EQ(threadsOfProcess(), idle + 1);
  EXPECT_EQ(threadsOnceTheSideThreadEnded(idle + 1), idle);
}

// Told that a task is about to come, the side thread stays awake a short while and then
// sleeps again (an awake wait that never ended would burn a processor); with no side thread
// the word starts none; a nudged thread still ends when idle.
TEST(SideThreadTest, ANudgedSideThreadWaitsAwakeOnlyBriefly) {
  inParallel([] {}, [] {});
  const int idle = threadsOnceTheSideThreadEnded(threadsOfProcess());
  wakeSideThread();
  EXPECT_EQ(threadsOfProcess(), idle);

  auto processorSeconds = [] {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
  };
  int sum = 0;
  for (int i = 1; i <= 10; ++i) {
    wakeSideThread();
    inParallel([] {}, [&] { sum += i; });
  }
  EXPECT_EQ(sum, 55);
  wakeSideThread();
  const double before = processorSeconds();
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  EXPECT_LT(processorSeconds() - before, 0.1) << "the side thread kept its processor busy while it waited";
  EXPECT_EQ(threadsOnceTheSideThreadEnded(idle + 1), idle);
}

// A child made by fork while the side thread lives has no such thread: its parts must still
// run rather than wait for ever.
TEST(SideThreadTest, AForkedChildRunsItsPartsWithoutTheParentsThread) {
  inParallel([] {}, [] {});
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    alarm(10);  // a wait for a thread that is not there ends the child with SIGALRM
    int sum = 0;
    for (int i = 1; i <= 10; ++i) inParallel([] {}, [&] { sum += i; });
    _exit(sum == 55 ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status)) << "the child ended by signal " << WTERMSIG(status);
  EXPECT_EQ(WEXITSTATUS(status), 0);
}
