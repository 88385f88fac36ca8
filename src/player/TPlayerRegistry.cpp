#include "player/TPlayerRegistry.h"

namespace qrl {
namespace {

// The text when it fits a buffer of `buffer` bytes with its terminating zero.
std::optional<QString> Fitting(std::optional<QString> value, int buffer) {
  if (!value || value->toUtf8().size() + 1 > buffer) return std::nullopt;
  return value;
}

}  // namespace

void TPlayerRegistry::OpenSection(const QString& name) { section_ = name; }

void TPlayerRegistry::CloseSection() {
  section_.clear();
  store_.Flush();
}

void TPlayerRegistry::DeleteSection(const QString& name) { store_.RemoveSection(name); }

QString TPlayerRegistry::ReadString(const QString& name, const QString& fallback) const {
  return Fitting(store_.Read(section_, name), kValueBufferBytes).value_or(fallback);
}

bool TPlayerRegistry::ReadBool(const QString& name, bool fallback) const {
  // Two bytes: one character and the terminating zero.
  const std::optional<QString> value = Fitting(store_.Read(section_, name), 2);
  if (!value) return fallback;
  return value->startsWith(QLatin1Char('1'));
}

void TPlayerRegistry::WriteString(const QString& name, const QString& text) { store_.Write(section_, name, text); }

void TPlayerRegistry::WriteBool(const QString& name, bool flag) {
  store_.Write(section_, name, flag ? QStringLiteral("1") : QStringLiteral("0"));
}

QString TPlayerRegistry::ReadDefaultLink() const {
  return Fitting(store_.Read({}, QStringLiteral("DefaultLink")), kDefaultLinkBufferBytes).value_or(QString());
}

void TPlayerRegistry::WriteDefaultLink(const QString& text) {
  store_.Write({}, QStringLiteral("DefaultLink"), text);
  store_.Flush();
}

}  // namespace qrl
