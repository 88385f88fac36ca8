#pragma once
// Available physical memory, as the system reports it.

#include <cstdint>

namespace qrl {

// MemAvailable of /proc/meminfo in bytes; INT64_MAX when it cannot be read, so that an
// unknown amount never forces pictures out of memory.
std::int64_t ReadAvailableMemory();

}  // namespace qrl
