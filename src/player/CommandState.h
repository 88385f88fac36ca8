#pragma once
// Which commands are available and which window parts show, decided in one place from a snapshot
// of the window's state. The window gathers the snapshot and applies every field of the result in
// one function; a new command adds a field here, a rule in DeriveCommandState and one line there.

#include <optional>

#include "document/TFlyer.h"
#include "player/LoadPhase.h"

namespace qrl {

struct TCommandSnapshot {
  TLoadPhase phase;
  bool presentationLayout = false;  // the window is laid out for presentation mode
  int historyEntries = 0;           // flyers in the File menu's history
  bool presentationTicked = false;  // Presentation Mode is ticked (the layout may follow later)
  bool showMenuTicked = true;
  bool showNavBarTicked = true;
  bool debugSwitch = false;  // started with -d
  int currentPage = 0;       // 0 while no page is shown
  int pageCount = 0;         // pages including the background page
  bool kickstarterInstalled = false;  // quirekick.exe lies beside the player
  // The flyer's choice of nav-bar buttons, once its navigation block has been read.
  std::optional<TNavBarVisibility> flyerButtons = std::nullopt;
};

struct TControlState {
  bool visible = true;
  bool enabled = false;
  bool operator==(const TControlState&) const = default;
};

struct TCommandState {
  // File menu.
  bool save = false;      // MenSave, MenSaveAs
  bool send = false;      // MenSend, MenSendKick
  bool sendKickVisible = false;  // MenSendKick
  bool close = false;     // MenClose
  bool print = false;     // MenPrint
  bool printPage = false; // the popup's Print Page and the separator after it: visible
  bool snapshotVisible = false;
  bool snapshot = false;
  bool history = true;  // the history items; a request while building waits for the build
  bool historySeparator = false;  // NExit: shown once there is history
  bool options = true;  // MenSetOptions
  // View menu and the popup's display items.
  bool showMenu = false;  // MenShowMenu, PupShowMenu
  bool showNavBar = false;
  bool fullScreenVisible = false;
  bool fullScreenEnabled = false;
  // Nav bar.
  TControlState pageDown, pageUp, mute, note, info, closeButton;
  // Page keys and Esc.
  bool nextPage = false;
  bool previousPage = false;
  bool firstPage = false;
  bool lastPage = false;
  bool leavePresentation = false;
  // Window parts.
  bool menuBarVisible = true;  // the menu cannot be hidden while no flyer is shown
  bool navBarVisible = true;
  bool busyCursor = false;  // hourglass while building and nothing is shown yet
};

TCommandState DeriveCommandState(const TCommandSnapshot& snapshot);

}  // namespace qrl
