// The codec on real photographs (crops of them, to keep the run short): at the default quality
// the picture comes back at 30 dB or better, and renders at half and double size hold up.

#include <gtest/gtest.h>

#include "fif/FifDecoder.h"
#include "fif/FifEncoder.h"
#include "fif/FifPhotos.h"

namespace qrl {
namespace {

struct TPhotoCase {
  const char* name;
  double ownSize;  // dB at the picture's own size
  double half;     // dB at half size, against the crop halved
  double twice;    // dB of the double-size render halved again, against the crop
};

class FifPhoto : public ::testing::TestWithParam<TPhotoCase> {};

TEST_P(FifPhoto, RoundTripsAtOwnHalfAndDoubleSize) {
  const TPhotoCase& c = GetParam();
  const TDib photo = test::LoadPicture(test::PhotoPath(c.name));
  ASSERT_FALSE(photo.Empty()) << c.name;
  const int w = 160;
  const int h = 128;
  const TDib crop = test::Crop(photo, (photo.Width() - w) / 2, (photo.Height() - h) / 2, w, h);
  const std::vector<std::uint8_t> fif = EncodeFif(crop);
  const TFifDecoder decoder(fif);
  const double own = test::Psnr(crop, decoder.Render());
  const double half = test::Psnr(test::Halve(crop), decoder.Render(w / 2, h / 2));
  const double twice = test::Psnr(crop, test::Halve(decoder.Render(2 * w, 2 * h)));
  RecordProperty("bytes", static_cast<int>(fif.size()));
  EXPECT_GE(own, c.ownSize) << "bpp " << 8.0 * fif.size() / (w * h);
  EXPECT_GE(half, c.half);
  EXPECT_GE(twice, c.twice);
}

INSTANTIATE_TEST_SUITE_P(Photographs, FifPhoto,
                         ::testing::Values(TPhotoCase{"astronaut.png", 30.0, 30.0, 28.0},
                                           TPhotoCase{"coffee.png", 30.0, 30.0, 28.0},
                                           TPhotoCase{"chelsea.png", 30.0, 30.0, 28.0},
                                           TPhotoCase{"brick.png", 30.0, 30.0, 28.0},
                                           TPhotoCase{"camera.png", 30.0, 30.0, 28.0}),
                         [](const auto& info) {
                           std::string name = info.param.name;
                           return name.substr(0, name.find('.'));
                         });

}  // namespace
}  // namespace qrl
