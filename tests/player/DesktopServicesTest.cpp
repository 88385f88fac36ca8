// The player's desktop services: mailing a flyer (which file goes out, the note question, the
// kickstarter, the mail tool on the PATH) and the channel through which a later start hands its
// flyer to the running player.

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocalSocket>
#include <QSignalSpy>
#include <QTest>
#include <cstring>
#include <memory>
#include <thread>

#include "document/FlyerCopy.h"
#include "document/TFlyer.h"
#include "document/TFlyerLoader.h"
#include "document/TFlyerWriter.h"
#include "elements/QtTextMeasurer.h"
#include "format/QuireleafException.h"
#include "format/TFooterRes.h"
#include "player/AttachmentNote.h"
#include "player/KickstarterPath.h"
#include "player/PlayerFakes.h"
#include "player/TFlyerSender.h"
#include "player/TInstanceChannel.h"
#include "support/TempDir.h"

namespace qrl {

using test::FakeMailer;
using test::FakePrompts;

namespace {

void WriteSmallFlyer(const QString& path, const std::string& title, TStrings note = {}) {
  TFlyerDesc f;
  TInfoDesc info;
  info.Sections = {{0, "Flyer Info", {{"Title", {title}}}}};
  f.Blocks.push_back(info);
  if (!note.empty()) {
    TNoteDesc n;
    n.Lines = std::move(note);
    f.Blocks.push_back(n);
  }
  TPageDesc page;
  page.Colour = 0x336699;
  f.Blocks.push_back(page);
  WriteFlyerFile(f, path.toStdString());
}

struct Loaded {
  std::string title;
  TStrings note;
};

// Loads a flyer or kickstarter completely, as the player would; raises when it is no flyer.
Loaded LoadAttachment(const QString& path) {
  TQtTextMeasurer measurer;
  TFlyer flyer(measurer);
  TLoadObserver observer;
  TFlyerLoader loader(flyer, observer);
  loader.LoadFlyer(path.toStdString());
  return {flyer.FlyerTitle, flyer.NoteLines};
}

QString Utf8(const std::string& s) { return QString::fromStdString(s); }

}  // namespace

class DesktopServicesTest : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<test::TempDir> dir_;
  FakePrompts prompts_;
  FakeMailer mailer_;

  QString Path(const char* name) const { return Utf8(dir_->File(name)); }
  std::unique_ptr<TFlyerSender> MakeSender(QString kickstarter = KickstarterPath()) {
    return std::make_unique<TFlyerSender>(prompts_, mailer_, kickstarter, Path("tmp"));
  }
  // The open flyer's file and the note as the window shows it.
  TSendHooks Hooks(QString* fileName, TStrings currentNote = {"as shown"}, bool noteModified = false) {
    TSendHooks h;
    h.FileName = [fileName] { return *fileName; };
    h.NoteModified = [noteModified] { return noteModified; };
    h.SaveAs = [] { return false; };
    h.WriteFlyerCopy = [fileName, currentNote](const QString& target) {
      WriteFlyerCopy(fileName->toStdString(), target.toStdString(), currentNote, {}, KickstarterPath().toStdString());
    };
    return h;
  }
  QString MakeKickstarter(const char* name, const QString& flyer) {
    const QString target = Path(name);
    TFooterRes footer(KickstarterPath().toStdString(), false, target.toStdString());
    if (!footer.AddFile(flyer.toStdString())) qFatal("could not pack the flyer");
    footer.Finish();
    return target;
  }

 private slots:
  void initTestCase() { QVERIFY2(!KickstarterPath().isEmpty(), "quirekick.exe is built beside the tests"); }
  void init() {
    dir_ = std::make_unique<test::TempDir>();
    QDir().mkpath(Path("tmp"));
    prompts_ = FakePrompts();
    mailer_ = FakeMailer();
  }
  void cleanup() { dir_.reset(); }

  void flyerFileGoesOutAsItIs() {
    QString file = Path("demo.qrl");
    WriteSmallFlyer(file, "Demo");
    auto sender = MakeSender();
    sender->SendFlyer(false, Hooks(&file));
    QCOMPARE(mailer_.sent.size(), std::size_t{1});
    QCOMPARE(mailer_.sent[0].attachment, file);
    QCOMPARE(mailer_.sent[0].body, Utf8(AttachmentNote(false)));
    QVERIFY(sender->AttachmentFolder().isEmpty());
    QVERIFY(prompts_.messages.isEmpty());
    sender.reset();
    QVERIFY(QFile::exists(file));
  }

  void kickstarterIsBuiltUnderAFreeNameAndKeptUntilExit() {
    QString file = Path("demo.qrl");
    WriteSmallFlyer(file, "Demo");
    auto sender = MakeSender();
    sender->SendFlyer(true, Hooks(&file));
    sender->SendFlyer(true, Hooks(&file));
    QCOMPARE(mailer_.sent.size(), std::size_t{2});
    const QString first = mailer_.sent[0].attachment;
    const QString second = mailer_.sent[1].attachment;
    QCOMPARE(QFileInfo(first).fileName(), QStringLiteral("demo.EXE"));
    QVERIFY(second != first);
    QVERIFY(second.endsWith(QStringLiteral(".EXE")));
    QCOMPARE(mailer_.sent[0].body, Utf8(AttachmentNote(true)));
    // The folder is the sender's own, not the shared temporary folder, and nobody else may enter it.
    const QString folder = sender->AttachmentFolder();
    QCOMPARE(QFileInfo(first).absolutePath(), folder);
    QCOMPARE(QFileInfo(folder).permissions() & (QFile::ReadGroup | QFile::ReadOther), QFileDevice::Permissions());
    // The second send left the first attachment as it was; both are runnable flyers.
    QCOMPARE(QFileInfo(first).size(), QFileInfo(second).size());
    QVERIFY(QFileInfo(first).isExecutable());
    QCOMPARE(LoadAttachment(first).title, std::string("Demo"));
    QCOMPARE(LoadAttachment(second).title, std::string("Demo"));
    // The mail program reads the attachment later: it stays until the player ends.
    sender.reset();
    QVERIFY(!QFile::exists(first));
    QVERIFY(!QFile::exists(folder));
    QVERIFY(QFile::exists(file));
  }

  void executableGoesOutAsFlyerWithTheShownNote() {
    const QString plain = Path("source.qrl");
    WriteSmallFlyer(plain, "Packed", {"stored note"});
    QString exe = MakeKickstarter("packed.exe", plain);
    auto sender = MakeSender();
    sender->SendFlyer(false, Hooks(&exe, {"edited", "note"}));
    QCOMPARE(mailer_.sent.size(), std::size_t{1});
    const QString attachment = mailer_.sent[0].attachment;
    QCOMPARE(QFileInfo(attachment).fileName(), QStringLiteral("packed.QRL"));
    QCOMPARE(mailer_.sent[0].body, Utf8(AttachmentNote(false)));
    const Loaded loaded = LoadAttachment(attachment);
    QCOMPARE(loaded.title, std::string("Packed"));
    QCOMPARE(loaded.note, TStrings({"edited", "note"}));

    // With the kickstarter, the executable itself goes out.
    sender->SendFlyer(true, Hooks(&exe));
    QCOMPARE(mailer_.sent.back().attachment, exe);
    QCOMPARE(mailer_.sent.back().body, Utf8(AttachmentNote(true)));
  }

  void noteQuestionAnswers() {
    QString file = Path("demo.qrl");
    WriteSmallFlyer(file, "Demo", {"on disk"});
    const QString savedAs = Path("saved.qrl");
    int saves = 0;
    bool saveSucceeds = false;
    TSendHooks hooks = Hooks(&file, {"shown"}, true);
    hooks.SaveAs = [&] {
      ++saves;
      if (!saveSucceeds) return false;
      WriteSmallFlyer(savedAs, "Demo", {"shown"});
      file = savedAs;
      return true;
    };
    auto sender = MakeSender();

    prompts_.answers = {TAnswer::Cancel};
    sender->SendFlyer(false, hooks);
    QCOMPARE(prompts_.questions,
             QStringList({QStringLiteral("Text in Note has changed. Do you wish to save changes before sending?")}));
    QCOMPARE(saves, 0);
    QVERIFY(mailer_.sent.empty());

    // Save As cancelled: nothing goes out.
    prompts_.answers = {TAnswer::Yes};
    sender->SendFlyer(false, hooks);
    QCOMPARE(saves, 1);
    QVERIFY(mailer_.sent.empty());

    // No: the file as it is stored on disk.
    prompts_.answers = {TAnswer::No};
    sender->SendFlyer(false, hooks);
    QCOMPARE(mailer_.sent.size(), std::size_t{1});
    QCOMPARE(mailer_.sent[0].attachment, Path("demo.qrl"));
    QCOMPARE(LoadAttachment(mailer_.sent[0].attachment).note, TStrings({"on disk"}));

    // Yes and saved: the file just saved.
    saveSucceeds = true;
    prompts_.answers = {TAnswer::Yes};
    sender->SendFlyer(false, hooks);
    QCOMPARE(saves, 2);
    QCOMPARE(mailer_.sent.size(), std::size_t{2});
    QCOMPARE(mailer_.sent[1].attachment, savedAs);
    QCOMPARE(prompts_.questions.size(), 4);
  }

  void failuresAreReportedAndLoseNothing() {
    QString file = Path("demo.qrl");
    WriteSmallFlyer(file, "Demo");

    // No kickstarter installed: an error before any question.
    auto without = MakeSender(QString());
    TSendHooks modified = Hooks(&file, {}, true);
    try {
      without->SendFlyer(true, modified);
      QFAIL("sending with a missing kickstarter went on");
    } catch (const EQuireleafException& e) {
      QCOMPARE(QString::fromLatin1(e.what()), QStringLiteral("Could not find Kickstarter application"));
    }
    QVERIFY(prompts_.questions.isEmpty());

    // The mail program refuses: the fixed message; the prepared file stays for now.
    mailer_.succeed = false;
    auto sender = MakeSender();
    sender->SendFlyer(true, Hooks(&file));
    QCOMPARE(prompts_.messages, QStringList({QStringLiteral("Could not connect to MAPI server.")}));
    QVERIFY(QFile::exists(mailer_.sent[0].attachment));

    // The flyer cannot be read into the kickstarter: no half-built attachment is left behind.
    mailer_.succeed = true;
    prompts_.messages.clear();
    QString missing = Path("gone.qrl");
    sender->SendFlyer(true, Hooks(&missing));
    QCOMPARE(mailer_.sent.size(), std::size_t{1});
    QCOMPARE(prompts_.messages.size(), 1);
    const QString target = QDir(sender->AttachmentFolder()).filePath(QStringLiteral("gone.EXE"));
    QCOMPARE(prompts_.messages[0], QStringLiteral("Could not write to ") + target);
    QVERIFY(!QFile::exists(target));
  }

  void mailToolReceivesAttachmentAndBody() {
    // A stand-in for the mail tool, first on the PATH: records its arguments, copies the attachment.
    const QString bin = Path("bin");
    QDir().mkpath(bin);
    const QString tool = bin + QStringLiteral("/xdg-email");
    QFile script(tool);
    QVERIFY(script.open(QIODevice::WriteOnly));
    script.write("#!/bin/sh\n"
                 "printf '%s\\0' \"$@\" > \"$QRL_TEST_MAIL_LOG\"\n"
                 "cp \"$2\" \"$QRL_TEST_MAIL_COPY\"\n"
                 "exit \"${QRL_TEST_MAIL_STATUS:-0}\"\n");
    script.close();
    QFile::setPermissions(tool, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    const QByteArray oldPath = qgetenv("PATH");
    qputenv("PATH", bin.toLocal8Bit() + ':' + oldPath);
    qputenv("QRL_TEST_MAIL_LOG", Path("args").toLocal8Bit());
    qputenv("QRL_TEST_MAIL_COPY", Path("copy").toLocal8Bit());

    QString file = Path("demo.qrl");
    WriteSmallFlyer(file, "Demo");
    TXdgEmailMailer mailer;
    std::vector<bool> results;
    const QString body = Utf8(AttachmentNote(false));
    mailer.SendMail(file, body, [&](bool ok) { results.push_back(ok); });
    QTRY_COMPARE(results.size(), std::size_t{1});
    QVERIFY(results[0]);
    QFile args(Path("args"));
    QVERIFY(args.open(QIODevice::ReadOnly));
    const QList<QByteArray> recorded = args.readAll().split('\0');
    QCOMPARE(recorded.size(), 5);  // four arguments, each ended by a NUL
    QCOMPARE(recorded[0], QByteArray("--attach"));
    QCOMPARE(QString::fromLocal8Bit(recorded[1]), file);
    QCOMPARE(recorded[2], QByteArray("--body"));
    // Line feeds only: the tool writes each as CR LF into the mail.
    QCOMPARE(QString::fromUtf8(recorded[3]), QString(body).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    QCOMPARE(LoadAttachment(Path("copy")).title, std::string("Demo"));

    // The tool fails, or there is none: failure, reported once.
    qputenv("QRL_TEST_MAIL_STATUS", "3");
    mailer.SendMail(file, body, [&](bool ok) { results.push_back(ok); });
    QTRY_COMPARE(results.size(), std::size_t{2});
    QVERIFY(!results[1]);
    qunsetenv("QRL_TEST_MAIL_STATUS");
    qputenv("PATH", Path("nowhere").toLocal8Bit());
    mailer.SendMail(file, body, [&](bool ok) { results.push_back(ok); });
    QTRY_COMPARE(results.size(), std::size_t{3});
    QVERIFY(!results[2]);
    QTest::qWait(50);
    QCOMPARE(results.size(), std::size_t{3});
    qputenv("PATH", oldPath);
  }

  void channelCarriesMacrosToTheRunningPlayer() {
    const QString folder = Path("run");
    QVERIFY(QDir().mkpath(folder));
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    TInstanceChannel first(QStringLiteral("quireleaf"), folder);
    QVERIFY(!first.Offer(QStringLiteral("[QUIT]"), 500));  // nobody listens yet
    QVERIFY(first.Listen());
    QSignalSpy received(&first, &TInstanceChannel::MacroReceived);

    // Only the user may reach the socket.
    struct stat info {};
    QCOMPARE(::stat(QFile::encodeName(first.SocketPath()).constData(), &info), 0);
    QVERIFY(S_ISSOCK(info.st_mode));
    QCOMPARE(info.st_uid, ::getuid());
    QCOMPARE(info.st_mode & 077, 0u);

    // A later start finds the listener and hands its macro over. The offer blocks, so it runs on
    // a thread of its own while the test's event loop serves the listener.
    TInstanceChannel second(QStringLiteral("quireleaf"), folder);
    QVERIFY(!second.Listen());
    bool offered = false;
    std::thread client([&] {
      TInstanceChannel sender(QStringLiteral("quireleaf"), folder);
      offered = sender.Offer(QStringLiteral("[OPEN(\"/tmp/flyer (1).qrl\")]"));
    });
    QTRY_COMPARE(received.size(), 1);
    client.join();
    QVERIFY(offered);
    QCOMPARE(received[0][0].toString(), QStringLiteral("[OPEN(\"/tmp/flyer (1).qrl\")]"));

    // Garbage without a line end is dropped once it grows too long; the server goes on.
    {
      QLocalSocket hostile;
      hostile.connectToServer(first.SocketPath());
      QVERIFY(hostile.waitForConnected(1000));
      hostile.write(QByteArray(100 * 1024, 'x'));
      hostile.flush();
      QTRY_VERIFY(hostile.state() == QLocalSocket::UnconnectedState);
    }
    QVERIFY(first.Listening());
    QCOMPARE(received.size(), 1);
  }

  void staleSocketNeverBlocksAStart() {
    const QString folder = Path("run");
    QVERIFY(QDir().mkpath(folder));
    // A socket file left behind by a player that was killed: bound, never served.
    const QByteArray path = QFile::encodeName(folder + QStringLiteral("/quireleaf"));
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, path.constData(), static_cast<std::size_t>(path.size()));
    QCOMPARE(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ::close(fd);
    QVERIFY(QFileInfo::exists(QString::fromLocal8Bit(path)));

    TInstanceChannel channel(QStringLiteral("quireleaf"), folder);
    QVERIFY(!channel.Offer(QStringLiteral("[QUIT]"), 500));
    QVERIFY(channel.Listen());
    QVERIFY(channel.Listening());
  }

  void channelNamesAndPrivateFolder() {
    QCOMPARE(TInstanceChannel::NameFor(QStringLiteral("/usr/lib/quireleaf/quireleaf")), QStringLiteral("quireleaf"));
    QCOMPARE(TInstanceChannel::NameFor(QStringLiteral("/opt/q/player.v2.bin")), QStringLiteral("player"));
    // Without a runtime folder, a private one of the user's own under the temporary folder.
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    const QByteArray tmp = qgetenv("TMPDIR");
    qunsetenv("XDG_RUNTIME_DIR");
    qputenv("TMPDIR", Path("").toLocal8Bit());
    const QString own = TInstanceChannel::PrivateDirectory();
    QVERIFY(!own.isEmpty());
    QVERIFY(own.startsWith(Path("")));
    // A folder that others may enter is not taken.
    QFile::setPermissions(own, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadOther |
                                   QFile::ExeOther | QFile::WriteOther);
    QVERIFY(TInstanceChannel::PrivateDirectory().isEmpty());
    if (!runtime.isNull()) qputenv("XDG_RUNTIME_DIR", runtime);
    if (tmp.isNull())
      qunsetenv("TMPDIR");
    else
      qputenv("TMPDIR", tmp);
  }
};

}  // namespace qrl

QTEST_MAIN(qrl::DesktopServicesTest)
#include "DesktopServicesTest.moc"
