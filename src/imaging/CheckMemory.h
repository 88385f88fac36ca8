#pragma once
// Every large block the player allocates (decoded pictures, colour tables, sound data) is checked
// against one cap first, so hostile sizes end in "Out of memory." (12288) instead of an attempt
// to allocate gigabytes.

#include <cstddef>
#include <cstdint>

#include "format/Dib.h"

namespace qrl {

inline constexpr std::uint64_t kMaxBlockBytes = std::uint64_t{1} << 30;

// Raises EQuireleafDebugger "Out of memory." (12288) when `bytes` exceeds kMaxBlockBytes.
void CheckMemory(std::uint64_t bytes);

// The byte count of a packed DIB (header included); raises "Out of memory." unless both sizes
// are at least 1 and the block fits the cap.
std::size_t CheckedDibSize(std::int64_t width, std::int64_t height);

// A zero-filled DIB of width x height with its header written, checked as above; an allocation
// the system refuses gives "Out of memory." as well.
TDib AllocateDib(std::int64_t width, std::int64_t height);

}  // namespace qrl
