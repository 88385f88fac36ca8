#include "player/KickstarterPath.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace qrl {

QString KickstarterPath() {
  const QFileInfo launcher(QDir(QCoreApplication::applicationDirPath()),
                           QString::fromLatin1(kKickstarterFileName));
  return launcher.isFile() ? launcher.absoluteFilePath() : QString();
}

}  // namespace qrl
