#include "player/TPlayerMenus.h"

#include <QAction>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>

#include "windows/TCustomSplashForm.h"

namespace qrl {
namespace {

QAction* MakeAction(QWidget* owner, const char* name, const char* caption, const QKeySequence& key = {}) {
  auto* action = new QAction(QString::fromLatin1(caption), owner);
  action->setObjectName(QString::fromLatin1(name));
  action->setShortcut(key);
  // Shortcuts also work while the menu bar is hidden.
  owner->addAction(action);
  return action;
}

}  // namespace

void TPlayerMenus::CreateMenus(QMainWindow& owner) {
  MenOpen = MakeAction(&owner, "MenOpen", "&Open...", QKeySequence(Qt::CTRL | Qt::Key_O));
  MenClose = MakeAction(&owner, "MenClose", "&Close", QKeySequence(Qt::CTRL | Qt::Key_F4));
  MenSave = MakeAction(&owner, "MenSave", "&Save", QKeySequence(Qt::CTRL | Qt::Key_S));
  MenSaveAs = MakeAction(&owner, "MenSaveAs", "Save &As...");
  MenSend = MakeAction(&owner, "MenSend", "Sen&d Quireleaf...", QKeySequence(Qt::CTRL | Qt::Key_D));
  MenSendKick = MakeAction(&owner, "MenSendKick", "Send with &Kickstarter...", QKeySequence(Qt::CTRL | Qt::Key_K));
  MenPrint = MakeAction(&owner, "MenPrint", "&Print...", QKeySequence(Qt::CTRL | Qt::Key_P));
  MenSnapshot = MakeAction(&owner, "MenSnapshot", "Snaps&hot BMP");
  MenSetOptions = MakeAction(&owner, "MenSetOptions", "&Set...");
  MenHelpTopics = MakeAction(&owner, "MenHelpTopics", "Quireleaf Player &Help", QKeySequence(Qt::Key_F1));
  MenExit = MakeAction(&owner, "MenExit", "E&xit", QKeySequence(Qt::CTRL | Qt::Key_Q));
  MenPresentation = MakeAction(&owner, "MenPresentation", "P&resentation Mode", QKeySequence(Qt::Key_F5));
  MenFullScreen = MakeAction(&owner, "MenFullScreen", "&Full Screen", QKeySequence(Qt::Key_F6));
  MenShowMenu = MakeAction(&owner, "MenShowMenu", "Show &Menu", QKeySequence(Qt::CTRL | Qt::Key_M));
  MenShowNavbar = MakeAction(&owner, "MenShowNavbar", "Show &Nav Bar", QKeySequence(Qt::CTRL | Qt::Key_N));
  MenAbout = MakeAction(&owner, "MenAbout", "&About Quireleaf Player...");
  MenAboutCustom = MakeAction(&owner, "MenAboutCustom", "");
  MenAboutCustom->setText(TCustomSplashForm::AboutCaption() + QStringLiteral("..."));
  for (QAction* toggle : {MenPresentation, MenFullScreen, MenShowMenu, MenShowNavbar}) toggle->setCheckable(true);
  MenAbout->setVisible(false);
  MenAboutCustom->setVisible(false);

  fileMenu_ = owner.menuBar()->addMenu(QStringLiteral("&File"));
  fileMenu_->addActions({MenOpen, MenSave, MenSaveAs, MenClose});
  fileMenu_->addSeparator();
  fileMenu_->addActions({MenSend, MenSendKick});
  fileMenu_->addSeparator();
  fileMenu_->addActions({MenPrint, MenSnapshot});
  NHistory = fileMenu_->addSeparator();
  NHistory->setObjectName(QStringLiteral("NHistory"));
  NExit = fileMenu_->addSeparator();
  NExit->setObjectName(QStringLiteral("NExit"));
  NExit->setVisible(false);
  fileMenu_->addAction(MenExit);
  QMenu* view = owner.menuBar()->addMenu(QStringLiteral("&View"));
  view->addActions({MenPresentation, MenFullScreen, MenShowMenu, MenShowNavbar});
  owner.menuBar()->addMenu(QStringLiteral("&Options"))->addAction(MenSetOptions);
  QMenu* help = owner.menuBar()->addMenu(QStringLiteral("&Help"));
  help->addActions({MenHelpTopics, MenAbout, MenAboutCustom});

  // The popup's display items are their main-menu twins: same command, same tick.
  PupPresentation = MenPresentation;
  PupFullScreen = MenFullScreen;
  PupShowMenu = MenShowMenu;
  PupShowNavBar = MenShowNavbar;
  PupFlyer = new QMenu(&owner);
  PupFlyer->setObjectName(QStringLiteral("PupFlyer"));
  PupCopyText = PupFlyer->addAction(QStringLiteral("&Copy Text to Clipboard"));
  PupCopyText->setObjectName(QStringLiteral("PupCopyText"));
  PupPrintText = PupFlyer->addAction(QStringLiteral("Print this &Text"));
  PupPrintText->setObjectName(QStringLiteral("PupPrintText"));
  PupPrintPage = PupFlyer->addAction(QStringLiteral("&Print Page..."));
  PupPrintPage->setObjectName(QStringLiteral("PupPrintPage"));
  PupOpenWebPage = PupFlyer->addAction(QStringLiteral("&Open Web Page"));
  PupOpenWebPage->setObjectName(QStringLiteral("PupOpenWebPage"));
  N4 = PupFlyer->addSeparator();
  PupFlyer->addActions({PupPresentation, PupFullScreen, PupShowMenu, PupShowNavBar});
  PupCopyText->setVisible(false);
  PupPrintText->setVisible(false);
  PupOpenWebPage->setVisible(false);
}

void TPlayerMenus::ApplyMenuState(const TCommandState& c) const {
  MenClose->setEnabled(c.close);
  MenSave->setEnabled(c.save);
  MenSaveAs->setEnabled(c.save);
  MenSend->setEnabled(c.send);
  MenSendKick->setEnabled(c.send);
  MenSendKick->setVisible(c.sendKickVisible);
  MenShowMenu->setEnabled(c.showMenu);
  MenShowNavbar->setEnabled(c.showNavBar);
  MenFullScreen->setVisible(c.fullScreenVisible);
  MenFullScreen->setEnabled(c.fullScreenEnabled);
  N4->setVisible(c.printPage);
  NExit->setVisible(c.historySeparator);
  for (QAction* item : fileMenu_->actions())
    if (item->objectName().startsWith(QLatin1String("MenHistory"))) item->setEnabled(c.history);
  MenSetOptions->setEnabled(c.options);
  PupPrintPage->setVisible(c.printPage);
  MenPrint->setEnabled(c.print);
  MenSnapshot->setVisible(c.snapshotVisible);
  MenSnapshot->setEnabled(c.snapshot);
}

}  // namespace qrl
