#pragma once
// Which commands are available, decided in one place from a snapshot of the window's state.

#include "player/LoadPhase.h"

namespace qrl {

struct TCommandSnapshot {
  TLoadPhase phase;
  bool presentationLayout = false;  // the window is laid out for presentation mode
  bool kickstarterInstalled = false;  // quirekick.exe lies beside the player
};

struct TCommandState {
  bool save = false;           // MenSave, MenSaveAs
  bool send = false;           // MenSend, MenSendKick
  bool sendKickVisible = false;  // MenSendKick
  bool close = false;          // MenClose
  bool print = false;          // MenPrint, and the popup's Print Page
  bool flyerControls = false;  // wsbMute, wsbNote, wsbInfo, Show Menu and Show Nav Bar items
  bool fullScreenVisible = false;
  bool fullScreenEnabled = false;
  bool busyCursor = false;     // hourglass while building and nothing is shown yet
};

TCommandState DeriveCommandState(const TCommandSnapshot& snapshot);

}  // namespace qrl
