// The nav-bar button's glyph states and help menu, the pictures drawn in code at 1x and 2x, and
// the splash window's hide rules.

#include <QDialog>
#include <QMenu>
#include <QSignalSpy>
#include <QFile>
#include <QLabel>
#include <QRegularExpression>
#include <QTest>

#include "windows/HelpTopics.h"
#include "windows/NavGlyphs.h"
#include "windows/PlayerCursors.h"
#include "windows/SplashPicture.h"
#include "windows/TCustomSplashForm.h"
#include "windows/TSplashController.h"
#include "windows/TSplashForm.h"
#include "windows/TWSpeedButton.h"

namespace qrl {

class WindowsTest : public QObject {
  Q_OBJECT

 private slots:
  void speedButtonShowsTheImageOfItsState() {
    TWSpeedButton button;
    button.SetGlyph(NavGlyphStrip(TNavGlyph::Mute, 1.0));
    button.setCheckable(true);
    QCOMPARE(button.GlyphIndex(), int(TWSpeedButton::bsUp));
    button.setChecked(true);
    QCOMPARE(button.GlyphIndex(), int(TWSpeedButton::bsExclusive));
    button.setDown(true);
    QCOMPARE(button.GlyphIndex(), int(TWSpeedButton::bsDown));
    // Disabled shows the second image whatever the state.
    button.setEnabled(false);
    QCOMPARE(button.GlyphIndex(), int(TWSpeedButton::bsDisabled));

    // The painted button carries the disabled image's pixels, centred.
    button.resize(56, 23);
    const QImage painted = button.grab().toImage();
    const QImage strip = button.Glyph().toImage();
    const int ox = (56 - kGlyphWidth) / 2;
    const int oy = (23 - kGlyphHeight) / 2;
    QCOMPARE(painted.pixelColor(ox + kGlyphWidth / 2, oy + kGlyphHeight / 2),
             strip.pixelColor(kGlyphWidth + kGlyphWidth / 2, kGlyphHeight / 2));
  }

  void rightClickOffersHelpOnlyWithAHelpContext() {
    TWSpeedButton plain;
    plain.resize(56, 23);
    plain.show();
    QTest::mouseClick(&plain, Qt::RightButton);
    QVERIFY(plain.HelpMenu() == nullptr);

    TWSpeedButton helped;
    helped.SetHelpContext(42);
    helped.resize(56, 23);
    helped.show();
    QSignalSpy help(&helped, &TWSpeedButton::HelpRequested);
    QTest::mouseClick(&helped, Qt::RightButton);
    QVERIFY(helped.HelpMenu() != nullptr);
    QCOMPARE(helped.HelpMenu()->actions().front()->text(), QStringLiteral("&What's this?"));
    helped.HelpMenu()->actions().front()->trigger();
    QCOMPARE(help.size(), 1);
    QCOMPARE(help.front().front().toInt(), 42);
    helped.HelpMenu()->hide();
  }

  void picturesAreDrawnAtTheDevicePixelRatio() {
    for (qreal dpr : {1.0, 2.0}) {
      const QPixmap strip = NavGlyphStrip(TNavGlyph::Close, dpr);
      QCOMPARE(strip.size(), QSize(qRound(4 * kGlyphWidth * dpr), qRound(kGlyphHeight * dpr)));
      QCOMPARE(strip.devicePixelRatio(), dpr);
      const QPixmap logo = NavLogo(dpr);
      QCOMPARE(logo.size(), QSize(qRound(kLogoWidth * dpr), qRound(kLogoHeight * dpr)));
      for (TScreenCursor shape : {crFinger, crWebLink, crExitLink}) {
        const QPixmap cursor = CursorPixmap(shape, dpr);
        QCOMPARE(cursor.size(), QSize(qRound(kCursorSize * dpr), qRound(kCursorSize * dpr)));
      }
    }
    QVERIFY(CursorPixmap(crDefaultArrow, 1.0).isNull());
    QCOMPARE(PlayerCursor(0, 1.0).shape(), Qt::ArrowCursor);
    QCOMPARE(PlayerCursor(2, 1.0).shape(), Qt::BitmapCursor);
    // The three pointer shapes differ from each other.
    const QImage finger = CursorPixmap(crFinger, 1.0).toImage();
    QVERIFY(finger != CursorPixmap(crWebLink, 1.0).toImage());
    QVERIFY(finger != CursorPixmap(crExitLink, 1.0).toImage());
    // Each glyph strip holds four different images.
    const QImage strip = NavGlyphStrip(TNavGlyph::PageUp, 1.0).toImage();
    const QImage up = strip.copy(0, 0, kGlyphWidth, kGlyphHeight);
    for (int i = 1; i < 4; ++i) QVERIFY(up != strip.copy(i * kGlyphWidth, 0, kGlyphWidth, kGlyphHeight));
  }

  void splashStaysUntilDismissedAndItsTimeIsOver() {
    TSplashController splash;
    splash.ShowSplash(QStringLiteral("1.3.2c"), {}, 50);
    QVERIFY(splash.IsUp());
    QTest::qWait(120);
    QVERIFY(!splash.TimerRunning());
    QVERIFY(splash.IsUp());  // time is over, but nobody dismissed it
    splash.HideSplash(false);
    QVERIFY(!splash.IsUp());

    splash.ShowSplash(QStringLiteral("1.3.2c"), QStringLiteral("Makers"), 5000);
    splash.HideSplash(false);  // dismissed early: it waits for its time
    QVERIFY(splash.IsUp());
    QVERIFY(splash.MayHide());
    splash.HideSplash(true);
    QVERIFY(!splash.IsUp());

    splash.ShowSplash(QStringLiteral("1.3.2c"), {}, 50);
    splash.HideSplash(false);
    QTRY_VERIFY(!splash.IsUp());
  }

  void theUserPutsTheSplashAwayAndDialogsAreNeverCovered() {
    TSplashController splash;
    const auto splashWindow = [] {
      for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* form = qobject_cast<TCustomSplashForm*>(w); form && form->isVisible()) return form;
      return static_cast<TCustomSplashForm*>(nullptr);
    };
    splash.ShowSplash(QStringLiteral("1.3.2c"), {}, 5000);
    QVERIFY(splashWindow());
    QTest::mouseClick(splashWindow(), Qt::LeftButton, {}, QPoint(20, 20));
    QVERIFY(!splash.IsUp());
    QTRY_VERIFY(splashWindow() == nullptr);

    QWidget other;
    other.show();
    splash.ShowSplash(QStringLiteral("1.3.2c"), {}, 5000);
    QTest::keyClick(&other, Qt::Key_A);
    QVERIFY(!splash.IsUp());

    // A dialog (the Open dialog, a message) takes the splash down as it opens.
    splash.ShowSplash(QStringLiteral("1.3.2c"), {}, 5000);
    QDialog dialog;
    dialog.show();
    QVERIFY(!splash.IsUp());
    // Other windows do not.
    splash.ShowSplash(QStringLiteral("1.3.2c"), {}, 5000);
    QWidget plain;
    plain.show();
    QVERIFY(splash.IsUp());
  }

  void aboutPictureOpensTheSiteFromItsTopRightCorner() {
    QVERIFY(InHotCorner({210, 35}));
    QVERIFY(InHotCorner({319, 0}));
    QVERIFY(!InHotCorner({209, 10}));
    QVERIFY(!InHotCorner({250, 36}));
    TCustomSplashForm about(QStringLiteral("1.3.2c"), {}, true);
    about.show();
    QSignalSpy opened(&about, &TCustomSplashForm::LinkActivated);
    auto* picture = about.findChild<TSplashPictureLabel*>(QStringLiteral("imgSplash"));
    QVERIFY(picture);
    QTest::mouseMove(picture, QPoint(300, 10));
    QTRY_COMPARE(picture->cursor().shape(), Qt::PointingHandCursor);
    QTest::mouseMove(picture, QPoint(100, 100));
    QTRY_COMPARE(picture->cursor().shape(), Qt::ArrowCursor);
    QTest::mouseClick(picture, Qt::LeftButton, {}, QPoint(100, 10));
    QCOMPARE(opened.size(), 0);
    QTest::mouseClick(picture, Qt::LeftButton, {}, QPoint(300, 10));
    QCOMPARE(opened.size(), 1);
    QCOMPARE(opened.front().front().toString(), ProductWebSite());
    // The start-up splash has no hot corner.
    TCustomSplashForm plain(QStringLiteral("1.3.2c"), {}, false);
    QVERIFY(!plain.findChild<TSplashPictureLabel*>()->hasMouseTracking());
  }

  void everyHelpTopicIsInTheGuide() {
    QFile guide(QStringLiteral(":/help/guide.html"));
    QVERIFY(guide.open(QIODevice::ReadOnly));
    const QString html = QString::fromUtf8(guide.readAll());
    for (int context : HelpContexts()) {
      const QString anchor = HelpTopicAnchor(context);
      QVERIFY2(!anchor.isEmpty() && html.contains(QStringLiteral("name=\"%1\"").arg(anchor)), qPrintable(anchor));
    }
    // Every link of the guide leads to one of its own anchors.
    static const QRegularExpression link(QStringLiteral("href=\"([^\"]*)\""));
    for (auto it = link.globalMatch(html); it.hasNext();) {
      const QString target = it.next().captured(1);
      QVERIFY2(target.startsWith(QLatin1Char('#')) && html.contains(QStringLiteral("name=\"%1\"").arg(target.mid(1))),
               qPrintable(target));
    }
    QVERIFY(HelpTopicAnchor(9999).isEmpty());
  }

  void aboutWindowHidesWhenItsTimerFires() {
    TSplashForm about(QStringLiteral("1.3.2c"));
    QCOMPARE(about.windowTitle(), QStringLiteral("About Quireleaf Player"));
    QVERIFY(about.lblVersion->text().contains(QStringLiteral("1.3.2c")));
    QVERIFY(!about.tmrHide.isActive());
    about.show();
    QCOMPARE(about.size(), QSize(kSplashFormClientWidth, kSplashFormClientHeight));
    about.tmrHide.start(10);
    QTRY_VERIFY(!about.isVisible());
    QVERIFY(!about.tmrHide.isActive());
  }

  void aboutWindowHasItsPanel() {
    TCustomSplashForm about(QStringLiteral("1.3.2c"), {}, true);
    QCOMPARE(about.windowTitle(), TCustomSplashForm::AboutCaption());
    QVERIFY(about.WebSiteLabel() != nullptr);
    TCustomSplashForm splash(QStringLiteral("1.3.2c"), {}, false);
    QVERIFY(splash.WebSiteLabel() == nullptr);
    splash.adjustSize();
    QCOMPARE(splash.size(), QSize(322, 152));
  }
};

}  // namespace qrl

QTEST_MAIN(qrl::WindowsTest)
#include "WindowsTest.moc"
