#include "player/Snapshot.h"

#include <QBuffer>
#include <QFileInfo>

#include "format/QuireleafException.h"
#include "format/TAtomicFile.h"

namespace qrl {

QString SnapshotFileName(const QString& flyerFileName) {
  const qsizetype nameStart = flyerFileName.lastIndexOf(QLatin1Char('/')) + 1;
  const qsizetype dot = flyerFileName.lastIndexOf(QLatin1Char('.'));
  const QString stem = dot >= nameStart ? flyerFileName.left(dot) : flyerFileName;
  return stem + QStringLiteral(".BMP");
}

void SaveSnapshot(const QImage& picture, const QString& path) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  if (picture.isNull() || !picture.convertToFormat(QImage::Format_RGB888).save(&buffer, "BMP"))
    throw EQuireleafException("The snapshot could not be made.");
  WriteFileAtomically(path.toStdString(), bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

}  // namespace qrl
