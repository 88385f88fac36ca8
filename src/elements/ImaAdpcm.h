#pragma once
// 4-bit IMA ADPCM as flyers store it: nibbles high first, interleaved nibble by nibble over the
// channels, each channel with one predictor and step index for the whole sound (no blocks, no
// headers). The state carries over between calls, so a sound can be converted in pieces.

#include <array>
#include <cstdint>
#include <span>
#include <vector>

namespace qrl {

inline constexpr std::array<std::int16_t, 89> kImaStepTable{
    7,     8,     9,     10,    11,    12,    13,    14,    16,    17,    19,    21,    23,    25,    28,
    31,    34,    37,    41,    45,    50,    55,    60,    66,    73,    80,    88,    97,    107,   118,
    130,   143,   157,   173,   190,   209,   230,   253,   279,   307,   337,   371,   408,   449,   494,
    544,   598,   658,   724,   796,   876,   963,   1060,  1166,  1282,  1411,  1552,  1707,  1878,  2066,
    2272,  2499,  2749,  3024,  3327,  3660,  4026,  4428,  4871,  5358,  5894,  6484,  7132,  7845,  8630,
    9493,  10442, 11487, 12635, 13899, 15289, 16818, 18500, 20350, 22385, 24623, 27086, 29794, 32767};

inline constexpr std::array<std::int8_t, 16> kImaIndexTable{-1, -1, -1, -1, 2, 4, 6, 8,
                                                            -1, -1, -1, -1, 2, 4, 6, 8};

struct TImaChannelState {
  std::int32_t Predictor = 0;
  std::int32_t StepIndex = 0;
};

class TImaAdpcmDecoder {
 public:
  // channels must be at least 1 (std::invalid_argument otherwise).
  explicit TImaAdpcmDecoder(int channels);

  // Two samples per byte, in nibble order.
  std::vector<std::int16_t> Decode(std::span<const std::uint8_t> nibbles);
  // One nibble of the given channel.
  std::int16_t DecodeNibble(TImaChannelState& state, std::uint8_t nibble) const;

  const std::vector<TImaChannelState>& States() const { return states_; }

 private:
  std::vector<TImaChannelState> states_;
  std::size_t nextChannel_ = 0;
};

}  // namespace qrl
