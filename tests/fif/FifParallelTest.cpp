// The codec's shared threads: every piece runs exactly once, failures come back to the caller,
// and calls made at the same time or from inside one another all finish.

#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <thread>
#include <vector>

#include "fif/FifParallel.h"

namespace qrl {
namespace {

TEST(FifParallel, EveryPieceRunsOnceAndFailuresReachTheCaller) {
  for (int threads : {1, 2, 8}) {
    std::vector<std::atomic<int>> runs(1000);
    ParallelFor(runs.size(), threads, [&](std::size_t i) { runs[i].fetch_add(1); });
    for (const auto& r : runs) ASSERT_EQ(r.load(), 1) << threads;

    // The other pieces still run; the first failure is rethrown once all are done.
    std::atomic<int> ran{0};
    EXPECT_THROW(ParallelFor(64, threads,
                             [&](std::size_t i) {
                               ran.fetch_add(1);
                               if (i % 10 == 3) throw std::runtime_error("piece failed");
                             }),
                 std::runtime_error);
    EXPECT_EQ(ran.load(), 64);
  }
}

TEST(FifParallel, NestedAndSimultaneousCallsFinish) {
  // Callers on several threads at once, each sharing pieces that share work again.
  std::atomic<long> total{0};
  std::vector<std::thread> callers;
  for (int c = 0; c < 4; ++c)
    callers.emplace_back([&] {
      for (int round = 0; round < 20; ++round)
        ParallelFor(8, 4, [&](std::size_t) { ParallelFor(16, 4, [&](std::size_t j) { total.fetch_add(static_cast<long>(j)); }); });
    });
  for (std::thread& t : callers) t.join();
  EXPECT_EQ(total.load(), 4L * 20 * 8 * (15 * 16 / 2));
}

}  // namespace
}  // namespace qrl
