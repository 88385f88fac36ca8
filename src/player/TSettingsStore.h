#pragma once
// The per-user store of preferences and history: named values in sections, all of them text.

#include <QString>
#include <optional>

namespace qrl {

class TSettingsStore {
 public:
  virtual ~TSettingsStore() = default;
  // The value's text, or nothing when it is missing. An empty section means the product key itself.
  virtual std::optional<QString> Read(const QString& section, const QString& name) = 0;
  virtual void Write(const QString& section, const QString& name, const QString& text) = 0;
  virtual void RemoveSection(const QString& section) = 0;
  // Hands the changes to the storage; a failure is silent, as every write of the store is.
  virtual void Flush() = 0;
};

}  // namespace qrl
