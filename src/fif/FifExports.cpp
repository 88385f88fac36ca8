// The exported C entry points of libquirefif.so over TFifDecoder. Each decompressor lives in a
// slot of a bounded table; a handle carries the slot number and a generation count, so a stale
// or made-up handle is refused instead of reaching another decompressor.

#pragma GCC visibility push(default)
#include "fif/FifApi.h"
#pragma GCC visibility pop

#include <memory>
#include <mutex>
#include <new>
#include <optional>
#include <vector>

#include "fif/FifDecoder.h"
#include "fif/FifStatus.h"

namespace {

using qrl::EFifError;
using qrl::TFifDecoder;

struct TDecompressor {
  std::optional<TFifDecoder> decoder;
  int outputWidth = 0;  // 0: the picture's own size
  int outputHeight = 0;
};

class THandleTable {
 public:
  static constexpr std::uint32_t kSlots = 1024;

  std::int32_t Open(std::uint32_t* handle) {
    std::lock_guard lock(mutex_);
    for (std::uint32_t i = 0; i < slots_.size(); ++i)
      if (!slots_[i].item) return Fill(i, handle);
    if (slots_.size() >= kSlots) return qrl::fsTooManyDecompressors;
    slots_.emplace_back();
    return Fill(static_cast<std::uint32_t>(slots_.size() - 1), handle);
  }

  std::int32_t Close(std::uint32_t handle) {
    std::lock_guard lock(mutex_);
    TSlot* slot = Find(handle);
    if (!slot) return qrl::fsBadHandle;
    slot->item.reset();
    return qrl::fsOk;
  }

  // Runs action on the decompressor of handle, turning exceptions into statuses. Calls on one
  // handle are serialised; different handles only share the brief lookup.
  template <class Action>
  std::int32_t With(std::uint32_t handle, Action action) {
    std::shared_ptr<TDecompressor> item;
    {
      std::lock_guard lock(mutex_);
      TSlot* slot = Find(handle);
      if (!slot) return qrl::fsBadHandle;
      item = slot->item;
    }
    std::lock_guard itemLock(itemMutex_[handle % kSlots]);
    try {
      return action(*item);
    } catch (const EFifError& e) {
      return e.Status();
    } catch (const std::bad_alloc&) {
      return qrl::fsOutOfMemory;
    } catch (...) {
      return qrl::fsDamaged;
    }
  }

 private:
  struct TSlot {
    std::shared_ptr<TDecompressor> item;
    std::uint32_t generation = 0;
  };

  std::int32_t Fill(std::uint32_t index, std::uint32_t* handle) {
    TSlot& slot = slots_[index];
    try {
      slot.item = std::make_shared<TDecompressor>();
    } catch (const std::bad_alloc&) {
      return qrl::fsOutOfMemory;
    }
    slot.generation = (slot.generation + 1) & 0x3FFFFF;
    if (slot.generation == 0) slot.generation = 1;
    *handle = (slot.generation << 10) | index;
    return qrl::fsOk;
  }

  TSlot* Find(std::uint32_t handle) {
    const std::uint32_t index = handle & (kSlots - 1);
    if (index >= slots_.size()) return nullptr;
    TSlot& slot = slots_[index];
    if (!slot.item || slot.generation != (handle >> 10)) return nullptr;
    return &slot;
  }

  std::mutex mutex_;
  std::vector<TSlot> slots_;
  std::mutex itemMutex_[kSlots];
};

THandleTable& Table() {
  static THandleTable table;
  return table;
}

}  // namespace

extern "C" {

std::int32_t OpenDecompressor(std::uint32_t* handle) {
  if (handle == nullptr) return qrl::fsBadArgument;
  return Table().Open(handle);
}

std::int32_t SetFIFBuffer(std::uint32_t handle, const std::uint8_t* data, std::int32_t length) {
  return Table().With(handle, [&](TDecompressor& d) -> std::int32_t {
    if (data == nullptr || length < 0) return qrl::fsBadArgument;
    d.decoder.reset();
    d.decoder.emplace(std::span<const std::uint8_t>(data, static_cast<std::size_t>(length)));
    return qrl::fsOk;
  });
}

std::int32_t GetOriginalResolution(std::uint32_t handle, std::int32_t* width, std::int32_t* height,
                                   std::int32_t* reserved) {
  return Table().With(handle, [&](TDecompressor& d) -> std::int32_t {
    if (width == nullptr || height == nullptr) return qrl::fsBadArgument;
    if (reserved) *reserved = 0;
    *width = d.decoder ? d.decoder->Width() : 0;
    *height = d.decoder ? d.decoder->Height() : 0;
    return d.decoder ? qrl::fsOk : qrl::fsNoData;
  });
}

std::int32_t GetPhysicalDimensions(std::uint32_t handle, std::int32_t* width, std::int32_t* height,
                                   std::int32_t* unit, std::int32_t* exponent) {
  return Table().With(handle, [&](TDecompressor& d) -> std::int32_t {
    if (width == nullptr || height == nullptr || unit == nullptr || exponent == nullptr) return qrl::fsBadArgument;
    *width = *height = *unit = *exponent = 0;
    if (!d.decoder) return qrl::fsNoData;
    if (const auto& p = d.decoder->Header().physicalSize) {
      *width = p->width;
      *height = p->height;
      *unit = static_cast<unsigned char>(p->unit);
      *exponent = p->exponent;
    }
    return qrl::fsOk;
  });
}

std::int32_t SetOutputResolution(std::uint32_t handle, std::int32_t width, std::int32_t height) {
  return Table().With(handle, [&](TDecompressor& d) -> std::int32_t {
    if (width < 1 || height < 1 || width > qrl::kFifMaxOutputSide || height > qrl::kFifMaxOutputSide ||
        std::int64_t{width} * height > qrl::kFifMaxOutputPixels)
      return qrl::fsBadOutputSize;
    d.outputWidth = width;
    d.outputHeight = height;
    return qrl::fsOk;
  });
}

std::int32_t SetOutputFormat(std::uint32_t handle, std::int32_t a, std::int32_t b, std::int32_t c, std::int32_t d,
                             std::int32_t e) {
  return Table().With(handle, [&](TDecompressor&) -> std::int32_t {
    // 24-bit blue-green-red pixels, bottom row first: the one layout offered.
    return a == 3 && b == 2 && c == 1 && d == 4 && e == 1 ? qrl::fsOk : qrl::fsBadOutputFormat;
  });
}

std::int32_t DecompressToBuffer(std::uint32_t handle, std::uint8_t* firstRow, std::int32_t, std::int32_t,
                                std::int32_t, std::int32_t, std::int32_t stride) {
  return Table().With(handle, [&](TDecompressor& d) -> std::int32_t {
    if (!d.decoder) return qrl::fsNoData;
    const int width = d.outputWidth ? d.outputWidth : d.decoder->Width();
    const int height = d.outputHeight ? d.outputHeight : d.decoder->Height();
    d.decoder->RenderBgr(width, height, firstRow, stride);
    return qrl::fsOk;
  });
}

std::int32_t ClearFIFBuffer(std::uint32_t handle) {
  return Table().With(handle, [&](TDecompressor& d) -> std::int32_t {
    d.decoder.reset();
    return qrl::fsOk;
  });
}

std::int32_t CloseDecompressor(std::uint32_t handle) { return Table().Close(handle); }

std::int32_t SetColorTableFormat(std::uint32_t handle, std::int32_t) {
  return Table().With(handle, [](TDecompressor&) -> std::int32_t { return qrl::fsNotSupported; });
}
std::int32_t SetOutputColorTable(std::uint32_t handle, const void*, std::int32_t) {
  return Table().With(handle, [](TDecompressor&) -> std::int32_t { return qrl::fsNotSupported; });
}
std::int32_t GetOutputColorTable(std::uint32_t handle, void*, std::int32_t) {
  return Table().With(handle, [](TDecompressor&) -> std::int32_t { return qrl::fsNotSupported; });
}
std::int32_t SetProgressiveFIFBuffer(std::uint32_t handle, const std::uint8_t*, std::int32_t) {
  return Table().With(handle, [](TDecompressor&) -> std::int32_t { return qrl::fsNotSupported; });
}
std::int32_t SetProgressiveStep(std::uint32_t handle, std::int32_t) {
  return Table().With(handle, [](TDecompressor&) -> std::int32_t { return qrl::fsNotSupported; });
}
std::int32_t StartProgressiveDecompression(std::uint32_t handle) {
  return Table().With(handle, [](TDecompressor&) -> std::int32_t { return qrl::fsNotSupported; });
}
std::int32_t ProgressiveDecompress(std::uint32_t handle, std::int32_t* done) {
  return Table().With(handle, [&](TDecompressor&) -> std::int32_t {
    if (done) *done = 0;
    return qrl::fsNotSupported;
  });
}
std::int32_t EndProgressiveDecompression(std::uint32_t handle) {
  return Table().With(handle, [](TDecompressor&) -> std::int32_t { return qrl::fsNotSupported; });
}

}  // extern "C"
