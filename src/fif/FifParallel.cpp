#include "fif/FifParallel.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

namespace qrl {

int FifDefaultThreads() { return static_cast<int>(std::max(1u, std::thread::hardware_concurrency())); }

void ParallelFor(std::size_t count, int threads, const std::function<void(std::size_t)>& work) {
  std::atomic<std::size_t> next{0};
  std::exception_ptr failure;
  std::mutex failureMutex;
  // Every thread takes the next piece until none is left, so uneven pieces balance out.
  const auto drain = [&] {
    for (std::size_t i; (i = next.fetch_add(1)) < count;) {
      try {
        work(i);
      } catch (...) {
        std::lock_guard lock(failureMutex);
        if (!failure) failure = std::current_exception();
      }
    }
  };
  const std::size_t helpers = std::min(count, static_cast<std::size_t>(std::max(threads, 1))) - (count > 0);
  std::vector<std::thread> pool;
  pool.reserve(helpers);
  for (std::size_t i = 0; i < helpers; ++i) {
    try {
      pool.emplace_back(drain);
    } catch (const std::system_error&) {
      break;  // no more threads to be had: the ones running (and this one) do the rest
    }
  }
  drain();
  for (std::thread& t : pool) t.join();
  if (failure) std::rethrow_exception(failure);
}

}  // namespace qrl
