#include "player/CommandState.h"

namespace qrl {

TCommandState DeriveCommandState(const TCommandSnapshot& s) {
  TCommandState c;
  const bool shown = s.phase.Has(lpShow);
  const bool pageShown = shown && s.currentPage != 0;
  const int lastPage = s.pageCount - 1;

  c.save = s.phase.Has(lpOpened);
  c.send = c.save;
  c.sendKickVisible = s.kickstarterInstalled;
  c.close = !s.phase.Empty();
  c.print = shown;
  c.printPage = pageShown;
  c.snapshotVisible = s.debugSwitch;
  c.snapshot = pageShown;
  c.historySeparator = s.historyEntries > 0;

  c.showMenu = shown;
  c.showNavBar = shown;
  c.fullScreenVisible = s.presentationLayout;
  c.fullScreenEnabled = s.presentationLayout && shown;

  // Without a flyer's choice (nothing loaded, or not read yet) every button shows.
  const TNavBarVisibility buttons = s.flyerButtons.value_or(TNavBarVisibility{});
  c.pageDown = {buttons.PageButtons, pageShown && s.currentPage > 1};
  c.pageUp = {buttons.PageButtons, pageShown && s.currentPage < lastPage};
  c.mute = {buttons.Mute, shown};
  c.note = {buttons.Note, shown};
  c.info = {buttons.Info, shown};
  c.closeButton = {buttons.Close, true};

  c.nextPage = c.pageUp.enabled;
  c.previousPage = c.pageDown.enabled;
  c.firstPage = pageShown && s.currentPage != 1 && lastPage >= 1;
  c.lastPage = pageShown && s.currentPage != lastPage;
  c.leavePresentation = s.presentationTicked || s.presentationLayout;

  c.menuBarVisible = s.showMenuTicked || !shown;
  c.navBarVisible = shown ? s.showNavBarTicked : !s.presentationTicked;
  c.busyCursor = s.phase.Has(lpBuilding) && !shown;
  return c;
}

}  // namespace qrl
