#include "player/DroppedFiles.h"

namespace qrl {

QString FirstLocalFile(const QList<QUrl>& urls) {
  for (const QUrl& url : urls)
    if (url.isLocalFile() && !url.toLocalFile().isEmpty()) return url.toLocalFile();
  return {};
}

}  // namespace qrl
