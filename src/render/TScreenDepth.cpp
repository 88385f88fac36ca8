#include "render/TScreenDepth.h"

#include <QGuiApplication>
#include <QScreen>
#include <charconv>
#include <cstdlib>
#include <cstring>

namespace qrl {

namespace {

constexpr int kDefaultDepth = 24;

}  // namespace

std::optional<int> TScreenDepth::Forced() {
  const char* value = std::getenv(kVariable);
  if (value == nullptr) return std::nullopt;
  const char* end = value + std::strlen(value);
  int depth = 0;
  const auto [stop, ec] = std::from_chars(value, end, depth);
  if (ec != std::errc() || stop != end || depth < 1 || depth > 32) return std::nullopt;
  return depth;
}

int TScreenDepth::BitsPerPixel() {
  if (const auto forced = Forced()) return *forced;
  if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) == nullptr) return kDefaultDepth;
  const QScreen* screen = QGuiApplication::primaryScreen();
  return screen != nullptr ? screen->depth() : kDefaultDepth;
}

}  // namespace qrl
