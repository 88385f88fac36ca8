#include "player/TUrlOpener.h"

#include <QDesktopServices>
#include <QUrl>

namespace qrl {

bool TDesktopUrlOpener::OpenAddress(const QString& address) {
  const QUrl url = QUrl::fromUserInput(address);
  return url.isValid() && QDesktopServices::openUrl(url);
}

}  // namespace qrl
