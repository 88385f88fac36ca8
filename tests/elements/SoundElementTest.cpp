#include <gtest/gtest.h>

#include <filesystem>
#include <numeric>

#include "elements/ElementTestSupport.h"
#include "elements/ImaAdpcm.h"
#include "elements/TCKbSound.h"
#include "format/QuireleafException.h"

namespace qrl {
namespace {

using test::TBlockReader;
using test::TElementEnvironment;
using test::WriteBlocks;
using Bytes = std::vector<std::uint8_t>;

test::TPayload SoundPayload(std::uint16_t compression, std::uint16_t channels, std::uint32_t rate, std::uint16_t bits,
                            const Bytes& data) {
  return [=](TQLStream& s) {
    s.WriteWord(compression);
    s.WriteWord(channels);
    s.WriteLongInt(static_cast<std::int32_t>(rate));
    s.WriteWord(bits);
    s.Write(data.data(), static_cast<std::int64_t>(data.size()));
  };
}

std::uint32_t U32(const std::vector<unsigned char>& b, std::size_t at) {
  return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (std::uint32_t{b[at + 3]} << 24);
}
std::uint16_t U16(const std::vector<unsigned char>& b, std::size_t at) {
  return static_cast<std::uint16_t>(b[at] | (b[at + 1] << 8));
}

std::unique_ptr<TCKbSound> LoadSound(TElementEnvironment& env, std::uint16_t code, const test::TPayload& payload) {
  auto sound = std::make_unique<TCKbSound>(env.Context);
  TBlockReader reader(WriteBlocks(env.Dir, 120, {{code, payload}}));
  const std::uint16_t read = reader.Open();
  std::int64_t fixedEnd = 0;
  if (read == bcElementExt) {
    const std::int16_t length = reader.Stream().ReadSmallInt();
    fixedEnd = reader.Stream().Position() + length;
  }
  sound->LoadWave(reader.Stream(), fixedEnd);
  reader.Close();
  return sound;
}

TEST(SoundElement, PcmIsCopiedBehindAWaveHeader) {
  TElementEnvironment env;
  Bytes data(1000);
  std::iota(data.begin(), data.end(), 0);
  const auto sound = LoadSound(env, bcElement, SoundPayload(0, 1, 11025, 8, data));
  const auto wave = test::ReadAll(sound->WaveFileName);
  ASSERT_EQ(wave.size(), 1044u);
  EXPECT_EQ(std::string(wave.begin(), wave.begin() + 4), "RIFF");
  EXPECT_EQ(U32(wave, 4), 1036u);
  EXPECT_EQ(std::string(wave.begin() + 8, wave.begin() + 16), "WAVEfmt ");
  EXPECT_EQ(U32(wave, 16), 16u);
  EXPECT_EQ(U16(wave, 20), 1);
  EXPECT_EQ(U16(wave, 22), 1);
  EXPECT_EQ(U32(wave, 24), 11025u);
  EXPECT_EQ(U32(wave, 28), 11025u);
  EXPECT_EQ(U16(wave, 32), 1);
  EXPECT_EQ(U16(wave, 34), 8);
  EXPECT_EQ(std::string(wave.begin() + 36, wave.begin() + 40), "data");
  EXPECT_EQ(U32(wave, 40), 1000u);
  EXPECT_TRUE(std::equal(data.begin(), data.end(), wave.begin() + 44));
  EXPECT_EQ(sound->DataSize, 1000);
  EXPECT_EQ(sound->WaveSize, 1044);
  EXPECT_EQ(env.TempFiles.Files(), (std::vector<std::string>{sound->WaveFileName}));
}

TEST(SoundElement, StereoAdpcmBecomesSixteenBitPcmFourTimesTheSize) {
  TElementEnvironment env;
  Bytes data(100, 0x17);
  const auto sound = LoadSound(env, bcElement, SoundPayload(1, 2, 22050, 4, data));
  const auto wave = test::ReadAll(sound->WaveFileName);
  ASSERT_EQ(wave.size(), 444u);
  EXPECT_EQ(U32(wave, 40), 400u);
  EXPECT_EQ(U16(wave, 32), 4);
  EXPECT_EQ(U32(wave, 28), 88200u);
  EXPECT_EQ(U16(wave, 34), 16);
  // Channel 0 gets the high nibbles (1), channel 1 the low ones (7), each from its own state.
  TImaAdpcmDecoder decoder(2);
  const auto samples = decoder.Decode(data);
  ASSERT_EQ(samples.size(), 200u);
  for (std::size_t i = 0; i < samples.size(); ++i)
    EXPECT_EQ(static_cast<std::int16_t>(U16(wave, 44 + 2 * i)), samples[i]) << i;
  EXPECT_EQ(samples[0], 1);   // nibble 1: 7/8 + 7/4
  EXPECT_EQ(samples[1], 11);  // nibble 7: 7/8 + 7 + 3 + 1
}

TEST(ImaAdpcm, FirstNibbleSevenGivesElevenAndStepIndexEight) {
  TImaAdpcmDecoder decoder(1);
  const Bytes one{0x70};
  const auto samples = decoder.Decode(one);
  EXPECT_EQ(samples[0], 11);
  // The second nibble (0) moved the index down by one again.
  EXPECT_EQ(decoder.States()[0].StepIndex, 7);
  TImaChannelState state;
  EXPECT_EQ(decoder.DecodeNibble(state, 7), 11);
  EXPECT_EQ(state.StepIndex, 8);
}

TEST(ImaAdpcm, PredictorAndStepIndexStayInRange) {
  TImaAdpcmDecoder decoder(1);
  const auto up = decoder.Decode(Bytes(200, 0x77));
  EXPECT_EQ(up.back(), 32767);
  EXPECT_EQ(decoder.States()[0].StepIndex, 88);
  const auto down = decoder.Decode(Bytes(400, 0xFF));
  EXPECT_EQ(down.back(), -32768);
  EXPECT_THROW(TImaAdpcmDecoder(0), std::invalid_argument);
}

TEST(SoundElement, LongAdpcmConvertedInChunksEqualsOnePieceAndSkipsNewerFixedFields) {
  TElementEnvironment env;
  Bytes data(40001);
  for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<std::uint8_t>((i * 37) ^ (i >> 5));
  const auto sound = LoadSound(env, bcElementExt, [&](TQLStream& s) {
    s.WriteSmallInt(13);  // the ten known bytes and three newer ones
    SoundPayload(1, 1, 8000, 4, {})(s);
    s.Write("new", 3);
    s.Write(data.data(), static_cast<std::int64_t>(data.size()));
  });
  const auto wave = test::ReadAll(sound->WaveFileName);
  ASSERT_EQ(wave.size(), 44u + 4 * data.size());
  TImaAdpcmDecoder whole(1);
  const auto samples = whole.Decode(data);
  for (std::size_t i = 0; i < samples.size(); ++i)
    ASSERT_EQ(static_cast<std::int16_t>(U16(wave, 44 + 2 * i)), samples[i]) << i;
}

TEST(SoundElement, AnAdpcmSoundWithoutChannelsIsRefusedAndLeavesNoFile) {
  TElementEnvironment env;
  EXPECT_THROW(LoadSound(env, bcElement, SoundPayload(1, 0, 8000, 4, Bytes(10))), EQuireleafInvalidFile);
  EXPECT_TRUE(env.TempFiles.Files().empty());
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(env.Dir.Path()), {}), 1);  // the flyer only
}

TEST(SoundElement, PlacementsCopyTheElementAndReadLoopFlagsAndValue) {
  TElementEnvironment env;
  auto sound = LoadSound(env, bcElement, SoundPayload(0, 1, 8000, 8, Bytes(4)));
  TBlockReader reader(WriteBlocks(env.Dir, 120, {{bcOccurrence, [](TQLStream& s) {
                                                    s.WriteLongInt(0x7);
                                                    s.WriteLongInt(-1);
                                                  }},
                                                 {bcOccurrence, [](TQLStream& s) {
                                                    s.WriteLongInt(0x2);
                                                    s.WriteLongInt(42);
                                                  }}}));
  for (int i = 0; i < 2; ++i) {
    reader.Open();
    sound->NewOccurrence().Load(reader.Stream());
    reader.Close();
  }
  const TCKbOccSound* first = sound->Occurrence(1);
  const TCKbOccSound* second = sound->Occurrence(2);
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(sound->Occurrence(3), nullptr);
  EXPECT_TRUE(first->Loop && first->Flag1 && first->Flag2);
  EXPECT_EQ(first->Value, 0xFFFFFFFFu);
  EXPECT_FALSE(second->Loop || second->Flag2);
  EXPECT_TRUE(second->Flag1);
  EXPECT_EQ(second->Value, 42u);
  EXPECT_EQ(second->WaveFileName, sound->WaveFileName);
  EXPECT_EQ(&second->Owner(), sound.get());
  EXPECT_TRUE(second->SoundName.empty());
}

}  // namespace
}  // namespace qrl
