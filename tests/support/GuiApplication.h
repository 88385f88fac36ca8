#pragma once
// Real fonts and images need a GUI application; tests create one offscreen, once per process.

#include <QGuiApplication>
#include <cstdlib>

namespace qrl::test {

inline void EnsureGuiApplication() {
  if (QGuiApplication::instance() != nullptr) return;
  ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
  static int argc = 1;
  static char name[] = "qrl_tests";
  static char* argv[] = {name, nullptr};
  static QGuiApplication app(argc, argv);
}

}  // namespace qrl::test
