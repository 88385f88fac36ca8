#include "player/TCPlayerForm.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QLayout>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPainter>
#include <QScreen>
#include <QSessionManager>
#include <QUrl>
#include <cmath>
#include <filesystem>

#include "document/FlyerCopy.h"
#include "document/TFlyer.h"
#include "document/TFlyerLoader.h"
#include "elements/QtTextMeasurer.h"
#include "elements/TCKbClick.h"
#include "elements/TCKbTekst.h"
#include "format/QuireleafException.h"
#include "player/CommandState.h"
#include "player/HistoryMenu.h"
#include "player/FlyerSaving.h"
#include "player/PageKeys.h"
#include "player/DroppedFiles.h"
#include "player/InstanceMacro.h"
#include "player/KickstarterPath.h"
#include "player/NoteText.h"
#include "player/TFlyerSender.h"
#include "player/PointerSearch.h"
#include "player/SwitchValue.h"
#include "render/FlyerScale.h"
#include "render/RenderPage.h"
#include "render/TScreenDepth.h"
#include "player/TFlyerOutput.h"
#include "player/TFlyerPanel.h"
#include "player/TNavBarPanel.h"
#include "player/TPrompts.h"
#include "player/TSoundPlayer.h"
#include "player/TUrlOpener.h"
#include "player/TWindowedControls.h"
#include "player/WindowedSelection.h"
#include "windows/HelpTopics.h"
#include "player/TYellowForm.h"
#include "windows/NavGlyphs.h"
#include "windows/PlayerCursors.h"
#include "windows/TCustomSplashForm.h"
#include "windows/THelpWindow.h"
#include "windows/TSplashController.h"
#include "windows/TSplashForm.h"

namespace qrl {
namespace {

constexpr int kStartSplashMs = 3000;
constexpr int kLoadSplashMs = 2000;
constexpr int kSizeMoveSettleMs = 250;  // a user's resize counts as finished after this pause
constexpr int kModalRetryMs = 250;      // how often a request from a later start waits for a dialog
const char* const kNoteQuestion = "Text in Note has changed. Do you wish to save changes?";

QString AppTitle() { return QString::fromLatin1(kApplicationTitle); }

QString FromUtf8OrCp1252(const std::string& bytes) {
  const QString text = QString::fromUtf8(bytes);
  return text.contains(QChar::ReplacementCharacter) ? FromCp1252(bytes) : text;
}

// Rounds halves to the even neighbour, as the closing percentages do.
int RoundHalfEven(double value) { return static_cast<int>(std::nearbyint(value)); }

}  // namespace

TCPlayerForm::TCPlayerForm(TPlayerServices services, std::vector<std::string> arguments, QWidget* parent)
    : QMainWindow(parent),
      services_(services),
      registry_(services.settings),
      links_(services.prompts, services.urls, registry_),
      arguments_(std::move(arguments)),
      splash_(new TSplashController(this)),
      sender_(std::make_unique<TFlyerSender>(services.prompts, services.mail, KickstarterPath())) {
  setObjectName(QStringLiteral("CPlayerForm"));
  setWindowTitle(QStringLiteral("(runtime)"));
  setAcceptDrops(true);
  CreateMenus(*this);
  ConnectMenus();
  CreateClient();
  sizeMoveTimer_.setSingleShot(true);
  connect(&sizeMoveTimer_, &QTimer::timeout, this, &TCPlayerForm::ExitSizeMove);
  yellowForm_ = new TYellowForm(this);
  output_ = std::make_unique<TFlyerOutput>(services_.prompts, this);
  // Ctrl+S saves also while the reader types in the note.
  yellowForm_->addAction(MenSave);
  connect(yellowForm_, &TYellowForm::Closed, this, [this] { pnlButtons_->wsbNote->setChecked(false); });
  connect(qApp, &QGuiApplication::commitDataRequest, this, &TCPlayerForm::CommitData);

  // FormCreate.
  SetLoadPhase({});
  setWindowTitle(AppTitle());
  FlyerTitle = AppTitle();
  SetShowMenu(true);
  SetShowNavBar(true);
  pnlButtons_->lblCreator->setText(AppTitle());
  inSizeMove_ = false;
  SetClientSize(TFlyer::kStandardWidth, TFlyer::kStandardHeight + kNavBarHeight);
  if (const QScreen* s = screen()) move(s->availableGeometry().center() - rect().center());
}

TCPlayerForm::~TCPlayerForm() {
  // The controls refer to the flyer's occurrences: they go first.
  windowed_.reset();
  services_.sound.Stop();
}

void TCPlayerForm::ConnectMenus() {
  connect(MenOpen, &QAction::triggered, this, &TCPlayerForm::MenOpenClick);
  connect(MenClose, &QAction::triggered, this, [this] { RequestClose(false); });
  connect(MenSave, &QAction::triggered, this, [this] { SaveFlyer(false); });
  connect(MenSaveAs, &QAction::triggered, this, [this] { SaveFlyer(true); });
  connect(MenSend, &QAction::triggered, this, [this] { SendFlyer(false); });
  connect(MenSendKick, &QAction::triggered, this, [this] { SendFlyer(true); });
  connect(MenExit, &QAction::triggered, this, &QWidget::close);
  connect(MenPresentation, &QAction::triggered, this, &TCPlayerForm::PresentationClick);
  connect(MenFullScreen, &QAction::triggered, this, &TCPlayerForm::FullScreenClick);
  connect(MenShowMenu, &QAction::triggered, this, &TCPlayerForm::ShowMenuClick);
  connect(MenShowNavbar, &QAction::triggered, this, &TCPlayerForm::ShowNavBarClick);
  connect(MenAbout, &QAction::triggered, this, [this] { ShowAbout(false); });
  connect(MenAboutCustom, &QAction::triggered, this, [this] { ShowAbout(true); });
  connect(MenSetOptions, &QAction::triggered, this, &TCPlayerForm::ShowOptions);
  connect(MenHelpTopics, &QAction::triggered, this, [this] { ShowHelp(hcContents); });
  connect(PupCopyText, &QAction::triggered, this, &TCPlayerForm::PupCopyTextClick);
  connect(PupPrintText, &QAction::triggered, this, [this] {
    if (auto* text = dynamic_cast<TCKbOccTekst*>(popupText_))
      RunOutput([text](TFlyerOutput& o) { o.PrintText(LinesFromCp1252(text->Lines)); });
  });
  const auto printPages = [this] {
    if (flyer_) RunOutput([this](TFlyerOutput& o) { o.PrintPages(*flyer_, fileName_, currentPage_); });
  };
  connect(MenPrint, &QAction::triggered, this, printPages);
  connect(PupPrintPage, &QAction::triggered, this, printPages);
  connect(MenSnapshot, &QAction::triggered, this, [this] {
    RunOutput([this](TFlyerOutput& o) { o.Snapshot(*client_, fileName_); });
  });
  connect(PupOpenWebPage, &QAction::triggered, this, &TCPlayerForm::PupOpenWebPageClick);
}

void TCPlayerForm::CreateClient() {
  client_ = new QWidget(this);
  client_->setObjectName(QStringLiteral("client"));
  client_->setAutoFillBackground(true);
  QPalette black = client_->palette();
  black.setColor(QPalette::Window, Qt::black);
  client_->setPalette(black);
  setCentralWidget(client_);
  client_->installEventFilter(this);

  pnlFlyer_ = new TFlyerPanel(client_);
  pnlFlyer_->pbxFlyer->OnPaint = [this](QPainter& p) { pbxFlyerPaint(p); };
  pnlButtons_ = new TNavBarPanel(client_);
  windowed_ = std::make_unique<TWindowedControls>(pnlFlyer_, services_.measurer,
                                                  [this]() -> const QImage& { return screenBitmap_; });

  connect(pnlFlyer_, &TFlyerPanel::MouseDown, this, [this](QWidget* sender, QMouseEvent* e) {
    pnlFlyerMouseDown(sender, e->button(), e->position().toPoint(), e->globalPosition().toPoint());
  });
  connect(pnlFlyer_, &TFlyerPanel::MouseMove, this,
          [this](QMouseEvent* e) { pnlFlyerMouseMove(e->position().toPoint()); });
  connect(pnlButtons_, &TNavBarPanel::MouseDown, this, [this](QWidget* sender, QMouseEvent* e) {
    pnlFlyerMouseDown(sender, e->button(), e->position().toPoint(), e->globalPosition().toPoint());
  });
  connect(pnlButtons_->wsbPageUp, &QAbstractButton::clicked, this, &TCPlayerForm::wsbPageUpClick);
  connect(pnlButtons_->wsbPageDown, &QAbstractButton::clicked, this, &TCPlayerForm::wsbPageDownClick);
  connect(pnlButtons_->wsbMute, &QAbstractButton::clicked, this, &TCPlayerForm::wsbMuteClick);
  connect(pnlButtons_->wsbClose, &QAbstractButton::clicked, this, &TCPlayerForm::wsbCloseClick);
  connect(pnlButtons_->wsbNote, &QAbstractButton::clicked, this, &TCPlayerForm::wsbNoteClick);
  connect(pnlButtons_->wsbInfo, &QAbstractButton::clicked, this, [this] {
    if (flyer_) RunOutput([this](TFlyerOutput& o) { o.ShowInfo(flyer_->InfoSections); });
  });
  connect(pnlButtons_->imgLogo, &TClickableLabel::clicked, this, [this] { ShowAbout(false); });
  connect(pnlButtons_->lblCreator, &TClickableLabel::clicked, this, [this] { ShowAbout(true); });
  connect(pnlButtons_, &TNavBarPanel::HelpRequested, this, &TCPlayerForm::ShowHelp);
  connect(this, &TCPlayerForm::PopupRequested, this, [this](QPoint at) { PupFlyer->popup(at); });
}

// ---------------------------------------------------------------------------------------------
// Start-up, phases, requests.

bool TCPlayerForm::Switch(char letter) const { return SwitchGiven(arguments_, letter); }
int TCPlayerForm::SwitchValue(char letter) const { return qrl::SwitchValue(arguments_, letter); }

void TCPlayerForm::StartUp() {
  SetLoadPhase({});
  LoadPreferences();
  MeasureFrame();
  FrameWidth = width() - client_->width();
  framesMeasured_ = true;
  const int p = SwitchValue('p');
  MenPresentation->setChecked((OpenPresMode && p != 0) || p >= 1);
  if (p == 3) MenFullScreen->setChecked(true);
  MenAboutCustom->setVisible(true);
  ApplyPresentationMode();

  const QString path = QString::fromStdString(FlyerArgument(arguments_));
  OpenedExternally = true;
  DeleteOnClose = false;
  bool opened = false;
  if (!path.isEmpty() && QFileInfo(path).isFile()) {
    DeleteOnClose = Switch('r');
    RequestOpen(path);
    DeleteOnClose = Switch('r');
    opened = flyer_ != nullptr;
  }
  if (!opened && !Switch('t')) splash_->ShowSplash(QString::fromLatin1(kVersionText), {}, kStartSplashMs);
}

void TCPlayerForm::SetLoadPhase(TLoadPhase value) {
  loadPhase_ = value;
  ApplyCommandState();
  UpdateTrackSizes();
}

TCommandSnapshot TCPlayerForm::CommandSnapshot() const {
  TCommandSnapshot s;
  s.phase = loadPhase_;
  s.presentationLayout = presentationLayout_;
  s.presentationTicked = MenPresentation->isChecked();
  s.showMenuTicked = MenShowMenu->isChecked();
  s.showNavBarTicked = MenShowNavbar->isChecked();
  s.debugSwitch = Switch('d');
  s.currentPage = currentPage_;
  s.pageCount = PageCount();
  s.kickstarterInstalled = !sender_->KickstarterPath().isEmpty();
  if (flyer_) s.flyerButtons = flyer_->NavBarVisibility();
  s.historyEntries = static_cast<int>(flyerHistory_.Entries().size());
  return s;
}

void TCPlayerForm::ApplyCommandState() {
  const TCommandState c = DeriveCommandState(CommandSnapshot());
  ApplyMenuState(c);
  pnlButtons_->ApplyButtonState(c);
  if (menuBar()->isVisibleTo(this) != c.menuBarVisible) {
    menuBar()->setVisible(c.menuBarVisible);
    // The size limits read the menu bar's share of the window at once.
    layout()->activate();
  }
  if (pnlButtons_->isVisibleTo(this) != c.navBarVisible) {
    pnlButtons_->setVisible(c.navBarVisible);
    LayOutClient();
  }
  if (c.busyCursor != busyCursor_) {
    busyCursor_ = c.busyCursor;
    if (busyCursor_)
      QApplication::setOverrideCursor(Qt::WaitCursor);
    else
      QApplication::restoreOverrideCursor();
  }
}

void TCPlayerForm::RequestOpen(const QString& requested) {
  SetLoadPhase(loadPhase_.With(lpOpenReq));
  if (loadPhase_.Has(lpBuilding)) {
    PendingOpen = requested;
    return;
  }
  QString path = requested;
  if (path.isEmpty()) {
    path = services_.prompts.OpenFlyerDialog(
        QStringLiteral("Open Quireleaf"),
        QStringLiteral("Quireleaf (*.QRL *.qrl);;Quireleaf Kickstarter (*.EXE *.exe)"), LastFlyerDir);
  }
  if (!path.isEmpty() && QFileInfo(path).isFile()) {
    if (loadPhase_.Has(lpOpened) && !CloseFlyer()) {
      SetLoadPhase(loadPhase_.Without(lpOpenReq));
      return;
    }
    LastFlyerDir = QFileInfo(path).absolutePath();
    LoadFlyer(path);
  }
  SetLoadPhase(loadPhase_.Without(lpOpenReq));
  DeleteOnClose = false;
}

void TCPlayerForm::RequestClose(bool closeApp) {
  if (loadPhase_.Has(lpBuilding)) {
    TLoadPhase p = loadPhase_.With(lpCloseReq);
    if (closeApp) p = p.With(lpCloseApp);
    SetLoadPhase(p);
    return;
  }
  if (closeApp)
    close();
  else
    CloseFlyer();
}

bool TCPlayerForm::CloseFlyer() {
  services_.sound.Stop();
  if (!Switch('t')) splash_->HideSplash(true);
  // A request that slips in while pages print (from another start of the player, say) would
  // pull the flyer from under the printer: it stays open.
  if (output_->Printing() ||
      (!loadPhase_.Has(lpBuilding) && !ConfirmNoteSaved(QString::fromLatin1(kNoteQuestion)))) {
    // The flyer stays open: a close waiting for the builder is over too.
    SetLoadPhase(loadPhase_.Without(lpCloseReq).Without(lpCloseApp));
    return false;
  }
  UnloadFlyer();
  pnlFlyer_->update();
  if (loadPhase_.Has(lpCloseApp)) QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
  return true;
}

void TCPlayerForm::UnloadFlyer() {
  QApplication::setOverrideCursor(Qt::WaitCursor);
  services_.sound.Stop();
  windowed_->Clear();
  yellowForm_->hide();
  pnlButtons_->wsbNote->setChecked(false);
  if (flyer_) {
    flyer_->TempFiles().DeleteAllTempFiles();
    setWindowTitle(FlyerTitle + QStringLiteral(" (closing)"));
    const std::size_t count = flyer_->Elements.size();
    for (std::size_t number = 1; number <= count; ++number) {
      if (number % 100 == 0) {
        const int percent = RoundHalfEven(static_cast<double>(number) * 100.0 / static_cast<double>(count));
        setWindowTitle(FlyerTitle + QStringLiteral(" (closing %1%)").arg(percent));
      }
      TSaveRec& entry = *flyer_->Elements[number - 1];
      entry.Control.reset();
      entry.Sound.reset();
    }
    flyer_->Unload();
    flyer_.reset();
  }
  history_.Clear();
  currentPage_ = 0;
  popupText_ = nullptr;
  popupLink_ = nullptr;
  FlyerTitle = AppTitle();
  setWindowTitle(FlyerTitle);
  pageBitmap_ = QImage();
  screenBitmap_ = QImage();
  pnlButtons_->lblCreator->setText(AppTitle());
  SetLoadPhase(loadPhase_.Intersect({lpCloseApp, lpOpenReq}));
  SetShowMenu(MenShowMenu->isChecked());
  SetShowNavBar(MenShowNavbar->isChecked());
  flyerCursor_ = crDefaultArrow;
  pnlFlyer_->unsetCursor();
  QApplication::restoreOverrideCursor();
  if (DeleteOnClose && !fileName_.isEmpty()) {
    QFile::remove(fileName_);
    DeleteOnClose = false;
  }
  fileName_.clear();
}

bool TCPlayerForm::SaveFlyer(bool saveAs) {
  if (!loadPhase_.Has(lpOpened) || !flyer_) return false;
  QString target = fileName_;
  if (saveAs) {
    const TSaveDialogSetup setup = SaveDialogSetup(fileName_, LastFlyerDir, !sender_->KickstarterPath().isEmpty());
    target = services_.prompts.SaveFlyerDialog(setup.directory, setup.fileName, setup.filters, setup.filterIndex);
    if (target.isEmpty()) return false;
  }
  // A failure is shown here and counts as not saved, so that no way of closing goes on to lose
  // the note after it.
  try {
    const TStoredNote note = NoteToStore(*yellowForm_, {flyer_->NoteLines, flyer_->NoteBounds});
    WriteNoteCopy(fileName_, target, note, sender_->KickstarterPath());
    flyer_->NoteLines = note.lines;
    flyer_->NoteBounds = note.bounds;
  } catch (const std::exception& e) {
    HandleException(e);
    return false;
  }
  fileName_ = target;
  AddToHistory(QFileInfo(target).absoluteFilePath());
  SaveHistory();
  const std::string title = flyer_->InfoValue("Flyer Info", "Title");
  setWindowTitle(title.empty() ? fileName_ : FromCp1252(title));
  DeleteOnClose = false;
  FlyerTitle = windowTitle();
  yellowForm_->NoteModified = false;
  return true;
}

bool TCPlayerForm::ConfirmNoteSaved(const QString& question) {
  // A player told to end by a signal has nobody to answer: a question would keep it running
  // until it is killed outright.
  if (!yellowForm_->NoteModified || !loadPhase_.Has(lpOpened) || terminating_) return true;
  switch (services_.prompts.AskYesNoCancel(question)) {
    case TAnswer::Yes: return SaveFlyer(true);
    case TAnswer::No: return true;
    case TAnswer::Cancel: return false;
  }
  return false;
}

void TCPlayerForm::CommitData(QSessionManager& manager) {
  // The desktop session is ending: the same question as any other way out, when it may be asked.
  if (!yellowForm_->NoteModified || !loadPhase_.Has(lpOpened) || !manager.allowsInteraction()) return;
  const bool goOn = ConfirmNoteSaved(QString::fromLatin1(kNoteQuestion));
  manager.release();
  if (!goOn) manager.cancel();
}

void TCPlayerForm::wsbNoteClick() { yellowForm_->setVisible(pnlButtons_->wsbNote->isChecked()); }

void TCPlayerForm::SystemExecuteMacro(const QString& macro) {
  // Not while a dialog or question waits for the user: what it asks about must stay as it is.
  if (QApplication::activeModalWidget() != nullptr) {
    QTimer::singleShot(kModalRetryMs, this, [this, macro] { SystemExecuteMacro(macro); });
    return;
  }
  const TInstanceMacro request = ParseInstanceMacro(macro.toStdString());
  if (request.Command == "OPEN") {
    raise();
    activateWindow();
    OpenedExternally = true;
    RequestOpen(QString::fromStdString(request.Argument));
  } else if (request.Command == "QUIT") {
    RequestClose(true);
  }
}

void TCPlayerForm::SendFlyer(bool withKickstarter) {
  TSendHooks hooks;
  hooks.FileName = [this] { return fileName_; };
  hooks.NoteModified = [this] { return yellowForm_->NoteModified; };
  hooks.SaveAs = [this] { return SaveFlyer(true); };
  hooks.WriteFlyerCopy = [this](const QString& target) {
    WriteNoteCopy(fileName_, target, NoteToStore(*yellowForm_, {flyer_->NoteLines, flyer_->NoteBounds}),
                  sender_->KickstarterPath());
  };
  sender_->SendFlyer(withKickstarter, hooks);
}

void TCPlayerForm::RunOutput(const std::function<void(TFlyerOutput&)>& command) {
  try {
    command(*output_);
  } catch (const std::exception& e) {
    HandleException(e);
  }
}

void TCPlayerForm::HandleException(const std::exception& e) {
  services_.prompts.ShowMessage(FromUtf8OrCp1252(HandleExceptionMessage(e, Switch('d'))));
}

// ---------------------------------------------------------------------------------------------
// Loading.

bool TCPlayerForm::LoadFlyer(const QString& path) {
  windowed_->Clear();
  history_.Clear();
  pageBitmap_ = QImage();
  screenBitmap_ = QImage();
  currentPage_ = 0;
  pnlButtons_->wsbMute->setChecked(Switch('s'));
  pnlButtons_->wsbNote->setChecked(false);
  yellowForm_->SetLines({});
  SetLoadPhase({lpLoading, lpBuilding});
  bool result = false;
  fileName_ = path;
  try {
    flyer_ = std::make_unique<TFlyer>(services_.measurer, ScreenMetrics());
    flyer_->FlyerTitle = FlyerTitle.toStdString();
    flyer_->Context().ScreenBitsPerPixel = TScreenDepth::BitsPerPixel();
    // The loader refers to the flyer: it is gone before any unloading below.
    const TLoadResult outcome = [&] {
      TFlyerLoader loader(*flyer_, *this, PlaceholderFolder);
      return loader.LoadFlyer(path.toStdString());
    }();
    SetLoadPhase(loadPhase_.Without(lpLoading));
    if (outcome == TLoadResult::lrClosedInScan) {
      if (!Switch('t')) splash_->HideSplash(true);
      CloseFlyer();
      QApplication::restoreOverrideCursor();
      return false;
    }
    if (outcome == TLoadResult::lrComplete || outcome == TLoadResult::lrClosedAfterBuild)
      SetLoadPhase(loadPhase_.Without(lpBuilding).With(lpOpened));
    // A close that finds a changed note may be cancelled: the flyer then stays open.
    if (outcome == TLoadResult::lrComplete || !CloseFlyer()) {
      setWindowTitle(FlyerTitle);
      result = true;
    }
  } catch (const std::exception& e) {
    UnloadFlyer();
    HandleException(e);
  }
  if (!Switch('t')) splash_->HideSplash(false);
  if (loadPhase_.Has(lpOpenReq)) RequestOpen(PendingOpen);
  return result;
}

void TCPlayerForm::SetCaption(const std::string& text) { setWindowTitle(FromCp1252(text)); }

void TCPlayerForm::ProcessEvents() { QApplication::processEvents(); }

bool TCPlayerForm::CloseRequested() { return loadPhase_.Has(lpCloseReq); }

// A changed note on a shown flyer can only be saved once every page is built.
bool TCPlayerForm::MustFinishBuilding() { return loadPhase_.Has(lpShow) && yellowForm_->NoteModified; }

void TCPlayerForm::InfoRead(TFlyer& flyer) {
  FlyerTitle = FromCp1252(flyer.FlyerTitle);
  setWindowTitle(FlyerTitle);
  const std::string creator = flyer.InfoValue("Special", "Creator");
  pnlButtons_->lblCreator->setText(creator.empty() ? QStringLiteral("Quireleaf") : FromCp1252(creator));
  if (!flyer.IsStandardSize()) MenPresentation->setChecked(true);
  if (!Switch('t'))
    splash_->ShowSplash(QString::fromLatin1(kVersionText), FromCp1252(flyer.InfoValue("Special", "Company")),
                        kLoadSplashMs);
}

void TCPlayerForm::ScanEnded(TFlyer& flyer) {
  SetLoadPhase(loadPhase_.Without(lpLoading));
  yellowForm_->SetLines(LinesFromCp1252(flyer.NoteLines));
  yellowForm_->PlaceRelativeToOwner(flyer.NoteBounds);
  if (flyer.Context().ScreenBitsPerPixel == 8) pnlButtons_->SetColour(Qt::black);
}

void TCPlayerForm::FirstPageReady(TFlyer&) {
  if (!Switch('t')) splash_->HideSplash(false);
  SizeFlyerArea(MenPresentation->isChecked());
  GoToPage(1, false);
}

void TCPlayerForm::ShowFlyer() {
  if (loadPhase_.Has(lpShow)) return;
  if (!DeleteOnClose) AddToHistory(QFileInfo(fileName_).absoluteFilePath());
  SaveHistory();
  if (flyer_ && !flyer_->NoteLines.empty()) {
    pnlButtons_->wsbNote->setChecked(true);
    yellowForm_->show();
  }
  yellowForm_->NoteModified = false;
  SetLoadPhase(loadPhase_.With(lpShow));
  SetShowMenu(MenShowMenu->isChecked());
  SetShowNavBar(MenShowNavbar->isChecked());
  ApplyPresentationMode();
}

// ---------------------------------------------------------------------------------------------
// Page view.

int TCPlayerForm::PageCount() const { return flyer_ ? static_cast<int>(flyer_->Pages.size()) : 0; }

void TCPlayerForm::GoToPage(int page, bool silent) {
  history_.GoTo(page);
  ShowPage(page, silent);
}

void TCPlayerForm::ShowPage(int index, bool silent) {
  if (!flyer_ || index < 0 || index >= PageCount()) return;
  TPlayerPage& page = *flyer_->Pages[static_cast<std::size_t>(index)];
  if (!page.Built) flyer_->BuildPage(index);
  pageBitmap_ = RenderPage(*flyer_, index);
  // On a high-density screen the view gets its own drawing at the screen's resolution.
  const double deviceScale = devicePixelRatioF();
  screenBitmap_ = deviceScale == 1.0 ? pageBitmap_ : RenderPageForScreen(*flyer_, index, deviceScale);
  const std::vector<TCKbOccurrence*>& background = flyer_->Pages[0]->WindowedList;
  if (currentPage_ != 0)
    for (TCKbOccurrence* o : flyer_->Pages[currentPage_]->WindowedList) windowed_->Hide(o);
  for (TCKbOccurrence* o : background) windowed_->Hide(o);
  currentPage_ = index;
  // Background controls follow every rescale and draw over the new page; they lie under the
  // page's own controls. Each is raised as it is shown, bottom to top.
  for (TCKbOccurrence* o : WindowedToShow(background, page.WindowedList)) windowed_->Show(o);
  ShowFlyer();
  pnlFlyer_->pbxFlyer->repaint();
  if (page.Sound != nullptr && !silent) PlayElementSound(page.Sound);
  ApplyCommandState();
}

void TCPlayerForm::pbxFlyerPaint(QPainter& painter) {
  if (!loadPhase_.Has(lpShow) || screenBitmap_.isNull()) return;
  painter.drawImage(QPoint(0, 0), screenBitmap_);
}

void TCPlayerForm::pnlFlyerMouseMove(QPoint position) {
  if (!loadPhase_.Has(lpShow) || currentPage_ == 0 || !flyer_) return;
  const TPointerHit hit = FindOccurrenceUnderPointer(flyer_->Pages[currentPage_]->DrawList,
                                                     flyer_->Pages[0]->DrawList, true, position.x(), position.y());
  const int shape = PointerShapeFor(hit.found);
  if (shape == flyerCursor_) return;
  flyerCursor_ = shape;
  if (shape == crDefaultArrow)
    pnlFlyer_->unsetCursor();
  else
    pnlFlyer_->setCursor(PlayerCursor(shape, devicePixelRatioF()));
}

void TCPlayerForm::pnlFlyerMouseDown(QWidget* sender, Qt::MouseButton button, QPoint position,
                                     QPoint globalPosition) {
  if (button == Qt::MiddleButton) return;
  TPointerHit hit;
  const bool pageShown = loadPhase_.Has(lpShow) && currentPage_ != 0 && flyer_;
  // Only the flyer area is in flyer coordinates: a click on the nav bar, the menu bar or the
  // black margin of presentation mode hits nothing on the page.
  const bool onPage = sender == pnlFlyer_;
  if (pageShown && onPage)
    hit = FindOccurrenceUnderPointer(flyer_->Pages[currentPage_]->DrawList, flyer_->Pages[0]->DrawList,
                                     button == Qt::LeftButton, position.x(), position.y());
  if (button == Qt::LeftButton) {
    auto* click = dynamic_cast<TCKbOccClick*>(hit.found);
    if (click == nullptr) return;
    const bool silent = click->ClickSound != nullptr;
    if (silent) PlayElementSound(click->ClickSound);
    const TClickOutcome outcome = ClickOutcome(click->Action, currentPage_, PageCount(), history_);
    switch (outcome.effect) {
      case TClickEffect::None: break;
      case TClickEffect::GoToPage: GoToPage(outcome.page, silent); break;
      case TClickEffect::Back: ShowPage(history_.Back(currentPage_), silent); break;
      case TClickEffect::Close: RequestClose(OpenedExternally); break;
      case TClickEffect::OpenUrl: OpenUrl(click->LinkText); break;
    }
    return;
  }
  if (button != Qt::RightButton) return;
  const TPopupItems items = PopupItemsFor(pageShown, hit);
  PupCopyText->setVisible(items.copyText);
  PupPrintText->setVisible(items.copyText);
  PupOpenWebPage->setVisible(items.openWebPage);
  if (items.popupText) popupText_ = items.popupText;
  if (items.popupLink) popupLink_ = items.popupLink;
  // The pointer's own screen position: adding the sender's offset to the window's would count
  // the window's position twice when the window itself is the sender.
  emit PopupRequested(globalPosition + QPoint(10, 10));
}

void TCPlayerForm::PlayElementSound(const TCKbOccSound* sound) {
  if (sound == nullptr || pnlButtons_->wsbMute->isChecked()) return;
  services_.sound.Play(QString::fromStdString(sound->WaveFileName), sound->Loop);
}

void TCPlayerForm::OpenUrl(const std::string& address) {
  // A relative file name in a flyer means a file beside it.
  links_.OpenUrl(FromCp1252(address), DefBrowser, fileName_.isEmpty() ? QString() : QFileInfo(fileName_).absolutePath());
}

void TCPlayerForm::PupCopyTextClick() {
  if (auto* text = dynamic_cast<TCKbOccTekst*>(popupText_))
    QApplication::clipboard()->setText(FromCp1252(text->WholeText()));
}

void TCPlayerForm::PupOpenWebPageClick() {
  if (auto* link = dynamic_cast<TCKbOccClick*>(popupLink_)) OpenUrl(link->LinkText);
}

void TCPlayerForm::ShowAbout(bool custom) {
  const auto openLink = [this](const QString& address) { links_.OpenWithDefaultLink(false, address); };
  if (custom) {
    TCustomSplashForm about(QString::fromLatin1(kVersionText), {}, true, this);
    connect(&about, &TCustomSplashForm::LinkActivated, this, openLink);
    about.exec();
    return;
  }
  TSplashForm about(QString::fromLatin1(kVersionText), this);
  connect(&about, &TSplashForm::LinkActivated, this, openLink);
  about.exec();
}

// ---------------------------------------------------------------------------------------------
// Preferences, history, options and help.

TPreferences TCPlayerForm::Preferences() const {
  return {LastFlyerDir, DefBrowser, OpenPresMode, PresFullScr, PresHideMenu, PresHideNavBar};
}

void TCPlayerForm::TakePreferences(const TPreferences& p) {
  LastFlyerDir = p.LastFlyerDir;
  DefBrowser = p.DefBrowser;
  OpenPresMode = p.OpenPresMode;
  PresFullScr = p.PresFullScr;
  PresHideMenu = p.PresHideMenu;
  PresHideNavBar = p.PresHideNavBar;
}

void TCPlayerForm::LoadPreferences() {
  TFlyerHistory stored;
  TakePreferences(qrl::LoadPreferences(registry_, QDir::currentPath(), stored));
  for (auto it = stored.Entries().crbegin(); it != stored.Entries().crend(); ++it) AddToHistory(*it);
}

void TCPlayerForm::SavePreferences() { qrl::SavePreferences(registry_, Preferences(), flyerHistory_); }

void TCPlayerForm::SaveHistory() { qrl::SaveHistory(registry_, flyerHistory_); }

void TCPlayerForm::AddToHistory(const QString& path) {
  flyerHistory_.Add(path);
  RebuildHistoryItems(*FileMenu(), NHistory, NExit, flyerHistory_, [this](int index) { HistoryItemClick(index); });
  ApplyCommandState();
}

void TCPlayerForm::HistoryItemClick(int index) {
  if (index < 0 || index >= flyerHistory_.Entries().size()) return;
  OpenedExternally = false;
  RequestOpen(flyerHistory_.Entries()[index]);
}

void TCPlayerForm::ShowOptions() {
  TPreferences p = Preferences();
  if (services_.prompts.EditOptions(p)) TakePreferences(p);
}

void TCPlayerForm::ShowHelp(int helpContext) {
  if (helpWindow_ == nullptr) helpWindow_ = new THelpWindow(this);
  helpWindow_->ShowTopic(helpContext);
}

THelpWindow* TCPlayerForm::HelpWindow() const { return helpWindow_; }

// ---------------------------------------------------------------------------------------------
// Nav bar and commands.

void TCPlayerForm::wsbPageUpClick() {
  if (currentPage_ < PageCount() - 1) GoToPage(currentPage_ + 1, false);
}

void TCPlayerForm::wsbPageDownClick() {
  if (currentPage_ > 1) GoToPage(currentPage_ - 1, false);
}

void TCPlayerForm::wsbMuteClick() {
  if (pnlButtons_->wsbMute->isChecked()) {
    services_.sound.Stop();
    return;
  }
  if (flyer_ && currentPage_ != 0) PlayElementSound(flyer_->Pages[currentPage_]->Sound);
}

void TCPlayerForm::wsbCloseClick() {
  const bool flyerPresent = loadPhase_.Has(lpLoading) || loadPhase_.Has(lpBuilding) || loadPhase_.Has(lpShow);
  RequestClose(OpenedExternally || !flyerPresent);
}

void TCPlayerForm::MenOpenClick() {
  OpenedExternally = false;
  RequestOpen({});
}

void TCPlayerForm::SetShowMenu(bool on) {
  MenShowMenu->setChecked(on);
  ApplyCommandState();
  UpdateTrackSizes();
}

void TCPlayerForm::SetShowNavBar(bool on) {
  const bool wasHidden = !NavBarShown();
  MenShowNavbar->setChecked(on);
  ApplyCommandState();
  // The flyer area keeps its size: the window grows by the bar.
  if (on && wasHidden && !MenPresentation->isChecked() && NavBarShown())
    SetClientSize(client_->width(), client_->height() + kNavBarHeight);
  LayOutClient();
  UpdateTrackSizes();
}

void TCPlayerForm::PresentationClick() {
  // The action has toggled its own tick already.
  ApplyPresentationMode();
}

void TCPlayerForm::FullScreenClick() { RefitToFlyer(); }

void TCPlayerForm::ShowMenuClick() {
  const bool on = MenShowMenu->isChecked();
  const QSize client = client_->size();
  resizeAttached_ = false;
  SetShowMenu(on);
  // The menu bar lies outside the client: the window grows or shrinks by it, the flyer area stays.
  if (!presentationLayout_ && loadPhase_.Has(lpShow)) SetClientSize(client.width(), client.height());
  resizeAttached_ = true;
  savedShowMenu_ = MenShowMenu->isChecked();
  FormResize();
  CentrePresentation();
}

void TCPlayerForm::ShowNavBarClick() {
  const bool on = MenShowNavbar->isChecked();
  resizeAttached_ = false;
  SetShowNavBar(on);
  resizeAttached_ = true;
  savedShowNavBar_ = MenShowNavbar->isChecked();
  FormResize();
}

// ---------------------------------------------------------------------------------------------
// Display modes and sizing.

QSize TCPlayerForm::ScreenSize() const {
  const QScreen* s = screen();
  if (s == nullptr) return {TFlyer::kStandardWidth, TFlyer::kStandardHeight + kNavBarHeight};
  if (presentationLayout_) return s->geometry().size();
  // The window frame of the window manager is not part of the window's geometry.
  const QSize decoration = frameGeometry().size() - size();
  return s->availableGeometry().size() - decoration;
}

TScreenMetrics TCPlayerForm::ScreenMetrics() const {
  TScreenMetrics m;
  m.bitsPerPixel = TScreenDepth::BitsPerPixel();
  const QScreen* s = screen();
  if (s == nullptr) return m;
  m.dpiX = qRound(s->logicalDotsPerInchX());
  m.dpiY = qRound(s->logicalDotsPerInchY());
  m.horzRes = s->geometry().width();
  m.vertRes = s->geometry().height();
  if (s->physicalSize().width() >= 1 && s->physicalSize().height() >= 1) {
    m.horzSizeMm = qRound(s->physicalSize().width());
    m.vertSizeMm = qRound(s->physicalSize().height());
  }
  return m;
}

int TCPlayerForm::CurrentFrameHeight() const { return height() - client_->height(); }

void TCPlayerForm::MeasureFrame() {
  // Qt's window size leaves out the window manager's decoration, as the limits and resize() do:
  // what lies between window and client is the menu bar alone.
  layout()->activate();
  FrameHeight = height() - client_->height();
}

bool TCPlayerForm::NavBarShown() const { return pnlButtons_->isVisibleTo(this); }

TAreaContext TCPlayerForm::AreaContext() const {
  TAreaContext c;
  const QSize screenSize = ScreenSize();
  c.screen = {screenSize.width(), screenSize.height()};
  c.frameWidth = FrameWidth;
  c.frameHeight = FrameHeight;
  c.nav = NavAllowance(NavBarShown(), pnlButtons_->height(), !menuBar()->isVisibleTo(this), CurrentFrameHeight(),
                       FrameHeight);
  c.flyerKnown = flyer_ && (loadPhase_.Has(lpBuilding) || loadPhase_.Has(lpShow));
  if (flyer_) c.flyer = {flyer_->FlyerWidth, flyer_->FlyerHeight};
  return c;
}

TSize TCPlayerForm::FitFlyerArea(TSize requested) const { return qrl::FitFlyerArea(AreaContext(), requested); }

TSize TCPlayerForm::AreaSize() const {
  if (flyer_) return {flyer_->AreaWidth, flyer_->AreaHeight};
  return {pnlFlyer_->width(), pnlFlyer_->height()};
}

TTrackSizes TCPlayerForm::TrackSizes() const { return WindowTrackSizes(AreaContext(), pnlButtons_->height()); }

void TCPlayerForm::UpdateTrackSizes() {
  // The limits need the frame, which StartUp measures once the window is up.
  if (client_ == nullptr || pnlButtons_ == nullptr || !framesMeasured_) return;
  if (presentationLayout_) {
    setMinimumSize(0, 0);
    setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    return;
  }
  const TTrackSizes t = TrackSizes();
  setMinimumSize(t.minTrackSize.width, t.minTrackSize.height);
  setMaximumSize(std::max(t.maxSize.width, t.minTrackSize.width), std::max(t.maxSize.height, t.minTrackSize.height));
}

void TCPlayerForm::SetClientSize(int width, int height) {
  const bool attached = resizeAttached_;
  resizeAttached_ = false;
  // The client's size is only known once the main window's layout has placed it.
  layout()->activate();
  const QSize extra = size() - client_->size();
  resize(width + extra.width(), height + extra.height());
  LayOutClient();
  resizeAttached_ = attached;
}

void TCPlayerForm::SizeFlyerArea(bool natural) {
  pnlButtons_->setFixedHeight(kNavBarHeight);
  TSize requested{pnlFlyer_->width(), pnlFlyer_->height()};
  if (MenFullScreen->isChecked() && MenPresentation->isChecked()) {
    const QSize s = screen() ? screen()->geometry().size() : QSize(requested.width, requested.height);
    requested = {s.width(), s.height()};
  } else if (natural && flyer_) {
    requested = {flyer_->FlyerWidth, flyer_->FlyerHeight};
  }
  const TSize area = FitFlyerArea(requested);
  if (flyer_) {
    flyer_->AreaWidth = area.width;
    flyer_->AreaHeight = area.height;
  }
  if (!presentationLayout_ && !inSizeMove_) {
    const int nav = NavBarShown() ? pnlButtons_->height() : 0;
    SetClientSize(area.width, area.height + nav);
  }
  CentrePresentation();
  ApplyScale();
  UpdateTrackSizes();
}

void TCPlayerForm::CentrePresentation() {
  if (!presentationLayout_) return;
  const TSize area = AreaSize();
  const QSize s = ScreenSize();
  const TPresentationLayout layout =
      qrl::CentrePresentation({s.width(), s.height()}, client_->height(), area, pnlButtons_->height());
  pnlFlyer_->setGeometry(layout.pageView.left, layout.pageView.top, layout.pageView.width, layout.pageView.height);
  pnlButtons_->setGeometry(layout.navBar.left, layout.navBar.top, layout.navBar.width, layout.navBar.height);
}

void TCPlayerForm::ApplyScale() {
  if (flyer_) qrl::ApplyScale(*flyer_);
}

void TCPlayerForm::RefitToFlyer() {
  if (loadPhase_.Has(lpShow) || (loadPhase_.Has(lpBuilding) && !loadPhase_.Has(lpLoading))) {
    SizeFlyerArea(true);
    if (loadPhase_.Has(lpShow)) ShowPage(currentPage_, true);
  }
}

void TCPlayerForm::FormResize() {
  if (presentationLayout_ || inSizeMove_) return;
  if (!(loadPhase_.Has(lpShow) || (loadPhase_.Has(lpBuilding) && !loadPhase_.Has(lpLoading)))) return;
  const TSize before = AreaSize();
  SizeFlyerArea(false);
  // A page is drawn once per change of its look; an unchanged area needs no new drawing.
  if (loadPhase_.Has(lpShow) && (AreaSize() != before || pageBitmap_.size() != QSize(before.width, before.height)))
    ShowPage(currentPage_, true);
}

void TCPlayerForm::EnterSizeMove() { inSizeMove_ = true; }

void TCPlayerForm::ExitSizeMove() {
  sizeMoveTimer_.stop();
  if (!inSizeMove_) return;
  // A pause with the button still held is not the end of the drag.
  if (ButtonHeld && ButtonHeld()) {
    sizeMoveTimer_.start(kSizeMoveSettleMs);
    return;
  }
  inSizeMove_ = false;
  FormResize();
}

void TCPlayerForm::ApplyPresentationMode() {
  const bool attached = resizeAttached_;
  resizeAttached_ = false;
  if (MenPresentation->isChecked()) {
    if (!presentationLayout_) {
      const bool fullScreen = MenFullScreen->isChecked() || isMaximized() || (PresFullScr && SwitchValue('p') != 2);
      MenFullScreen->setChecked(fullScreen);
      savedShowMenu_ = MenShowMenu->isChecked();
      savedShowNavBar_ = MenShowNavbar->isChecked();
      if (PresHideMenu) SetShowMenu(false);
      SetShowNavBar(PresHideNavBar ? false : MenShowNavbar->isChecked());
      savedPlacement_ = normalGeometry();
      savedWindowState_ = windowState();
    }
    presentationLayout_ = true;
    ApplyCommandState();
    pnlFlyer_->SetColour(Qt::black);
    setWindowFlag(Qt::FramelessWindowHint, true);
    setWindowState(Qt::WindowFullScreen);
    ShowRecreated();
    UpdateTrackSizes();
    // Without a window manager nobody enlarges a full-screen window; cover the screen ourselves.
    if (const QScreen* screen = this->screen()) setGeometry(screen->geometry());
    RefitToFlyer();
  } else {
    pnlFlyer_->SetColour(palette().color(QPalette::Button));
    if (presentationLayout_) {
      presentationLayout_ = false;
      // The bars and the size limits change while the window is hidden for its new frame, and
      // the placement goes with its mapping: a visible window clamped to the new limits would
      // ask the window manager for a size that may arrive after the placement and overrule it.
      setWindowFlag(Qt::FramelessWindowHint, false);
      ApplyCommandState();
      SetShowMenu(savedShowMenu_);
      SetShowNavBar(savedShowNavBar_);
      setWindowState(savedWindowState_);
      if (savedPlacement_.isValid()) setGeometry(savedPlacement_);
      ShowRecreated();
    }
    LayOutClient();
    MeasureFrame();
    UpdateTrackSizes();
  }
  resizeAttached_ = attached;
  FormResize();
  setAcceptDrops(true);
}

void TCPlayerForm::ShowRecreated() {
  show();
  // Changing the frame recreates the window; without a window manager nobody would give the new
  // one the keyboard, and the keys (Esc above all) would go nowhere.
  activateWindow();
}

void TCPlayerForm::LayOutClient() {
  if (presentationLayout_) {
    CentrePresentation();
    return;
  }
  const int nav = NavBarShown() ? pnlButtons_->height() : 0;
  pnlFlyer_->setGeometry(0, 0, client_->width(), std::max(client_->height() - nav, 0));
  pnlButtons_->setGeometry(0, client_->height() - nav, client_->width(), pnlButtons_->height());
}

// ---------------------------------------------------------------------------------------------
// Window events.

void TCPlayerForm::changeEvent(QEvent* event) {
  QMainWindow::changeEvent(event);
  // Full screen belongs to presentation mode. A window manager that carries out the full-screen
  // request of a presentation just left, after the leaving, is put right.
  if (event->type() == QEvent::WindowStateChange && !presentationLayout_ && isFullScreen()) {
    setWindowState(windowState() & ~Qt::WindowFullScreen);
    if (savedPlacement_.isValid()) setGeometry(savedPlacement_);
  }
}

void TCPlayerForm::resizeEvent(QResizeEvent* event) {
  QMainWindow::resizeEvent(event);
  // Only the window system resizes on the user's behalf; the window's own resizes arrive here too,
  // sometimes late, and must not hold the layout back.
  if (!resizeAttached_ || presentationLayout_ || !event->spontaneous()) return;
  // The user drags the frame: re-lay out the flyer only when the dragging has ended.
  EnterSizeMove();
  sizeMoveTimer_.start(kSizeMoveSettleMs);
}

bool TCPlayerForm::eventFilter(QObject* watched, QEvent* event) {
  if (watched == client_ && event->type() == QEvent::Resize) LayOutClient();
  return QMainWindow::eventFilter(watched, event);
}

void TCPlayerForm::closeEvent(QCloseEvent* event) {
  if (loadPhase_.Has(lpBuilding)) {
    SetLoadPhase(loadPhase_.With(lpCloseReq).With(lpCloseApp));
    event->ignore();
    return;
  }
  if (loadPhase_.Has(lpOpened)) {
    SetLoadPhase(loadPhase_.Without(lpCloseApp));
    if (!CloseFlyer()) {
      event->ignore();
      return;
    }
  }
  services_.sound.Stop();
  splash_->HideSplash(true);
  SavePreferences();
  event->accept();
}

void TCPlayerForm::keyPressEvent(QKeyEvent* event) {
  const TCommandState c = DeriveCommandState(CommandSnapshot());
  switch (PageKeyFor(event->key(), event->modifiers())) {
    case TPageKey::None:
      QMainWindow::keyPressEvent(event);
      return;
    case TPageKey::Next:
      if (c.nextPage) GoToPage(currentPage_ + 1, false);
      break;
    case TPageKey::Previous:
      if (c.previousPage) GoToPage(currentPage_ - 1, false);
      break;
    case TPageKey::First:
      if (c.firstPage) GoToPage(1, false);
      break;
    case TPageKey::Last:
      if (c.lastPage) GoToPage(PageCount() - 1, false);
      break;
    case TPageKey::LeavePresentation:
      if (!c.leavePresentation) return QMainWindow::keyPressEvent(event);
      MenPresentation->setChecked(false);
      ApplyPresentationMode();
      break;
  }
  event->accept();
}

void TCPlayerForm::Terminate() {
  terminating_ = true;
  // Open dialogs would wait for an answer nobody gives any more.
  for (QWidget* window : QApplication::topLevelWidgets())
    if (window != this && window->isVisible()) window->close();
  RequestClose(true);
}

void TCPlayerForm::mousePressEvent(QMouseEvent* event) {
  pnlFlyerMouseDown(this, event->button(), event->position().toPoint(), event->globalPosition().toPoint());
}

void TCPlayerForm::dragEnterEvent(QDragEnterEvent* event) {
  if (!FirstLocalFile(event->mimeData()->urls()).isEmpty()) event->acceptProposedAction();
}

void TCPlayerForm::dropEvent(QDropEvent* event) {
  const QString path = FirstLocalFile(event->mimeData()->urls());
  if (path.isEmpty()) return;
  event->acceptProposedAction();
  // Loading runs after the drop has been answered, so the program the files came from does not
  // wait for it.
  QMetaObject::invokeMethod(
      this,
      [this, path] {
        OpenedExternally = false;
        RequestOpen(path);
      },
      Qt::QueuedConnection);
}

}  // namespace qrl
