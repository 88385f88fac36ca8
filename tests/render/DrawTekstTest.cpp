#include <gtest/gtest.h>

#include <QPainter>
#include <QPicture>

#include "elements/TCKbTekst.h"
#include "format/QuireleafException.h"
#include "render/DrawTekst.h"
#include "render/RenderPage.h"
#include "render/RenderTestSupport.h"

namespace qrl::test {
namespace {

constexpr QRgb kGrey = 0xFF808080;

class DrawTekstTest : public ::testing::Test {
 protected:
  DrawTekstTest() {
    EnsureGuiApplication();
    context.Measurer = &measurer;
  }

  // A text placement of Arial 14 at (left, top, width, height), black on white.
  TCKbOccTekst& Text(TStrings lines, int left, int top, int width, int height, bool opaque, bool framed,
                     int alignment = taLeft) {
    auto& tekst = *texts.emplace_back(std::make_unique<TCKbTekst>(context));
    tekst.Font = {"Arial", -14, Rgb(0, 0, 0)};
    tekst.Opaque = opaque;
    tekst.Framed = framed;
    tekst.Alignment = alignment;
    auto& o = static_cast<TCKbOccTekst&>(tekst.AddOccurrence());
    o.SetRect(left, top, width, height);
    o.Lines = std::move(lines);
    return o;
  }
  int LineHeight() const { return measurer.LineHeight({"Arial", -14}); }

  static QImage Canvas(int width = 300, int height = 200) {
    QImage canvas(width, height, QImage::Format_RGB32);
    canvas.fill(kGrey);
    return canvas;
  }
  static void Paint(QImage& canvas, TCKbOccTekst& o, int pos, int prev, const QImage* page = nullptr) {
    QPainter painter(&canvas);
    DrawTekst(o, painter, pos, 0, o.Top, o.Left, prev, page);
  }
  // The box of pixels in area that are neither of the two colours given.
  static QRect Ink(const QImage& image, QRect area, QRgb ground1, QRgb ground2) {
    QRect ink;
    for (int y = area.top(); y <= area.bottom(); ++y)
      for (int x = area.left(); x <= area.right(); ++x)
        if (const QRgb p = image.pixel(x, y); p != ground1 && p != ground2) ink |= QRect(x, y, 1, 1);
    return ink;
  }

  TQtTextMeasurer measurer;
  TElementContext context;
  std::vector<std::unique_ptr<TCKbTekst>> texts;
};

TEST_F(DrawTekstTest, FullPaintFillsFramesAndAlignsEachLine) {
  const int lh = LineHeight();
  for (const int alignment : {taLeft, taRight, taCentre}) {
    SCOPED_TRACE(alignment);
    QImage canvas = Canvas();
    TCKbOccTekst& o = Text({"Hello\xA0"}, 10, 20, 200, 60, true, true, alignment);
    Paint(canvas, o, 0, kFullPaint);
    for (int x = 10; x < 210; ++x) EXPECT_TRUE(canvas.pixel(x, 20) == 0xFF000000 && canvas.pixel(x, 79) == 0xFF000000);
    for (int y = 20; y < 80; ++y) EXPECT_TRUE(canvas.pixel(10, y) == 0xFF000000 && canvas.pixel(209, y) == 0xFF000000);
    EXPECT_EQ(canvas.pixel(9, 19), kGrey);
    const QRect ink = Ink(canvas, QRect(11, 21, 198, 58), 0xFFFFFFFF, 0xFFFFFFFF);
    EXPECT_GE(ink.top(), 21);
    EXPECT_LT(ink.bottom(), 21 + lh);
    const int width = measurer.TextWidth({"Arial", -14}, "Hello");
    // Left: 2 pixels in; right: ending 1 pixel short of the right edge; centred: truncated.
    const int start = alignment == taLeft ? 10 + 2 : alignment == taRight ? 10 + 199 - width : 10 + (199 - width) / 2;
    EXPECT_NEAR(ink.left(), start, 2);
    EXPECT_NEAR(ink.right() + 1, start + width, 2);
  }

  // Transparent and unframed: the canvas shows around the glyphs; the paragraph mark is not drawn.
  QImage canvas = Canvas();
  TCKbOccTekst& o = Text({"Hi\xA0"}, 10, 20, 200, 60, false, false);
  Paint(canvas, o, 0, kFullPaint);
  const QRect ink = Ink(canvas, canvas.rect(), kGrey, kGrey);
  EXPECT_EQ(canvas.pixel(10, 20), kGrey);
  EXPECT_LE(ink.right() + 1, 12 + measurer.TextWidth({"Arial", -14}, "Hi") + 1);
  EXPECT_GE(ink.left(), 12);
}

TEST_F(DrawTekstTest, LinesStartingInsideTheBoxAreDrawnWholeAndLaterOnesNot) {
  const int lh = LineHeight();
  QImage canvas = Canvas();
  // Room for two lines and a part of the third.
  TCKbOccTekst& o = Text({"Mag", "Mag", "Mag", "Mag"}, 10, 10, 100, 2 * lh + 6, true, true);
  Paint(canvas, o, 0, kFullPaint);
  const int bottom = 10 + 2 * lh + 6;
  const QRect below = Ink(canvas, QRect(11, bottom, 80, canvas.height() - bottom), kGrey, 0xFFFFFFFF);
  EXPECT_FALSE(below.isEmpty()) << "the third line is cut at the box";
  EXPECT_LT(below.bottom(), 10 + 1 + 3 * lh) << "the fourth line is drawn";
}

TEST_F(DrawTekstTest, ScrollRepaintsMatchAFullPaintAtTheNewPosition) {
  const int lh = LineHeight();
  const TStrings lines{"One", "Two two", "Three", "Four four", "Five", "Six", "Seven", "Eight"};
  QImage page = Canvas();
  for (int y = 0; y < page.height(); y += 2) page.setPixel(40, y, 0xFF00FF00);  // something to restore
  for (const bool opaque : {true, false}) {
    SCOPED_TRACE(opaque);
    TCKbOccTekst& o = Text(lines, 20, 30, 120, 3 * lh + 5, opaque, opaque);
    const QRect box(20, 30, 120, 3 * lh + 5);
    for (const auto& [from, to] : {std::pair{0, 2 * lh - 3}, std::pair{3 * lh, lh + 1}, std::pair{5, 5 + 10 * lh}}) {
      QImage scrolled = page;
      Paint(scrolled, o, from, kFullPaint);
      Paint(scrolled, o, to, from, &page);
      QImage full = page;
      Paint(full, o, to, kFullPaint);
      EXPECT_TRUE(SameInside(scrolled, full, box)) << from << " to " << to;
    }
  }

  // An unchanged position copies and fills nothing.
  TCKbOccTekst& o = Text(lines, 20, 30, 120, 3 * lh + 5, true, true);
  QImage canvas = page;
  Paint(canvas, o, lh, kFullPaint);
  const QImage before = canvas;
  Paint(canvas, o, lh, lh);
  EXPECT_TRUE(SameInside(canvas, before));
}

TEST_F(DrawTekstTest, ScrollRepaintNeedsACanvasItCanRead) {
  TCKbOccTekst& o = Text({"Text"}, 0, 0, 100, 30, true, true);
  QPicture recording;
  QPainter painter(&recording);
  try {
    DrawTekst(o, painter, 5, 0, 0, 0, 0, nullptr);
    ADD_FAILURE() << "no error";
  } catch (const EQuireleafDebugger& e) {
    EXPECT_EQ(e.HelpContext(), ecInvalidDC);
  }
  TCKbOccTekst& transparent = Text({"Text"}, 0, 0, 100, 30, false, false);
  QImage canvas = Canvas();
  EXPECT_NO_THROW(Paint(canvas, transparent, 5, 0)) << "without a page bitmap nothing is put back";
}

TEST(DrawTekstOnPages, TextsOfAPageDrawButScrollingOnesAreLeftToTheirControls) {
  TStrings many(30, "line");
  // Flags: opaque and framed; the second one may scroll and does not fit.
  TLoadedFlyer flyer(FlyerOf(200, 100,
                             {Text(1, {"Shown"}, 0x03, {Placed(10, 10, 80, 30)}, Rgb(200, 0, 0), Rgb(0, 0, 255)),
                              Text(2, many, 0x07, {Placed(100, 10, 80, 60)})},
                             {Page(0, {}), Page(Rgb(0, 255, 0), {Ref(1), Ref(2)})}));
  ASSERT_TRUE(OccurrenceOf<TCKbOccTekst>(*flyer, 2).Windowed);
  const QImage page = RenderPage(*flyer, 1);
  EXPECT_EQ(page.pixel(10, 10), 0xFF000000);  // frame
  EXPECT_EQ(page.pixel(88, 38), 0xFF0000FF);  // background inside
  bool red = false;
  for (int y = 11; y < 39; ++y)
    for (int x = 11; x < 89; ++x) red |= qRed(page.pixel(x, y)) > 150 && qBlue(page.pixel(x, y)) < 100;
  EXPECT_TRUE(red) << "no text drawn";
  for (int y = 0; y < 100; ++y)
    for (int x = 100; x < 200; ++x) ASSERT_EQ(page.pixel(x, y), 0xFF00FF00) << x << ", " << y;
}

}  // namespace
}  // namespace qrl::test
