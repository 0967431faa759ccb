#include "simulation/worker_pool.h"

#include <system_error>

unsigned effectiveWorkerCount(unsigned requested) {
  if (requested != 0) return requested;
  const unsigned cores = std::thread::hardware_concurrency();
  return cores == 0 ? 1 : cores;
}

WorkerPool::WorkerPool(unsigned workers) {
  const unsigned wanted = effectiveWorkerCount(workers);
  for (unsigned w = 1; w < wanted; ++w) {
    try {
      threads_.emplace_back(&WorkerPool::workerLoop, this, w);
    } catch (const std::system_error&) {
      break;  // fewer threads than asked for: the results do not depend on their number
    }
  }
}

WorkerPool::~WorkerPool() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
  }
  wake_.notify_all();
  for (std::thread& t : threads_) t.join();
}

// Takes indices of the current batch until none is left.
void WorkerPool::drain(unsigned worker) {
  std::unique_lock<std::mutex> lock(mutex_);
  while (next_ < count_) {
    const uint32_t index = next_++;
    const std::function<void(uint32_t, unsigned)>* task = task_;
    lock.unlock();
    (*task)(index, worker);
    lock.lock();
  }
}

void WorkerPool::workerLoop(unsigned worker) {
  uint64_t seen = 0;
  for (;;) {
    {
      std::unique_lock<std::mutex> lock(mutex_);
      wake_.wait(lock, [&] { return stopping_ || generation_ != seen; });
      if (stopping_) return;
      seen = generation_;
      ++busy_;
    }
    drain(worker);
    {
      std::lock_guard<std::mutex> lock(mutex_);
      --busy_;
    }
    done_.notify_all();
  }
}

void WorkerPool::run(uint32_t count, const std::function<void(uint32_t, unsigned)>& task) {
  if (count == 0) return;
  if (threads_.empty()) {
    for (uint32_t i = 0; i < count; ++i) task(i, 0);
    return;
  }
  {
    std::lock_guard<std::mutex> lock(mutex_);
    task_ = &task;
    count_ = count;
    next_ = 0;
    ++generation_;
  }
  wake_.notify_all();
  drain(0);
  std::unique_lock<std::mutex> lock(mutex_);
  done_.wait(lock, [&] { return busy_ == 0 && next_ >= count_; });
  task_ = nullptr;
  count_ = 0;
}
