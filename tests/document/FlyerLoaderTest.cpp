#include <gtest/gtest.h>

#include <algorithm>

#include "document/FlyerTestSupport.h"
#include "document/TFlyerWriter.h"
#include "elements/TCKbClick.h"
#include "elements/TCKbTekst.h"
#include "format/QuireleafException.h"

namespace qrl::test {
namespace {

TPageRefDesc Ref(std::uint16_t element, std::uint16_t occurrence = 1) { return {element, occurrence, 0}; }

std::vector<std::string> Matching(const std::vector<std::string>& lines, const std::string& part) {
  std::vector<std::string> found;
  for (const auto& line : lines)
    if (line.find(part) != std::string::npos) found.push_back(line);
  return found;
}

class FlyerLoaderTest : public ::testing::Test {
 protected:
  std::string Write(const TFlyerDesc& desc, const std::string& name = "flyer.qrl") {
    const std::string path = dir_.File(name);
    WriteFlyerFile(desc, path);
    return path;
  }
  TempDir dir_;  // made before $TMPDIR moves, so that it is not counted there
  ScopedTmpDir tmp_;
};

TEST_F(FlyerLoaderTest, CaptionsAndPercentagesWhileScanningAndBuilding) {
  std::vector<TOccurrenceDesc> four{At(0, 0, 10, 10), At(10, 0, 10, 10), At(20, 0, 10, 10), At(30, 0, 10, 10)};
  const std::string path = Write(MakeFlyer({Info("Demo"), Text(1, {"back"}, four), Text(2, {"one"}),
                                            Page({Ref(1, 1), Ref(1, 2), Ref(1, 3), Ref(1, 4)}), Page({Ref(2)}),
                                            Page({Ref(2)}), Page({})}));
  LoadedFlyer loaded;
  loaded.Flyer->FlyerTitle = "Quireleaf Player";
  loaded.Load(path);
  EXPECT_EQ(loaded.Result, TLoadResult::lrComplete);

  const auto& log = loaded.Observer.Log;
  // Before the information block the caller's title shows.
  EXPECT_EQ(log.front().rfind("caption Quireleaf Player (scanning ", 0), 0u);
  const auto scanning = Matching(loaded.Observer.Captions, "(scanning");
  ASSERT_EQ(scanning.size(), 12u);  // one per block: information, 2 elements, 5 occurrences, 4 pages
  EXPECT_EQ(scanning[1].rfind("Demo (scanning ", 0), 0u);

  const std::vector<std::string> building{"caption Demo (building page 1 - 0%)",  "caption Demo (building page 1 - 12%)",
                                          "caption Demo (building page 1 - 25%)", "caption Demo (building page 1 - 38%)",
                                          "caption Demo (building page 1 - 50%)", "caption Demo (building page 1 - 100%)",
                                          "first page",                           "caption Demo (building 50%)",
                                          "caption Demo (building 75%)",          "caption Demo (building 100%)",
                                          "caption Demo"};
  const auto first = std::find(log.begin(), log.end(), building.front());
  ASSERT_NE(first, log.end());
  EXPECT_EQ(std::vector<std::string>(first, log.end()), building);
  EXPECT_EQ(std::count(log.begin(), log.end(), "info Demo"), 1);
  EXPECT_EQ(*(first - 2), "caption Demo");  // the scan ends with the bare title
  EXPECT_EQ(*(first - 1), "scan ended");
  EXPECT_EQ(loaded.Observer.EventsProcessed, 4 + 1 + 1);

  TFlyer& flyer = *loaded.Flyer;
  EXPECT_EQ(flyer.FlyerTitle, "Demo");
  EXPECT_EQ(flyer.FileName, path);
  ASSERT_EQ(flyer.Pages.size(), 4u);
  EXPECT_TRUE(std::all_of(flyer.Pages.begin(), flyer.Pages.end(), [](const auto& p) { return p->Built; }));
}

TEST_F(FlyerLoaderTest, CanvasSizeTitleAndNavBar) {
  TNavBarDesc navBar;
  navBar.Flags = 0x1F;
  {
    LoadedFlyer loaded;
    loaded.Load(Write(MakeFlyer({Info("", 800, 600), Page({}), Page({})})));
    EXPECT_FALSE(loaded.Flyer->IsStandardSize());
    EXPECT_EQ(loaded.Flyer->FlyerWidth, 800);
    EXPECT_EQ(loaded.Flyer->AreaHeight, 600);
    // Without a title the caption is the file name; without a nav-bar block there are no flags.
    EXPECT_EQ(loaded.Flyer->FlyerTitle, dir_.File("flyer.qrl"));
    EXPECT_FALSE(loaded.Flyer->NavBarVisibility().has_value());
  }
  {
    TInfoDesc info = Info("Fifteen");
    LoadedFlyer loaded;
    loaded.Load(Write(MakeFlyer({info, navBar, Page({})}, 15)));
    EXPECT_TRUE(loaded.Flyer->IsStandardSize());
    // Format 15 has no sections and always hides the info button.
    EXPECT_TRUE(loaded.Flyer->InfoSections.empty());
    EXPECT_EQ(loaded.Flyer->NavBarVisibility(), (TNavBarVisibility{true, true, true, true, false}));
  }
  {
    navBar.Flags = 0x16;
    LoadedFlyer loaded;
    loaded.Load(Write(MakeFlyer({Info("Sixteen"), navBar, Page({})}, 16)));
    EXPECT_EQ(loaded.Flyer->InfoValue("Flyer Info", "title"), "Sixteen");
    EXPECT_EQ(loaded.Flyer->NavBarVisibility(), (TNavBarVisibility{false, true, true, false, true}));
  }
}

TEST_F(FlyerLoaderTest, PagesShareOccurrencesAndMarkTheirLocations) {
  TElementDesc shared = Text(7, {"shared"}, {At(0, 0, 50, 20), At(60, 0, 50, 20)});
  TElementDesc back = Text(8, {"background"});
  TElementDesc music = Sound(9, 2);
  TElementDesc link;
  link.Kind = ekClick;
  link.Id = 10;
  link.Occurrences = {At(0, 0, 20, 20)};
  link.Occurrences[0].Action = caWebLink;
  link.Occurrences[0].LinkText = "https://example.org";
  link.Occurrences[0].SoundElement = 9;
  link.Occurrences[0].SoundIndex = 1;
  TPageDesc first = Page({Ref(7, 2), Ref(10)}, 0x123456);
  first.SoundElement = 9;
  first.SoundOccurrence = 2;
  LoadedFlyer loaded;
  loaded.Load(Write(MakeFlyer({Info("Shared"), shared, back, music, link, Page({Ref(8)}), first, Page({Ref(7, 2)})})));
  TFlyer& flyer = *loaded.Flyer;

  TCKbOccurrence* occurrence = flyer.FindElement(7)->Control->Occurrence(2);
  ASSERT_NE(occurrence, nullptr);
  EXPECT_EQ(flyer.Pages[1]->DrawList.front(), occurrence);
  EXPECT_EQ(flyer.Pages[2]->DrawList, std::vector<TCKbOccurrence*>{occurrence});
  EXPECT_FALSE(occurrence->Location.AllPages);
  EXPECT_EQ(occurrence->Location.Page(1), 1);
  EXPECT_EQ(occurrence->Location.Page(2), 1);
  EXPECT_EQ(occurrence->Location.Page(3), 0);
  EXPECT_TRUE(flyer.FindElement(8)->Control->Occurrence(1)->Location.AllPages);
  EXPECT_EQ(occurrence->DesignLeft, 60);
  // Occurrence 1 is on no page: its location stays empty.
  EXPECT_EQ(flyer.FindElement(7)->Control->Occurrence(1)->Location.Capacity(), 0);

  // Page 1: its colour, its sound, and a web link that is windowed and has a click sound.
  EXPECT_EQ(flyer.Pages[1]->Color, 0x123456u);
  TCKbSound& sound = *flyer.FindElement(9)->Sound;
  EXPECT_EQ(flyer.Pages[1]->Sound, sound.Occurrence(2));
  auto* click = static_cast<TCKbOccClick*>(flyer.FindElement(10)->Control->Occurrence(1));
  EXPECT_EQ(click->ClickSound, sound.Occurrence(1));
  EXPECT_EQ(flyer.Pages[1]->WindowedList, std::vector<TCKbOccurrence*>{click});
  EXPECT_EQ(flyer.Pages[1]->DrawList.size(), 2u);
  // The sound became a WAVE file among the flyer's temporary files.
  EXPECT_TRUE(std::filesystem::exists(sound.WaveFileName));
  EXPECT_EQ(flyer.TempFiles().Files().size(), 1u);
}

TEST_F(FlyerLoaderTest, ElementsAreReadOnFirstNeedSoTheirErrorsComeLate) {
  TElementDesc shortOfOccurrences = Text(1, {"three"}, {At(0, 0, 10, 10), At(0, 0, 10, 10)});
  shortOfOccurrences.DeclaredOccurrences = 3;
  const std::string path = Write(MakeFlyer({Info("Late"), Text(2, {"fine"}), shortOfOccurrences, Text(3, {"unused"}),
                                            Page({Ref(2)}), Page({Ref(1)}), Page({Ref(1)})}));
  TFlyer flyer(Measurer());
  RecordingObserver observer;
  TFlyerLoader loader(flyer, observer);
  loader.Open(path);
  EXPECT_NO_THROW(loader.ScanFlyer());
  ASSERT_EQ(flyer.Elements.size(), 3u);
  EXPECT_FALSE(flyer.Elements[1]->IsRead());
  flyer.BuildPage(0);
  EXPECT_TRUE(flyer.Elements[0]->IsRead());
  EXPECT_FALSE(flyer.Elements[1]->IsRead());
  try {
    flyer.BuildPage(1);
    FAIL() << "the third occurrence block is missing";
  } catch (const EQuireleafDebugger& e) {
    EXPECT_EQ(e.HelpContext(), 4096);
    EXPECT_STREQ(e.what(), "Occurrence Block expected.");
  }
  EXPECT_FALSE(flyer.Elements[2]->IsRead());
  // After the file is closed an unread element cannot be read any more.
  loader.Close();
  EXPECT_THROW(flyer.LoadElement(*flyer.Elements[2]), EQuireleafException);
}

TEST_F(FlyerLoaderTest, UnknownBlocksAndExtendedLayouts) {
  TPageDesc extended = Page({Ref(1), Ref(2)});
  extended.Extended = true;
  extended.ExtraFixed = {1, 2, 3, 4, 5};
  TElementDesc text = Text(2, {"after the extra fields"}, {At(0, 0, 400, 20)});
  text.Extended = true;
  text.ExtraFixed = {9, 9, 9};
  TRawBlockDesc unknown{0x0500, {1, 2, 3}, false};
  TElementDesc picture;  // an image whose occurrence is the page's background tile
  picture.Kind = ekImage;
  picture.Id = 1;
  picture.PictureData = {0xAB, 0xCD};
  picture.Occurrences = {At(0, 0, 32, 32)};
  picture.Occurrences[0].ImageFlags = 4;

  LoadedFlyer loaded;
  loaded.Load(Write(MakeFlyer({Info("Blocks"), unknown, picture, text, Page({}), extended, unknown})));
  TFlyer& flyer = *loaded.Flyer;
  ASSERT_EQ(flyer.Pages.size(), 2u);
  ASSERT_EQ(flyer.Pages[1]->Refs.size(), 2u);
  EXPECT_EQ(flyer.Pages[1]->Refs[1].Entry, flyer.FindElement(2));
  // The first placement keeps the lines as stored.
  EXPECT_EQ(static_cast<TCKbOccTekst&>(*flyer.FindElement(2)->Control->Occurrence(1)).Lines,
            TStrings{"after the extra fields"});
  // The background tile is no drawn occurrence, and its picture is not decoded by the build.
  EXPECT_EQ(flyer.Pages[1]->Backdrop, flyer.FindElement(1)->Control->Occurrence(1));
  EXPECT_EQ(flyer.Pages[1]->DrawList.size(), 1u);

  const auto expectCode = [&](const TFlyerDesc& desc, int code) {
    LoadedFlyer failing;
    try {
      failing.Load(Write(desc, "bad.qrl"));
      ADD_FAILURE() << "expected error " << code;
    } catch (const EQuireleafDebugger& e) {
      EXPECT_EQ(e.HelpContext(), code);
    }
  };
  expectCode(MakeFlyer({Info("Bad"), TRawBlockDesc{0x0500, {1, 2, 3}, true}, Page({})}), 4100);
  expectCode(MakeFlyer({Info("Bad"), TRawBlockDesc{0x8500, {}, false}, Page({})}), 4099);
}

TEST_F(FlyerLoaderTest, InvalidReferencesAndKindsAreRefusedWithTheirIds) {
  const auto expectMessage = [&](const TFlyerDesc& desc, const std::string& message) {
    LoadedFlyer loaded;
    try {
      loaded.Load(Write(desc, "invalid.qrl"));
      ADD_FAILURE() << "expected: " << message;
    } catch (const EQuireleafInvalidFile& e) {
      EXPECT_EQ(e.what(), message);
    }
  };
  expectMessage(MakeFlyer({Info("X"), Text(1, {"a"}), Page({Ref(1)}), Page({Ref(2)})}),
                "Page 1 refers to element 2, which no earlier element block defines.");
  TPageDesc withSound = Page({});
  withSound.SoundElement = 44;
  expectMessage(MakeFlyer({Info("X"), withSound}), "Page 0 refers to element 44, which no earlier element block defines.");
  TElementDesc unknownKind = Text(1, {"a"});
  unknownKind.Kind = 4;
  expectMessage(MakeFlyer({Info("X"), unknownKind, Page({Ref(1)})}), "Unknown element kind 4.");
  expectMessage(MakeFlyer({Info("X"), Text(1, {"a"}), Page({Ref(1, 2)})}), "Element 1 has no occurrence 2.");
  expectMessage(MakeFlyer({Info("X"), Sound(1), Page({Ref(1)})}), "Element 1 is a sound and cannot be placed on a page.");
  TPageDesc textAsSound = Page({});
  textAsSound.SoundElement = 1;
  textAsSound.SoundOccurrence = 1;
  expectMessage(MakeFlyer({Info("X"), Text(1, {"a"}), textAsSound}), "Element 1 is not a sound.");
  TElementDesc click;
  click.Kind = ekClick;
  click.Id = 3;
  click.Occurrences = {At(0, 0, 5, 5)};
  click.Occurrences[0].SoundElement = 12;
  click.Occurrences[0].SoundIndex = 1;
  expectMessage(MakeFlyer({Info("X"), click, Page({Ref(3)})}),
                "A click area refers to sound element 12, which the flyer does not have.");
  click.Occurrences[0].SoundElement = 5;
  click.Occurrences[0].SoundIndex = 3;
  // A click area's sound may stand after the pages.
  expectMessage(MakeFlyer({Info("X"), click, Page({Ref(3)}), Sound(5, 2)}), "Element 5 has no occurrence 3.");
}

TEST_F(FlyerLoaderTest, AbsurdCountsAreRefusedBeforeAllocation) {
  const auto expectCode = [&](const TFlyerDesc& desc, int code) {
    LoadedFlyer loaded;
    try {
      loaded.Load(Write(desc, "absurd.qrl"));
      ADD_FAILURE() << "expected error " << code;
    } catch (const EQuireleafDebugger& e) {
      EXPECT_EQ(e.HelpContext(), code);
    }
  };
  TElementDesc many = Text(1, {"a"});
  many.DeclaredOccurrences = 40000;
  expectCode(MakeFlyer({Info("X"), many, Page({Ref(1)})}), 4096);
  many.DeclaredOccurrences = 32767;  // allowed, but 327 kB of occurrence blocks cannot follow
  expectCode(MakeFlyer({Info("X"), many, Page({Ref(1)})}), 4096);
  TPageDesc refs = Page({Ref(1)});
  refs.DeclaredRefCount = 32767;
  expectCode(MakeFlyer({Info("X"), Text(1, {"a"}), refs}), 4102);
  // An element block declaring 2 GB of payload in a small file.
  const std::string declared = Write(MakeFlyer({Info("X"), Page({})}), "declared.qrl");
  auto bytes = ReadAll(declared);
  bytes.insert(bytes.end(), {0x01, 0x82, 0xFF, 0xFF, 0xFF, 0x7F, 1, 0});
  WriteAll(declared, bytes);
  try {
    LoadedFlyer loaded;
    loaded.Load(declared);
    ADD_FAILURE() << "expected error 4102";
  } catch (const EQuireleafDebugger& e) {
    EXPECT_EQ(e.HelpContext(), 4102);
  }
  // 65535 sections declared at the very end of the information block.
  TRawBlockDesc sections{0x8101, {0x80, 2, 0, 0, 0x54, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xFF, 0xFF}, false};
  expectCode(MakeFlyer({sections, Page({})}), 4102);
}

TEST_F(FlyerLoaderTest, CloseRequests) {
  const std::string path =
      Write(MakeFlyer({Info("Close"), Text(1, {"a"}, {At(0, 0, 9, 9), At(0, 0, 9, 9), At(0, 0, 9, 9)}),
                       Page({Ref(1, 1), Ref(1, 2)}), Page({Ref(1, 3)}), Page({Ref(1, 1)}), Page({Ref(1, 2)})}));
  {
    LoadedFlyer loaded;
    loaded.Observer.CloseAfterCaptions = 2;  // during the scan: it stops before the next block
    loaded.Load(path);
    EXPECT_EQ(loaded.Result, TLoadResult::lrClosedInScan);
    EXPECT_LT(loaded.Flyer->Pages.size(), 4u);
    EXPECT_EQ(loaded.Observer.EventsProcessed, 0);
  }
  {
    LoadedFlyer loaded;
    loaded.Observer.CloseAfterEvents = 1;  // building stops before the next occurrence
    loaded.Load(path);
    EXPECT_EQ(loaded.Result, TLoadResult::lrClosedInBuild);
    EXPECT_EQ(loaded.Observer.EventsProcessed, 1);
    EXPECT_FALSE(loaded.Flyer->Pages[1]->Built);
    EXPECT_EQ(std::count(loaded.Observer.Log.begin(), loaded.Observer.Log.end(), "first page"), 0);
  }
  {
    LoadedFlyer loaded;
    loaded.Observer.CloseAfterEvents = 4;  // after page 1 was shown
    loaded.Load(path);
    EXPECT_EQ(loaded.Result, TLoadResult::lrClosedInBuild);
    EXPECT_EQ(loaded.Observer.EventsProcessed, 4);
    EXPECT_EQ(std::count(loaded.Observer.Log.begin(), loaded.Observer.Log.end(), "first page"), 1);
    EXPECT_TRUE(loaded.Flyer->Pages[2]->Built);
    EXPECT_FALSE(loaded.Flyer->Pages[3]->Built);
  }
  {
    LoadedFlyer loaded;
    loaded.Observer.CloseAfterEvents = 1;
    loaded.Observer.KeepNote = true;  // a changed note keeps the build going to the end
    loaded.Load(path);
    EXPECT_EQ(loaded.Result, TLoadResult::lrClosedAfterBuild);
    EXPECT_EQ(loaded.Observer.EventsProcessed, 5);
    EXPECT_TRUE(loaded.Flyer->Pages[3]->Built);
  }
}

TEST_F(FlyerLoaderTest, ObserverMayBuildOtherPagesWhenPageOneIsShown) {
  const std::string path = Write(MakeFlyer({Info("Jump"), Text(1, {"a"}, {At(0, 0, 100, 40), At(0, 0, 9, 9)}),
                                            Page({}), Page({Ref(1, 2)}), Page({}), Page({Ref(1, 1)})}));
  LoadedFlyer loaded;
  loaded.Flyer->AreaWidth = 0;
  loaded.Observer.OnFirstPage = [](TFlyer& flyer) {
    flyer.AreaWidth = flyer.FlyerWidth / 2;  // the window sized the area
    flyer.BuildPage(3);
  };
  loaded.Load(path);
  EXPECT_EQ(loaded.Result, TLoadResult::lrComplete);
  // Page 3 was built by the observer at half size; building it again later changed nothing.
  const TCKbOccurrence& o = *loaded.Flyer->Pages[3]->DrawList.front();
  EXPECT_EQ(o.Width, 50);
  EXPECT_EQ(o.Height, 20);
  EXPECT_EQ(loaded.Flyer->Pages[3]->DrawList.size(), 1u);
  EXPECT_EQ(o.Location.Page(3), 1);
}

TEST_F(FlyerLoaderTest, ErrorsLeaveNoTemporaryFiles) {
  TElementDesc broken = Text(2, {"b"});
  broken.TextCompression = 1;
  TPageDesc withSound = Page({});
  withSound.SoundElement = 1;
  withSound.SoundOccurrence = 1;
  {
    LoadedFlyer loaded;
    TFlyerDesc desc = MakeFlyer({Info("Temp"), Sound(1), broken, withSound, Page({Ref(2)})});
    EXPECT_THROW(loaded.Load(Write(desc, "broken.qrl")), EQuireleafDebugger);
    EXPECT_EQ(tmp_.FileCount(), 1);  // the sound's WAVE file, until the caller unloads
    loaded.Flyer->Unload();
    EXPECT_EQ(tmp_.FileCount(), 0);
    EXPECT_TRUE(loaded.Flyer->Elements.empty());
  }
  {
    // Destroying the flyer unloads it as well.
    auto loaded = std::make_unique<LoadedFlyer>();
    TFlyerDesc desc = MakeFlyer({Info("Temp"), Sound(1), withSound, Page({})});
    loaded->Load(Write(desc, "sound.qrl"));
    EXPECT_EQ(tmp_.FileCount(), 1);
    loaded.reset();
    EXPECT_EQ(tmp_.FileCount(), 0);
  }
}

}  // namespace
}  // namespace qrl::test
