// Sounds for flyers: WAVE files read from disk, and the tones and chimes synthesised at build
// time.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "format/QuireleafException.h"
#include "support/TempDir.h"
#include "tools/authoring/PcmSound.h"

namespace qrl::test {
namespace {

struct TChunk {
  std::string Id;
  std::vector<unsigned char> Bytes;
};

std::vector<unsigned char> Le(std::uint32_t v, int width) {
  std::vector<unsigned char> bytes;
  for (int i = 0; i < width; ++i) bytes.push_back(static_cast<unsigned char>(v >> (8 * i)));
  return bytes;
}

std::vector<unsigned char> Format(std::uint16_t tag, std::uint16_t channels, std::uint32_t rate, std::uint16_t bits) {
  std::vector<unsigned char> fmt;
  for (const auto& part : {Le(tag, 2), Le(channels, 2), Le(rate, 4), Le(rate * channels * bits / 8, 4),
                           Le(channels * bits / 8, 2), Le(bits, 2)})
    fmt.insert(fmt.end(), part.begin(), part.end());
  return fmt;
}

// A RIFF WAVE file of the chunks, each padded to an even length.
std::string WaveFile(const TempDir& dir, const std::vector<TChunk>& chunks) {
  std::vector<unsigned char> body{'W', 'A', 'V', 'E'};
  for (const TChunk& c : chunks) {
    body.insert(body.end(), c.Id.begin(), c.Id.end());
    const auto size = Le(static_cast<std::uint32_t>(c.Bytes.size()), 4);
    body.insert(body.end(), size.begin(), size.end());
    body.insert(body.end(), c.Bytes.begin(), c.Bytes.end());
    if (c.Bytes.size() % 2) body.push_back(0);
  }
  std::vector<unsigned char> file{'R', 'I', 'F', 'F'};
  const auto size = Le(static_cast<std::uint32_t>(body.size()), 4);
  file.insert(file.end(), size.begin(), size.end());
  file.insert(file.end(), body.begin(), body.end());
  WriteAll(dir.File("s.wav"), file);
  return dir.File("s.wav");
}

TEST(SoundSourcesTest, ReadsPcmWaveFilesAndSkipsOtherChunks) {
  TempDir dir;
  // 16-bit stereo behind an odd-sized chunk of another kind; a half frame at the end is dropped.
  TPcmSound sound = ReadWaveFile(WaveFile(dir, {{"LIST", {1, 2, 3}},
                                                {"fmt ", Format(1, 2, 22050, 16)},
                                                {"data", {0x00, 0x80, 0xFF, 0x7F, 0x34, 0x12, 0x01, 0x00, 0xAA, 0xBB}}}));
  EXPECT_EQ(sound.Channels, 2);
  EXPECT_EQ(sound.SampleRate, 22050u);
  EXPECT_EQ(sound.BitsPerSample, 16);
  EXPECT_EQ(sound.Data.size(), 8u);
  EXPECT_EQ(sound.Samples16(), (std::vector<std::int16_t>{-32768, 32767, 0x1234, 1}));
  // 8-bit samples are unsigned around 128.
  sound = ReadWaveFile(WaveFile(dir, {{"fmt ", Format(1, 1, 8000, 8)}, {"data", {0, 128, 255}}}));
  EXPECT_EQ(sound.Samples16(), (std::vector<std::int16_t>{-32768, 0, 127 * 256}));
  // The extensible form with a PCM sub-format is plain PCM too.
  auto extensible = Format(0xFFFE, 1, 8000, 16);
  for (const auto& part : {Le(22, 2), Le(16, 2), Le(0x4, 4), Le(1, 2), std::vector<unsigned char>(14, 0)})
    extensible.insert(extensible.end(), part.begin(), part.end());
  EXPECT_EQ(ReadWaveFile(WaveFile(dir, {{"fmt ", extensible}, {"data", {1, 0}}})).Samples16(),
            std::vector<std::int16_t>{1});
}

TEST(SoundSourcesTest, RefusesWhatAFlyerCannotCarry) {
  TempDir dir;
  const auto refused = [&](const std::vector<TChunk>& chunks, const std::string& reason) {
    try {
      ReadWaveFile(WaveFile(dir, chunks));
      ADD_FAILURE() << "accepted; expected " << reason;
    } catch (const EQuireleafException& e) {
      EXPECT_EQ(std::string(e.what()), "not a usable WAVE file: " + reason);
    }
  };
  refused({{"fmt ", Format(0x11, 1, 22050, 4)}, {"data", {1}}}, "the samples are not plain PCM (format tag 17)");
  refused({{"fmt ", Format(1, 1, 22050, 24)}, {"data", {1, 2, 3}}}, "24 bits per sample (8 or 16 can be stored)");
  refused({{"fmt ", Format(1, 3, 22050, 16)}, {"data", {}}}, "3 channels (1 or 2 can be stored)");
  refused({{"data", {1, 2}}, {"fmt ", Format(1, 1, 22050, 8)}}, "the \"data\" chunk comes before the format chunk");
  refused({{"fmt ", Format(1, 1, 22050, 8)}}, "no \"data\" chunk");
  // A data chunk that claims more than the file holds.
  const std::string path = WaveFile(dir, {{"fmt ", Format(1, 1, 22050, 8)}, {"data", {1, 2, 3, 4}}});
  auto bytes = ReadAll(path);
  bytes[40] = 200;
  WriteAll(path, bytes);
  EXPECT_THROW(ReadWaveFile(path), EQuireleafException);
  WriteAll(path, {'R', 'I', 'F', 'X'});
  EXPECT_THROW(ReadWaveFile(path), EQuireleafException);
  EXPECT_THROW(ReadWaveFile(dir.File("none.wav")), EFileError);
}

TEST(SoundSourcesTest, SynthesisedTonesAndChimes) {
  TSoundSource source;
  source.Rate = 8000;
  source.Tone = TToneSpec{{440, 0, 880}, 0.5, TWaveform::wfSquare, 0.5};
  TPcmSound tone = SynthesiseSound(source);
  EXPECT_EQ(tone.Data.size(), 3u * 4000 * 2);  // three notes of 4000 16-bit samples
  const auto samples = tone.Samples16();
  const auto peak = [&](std::size_t from, std::size_t to) {
    int p = 0;
    for (std::size_t i = from; i < to; ++i) p = std::max(p, std::abs(int{samples[i]}));
    return p;
  };
  EXPECT_NEAR(peak(0, 4000), 0.5 * 0.6 * 32767, 2);  // a square is played a little softer
  EXPECT_EQ(peak(4000, 8000), 0);                     // the rest
  EXPECT_EQ(samples[0], 0);                           // notes fade in, so nothing clicks
  EXPECT_EQ(samples[3999], 0);

  source.Tone.reset();
  source.Chime = TChimeSpec{{523.25, 659.25}, 0.25, 1.0, 0.8};
  source.Bits = 8;
  source.Channels = 2;
  const TPcmSound chime = SynthesiseSound(source);
  EXPECT_EQ(chime.Data.size(), 2u * 10000);  // 1.25 s, two channels of bytes
  const auto bytes = chime.Samples16();
  int loudest = 0;
  for (std::size_t i = 0; i < bytes.size(); i += 2) {
    ASSERT_EQ(bytes[i], bytes[i + 1]);  // both channels carry the same signal
    loudest = std::max(loudest, std::abs(int{bytes[i]}));
  }
  EXPECT_NEAR(loudest, 0.8 * 127 * 256, 256);  // the loudest moment has the asked volume
}

}  // namespace
}  // namespace qrl::test
