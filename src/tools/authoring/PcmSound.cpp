#include "tools/authoring/PcmSound.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <numbers>
#include <string>

#include "format/QuireleafException.h"

namespace qrl {

namespace {

std::uint32_t Le32(const std::uint8_t* p) {
  return std::uint32_t{p[0]} | std::uint32_t{p[1]} << 8 | std::uint32_t{p[2]} << 16 | std::uint32_t{p[3]} << 24;
}
std::uint16_t Le16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | p[1] << 8); }

[[noreturn]] void NotWave(const std::string& reason) {
  throw EQuireleafException("not a usable WAVE file: " + reason);
}

// Reads exactly count bytes or reports the file as cut short.
void ReadExactly(std::ifstream& in, std::uint8_t* to, std::uint64_t count) {
  if (!in.read(reinterpret_cast<char*>(to), static_cast<std::streamsize>(count))) NotWave("the file ends early");
}

// A smooth rise over the first and fall over the last `ramp` seconds of a note.
double Fade(double t, double length, double ramp) {
  const double r = std::min(ramp, length / 2);
  if (r <= 0) return 1;
  return std::clamp(std::min(t, length - t) / r, 0.0, 1.0);
}

double Oscillator(TWaveform waveform, double phase) {  // phase in cycles
  const double x = phase - std::floor(phase);
  switch (waveform) {
    case TWaveform::wfSquare: return x < 0.5 ? 0.6 : -0.6;  // quieter: a square is loud at the same peak
    case TWaveform::wfTriangle: return x < 0.5 ? 4 * x - 1 : 3 - 4 * x;
    case TWaveform::wfSawtooth: return 0.7 * (2 * x - 1);
    case TWaveform::wfSine: break;
  }
  return std::sin(2 * std::numbers::pi * x);
}

std::vector<double> ToneSignal(const TToneSpec& tone, std::uint32_t rate) {
  const auto perNote = static_cast<std::size_t>(std::lround(tone.NoteSeconds * rate));
  // From the first sample to the last of a note, so that both are silent.
  const double length = (static_cast<double>(perNote) - 1) / rate;
  std::vector<double> signal(perNote * tone.Notes.size());
  for (std::size_t n = 0; n < tone.Notes.size(); ++n) {
    if (tone.Notes[n] <= 0) continue;  // a rest
    for (std::size_t i = 0; i < perNote; ++i) {
      const double t = static_cast<double>(i) / rate;
      signal[n * perNote + i] = tone.Volume * Fade(t, length, 0.005) * Oscillator(tone.Waveform, tone.Notes[n] * t);
    }
  }
  return signal;
}

// A struck bell: a few inharmonic partials, the higher ones dying away sooner.
std::vector<double> ChimeSignal(const TChimeSpec& chime, std::uint32_t rate) {
  struct TPartial {
    double Ratio, Amplitude, Decay;  // decay in 1/s
  };
  constexpr TPartial kPartials[] = {{1.0, 1.0, 3.0}, {2.0, 0.45, 5.0}, {2.76, 0.3, 7.0}, {5.4, 0.12, 11.0}};
  if (chime.Notes.empty()) return {};
  const double length = chime.Spacing * static_cast<double>(chime.Notes.size() - 1) + chime.Seconds;
  std::vector<double> signal(static_cast<std::size_t>(std::lround(length * rate)));
  const auto strikeLength = static_cast<std::size_t>(std::lround(chime.Seconds * rate));
  for (std::size_t n = 0; n < chime.Notes.size(); ++n) {
    const auto start = static_cast<std::size_t>(std::lround(chime.Spacing * static_cast<double>(n) * rate));
    for (std::size_t i = 0; i < strikeLength && start + i < signal.size(); ++i) {
      const double t = static_cast<double>(i) / rate;
      double v = 0;
      for (const TPartial& p : kPartials)
        if (chime.Notes[n] * p.Ratio < rate / 2.0)
          v += p.Amplitude * std::exp(-p.Decay * t) * std::sin(2 * std::numbers::pi * chime.Notes[n] * p.Ratio * t);
      signal[start + i] += v * Fade(t, chime.Seconds, 0.003);
    }
  }
  // Overlapping strikes add up; scale so that the loudest moment has the asked volume.
  double peak = 0;
  for (const double v : signal) peak = std::max(peak, std::abs(v));
  if (peak > 0)
    for (double& v : signal) v *= chime.Volume / peak;
  return signal;
}

}  // namespace

std::vector<std::int16_t> TPcmSound::Samples16() const {
  std::vector<std::int16_t> samples;
  if (BitsPerSample == 8) {
    samples.reserve(Data.size());
    for (const std::uint8_t b : Data) samples.push_back(static_cast<std::int16_t>((b - 128) * 256));
  } else {
    samples.reserve(Data.size() / 2);
    for (std::size_t i = 0; i + 1 < Data.size(); i += 2) samples.push_back(static_cast<std::int16_t>(Le16(&Data[i])));
  }
  return samples;
}

TPcmSound ReadWaveFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw EFileError("Cannot open " + path.string());
  std::uint8_t riff[12];
  ReadExactly(in, riff, sizeof riff);
  if (std::string(riff, riff + 4) != "RIFF" || std::string(riff + 8, riff + 12) != "WAVE") NotWave("no RIFF WAVE header");
  TPcmSound sound;
  bool haveFormat = false;
  for (;;) {
    std::uint8_t chunk[8];
    if (!in.read(reinterpret_cast<char*>(chunk), sizeof chunk)) NotWave("no \"data\" chunk");
    const std::string id(chunk, chunk + 4);
    const std::uint32_t size = Le32(chunk + 4);
    if (id == "fmt ") {
      if (size < 16 || size > 1024) NotWave("a format chunk of " + std::to_string(size) + " bytes");
      std::vector<std::uint8_t> fmt(size + (size & 1));
      ReadExactly(in, fmt.data(), fmt.size());
      // Plain PCM, or the extensible form whose sub-format is PCM.
      const std::uint16_t tag = Le16(&fmt[0]);
      if (tag != 1 && !(tag == 0xFFFE && size >= 40 && Le16(&fmt[24]) == 1))
        NotWave("the samples are not plain PCM (format tag " + std::to_string(tag) + ")");
      sound.Channels = Le16(&fmt[2]);
      sound.SampleRate = Le32(&fmt[4]);
      sound.BitsPerSample = Le16(&fmt[14]);
      if (sound.Channels < 1 || sound.Channels > 2) NotWave(std::to_string(sound.Channels) + " channels (1 or 2 can be stored)");
      if (sound.BitsPerSample != 8 && sound.BitsPerSample != 16)
        NotWave(std::to_string(sound.BitsPerSample) + " bits per sample (8 or 16 can be stored)");
      if (sound.SampleRate < 1000 || sound.SampleRate > 192000)
        NotWave("a sample rate of " + std::to_string(sound.SampleRate) + " Hz");
      haveFormat = true;
    } else if (id == "data") {
      if (!haveFormat) NotWave("the \"data\" chunk comes before the format chunk");
      if (size > kMaxSoundBytes) NotWave("more than " + std::to_string(kMaxSoundBytes >> 20) + " MiB of samples");
      const std::uint32_t frame = sound.Channels * sound.BitsPerSample / 8u;
      sound.Data.resize(size - size % frame);
      ReadExactly(in, sound.Data.data(), sound.Data.size());
      return sound;
    } else if (!in.seekg(size + (size & 1), std::ios::cur)) {
      NotWave("the file ends early");
    }
  }
}

TPcmSound SynthesiseSound(const TSoundSource& source) {
  const std::vector<double> signal =
      source.Tone ? ToneSignal(*source.Tone, source.Rate) : source.Chime ? ChimeSignal(*source.Chime, source.Rate)
                                                                         : std::vector<double>{};
  TPcmSound sound;
  sound.Channels = source.Channels;
  sound.SampleRate = source.Rate;
  sound.BitsPerSample = source.Bits;
  sound.Data.reserve(signal.size() * source.Channels * source.Bits / 8);
  for (const double v : signal) {
    const double clamped = std::clamp(v, -1.0, 1.0);
    for (int c = 0; c < source.Channels; ++c) {
      if (source.Bits == 8) {
        sound.Data.push_back(static_cast<std::uint8_t>(std::lround(128 + 127 * clamped)));
      } else {
        const auto s = static_cast<std::uint16_t>(static_cast<std::int16_t>(std::lround(32767 * clamped)));
        sound.Data.push_back(static_cast<std::uint8_t>(s));
        sound.Data.push_back(static_cast<std::uint8_t>(s >> 8));
      }
    }
  }
  return sound;
}

}  // namespace qrl
