#pragma once
// The main window's menu bar and the flyer's popup menu: their items, made once with their
// captions and shortcuts, and the part of the command state that shows on them.

#include "player/CommandState.h"

class QAction;
class QMainWindow;
class QMenu;

namespace qrl {

class TPlayerMenus {
 public:
  // Makes every item and lays out the owner's menu bar and the popup; the items' shortcuts work
  // while the menu bar is hidden too.
  void CreateMenus(QMainWindow& owner);
  // Enables and shows the items as the command state decides.
  void ApplyMenuState(const TCommandState& c) const;
  // The File menu, which also holds the history of flyers shown.
  QMenu* FileMenu() const { return fileMenu_; }

  // Menu items (the popup shares the display commands with the main menu).
  QAction* MenOpen = nullptr;
  QAction* MenClose = nullptr;
  QAction* NHistory = nullptr;
  QAction* NExit = nullptr;
  QAction* MenSave = nullptr;
  QAction* MenSaveAs = nullptr;
  QAction* MenPrint = nullptr;
  QAction* MenSnapshot = nullptr;
  QAction* MenSend = nullptr;
  QAction* MenSendKick = nullptr;
  QAction* MenExit = nullptr;
  QAction* MenSetOptions = nullptr;
  QAction* MenHelpTopics = nullptr;
  QAction* MenPresentation = nullptr;
  QAction* MenFullScreen = nullptr;
  QAction* MenShowMenu = nullptr;
  QAction* MenShowNavbar = nullptr;
  QAction* MenAbout = nullptr;
  QAction* MenAboutCustom = nullptr;
  QMenu* PupFlyer = nullptr;
  QAction* PupCopyText = nullptr;
  QAction* PupPrintText = nullptr;
  QAction* PupPrintPage = nullptr;
  QAction* PupOpenWebPage = nullptr;
  QAction* N4 = nullptr;
  QAction* PupPresentation = nullptr;
  QAction* PupFullScreen = nullptr;
  QAction* PupShowMenu = nullptr;
  QAction* PupShowNavBar = nullptr;

 private:
  QMenu* fileMenu_ = nullptr;
};

}  // namespace qrl
