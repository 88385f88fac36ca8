#pragma once
// The preferences the player keeps between runs, read once at start-up and written on closing.

#include <QString>

#include "player/TFlyerHistory.h"
#include "player/TPlayerRegistry.h"

namespace qrl {

struct TPreferences {
  QString LastFlyerDir;  // the Open and Save As dialogs start here
  QString DefBrowser;    // the program for web addresses and files; empty: the desktop's choice
  bool OpenPresMode = false;
  bool PresFullScr = false;
  bool PresHideMenu = false;
  bool PresHideNavBar = false;

  bool operator==(const TPreferences&) const = default;
};

// Reads the preferences (missing values take their defaults, the folder `currentDir`) and adds
// the stored history to `history`, oldest first so that number 1 ends at the top.
TPreferences LoadPreferences(TPlayerRegistry& registry, const QString& currentDir, TFlyerHistory& history);
// Writes the preferences, then the history.
void SavePreferences(TPlayerRegistry& registry, const TPreferences& preferences, const TFlyerHistory& history);
// Replaces the stored history by the list's entries, numbered from 1.
void SaveHistory(TPlayerRegistry& registry, const TFlyerHistory& history);

}  // namespace qrl
