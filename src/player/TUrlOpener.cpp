#include "player/TUrlOpener.h"

#include <QDesktopServices>
#include <QProcess>
#include <QUrl>

namespace qrl {

bool TDesktopUrlOpener::OpenAddress(const QString& address) {
  const QUrl url = QUrl::fromUserInput(address);
  return url.isValid() && QDesktopServices::openUrl(url);
}

bool TDesktopUrlOpener::StartProgram(const QString& program, const QString& argument) {
  return QProcess::startDetached(program, {argument});
}

}  // namespace qrl
