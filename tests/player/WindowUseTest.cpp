// The window as a person uses it: the pointer moved over the controls on the page, the wheel,
// the page keys, clicks beside the page, and the sizes the display toggles leave.

#include <QAction>
#include <QMenuBar>
#include <QScrollBar>
#include <QTest>
#include <memory>

#include "document/TFlyerWriter.h"
#include "elements/TCKbClick.h"
#include "elements/TCKbTekst.h"
#include "document/TFlyer.h"
#include "player/PlayerFakes.h"
#include "render/RenderPage.h"
#include "player/TCPlayerForm.h"
#include "player/TFlyerPanel.h"
#include "player/TNavBarPanel.h"
#include "player/TWindowedControls.h"
#include "support/TempDir.h"

namespace qrl {
namespace {

constexpr std::uint16_t kLink = 10;
constexpr std::uint16_t kScroll = 11;
constexpr std::uint16_t kBackgroundScroll = 12;

TElementDesc ScrollingText(std::uint16_t id, std::int16_t flags, TPlacementDesc placement) {
  TElementDesc e;
  e.Kind = ekText;
  e.Id = id;
  e.TextFlags = flags;
  for (int i = 1; i <= 30; ++i) e.Lines.push_back("Line " + std::to_string(i));
  TOccurrenceDesc o;
  o.Placement = placement;
  e.Occurrences = {o};
  return e;
}

TPageDesc Page(TColor colour, std::vector<TPageRefDesc> refs) {
  TPageDesc p;
  p.Colour = colour;
  p.Refs = std::move(refs);
  return p;
}

// Four pages; the background page holds a transparent scrolling text, page 1 a web link and an
// opaque scrolling text; each page has a colour of its own.
void WriteFlyer(const std::string& path, int width = 640, int height = 340) {
  TFlyerDesc f;
  TInfoDesc info;
  info.Width = width;
  info.Height = height;
  info.Sections = {{0, "Flyer Info", {{"Title", {"Use"}}}}};
  f.Blocks.push_back(info);
  TElementDesc link;
  link.Kind = ekClick;
  link.Id = kLink;
  TOccurrenceDesc o;
  o.Placement = {300, 100, 60, 40};
  o.Action = caWebLink;
  o.LinkText = "https://example.org/";
  link.Occurrences = {o};
  f.Blocks.push_back(link);
  f.Blocks.push_back(ScrollingText(kScroll, tfOpaque | tfScrollAllowed, {20, 100, 200, 60}));
  f.Blocks.push_back(ScrollingText(kBackgroundScroll, tfScrollAllowed, {420, 200, 160, 80}));
  f.Blocks.push_back(Page(0x000000, {{kBackgroundScroll, 1, 0}}));
  f.Blocks.push_back(Page(0x0000FF, {{kLink, 1, 0}, {kScroll, 1, 0}}));
  f.Blocks.push_back(Page(0x00FF00, {}));
  f.Blocks.push_back(Page(0xFF0000, {}));
  f.Blocks.push_back(Page(0xFFFF00, {}));
  WriteFlyerFile(f, path);
}

}  // namespace

class WindowUseTest : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<test::TempDir> dir_;
  std::unique_ptr<test::FakeServices> services_;

  std::unique_ptr<TCPlayerForm> Open(int width = 640, int height = 340) {
    WriteFlyer(dir_->File("use.qrl"), width, height);
    auto form = std::make_unique<TCPlayerForm>(services_->Services(), std::vector<std::string>{"-t"});
    form->show();
    form->StartUp();
    form->RequestOpen(QString::fromStdString(dir_->File("use.qrl")));
    if (!QTest::qWaitForWindowExposed(form.get())) return nullptr;
    return form;
  }
  template <typename T>
  static T* Only(QWidget* parent, const QRect& geometry) {
    for (T* control : parent->findChildren<T*>())
      if (control->isVisible() && control->geometry().intersects(geometry)) return control;
    return nullptr;
  }

 private slots:
  void init() {
    dir_ = std::make_unique<test::TempDir>();
    services_ = std::make_unique<test::FakeServices>();
  }
  void cleanup() {
    services_.reset();
    dir_.reset();
  }

  void pointerOverControlsReachesThePage() {
    auto form = Open();
    QVERIFY(form);
    QWidget* panel = form->pnlFlyer();
    auto* hint = Only<TCKbHintClick>(panel, {300, 100, 60, 40});
    QVERIFY(hint);
    // The real event, delivered to the control under the pointer.
    QTest::mouseMove(panel, QPoint(330, 120));
    QTRY_COMPARE(form->FlyerCursor(), 4);
    QCOMPARE(panel->cursor().shape(), hint->cursor().shape());
    QTest::mouseMove(panel, QPoint(600, 20));
    QTRY_COMPARE(form->FlyerCursor(), 0);
    QTest::mouseMove(panel, QPoint(330, 139));
    QTRY_COMPARE(form->FlyerCursor(), 4);

    // The wheel over the text (not its bar) scrolls it.
    auto* text = Only<TCKBScrollTekst>(panel, {20, 100, 200, 60});
    QVERIFY(text && text->ScrollBar());
    QCOMPARE(text->ScrollBar()->value(), 0);
    const QPoint overText(60, 130);
    QWidget* under = panel->childAt(overText);
    QCOMPARE(under, text);
    QWheelEvent wheel(overText - text->pos(), panel->mapToGlobal(overText), {}, {0, -120}, Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(under, &wheel);
    QVERIFY(text->ScrollBar()->value() > 0);
  }

  void keysLeafAndLeavePresentation() {
    auto form = Open();
    QVERIFY(form);
    QCOMPARE(form->CurrentPage(), 1);
    for (Qt::Key key : {Qt::Key_Right, Qt::Key_Down, Qt::Key_PageDown}) QTest::keyClick(form.get(), key);
    QCOMPARE(form->CurrentPage(), 4);
    QTest::keyClick(form.get(), Qt::Key_Space);  // the last page: nothing further
    QCOMPARE(form->CurrentPage(), 4);
    for (Qt::Key key : {Qt::Key_Left, Qt::Key_Up, Qt::Key_PageUp}) QTest::keyClick(form.get(), key);
    QCOMPARE(form->CurrentPage(), 1);
    QTest::keyClick(form.get(), Qt::Key_End);
    QCOMPARE(form->CurrentPage(), 4);
    QTest::keyClick(form.get(), Qt::Key_Backspace);
    QCOMPARE(form->CurrentPage(), 3);
    QTest::keyClick(form.get(), Qt::Key_Home);
    QCOMPARE(form->CurrentPage(), 1);
    // With a modifier the key is not a page key.
    QTest::keyClick(form.get(), Qt::Key_Right, Qt::ShiftModifier);
    QCOMPARE(form->CurrentPage(), 1);

    // The same with the menu hidden.
    form->MenShowMenu->trigger();
    QVERIFY(!form->menuBar()->isVisible());
    QTest::keyClick(form.get(), Qt::Key_Right);
    QCOMPARE(form->CurrentPage(), 2);

    // A focused scroll bar keeps its keys; a click on the page gives them back.
    QTest::keyClick(form.get(), Qt::Key_Home);
    auto* text = Only<TCKBScrollTekst>(form->pnlFlyer(), {20, 100, 200, 60});
    QVERIFY(text && text->ScrollBar());
    text->ScrollBar()->setFocus();
    QTest::keyClick(text->ScrollBar(), Qt::Key_Down);
    QCOMPARE(form->CurrentPage(), 1);
    QVERIFY(text->ScrollBar()->value() > 0);
    QTest::mouseClick(form->pnlFlyer(), Qt::LeftButton, {}, QPoint(600, 20));
    QTest::keyClick(form.get(), Qt::Key_Down);
    QCOMPARE(form->CurrentPage(), 2);

    form->MenPresentation->trigger();
    QVERIFY(form->PresentationLayout());
    QTest::keyClick(form.get(), Qt::Key_Escape);
    QVERIFY(!form->PresentationLayout());
    QVERIFY(!form->MenPresentation->isChecked());
    // Ctrl+Q ends the program.
    QCOMPARE(form->MenExit->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Q));
  }

  void clicksBesideThePageDoNotFireItsAreas() {
    auto form = Open();
    QVERIFY(form);
    // The web link lies at (300, 100) of the page; the same point of the nav bar or of the
    // window is not on the page.
    form->pnlFlyerMouseDown(form->pnlButtons(), Qt::LeftButton, {330, 10}, {});
    form->pnlFlyerMouseDown(form.get(), Qt::LeftButton, {330, 120}, {});
    QVERIFY(services_->urls.opened.isEmpty());
    QTest::mouseClick(form->pnlFlyer(), Qt::LeftButton, {}, QPoint(330, 120));
    QCOMPARE(services_->urls.opened.size(), 1);
  }

  void displayTogglesKeepTheFlyerArea() {
    auto form = Open();
    QVERIFY(form);
    const QSize area = form->pnlFlyer()->size();
    QCOMPARE(area, QSize(640, 340));
    const QSize window = form->size();
    form->MenShowMenu->trigger();
    QCOMPARE(form->pnlFlyer()->size(), area);
    QCOMPARE(form->size(), QSize(640, 370));
    form->MenShowMenu->trigger();
    QCOMPARE(form->pnlFlyer()->size(), area);
    QCOMPARE(form->size(), window);
    QCOMPARE(form->PageBitmap().size(), area);
    form->MenShowNavbar->trigger();
    QCOMPARE(form->pnlFlyer()->size(), area);
    form->MenShowNavbar->trigger();
    QCOMPARE(form->pnlFlyer()->size(), area);
    QCOMPARE(form->size(), window);
  }

  void pageIsDrawnAtTheScreensResolution() {
    auto form = Open();
    QVERIFY(form);
    const double dpr = form->devicePixelRatioF();
    const QImage shot = form->pnlFlyer()->grab().toImage();
    QCOMPARE(shot.size(), QSize(qRound(640 * dpr), qRound(340 * dpr)));
    // Away from the controls the view shows exactly the page drawn at the screen's resolution...
    const QRect clear(0, 0, qRound(200 * dpr), qRound(90 * dpr));
    const QImage expected = RenderPageForScreen(*form->Flyer(), form->CurrentPage(), dpr);
    QCOMPARE(shot.copy(clear).convertToFormat(QImage::Format_RGB32),
             expected.copy(clear).convertToFormat(QImage::Format_RGB32));
    // ...while the flyer keeps its area in window pixels for hit-testing and the controls.
    QCOMPARE(form->AreaSize(), (TSize{640, 340}));
    QCOMPARE(form->PageBitmap().size(), QSize(640, 340));
    QTest::mouseMove(form->pnlFlyer(), QPoint(330, 120));
    QTRY_COMPARE(form->FlyerCursor(), 4);
  }

  void scrollingTextsAreDrawnAtTheScreensResolution() {
    auto form = Open();
    QVERIFY(form);
    const double dpr = form->devicePixelRatioF();
    // An opaque text on the page and a transparent one on the background page.
    for (const QRect box : {QRect(20, 100, 200, 60), QRect(420, 200, 160, 80)}) {
      auto* text = Only<TCKBScrollTekst>(form->pnlFlyer(), box);
      QVERIFY(text);
      text->grab();
      QCOMPARE(text->Drawn().size(), box.size() * dpr);
      // Scrolling moves (or, transparent, redraws over the page) the pixels already drawn: inside
      // the box's edge rows and columns, which a full paint leaves to the page, they must come
      // out as a fresh drawing does.
      QTest::keyClick(text->ScrollBar(), Qt::Key_PageDown);
      QVERIFY(text->ScrollBar()->value() > 0);
      const QRect inside = QRect(1, 2, box.width() - 16, box.height() - 4);
      const QRect pixels(inside.topLeft() * dpr, inside.size() * dpr);
      const QImage scrolled = text->Drawn().copy(pixels);
      text->ShowControl();
      text->grab();
      QCOMPARE(text->Drawn().copy(pixels), scrolled);
    }
  }

  void aResizeSnapsOnlyWhenTheButtonIsReleased() {
    auto form = Open();
    QVERIFY(form);
    bool held = true;
    form->ButtonHeld = [&held] { return held; };
    form->EnterSizeMove();
    form->resize(900, 600);
    form->ExitSizeMove();  // the drag pauses, the button still down
    QVERIFY(form->InSizeMove());
    QCOMPARE(form->AreaSize(), (TSize{640, 340}));
    held = false;
    QTRY_VERIFY(!form->InSizeMove());
    QCOMPARE(form->AreaSize().height, MulDiv(340, form->AreaSize().width, 640));
    QVERIFY(form->AreaSize().width > 640);
    QCOMPARE(form->PageBitmap().size(), form->pnlFlyer()->size());
  }

  void backgroundControlsFollowRescaleAndPageChanges() {
    auto form = Open();
    QVERIFY(form);
    auto* background = Only<TCKBScrollTekst>(form->pnlFlyer(), {420, 200, 160, 80});
    QVERIFY(background);
    QCOMPARE(background->geometry(), QRect(420, 200, 160, 80));

    // A user's resize: the background control follows the new scale like the page's own.
    form->EnterSizeMove();
    form->resize(form->width() + 200, form->height() + 200);
    form->ExitSizeMove();
    const double scale = static_cast<double>(form->AreaSize().width) / 640.0;
    QVERIFY(scale > 1.2);
    auto* resized = Only<TCKBScrollTekst>(form->pnlFlyer(), {qRound(420 * scale), qRound(200 * scale), 10, 10});
    QVERIFY(resized);
    QVERIFY2(qAbs(resized->x() - 420 * scale) <= 1 && qAbs(resized->y() - 200 * scale) <= 1 &&
                 qAbs(resized->width() - 160 * scale) <= 1 && qAbs(resized->height() - 80 * scale) <= 1,
             qPrintable(QStringLiteral("background text at %1,%2 %3x%4 for scale %5")
                            .arg(resized->x()).arg(resized->y()).arg(resized->width()).arg(resized->height()).arg(scale)));
    QVERIFY(resized->ScrollBar() && resized->ScrollBar()->isVisible());
    QCOMPARE(resized->ScrollBar()->geometry().right(), resized->geometry().right());

    // A transparent text shows the page under it: after a page change, the new page's colour.
    const QPoint besideTheLines(resized->width() - 25, resized->height() - 3);
    QCOMPARE(resized->grab().toImage().pixelColor(besideTheLines), QColor(255, 0, 0));
    QTest::keyClick(form.get(), Qt::Key_Right);
    QCOMPARE(resized->grab().toImage().pixelColor(besideTheLines), QColor(0, 255, 0));
  }
};

}  // namespace qrl

QTEST_MAIN(qrl::WindowUseTest)
#include "WindowUseTest.moc"
