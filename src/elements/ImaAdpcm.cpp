#include "elements/ImaAdpcm.h"

#include <algorithm>
#include <stdexcept>

namespace qrl {

TImaAdpcmDecoder::TImaAdpcmDecoder(int channels) {
  if (channels < 1) throw std::invalid_argument("IMA ADPCM needs at least one channel");
  states_.resize(static_cast<std::size_t>(channels));
}

std::int16_t TImaAdpcmDecoder::DecodeNibble(TImaChannelState& state, std::uint8_t nibble) const {
  const std::int32_t step = kImaStepTable[static_cast<std::size_t>(state.StepIndex)];
  state.StepIndex = std::clamp<std::int32_t>(state.StepIndex + kImaIndexTable[nibble & 0x0F], 0,
                                             static_cast<std::int32_t>(kImaStepTable.size()) - 1);
  std::int32_t diff = step / 8;
  if (nibble & 4) diff += step;
  if (nibble & 2) diff += step / 2;
  if (nibble & 1) diff += step / 4;
  state.Predictor = std::clamp<std::int32_t>((nibble & 8) ? state.Predictor - diff : state.Predictor + diff, -32768, 32767);
  return static_cast<std::int16_t>(state.Predictor);
}

std::vector<std::int16_t> TImaAdpcmDecoder::Decode(std::span<const std::uint8_t> nibbles) {
  std::vector<std::int16_t> samples;
  samples.reserve(nibbles.size() * 2);
  const auto next = [this](std::uint8_t nibble) {
    const std::int16_t sample = DecodeNibble(states_[nextChannel_], nibble);
    nextChannel_ = (nextChannel_ + 1) % states_.size();
    return sample;
  };
  for (const std::uint8_t byte : nibbles) {
    samples.push_back(next(static_cast<std::uint8_t>(byte >> 4)));
    samples.push_back(next(static_cast<std::uint8_t>(byte & 0x0F)));
  }
  return samples;
}

}  // namespace qrl
