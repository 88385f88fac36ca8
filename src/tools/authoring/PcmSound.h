#pragma once
// Plain PCM samples as a WAVE file carries them, and the reading and making of such sounds
// for flyers: WAVE files from disk, and the tones and chimes the project synthesises itself.

#include <cstdint>
#include <filesystem>
#include <vector>

#include "tools/authoring/Manifest.h"

namespace qrl {

struct TPcmSound {
  std::uint16_t Channels = 1;
  std::uint32_t SampleRate = 22050;
  std::uint16_t BitsPerSample = 16;  // 8: unsigned bytes; 16: signed little-endian
  std::vector<std::uint8_t> Data;    // whole frames, channels interleaved

  // The samples as signed 16-bit values, interleaved as stored.
  std::vector<std::int16_t> Samples16() const;
};

// The largest sound data a flyer takes: its WAVE file (four times as large for ADPCM) must
// stay well inside the player's memory cap.
inline constexpr std::uint64_t kMaxSoundBytes = std::uint64_t{64} << 20;

// Reads a RIFF WAVE file of PCM samples, 8 or 16 bits, mono or stereo, up to kMaxSoundBytes.
// Raises EQuireleafException with the reason when the file is no such WAVE file, EFileError
// when it cannot be read.
TPcmSound ReadWaveFile(const std::filesystem::path& path);

// Synthesised sounds at the source's rate, bits and channels (channels carry the same signal).
TPcmSound SynthesiseSound(const TSoundSource& source);

}  // namespace qrl
