#include "elements/ImaAdpcmEncoder.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "elements/ImaAdpcm.h"

namespace qrl {
namespace {

// Interleaved frames of a sine per channel (each channel its own frequency).
std::vector<std::int16_t> Sines(int channels, int frames, double rate, std::vector<double> hz, double amplitude) {
  std::vector<std::int16_t> samples;
  for (int i = 0; i < frames; ++i)
    for (int c = 0; c < channels; ++c)
      samples.push_back(static_cast<std::int16_t>(
          std::lround(amplitude * 32767 * std::sin(2 * std::numbers::pi * hz[static_cast<std::size_t>(c)] * i / rate))));
  return samples;
}

// Signal-to-noise ratio in dB of the reconstruction, over the samples both have.
double SnrDb(const std::vector<std::int16_t>& signal, const std::vector<std::int16_t>& decoded) {
  double s = 0, n = 0;
  for (std::size_t i = 0; i < signal.size(); ++i) {
    const double a = signal[i], e = a - decoded[i];
    s += a * a;
    n += e * e;
  }
  return 10 * std::log10(s / std::max(n, 1.0));
}

TEST(ImaAdpcmEncoderTest, ThePlayersDecoderReproducesTheEncodersReconstructionExactly) {
  struct TCase {
    int Channels;
    std::vector<std::int16_t> Samples;
  };
  std::vector<std::int16_t> extremes;  // full-scale jumps push predictor and step index to their limits
  for (int i = 0; i < 400; ++i) extremes.push_back(i % 50 < 25 ? 32767 : -32768);
  std::vector<std::int16_t> noise;
  std::uint32_t seed = 12345;
  for (int i = 0; i < 3001; ++i) noise.push_back(static_cast<std::int16_t>((seed = seed * 1664525 + 1013904223) >> 16));
  const std::vector<TCase> cases{{1, Sines(1, 5000, 22050, {440}, 0.5)},
                                 {2, Sines(2, 4000, 22050, {300, 1250}, 0.8)},
                                 {1, extremes},
                                 {2, noise}};  // an odd count: padded to whole bytes
  for (const TCase& c : cases) {
    TImaAdpcmEncoder encoder(c.Channels);
    std::vector<std::int16_t> reconstruction;
    const auto bytes = encoder.Encode(c.Samples, &reconstruction);
    ASSERT_EQ(bytes.size(), (c.Samples.size() + 1) / 2);
    TImaAdpcmDecoder decoder(c.Channels);
    EXPECT_EQ(decoder.Decode(bytes), reconstruction);
    for (int ch = 0; ch < c.Channels; ++ch) {
      EXPECT_EQ(decoder.States()[ch].Predictor, encoder.States()[ch].Predictor);
      EXPECT_EQ(decoder.States()[ch].StepIndex, encoder.States()[ch].StepIndex);
    }
  }
}

TEST(ImaAdpcmEncoderTest, RealSignalsComeBackClose) {
  // A tone, a two-channel mix and a decaying bell partial: the kinds of sound flyers carry.
  const auto tone = Sines(1, 22050, 22050, {440}, 0.5);
  const auto stereo = Sines(2, 22050, 22050, {220, 880}, 0.7);
  std::vector<std::int16_t> bell;
  for (int i = 0; i < 22050; ++i)
    bell.push_back(static_cast<std::int16_t>(
        std::lround(20000 * std::exp(-3.0 * i / 22050) * std::sin(2 * std::numbers::pi * 784 * i / 22050.0))));
  for (const auto& [channels, signal] : {std::pair{1, tone}, std::pair{2, stereo}, std::pair{1, bell}}) {
    std::vector<std::int16_t> decoded;
    TImaAdpcmEncoder(channels).Encode(signal, &decoded);
    // About what 4 bits a sample can give: the coarse steps show on loud, bright sounds most.
    EXPECT_GT(SnrDb(signal, decoded), 24.0);
  }
  // Silence stays all but silent: the smallest step is 7, so the predictor hovers by a few units.
  std::vector<std::int16_t> decoded;
  TImaAdpcmEncoder(1).Encode(std::vector<std::int16_t>(1000, 0), &decoded);
  for (const std::int16_t s : decoded) EXPECT_LE(std::abs(s), 8);
}

TEST(ImaAdpcmEncoderTest, NibblesFollowTheStoredOrder) {
  // High nibble first; channels take turns nibble by nibble.
  TImaAdpcmEncoder stereo(2);
  const auto bytes = stereo.Encode(std::vector<std::int16_t>{1000, -1000});
  ASSERT_EQ(bytes.size(), 1u);
  EXPECT_EQ(bytes[0] >> 4, 0x7);    // channel 0: up as far as the first step allows
  EXPECT_EQ(bytes[0] & 0xF, 0xF);   // channel 1: down as far
  // An odd count repeats the last sample of the channel whose turn it is.
  TImaAdpcmEncoder mono(1);
  std::vector<std::int16_t> decoded;
  const auto padded = mono.Encode(std::vector<std::int16_t>{0, 0, 11}, &decoded);
  ASSERT_EQ(padded.size(), 2u);
  ASSERT_EQ(decoded.size(), 4u);
  EXPECT_EQ(padded[1] >> 4, 0x7);   // 11 from predictor 0, step 7: diff 0 + 7 + 3 + 1 = 11
  EXPECT_EQ(decoded[2], 11);
  EXPECT_NEAR(decoded[3], 11, 8);
  EXPECT_THROW(TImaAdpcmEncoder(0), std::invalid_argument);
}

}  // namespace
}  // namespace qrl
