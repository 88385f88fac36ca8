#include "player/KickstarterPath.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace qrl {

QString KickstarterPath() {
  const QString path = QDir(QCoreApplication::applicationDirPath()).filePath(QString::fromLatin1(kKickstarterFileName));
  return QFileInfo(path).isFile() ? path : QString();
}

}  // namespace qrl
