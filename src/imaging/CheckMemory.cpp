#include "imaging/CheckMemory.h"

#include <new>

#include "format/QuireleafException.h"

namespace qrl {

void CheckMemory(std::uint64_t bytes) {
  if (bytes > kMaxBlockBytes) throw EQuireleafDebugger(ecOutOfMemory);
}

std::size_t CheckedDibSize(std::int64_t width, std::int64_t height) {
  // The cap bounds both sizes far below the point where stride x height could overflow.
  if (width < 1 || height < 1 || width > std::int64_t{kMaxBlockBytes} || height > std::int64_t{kMaxBlockBytes})
    throw EQuireleafDebugger(ecOutOfMemory);
  const std::uint64_t stride = (static_cast<std::uint64_t>(width) * 24 + 31) / 32 * 4;
  if (stride > kMaxBlockBytes / static_cast<std::uint64_t>(height)) throw EQuireleafDebugger(ecOutOfMemory);
  const std::uint64_t bytes = TDib::kHeaderSize + stride * static_cast<std::uint64_t>(height);
  CheckMemory(bytes);
  return static_cast<std::size_t>(bytes);
}

TDib AllocateDib(std::int64_t width, std::int64_t height) {
  CheckedDibSize(width, height);
  try {
    return TDib(static_cast<int>(width), static_cast<int>(height));
  } catch (const std::bad_alloc&) {
    throw EQuireleafDebugger(ecOutOfMemory);
  }
}

}  // namespace qrl
