#include "fif/RangeCoder.h"

namespace qrl {

namespace {

constexpr std::uint32_t kTop = 1u << 24;

}  // namespace

void TRangeEncoder::Encode(TBitContext& context, int bit) {
  const std::uint32_t bound = (range_ >> TBitContext::kBits) * context.P0();
  if (bit == 0) {
    range_ = bound;
  } else {
    low_ += bound;
    range_ -= bound;
  }
  context.Update(bit);
  while (range_ < kTop) {
    range_ <<= 8;
    ShiftLow();
  }
}

void TRangeEncoder::ShiftLow() {
  // A byte is only final once no carry can reach it; runs of 0xFF wait in cacheSize_.
  if (low_ < 0xFF000000u || low_ >= (std::uint64_t{1} << 32)) {
    const auto carry = static_cast<std::uint8_t>(low_ >> 32);
    std::uint8_t temp = cache_;
    do {
      out_.push_back(static_cast<std::uint8_t>(temp + carry));
      temp = 0xFF;
    } while (--cacheSize_ != 0);
    cache_ = static_cast<std::uint8_t>(low_ >> 24);
  }
  ++cacheSize_;
  low_ = (low_ & 0x00FFFFFFu) << 8;
}

std::vector<std::uint8_t> TRangeEncoder::Finish() {
  for (int i = 0; i < 5; ++i) ShiftLow();
  // The first byte out is always the initial empty cache: drop it, the decoder starts without it.
  out_.erase(out_.begin());
  return std::move(out_);
}

TRangeDecoder::TRangeDecoder(std::span<const std::uint8_t> data) : data_(data) {
  for (int i = 0; i < 4; ++i) code_ = (code_ << 8) | NextByte();
}

}  // namespace qrl
