#include "fif/RansCoder.h"

#include <algorithm>

namespace qrl {

namespace {

void PutLittleEndian(std::vector<std::uint8_t>& out, std::uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

}  // namespace

std::vector<std::uint8_t> TRansEncoder::Finish() const {
  std::uint32_t states[2] = {kRansLow, kRansLow};
  std::vector<std::uint16_t> words;  // in the reverse of the order the decoder reads them
  for (std::size_t i = intervals_.size(); i-- > 0;) {
    std::uint32_t& x = states[i & 1];
    const std::uint32_t frequency = intervals_[i].frequency + 1u;
    // The largest state that still decodes to a state of at least kRansLow without a word.
    if (x >= (std::uint64_t{frequency} << (32 - kModelBits))) {
      words.push_back(static_cast<std::uint16_t>(x));
      x >>= 16;
    }
    x = ((x / frequency) << kModelBits) + x % frequency + intervals_[i].start;
  }
  std::vector<std::uint8_t> out;
  out.reserve(8 + 2 * words.size());
  PutLittleEndian(out, states[0], 4);
  PutLittleEndian(out, states[1], 4);
  for (auto word = words.rbegin(); word != words.rend(); ++word) PutLittleEndian(out, *word, 2);
  return out;
}

TRansDecoder::TRansDecoder(std::span<const std::uint8_t> data) : next_(data.data()), end_(data.data() + data.size()) {
  if (data.size() < 8) {
    damaged_ = true;
    return;
  }
  for (int lane = 0; lane < 2; ++lane) {
    std::uint32_t x = 0;
    for (int i = 0; i < 4; ++i) x |= static_cast<std::uint32_t>(next_[i]) << (8 * i);
    next_ += 4;
    states_[lane] = x;
    if (x < kRansLow) damaged_ = true;
  }
}

}  // namespace qrl
