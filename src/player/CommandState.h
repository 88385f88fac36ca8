#pragma once
// Which commands are available, decided in one place from a snapshot of the window's state.

#include "player/LoadPhase.h"

namespace qrl {

struct TCommandSnapshot {
  TLoadPhase phase;
  bool presentationLayout = false;  // the window is laid out for presentation mode
  int historyEntries = 0;           // flyers in the File menu's history
};

struct TCommandState {
  bool save = false;           // MenSave, MenSaveAs, MenSend, MenSendKick
  bool close = false;          // MenClose
  bool print = false;          // MenPrint, and the popup's Print Page
  bool flyerControls = false;  // wsbMute, wsbNote, wsbInfo, Show Menu and Show Nav Bar items
  bool fullScreenVisible = false;
  bool fullScreenEnabled = false;
  bool busyCursor = false;     // hourglass while building and nothing is shown yet
  bool historySeparator = false;  // NExit: shown once there is history
  bool history = true;            // the history items; a request while building waits for it
  bool options = true;            // MenSetOptions
};

TCommandState DeriveCommandState(const TCommandSnapshot& snapshot);

}  // namespace qrl
