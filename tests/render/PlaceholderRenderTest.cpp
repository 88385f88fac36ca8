// Placeholder texts filled with JPEG pictures, drawn at the text's rectangle in both occurrence
// layouts.

#include <gtest/gtest.h>

#include <cstdlib>

#include "render/RenderPage.h"
#include "render/RenderTestSupport.h"
#include "support/JpegFile.h"

namespace qrl::test {
namespace {

TElementDesc PlaceholderAt(std::uint16_t id, int layout, int left, int top) {
  TOccurrenceDesc o = Placed(left, top, 40, 20);
  o.Layout = layout;
  return Text(id, {}, 0, {o});
}

bool Grey(QRgb pixel) {
  return std::abs(qRed(pixel) - 200) <= 2 && std::abs(qGreen(pixel) - 200) <= 2 && std::abs(qBlue(pixel) - 200) <= 2;
}

TEST(PlaceholderRender, PicturesFillTheTextRectangleInBothLayouts) {
  TempDir pictures;
  WriteJpeg(pictures.File("a.jpg"), 40, 20);
  WriteJpeg(pictures.File("b.jpg"), 40, 20);
  const TColor white = Rgb(255, 255, 255);
  TLoadedFlyer flyer(FlyerOf(120, 80, {PlaceholderAt(1, 1, 10, 10), PlaceholderAt(2, 2, 60, 40)},
                             {Page(white, {}), Page(white, {Ref(1), Ref(2)})}),
                     24, pictures.Path().string());
  ASSERT_EQ(flyer->FindElement(1)->Kind, kindImage);
  ASSERT_EQ(flyer->FindElement(2)->Kind, kindImage);

  const QImage page = RenderPage(*flyer, 1);
  const QRect layout1(10, 10, 40, 20);
  const QRect layout2(60, 40, 40, 20);
  for (int y = 0; y < page.height(); ++y)
    for (int x = 0; x < page.width(); ++x) {
      const bool inside = layout1.contains(x, y) || layout2.contains(x, y);
      const QRgb pixel = page.pixel(x, y);
      ASSERT_EQ(Grey(pixel), inside) << "at " << x << "," << y;
      if (!inside) {
        ASSERT_EQ(pixel, ToRgb(white)) << "at " << x << "," << y;
      }
    }
}

TEST(PlaceholderRender, ABrokenPictureLeavesTheText) {
  TempDir pictures;
  WriteAll(pictures.File("broken.jpg"), {0xFF, 0xD8, 0xFF, 0xE0, 0x00});
  const TColor white = Rgb(255, 255, 255);
  TLoadedFlyer flyer(FlyerOf(120, 80, {PlaceholderAt(1, 1, 10, 10)}, {Page(white, {}), Page(white, {Ref(1)})}), 24,
                     pictures.Path().string());
  EXPECT_EQ(flyer->FindElement(1)->Kind, kindText);
  const QImage page = RenderPage(*flyer, 1);
  for (int y = 0; y < page.height(); ++y)
    for (int x = 0; x < page.width(); ++x) ASSERT_EQ(page.pixel(x, y), ToRgb(white));
}

}  // namespace
}  // namespace qrl::test
