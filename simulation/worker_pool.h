#pragma once
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

// A small pool of worker threads that runs batches of independent tasks. The calling thread
// is worker 0 and takes part in every batch; the pool adds size() - 1 threads of its own.
class WorkerPool {
 public:
  // Starts a pool of the given number of workers (0 = one per available core). When the
  // system refuses a thread the pool simply works with fewer; it always has at least one.
  explicit WorkerPool(unsigned workers);
  ~WorkerPool();
  WorkerPool(const WorkerPool&) = delete;
  WorkerPool& operator=(const WorkerPool&) = delete;

  // Number of workers, the calling thread included.
  unsigned size() const { return static_cast<unsigned>(threads_.size()) + 1; }

  // Runs task(index, worker) once for every index below count, spread over the workers
  // (worker < size()), and returns when all have finished. The task must not throw.
  void run(uint32_t count, const std::function<void(uint32_t index, unsigned worker)>& task);

 private:
  void workerLoop(unsigned worker);
  void drain(unsigned worker);

  std::vector<std::thread> threads_;
  std::mutex mutex_;
  std::condition_variable wake_;
  std::condition_variable done_;
  const std::function<void(uint32_t, unsigned)>* task_ = nullptr;
  uint32_t count_ = 0;
  uint32_t next_ = 0;
  uint64_t generation_ = 0;
  unsigned busy_ = 0;
  bool stopping_ = false;
};

// Number of workers a setting asks for: 0 means one per available core, at least 1.
unsigned effectiveWorkerCount(unsigned requested);
