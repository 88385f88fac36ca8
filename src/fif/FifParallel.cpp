#include "fif/FifParallel.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <exception>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

namespace qrl {

namespace {

// One call's pieces: whoever joins takes the next piece until none is left, so uneven pieces
// balance out.
struct TJob {
  const std::function<void(std::size_t)>* work = nullptr;
  std::size_t count = 0;
  std::size_t helpersWanted = 0;
  std::size_t helpersIn = 0;  // guarded by the pool's mutex
  std::atomic<std::size_t> next{0};
  std::atomic<std::size_t> done{0};
  std::mutex failureMutex;
  std::exception_ptr failure;

  void Drain() {
    for (std::size_t i; (i = next.fetch_add(1)) < count;) {
      try {
        (*work)(i);
      } catch (...) {
        std::lock_guard lock(failureMutex);
        if (!failure) failure = std::current_exception();
      }
      done.fetch_add(1);
    }
  }
};

// Threads started once, one per core but the caller's, that wait for jobs: a render makes a few
// dozen calls, and starting threads for each cost more than the work they shared. The caller
// always works on its own job too, so a call finishes even when every helper is busy elsewhere
// (or a call is made from inside another).
class TPool {
 public:
  static TPool& Instance() {
    static TPool pool;
    return pool;
  }

  void Run(std::size_t count, int threads, const std::function<void(std::size_t)>& work) {
    TJob job;
    job.work = &work;
    job.count = count;
    job.helpersWanted = std::min(count, static_cast<std::size_t>(std::max(threads, 1))) - (count > 0);
    if (job.helpersWanted > 0 && !workers_.empty()) {
      std::lock_guard lock(mutex_);
      jobs_.push_back(&job);
    }
    wake_.notify_all();
    job.Drain();
    {
      // Helpers may still be on their last pieces, and none may join once the caller has gone.
      std::unique_lock lock(mutex_);
      std::erase(jobs_, &job);
      finished_.wait(lock, [&] { return job.done.load() == count && job.helpersIn == 0; });
    }
    if (job.failure) std::rethrow_exception(job.failure);
  }

  ~TPool() {
    {
      std::lock_guard lock(mutex_);
      stopping_ = true;
    }
    wake_.notify_all();
    for (std::thread& t : workers_) t.join();
  }

 private:
  TPool() {
    const int cores = FifDefaultThreads();
    for (int i = 1; i < cores; ++i) {
      try {
        workers_.emplace_back([this] { Serve(); });
      } catch (const std::system_error&) {
        break;  // no more threads to be had: callers do their own work
      }
    }
  }

  void Serve() {
    std::unique_lock lock(mutex_);
    for (;;) {
      TJob* job = nullptr;
      wake_.wait(lock, [&] { return stopping_ || (job = Open()) != nullptr; });
      if (stopping_) return;
      ++job->helpersIn;
      lock.unlock();
      job->Drain();
      lock.lock();
      --job->helpersIn;
      finished_.notify_all();
    }
  }

  // A job with pieces left that wants more helpers.
  TJob* Open() const {
    for (TJob* job : jobs_)
      if (job->helpersIn < job->helpersWanted && job->next.load() < job->count) return job;
    return nullptr;
  }

  std::mutex mutex_;
  std::condition_variable wake_;
  std::condition_variable finished_;
  std::deque<TJob*> jobs_;
  bool stopping_ = false;
  std::vector<std::thread> workers_;
};

}  // namespace

int FifDefaultThreads() { return static_cast<int>(std::max(1u, std::thread::hardware_concurrency())); }

void ParallelFor(std::size_t count, int threads, const std::function<void(std::size_t)>& work) {
  if (threads <= 1 || count <= 1) {
    // Nothing to share: no pool, no locks.
    std::exception_ptr failure;
    for (std::size_t i = 0; i < count; ++i) {
      try {
        work(i);
      } catch (...) {
        if (!failure) failure = std::current_exception();
      }
    }
    if (failure) std::rethrow_exception(failure);
    return;
  }
  TPool::Instance().Run(count, threads, work);
}

}  // namespace qrl
