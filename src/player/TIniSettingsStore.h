#pragma once
// The settings store as an INI file in the user's configuration folder.

#include <QSettings>

#include "player/TSettingsStore.h"

namespace qrl {

class TIniSettingsStore : public TSettingsStore {
 public:
  // The file Quireleaf/Player.conf in $XDG_CONFIG_HOME, or in ~/.config when that is unset.
  static QString DefaultFile();

  explicit TIniSettingsStore(const QString& file = DefaultFile());

  std::optional<QString> Read(const QString& section, const QString& name) override;
  void Write(const QString& section, const QString& name, const QString& text) override;
  void RemoveSection(const QString& section) override;
  void Flush() override;

 private:
  QSettings settings_;
};

}  // namespace qrl
