#include "player/TPrompts.h"

#include "player/ApplicationTitle.h"
#include "player/TFormOptions.h"
#include "player/TFormWebOpen.h"

#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QRegularExpression>

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

QString TQtPrompts::SaveFlyerDialog(const QString& directory, const QString& fileName, const QStringList& filters,
                                    int filterIndex) {
  QFileDialog dialog(parent_, QString(), directory);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setOption(QFileDialog::DontConfirmOverwrite, false);
  dialog.setNameFilters(filters);
  const QString selected = filters.value(filterIndex - 1, filters.value(0));
  // A name typed without extension takes the one of the chosen filter.
  const auto suffixOf = [](const QString& filter) {
    const QRegularExpressionMatch m = QRegularExpression(QStringLiteral("\\*\\.(\\w+)")).match(filter);
    return m.hasMatch() ? m.captured(1) : QStringLiteral("QRL");
  };
  dialog.selectNameFilter(selected);
  dialog.setDefaultSuffix(suffixOf(selected));
  QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog,
                   [&dialog, suffixOf](const QString& filter) { dialog.setDefaultSuffix(suffixOf(filter)); });
  dialog.selectFile(fileName);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  return dialog.selectedFiles().constFirst();
}

TPrintChoice TQtPrompts::PrintDialog(QPrinter& printer, int minPage, int maxPage, int currentPage) {
  QPrintDialog dialog(&printer, parent_);
  dialog.setOptions(QAbstractPrintDialog::PrintToFile | QAbstractPrintDialog::PrintPageRange);
  dialog.setMinMax(minPage, maxPage);
  dialog.setFromTo(currentPage, currentPage);
  dialog.setPrintRange(QAbstractPrintDialog::PageRange);
  TPrintChoice choice;
  if (dialog.exec() != QDialog::Accepted) return choice;
  choice.accepted = true;
  choice.pageRange = dialog.printRange() == QAbstractPrintDialog::PageRange;
  choice.fromPage = dialog.fromPage();
  choice.toPage = dialog.toPage();
  return choice;
}

}  // namespace qrl
