#include "player/CommandState.h"

namespace qrl {

TCommandState DeriveCommandState(const TCommandSnapshot& s) {
  TCommandState c;
  c.save = s.phase.Has(lpOpened);
  c.close = !s.phase.Empty();
  c.print = s.phase.Has(lpShow);
  c.flyerControls = s.phase.Has(lpShow);
  c.fullScreenVisible = s.presentationLayout;
  c.fullScreenEnabled = s.presentationLayout && s.phase.Has(lpShow);
  c.busyCursor = s.phase.Has(lpBuilding) && !s.phase.Has(lpShow);
  c.historySeparator = s.historyEntries > 0;
  return c;
}

}  // namespace qrl
