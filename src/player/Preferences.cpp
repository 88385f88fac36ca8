#include "player/Preferences.h"

namespace qrl {
namespace {

QString HistoryValueName(int number) { return QStringLiteral("file_%1").arg(number); }

}  // namespace

TPreferences LoadPreferences(TPlayerRegistry& registry, const QString& currentDir, TFlyerHistory& history) {
  TPreferences p;
  registry.OpenSection(kSectionDirectories);
  p.LastFlyerDir = registry.ReadString(QStringLiteral("Flyers"), currentDir);
  registry.OpenSection(kSectionPreferences);
  p.DefBrowser = registry.ReadString(QStringLiteral("DefBrowser"), {});
  p.OpenPresMode = registry.ReadBool(QStringLiteral("OpenPresMode"), false);
  p.PresFullScr = registry.ReadBool(QStringLiteral("PresFullScr"), false);
  p.PresHideMenu = registry.ReadBool(QStringLiteral("PresHideMenu"), false);
  p.PresHideNavBar = registry.ReadBool(QStringLiteral("PresHideNavBar"), false);
  registry.OpenSection(kSectionHistory);
  for (int i = kHistoryEntries; i >= 1; --i) {
    const QString path = registry.ReadString(HistoryValueName(i), {});
    if (!path.isEmpty()) history.Add(path);
  }
  registry.CloseSection();
  return p;
}

void SavePreferences(TPlayerRegistry& registry, const TPreferences& p, const TFlyerHistory& history) {
  registry.OpenSection(kSectionDirectories);
  registry.WriteString(QStringLiteral("Flyers"), p.LastFlyerDir);
  registry.OpenSection(kSectionPreferences);
  registry.WriteString(QStringLiteral("DefBrowser"), p.DefBrowser);
  registry.WriteBool(QStringLiteral("OpenPresMode"), p.OpenPresMode);
  registry.WriteBool(QStringLiteral("PresFullScr"), p.PresFullScr);
  registry.WriteBool(QStringLiteral("PresHideMenu"), p.PresHideMenu);
  registry.WriteBool(QStringLiteral("PresHideNavBar"), p.PresHideNavBar);
  registry.CloseSection();
  SaveHistory(registry, history);
}

void SaveHistory(TPlayerRegistry& registry, const TFlyerHistory& history) {
  registry.DeleteSection(kSectionHistory);
  registry.OpenSection(kSectionHistory);
  const QStringList& entries = history.Entries();
  for (int i = 0; i < std::min<int>(static_cast<int>(entries.size()), kHistoryEntries); ++i)
    registry.WriteString(HistoryValueName(i + 1), entries[i]);
  registry.CloseSection();
}

}  // namespace qrl
