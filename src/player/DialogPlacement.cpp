#include "player/DialogPlacement.h"

#include <QGuiApplication>
#include <QLayout>
#include <QScreen>
#include <QWidget>

namespace qrl {

void CentreOnScreen(QWidget& dialog) {
  if (QLayout* layout = dialog.layout()) layout->activate();
  dialog.adjustSize();
  const QScreen* screen = dialog.screen() ? dialog.screen() : QGuiApplication::primaryScreen();
  if (screen == nullptr) return;
  QRect frame = dialog.frameGeometry();
  frame.moveCenter(screen->availableGeometry().center());
  dialog.move(frame.topLeft());
}

}  // namespace qrl
