// The note window and saving, driven as a reader would: typing into the note, Ctrl+S and Save
// As, closing by every route with a changed note, and saving over the flyer that is open.

#include <QDir>
#include <csignal>
#include <QPlainTextEdit>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <fstream>
#include <memory>

#include "document/TFlyer.h"
#include "document/TFlyerLoader.h"
#include "document/TFlyerWriter.h"
#include "elements/QtTextMeasurer.h"
#include "elements/TCKbSound.h"
#include "format/Packing.h"
#include "format/QuireleafException.h"
#include "player/FlyerSaving.h"
#include "player/KickstarterPath.h"
#include "player/PlayerFakes.h"
#include "player/TCPlayerForm.h"
#include "player/TNavBarPanel.h"
#include "player/TTerminationSignals.h"
#include "player/TYellowForm.h"
#include "render/RenderPage.h"
#include "support/TempDir.h"

namespace qrl {

using test::FakePrompts;

namespace {

const QString kQuestion = QStringLiteral("Text in Note has changed. Do you wish to save changes?");

std::string BinDir() { return QRL_BINARY_DIR "/bin"; }

void WriteNoteFlyer(const std::string& path, const std::string& title, const TStrings& noteLines = {},
                    TNoteBounds bounds = TNoteBounds::FromSize(30, 40, 200, 100), int pages = 1) {
  TFlyerDesc f;
  TInfoDesc info;
  info.Sections = {{0, "Flyer Info", {{"Title", {title}}}}};
  f.Blocks.push_back(info);
  TElementDesc text;
  text.Id = 1;
  text.Lines = {"Hello"};
  TOccurrenceDesc o;
  o.Placement = {10, 10, 200, 40};
  text.Occurrences = {o};
  f.Blocks.push_back(text);
  if (!noteLines.empty()) f.Blocks.push_back(TNoteDesc{noteLines, bounds});
  TPageDesc background;
  TPageDesc page;
  page.Refs = {{1, 1, 0}};
  f.Blocks.push_back(background);
  for (int i = 0; i < pages; ++i) f.Blocks.push_back(page);
  WriteFlyerFile(f, path);
}

std::vector<char> Bytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

// The note as a fresh load of the file finds it.
struct TLoadedNote {
  TStrings lines;
  TNoteBounds bounds;
  bool present = false;
};

TLoadedNote LoadNote(const std::string& path) {
  TQtTextMeasurer measurer;
  TFlyer flyer(measurer);
  TLoadObserver observer;
  TFlyerLoader loader(flyer, observer);
  loader.Open(path);
  loader.ScanFlyer();
  loader.Close();
  return {flyer.NoteLines, flyer.NoteBounds, flyer.HasNoteBlock};
}

}  // namespace

class NoteSavingTest : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<test::TempDir> dir_;
  test::FakeServices fakes_;
  FakePrompts& prompts_ = fakes_.prompts;

  std::unique_ptr<TCPlayerForm> OpenForm(const QString& path, std::vector<std::string> arguments = {"-t"}) {
    auto form = std::make_unique<TCPlayerForm>(fakes_.Services(), arguments);
    form->show();
    form->StartUp();
    if (!path.isEmpty()) form->RequestOpen(path);
    return form;
  }
  QString Path(const char* name) const { return QString::fromStdString(dir_->File(name)); }
  // Key presses into the memo, one per character.
  static void Type(TCPlayerForm& form, const QString& text) {
    QWidget* memo = form.YellowForm()->memNote;
    for (const QChar c : text) {
      if (c == QLatin1Char('\n'))
        QTest::keyClick(memo, Qt::Key_Return);
      else
        QTest::sendKeyEvent(QTest::Click, memo, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }
  }

 private slots:
  void init() {
    dir_ = std::make_unique<test::TempDir>();
    prompts_ = FakePrompts();
  }
  void cleanup() { dir_.reset(); }

  void noteWindowFollowsTheButtonAndTheMainWindow() {
    WriteNoteFlyer(dir_->File("a.qrl"), "Alpha", {"first", "second"}, TNoteBounds::FromSize(50, 60, 220, 110));
    auto form = OpenForm(Path("a.qrl"));
    TYellowForm& note = *form->YellowForm();
    QCOMPARE(note.windowTitle(), QStringLiteral("Note"));
    // A flyer with note lines shows its note, at its place relative to the main window.
    QVERIFY(note.isVisible());
    QVERIFY(form->pnlButtons()->wsbNote->isChecked());
    QCOMPARE(note.memNote->toPlainText(), QStringLiteral("first\nsecond"));
    QCOMPARE(note.pos() - form->pos(), QPoint(50, 60));
    QCOMPARE(note.size(), QSize(220, 110));
    QVERIFY(!note.NoteModified);

    // Its close box hides it and lets the button up; the button shows it again.
    note.close();
    QVERIFY(!note.isVisible());
    QVERIFY(!form->pnlButtons()->wsbNote->isChecked());
    QTest::mouseClick(form->pnlButtons()->wsbNote, Qt::LeftButton);
    QVERIFY(note.isVisible());

    // It moves along with the main window.
    form->move(form->pos() + QPoint(17, 9));
    QCOMPARE(note.pos() - form->pos(), QPoint(50, 60));

    // Closing the flyer hides it and forgets the text.
    form->RequestClose(false);
    QVERIFY(!note.isVisible());
    QVERIFY(!form->pnlButtons()->wsbNote->isChecked());
  }

  void typeSaveWithCtrlSAndReopen() {
    WriteNoteFlyer(dir_->File("a.qrl"), "Alpha");
    auto form = OpenForm(Path("a.qrl"));
    TYellowForm& note = *form->YellowForm();
    QVERIFY(!note.isVisible());
    note.show();
    note.move(form->pos() + QPoint(123, 45));
    note.resize(240, 120);
    Type(*form, QStringLiteral("Call Anna\nCaf\u00e9 at 5"));
    QVERIFY(note.NoteModified);
    form->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(form.get()));
    QTest::keyClick(form.get(), Qt::Key_S, Qt::ControlModifier);
    QVERIFY(prompts_.messages.isEmpty());
    QVERIFY(!note.NoteModified);

    const TLoadedNote saved = LoadNote(dir_->File("a.qrl"));
    QVERIFY(saved.present);
    QCOMPARE(saved.lines, TStrings({"Call Anna", "Caf\xe9 at 5"}));
    QCOMPARE(saved.bounds, TNoteBounds::FromSize(123, 45, 240, 120));

    // The flyer reopens with the note where it was, relative to the main window.
    form->RequestClose(false);
    QVERIFY(prompts_.questions.isEmpty());
    form->RequestOpen(Path("a.qrl"));
    QVERIFY(note.isVisible());
    QCOMPARE(note.memNote->toPlainText(), QStringLiteral("Call Anna\nCaf\u00e9 at 5"));
    QCOMPARE(note.pos() - form->pos(), QPoint(123, 45));
    QCOMPARE(note.size(), QSize(240, 120));
  }

  void movingWithoutTypingKeepsTheStoredPlace() {
    const TNoteBounds bounds = TNoteBounds::FromSize(70, 80, 200, 100);
    WriteNoteFlyer(dir_->File("a.qrl"), "Alpha", {"kept"}, bounds);
    auto form = OpenForm(Path("a.qrl"));
    form->YellowForm()->move(form->pos() + QPoint(300, 200));
    QVERIFY(form->SaveFlyer(false));
    QCOMPARE(LoadNote(dir_->File("a.qrl")).bounds, bounds);
  }

  void charactersTheFlyerCannotHoldAreNamedBeforeWriting() {
    WriteNoteFlyer(dir_->File("a.qrl"), "Alpha");
    const std::vector<char> before = Bytes(dir_->File("a.qrl"));
    auto form = OpenForm(Path("a.qrl"));
    Type(*form, QStringLiteral("\u20ac fine, \u263a not, \u0416 neither, \u263a"));
    QVERIFY(!form->SaveFlyer(false));
    QCOMPARE(prompts_.messages.size(), 1);
    const QString message = prompts_.messages.constFirst();
    QVERIFY2(message.contains(QStringLiteral("\"\u263a\" (U+263A), \"\u0416\" (U+0416)")), qPrintable(message));
    QVERIFY(!message.contains(QStringLiteral("U+20AC")));
    QVERIFY(before == Bytes(dir_->File("a.qrl")));
    QVERIFY(form->YellowForm()->NoteModified);
  }

  void saveAsDialogAndItsResults() {
    WriteNoteFlyer(dir_->File("a.qrl"), "");
    PackFlyer(BinDir() + "/quirekick.exe", dir_->File("a.qrl"), "a.QRL", dir_->File("Kick.Exe"));
    auto form = OpenForm(Path("Kick.Exe"));
    form->LastFlyerDir = Path("");

    // A kickstarter proposes its own name with the kickstarter filter.
    QVERIFY(!form->SaveFlyer(true));
    QCOMPARE(prompts_.saveDialogs.size(), std::size_t{1});
    QCOMPARE(prompts_.saveDialogs[0].fileName, QDir(Path("")).filePath(QStringLiteral("Kick")));
    QCOMPARE(prompts_.saveDialogs[0].filterIndex, 2);
    QCOMPARE(prompts_.saveDialogs[0].filters.size(), 2);

    // Saved as a plain flyer: the caption falls back to the path without a title.
    Type(*form, QStringLiteral("packed"));
    prompts_.saveAnswers = {Path("plain.qrl")};
    QVERIFY(form->SaveFlyer(true));
    QCOMPARE(form->FileName(), Path("plain.qrl"));
    QCOMPARE(form->windowTitle(), Path("plain.qrl"));
    QCOMPARE(LoadNote(dir_->File("plain.qrl")).lines, TStrings({"packed"}));

    // And back into a kickstarter, which carries the same note.
    prompts_.saveAnswers = {Path("again.exe")};
    QVERIFY(form->SaveFlyer(true));
    QCOMPARE(LoadNote(dir_->File("again.exe")).lines, TStrings({"packed"}));

    QCOMPARE(prompts_.messages, QStringList());
  }

  void aSavedCopyOfAFlyerDeletedOnCloseStays() {
    // A kickstarter hands the player a copy it deletes on close; a copy saved from it stays.
    WriteNoteFlyer(dir_->File("handed.qrl"), "Handed");
    auto form = OpenForm({}, {"-t", "-r", Path("handed.qrl").toStdString()});
    QVERIFY(form->DeleteOnClose);
    Type(*form, QStringLiteral("mine"));
    prompts_.saveAnswers = {Path("kept.qrl")};
    QVERIFY(form->SaveFlyer(true));
    QVERIFY(!form->DeleteOnClose);
    form->RequestClose(false);
    QCOMPARE(LoadNote(dir_->File("kept.qrl")).lines, TStrings({"mine"}));
  }

  void withoutAKickstarter() {
    // Only the flyer filter is offered, also for a kickstarter flyer.
    const TSaveDialogSetup setup = SaveDialogSetup(QStringLiteral("/f/Kick.v2.EXE"), QStringLiteral("/d"), false);
    QCOMPARE(setup.filters, QStringList({QStringLiteral("Quireleaf (*.QRL *.qrl)")}));
    QCOMPARE(setup.filterIndex, 1);
    QCOMPARE(setup.fileName, QStringLiteral("/f/Kick.v2"));
    QCOMPARE(setup.directory, QStringLiteral("/d"));
    // An .EXE target is refused before anything is written.
    WriteNoteFlyer(dir_->File("a.qrl"), "Alpha");
    QVERIFY_THROWS_EXCEPTION(EQuireleafException, WriteNoteCopy(Path("a.qrl"), Path("none.exe"), {}, QString()));
    QVERIFY(!QFileInfo::exists(Path("none.exe")));
  }

  void everyWayOutAsksAboutAChangedNote() {
    WriteNoteFlyer(dir_->File("a.qrl"), "Alpha");
    WriteNoteFlyer(dir_->File("b.qrl"), "Beta");
    auto form = OpenForm(Path("a.qrl"));
    Type(*form, QStringLiteral("keep me"));

    // Cancel by File > Close (Ctrl+F4), the window's close box and opening another flyer.
    form->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(form.get()));
    QTest::keyClick(form.get(), Qt::Key_F4, Qt::ControlModifier);
    QVERIFY(!form->close());
    form->RequestOpen(Path("b.qrl"));
    QCOMPARE(prompts_.questions, QStringList({kQuestion, kQuestion, kQuestion}));
    QVERIFY(form->isVisible());
    QCOMPARE(form->FileName(), Path("a.qrl"));

    // Yes, then cancelling the Save As dialog, keeps the flyer open too.
    prompts_.answers = {TAnswer::Yes};
    form->RequestClose(false);
    QCOMPARE(prompts_.saveDialogs.size(), std::size_t{1});
    QVERIFY(form->LoadPhase().Has(lpOpened));
    QVERIFY(form->YellowForm()->NoteModified);

    // Yes with a target saves, then the other flyer opens.
    prompts_.answers = {TAnswer::Yes};
    prompts_.saveAnswers = {Path("saved.qrl")};
    form->RequestOpen(Path("b.qrl"));
    QCOMPARE(form->FileName(), Path("b.qrl"));
    QCOMPARE(LoadNote(dir_->File("saved.qrl")).lines, TStrings({"keep me"}));

    // No lets the note go without a save.
    Type(*form, QStringLiteral("drop me"));
    prompts_.answers = {TAnswer::No};
    QVERIFY(form->close());
    QVERIFY(!LoadNote(dir_->File("b.qrl")).present);
  }

  void aTerminationSignalEndsWithoutAskingAboutTheNote() {
    WriteNoteFlyer(dir_->File("a.qrl"), "Alpha");
    auto form = OpenForm(Path("a.qrl"));
    Type(*form, QStringLiteral("typed"));
    const std::vector<char> before = Bytes(dir_->File("a.qrl"));
    TTerminationSignals termination;
    QObject::connect(&termination, &TTerminationSignals::Received, form.get(), &TCPlayerForm::Terminate);
    ::raise(SIGTERM);
    QTRY_VERIFY(!form->isVisible());
    QVERIFY(prompts_.questions.isEmpty());
    QVERIFY(Bytes(dir_->File("a.qrl")) == before);
  }

  void aCloseWhileBuildingWaitsForTheBuilderWhenTheNoteChanged() {
    WriteNoteFlyer(dir_->File("long.qrl"), "Long", {}, {}, 40);
    auto form = std::make_unique<TCPlayerForm>(fakes_.Services(),
                                               std::vector<std::string>{"-t"});
    form->show();
    QTimer typist;
    bool whileBuilding = false;
    connect(&typist, &QTimer::timeout, form.get(), [&] {
      if (!form->LoadPhase().Has(lpShow)) return;
      typist.stop();
      whileBuilding = form->LoadPhase().Has(lpBuilding);
      Type(*form, QStringLiteral("typed while building"));
      form->RequestClose(false);
    });
    typist.start(0);
    form->RequestOpen(Path("long.qrl"));
    QVERIFY(whileBuilding);
    // Every page was built so that the note could be saved; the question came once the builder
    // was done, and Cancel keeps the flyer.
    QCOMPARE(prompts_.questions, QStringList({kQuestion}));
    QVERIFY(form->LoadPhase().Has(lpOpened));
    QVERIFY(!form->LoadPhase().Has(lpBuilding));
    for (const auto& page : form->Flyer()->Pages) QVERIFY(page->Built);
    QCOMPARE(form->windowTitle(), QStringLiteral("Long"));
  }

  void aFailingWriteLeavesTheTargetAndTheFlyerAsTheyWere() {
    WriteNoteFlyer(dir_->File("a.qrl"), "Alpha");
    auto form = OpenForm(Path("a.qrl"));
    {
      std::ofstream target(dir_->File("target.qrl"), std::ios::binary);
      target << "precious";
    }
    // The open file is damaged behind the player's back: the copy finds a block larger than the file.
    std::vector<char> damaged = Bytes(dir_->File("a.qrl"));
    std::fill(damaged.begin() + 8, damaged.begin() + 12, '\x7f');  // the first block's size
    std::ofstream(dir_->File("a.qrl"), std::ios::binary).write(damaged.data(), static_cast<std::streamsize>(damaged.size()));

    Type(*form, QStringLiteral("note"));
    prompts_.answers = {TAnswer::Yes};
    prompts_.saveAnswers = {Path("target.qrl")};
    QVERIFY(!form->close());
    QCOMPARE(prompts_.messages.size(), 1);
    QVERIFY(prompts_.messages.constFirst().startsWith(QStringLiteral("Error ")));
    QCOMPARE(Bytes(dir_->File("target.qrl")), std::vector<char>({'p', 'r', 'e', 'c', 'i', 'o', 'u', 's'}));
    QVERIFY(form->LoadPhase().Has(lpOpened));
    QVERIFY(form->YellowForm()->NoteModified);
    // Nothing is left beside the target.
    QCOMPARE(std::distance(std::filesystem::directory_iterator(dir_->Path()), {}), 2);
  }

  void savingOverTheOpenFlyerKeepsEveryPageAndSound() {
    std::filesystem::copy_file(QRL_BINARY_DIR "/examples/demo.qrl", dir_->File("demo.qrl"));
    auto form = OpenForm(Path("demo.qrl"));
    TFlyer& flyer = *form->Flyer();
    QVERIFY(flyer.Pages.size() > 2);
    const auto everyPage = [&] {
      std::vector<QImage> pages;
      for (std::size_t i = 0; i < flyer.Pages.size(); ++i) pages.push_back(RenderPage(flyer, static_cast<int>(i)));
      return pages;
    };
    const auto soundFiles = [&] {
      std::vector<std::vector<char>> sounds;
      for (const auto& entry : flyer.Elements)
        if (entry->Sound)
          for (const auto& occurrence : entry->Sound->Occurrences())
            sounds.push_back(Bytes(occurrence->WaveFileName));
      return sounds;
    };
    const std::vector<QImage> before = everyPage();
    const auto soundsBefore = soundFiles();

    QTest::keyClick(form->YellowForm()->memNote, Qt::Key_A, Qt::ControlModifier);
    Type(*form, QStringLiteral("over itself"));
    QVERIFY(form->SaveFlyer(false));
    QVERIFY(form->SaveFlyer(false));
    QVERIFY(prompts_.messages.isEmpty());
    QCOMPARE(LoadNote(dir_->File("demo.qrl")).lines, TStrings({"over itself"}));
    QVERIFY(everyPage() == before);
    QVERIFY(soundFiles() == soundsBefore);
    for (int page = 1; page < static_cast<int>(flyer.Pages.size()); ++page) form->GoToPage(page, true);
    QVERIFY(prompts_.messages.isEmpty());
  }

  void kickstarterBesideTheProgram() {
    // The test programs are built beside the launcher.
    QCOMPARE(KickstarterPath(), QString::fromStdString(BinDir() + "/quirekick.exe"));
  }
};

}  // namespace qrl

QTEST_MAIN(qrl::NoteSavingTest)
#include "NoteSavingTest.moc"
