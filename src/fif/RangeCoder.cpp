#include "fif/RangeCoder.h"

#include <array>
#include <cmath>

namespace qrl {

namespace {

constexpr std::uint32_t kTop = 1u << 24;

}  // namespace

int TBitContext::Cost(int bit) const {
  static const auto table = [] {
    // -log2(p) in 1/256 bit for p = (i + 0.5) / 128.
    std::array<int, 128> t{};
    for (int i = 0; i < 128; ++i) t[i] = static_cast<int>(std::lround(-std::log2((i + 0.5) / 128.0) * 256.0));
    return t;
  }();
  const std::uint32_t p = bit ? kOne - p0_ : p0_;
  return table[p >> (kBits - 7)];
}

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

void TRangeEncoder::EncodeDirect(std::uint32_t value, int count) {
  for (int i = count - 1; i >= 0; --i) {
    range_ >>= 1;
    if ((value >> i) & 1) low_ += range_;
    while (range_ < kTop) {
      range_ <<= 8;
      ShiftLow();
    }
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

std::uint8_t TRangeDecoder::NextByte() {
  if (pos_ < data_.size()) return data_[pos_++];
  overrun_ = true;
  return 0;
}

void TRangeDecoder::Normalize() {
  while (range_ < kTop) {
    range_ <<= 8;
    code_ = (code_ << 8) | NextByte();
  }
}

int TRangeDecoder::Decode(TBitContext& context) {
  const std::uint32_t bound = (range_ >> TBitContext::kBits) * context.P0();
  int bit;
  if (code_ < bound) {
    range_ = bound;
    bit = 0;
  } else {
    code_ -= bound;
    range_ -= bound;
    bit = 1;
  }
  context.Update(bit);
  Normalize();
  return bit;
}

std::uint32_t TRangeDecoder::DecodeDirect(int count) {
  std::uint32_t value = 0;
  for (int i = 0; i < count; ++i) {
    range_ >>= 1;
    int bit = 0;
    if (code_ >= range_) {
      code_ -= range_;
      bit = 1;
    }
    value = (value << 1) | static_cast<std::uint32_t>(bit);
    Normalize();
  }
  return value;
}

}  // namespace qrl
