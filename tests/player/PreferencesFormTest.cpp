// The window's preferences, history, options, links, about windows and help, driven as a user
// would: menus, clicks on the page and on the nav bar, with scripted services.

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>
#include <memory>

#include "document/TFlyerWriter.h"
#include "elements/QtTextMeasurer.h"
#include "elements/TCKbClick.h"
#include "player/PlayerFakes.h"
#include "player/TCPlayerForm.h"
#include "player/TFlyerPanel.h"
#include "player/TFormOptions.h"
#include "player/TFormWebOpen.h"
#include "player/TNavBarPanel.h"
#include "support/TempDir.h"
#include "windows/HelpTopics.h"
#include "windows/THelpWindow.h"
#include "windows/TSplashForm.h"
#include "windows/TCustomSplashForm.h"

namespace qrl {
namespace {

// A flyer of one page with a web link over its top-left corner.
void WriteLinkFlyer(const std::string& path, const std::string& title, const std::string& link) {
  TFlyerDesc f;
  TInfoDesc info;
  info.Sections = {{0, "Flyer Info", {{"Title", {title}}}}};
  f.Blocks.push_back(info);
  TElementDesc clicks;
  clicks.Kind = ekClick;
  clicks.Id = 10;
  TOccurrenceDesc area;
  area.Placement = {0, 0, 100, 50};
  area.Action = caWebLink;
  area.LinkText = link;
  clicks.Occurrences = {area};
  f.Blocks.push_back(clicks);
  TPageDesc background;
  TPageDesc page;
  page.Colour = 0xFFFFFF;
  page.Refs = {{10, 1, 0}};
  f.Blocks.push_back(background);
  f.Blocks.push_back(page);
  WriteFlyerFile(f, path);
}

QStringList HistoryCaptions(const TCPlayerForm& form) {
  QStringList captions;
  for (QAction* item : form.menuBar()->actions().constFirst()->menu()->actions())
    if (item->objectName().startsWith(QLatin1String("MenHistory"))) captions << item->text();
  return captions;
}

// Runs `act` on the modal dialog of type T as soon as it is shown.
template <class T>
void WhenModal(std::function<void(T&)> act) {
  QTimer::singleShot(0, [act] {
    if (auto* dialog = qobject_cast<T*>(QApplication::activeModalWidget())) act(*dialog);
  });
}

}  // namespace

class PreferencesFormTest : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<test::TempDir> dir_;
  test::FakePrompts prompts_;
  test::FakeSound sound_;
  test::FakeUrls urls_;
  test::FakeSettings settings_;
  test::FakeMailer mailer_;
  TQtTextMeasurer measurer_;

  std::unique_ptr<TCPlayerForm> MakeForm() {
    auto form = std::make_unique<TCPlayerForm>(TPlayerServices{prompts_, sound_, urls_, measurer_, mailer_, settings_},
                                               std::vector<std::string>{"-t"});
    form->show();
    form->StartUp();
    return form;
  }
  QString Path(const std::string& name) const { return QString::fromStdString(dir_->File(name)); }

 private slots:
  void init() {
    dir_ = std::make_unique<test::TempDir>();
    prompts_ = test::FakePrompts();
    urls_ = test::FakeUrls();
    settings_ = test::FakeSettings();
  }
  void cleanup() { dir_.reset(); }

  void historyKeepsTheFourNewestAcrossARestart() {
    {
      auto form = MakeForm();
      QVERIFY(!form->NExit->isVisible());
      QVERIFY(HistoryCaptions(*form).isEmpty());
      for (const char* name : {"one.qrl", "two.qrl", "three.qrl", "four.qrl", "five.qrl"}) {
        WriteLinkFlyer(dir_->File(name), name, "https://example.org/");
        form->RequestOpen(Path(name));
        QVERIFY(form->LoadPhase().Has(lpShow));
      }
      QVERIFY(form->NExit->isVisible());
      QCOMPARE(HistoryCaptions(*form), QStringList({"&1 five.qrl", "&2 four.qrl", "&3 three.qrl", "&4 two.qrl"}));
      // Written as soon as a flyer is shown, not only on closing.
      QCOMPARE(settings_.sections[QStringLiteral("History")][QStringLiteral("file_1")], Path("five.qrl"));
      form->AddToHistory(Path("THREE.QRL").replace(QStringLiteral("three"), QStringLiteral("THREE")));
      QCOMPARE(HistoryCaptions(*form).constFirst(), QStringLiteral("&1 three.qrl"));
      form->close();
    }
    auto form = MakeForm();
    QCOMPARE(HistoryCaptions(*form), QStringList({"&1 three.qrl", "&2 five.qrl", "&3 four.qrl", "&4 two.qrl"}));
    QVERIFY(form->NExit->isVisible());
    // Choosing an item opens that flyer.
    QAction* second = nullptr;
    for (QAction* item : form->menuBar()->actions().constFirst()->menu()->actions())
      if (item->text() == QStringLiteral("&2 five.qrl")) second = item;
    QVERIFY(second != nullptr);
    second->trigger();
    QCOMPARE(form->windowTitle(), QStringLiteral("five.qrl"));
    QVERIFY(!form->OpenedExternally);
    QCOMPARE(HistoryCaptions(*form).constFirst(), QStringLiteral("&1 five.qrl"));
    // A flyer that is gone stays listed; choosing it does nothing.
    QFile::remove(Path("four.qrl"));
    form->HistoryItemClick(2);
    QCOMPARE(form->windowTitle(), QStringLiteral("five.qrl"));
    QCOMPARE(prompts_.dialogsShown, 0);
  }

  void optionsCancelKeepsEverythingAndOkTakesEffectInPresentationMode() {
    auto form = MakeForm();
    WriteLinkFlyer(dir_->File("a.qrl"), "Alpha", "https://example.org/");
    form->RequestOpen(Path("a.qrl"));
    prompts_.editOptions = [](TPreferences& p) {
      p.DefBrowser = QStringLiteral("/opt/browser");
      p.PresHideMenu = true;
      p.PresHideNavBar = true;
      p.OpenPresMode = true;
    };
    prompts_.optionsOk = false;
    const TPreferences before = form->Preferences();
    form->MenSetOptions->trigger();
    QCOMPARE(prompts_.optionsShown, 1);
    QVERIFY(form->Preferences() == before);

    prompts_.optionsOk = true;
    form->MenSetOptions->trigger();
    QCOMPARE(form->DefBrowser, QStringLiteral("/opt/browser"));
    QVERIFY(form->OpenPresMode);
    // Not stored until the window closes; shown presentation state unchanged until entered.
    QVERIFY(settings_.sections[QStringLiteral("Preferences")].empty());
    QVERIFY(form->menuBar()->isVisible());
    QTest::keyClick(form.get(), Qt::Key_F5);
    QVERIFY(form->PresentationLayout());
    QVERIFY(!form->menuBar()->isVisible());
    QVERIFY(!form->pnlButtons()->isVisible());
    QTest::keyClick(form.get(), Qt::Key_F5);
    form->close();
    QCOMPARE(settings_.sections[QStringLiteral("Preferences")][QStringLiteral("PresHideMenu")], QStringLiteral("1"));
    QCOMPARE(settings_.sections[QStringLiteral("Preferences")][QStringLiteral("DefBrowser")],
             QStringLiteral("/opt/browser"));
  }

  void webLinkClickGoesToTheChosenBrowserAndAProgramLinkNeverRuns() {
    const std::string address = "https://example.org/a?b=1&c=2";
    WriteLinkFlyer(dir_->File("web.qrl"), "Web", address);
    const QString script = Path("evil.sh");
    QFile file(script);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("#!/bin/sh\ntouch pwned\n");
    file.close();
    WriteLinkFlyer(dir_->File("program.qrl"), "Program", "evil.sh");

    auto form = MakeForm();
    form->DefBrowser = QStringLiteral("/opt/browser");
    urls_.programsThatStart << form->DefBrowser;
    form->RequestOpen(Path("web.qrl"));
    QTest::mouseClick(form->pnlFlyer(), Qt::LeftButton, {}, QPoint(50, 25));
    QCOMPARE(urls_.started.size(), std::size_t{1});
    QCOMPARE(urls_.started[0].second, QString::fromStdString(address));

    form->RequestOpen(Path("program.qrl"));
    QTest::mouseClick(form->pnlFlyer(), Qt::LeftButton, {}, QPoint(50, 25));
    QCOMPARE(urls_.started.size(), std::size_t{1});
    QCOMPARE(prompts_.messages, QStringList({RefusedProgramMessage(QStringLiteral("evil.sh"))}));
  }

  void navButtonHelpOpensItsTopic() {
    auto form = MakeForm();
    WriteLinkFlyer(dir_->File("a.qrl"), "Alpha", "https://example.org/");
    form->RequestOpen(Path("a.qrl"));
    TWSpeedButton* note = form->pnlButtons()->wsbNote;
    QCOMPARE(note->HelpContext(), int{hcNote});
    QTest::mouseClick(note, Qt::RightButton, {}, QPoint(5, 5));
    QVERIFY(note->HelpMenu() != nullptr);
    QCOMPARE(note->HelpMenu()->actions().size(), 1);
    QCOMPARE(note->HelpMenu()->actions().constFirst()->text(), QStringLiteral("&What's this?"));
    note->HelpMenu()->actions().constFirst()->trigger();
    THelpWindow* help = form->HelpWindow();
    QVERIFY(help != nullptr && help->isVisible());
    QCOMPARE(help->Browser()->source().fragment(), QStringLiteral("note"));
    QVERIFY(help->Browser()->toPlainText().contains(QStringLiteral("Your note")));
    form->MenHelpTopics->trigger();
    QCOMPARE(help->Browser()->source().fragment(), QStringLiteral("contents"));
  }

  void aboutWindowsOpenTheirWebSiteThroughTheDefaultLink() {
    auto form = MakeForm();
    settings_.Write({}, QStringLiteral("DefaultLink"), QStringLiteral("/opt/links"));
    urls_.programsThatStart << QStringLiteral("/opt/links");
    QString caption;
    WhenModal<TSplashForm>([&caption](TSplashForm& about) {
      caption = about.windowTitle();
      QCOMPARE(about.size(), QSize(kSplashFormClientWidth, kSplashFormClientHeight));
      QCOMPARE(about.lblWebSite->cursor().shape(), Qt::PointingHandCursor);
      emit about.lblWebSite->linkActivated(ProductWebSite());
      about.btnClose->click();
    });
    QTest::mouseClick(form->pnlButtons()->imgLogo, Qt::LeftButton);
    QCOMPARE(caption, QStringLiteral("About Quireleaf Player"));
    QCOMPARE(urls_.started.size(), std::size_t{1});
    QCOMPARE(urls_.started[0], std::make_pair(QStringLiteral("/opt/links"), ProductWebSite()));

    WhenModal<TCustomSplashForm>([&caption](TCustomSplashForm& about) {
      caption = about.windowTitle();
      emit about.WebSiteLabel()->linkActivated(ProductWebSite());
      about.accept();
    });
    QTest::mouseClick(form->pnlButtons()->lblCreator, Qt::LeftButton);
    QCOMPARE(caption, TCustomSplashForm::AboutCaption());
    QCOMPARE(urls_.started.size(), std::size_t{2});
  }

  void optionsAndWebOpenDialogsShowTheirTexts() {
    TFormOptions options;
    QCOMPARE(options.windowTitle(), QStringLiteral("Options"));
    QCOMPARE(options.cbxPresFullScr->text(), QStringLiteral("&Resize Quireleaf to full screen"));
    const TPreferences p{{}, QStringLiteral("/usr/bin/b"), true, false, true, false};
    options.SetValues(p);
    TPreferences back;
    options.GetValues(back);
    QVERIFY(back == p);

    TFormWebOpen failed(true, QStringLiteral("https://example.org/"));
    failed.show();
    QCOMPARE(failed.lbl1->text(), QStringLiteral("Quireleaf could not open this file."));
    QCOMPARE(failed.btnOk->text(), QStringLiteral("&Open"));
    QCOMPARE(failed.pnlFile->text(), QStringLiteral("https://example.org/"));
    QCOMPARE(failed.size(), QSize(kWebOpenClientWidth, kWebOpenClientHeight));

    TFormWebOpen first(false, QStringLiteral("https://example.org/"));
    first.show();
    QCOMPARE(first.lbl1->text(), QStringLiteral("Quireleaf will try to open this file."));

    TFormWebOpen noFile(false, {});
    noFile.show();
    QVERIFY(!noFile.pnlmainfile->isVisible());
    QVERIFY(!noFile.lbl1->isVisible());
    QCOMPARE(noFile.btnOk->text(), QStringLiteral("&OK"));
    QVERIFY(noFile.height() < kWebOpenClientHeight);
  }
};

}  // namespace qrl

QTEST_MAIN(qrl::PreferencesFormTest)
#include "PreferencesFormTest.moc"
