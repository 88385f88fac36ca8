#include "elements/TCKbSound.h"

#include <algorithm>
#include <array>
#include <limits>
#include <stdexcept>

#include "elements/FixedPart.h"
#include "elements/ImaAdpcm.h"
#include "elements/WaveFile.h"
#include "format/QuireleafException.h"
#include "format/TTempFiles.h"

namespace qrl {

namespace {

constexpr std::int64_t kPcmCopyChunk = 65536;
// ADPCM input per conversion step: its 16-bit output (four times as many bytes) stays below 64 KiB.
constexpr std::int64_t kAdpcmChunk = 16382;

constexpr std::uint32_t osLoop = 0x1;
constexpr std::uint32_t osFlag1 = 0x2;
constexpr std::uint32_t osFlag2 = 0x4;

std::uint16_t Word(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }

std::uint32_t Long(const std::uint8_t* p) { return std::uint32_t{Word(p)} | (std::uint32_t{Word(p + 2)} << 16); }

}  // namespace

TCKbSound::~TCKbSound() = default;

TCKbOccSound& TCKbSound::NewOccurrence() {
  occurrences_.push_back(std::make_unique<TCKbOccSound>(*this));
  return *occurrences_.back();
}

TCKbOccSound* TCKbSound::Occurrence(int number) const {
  if (number < 1 || static_cast<std::size_t>(number) > occurrences_.size()) return nullptr;
  return occurrences_[static_cast<std::size_t>(number - 1)].get();
}

void TCKbSound::LoadWave(TQLStream& stream, std::int64_t headerEnd) {
  std::array<std::uint8_t, 10> header{};
  stream.ReadBuffer(header.data(), static_cast<std::int64_t>(header.size()));
  Compression = Word(&header[0]);
  Channels = Word(&header[2]);
  SampleRate = Long(&header[4]);
  BitsPerSample = Word(&header[8]);
  if (context_.TempFiles == nullptr) throw std::logic_error("Sound elements need the flyer's temporary files");
  TTempFiles& tempFiles = *context_.TempFiles;
  const std::string fileName = tempFiles.TempFileName();
  try {
    SkipToFixedPartEnd(stream, headerEnd);
    WriteWave(stream, fileName);
  } catch (...) {
    // Nothing half-written stays behind.
    tempFiles.DeleteTempFile(fileName);
    throw;
  }
  WaveFileName = fileName;
}

void TCKbSound::WriteWave(TQLStream& stream, const std::string& fileName) {
  DataSize = stream.BlockRemaining();
  if (DataSize < 0) throw EQuireleafDebugger(ecBlockEdgeExceeded);
  const bool pcm = Compression == kPcmCompression;
  if (!pcm && Channels == 0) throw EQuireleafInvalidFile("A sound element has no channels.");
  const std::int64_t waveData = pcm ? DataSize : DataSize * 4;
  if (waveData > std::numeric_limits<std::uint32_t>::max() - 36)
    throw EQuireleafInvalidFile("A sound element is too long for a WAVE file.");

  TQLStream out(fileName, TOpenMode::fmCreate);
  const TWaveFormat format{Channels, SampleRate, pcm ? BitsPerSample : std::uint16_t{16}};
  const auto waveHeader = MakeWaveHeader(format, static_cast<std::uint32_t>(waveData));
  out.WriteBuffer(waveHeader.data(), static_cast<std::int64_t>(waveHeader.size()));

  std::vector<std::uint8_t> buffer(static_cast<std::size_t>(std::min(DataSize, pcm ? kPcmCopyChunk : kAdpcmChunk)));
  std::vector<std::uint8_t> pcmBytes;
  TImaAdpcmDecoder decoder(pcm ? 1 : Channels);
  for (std::int64_t left = DataSize; left > 0;) {
    const std::int64_t chunk = std::min<std::int64_t>(left, static_cast<std::int64_t>(buffer.size()));
    stream.ReadBuffer(buffer.data(), chunk);
    if (pcm) {
      out.WriteBuffer(buffer.data(), chunk);
    } else {
      const auto samples = decoder.Decode(std::span(buffer.data(), static_cast<std::size_t>(chunk)));
      pcmBytes.resize(samples.size() * 2);
      for (std::size_t i = 0; i < samples.size(); ++i) {
        const auto v = static_cast<std::uint16_t>(samples[i]);
        pcmBytes[2 * i] = static_cast<std::uint8_t>(v);
        pcmBytes[2 * i + 1] = static_cast<std::uint8_t>(v >> 8);
      }
      out.WriteBuffer(pcmBytes.data(), static_cast<std::int64_t>(pcmBytes.size()));
    }
    left -= chunk;
  }
  WaveSize = out.Position();
}

TCKbOccSound::TCKbOccSound(TCKbSound& owner) : owner_(owner) {
  WaveFileName = owner.WaveFileName;
  SoundName = owner.SoundName;
  Loop = owner.Loop;
  Flag1 = owner.Flag1;
  Flag2 = owner.Flag2;
}

void TCKbOccSound::Load(TQLStream& stream) {
  const auto flags = static_cast<std::uint32_t>(stream.ReadLongInt());
  Loop = (flags & osLoop) != 0;
  Flag1 = (flags & osFlag1) != 0;
  Flag2 = (flags & osFlag2) != 0;
  Value = static_cast<std::uint32_t>(stream.ReadLongInt());
}

}  // namespace qrl
