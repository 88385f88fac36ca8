// The main window driven through its request paths with scripted services: phases, captions,
// menu states, loading with close and open requests while building, clicks, sounds, sizing and
// presentation mode.

#include <QAction>
#include <QDialog>
#include <QDropEvent>
#include <QFileInfo>
#include <QMimeData>
#include <QMenu>
#include <QMenuBar>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <memory>

#include "document/TFlyer.h"
#include "document/TFlyerWriter.h"
#include "elements/QtTextMeasurer.h"
#include "elements/TCKbClick.h"
#include "format/QuireleafException.h"
#include "player/PlayerFakes.h"
#include "player/TCPlayerForm.h"
#include "player/TFlyerPanel.h"
#include "player/TNavBarPanel.h"
#include "player/TWindowedControls.h"
#include "support/TempDir.h"

namespace qrl {

using test::FakePrompts;
using test::FakeSound;
using test::FakeUrls;

namespace {

constexpr std::uint16_t kClicks = 10;
constexpr std::uint16_t kText = 11;
constexpr std::uint16_t kSound = 20;

TElementDesc TextElement(std::uint16_t id, int occurrences, bool opaque) {
  TElementDesc e;
  e.Kind = ekText;
  e.Id = id;
  e.TextFlags = opaque ? 0x0003 : 0x0002;
  e.Lines = {"Hello", "World"};
  for (int i = 0; i < occurrences; ++i) {
    TOccurrenceDesc o;
    o.Placement = {400, 0, 100, 100};
    e.Occurrences.push_back(o);
  }
  return e;
}

TOccurrenceDesc ClickDesc(int l, int t, int w, int h, std::int16_t action, std::uint16_t sound = 0,
                      std::string link = {}) {
  TOccurrenceDesc o;
  o.Placement = {l, t, w, h};
  o.Action = action;
  o.SoundElement = sound;
  o.SoundIndex = sound ? 1 : 0;
  o.LinkText = std::move(link);
  return o;
}

TPageDesc Page(TColor colour, std::vector<TPageRefDesc> refs, std::uint16_t sound = 0, std::uint16_t soundOcc = 0) {
  TPageDesc p;
  p.Colour = colour;
  p.Refs = std::move(refs);
  p.SoundElement = sound;
  p.SoundOccurrence = soundOcc;
  return p;
}

// A flyer whose page 1 holds every kind of click area, a transparent text under a web link,
// pages 2 and 3, and sounds.
void WriteClickFlyer(const std::string& path, const std::string& title, int width = 640, int height = 340) {
  TFlyerDesc f;
  TInfoDesc info;
  info.Width = width;
  info.Height = height;
  info.Sections = {{0, "Flyer Info", {{"Title", {title}}}}, {0, "Special", {{"Creator", {"Makers"}}}}};
  f.Blocks.push_back(info);

  TElementDesc clicks;
  clicks.Kind = ekClick;
  clicks.Id = kClicks;
  clicks.Shape = kEllipseShape;
  clicks.Occurrences = {ClickDesc(0, 0, 100, 50, 3), ClickDesc(200, 0, 50, 50, caClose), ClickDesc(300, 0, 50, 50, caBack),
                        ClickDesc(400, 0, 50, 50, caWebLink, 0, "https://example.org/"),
                        ClickDesc(500, 0, 50, 50, 2, kSound)};
  f.Blocks.push_back(clicks);
  f.Blocks.push_back(TextElement(kText, 1, false));
  TElementDesc sound;
  sound.Kind = ekSound;
  sound.Id = kSound;
  sound.SoundData.assign(100, 0x80);
  TOccurrenceDesc once;
  TOccurrenceDesc looping;
  looping.SoundFlags = 1;
  sound.Occurrences = {once, looping};
  f.Blocks.push_back(sound);

  f.Blocks.push_back(Page(0x000000, {{kText, 1, 0}}));
  f.Blocks.push_back(Page(0x0000FF, {{kText, 1, 0}, {kClicks, 1, 0}, {kClicks, 2, 0}, {kClicks, 3, 0},
                                     {kClicks, 4, 0}, {kClicks, 5, 0}}));
  f.Blocks.push_back(Page(0x00FF00, {{kClicks, 3, 0}}, kSound, 2));
  f.Blocks.push_back(Page(0xFF0000, {{kClicks, 3, 0}}, kSound, 1));
  WriteFlyerFile(f, path);
}

// A flyer of many pages with several occurrences each, so that building takes many steps.
void WriteLongFlyer(const std::string& path, const std::string& title, int pages = 30) {
  TFlyerDesc f;
  TInfoDesc info;
  info.Sections = {{0, "Flyer Info", {{"Title", {title}}}}};
  f.Blocks.push_back(info);
  f.Blocks.push_back(TextElement(kText, 3, true));
  for (int i = 0; i <= pages; ++i) f.Blocks.push_back(Page(0x808080, {{kText, 1, 0}, {kText, 2, 0}, {kText, 3, 0}}));
  WriteFlyerFile(f, path);
}

}  // namespace

class PlayerFormTest : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<test::TempDir> dir_;
  FakePrompts prompts_;
  FakeSound sound_;
  FakeUrls urls_;
  test::FakeSettings settings_;
  test::FakeMailer mailer_;
  TQtTextMeasurer measurer_;

  std::unique_ptr<TCPlayerForm> MakeForm(std::vector<std::string> arguments = {"-t"}) {
    auto form = std::make_unique<TCPlayerForm>(TPlayerServices{prompts_, sound_, urls_, measurer_, mailer_, settings_},
                                               arguments);
    form->show();
    return form;
  }
  QString Path(const char* name) const { return QString::fromStdString(dir_->File(name)); }
  void Click(TCPlayerForm& form, int x, int y, Qt::MouseButton button = Qt::LeftButton) {
    form.pnlFlyerMouseDown(form.pnlFlyer(), button, {x, y}, form.pnlFlyer()->mapToGlobal(QPoint(x, y)));
  }

 private slots:
  void init() {
    dir_ = std::make_unique<test::TempDir>();
    prompts_ = FakePrompts();
    sound_ = FakeSound();
    urls_ = FakeUrls();
    settings_ = test::FakeSettings();
    mailer_ = test::FakeMailer();
  }
  void cleanup() { dir_.reset(); }

  void creationStateAndPhaseDerivations() {
    auto form = MakeForm();
    QCOMPARE(form->windowTitle(), QStringLiteral("Quireleaf Player"));
    QVERIFY(form->LoadPhase().Empty());
    QVERIFY(!form->MenClose->isEnabled());
    QVERIFY(!form->MenShowMenu->isEnabled());
    QVERIFY(!form->pnlButtons()->wsbPageUp->isEnabled());
    QVERIFY(!form->pnlButtons()->wsbMute->isEnabled());
    QCOMPARE(form->pnlButtons()->lblCreator->text(), QStringLiteral("Quireleaf Player"));
    QCOMPARE(form->MenOpen->text(), QStringLiteral("&Open..."));
    QCOMPARE(form->MenOpen->shortcut(), QKeySequence(QStringLiteral("Ctrl+O")));
    QCOMPARE(form->MenClose->shortcut(), QKeySequence(QStringLiteral("Ctrl+F4")));
    QCOMPARE(form->MenPresentation->shortcut(), QKeySequence(Qt::Key_F5));
    QVERIFY(!form->MenFullScreen->isVisible());
    // 640 x 340 flyer area above the 30-pixel nav bar.
    QCOMPARE(form->pnlFlyer()->size(), QSize(640, 340));
    QCOMPARE(form->pnlButtons()->geometry(), QRect(0, 340, 640, 30));
    QCOMPARE(form->pnlButtons()->wsbClose->geometry(), QRect(640 - 62, 4, 56, 23));
    QCOMPARE(form->pnlButtons()->wsbPageDown->geometry(), QRect(640 - 376, 4, 56, 23));

    form->SetLoadPhase({lpBuilding, lpShow});
    QVERIFY(form->MenClose->isEnabled());
    QVERIFY(QApplication::overrideCursor() == nullptr);
    form->SetLoadPhase({lpLoading, lpBuilding});
    QVERIFY(QApplication::overrideCursor() != nullptr);
    form->SetLoadPhase({});
    QVERIFY(QApplication::overrideCursor() == nullptr);
    QVERIFY(!form->MenClose->isEnabled());

    // Hiding the menu while no flyer is shown keeps the menu but drops the tick.
    form->MenShowMenu->setEnabled(true);
    form->MenShowMenu->trigger();
    QVERIFY(!form->MenShowMenu->isChecked());
    QVERIFY(form->menuBar()->isVisible());
  }

  void handleExceptionShowsCodeOrMessage() {
    auto plain = MakeForm();
    plain->HandleException(EQuireleafDebugger(ecChecksumFailed));
    plain->HandleException(EQuireleafInvalidFile("This is not a Quireleaf."));
    auto debug = MakeForm({"-t", "-d"});
    debug->HandleException(EQuireleafDebugger(ecChecksumFailed));
    QCOMPARE(prompts_.messages, QStringList({QStringLiteral("Error 4100 has occurred during file access."),
                                             QStringLiteral("This is not a Quireleaf."),
                                             QStringLiteral("Checksum failed.")}));
  }

  void openDialogLoadsAndShowsPageOne() {
    WriteClickFlyer(dir_->File("a.qrl"), "Alpha");
    auto form = MakeForm();
    form->LastFlyerDir = Path("");
    prompts_.dialogAnswers = {Path("a.qrl")};
    form->MenOpen->trigger();
    QCOMPARE(prompts_.dialogsShown, 1);
    QCOMPARE(form->LoadPhase(), TLoadPhase({lpShow, lpOpened}));
    QCOMPARE(form->windowTitle(), QStringLiteral("Alpha"));
    QCOMPARE(form->pnlButtons()->lblCreator->text(), QStringLiteral("Makers"));
    QCOMPARE(form->CurrentPage(), 1);
    QVERIFY(!form->OpenedExternally);
    QCOMPARE(QDir(form->LastFlyerDir), QDir(Path("")));
    QVERIFY(!form->pnlButtons()->wsbPageDown->isEnabled());
    QVERIFY(form->pnlButtons()->wsbPageUp->isEnabled());
    QVERIFY(form->MenShowMenu->isEnabled());
    QCOMPARE(form->PageBitmap().size(), QSize(640, 340));
    QCOMPARE(form->PageBitmap().pixelColor(5, 300), QColor(255, 0, 0));
    QCOMPARE(form->pnlFlyer()->size(), QSize(640, 340));

    // Leafing with the nav bar plays each page's sound, looping as the placement says.
    form->pnlButtons()->wsbPageUp->click();
    QCOMPARE(form->CurrentPage(), 2);
    QCOMPARE(sound_.played.size(), std::size_t{1});
    QVERIFY(sound_.played.back().second);
    form->pnlButtons()->wsbPageUp->click();
    QCOMPARE(form->CurrentPage(), 3);
    QVERIFY(!form->pnlButtons()->wsbPageUp->isEnabled());
    QVERIFY(form->pnlButtons()->wsbPageDown->isEnabled());
    // Muted: nothing starts; releasing the button restarts the current page's sound only.
    form->pnlButtons()->wsbMute->click();
    QVERIFY(sound_.stops > 0);
    const std::size_t before = sound_.played.size();
    form->pnlButtons()->wsbPageDown->click();
    QCOMPARE(sound_.played.size(), before);
    form->pnlButtons()->wsbMute->click();
    QCOMPARE(sound_.played.size(), before + 1);

    // Cancelling the dialog leaves the flyer open.
    form->MenOpen->trigger();
    QCOMPARE(form->windowTitle(), QStringLiteral("Alpha"));

    form->MenClose->trigger();
    QVERIFY(form->LoadPhase().Empty());
    QCOMPARE(form->windowTitle(), QStringLiteral("Quireleaf Player"));
    QVERIFY(form->Flyer() == nullptr);
    QVERIFY(!form->pnlButtons()->wsbPageUp->isEnabled());
  }

  void clickActionsHistoryAndCursors() {
    WriteClickFlyer(dir_->File("a.qrl"), "Alpha");
    auto form = MakeForm();
    form->RequestOpen(Path("a.qrl"));
    QCOMPARE(form->CurrentPage(), 1);

    form->pnlFlyerMouseMove({50, 25});
    QCOMPARE(form->FlyerCursor(), 2);
    form->pnlFlyerMouseMove({225, 25});
    QCOMPARE(form->FlyerCursor(), 5);
    form->pnlFlyerMouseMove({425, 25});
    QCOMPARE(form->FlyerCursor(), 4);
    form->pnlFlyerMouseMove({600, 300});
    QCOMPARE(form->FlyerCursor(), 0);

    // Elliptic area: the corner of its rectangle is outside.
    Click(*form, 1, 1);
    QCOMPARE(form->CurrentPage(), 1);
    Click(*form, 50, 25);
    QCOMPARE(form->CurrentPage(), 3);
    QCOMPARE(form->History().VisitedPages(), std::deque<int>({3, 1}));
    // Page 3 plays its own sound when reached without a click sound.
    QCOMPARE(sound_.played.size(), std::size_t{1});
    Click(*form, 325, 25);  // back
    QCOMPARE(form->CurrentPage(), 1);
    QCOMPARE(form->History().ForwardPages(), std::deque<int>({3}));

    // A click with its own sound plays it and not the target page's sound.
    sound_.played.clear();
    Click(*form, 525, 25);
    QCOMPARE(form->CurrentPage(), 2);
    QCOMPARE(sound_.played.size(), std::size_t{1});
    QVERIFY(!sound_.played.back().second);
    Click(*form, 325, 25);
    QCOMPARE(form->CurrentPage(), 1);

    // A left click on the web link goes through the transparent text; the address is opened.
    Click(*form, 425, 25);
    QCOMPARE(urls_.opened, QStringList({QStringLiteral("https://example.org/")}));
    urls_.succeed = false;
    Click(*form, 425, 25);
    QCOMPARE(prompts_.messages.size(), 1);
    QVERIFY(prompts_.messages.front().startsWith(QStringLiteral("Could not open file 'https://example.org/'")));

    // Right click there: copy text and open web page; the popup opens 10 pixels off the pointer.
    QSignalSpy popup(form.get(), &TCPlayerForm::PopupRequested);
    Click(*form, 425, 25, Qt::RightButton);
    QVERIFY(form->PupCopyText->isVisible());
    QVERIFY(form->PupOpenWebPage->isVisible());
    QVERIFY(form->N4->isVisible());
    QCOMPARE(popup.size(), 1);
    QCOMPARE(popup.front().front().toPoint(), form->pnlFlyer()->mapToGlobal(QPoint(435, 35)));
    form->PupFlyer->hide();
    Click(*form, 600, 300, Qt::RightButton);
    QVERIFY(!form->PupCopyText->isVisible());
    QVERIFY(!form->PupOpenWebPage->isVisible());
    form->PupFlyer->hide();

    // The close area closes a flyer opened from inside the player.
    Click(*form, 225, 25);
    QVERIFY(form->LoadPhase().Empty());
    QVERIFY(form->isVisible());
    // Without a flyer, a right click on the nav bar hides Print Page's separator.
    form->pnlFlyerMouseDown(form->pnlButtons(), Qt::RightButton, {5, 5}, {5, 5});
    QVERIFY(!form->N4->isVisible());
    form->PupFlyer->hide();
  }

  void invalidFileIsReportedAndUnloaded() {
    test::WriteAll(dir_->File("bad.qrl"), {'n', 'o', 't', ' ', 'a', ' ', 'f', 'l', 'y', 'e', 'r'});
    auto form = MakeForm();
    form->RequestOpen(Path("bad.qrl"));
    QCOMPARE(prompts_.messages.size(), 1);
    QVERIFY(form->LoadPhase().Empty());
    QVERIFY(form->Flyer() == nullptr);
    QCOMPARE(form->windowTitle(), QStringLiteral("Quireleaf Player"));
    // A path naming no file is ignored silently.
    form->RequestOpen(Path("missing.qrl"));
    QCOMPARE(prompts_.messages.size(), 1);
  }

  void closeWhileBuildingStopsAndUnloads() {
    WriteLongFlyer(dir_->File("long.qrl"), "Long");
    auto form = MakeForm();
    QTimer::singleShot(0, form.get(), [&] { form->RequestClose(false); });
    form->RequestOpen(Path("long.qrl"));
    QVERIFY(form->LoadPhase().Empty());
    QVERIFY(form->Flyer() == nullptr);
    QCOMPARE(form->windowTitle(), QStringLiteral("Quireleaf Player"));
    QVERIFY(form->isVisible());
  }

  void closingTheWindowWhileBuildingEndsTheProgramWhenTheBuilderStops() {
    WriteLongFlyer(dir_->File("long.qrl"), "Long");
    auto form = MakeForm();
    bool refusedWhileBuilding = false;
    QTimer::singleShot(0, form.get(), [&] {
      form->close();
      refusedWhileBuilding = form->isVisible() && form->LoadPhase().Has(lpCloseApp);
    });
    form->RequestOpen(Path("long.qrl"));
    QVERIFY(refusedWhileBuilding);
    QTRY_VERIFY(!form->isVisible());
  }

  void openWhileBuildingLoadsTheSecondFlyerAfterTheFirst() {
    WriteLongFlyer(dir_->File("long.qrl"), "Long");
    WriteClickFlyer(dir_->File("b.qrl"), "Beta");
    auto form = MakeForm();
    QStringList titlesSeen;
    QTimer::singleShot(0, form.get(), [&] {
      form->RequestOpen(Path("b.qrl"));
      titlesSeen << form->FlyerTitle;
    });
    form->RequestOpen(Path("long.qrl"));
    QCOMPARE(titlesSeen, QStringList({QStringLiteral("Long")}));
    QCOMPARE(form->windowTitle(), QStringLiteral("Beta"));
    QCOMPARE(form->LoadPhase(), TLoadPhase({lpShow, lpOpened}));
    QVERIFY(form->PendingOpen == Path("b.qrl"));
  }

  void commandLineSwitches() {
    WriteClickFlyer(dir_->File("first.qrl"), "First");
    WriteClickFlyer(dir_->File("second.qrl"), "Second");
    {
      auto form = MakeForm({"-r", "-t", dir_->File("first.qrl"), dir_->File("second.qrl")});
      form->StartUp();
      QCOMPARE(form->windowTitle(), QStringLiteral("First"));
      QVERIFY(form->OpenedExternally);
      QVERIFY(form->DeleteOnClose);
      form->MenClose->trigger();
      QVERIFY(!std::filesystem::exists(dir_->File("first.qrl")));
      QVERIFY(std::filesystem::exists(dir_->File("second.qrl")));
    }
    {
      auto form = MakeForm({"-t", "-p0", dir_->File("second.qrl")});
      form->OpenPresMode = true;
      form->StartUp();
      QVERIFY(!form->MenPresentation->isChecked());
      // A flyer opened from the command line: the nav bar's close button ends the program.
      form->pnlButtons()->wsbClose->click();
      QTRY_VERIFY(!form->isVisible());
    }
    {
      auto form = MakeForm({"-t", "-p3"});
      form->StartUp();
      QVERIFY(form->MenPresentation->isChecked());
      QVERIFY(form->MenFullScreen->isChecked());
      QVERIFY(form->PresentationLayout());
    }
    {
      auto form = MakeForm({"-t", "-s", dir_->File("second.qrl")});
      form->StartUp();
      QVERIFY(form->pnlButtons()->wsbMute->isChecked());
      QVERIFY(sound_.played.empty());
    }
  }

  void presentationModeTogglesBack() {
    WriteClickFlyer(dir_->File("a.qrl"), "Alpha");
    auto form = MakeForm();
    form->StartUp();
    form->RequestOpen(Path("a.qrl"));
    const QRect before = form->geometry();
    form->MenPresentation->trigger();
    QVERIFY(form->PresentationLayout());
    QVERIFY(form->MenFullScreen->isVisible());
    QVERIFY(form->MenFullScreen->isEnabled());
    QCOMPARE(form->pnlFlyer()->palette().color(QPalette::Window), QColor(Qt::black));
    form->MenPresentation->trigger();
    QVERIFY(!form->PresentationLayout());
    QVERIFY(!form->MenFullScreen->isVisible());
    QTRY_COMPARE(form->geometry().size(), before.size());
    QVERIFY(form->menuBar()->isVisible());
    QVERIFY(form->pnlButtons()->isVisible());
  }

  void windowedControlsForLinksAndScrollingTexts() {
    TFlyerDesc f;
    f.Blocks.push_back(TInfoDesc{});
    TElementDesc scrolling = TextElement(kText, 1, true);
    scrolling.TextFlags = 0x0007;  // opaque, framed, may scroll
    scrolling.Lines.clear();
    for (int i = 1; i <= 20; ++i) scrolling.Lines.push_back("Line " + std::to_string(i));
    scrolling.Occurrences.front().Placement = {10, 100, 200, 60};
    f.Blocks.push_back(scrolling);
    TElementDesc link;
    link.Kind = ekClick;
    link.Id = kClicks;
    link.Occurrences = {ClickDesc(300, 100, 50, 50, caWebLink, 0, "https://example.org/")};
    f.Blocks.push_back(link);
    f.Blocks.push_back(Page(0x000000, {}));
    f.Blocks.push_back(Page(0xFFFFFF, {{kText, 1, 0}, {kClicks, 1, 0}}));
    f.Blocks.push_back(Page(0xFFFFFF, {}));
    WriteFlyerFile(f, dir_->File("w.qrl"));

    auto form = MakeForm();
    form->RequestOpen(Path("w.qrl"));
    auto hints = form->pnlFlyer()->findChildren<TCKbHintClick*>();
    QCOMPARE(hints.size(), 1);
    QCOMPARE(hints.front()->toolTip(), QStringLiteral("https://example.org/"));
    QVERIFY(!hints.front()->isEnabled());
    QCOMPARE(hints.front()->geometry(), QRect(300, 100, 50, 50));

    auto texts = form->pnlFlyer()->findChildren<TCKBScrollTekst*>();
    QCOMPARE(texts.size(), 1);
    TCKBScrollTekst* text = texts.front();
    QVERIFY(text->isVisible());
    QVERIFY(!text->isEnabled());
    QScrollBar* bar = text->ScrollBar();
    QVERIFY(bar != nullptr);
    QCOMPARE(bar->geometry(), QRect(10 + 200 - 13, 100, 13, 60));
    // The bar lies over the text control, not under it.
    QCOMPARE(form->pnlFlyer()->childAt(QPoint(10 + 200 - 6, 130)), bar);
    QVERIFY(bar->maximum() > 0);
    QCOMPARE(bar->pageStep(), 58);
    text->grab();
    const QImage top = text->Drawn();
    bar->setValue(bar->singleStep());
    QCOMPARE(text->LastPos(), bar->singleStep());
    QVERIFY(text->Drawn() != top);
    // Pointer shapes and clicks still reach the panel under both controls.
    form->pnlFlyerMouseMove({320, 120});
    QCOMPARE(form->FlyerCursor(), 4);

    form->pnlButtons()->wsbPageUp->click();
    QVERIFY(!text->isVisible());
    QVERIFY(!bar->isVisible());
    QVERIFY(!hints.front()->isVisible());
    form->MenClose->trigger();
    QVERIFY(form->pnlFlyer()->findChildren<TCKBScrollTekst*>().isEmpty());
  }

  void sendCommandsFollowTheOpenFlyer() {
    WriteClickFlyer(dir_->File("a.qrl"), "Alpha");
    auto form = MakeForm();
    QCOMPARE(form->MenSend->text(), QStringLiteral("Sen&d Quireleaf..."));
    QCOMPARE(form->MenSendKick->text(), QStringLiteral("Send with &Kickstarter..."));
    QVERIFY(!form->MenSend->isEnabled());
    QVERIFY(!form->MenSendKick->isEnabled());
    // The kickstarter is built beside the tests, so its item shows.
    QVERIFY(form->MenSendKick->isVisible());
    QTest::keyClick(form.get(), Qt::Key_D, Qt::ControlModifier);
    QVERIFY(mailer_.sent.empty());

    form->RequestOpen(Path("a.qrl"));
    QVERIFY(form->MenSend->isEnabled());
    QVERIFY(form->MenSendKick->isEnabled());
    QTest::keyClick(form.get(), Qt::Key_D, Qt::ControlModifier);
    QCOMPARE(mailer_.sent.size(), std::size_t{1});
    QCOMPARE(mailer_.sent[0].attachment, Path("a.qrl"));
    QTest::keyClick(form.get(), Qt::Key_K, Qt::ControlModifier);
    QCOMPARE(mailer_.sent.size(), std::size_t{2});
    const QString packed = mailer_.sent[1].attachment;
    QCOMPARE(QFileInfo(packed).fileName(), QStringLiteral("a.EXE"));
    QVERIFY(QFile::exists(packed));
    QVERIFY(prompts_.messages.isEmpty());

    form->MenClose->trigger();
    QVERIFY(!form->MenSend->isEnabled());
    // Temporary attachments go when the player does.
    form.reset();
    QVERIFY(!QFile::exists(packed));
  }

  void dropOpensTheFirstLocalFile() {
    for (const char* name : {"a.qrl", "b.qrl", "c.qrl"}) WriteClickFlyer(dir_->File(name), name);
    auto form = MakeForm();
    const auto drop = [&form](const QList<QUrl>& urls) {
      QMimeData data;
      data.setUrls(urls);
      QDragEnterEvent enter(QPoint(100, 100), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
      QApplication::sendEvent(form.get(), &enter);
      QDropEvent dropped(QPointF(100, 100), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
      QApplication::sendEvent(form.get(), &dropped);
      return enter.isAccepted() && dropped.isAccepted();
    };
    form->OpenedExternally = true;
    QVERIFY(drop({QUrl::fromLocalFile(Path("a.qrl")), QUrl::fromLocalFile(Path("b.qrl")),
                  QUrl::fromLocalFile(Path("c.qrl"))}));
    QTRY_COMPARE(form->windowTitle(), QStringLiteral("a.qrl"));
    QVERIFY(!form->OpenedExternally);

    // Addresses that are no local files are passed over; a drop of nothing but those is refused.
    QVERIFY(!drop({QUrl(QStringLiteral("https://quireleaf.example.org/x.qrl"))}));
    // Still accepted after presentation mode came and went.
    form->MenPresentation->trigger();
    form->MenPresentation->trigger();
    QVERIFY(drop({QUrl(QStringLiteral("https://quireleaf.example.org/x.qrl")), QUrl::fromLocalFile(Path("c.qrl"))}));
    QTRY_COMPARE(form->windowTitle(), QStringLiteral("c.qrl"));
  }

  void requestsFromALaterStart() {
    WriteClickFlyer(dir_->File("Flyer (1).qrl"), "Downloaded");
    auto form = MakeForm();
    form->SystemExecuteMacro(QStringLiteral("[open(\"%1\")]").arg(Path("Flyer (1).qrl")));
    QCOMPARE(form->windowTitle(), QStringLiteral("Downloaded"));
    QVERIFY(form->OpenedExternally);
    // Unknown commands and missing files change nothing.
    form->SystemExecuteMacro(QStringLiteral("[FROB]"));
    form->SystemExecuteMacro(QStringLiteral("[OPEN(\"%1\")]").arg(Path("flyer (1).qrl")));
    QCOMPARE(form->windowTitle(), QStringLiteral("Downloaded"));
    // OPEN without a path asks with the Open dialog.
    form->SystemExecuteMacro(QStringLiteral("[OPEN]"));
    QCOMPARE(prompts_.dialogsShown, 1);
    QCOMPARE(form->windowTitle(), QStringLiteral("Downloaded"));
    // While a dialog waits for the user, a request waits for the dialog.
    WriteClickFlyer(dir_->File("b.qrl"), "Beta");
    {
      QDialog dialog(form.get());
      dialog.setModal(true);
      dialog.show();
      form->SystemExecuteMacro(QStringLiteral("[OPEN(\"%1\")]").arg(Path("b.qrl")));
      QTest::qWait(400);
      QCOMPARE(form->windowTitle(), QStringLiteral("Downloaded"));
    }
    QTRY_COMPARE(form->windowTitle(), QStringLiteral("Beta"));
    form->SystemExecuteMacro(QStringLiteral("[QUIT]"));
    QTRY_VERIFY(!form->isVisible());
    QVERIFY(form->LoadPhase().Empty());
  }

  void presentationTickForANonStandardCanvasAndSnappedResize() {
    WriteClickFlyer(dir_->File("wide.qrl"), "Wide", 800, 600);
    auto form = MakeForm();
    form->RequestOpen(Path("wide.qrl"));
    QVERIFY(form->MenPresentation->isChecked());
    form->MenPresentation->trigger();
    QVERIFY(!form->PresentationLayout());
    // The user drags the frame: nothing is laid out until the dragging pauses, then the area
    // snaps to the flyer's aspect ratio.
    form->EnterSizeMove();
    form->resize(900, form->height());
    QVERIFY(form->InSizeMove());
    form->ExitSizeMove();
    const TSize area = form->AreaSize();
    QCOMPARE(area.height, MulDiv(600, area.width, 800));
    QCOMPARE(form->pnlFlyer()->size(), QSize(area.width, area.height));
    QCOMPARE(form->PageBitmap().size(), QSize(area.width, area.height));
  }
};

}  // namespace qrl

QTEST_MAIN(qrl::PlayerFormTest)
#include "PlayerFormTest.moc"
