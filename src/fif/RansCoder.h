#pragma once
// A range asymmetric numeral system (rANS) coder over the adaptive models of SymbolModel.h: two
// 32-bit states taking turns symbol by symbol (so that a decoder works on two independent chains
// at once), renormalised by 16-bit words. A decoded symbol costs a table look-up, a multiply and
// rarely a word read, whatever the size of its alphabet.
//
// Stream: state 0, then state 1 (each 4 bytes, little-endian, 2^16 .. 2^32 - 1), then the words
// (2 bytes each, little-endian) in the order the decoder asks for them. Symbol i of the stream
// uses state i mod 2. After the last symbol both states are 2^16 again.

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "fif/SymbolModel.h"

namespace qrl {

inline constexpr std::uint32_t kRansLow = 1u << 16;

// Collects symbols in coding order and writes them out at the end (rANS codes backwards).
class TRansEncoder {
 public:
  static constexpr bool kReading = false;
  void Encode(TSymbolModel& model, int symbol) {
    Put(model.Start(symbol), model.Frequency(symbol));
    model.Count(symbol);
  }
  int Encode(TBinaryModel& model, int bit) {
    Put(bit ? model.Zero() : 0, bit ? kModelTotal - model.Zero() : model.Zero());
    model.Count(bit);
    return bit;
  }
  // A value of `bits` bits (0..12), every value equally likely.
  void EncodeRaw(std::uint32_t value, int bits) {
    Put(value << (kModelBits - bits), kModelTotal >> bits);
  }
  std::vector<std::uint8_t> Finish() const;

 private:
  struct TInterval {
    std::uint16_t start;
    std::uint16_t frequency;  // 1..4096, stored less one
  };
  void Put(std::uint32_t start, std::uint32_t frequency) {
    intervals_.push_back({static_cast<std::uint16_t>(start), static_cast<std::uint16_t>(frequency - 1)});
  }
  std::vector<TInterval> intervals_;
};

class TRansDecoder {
 public:
  static constexpr bool kReading = true;
  // Refuses (Damaged() true) data shorter than the two states or states below 2^16.
  explicit TRansDecoder(std::span<const std::uint8_t> data);

  int Decode(TSymbolModel& model) {
    std::uint32_t& x = states_[lane_];
    lane_ ^= 1;
    const std::uint32_t slot = x & (kModelTotal - 1);
    const int symbol = model.SymbolAt(slot);
    Advance(x, model.Start(symbol), model.Frequency(symbol), slot);
    model.Count(symbol);
    return symbol;
  }
  int Decode(TBinaryModel& model) {
    std::uint32_t& x = states_[lane_];
    lane_ ^= 1;
    const std::uint32_t slot = x & (kModelTotal - 1);
    const std::uint32_t zero = model.Zero();
    const std::uint32_t bit = slot >= zero;
    // Without a branch: most decisions are hard to predict.
    const std::uint32_t mask = 0u - bit;
    Advance(x, zero & mask, zero ^ ((zero ^ (kModelTotal - zero)) & mask), slot);
    model.Count(static_cast<int>(bit));
    return static_cast<int>(bit);
  }
  std::uint32_t DecodeRaw(int bits) {
    std::uint32_t& x = states_[lane_];
    lane_ ^= 1;
    const std::uint32_t slot = x & (kModelTotal - 1);
    const std::uint32_t value = slot >> (kModelBits - bits);
    Advance(x, value << (kModelBits - bits), kModelTotal >> bits, slot);
    return value;
  }
  // True once the decoder needed words beyond its data, or its data could not start a stream.
  bool Damaged() const { return damaged_; }
  // Whether both states came back to where the encoder started them: the stream ended where the
  // data did.
  bool Ended() const { return states_[0] == kRansLow && states_[1] == kRansLow; }

 private:
  void Advance(std::uint32_t& x, std::uint32_t start, std::uint32_t frequency, std::uint32_t slot) {
    x = frequency * (x >> kModelBits) + slot - start;
    // Whether a word is due is as hard to predict as the symbols: taken without a branch, from
    // a word of zeros once the data has run out.
    static constexpr std::uint8_t kNoWord[2] = {0, 0};
    const std::uint32_t due = x < kRansLow;
    const bool inside = end_ - next_ >= 2;
    const std::uint8_t* at = inside ? next_ : kNoWord;
    const std::uint32_t word = at[0] | (static_cast<std::uint32_t>(at[1]) << 8);
    damaged_ = damaged_ || (due != 0 && !inside);
    x = (x << (16 * due)) | (word & (0u - due));
    next_ += 2 * (due & static_cast<std::uint32_t>(inside));
  }
  std::uint32_t states_[2] = {kRansLow, kRansLow};
  int lane_ = 0;
  const std::uint8_t* next_ = nullptr;
  const std::uint8_t* end_ = nullptr;
  bool damaged_ = false;
};

}  // namespace qrl
