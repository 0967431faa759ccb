#include "simulation/worker_pool.h"

#include <gtest/gtest.h>

#include <atomic>
#include <vector>

namespace {

TEST(WorkerPool, RunsEveryIndexExactlyOnceOnAValidWorker) {
  for (unsigned workers : {1u, 2u, 5u}) {
    WorkerPool pool(workers);
    EXPECT_EQ(pool.size(), workers);
    for (uint32_t count : {0u, 1u, 3u, 100u}) {
      std::vector<std::atomic<int>> hits(count);
      std::atomic<bool> badWorker{false};
      pool.run(count, [&](uint32_t index, unsigned worker) {
        hits[index].fetch_add(1);
        if (worker >= pool.size()) badWorker = true;
      });
      for (uint32_t i = 0; i < count; ++i) EXPECT_EQ(hits[i].load(), 1) << workers << " workers, index " << i;
      EXPECT_FALSE(badWorker.load());
    }
  }
}

TEST(WorkerPool, ZeroMeansOneWorkerPerCore) {
  EXPECT_GE(effectiveWorkerCount(0), 1u);
  EXPECT_EQ(effectiveWorkerCount(3), 3u);
  WorkerPool pool(0);
  EXPECT_EQ(pool.size(), effectiveWorkerCount(0));
}

}  // namespace
