// Pure logic of the player window: phases, command states, sizing, page history, click
// actions, pointer search and scroll ranges.

#include <gtest/gtest.h>

#include <vector>

#include "elements/TCKbClick.h"
#include "elements/TCKbImage.h"
#include "elements/TCKbTekst.h"
#include "format/QuireleafException.h"
#include "player/AttachmentNote.h"
#include "player/CommandState.h"
#include "player/AreaFitting.h"
#include "player/InstanceMacro.h"
#include "player/LoadPhase.h"
#include "player/PageKeys.h"
#include "player/PointerSearch.h"
#include "player/ScrollRange.h"
#include "player/TPageHistory.h"
#include "player/WindowedSelection.h"

namespace qrl {
namespace {

TEST(LoadPhaseTest, MembersAreBitsOfOneByteInDeclarationOrder) {
  EXPECT_EQ(TLoadPhase({lpLoading}).Byte(), 0x01);
  EXPECT_EQ(TLoadPhase({lpOpened}).Byte(), 0x40);
  const TLoadPhase p{lpBuilding, lpShow, lpCloseReq};
  EXPECT_EQ(p.Byte(), 0x0E);
  EXPECT_TRUE(p.Has(lpShow));
  EXPECT_FALSE(p.Without(lpShow).Has(lpShow));
  EXPECT_EQ(p.Intersect({lpCloseApp, lpOpenReq, lpShow}), TLoadPhase({lpShow}));
  EXPECT_TRUE(TLoadPhase{}.Empty());
}

TEST(CommandStateTest, DerivedFromPhaseAndLayout) {
  const TCommandState empty = DeriveCommandState({});
  EXPECT_FALSE(empty.close);
  EXPECT_FALSE(empty.busyCursor);
  EXPECT_FALSE(empty.mute.enabled);
  EXPECT_FALSE(empty.showMenu);

  const TCommandState scanning = DeriveCommandState({{lpLoading, lpBuilding}});
  EXPECT_TRUE(scanning.busyCursor);
  EXPECT_TRUE(scanning.close);
  EXPECT_FALSE(scanning.print);

  const TCommandState shownWhileBuilding = DeriveCommandState({{lpBuilding, lpShow}});
  EXPECT_TRUE(shownWhileBuilding.print);
  EXPECT_TRUE(shownWhileBuilding.close);
  EXPECT_FALSE(shownWhileBuilding.save);
  EXPECT_FALSE(shownWhileBuilding.send);
  EXPECT_FALSE(shownWhileBuilding.busyCursor);
  EXPECT_TRUE(shownWhileBuilding.note.enabled);
  EXPECT_TRUE(shownWhileBuilding.info.enabled);
  EXPECT_TRUE(shownWhileBuilding.showNavBar);

  const TCommandState complete = DeriveCommandState({{lpShow, lpOpened}});
  EXPECT_TRUE(complete.save);
  EXPECT_TRUE(complete.send);
  // Full Screen only in the presentation layout, enabled only while a page is shown.
  EXPECT_FALSE(DeriveCommandState({{lpShow}, false}).fullScreenVisible);
  const TCommandState presentingNothing = DeriveCommandState({{}, true});
  EXPECT_TRUE(presentingNothing.fullScreenVisible);
  EXPECT_FALSE(presentingNothing.fullScreenEnabled);
  EXPECT_TRUE(DeriveCommandState({{lpShow}, true}).fullScreenEnabled);
}

TCommandSnapshot Showing(int page, int pageCount) {
  TCommandSnapshot s;
  s.phase = {lpShow, lpOpened};
  s.currentPage = page;
  s.pageCount = pageCount;
  return s;
}

TEST(CommandStateTest, PageCommandsFollowThePagePosition) {
  // Pages 1..4 (the background page is index 0).
  const TCommandState first = DeriveCommandState(Showing(1, 5));
  EXPECT_FALSE(first.pageDown.enabled);
  EXPECT_FALSE(first.previousPage);
  EXPECT_FALSE(first.firstPage);
  EXPECT_TRUE(first.pageUp.enabled);
  EXPECT_TRUE(first.nextPage);
  EXPECT_TRUE(first.lastPage);
  const TCommandState last = DeriveCommandState(Showing(4, 5));
  EXPECT_TRUE(last.previousPage);
  EXPECT_TRUE(last.firstPage);
  EXPECT_FALSE(last.nextPage);
  EXPECT_FALSE(last.lastPage);
  // A one-page flyer: nothing to leaf to.
  const TCommandState single = DeriveCommandState(Showing(1, 2));
  EXPECT_FALSE(single.pageUp.enabled || single.pageDown.enabled || single.firstPage || single.lastPage);
  // Before the first page is shown nothing leafs, and the popup offers no Print Page.
  const TCommandState notYet = DeriveCommandState(Showing(0, 5));
  EXPECT_FALSE(notYet.nextPage || notYet.lastPage || notYet.printPage || notYet.snapshot);
  EXPECT_TRUE(DeriveCommandState(Showing(2, 5)).printPage);
}

TEST(CommandStateTest, ButtonsFollowTheFlyerOnlyWhileOneIsLoaded) {
  TCommandSnapshot s = Showing(1, 3);
  s.flyerButtons = TNavBarVisibility{false, true, false, true, false};
  const TCommandState own = DeriveCommandState(s);
  EXPECT_FALSE(own.pageUp.visible);
  EXPECT_FALSE(own.pageDown.visible);
  EXPECT_TRUE(own.closeButton.visible);
  EXPECT_FALSE(own.mute.visible);
  EXPECT_TRUE(own.note.visible);
  EXPECT_FALSE(own.info.visible);
  const TCommandState none = DeriveCommandState({});
  for (const TControlState& b : {none.pageDown, none.pageUp, none.mute, none.note, none.info, none.closeButton})
    EXPECT_TRUE(b.visible);
  EXPECT_TRUE(none.closeButton.enabled);
}

TEST(CommandStateTest, BarsAndDebugItems) {
  TCommandSnapshot s = Showing(1, 3);
  s.showMenuTicked = false;
  s.showNavBarTicked = false;
  EXPECT_FALSE(DeriveCommandState(s).menuBarVisible);
  EXPECT_FALSE(DeriveCommandState(s).navBarVisible);
  // Without a shown flyer the menu stays, and the nav bar shows exactly outside presentation mode.
  s.phase = {};
  EXPECT_TRUE(DeriveCommandState(s).menuBarVisible);
  EXPECT_TRUE(DeriveCommandState(s).navBarVisible);
  s.presentationTicked = true;
  EXPECT_FALSE(DeriveCommandState(s).navBarVisible);
  EXPECT_TRUE(DeriveCommandState(s).leavePresentation);
  EXPECT_FALSE(DeriveCommandState({}).leavePresentation);
  EXPECT_FALSE(DeriveCommandState({}).snapshotVisible);
  TCommandSnapshot debug;
  debug.debugSwitch = true;
  EXPECT_TRUE(DeriveCommandState(debug).snapshotVisible);
  EXPECT_FALSE(DeriveCommandState(debug).snapshot);
}

TEST(CommandStateTest, SendingNeedsAnOpenFlyerAndTheKickstarterItsInstallation) {
  const auto snapshot = [](TLoadPhase phase, bool kickstarter) {
    TCommandSnapshot s;
    s.phase = phase;
    s.kickstarterInstalled = kickstarter;
    return s;
  };
  EXPECT_FALSE(DeriveCommandState(snapshot({lpBuilding, lpShow}, true)).send);
  const TCommandState open = DeriveCommandState(snapshot({lpShow, lpOpened}, true));
  EXPECT_TRUE(open.send);
  EXPECT_TRUE(open.sendKickVisible);
  EXPECT_FALSE(DeriveCommandState(snapshot({lpShow, lpOpened}, false)).sendKickVisible);
}

TEST(InstanceMacroTest, ParsesCommandsAndArguments) {
  struct Case {
    const char* macro;
    TInstanceMacro expected;
  };
  const Case cases[] = {
      {"[OPEN(\"/home/ann/Demo.qrl\")]", {"OPEN", "/home/ann/Demo.qrl"}},
      // The command in any case; the argument keeps its own.
      {"[open(\"/tmp/MiXeD.QrL\")]", {"OPEN", "/tmp/MiXeD.QrL"}},
      // A ")" inside the path does not cut it.
      {"[OPEN(\"/home/ann/flyer (1).qrl\")]", {"OPEN", "/home/ann/flyer (1).qrl"}},
      {"[OPEN(/no/quotes.qrl)]", {"OPEN", "/no/quotes.qrl"}},
      {"[QUIT]", {"QUIT", ""}},
      {"[quit]", {"QUIT", ""}},
      {"[open]", {"OPEN", ""}},
      {"[OPEN()]", {"OPEN", ""}},
      // No closing parenthesis: no argument.
      {"[OPEN(\"/a.qrl\"", {"OPEN", ""}},
      {"[OPEN(\")]", {"OPEN", ""}},
      // Only the first line counts.
      {"[QUIT]\r\n[OPEN(\"/a.qrl\")]", {"QUIT", ""}},
      {"", {"", ""}},
      {"[", {"", ""}},
      {"[]", {"", ""}},
      {"[FROB(x)]", {"FROB", "x"}},
  };
  for (const Case& c : cases) EXPECT_EQ(ParseInstanceMacro(c.macro), c.expected) << c.macro;
}

TEST(InstanceMacroTest, OpenMacroRoundTripsAnyPath) {
  for (const std::string path : {"/a.qrl", "/home/ann/flyer (1).qrl", "/x/\"quoted\" name).qrl", "/caf\xc3\xa9.QRL"}) {
    const TInstanceMacro m = ParseInstanceMacro(OpenMacro(path));
    EXPECT_EQ(m.Command, "OPEN");
    EXPECT_EQ(m.Argument, path);
  }
}

TEST(AttachmentNoteTest, BannerAndWhereToGetThePlayer) {
  const std::string rule = " --------------------------------------------------------\r\n";
  const std::string banner = "\r\n" + rule + "           QUIRELEAF ATTACHMENT\r\n" + rule;
  EXPECT_EQ(AttachmentNote(false),
            banner + " Get the Quireleaf Player download from\r\n    HTTPS://QUIRELEAF.EXAMPLE.ORG\r\n" + rule);
  EXPECT_EQ(AttachmentNote(true), banner + " Quireleaf is online at\r\n    HTTPS://QUIRELEAF.EXAMPLE.ORG\r\n" + rule);
}

TEST(PageKeysTest, ViewerKeysWithoutModifiersOnly) {
  for (int key : {Qt::Key_Right, Qt::Key_Down, Qt::Key_PageDown, Qt::Key_Space})
    EXPECT_EQ(PageKeyFor(key, Qt::NoModifier), TPageKey::Next) << key;
  for (int key : {Qt::Key_Left, Qt::Key_Up, Qt::Key_PageUp, Qt::Key_Backspace})
    EXPECT_EQ(PageKeyFor(key, Qt::NoModifier), TPageKey::Previous) << key;
  EXPECT_EQ(PageKeyFor(Qt::Key_Home, Qt::NoModifier), TPageKey::First);
  EXPECT_EQ(PageKeyFor(Qt::Key_End, Qt::KeypadModifier), TPageKey::Last);
  EXPECT_EQ(PageKeyFor(Qt::Key_Escape, Qt::NoModifier), TPageKey::LeavePresentation);
  // Modified keys belong to shortcuts (Ctrl+Home, Alt+Left) and to the controls.
  EXPECT_EQ(PageKeyFor(Qt::Key_Right, Qt::ControlModifier), TPageKey::None);
  EXPECT_EQ(PageKeyFor(Qt::Key_Left, Qt::AltModifier), TPageKey::None);
  EXPECT_EQ(PageKeyFor(Qt::Key_Space, Qt::ShiftModifier), TPageKey::None);
  EXPECT_EQ(PageKeyFor(Qt::Key_A, Qt::NoModifier), TPageKey::None);
}

TEST(FlyerAreaTest, MulDivRoundsHalvesAwayFromZero) {
  EXPECT_EQ(MulDiv(340, 1000, 640), 531);  // 531.25
  EXPECT_EQ(MulDiv(3, 1, 2), 2);
  EXPECT_EQ(MulDiv(-3, 1, 2), -2);
  EXPECT_EQ(MulDiv(5, 5, 0), -1);
}

TAreaContext Desktop(TSize flyer) {
  TAreaContext c;
  c.screen = {1920, 1080};
  c.frameWidth = 8;
  c.frameHeight = 50;
  c.nav = 30;
  c.flyerKnown = true;
  c.flyer = flyer;
  return c;
}

TEST(FlyerAreaTest, FitKeepsTheAspectRatioWithinLimits) {
  const TAreaContext c = Desktop({640, 340});
  EXPECT_EQ(FitFlyerArea(c, {640, 340}), (TSize{640, 340}));
  EXPECT_EQ(FitFlyerArea(c, {1000, 600}), (TSize{1000, 531}));
  // The requested height limits: the width follows it.
  EXPECT_EQ(FitFlyerArea(c, {1000, 340}), (TSize{640, 340}));
  // Below 632 pixels the width is raised and the height follows the aspect ratio.
  EXPECT_EQ(FitFlyerArea(c, {300, 100}), (TSize{632, 336}));
  // Too high for the screen: the height is the limit and the width follows.
  EXPECT_EQ(FitFlyerArea(c, {5000, 5000}), (TSize{1882, 1000}));

  TAreaContext none = c;
  none.flyerKnown = false;
  EXPECT_EQ(FitFlyerArea(none, {700, 5}), (TSize{700, 10}));
  EXPECT_EQ(FitFlyerArea(none, {5000, 5000}), (TSize{1912, 1000}));
}

TEST(FlyerAreaTest, VeryTallFlyerGetsItsHeightUnclamped) {
  const TAreaContext c = Desktop({100, 1000});
  EXPECT_EQ(FitFlyerArea(c, {640, 340}), (TSize{632, 6320}));
}

TEST(FlyerAreaTest, FlyerWithoutCanvasSizeIsFittedLikeNoFlyer) {
  const TAreaContext c = Desktop({0, 340});
  EXPECT_EQ(FitFlyerArea(c, {700, 400}), (TSize{700, 400}));
}

TEST(FlyerAreaTest, NavAllowanceAndTrackSizes) {
  EXPECT_EQ(NavAllowance(true, 30, false, 50, 50), 30);
  EXPECT_EQ(NavAllowance(false, 30, false, 50, 50), 0);
  // With the menu hidden the current frame is lower by the menu bar's height.
  EXPECT_EQ(NavAllowance(true, 30, true, 30, 50), 10);

  const TTrackSizes t = WindowTrackSizes(Desktop({640, 340}), 30);
  EXPECT_EQ(t.maxSize, (TSize{1882 + 8, 1000 + 50 + 30}));
  EXPECT_EQ(t.maxLeft, 15);
  EXPECT_EQ(t.maxTop, 0);
  EXPECT_EQ(t.minTrackSize, (TSize{632 + 8, 336 + 50 + 30}));
}

TEST(FlyerAreaTest, PresentationCentresOnTheScreenBelowTheMenu) {
  const TPresentationLayout p = CentrePresentation({1920, 1080}, 1060, {1280, 680}, 30);
  EXPECT_EQ(p.pageView, (TRect{320, 200 - 20, 1280, 680}));
  EXPECT_EQ(p.navBar, (TRect{320, 180 + 680, 1280, 30}));
}

TEST(PageHistoryTest, BackAndForwardThroughVisitedPages) {
  TPageHistory h;
  h.GoTo(1);
  h.GoTo(3);
  EXPECT_EQ(ClickOutcome(caBack, 3, 5, h).effect, TClickEffect::Back);
  EXPECT_EQ(h.Back(3), 1);
  EXPECT_EQ(h.VisitedPages(), std::deque<int>({1}));
  EXPECT_EQ(h.ForwardPages(), std::deque<int>({3}));
  // Back with one visited page and forward with none do nothing.
  EXPECT_EQ(ClickOutcome(caBack, 1, 5, h).effect, TClickEffect::None);
  EXPECT_EQ(ClickOutcome(caForward, 1, 5, h), (TClickOutcome{TClickEffect::GoToPage, 3}));
  h.GoTo(3);  // going forward uses up the forward entry
  EXPECT_TRUE(h.ForwardPages().empty());
  EXPECT_EQ(ClickOutcome(caForward, 3, 5, h).effect, TClickEffect::None);

  h.Back(3);
  h.GoTo(2);  // any other page clears the forward list
  EXPECT_TRUE(h.ForwardPages().empty());
  EXPECT_EQ(h.VisitedPages(), std::deque<int>({2, 1}));
}

TEST(PageHistoryTest, ClickActionsStayInsideThePageRange) {
  TPageHistory h;
  EXPECT_EQ(ClickOutcome(4, 1, 5, h), (TClickOutcome{TClickEffect::GoToPage, 4}));
  EXPECT_EQ(ClickOutcome(5, 1, 5, h).effect, TClickEffect::None);  // no page 5 in 5 entries
  EXPECT_EQ(ClickOutcome(caNextPage, 4, 5, h).effect, TClickEffect::None);
  EXPECT_EQ(ClickOutcome(caNextPage, 3, 5, h), (TClickOutcome{TClickEffect::GoToPage, 4}));
  EXPECT_EQ(ClickOutcome(caPreviousPage, 1, 5, h).effect, TClickEffect::None);
  EXPECT_EQ(ClickOutcome(caPreviousPage, 2, 5, h), (TClickOutcome{TClickEffect::GoToPage, 1}));
  EXPECT_EQ(ClickOutcome(caClose, 2, 5, h).effect, TClickEffect::Close);
  EXPECT_EQ(ClickOutcome(caWebLink, 2, 5, h).effect, TClickEffect::OpenUrl);
  EXPECT_EQ(ClickOutcome(caNone, 2, 5, h).effect, TClickEffect::None);
  EXPECT_EQ(ClickOutcome(-7, 2, 5, h).effect, TClickEffect::None);
}

TEST(ScrollRangeTest, RangeAndSteps) {
  EXPECT_EQ(ScrollRangeFor(10, 16, 100), (TScrollRange{62, 16, 98}));
  EXPECT_EQ(ScrollRangeFor(3, 16, 100), (TScrollRange{0, 16, 98}));
  // Lower than one line plus 2 pixels: the steps trade places.
  EXPECT_EQ(ScrollRangeFor(10, 16, 12), (TScrollRange{150, 10, 16}));
}

class PointerSearchTest : public ::testing::Test {
 protected:
  TCKbOccClick& AddClick(std::int16_t shape, std::int16_t action, int l, int t, int w, int h) {
    auto& element = *clicks_.emplace_back(std::make_unique<TCKbClick>(context_));
    element.Shape = shape;
    auto& o = static_cast<TCKbOccClick&>(element.AddOccurrence());
    o.SetRect(l, t, w, h);
    o.Action = action;
    return o;
  }
  TCKbOccTekst& AddText(bool opaque, int l, int t, int w, int h) {
    auto& element = *texts_.emplace_back(std::make_unique<TCKbTekst>(context_));
    element.Opaque = opaque;
    auto& o = static_cast<TCKbOccTekst&>(element.AddOccurrence());
    o.SetRect(l, t, w, h);
    return o;
  }

  TElementContext context_;
  std::vector<std::unique_ptr<TCKbClick>> clicks_;
  std::vector<std::unique_ptr<TCKbTekst>> texts_;
};

TEST_F(PointerSearchTest, RectangleEdgesAndEllipse) {
  TCKbOccClick& rect = AddClick(0, 2, 10, 10, 20, 20);
  TCKbOccClick* hit = nullptr;
  EXPECT_TRUE(HitTest(&rect, true, 30, 30, hit));
  EXPECT_EQ(hit, &rect);
  hit = nullptr;
  EXPECT_FALSE(HitTest(&rect, true, 31, 30, hit));
  EXPECT_EQ(hit, nullptr);

  TCKbOccClick& ellipse = AddClick(kEllipseShape, 2, 0, 0, 100, 50);
  EXPECT_TRUE(HitTest(&ellipse, true, 50, 25, hit));
  EXPECT_TRUE(HitTest(&ellipse, true, 0, 25, hit));
  EXPECT_TRUE(HitTest(&ellipse, true, 100, 25, hit));
  EXPECT_FALSE(HitTest(&ellipse, true, 0, 0, hit));
  EXPECT_FALSE(HitTest(&ellipse, true, 2, 2, hit));

  // Click areas never stop a right-click search but are remembered.
  hit = nullptr;
  EXPECT_FALSE(HitTest(&ellipse, false, 50, 25, hit));
  EXPECT_EQ(hit, &ellipse);

  try {
    HitTest(nullptr, true, 0, 0, hit);
    FAIL() << "a missing occurrence must be refused";
  } catch (const EQuireleafDebugger& e) {
    EXPECT_EQ(e.HelpContext(), 16640);
  }
}

TEST_F(PointerSearchTest, TopmostWinsAndLeftClicksPassThroughTransparentText) {
  TCKbOccClick& link = AddClick(0, caWebLink, 0, 0, 100, 100);
  TCKbOccTekst& transparent = AddText(false, 0, 0, 100, 100);
  std::vector<TCKbOccurrence*> page{&link, &transparent};

  const TPointerHit left = FindOccurrenceUnderPointer(page, {}, true, 50, 50);
  EXPECT_EQ(left.found, &link);
  EXPECT_EQ(PointerShapeFor(left.found), 4);

  const TPointerHit right = FindOccurrenceUnderPointer(page, {}, false, 50, 50);
  EXPECT_EQ(right.found, &transparent);
  EXPECT_EQ(right.clickHit, nullptr);  // the text above stopped the search first
  const TPopupItems items = PopupItemsFor(true, right);
  EXPECT_TRUE(items.copyText);
  EXPECT_FALSE(items.openWebPage);

  // With the link above the text, a right click offers both.
  std::vector<TCKbOccurrence*> linkOnTop{&transparent, &link};
  const TPopupItems both = PopupItemsFor(true, FindOccurrenceUnderPointer(linkOnTop, {}, false, 50, 50));
  EXPECT_TRUE(both.copyText);
  EXPECT_TRUE(both.openWebPage);
  EXPECT_EQ(both.popupLink, &link);
}

TEST_F(PointerSearchTest, BackgroundPageAndPointerShapes) {
  TCKbOccClick& close = AddClick(0, caClose, 0, 0, 10, 10);
  TCKbOccClick& next = AddClick(0, caNone, 20, 0, 10, 10);
  TCKbOccTekst& opaque = AddText(true, 40, 0, 10, 10);
  std::vector<TCKbOccurrence*> background{&close};
  std::vector<TCKbOccurrence*> page{&next, &opaque};

  EXPECT_EQ(FindOccurrenceUnderPointer(page, background, true, 5, 5).found, &close);
  EXPECT_EQ(PointerShapeFor(&close), 5);
  EXPECT_EQ(PointerShapeFor(&next), 2);
  EXPECT_EQ(PointerShapeFor(&opaque), 0);
  EXPECT_EQ(FindOccurrenceUnderPointer(page, background, true, 45, 5).found, &opaque);
  EXPECT_EQ(FindOccurrenceUnderPointer(page, background, true, 100, 100).found, nullptr);
  EXPECT_FALSE(PopupItemsFor(false, {}).printPage);
}

// The same fixture builds the placements whose controls the page view chooses.
using WindowedSelectionTest = PointerSearchTest;

TEST_F(WindowedSelectionTest, OnlyWhatCanBeSeenAndAtMostTheLimit) {
  TCKbOccTekst& under = AddText(false, 10, 10, 50, 50);      // wholly under the text above
  TCKbOccTekst& peeking = AddText(false, 0, 0, 50, 50);      // sticks out of it
  TCKbOccTekst& above = AddText(true, 5, 5, 60, 60);
  TCKbOccClick& link = AddClick(0, caWebLink, 20, 20, 10, 10);  // its hint area draws nothing
  TCKbOccClick& linkBelow = AddClick(0, caWebLink, 25, 25, 5, 5);
  TCKbOccTekst& background = AddText(true, 6, 6, 10, 10);
  const std::vector<TCKbOccurrence*> page = {&under, &peeking, &above, &linkBelow, &link};
  EXPECT_EQ(WindowedToShow({&background}, page),
            (std::vector<TCKbOccurrence*>{&peeking, &above, &linkBelow, &link}));
  // Thousands of placements: the topmost ones up to the limit, still bottom to top.
  std::vector<TCKbOccurrence*> many;
  for (int i = 0; i < 2000; ++i) many.push_back(&AddText(false, i % 600, 0, 40, 40));
  const std::vector<TCKbOccurrence*> shown = WindowedToShow({}, many, 100);
  ASSERT_EQ(shown.size(), 100u);
  EXPECT_EQ(shown.front(), many[1900]);
  EXPECT_EQ(shown.back(), many.back());
}

}  // namespace
}  // namespace qrl
