#pragma once
// The encoder for the 4-bit IMA ADPCM that flyers store (see ImaAdpcm.h): interleaved nibbles,
// high nibble first, one predictor and step index per channel for the whole sound. Every
// nibble is chosen against the predictor the player's decoder will hold, and the encoder's
// own state is advanced by that same decoder, so decoding the output reproduces the encoder's
// reconstruction sample for sample.

#include <cstdint>
#include <span>
#include <vector>

#include "elements/ImaAdpcm.h"

namespace qrl {

class TImaAdpcmEncoder {
 public:
  // channels must be at least 1 (std::invalid_argument otherwise).
  explicit TImaAdpcmEncoder(int channels);

  // Encodes a whole sound given as interleaved 16-bit samples (frame after frame). An odd
  // number of samples is completed by repeating the last sample of the next channel in turn,
  // so that every byte holds two nibbles. reconstruction, when given, receives what the
  // decoder will produce (including that padding sample).
  std::vector<std::uint8_t> Encode(std::span<const std::int16_t> samples,
                                   std::vector<std::int16_t>* reconstruction = nullptr);

  // The nibble for one sample of a channel; the state then holds the decoder's reconstruction.
  std::uint8_t EncodeSample(TImaChannelState& state, std::int16_t sample) const;

  const std::vector<TImaChannelState>& States() const { return states_; }

 private:
  TImaAdpcmDecoder decoder_;  // advances the state exactly as the player will
  std::vector<TImaChannelState> states_;
};

}  // namespace qrl
