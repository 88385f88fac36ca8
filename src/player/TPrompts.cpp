#include "player/TPrompts.h"

#include "player/ApplicationTitle.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>

namespace qrl {

void TQtPrompts::ShowMessage(const QString& text) {
  QMessageBox box(QMessageBox::NoIcon, QString::fromLatin1(kApplicationTitle), text, QMessageBox::Ok, parent_);
  box.exec();
}

QString TQtPrompts::OpenFlyerDialog(const QString& title, const QString& filter, const QString& directory) {
  QFileDialog dialog(parent_, title, directory, filter);
  dialog.setFileMode(QFileDialog::ExistingFile);
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setDefaultSuffix(QStringLiteral("qrl"));
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  return dialog.selectedFiles().constFirst();
}

TAnswer TQtPrompts::AskYesNoCancel(const QString& text) {
  QMessageBox box(QMessageBox::Question, QString::fromLatin1(kApplicationTitle), text,
                  QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, parent_);
  box.setEscapeButton(QMessageBox::Cancel);
  switch (box.exec()) {
    case QMessageBox::Yes: return TAnswer::Yes;
    case QMessageBox::No: return TAnswer::No;
    default: return TAnswer::Cancel;
  }
}

}  // namespace qrl
