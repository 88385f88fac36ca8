// Crafted flyers that once made the loader run for minutes or take gigabytes, loaded whole from
// memory. Each test bounds the work of the load by what it measured or held, never by the clock:
// the characters the text measurer was given, the heap the load grew by, the picture bytes held.

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "document/FlyerTestSupport.h"
#include "document/TFlyerWriter.h"
#include "elements/TCKbImage.h"
#include "elements/TCKbTekst.h"
#include "support/CraftedFlyers.h"
#include "support/HeapPeak.h"
#include "support/ProportionalMeasurer.h"

namespace qrl::test {
namespace {

constexpr std::int64_t kMB = 1 << 20;

// Loads a crafted flyer from memory with a measurer that counts its work, noting how far the
// heap grew while loading.
class CraftedLoad {
 public:
  explicit CraftedLoad(const TFlyerDesc& description, std::int64_t pictureBudget = kDefaultPictureBudget,
                       const TScreenMetrics& screen = {})
      : flyer_(std::make_unique<TFlyer>(measurer_, screen)) {
    TBytes bytes = FlyerBytes(description);
    FileSize = static_cast<std::int64_t>(bytes.size());
    flyer_->Context().PictureBudget = pictureBudget;
    const HeapPeak peak;
    TFlyerLoader loader(*flyer_, Observer);
    Result = loader.LoadFlyer(std::make_unique<TQLStream>(std::move(bytes), "crafted.qrl"));
    HeapGrowth = peak.Growth();
  }

  TFlyer& Flyer() { return *flyer_; }
  const ProportionalMeasurer& Measurer() const { return measurer_; }
  template <class T>
  T& Element(std::uint16_t id) {
    return static_cast<T&>(*flyer_->FindElement(id)->Control);
  }

  ScopedTmpDir Tmp;  // swap files go here, and are counted
  RecordingObserver Observer;
  TLoadResult Result = TLoadResult::lrClosedInScan;
  std::int64_t FileSize = 0;
  std::int64_t HeapGrowth = 0;

 private:
  ProportionalMeasurer measurer_;
  std::unique_ptr<TFlyer> flyer_;
};

std::int64_t TextSize(const TStrings& lines) {
  std::int64_t size = 0;
  for (const std::string& line : lines) size += static_cast<std::int64_t>(line.size());
  return size;
}

const TCKbOccTekst& TextPlacement(TCKbTekst& tekst, std::size_t index) {
  return static_cast<const TCKbOccTekst&>(*tekst.Occurrences()[index]);
}

TEST(HostileFlyer, OneLongLineIsWrappedMeasuringEachCharacterAFewTimesOnly) {
  CraftedLoad load(LongLineText(1));
  ASSERT_EQ(load.Result, TLoadResult::lrComplete);
  auto& tekst = load.Element<TCKbTekst>(1);
  const std::int64_t text = TextSize(tekst.StoredLines);
  // Re-measuring ever shorter prefixes word by word took hundreds of millions of characters.
  EXPECT_LT(load.Measurer().Characters(), 64 * text);
  // Nearly a word a line, none of them starting with the space it was broken at.
  const TStrings& lines = TextPlacement(tekst, 0).Tekst().Lines;
  EXPECT_GT(lines.size(), 2000u);
  for (const std::string& line : lines) {
    ASSERT_FALSE(line.empty());
    EXPECT_NE(line.front(), ' ');
  }
}

TEST(HostileFlyer, PlacementsOfOneSizeWrapTheStoredLinesAlikeAndShareThem) {
  CraftedLoad load(ManyPlacementsOfOneText(1));
  ASSERT_EQ(load.Result, TLoadResult::lrComplete);
  auto& tekst = load.Element<TCKbTekst>(1);
  ASSERT_EQ(tekst.Occurrences().size(), 2000u);
  // The first placement takes the lines as stored; every later one the re-flow for the size
  // they all have. Re-flowing the previous placement's lines added a leading space to every
  // continuation line per placement.
  EXPECT_TRUE(TextPlacement(tekst, 0).Lines == tekst.StoredLines);
  const TSharedLines& reflowed = TextPlacement(tekst, 1).Lines;
  EXPECT_GT(reflowed.size(), 2u);
  for (std::size_t i = 2; i < tekst.Occurrences().size(); ++i) {
    ASSERT_TRUE(TextPlacement(tekst, i).Lines.SharesWith(reflowed)) << "placement " << i + 1;
  }
  for (const std::string& line : reflowed) EXPECT_NE(line.substr(0, 2), "  ");
  // One re-flow per size, not one per placement.
  EXPECT_LT(load.Measurer().Characters(), 100 * TextSize(tekst.StoredLines));
  EXPECT_LT(load.HeapGrowth, 16 * kMB);
}

TEST(HostileFlyer, ThousandsOfPlacementsOfALongTextCostTheTextOnce) {
  CraftedLoad load(LongTextManyPlacements(1));
  ASSERT_EQ(load.Result, TLoadResult::lrComplete);
  auto& tekst = load.Element<TCKbTekst>(1);
  ASSERT_EQ(tekst.Occurrences().size(), 3000u);
  const std::int64_t text = TextSize(tekst.StoredLines);
  EXPECT_GT(text, 100000);
  // Each placement copied every line: 3000 copies of 100 KB. Three widths give three re-flows,
  // each made again for the scroll bar.
  EXPECT_LT(load.HeapGrowth, 48 * kMB);
  EXPECT_LT(load.Measurer().Characters(), 64 * text);
  EXPECT_TRUE(TextPlacement(tekst, 2999).Lines.SharesWith(TextPlacement(tekst, 2996).Lines));
}

TEST(HostileFlyer, PlacementsOnAFarPageCostOneEntryEach) {
  CraftedLoad load(PlacementsOnPage30000(1));
  ASSERT_EQ(load.Result, TLoadResult::lrComplete);
  ASSERT_EQ(load.Flyer().Pages.size(), 30001u);
  const auto& click = load.Element<TCKbControl>(1);
  ASSERT_EQ(click.Occurrences().size(), 32767u);
  EXPECT_EQ(click.Occurrences().back()->Location.Page(30000), 1);
  EXPECT_EQ(click.Occurrences().back()->Location.Page(29999), 0);
  // A page table as long as the highest page took 30000 bytes a placement: about 1 GB.
  EXPECT_LT(load.HeapGrowth, 20 * load.FileSize);
}

TScreenMetrics Screen(int width, int height) {
  TScreenMetrics screen;
  screen.horzRes = width;
  screen.vertRes = height;
  return screen;
}

TEST(HostileFlyer, AHugePicturePlacementDecodesNoLargerThanTheScreenCanShow) {
  // A screen that shows the canvas at most twice enlarged.
  CraftedLoad load(HugePictureFourTimes(1), kDefaultPictureBudget, Screen(1280, 1024));
  ASSERT_EQ(load.Result, TLoadResult::lrComplete);
  const auto& image = load.Element<TCKbImage>(1);
  EXPECT_EQ(image.PictureWidth, 1280);
  EXPECT_EQ(image.PictureHeight, 680);
  // Decoded at 5792 x 5792, the picture alone took 100 MB.
  EXPECT_LT(load.HeapGrowth, 24 * kMB);
}

TEST(HostileFlyer, AHugePictureWithoutACanvasDecodesNoLargerThanTheScreen) {
  // An empty canvas, and a flyer without a description.
  for (const bool missing : {false, true}) {
    SCOPED_TRACE(missing ? "no description" : "empty canvas");
    TFlyerDesc flyer = HugePictureFourTimes(1);
    if (missing) {
      flyer.Blocks.erase(flyer.Blocks.begin());
    } else {
      auto& info = std::get<TInfoDesc>(flyer.Blocks.front());
      info.Width = 0;
      info.Height = 0;
    }
    CraftedLoad load(std::move(flyer), kDefaultPictureBudget, Screen(1280, 1024));
    ASSERT_EQ(load.Result, TLoadResult::lrComplete);
    const auto& image = load.Element<TCKbImage>(1);
    // Without a canvas to clip to, the picture was decoded at the 5792 x 5792 its placement claims.
    EXPECT_LE(image.PictureWidth, 1280);
    EXPECT_LE(image.PictureHeight, 1024);
    EXPECT_LT(load.HeapGrowth, 24 * kMB);
  }
}

TEST(HostileFlyer, PicturesBeyondTheBudgetAreSwappedOutWhileThePagesAreBuilt) {
  // A screen the size of the canvas: every picture is decoded at 640 x 340, and two fit.
  const TScreenMetrics screen = Screen(640, 340);
  const std::int64_t one = 640 * 340 * 3;
  const std::int64_t budget = 2 * one + one / 2;
  CraftedLoad load(HugePicture(4), budget, screen);
  ASSERT_EQ(load.Result, TLoadResult::lrComplete);
  int inMemory = 0;
  int onDisk = 0;
  for (std::uint16_t id = 1; id <= 4; ++id) {
    const auto& image = load.Element<TCKbImage>(id);
    EXPECT_EQ(image.PictureWidth, 640);
    EXPECT_EQ(image.PictureHeight, 340);
    inMemory += image.InMemory;
    onDisk += image.OnDisk && !image.InMemory;
  }
  // Every picture stayed in memory while the pages were built, whatever the flyer held.
  EXPECT_LE(load.Flyer().Context().ResidentPictureBytes, budget);
  EXPECT_EQ(inMemory, 2);
  EXPECT_EQ(onDisk, 2);
  EXPECT_EQ(load.Tmp.FileCount(), 2);
}

TEST(HostileFlyer, TensOfThousandsOfInformationItemsAreAllKept) {
  CraftedLoad load(ManyInformationItems(1));
  ASSERT_EQ(load.Result, TLoadResult::lrComplete);
  EXPECT_EQ(load.Flyer().InfoValue("Special", "key65534"), "value 65534");
  EXPECT_EQ(load.Flyer().InfoValue("Special", "KEY0"), "value 0");
  EXPECT_EQ(load.Flyer().FlyerTitle, "Crafted");
  EXPECT_LT(load.HeapGrowth, 40 * load.FileSize);
}

}  // namespace
}  // namespace qrl::test
