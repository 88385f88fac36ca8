#include "player/TPrompts.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>

namespace qrl {

void TQtPrompts::ShowMessage(const QString& text) {
  QMessageBox box(QMessageBox::NoIcon, QApplication::applicationDisplayName(), text, QMessageBox::Ok, parent_);
  box.exec();
}

TAnswer TQtPrompts::AskYesNoCancel(const QString& caption, const QString& text) {
  const auto answer = QMessageBox::question(parent_, caption, text,
                                            QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel,
                                            QMessageBox::Yes);
  if (answer == QMessageBox::Yes) return TAnswer::Yes;
  if (answer == QMessageBox::No) return TAnswer::No;
  return TAnswer::Cancel;
}

QString TQtPrompts::OpenFlyerDialog(const QString& title, const QString& filter, const QString& directory) {
  QFileDialog dialog(parent_, title, directory, filter);
  dialog.setFileMode(QFileDialog::ExistingFile);
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setDefaultSuffix(QStringLiteral("qrl"));
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  return dialog.selectedFiles().constFirst();
}

}  // namespace qrl
