#pragma once
// The player's main window: menus, the flyer area and the nav bar; the load phases and the
// request paths through which flyers are opened and closed; page changes, clicks and sounds;
// presentation mode and the window's size rules.

#include "player/ApplicationTitle.h"
#include <QImage>
#include <QMainWindow>
#include <QRect>
#include <QTimer>
#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "document/TLoadObserver.h"
#include "imaging/TScreenMetrics.h"
#include "player/AreaFitting.h"
#include "player/CommandState.h"
#include "player/PointerButtons.h"
#include "player/LoadPhase.h"
#include "player/Preferences.h"
#include "player/TFlyerHistory.h"
#include "player/TLinkOpener.h"
#include "player/TPageHistory.h"
#include "player/TPlayerMenus.h"
#include "player/TPlayerRegistry.h"

class QAction;
class QMenu;
class QSessionManager;

namespace qrl {

class TFlyer;
class TFlyerSender;
class TMailer;
class TCKbOccSound;
class TCKbOccurrence;
class TFlyerPanel;
class TNavBarPanel;
class TPrompts;
class TSettingsStore;
class TSoundPlayer;
class TSplashController;
class THelpWindow;
class TTextMeasurer;
class TUrlOpener;
class TWindowedControls;
class TFlyerOutput;
class TYellowForm;

// The platform services the window uses; the caller keeps them alive longer than the window.
struct TPlayerServices {
  TPrompts& prompts;
  TSoundPlayer& sound;
  TUrlOpener& urls;
  const TTextMeasurer& measurer;
  TMailer& mail;
  TSettingsStore& settings;
};

inline constexpr const char* kVersionText = "1.3.2c";

class TCPlayerForm : public QMainWindow, public TPlayerMenus, private TLoadObserver {
  Q_OBJECT

 public:
  // arguments: the command line without the program name.
  TCPlayerForm(TPlayerServices services, std::vector<std::string> arguments, QWidget* parent = nullptr);
  ~TCPlayerForm() override;

  // Start-up: presentation state from the switches, the flyer named on the command line
  // (loaded completely before returning) or the splash.
  void StartUp();

  // Phases.
  TLoadPhase LoadPhase() const { return loadPhase_; }
  void SetLoadPhase(TLoadPhase value);

  // Request paths: the only ways a flyer is opened or closed.
  void RequestOpen(const QString& path);
  void RequestClose(bool closeApp);
  bool CloseFlyer();
  void UnloadFlyer();

  // Preferences and the history of flyers shown: read at start-up, written on closing; the
  // history also each time a flyer is first shown or saved under a new name.
  void LoadPreferences();
  void SavePreferences();
  void SaveHistory();
  void AddToHistory(const QString& path);
  void HistoryItemClick(int index);
  const TFlyerHistory& FlyerHistory() const { return flyerHistory_; }
  TPreferences Preferences() const;
  // The Options dialog: OK takes the preferences over (written when the window closes).
  void ShowOptions();
  // The user guide at the topic of a help context.
  void ShowHelp(int helpContext);
  THelpWindow* HelpWindow() const;
  // Saving: a copy of the open flyer with the note, over it or (saveAs) where the user chooses.
  // False when nothing was saved (cancelled, or failed: the failure is shown).
  bool SaveFlyer(bool saveAs);
  // Before a changed note would be lost: asks whether to save it (Save As). False when the
  // user cancels, or the save does not happen.
  bool ConfirmNoteSaved(const QString& question);
  TYellowForm* YellowForm() const { return yellowForm_; }
  // The Info window, printing and the snapshot.
  TFlyerOutput& Output() const { return *output_; }
  // The open flyer's file.
  const QString& FileName() const { return fileName_; }
  // A request from a later start of the player: "[OPEN("path")]" or "[QUIT]".
  void SystemExecuteMacro(const QString& macro);
  // Mails the open flyer as a flyer file or packed behind the kickstarter.
  void SendFlyer(bool withKickstarter);
  const TFlyerSender& Sender() const { return *sender_; }

  // Ends the program as Exit does, without asking anything (a termination signal).
  void Terminate();
  // True once Terminate has run: closing asks no questions.
  bool Terminating() const { return terminating_; }

  // The application-wide exception handler: a plain message box.
  void HandleException(const std::exception& e);

  // Navigation and the page view.
  void GoToPage(int page, bool silent);
  void ShowPage(int index, bool silent);
  int CurrentPage() const { return currentPage_; }
  int PageCount() const;
  const TPageHistory& History() const { return history_; }
  const QImage& PageBitmap() const { return pageBitmap_; }
  void pnlFlyerMouseDown(QWidget* sender, Qt::MouseButton button, QPoint position, QPoint globalPosition);
  void pnlFlyerMouseMove(QPoint position);
  // The screen cursor last chosen for the flyer panel (0, 2, 4 or 5).
  int FlyerCursor() const { return flyerCursor_; }

  // Display modes and sizing.
  void ApplyPresentationMode();
  void SizeFlyerArea(bool natural);
  TSize FitFlyerArea(TSize requested) const;
  void FormResize();
  void EnterSizeMove();
  void ExitSizeMove();
  bool InSizeMove() const { return inSizeMove_; }
  // Whether a mouse button is still held: a resize ends when the user lets go of the frame.
  std::function<bool()> ButtonHeld = PointerButtonHeld;
  bool PresentationLayout() const { return presentationLayout_; }
  TSize AreaSize() const;
  TTrackSizes TrackSizes() const;

  // State visible to the tests and the other parts of the window.
  bool OpenedExternally = false;
  bool DeleteOnClose = false;
  QString PendingOpen;
  QString LastFlyerDir;
  QString FlyerTitle;
  int FrameWidth = 0;
  int FrameHeight = 0;
  // Presentation preferences (stored by the preferences).
  bool OpenPresMode = false;
  bool PresFullScr = false;
  bool PresHideMenu = false;
  bool PresHideNavBar = false;
  QString DefBrowser;  // the program for links; empty: the desktop's choice
  // Where the pictures for placeholder texts come from; empty: they stay texts.
  std::string PlaceholderFolder;

  TFlyer* Flyer() const { return flyer_.get(); }
  TNavBarPanel* pnlButtons() const { return pnlButtons_; }
  TFlyerPanel* pnlFlyer() const { return pnlFlyer_; }

 signals:
  // The popup menu was prepared and is about to open at this screen point.
  void PopupRequested(QPoint screenPoint);

 protected:
  void closeEvent(QCloseEvent* event) override;  // FormCloseQuery and FormClose
  bool eventFilter(QObject* watched, QEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void changeEvent(QEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;  // the page keys and Esc
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  // What the sizing arithmetic needs to know of the window, the screen and the flyer.
  TAreaContext AreaContext() const;
  // TLoadObserver: the loader's callbacks.
  void SetCaption(const std::string& text) override;
  void ProcessEvents() override;
  bool CloseRequested() override;
  bool MustFinishBuilding() override;
  void InfoRead(TFlyer& flyer) override;
  void ScanEnded(TFlyer& flyer) override;
  void FirstPageReady(TFlyer& flyer) override;

  void TakePreferences(const TPreferences& preferences);
  void ConnectMenus();
  void CreateClient();
  bool LoadFlyer(const QString& path);
  void ShowFlyer();
  // Every command's enabled and visible state, from DeriveCommandState.
  TCommandSnapshot CommandSnapshot() const;
  void ApplyCommandState();
  void SetShowMenu(bool on);
  void SetShowNavBar(bool on);
  void RefitToFlyer();
  void CentrePresentation();
  void ApplyScale();
  void LayOutClient();
  void ShowRecreated();
  void UpdateTrackSizes();
  void SetClientSize(int width, int height);
  void PlayElementSound(const TCKbOccSound* sound);
  void OpenUrl(const std::string& address);
  void ShowAbout(bool custom);
  void ReleasePage();

  void wsbPageUpClick();
  void wsbPageDownClick();
  void wsbMuteClick();
  void wsbCloseClick();
  void MenOpenClick();
  void PresentationClick();
  void FullScreenClick();
  void ShowMenuClick();
  void ShowNavBarClick();
  void PupCopyTextClick();
  void wsbNoteClick();
  // Runs a command of the flyer's output; what it raises goes to HandleException.
  void RunOutput(const std::function<void(TFlyerOutput&)>& command);
  void CommitData(QSessionManager& manager);
  void PupOpenWebPageClick();
  void pbxFlyerPaint(QPainter& painter);

  bool Switch(char letter) const;
  int SwitchValue(char letter) const;
  QSize ScreenSize() const;
  int CurrentFrameHeight() const;
  void MeasureFrame();
  TScreenMetrics ScreenMetrics() const;
  bool NavBarShown() const;

  TPlayerServices services_;
  TPlayerRegistry registry_;
  TFlyerHistory flyerHistory_;
  TLinkOpener links_;
  THelpWindow* helpWindow_ = nullptr;
  std::vector<std::string> arguments_;
  TLoadPhase loadPhase_;
  bool busyCursor_ = false;
  bool terminating_ = false;
  std::unique_ptr<TFlyer> flyer_;
  QString fileName_;  // the flyer file, deleted on unload when DeleteOnClose
  std::unique_ptr<TWindowedControls> windowed_;
  TPageHistory history_;
  int currentPage_ = 0;
  QImage pageBitmap_;
  QImage screenBitmap_;  // pageBitmap_ at the screen's device pixel ratio
  int flyerCursor_ = 0;
  TCKbOccurrence* popupText_ = nullptr;
  TCKbOccurrence* popupLink_ = nullptr;
  TSplashController* splash_;
  TYellowForm* yellowForm_ = nullptr;
  std::unique_ptr<TFlyerOutput> output_;
  std::unique_ptr<TFlyerSender> sender_;
  QWidget* client_ = nullptr;
  TFlyerPanel* pnlFlyer_ = nullptr;
  TNavBarPanel* pnlButtons_ = nullptr;
  bool presentationLayout_ = false;
  bool framesMeasured_ = false;
  bool resizeAttached_ = true;
  bool inSizeMove_ = false;
  QTimer sizeMoveTimer_;
  QRect savedPlacement_;
  Qt::WindowStates savedWindowState_;
  bool savedShowMenu_ = true;
  bool savedShowNavBar_ = true;
};

}  // namespace qrl
