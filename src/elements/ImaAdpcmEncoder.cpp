#include "elements/ImaAdpcmEncoder.h"

namespace qrl {

TImaAdpcmEncoder::TImaAdpcmEncoder(int channels) : decoder_(channels) {
  states_.resize(static_cast<std::size_t>(channels));
}

std::uint8_t TImaAdpcmEncoder::EncodeSample(TImaChannelState& state, std::int16_t sample) const {
  // Successive approximation of the difference in steps of step, step/2 and step/4: the
  // quantisation the decoder's diff = step/8 + ... inverts.
  const std::int32_t step = kImaStepTable[static_cast<std::size_t>(state.StepIndex)];
  std::int32_t diff = std::int32_t{sample} - state.Predictor;
  std::uint8_t nibble = 0;
  if (diff < 0) {
    nibble = 8;
    diff = -diff;
  }
  std::int32_t part = step;
  for (std::uint8_t bit = 4; bit != 0; bit >>= 1) {
    if (diff >= part) {
      nibble |= bit;
      diff -= part;
    }
    part >>= 1;
  }
  decoder_.DecodeNibble(state, nibble);
  return nibble;
}

std::vector<std::uint8_t> TImaAdpcmEncoder::Encode(std::span<const std::int16_t> samples,
                                                   std::vector<std::int16_t>* reconstruction) {
  const std::size_t channels = states_.size();
  std::vector<std::uint8_t> bytes;
  bytes.reserve((samples.size() + 1) / 2);
  if (reconstruction) reconstruction->reserve(reconstruction->size() + samples.size() + 1);
  std::size_t channel = 0;
  bool high = true;
  const auto put = [&](std::int16_t sample) {
    TImaChannelState& state = states_[channel];
    const std::uint8_t nibble = EncodeSample(state, sample);
    if (reconstruction) reconstruction->push_back(static_cast<std::int16_t>(state.Predictor));
    if (high)
      bytes.push_back(static_cast<std::uint8_t>(nibble << 4));
    else
      bytes.back() |= nibble;
    high = !high;
    channel = (channel + 1) % channels;
  };
  for (const std::int16_t sample : samples) put(sample);
  if (!high) {
    // The channel due next repeats its last sample (or silence if it never had one).
    const std::size_t at = samples.size() >= channels ? samples.size() - channels : samples.size();
    put(at < samples.size() ? samples[at] : std::int16_t{0});
  }
  return bytes;
}

}  // namespace qrl
