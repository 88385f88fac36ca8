#include "player/TPrompts.h"

#include "player/ApplicationTitle.h"
#include "player/TFormOptions.h"
#include "player/TFormWebOpen.h"

#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
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

bool TQtPrompts::Confirm(const QString& question) {
  QMessageBox box(QMessageBox::Question, QString::fromLatin1(kApplicationTitle), question,
                  QMessageBox::Yes | QMessageBox::No, parent_);
  box.setDefaultButton(QMessageBox::No);
  return box.exec() == QMessageBox::Yes;
}

bool TQtPrompts::EditOptions(TPreferences& preferences) {
  TFormOptions dialog(parent_);
  dialog.SetValues(preferences);
  if (dialog.exec() != QDialog::Accepted) return false;
  dialog.GetValues(preferences);
  return true;
}

bool TQtPrompts::AskLinkApplication(bool failed, const QString& file, QString& application) {
  TFormWebOpen dialog(failed, file, parent_);
  dialog.edtApplication->setText(application);
  if (dialog.exec() != QDialog::Accepted) return false;
  application = dialog.edtApplication->text();
  return true;
}

}  // namespace qrl
