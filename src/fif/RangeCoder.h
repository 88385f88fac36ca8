#pragma once
// An adaptive binary range coder: 32-bit range, carry-propagating low end, 12-bit probabilities
// that move 1/32 of the way toward each coded bit. Every FIF parameter is coded as a sequence
// of such bits, each with its own adaptive probability ("context").

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
  // Without a branch (the decoder's bits are often unpredictable): a 1 takes p0 >> kShift off,
  // a 0 adds (kOne - p0) >> kShift.
  void Update(int bit) {
    const std::uint32_t mask = 0u - static_cast<std::uint32_t>(bit);
    p0_ += (((kOne - p0_) >> kShift) & ~mask) - ((p0_ >> kShift) & mask);
  }

 private:
  static constexpr int kShift = 5;
  std::uint32_t p0_ = kOne / 2;
};

class TRangeEncoder {
 public:
  void Encode(TBitContext& context, int bit);
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
  // Branch-free: the bit of a context that is rarely sure is a coin toss to the processor, and
  // most of a picture's decisions (domain offsets, isometries) are of that kind.
  int Decode(TBitContext& context) {
    const std::uint32_t bound = (range_ >> TBitContext::kBits) * context.P0();
    const int bit = code_ >= bound;
    const std::uint32_t mask = 0u - static_cast<std::uint32_t>(bit);
    code_ -= bound & mask;
    range_ = (bound & ~mask) | ((range_ - bound) & mask);
    context.Update(bit);
    Normalize();
    return bit;
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
