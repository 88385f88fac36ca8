// The settings store and the preferences kept in it, the history of flyers shown, the rules for
// links from flyers and the two routes by which links are opened.

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QFile>
#include <QSettings>
#include <QUrl>

#include "player/LinkSafety.h"
#include "player/PlayerFakes.h"
#include "player/Preferences.h"
#include "player/TIniSettingsStore.h"
#include "player/TLinkOpener.h"
#include "support/TempDir.h"

namespace qrl {
namespace {

using test::FakePrompts;
using test::FakeSettings;
using test::FakeUrls;
using test::TempDir;

QString Q(const std::string& text) { return QString::fromStdString(text); }

TEST(FlyerHistoryTest, KeepsTheFourNewestAndMovesAKnownPathUpInAnyLetterCase) {
  TFlyerHistory history;
  for (const char* path : {"/f/one.qrl", "/f/two.qrl", "/f/three.qrl", "/f/four.qrl", "/f/five.qrl"})
    history.Add(QString::fromLatin1(path));
  EXPECT_EQ(history.Entries(), QStringList({"/f/five.qrl", "/f/four.qrl", "/f/three.qrl", "/f/two.qrl"}));
  history.Add(QStringLiteral("/F/THREE.QRL"));
  EXPECT_EQ(history.Entries(), QStringList({"/f/three.qrl", "/f/five.qrl", "/f/four.qrl", "/f/two.qrl"}));
  EXPECT_EQ(history.MenuCaption(0), QStringLiteral("&1 three.qrl"));
  history.Add(QStringLiteral("C:\\Flyers\\R&D.qrl"));
  EXPECT_EQ(history.MenuCaption(0), QStringLiteral("&1 R&&D.qrl"));
  EXPECT_EQ(history.Entries().size(), kHistoryEntries);
}

TEST(PlayerRegistryTest, ValuesTooLongForTheirBufferCountAsMissing) {
  FakeSettings store;
  TPlayerRegistry registry(store);
  registry.OpenSection(kSectionHistory);
  registry.WriteString(QStringLiteral("file_1"), QString(254, QLatin1Char('a')));
  registry.WriteString(QStringLiteral("file_2"), QString(255, QLatin1Char('a')));
  // Bytes count, not characters: 127 two-byte letters fit, 128 do not.
  registry.WriteString(QStringLiteral("file_3"), QString(128, QChar(0xE9)));
  EXPECT_EQ(registry.ReadString(QStringLiteral("file_1"), {}).size(), 254);
  EXPECT_EQ(registry.ReadString(QStringLiteral("file_2"), QStringLiteral("none")), QStringLiteral("none"));
  EXPECT_EQ(registry.ReadString(QStringLiteral("file_3"), QStringLiteral("none")), QStringLiteral("none"));

  registry.OpenSection(kSectionPreferences);
  store.sections[kSectionPreferences] = {{"a", "1"}, {"b", "0"}, {"c", "10"}, {"d", ""}, {"e", "yes"}};
  EXPECT_TRUE(registry.ReadBool(QStringLiteral("a"), false));
  EXPECT_FALSE(registry.ReadBool(QStringLiteral("b"), true));
  EXPECT_TRUE(registry.ReadBool(QStringLiteral("c"), true));  // too long: the default
  EXPECT_FALSE(registry.ReadBool(QStringLiteral("d"), true));
  EXPECT_TRUE(registry.ReadBool(QStringLiteral("e"), true));
  EXPECT_TRUE(registry.ReadBool(QStringLiteral("missing"), true));

  registry.WriteDefaultLink(QString(259, QLatin1Char('b')));
  EXPECT_EQ(registry.ReadDefaultLink().size(), 259);
  registry.WriteDefaultLink(QString(260, QLatin1Char('b')));
  EXPECT_TRUE(registry.ReadDefaultLink().isEmpty());
  EXPECT_EQ(store.Read({}, QStringLiteral("DefaultLink"))->size(), 260);
}

TEST(PreferencesTest, DefaultsThenARoundTripThroughTheStoredValues) {
  FakeSettings store;
  TPlayerRegistry registry(store);
  TFlyerHistory history;
  TPreferences defaults;
  defaults.LastFlyerDir = QStringLiteral("/work");
  EXPECT_EQ(LoadPreferences(registry, QStringLiteral("/work"), history), defaults);
  EXPECT_TRUE(history.Empty());

  const TPreferences saved{QStringLiteral("/flyers/"), QStringLiteral("/usr/bin/browser"), true, false, true, false};
  for (const char* path : {"/a.qrl", "/b.qrl", "/c.qrl"}) history.Add(QString::fromLatin1(path));
  SavePreferences(registry, saved, history);
  EXPECT_EQ(store.sections[kSectionPreferences][QStringLiteral("OpenPresMode")], QStringLiteral("1"));
  EXPECT_EQ(store.sections[kSectionPreferences][QStringLiteral("PresFullScr")], QStringLiteral("0"));
  EXPECT_EQ(store.sections[kSectionHistory][QStringLiteral("file_1")], QStringLiteral("/c.qrl"));

  TFlyerHistory loaded;
  EXPECT_EQ(LoadPreferences(registry, QStringLiteral("/work"), loaded), saved);
  EXPECT_EQ(loaded.Entries(), history.Entries());

  // A shorter history leaves no stale numbers behind.
  TFlyerHistory one;
  one.Add(QStringLiteral("/z.qrl"));
  SaveHistory(registry, one);
  EXPECT_EQ(store.sections[kSectionHistory].size(), 1u);
}

TEST(IniSettingsStoreTest, FollowsXdgConfigHomeAndKeepsTheSectionsAndTopLevelValue) {
  TempDir dir;
  const QByteArray before = qgetenv("XDG_CONFIG_HOME");
  qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(dir.Path().string()));
  const QString file = TIniSettingsStore::DefaultFile();
  qunsetenv("XDG_CONFIG_HOME");
  EXPECT_TRUE(TIniSettingsStore::DefaultFile().endsWith(QStringLiteral("/.config/Quireleaf/Player.conf")));
  if (!before.isNull()) qputenv("XDG_CONFIG_HOME", before);
  EXPECT_EQ(file, Q(dir.File("Quireleaf/Player.conf")));

  {
    TIniSettingsStore store(file);
    TPlayerRegistry registry(store);
    TFlyerHistory history;
    history.Add(QStringLiteral("/home/u/Flyers, new/a.qrl"));
    SavePreferences(registry, {QStringLiteral("/home/u/"), {}, true, true, false, false}, history);
    registry.WriteDefaultLink(QStringLiteral("/usr/bin/web-browser"));
  }
  QSettings raw(file, QSettings::IniFormat);
  EXPECT_EQ(raw.value(QStringLiteral("Preferences/PresFullScr")).toString(), QStringLiteral("1"));
  EXPECT_EQ(raw.value(QStringLiteral("DefaultLink")).toString(), QStringLiteral("/usr/bin/web-browser"));

  TIniSettingsStore again(file);
  TPlayerRegistry registry(again);
  TFlyerHistory history;
  const TPreferences p = LoadPreferences(registry, {}, history);
  EXPECT_TRUE(p.OpenPresMode);
  EXPECT_EQ(history.Entries(), QStringList({"/home/u/Flyers, new/a.qrl"}));
  EXPECT_EQ(registry.ReadDefaultLink(), QStringLiteral("/usr/bin/web-browser"));
}

TEST(IniSettingsStoreTest, TwoPlayersWritingAtOnceLeaveACompleteFile) {
  TempDir dir;
  const QString file = Q(dir.File("Quireleaf/Player.conf"));
  pid_t children[2] = {};
  for (int player = 0; player < 2; ++player) {
    children[player] = ::fork();
    ASSERT_GE(children[player], 0);
    if (children[player] == 0) {
      for (int round = 0; round < 40; ++round) {
        TIniSettingsStore store(file);
        TPlayerRegistry registry(store);
        TFlyerHistory history;
        for (int i = 0; i < 4; ++i) history.Add(QStringLiteral("/player%1/flyer%2.qrl").arg(player).arg(i));
        SavePreferences(registry, {QStringLiteral("/dir%1/").arg(player), {}, player == 0, false, false, false},
                        history);
      }
      ::_exit(0);
    }
  }
  for (pid_t child : children) {
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
  TIniSettingsStore store(file);
  TPlayerRegistry registry(store);
  TFlyerHistory history;
  const TPreferences p = LoadPreferences(registry, {}, history);
  ASSERT_EQ(history.Entries().size(), 4);
  EXPECT_TRUE(p.LastFlyerDir == QStringLiteral("/dir0/") || p.LastFlyerDir == QStringLiteral("/dir1/"));
  // One player's history, whole: every entry from the same player.
  const QString owner = history.Entries().constFirst().section(QLatin1Char('/'), 1, 1);
  for (const QString& entry : history.Entries()) EXPECT_EQ(entry.section(QLatin1Char('/'), 1, 1), owner);
}

// A file with the given bytes and permissions in the folder.
QString MakeFile(const TempDir& dir, const std::string& name, const std::string& bytes, bool executable = false) {
  const QString path = Q(dir.File(name));
  QFile file(path);
  file.open(QIODevice::WriteOnly);
  file.write(bytes.data(), static_cast<qint64>(bytes.size()));
  file.close();
  QFile::Permissions permissions = QFile::ReadOwner | QFile::WriteOwner;
  if (executable) permissions |= QFile::ExeOwner;
  file.setPermissions(permissions);
  return path;
}

TEST(LinkSafetyTest, EveryKindOfAddressGetsItsVerdict) {
  TempDir dir;
  const QString pdf = MakeFile(dir, "leaflet.pdf", "%PDF-1.4\n");
  MakeFile(dir, "run.sh", "echo hi\n");
  MakeFile(dir, "tool", "plain text but executable", true);
  MakeFile(dir, "script.txt", "#!/bin/sh\nrm -rf ~\n");
  MakeFile(dir, "launcher.desktop", "[Desktop Entry]\nExec=sh\n");
  MakeFile(dir, "offer.exe", "MZ\x90\x00", false);
  MakeFile(dir, "binary.dat", "\x7f" "ELF", false);
  QFile::link(Q(dir.File("run.sh")), Q(dir.File("innocent.pdf")));
  const QString base = Q(dir.Path().string());

  struct Case {
    QString address;
    TLinkVerdict verdict;
  };
  const std::vector<Case> cases = {
      {"https://example.org/a?b=c", TLinkVerdict::lvOpen},
      {"HTTP://EXAMPLE.ORG", TLinkVerdict::lvOpen},
      {"mailto:someone@example.org", TLinkVerdict::lvOpen},
      {"www.example.org", TLinkVerdict::lvOpen},
      {"leaflet.pdf", TLinkVerdict::lvAskFile},
      {pdf, TLinkVerdict::lvAskFile},
      {QUrl::fromLocalFile(pdf).toString(), TLinkVerdict::lvAskFile},
      {"run.sh", TLinkVerdict::lvRefuseProgram},
      {"tool", TLinkVerdict::lvRefuseProgram},
      {"script.txt", TLinkVerdict::lvRefuseProgram},
      {"launcher.desktop", TLinkVerdict::lvRefuseProgram},
      {"offer.exe", TLinkVerdict::lvRefuseProgram},
      {"OFFER.EXE", TLinkVerdict::lvMissingFile},
      {"binary.dat", TLinkVerdict::lvRefuseProgram},
      {"innocent.pdf", TLinkVerdict::lvRefuseProgram},
      {QUrl::fromLocalFile(Q(dir.File("run.sh"))).toString(), TLinkVerdict::lvRefuseProgram},
      {"missing.pdf", TLinkVerdict::lvMissingFile},
      {"C:\\Flyers\\leaflet.pdf", TLinkVerdict::lvMissingFile},
      {"ftp://example.org/file", TLinkVerdict::lvAskAddress},
      {"smb://server/share", TLinkVerdict::lvAskAddress},
      {"file://otherhost/share/x.pdf", TLinkVerdict::lvAskAddress},
      {"-remote=javascript:alert(1)", TLinkVerdict::lvRefuseAddress},
      {"--new-window", TLinkVerdict::lvRefuseAddress},
      {"https://example.org/\nrm", TLinkVerdict::lvRefuseAddress},
      {QStringLiteral("https://example.org/") + QChar(0x202E), TLinkVerdict::lvRefuseAddress},
      {"", TLinkVerdict::lvRefuseAddress},
  };
  for (const Case& c : cases) EXPECT_EQ(CheckLink(c.address, base).verdict, c.verdict) << c.address.toStdString();
  EXPECT_EQ(CheckLink("leaflet.pdf", base).target, pdf);
  EXPECT_TRUE(IsRunnableProgram(Q(dir.File("tool"))));
  EXPECT_FALSE(IsRunnableProgram(pdf));
  EXPECT_FALSE(IsRunnableProgram(base));
}

class LinkOpenerTest : public ::testing::Test {
 protected:
  FakePrompts prompts_;
  FakeUrls urls_;
  FakeSettings settings_;
  TPlayerRegistry registry_{settings_};
  TLinkOpener links_{prompts_, urls_, registry_};
  TempDir dir_;
};

TEST_F(LinkOpenerTest, WebLinksGoUnchangedToTheBrowserOrTheDesktop) {
  const QString address = QStringLiteral("https://example.org/page?q=a b&c=\"d\";$(x)");
  urls_.programsThatStart << QStringLiteral("/opt/browser");
  links_.OpenUrl(address, QStringLiteral("/opt/browser"), {});
  ASSERT_EQ(urls_.started.size(), 1u);
  EXPECT_EQ(urls_.started[0].second, address);
  EXPECT_TRUE(prompts_.messages.isEmpty());
  EXPECT_TRUE(prompts_.confirmQuestions.isEmpty());

  links_.OpenUrl(address, {}, {});
  EXPECT_EQ(urls_.opened, QStringList({address}));

  urls_.succeed = false;
  links_.OpenUrl(QStringLiteral("www.example.org"), {}, {});
  EXPECT_EQ(prompts_.messages,
            QStringList({"Could not open file 'www.example.org'. You may need to set the browser to use."}));
}

TEST_F(LinkOpenerTest, FilesAndOtherAddressesAskFirstProgramsAndOptionsAreRefused) {
  const QString pdf = MakeFile(dir_, "leaflet.pdf", "%PDF-1.4\n");
  MakeFile(dir_, "run.sh", "echo\n");
  const QString base = Q(dir_.Path().string());

  links_.OpenUrl(QStringLiteral("leaflet.pdf"), {}, base);  // No
  EXPECT_EQ(prompts_.confirmQuestions, QStringList({OpenFileQuestion(pdf)}));
  EXPECT_TRUE(urls_.opened.isEmpty());
  prompts_.confirmAnswers = {true};
  links_.OpenUrl(QStringLiteral("leaflet.pdf"), {}, base);
  EXPECT_EQ(urls_.opened, QStringList({pdf}));

  prompts_.confirmAnswers = {true};
  links_.OpenUrl(QStringLiteral("smb://server/share"), {}, base);
  EXPECT_EQ(prompts_.confirmQuestions.last(), OpenAddressQuestion(QStringLiteral("smb://server/share")));
  EXPECT_EQ(urls_.opened.last(), QStringLiteral("smb://server/share"));

  const qsizetype asked = prompts_.confirmQuestions.size();
  links_.OpenUrl(QStringLiteral("run.sh"), QStringLiteral("/opt/browser"), base);
  links_.OpenUrl(QStringLiteral("-P evil"), QStringLiteral("/opt/browser"), base);
  EXPECT_EQ(prompts_.confirmQuestions.size(), asked);
  EXPECT_TRUE(urls_.started.empty());
  EXPECT_EQ(prompts_.messages, QStringList({RefusedProgramMessage("run.sh"), RefusedAddressMessage("-P evil")}));
  EXPECT_EQ(RefusedAddressMessage(QStringLiteral("a\nb")), RefusedAddressMessage(QStringLiteral("a\\u000ab")));
}

TEST_F(LinkOpenerTest, DefaultLinkAsksWhileLaunchingFailsAndCancelEndsQuietly) {
  const QString site = QStringLiteral("https://quireleaf.example.org/");
  // The desktop opens it: no question.
  links_.OpenWithDefaultLink(false, site);
  EXPECT_EQ(urls_.opened, QStringList({site}));
  EXPECT_TRUE(prompts_.linkQuestions.empty());

  // Nothing opens it: asked with failed = true; a program that does not start, then one that does.
  urls_.succeed = false;
  urls_.programsThatStart << QStringLiteral("/opt/good");
  prompts_.linkAnswers = {QStringLiteral("/opt/bad"), QStringLiteral("/opt/good")};
  links_.OpenWithDefaultLink(false, site);
  ASSERT_EQ(prompts_.linkQuestions.size(), 2u);
  EXPECT_TRUE(prompts_.linkQuestions[0].failed);
  EXPECT_EQ(prompts_.linkQuestions[0].file, site);
  EXPECT_EQ(prompts_.linkQuestions[1].shownApplication, QStringLiteral("/opt/bad"));
  EXPECT_EQ(urls_.started.back(), std::make_pair(QStringLiteral("/opt/good"), site));
  EXPECT_EQ(registry_.ReadDefaultLink(), QStringLiteral("/opt/good"));

  // The stored program no longer starts; Cancel keeps it stored and shows no message.
  urls_.programsThatStart.clear();
  prompts_.linkAnswers = {std::nullopt};
  links_.OpenWithDefaultLink(false, site);
  EXPECT_EQ(prompts_.linkQuestions.size(), 3u);
  EXPECT_EQ(registry_.ReadDefaultLink(), QStringLiteral("/opt/good"));
  EXPECT_TRUE(prompts_.messages.isEmpty());

  // askFirst: the question comes before any launch, not marked as failed.
  prompts_.linkAnswers = {std::nullopt};
  const std::size_t launches = urls_.started.size() + static_cast<std::size_t>(urls_.opened.size());
  links_.OpenWithDefaultLink(true, site);
  EXPECT_FALSE(prompts_.linkQuestions.back().failed);
  EXPECT_EQ(urls_.started.size() + static_cast<std::size_t>(urls_.opened.size()), launches);
}

}  // namespace
}  // namespace qrl
