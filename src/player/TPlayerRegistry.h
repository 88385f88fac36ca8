#pragma once
// The player's access to its settings: one open section at a time, strings read into a buffer of
// fixed size (a longer value counts as missing), booleans as "1" and "0".

#include <QString>

#include "player/TSettingsStore.h"

namespace qrl {

inline constexpr int kValueBufferBytes = 255;        // a value with its terminating zero
inline constexpr int kDefaultLinkBufferBytes = 260;  // an application path with its terminating zero

inline const QString kSectionDirectories = QStringLiteral("Directories");
inline const QString kSectionPreferences = QStringLiteral("Preferences");
inline const QString kSectionHistory = QStringLiteral("History");

class TPlayerRegistry {
 public:
  explicit TPlayerRegistry(TSettingsStore& store) : store_(store) {}

  void OpenSection(const QString& name);
  void CloseSection();
  void DeleteSection(const QString& name);

  QString ReadString(const QString& name, const QString& fallback) const;
  bool ReadBool(const QString& name, bool fallback) const;
  void WriteString(const QString& name, const QString& text);
  void WriteBool(const QString& name, bool flag);

  // The application for the about windows' links, at the top of the settings; empty when missing.
  QString ReadDefaultLink() const;
  void WriteDefaultLink(const QString& text);

 private:
  TSettingsStore& store_;
  QString section_;
};

}  // namespace qrl
