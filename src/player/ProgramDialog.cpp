#include "player/ProgramDialog.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>

#include "player/ApplicationTitle.h"
#include "player/LinkSafety.h"

namespace qrl {

QString ChooseProgram(QWidget* parent, const QString& current) {
  QFileDialog dialog(parent);
  // The list filter below needs Qt's own dialog.
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setFileMode(QFileDialog::ExistingFile);
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setFilter(QDir::AllDirs | QDir::Files | QDir::Executable | QDir::NoDotAndDotDot);
  dialog.setNameFilters({QStringLiteral("Programs (*)")});
  const QFileInfo info(current);
  if (!current.isEmpty()) {
    dialog.setDirectory(info.absolutePath());
    dialog.selectFile(info.fileName());
  } else {
    dialog.setDirectory(QStringLiteral("/usr/bin"));
  }
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  const QString chosen = dialog.selectedFiles().constFirst();
  if (!IsRunnableProgram(chosen)) {
    QMessageBox::warning(parent, QString::fromLatin1(kApplicationTitle),
                         QStringLiteral("'") + QDir::toNativeSeparators(chosen) +
                             QStringLiteral("' is not a program that can be run."));
    return {};
  }
  return QFileInfo(chosen).absoluteFilePath();
}

}  // namespace qrl
