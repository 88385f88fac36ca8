#include "player/DialogLayout.h"

#include <QDialog>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QPushButton>
#include <QScreen>

namespace qrl {

QHBoxLayout* ClosingButtons(QDialog& dialog, QPushButton* ok, QPushButton* cancel) {
  ok->setDefault(true);
  QObject::connect(ok, &QPushButton::clicked, &dialog, &QDialog::accept);
  QObject::connect(cancel, &QPushButton::clicked, &dialog, &QDialog::reject);
  auto* row = new QHBoxLayout;
  row->addStretch(1);
  row->addWidget(ok);
  row->addWidget(cancel);
  return row;
}

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
