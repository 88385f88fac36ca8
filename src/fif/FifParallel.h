#pragma once
// A small fork-join pool for the codec: independent pieces of work (planes, bands of rows,
// stream segments) spread over the machine's cores. Its threads start with the first call that
// shares work and wait between calls.

#include <cstddef>
#include <functional>

namespace qrl {

// Threads to use when the caller leaves it to the codec: one per core.
int FifDefaultThreads();

// Runs work(0) .. work(count - 1), each exactly once, on up to `threads` threads (the calling one
// included) and returns when all are done. The first exception thrown is rethrown here after
// the others have finished.
void ParallelFor(std::size_t count, int threads, const std::function<void(std::size_t)>& work);

}  // namespace qrl
