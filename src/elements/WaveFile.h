#pragma once
// The 44-byte header of a plain PCM RIFF WAVE file.

#include <array>
#include <cstdint>

namespace qrl {

inline constexpr std::size_t kWaveHeaderSize = 44;

struct TWaveFormat {
  std::uint16_t Channels = 1;
  std::uint32_t SampleRate = 0;
  std::uint16_t BitsPerSample = 16;
};

// Header of a file whose sample data is dataSize bytes; block align = channels x bits / 8.
inline std::array<std::uint8_t, kWaveHeaderSize> MakeWaveHeader(const TWaveFormat& format, std::uint32_t dataSize) {
  std::array<std::uint8_t, kWaveHeaderSize> h{};
  std::size_t at = 0;
  const auto tag = [&](const char (&text)[5]) {
    for (int i = 0; i < 4; ++i) h[at++] = static_cast<std::uint8_t>(text[i]);
  };
  const auto u16 = [&](std::uint32_t v) {
    h[at++] = static_cast<std::uint8_t>(v);
    h[at++] = static_cast<std::uint8_t>(v >> 8);
  };
  const auto u32 = [&](std::uint32_t v) {
    u16(v & 0xFFFF);
    u16(v >> 16);
  };
  const auto blockAlign = static_cast<std::uint16_t>((std::uint32_t{format.Channels} * format.BitsPerSample) / 8);
  tag("RIFF");
  u32(dataSize + 36);
  tag("WAVE");
  tag("fmt ");
  u32(16);
  u16(1);
  u16(format.Channels);
  u32(format.SampleRate);
  u32(std::uint32_t{blockAlign} * format.SampleRate);
  u16(blockAlign);
  u16(format.BitsPerSample);
  tag("data");
  u32(dataSize);
  return h;
}

}  // namespace qrl
