// The codec end to end on synthetic pictures: sizes from 1 x 1 up, grey, rendering at other
// sizes, the header fields, determinism and the output caps.

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>

#include "fif/FifDecoder.h"
#include "fif/FifEncoder.h"
#include "fif/FifStatus.h"
#include "fif/FifTestPictures.h"

namespace qrl {
namespace {

TFifStatus StatusOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const EFifError& e) {
    return e.Status();
  }
  return fsOk;
}

TEST(FifCodec, TinyAndOddSizesRoundTrip) {
  for (auto [w, h] : {std::pair{1, 1}, {1, 7}, {7, 1}, {2, 2}, {3, 5}, {33, 17}, {65, 40}, {97, 131}}) {
    for (bool grey : {true, false}) {
      SCOPED_TRACE(std::to_string(w) + "x" + std::to_string(h) + (grey ? " grey" : " colour"));
      const TDib picture = test::SyntheticPicture(w, h, grey);
      const std::vector<std::uint8_t> fif = EncodeFif(picture);
      const TFifDecoder decoder(fif);
      EXPECT_EQ(decoder.Width(), w);
      EXPECT_EQ(decoder.Height(), h);
      const TDib out = decoder.Render();
      ASSERT_EQ(out.Width(), w);
      ASSERT_EQ(out.Height(), h);
      // Colour loses what halved chroma cannot hold, which on pictures this small is a lot.
      const bool tiny = w < 8 || h < 8;
      EXPECT_GE(test::Psnr(picture, out), grey ? 28.0 : (tiny ? 14.0 : 24.0));
    }
  }
}

TEST(FifCodec, SolidColoursComeBackAlmostExactly) {
  for (std::uint32_t colour : {0x000000u, 0xFFFFFFu, 0x3080C0u, 0xFF0000u}) {
    TDib picture = test::NewDib(20, 11);
    for (int y = 0; y < 11; ++y)
      for (int x = 0; x < 20; ++x)
        for (int c = 0; c < 3; ++c) picture.ScanLine(y)[3 * x + c] = static_cast<std::uint8_t>(colour >> (8 * c));
    const TDib out = TFifDecoder(EncodeFif(picture)).Render(37, 5);
    for (int y = 0; y < 5; ++y)
      for (int x = 0; x < 3 * 37; ++x)
        ASSERT_NEAR(out.ScanLine(y)[x], static_cast<int>((colour >> (8 * (x % 3))) & 0xFF), 3) << colour;
  }
}

TEST(FifCodec, GreyPicturesUseOnePlaneAndStayGrey) {
  const TDib picture = test::SyntheticPicture(90, 70, true);
  const std::vector<std::uint8_t> fif = EncodeFif(picture);
  const TFifDecoder decoder(fif);
  EXPECT_TRUE(decoder.Header().grey);
  const TDib out = decoder.Render(45, 140);
  for (int y = 0; y < out.Height(); ++y)
    for (int x = 0; x < out.Width(); ++x) {
      const std::uint8_t* p = out.ScanLine(y) + 3 * x;
      ASSERT_TRUE(p[0] == p[1] && p[1] == p[2]);
    }
  EXPECT_GE(test::Psnr(picture, decoder.Render()), 28.0);

  // The byte-per-pixel entry gives the same stream as the DIB of the same grey picture.
  std::vector<std::uint8_t> bytes(90 * 70);
  for (int y = 0; y < 70; ++y)
    for (int x = 0; x < 90; ++x) bytes[y * 90 + x] = picture.ScanLine(y)[3 * x];
  EXPECT_EQ(EncodeFifGrey(bytes.data(), 90, 70, 90), fif);
}

TEST(FifCodec, RendersAtOtherSizesDirectly) {
  const TDib picture = test::SyntheticPicture(128, 96);
  const TFifDecoder decoder(EncodeFif(picture));
  // Half size against the picture halved; double size halved again against the picture.
  EXPECT_GE(test::Psnr(test::Halve(picture), decoder.Render(64, 48)), 25.0);
  EXPECT_GE(test::Psnr(picture, test::Halve(decoder.Render(256, 192))), 27.0);
  // Odd, unequal scales in both directions work and keep the picture recognisable.
  const TDib stretched = decoder.Render(301, 17);
  EXPECT_EQ(stretched.Width(), 301);
  EXPECT_EQ(stretched.Height(), 17);
}

TEST(FifCodec, QualityTradesSizeForFidelity) {
  const TDib picture = test::SyntheticPicture(96, 96);
  const std::vector<std::uint8_t> low = EncodeFif(picture, TFifEncodeOptions::WithQuality(20));
  const std::vector<std::uint8_t> high = EncodeFif(picture, TFifEncodeOptions::WithQuality(95));
  EXPECT_LT(low.size(), high.size());
  EXPECT_LT(test::Psnr(picture, TFifDecoder(low).Render()), test::Psnr(picture, TFifDecoder(high).Render()));
  EXPECT_EQ(TFifDecoder(high).Header().quality, 95);
}

TEST(FifCodec, HeaderCarriesPhysicalSize) {
  const TDib picture = test::SyntheticPicture(10, 10);
  TFifEncodeOptions options;
  EXPECT_FALSE(TFifDecoder(EncodeFif(picture, options)).Header().physicalSize);
  options.physicalSize = TFifPhysicalSize{3, 2, '"', 0};
  EXPECT_EQ(TFifDecoder(EncodeFif(picture, options)).Header().physicalSize, options.physicalSize);
  options.physicalSize = TFifPhysicalSize{2100, 2970, 'm', -4};
  EXPECT_EQ(TFifDecoder(EncodeFif(picture, options)).Header().physicalSize, options.physicalSize);

  for (TFifPhysicalSize bad : {TFifPhysicalSize{0, 2, '"', 0}, {3, 2, 'x', 0}, {3, 2, 'm', 10}}) {
    options.physicalSize = bad;
    EXPECT_EQ(StatusOf([&] { EncodeFif(picture, options); }), fsBadArgument);
  }
}

TEST(FifCodec, RenderingIsDeterministicAndHonoursTheStride) {
  const TDib picture = test::SyntheticPicture(41, 23);
  const TFifDecoder decoder(EncodeFif(picture));
  const TDib a = decoder.Render(53, 29);
  EXPECT_EQ(a.Bytes(), decoder.Render(53, 29).Bytes());

  // A wide stride leaves the padding alone; a negative stride fills a top-down buffer.
  const std::ptrdiff_t stride = 3 * 53 + 13;
  std::vector<std::uint8_t> wide(static_cast<std::size_t>(stride) * 29, 0xAB);
  decoder.RenderBgr(53, 29, wide.data(), stride);
  std::vector<std::uint8_t> topDown(3 * 53 * 29);
  decoder.RenderBgr(53, 29, topDown.data() + 3 * 53 * 28, -3 * 53);
  for (int y = 0; y < 29; ++y) {
    const std::uint8_t* row = wide.data() + (28 - y) * stride;
    ASSERT_EQ(std::memcmp(row, a.ScanLine(y), 3 * 53), 0);
    ASSERT_EQ(row[3 * 53], 0xAB);
    ASSERT_EQ(std::memcmp(topDown.data() + 3 * 53 * y, a.ScanLine(y), 3 * 53), 0);
  }
}

TEST(FifCodec, RefusesOutputsBeyondTheCapsAndBadBuffers) {
  const TFifDecoder decoder(EncodeFif(test::SyntheticPicture(8, 8)));
  EXPECT_EQ(StatusOf([&] { decoder.Render(0, 5); }), fsBadOutputSize);
  EXPECT_EQ(StatusOf([&] { decoder.Render(5, -1); }), fsBadOutputSize);
  EXPECT_EQ(StatusOf([&] { decoder.Render(kFifMaxOutputSide + 1, 1); }), fsBadOutputSize);
  EXPECT_EQ(StatusOf([&] { decoder.Render(8192, 8193); }), fsBadOutputSize);  // over the pixel cap
  EXPECT_EQ(StatusOf([&] { decoder.Render(kFifMaxOutputSide, 1); }), fsOk);
  std::vector<std::uint8_t> row(30);
  EXPECT_EQ(StatusOf([&] { decoder.RenderBgr(10, 1, row.data(), 29); }), fsBadArgument);
  EXPECT_EQ(StatusOf([&] { decoder.RenderBgr(10, 1, nullptr, 30); }), fsBadArgument);
}

TEST(FifCodec, StreamsOfEarlierVersionsStillDecode) {
  // Written by the encoders of earlier stream versions: the first with one coder for all planes,
  // the second with binary-coded parameters in segments, the third with one mean step for all
  // block sizes.
  // Own-size pictures as the decoder of their day rendered them (CRC-32 of the DIB): later
  // versions must not change how earlier streams read. Versions 2 and 3 hold the same blocks.
  const std::uint32_t fingerprints[3][2] = {{0x80E795A7, 0xA47562E7}, {0x95795A27, 0xB9ED2FDF}, {0x95795A27, 0xB9ED2FDF}};
  for (int version : {1, 2, 3}) {
    for (bool grey : {false, true}) {
      const std::string name = "/version" + std::to_string(version) + (grey ? "-grey.fif" : "-colour.fif");
      SCOPED_TRACE(name);
      std::ifstream in(std::string(QRL_FIF_DATA) + name, std::ios::binary);
      const std::vector<std::uint8_t> fif{std::istreambuf_iterator<char>(in), {}};
      ASSERT_FALSE(fif.empty());
      const TFifDecoder decoder(fif);
      EXPECT_EQ(decoder.Header().version, version);
      const TDib picture = test::SyntheticPicture(grey ? 40 : 48, grey ? 30 : 36, grey);
      EXPECT_GE(test::Psnr(picture, decoder.Render()), grey ? 28.0 : 24.0);
      EXPECT_EQ(Crc32(decoder.Render().Bytes()), fingerprints[version - 1][grey ? 1 : 0]);
    }
  }
}

TEST(FifCodec, ThreadsChangeNeitherStreamNorPicture) {
  // Big enough for the decoder to share out its work.
  const TDib picture = test::SyntheticPicture(400, 200);
  TFifEncodeOptions one;
  one.threads = 1;
  const std::vector<std::uint8_t> fif = EncodeFif(picture);
  EXPECT_EQ(EncodeFif(picture, one), fif);
  const TDib single = TFifDecoder(fif, 1).Render(500, 260);
  EXPECT_EQ(TFifDecoder(fif, 4).Render(500, 260).Bytes(), single.Bytes());
  EXPECT_EQ(TFifDecoder(fif).Render(500, 260).Bytes(), single.Bytes());
  // A grey picture has one plane, whose passes are shared out instead; at its own size, reduced
  // (the sampled placements) and enlarged (the interpolation).
  const std::vector<std::uint8_t> grey = EncodeFif(test::SyntheticPicture(400, 300, true));
  for (auto [w, h] : {std::pair{400, 300}, {333, 250}, {800, 600}}) {
    SCOPED_TRACE(std::to_string(w) + "x" + std::to_string(h));
    EXPECT_EQ(TFifDecoder(grey, 4).Render(w, h).Bytes(), TFifDecoder(grey, 1).Render(w, h).Bytes());
  }
}

TEST(FifCodec, EncoderRefusesWhatItCannotStore) {
  const TDib picture = test::SyntheticPicture(4, 4);
  EXPECT_EQ(StatusOf([&] { EncodeFif(picture, TFifEncodeOptions::WithQuality(0)); }), fsBadArgument);
  EXPECT_EQ(StatusOf([&] { EncodeFif(picture, TFifEncodeOptions::WithQuality(101)); }), fsBadArgument);
  EXPECT_EQ(StatusOf([&] { EncodeFif(TDib{}); }), fsBadPicture);
  const std::uint8_t pixel = 0;
  EXPECT_EQ(StatusOf([&] { EncodeFifGrey(&pixel, 70000, 1, 70000); }), fsBadPicture);
  EXPECT_EQ(StatusOf([&] { EncodeFifGrey(&pixel, 2, 1, 1); }), fsBadArgument);
}

}  // namespace
}  // namespace qrl
