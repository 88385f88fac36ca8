#pragma once
// An adaptive binary range coder: 32-bit range, carry-propagating low end, 12-bit probabilities
// that move 1/32 of the way toward each coded bit. Every FIF parameter is coded as a sequence
// of such bits, each with its own adaptive probability ("context").

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace qrl {

// The probability, in 1/4096, that the next bit of this context is 0.
class TBitContext {
 public:
  static constexpr int kBits = 12;
  static constexpr std::uint32_t kOne = 1u << kBits;
  std::uint32_t P0() const { return p0_; }
  void Update(int bit) {
    const std::uint32_t down = p0_ - (p0_ >> kShift);
    const std::uint32_t up = p0_ + ((kOne - p0_) >> kShift);
    p0_ = bit ? down : up;
  }

 private:
  static constexpr int kShift = 5;
  std::uint32_t p0_ = kOne / 2;
};

// Up to this many equiprobable bits go through one Direct call.
inline constexpr int kMaxDirectBits = 20;

class TRangeEncoder {
 public:
  void Encode(TBitContext& context, int bit);
  // Codes value (0 .. 2^bits - 1, bits 1..kMaxDirectBits) as equiprobable bits, without a model.
  void EncodeDirect(std::uint32_t value, int bits);
  // Flushes the coder and hands over the bytes.
  std::vector<std::uint8_t> Finish();

 private:
  void ShiftLow();
  std::uint64_t low_ = 0;
  std::uint32_t range_ = 0xFFFFFFFFu;
  std::uint8_t cache_ = 0;
  std::uint64_t cacheSize_ = 1;
  std::vector<std::uint8_t> out_;
};

class TRangeDecoder {
 public:
  explicit TRangeDecoder(std::span<const std::uint8_t> data);
  // Branch-free: the coded bits are what the model could not predict, so a branch on them
  // would mispredict about as often as the data is worth.
  int Decode(TBitContext& context) {
    const std::uint32_t bound = (range_ >> TBitContext::kBits) * context.P0();
    const std::uint32_t bit = code_ >= bound;
    const std::uint32_t mask = 0u - bit;
    code_ -= bound & mask;
    range_ = (bound & ~mask) | ((range_ - bound) & mask);
    context.Update(static_cast<int>(bit));
    Normalize();
    return static_cast<int>(bit);
  }
  // Equiprobable bits in one step: a division instead of a decision per bit, for values the
  // models could not predict anyway.
  std::uint32_t DecodeDirect(int bits) {
    range_ >>= bits;
    // Only damaged data can hold a quotient out of range; any value is then as good as another.
    const std::uint32_t value = std::min(code_ / range_, (1u << bits) - 1);
    code_ -= value * range_;
    Normalize();
    return value;
  }
  // True once the decoder has needed bytes beyond the end of its data: the stream was cut short.
  bool Overrun() const { return overrun_; }

 private:
  std::uint8_t NextByte() {
    if (pos_ < data_.size()) return data_[pos_++];
    overrun_ = true;
    return 0;
  }
  void Normalize() {
    while (range_ < (1u << 24)) {
      range_ <<= 8;
      code_ = (code_ << 8) | NextByte();
    }
  }
  std::span<const std::uint8_t> data_;
  std::size_t pos_ = 0;
  std::uint32_t range_ = 0xFFFFFFFFu;
  std::uint32_t code_ = 0;
  bool overrun_ = false;
};

}  // namespace qrl
