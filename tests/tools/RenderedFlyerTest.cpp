// Flyers built from manifests and drawn by the player's page renderer: the pixels show what the
// manifest asked for. And the bundled examples build, load and show off every feature.

#include <gtest/gtest.h>

#include <set>

#include "elements/QtTextMeasurer.h"
#include "elements/TCKbClick.h"
#include "elements/TCKbImage.h"
#include "elements/TCKbSound.h"
#include "elements/TCKbTekst.h"
#include "render/RenderPage.h"
#include "tools/ToolsTestSupport.h"

namespace qrl::test {
namespace {

class RenderedFlyerTest : public ::testing::Test {
 protected:
  void SetUp() override { EnsureGuiApplication(); }
  TQtTextMeasurer measurer_;
  ManifestDir dir_;
};

// Within the tolerance of lossy picture coding.
::testing::AssertionResult Near(QRgb actual, QColor expected, int tolerance = 12) {
  if (std::abs(qRed(actual) - expected.red()) <= tolerance && std::abs(qGreen(actual) - expected.green()) <= tolerance &&
      std::abs(qBlue(actual) - expected.blue()) <= tolerance)
    return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << QColor(actual).name().toStdString() << " is not near "
                                       << expected.name().toStdString();
}

TEST_F(RenderedFlyerTest, PixelsShowPicturesKeysBackdropsAndTexts) {
  dir_.Picture("red.png", 30, 30, QColor(220, 30, 30));
  dir_.Picture("badge.png", 40, 40, QColor(255, 0, 255), 20, QColor(250, 220, 0));  // yellow on the key colour
  dir_.Picture("tile.png", 16, 16, QColor(150, 150, 150));
  const std::string manifest = dir_.Write("m.json", R"({
    "canvas": {"width": 200, "height": 100},
    "elements": {
      "red": {"kind": "picture", "file": "red.png"},
      "badge": {"kind": "picture", "file": "badge.png", "quality": 95},
      "tile": {"kind": "picture", "file": "tile.png"},
      "box": {"kind": "text", "size": 12, "background": "#FFFFFF", "paragraphs": ["Hi"]}
    },
    "pages": [
      {"colour": "#203040", "place": [
        {"element": "red", "at": [10, 10, 40, 40]},
        {"element": "badge", "at": [60, 10, 40, 40], "keyed": "#FF00FF", "name": "badge"},
        {"element": "box", "at": [110, 10, 80, 30]}]},
      {"colour": "#203040", "place": [
        {"element": "tile", "at": [0, 0, 16, 16], "backdrop": true},
        {"use": "badge"}]}
    ]})");
  BuildFlyer(manifest, dir_.File("out.qrl"), measurer_, "");
  LoadedFlyer loaded(dir_.File("out.qrl"), measurer_);

  const QImage first = RenderPage(*loaded.Flyer, 1);
  ASSERT_EQ(first.size(), QSize(200, 100));
  const QColor page(0x20, 0x30, 0x40);
  EXPECT_EQ(QColor(first.pixel(5, 5)), page);
  EXPECT_TRUE(Near(first.pixel(30, 30), QColor(220, 30, 30)));
  EXPECT_EQ(QColor(first.pixel(62, 12)), page);  // the key colour is left out exactly
  EXPECT_TRUE(Near(first.pixel(80, 30), QColor(250, 220, 0)));
  EXPECT_EQ(QColor(first.pixel(110, 10)), QColor(Qt::black));  // the frame
  EXPECT_EQ(QColor(first.pixel(185, 35)), QColor(Qt::white));  // the opaque box beside its text
  bool inked = false;  // "Hi" is drawn in black near the box's top left
  for (int y = 11; y < 25; ++y)
    for (int x = 112; x < 130; ++x) inked = inked || qGray(first.pixel(x, y)) < 80;
  EXPECT_TRUE(inked);

  // The backdrop tiles the whole page and shows through the keyed picture.
  const QImage second = RenderPage(*loaded.Flyer, 2);
  for (const QPoint p : {QPoint(5, 5), QPoint(190, 90), QPoint(62, 12)})
    EXPECT_TRUE(Near(second.pixel(p), QColor(150, 150, 150))) << p.x() << "," << p.y();
  EXPECT_TRUE(Near(second.pixel(80, 30), QColor(250, 220, 0)));
}

TEST_F(RenderedFlyerTest, TheDemoShowsEverythingOff) {
  BuildFlyer(QRL_EXAMPLES_DIR "/demo/demo.json", dir_.File("demo.qrl"), measurer_, "");
  LoadedFlyer loaded(dir_.File("demo.qrl"), measurer_);
  TFlyer& flyer = *loaded.Flyer;
  ASSERT_GE(flyer.Pages.size(), 6u);  // the background page and five or more

  std::set<int> kinds, actions;
  bool keyed = false, scrolling = false, clickSound = false, pcm = false, adpcm = false;
  for (const auto& entry : flyer.Elements) {
    ASSERT_TRUE(entry->IsRead()) << "element " << entry->Id << " is never shown";
    kinds.insert(entry->Kind);
    if (entry->Sound) (entry->Sound->Compression == kPcmCompression ? pcm : adpcm) = true;
    if (!entry->Control) continue;
    for (const auto& o : entry->Control->Occurrences()) {
      if (entry->Kind == kindImage) keyed = keyed || static_cast<TCKbOccImage&>(*o).Transparent;
      if (entry->Kind == kindText) scrolling = scrolling || o->Windowed;
      if (entry->Kind == kindClick) {
        const auto& click = static_cast<TCKbOccClick&>(*o);
        actions.insert(click.Action > 0 ? 1 : click.Action);
        clickSound = clickSound || click.ClickSound != nullptr;
      }
    }
  }
  EXPECT_EQ(kinds, (std::set<int>{kindImage, kindClick, kindText, kindSound}));
  EXPECT_EQ(actions, (std::set<int>{1, caNone, caClose, caNextPage, caPreviousPage, caWebLink, caForward, caBack}));
  EXPECT_TRUE(keyed && scrolling && clickSound && pcm && adpcm);
  EXPECT_TRUE(std::any_of(flyer.Pages.begin(), flyer.Pages.end(), [](const auto& p) { return p->Backdrop; }));
  EXPECT_TRUE(std::any_of(flyer.Pages.begin(), flyer.Pages.end(), [](const auto& p) { return p->Sound; }));

  // Every page draws, and none is just its page colour.
  for (std::size_t i = 1; i < flyer.Pages.size(); ++i) {
    const QImage image = RenderPage(flyer, static_cast<int>(i));
    std::set<QRgb> colours;
    for (int y = 0; y < image.height(); y += 7)
      for (int x = 0; x < image.width(); x += 7) colours.insert(image.pixel(x, y));
    EXPECT_GT(colours.size(), 20u) << "page " << i;
  }
}

TEST_F(RenderedFlyerTest, TheMinimalFlyerHasOnePage) {
  BuildFlyer(QRL_EXAMPLES_DIR "/minimal/minimal.json", dir_.File("minimal.qrl"), measurer_, "");
  LoadedFlyer loaded(dir_.File("minimal.qrl"), measurer_);
  EXPECT_EQ(loaded.Flyer->Pages.size(), 2u);
  EXPECT_EQ(loaded.Flyer->FlyerTitle, "Minimal flyer");
}

}  // namespace
}  // namespace qrl::test
