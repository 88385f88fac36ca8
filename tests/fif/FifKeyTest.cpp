// Keyed pictures: the encoder is told the key colour and the decoder gives every output size
// exactly the source's key region, with everything else clear of the keying tolerance.

#include <gtest/gtest.h>

#include <random>

#include "fif/FifDecoder.h"
#include "fif/FifEncoder.h"
#include "fif/FifKeyMask.h"
#include "fif/FifStatus.h"
#include "fif/FifTestPictures.h"

namespace qrl {
namespace {

constexpr TFifKeyColour kMagenta{255, 0, 255};

// A synthetic picture on a magenta ground, cut to a blob with ragged edges; a band of almost-key
// colour along the top and pinkish object pixels right beside the ground test both sides of
// the tolerance.
TDib KeyedPicture(int w, int h) {
  TDib picture = test::SyntheticPicture(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const double dx = (x - 0.5 * w) / (0.4 * w);
      const double dy = (y - 0.5 * h) / (0.4 * h);
      const double edge = 1.0 + 0.15 * std::sin(7.0 * std::atan2(dy, dx));
      std::uint8_t* p = picture.ScanLine(y) + 3 * x;
      const double r = std::sqrt(dx * dx + dy * dy);
      if (y < 3) {
        p[0] = 230, p[1] = 30, p[2] = 250;  // within the tolerance: keyed in the source too
      } else if (r > edge) {
        p[0] = 255, p[1] = 0, p[2] = 255;
      } else if (r > edge - 0.05) {
        p[0] = 190, p[1] = 60, p[2] = 200;  // just outside the tolerance
      }
    }
  return picture;
}

// Pixels whose membership in the key region (as the player judges it) differs from the source's
// region sampled at the output's pixel centres.
int MembershipErrors(const TDib& source, const TDib& decoded) {
  const TFifKeyMask want = FindKeyRegion(source, kMagenta);
  const TFifKeyMask got = FindKeyRegion(decoded, kMagenta);
  std::vector<std::uint8_t> wantRow(static_cast<std::size_t>(want.width));
  std::vector<std::uint8_t> gotRow(static_cast<std::size_t>(got.width));
  int errors = 0;
  for (int y = 0; y < got.height; ++y) {
    want.ExpandRow((2 * y + 1) * want.height / (2 * got.height), wantRow.data());
    got.ExpandRow(y, gotRow.data());
    for (int x = 0; x < got.width; ++x) errors += gotRow[x] != wantRow[(2 * x + 1) * want.width / (2 * got.width)];
  }
  return errors;
}

TEST(FifKey, KeyedPicturesKeepTheirRegionExactlyAtEverySize) {
  const TDib picture = KeyedPicture(120, 90);
  TFifEncodeOptions options;
  options.key = kMagenta;
  const TFifDecoder keyed(EncodeFif(picture, options));
  ASSERT_EQ(keyed.Header().key, kMagenta);
  const TFifDecoder plain(EncodeFif(picture));
  // Without the key the fringe is there: edge pixels cross the tolerance both ways.
  EXPECT_GT(MembershipErrors(picture, plain.Render()), 0);
  for (auto [w, h] : {std::pair{120, 90}, {240, 180}, {181, 67}, {60, 45}}) {
    SCOPED_TRACE(std::to_string(w) + "x" + std::to_string(h));
    const TDib out = keyed.Render(w, h);
    EXPECT_EQ(MembershipErrors(picture, out), 0);
  }
  // The object itself still looks like the picture.
  EXPECT_GE(test::Psnr(picture, keyed.Render()), 24.0);
}

TEST(FifKey, MaskRoundTripsThroughTheCoder) {
  std::mt19937 random(3);
  TFifKeyMask mask;
  mask.width = 300;
  mask.height = 40;
  mask.rowStart.push_back(0);
  for (int y = 0; y < mask.height; ++y) {
    mask.startsKeyed.push_back(static_cast<std::uint8_t>(random() % 2));
    // Some rows copy the shape above with small shifts, others are new; some are empty.
    int x = 0;
    while ((x += 1 + static_cast<int>(random() % (y % 3 == 0 ? 150 : 20))) < mask.width) mask.flips.push_back(x);
    mask.rowStart.push_back(mask.flips.size());
  }
  TSymbolWriter writer;
  TFifKeyContexts writeContexts;
  CodeKeyMask(writer, writeContexts, mask);
  const std::vector<std::uint8_t> bytes = writer.Coder().Finish();
  TSymbolReader reader(bytes);
  TFifKeyContexts readContexts;
  TFifKeyMask back;
  back.width = mask.width;
  back.height = mask.height;
  CodeKeyMask(reader, readContexts, back);
  EXPECT_EQ(back.startsKeyed, mask.startsKeyed);
  EXPECT_EQ(back.rowStart, mask.rowStart);
  EXPECT_EQ(back.flips, mask.flips);
  // The same data read as a narrower picture has flips beyond its edge.
  TSymbolReader narrow(bytes);
  TFifKeyContexts narrowContexts;
  TFifKeyMask cut;
  cut.width = 100;
  cut.height = mask.height;
  EXPECT_THROW(CodeKeyMask(narrow, narrowContexts, cut), EFifError);
}

}  // namespace
}  // namespace qrl
