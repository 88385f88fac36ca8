#include "player/TIniSettingsStore.h"

#include <QDir>

namespace qrl {
namespace {

QString Key(const QString& section, const QString& name) {
  return section.isEmpty() ? name : section + QLatin1Char('/') + name;
}

}  // namespace

QString TIniSettingsStore::DefaultFile() {
  QString folder = qEnvironmentVariable("XDG_CONFIG_HOME");
  // A relative XDG_CONFIG_HOME is invalid and must be ignored.
  if (folder.isEmpty() || QDir::isRelativePath(folder)) folder = QDir::homePath() + QStringLiteral("/.config");
  return folder + QStringLiteral("/Quireleaf/Player.conf");
}

// QSettings locks the file while it merges and replaces it whole, so two players closing at
// once each leave a complete file.
TIniSettingsStore::TIniSettingsStore(const QString& file) : settings_(file, QSettings::IniFormat) {}

std::optional<QString> TIniSettingsStore::Read(const QString& section, const QString& name) {
  const QVariant value = settings_.value(Key(section, name));
  if (!value.isValid()) return std::nullopt;
  // A value written by hand as a list (it holds a comma) reads back as its text.
  if (value.typeId() == QMetaType::QStringList) return value.toStringList().join(QStringLiteral(", "));
  return value.toString();
}

void TIniSettingsStore::Write(const QString& section, const QString& name, const QString& text) {
  settings_.setValue(Key(section, name), text);
}

void TIniSettingsStore::RemoveSection(const QString& section) { settings_.remove(section); }

void TIniSettingsStore::Flush() { settings_.sync(); }

}  // namespace qrl
