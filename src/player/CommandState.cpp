#include "player/CommandState.h"

namespace qrl {

TCommandState DeriveCommandState(const TCommandSnapshot& s) {
  TCommandState c;
  c.save = s.phase.Has(lpOpened);
  c.send = s.phase.Has(lpOpened);
  c.sendKickVisible = s.kickstarterInstalled;
  c.close = !s.phase.Empty();
  c.print = s.phase.Has(lpShow);
  c.flyerControls = s.phase.Has(lpShow);
  c.fullScreenVisible = s.presentationLayout;
  c.fullScreenEnabled = s.presentationLayout && s.phase.Has(lpShow);
  c.busyCursor = s.phase.Has(lpBuilding) && !s.phase.Has(lpShow);
  return c;
}

}  // namespace qrl
