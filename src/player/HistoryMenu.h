#pragma once
// The File menu's items for the flyers shown last, between the separators NHistory and NExit.

#include <functional>

class QAction;
class QMenu;

namespace qrl {

class TFlyerHistory;

// Replaces the items between the separators by one item per history entry, in list order; a
// click on an item calls onClick with its entry's index.
void RebuildHistoryItems(QMenu& menu, QAction* NHistory, QAction* NExit, const TFlyerHistory& history,
                         const std::function<void(int)>& onClick);

}  // namespace qrl
